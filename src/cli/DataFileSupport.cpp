#include "cli/DataFileSupport.h"

#include <QFileInfo>

std::optional<TDataFileScan> DataFileSupport::Open(CliContext& context, QFile& file) {
    QString error;
    if (!DataFile::OpenRegularFile(file, error)) {
        context.Err << "torvex: " << error << Qt::endl;
        return std::nullopt;
    }
    auto scan = DataFile::Inspect(file, error);
    if (!scan) {
        context.Err << "torvex: " << file.fileName() << ": " << error << Qt::endl;
    } else if (!scan->Cuts.isEmpty()) {
        // What could be kept is used; what the file lost is said.
        context.Err << "torvex: " << DataFile::CutsText(file.fileName(), *scan) << Qt::endl;
    }
    return scan;
}

QString DataFileSupport::StoreAt(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    if (file.peek(16) == QByteArrayLiteral("SQLite format 3\0")) {
        return QStringLiteral("a database file");
    }
    QString ignored;
    return DataFile::Inspect(file, ignored) ? QStringLiteral("a data file") : QString();
}

QString DataFileSupport::PictureLine(int number, const DataFile::PictureSummary& summary) {
    return QStringLiteral("%1\t%2\t%3\t%4\t%5")
        .arg(number)
        .arg(summary.Start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
        .arg(summary.RecordCount)
        .arg(QString::number(summary.Seconds, 'f', 3))
        .arg(summary.Direction);
}
