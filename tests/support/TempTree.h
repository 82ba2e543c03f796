#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A scratch directory with helpers to lay out and read back small files.
class TempTree {
public:
    QString Path(const QString& relative = {}) const {
        return relative.isEmpty() ? m_dir.path() : m_dir.path() + QLatin1Char('/') + relative;
    }

    QString Write(const QString& relative, const QByteArray& content) const {
        const QString path = Path(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }

    QByteArray Read(const QString& relative) const {
        QFile file(relative.startsWith(QLatin1Char('/')) ? relative : Path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};
