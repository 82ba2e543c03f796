#include "core/app/DataDirectory.h"

#include <QDir>
#include <QFileInfo>

QString DataDirectoryOf(const QString& executablePath) {
    const QString beside = QFileInfo(executablePath).absolutePath() + QLatin1Char('/');
    const QString installed = QDir::cleanPath(beside + QStringLiteral("../share/wintorvex32")) + QLatin1Char('/');
    for (const QString& candidate : {beside, installed}) {
        if (QFileInfo(candidate + QStringLiteral("DataBase")).isDir()) {
            return candidate;
        }
    }
    return beside;
}
