#include "core/base/SaveFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace {
// The device's own words where Qt has none of its own ("Unknown error" after a failed flush).
QString Reason(const QSaveFile& file, int error) {
    if (file.error() != QFileDevice::NoError && file.errorString() != QLatin1String("Unknown error")) {
        return file.errorString();
    }
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : file.errorString();
}
} // namespace

bool SaveWholeFile(const QString& path, const QByteArray& bytes, QString& reason) {
    if (QFileInfo(path).isDir()) {
        reason = QStringLiteral("Is a directory");
        return false;
    }
    if (const QFileInfo info(path); info.exists() && !info.isFile()) {
        // A pipe or a device is written into: a file put in its place would reach no reader.
        QFile stream(path);
        if (!stream.open(QIODevice::WriteOnly) || stream.write(bytes) != bytes.size() || !stream.flush()) {
            reason = stream.errorString();
            return false;
        }
        return true;
    }
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = Reason(file, errno);
        return false;
    }
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        reason = Reason(file, errno);
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        reason = Reason(file, errno);
        return false;
    }
    return true;
}
