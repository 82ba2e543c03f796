#include "cli/DataFileSupport.h"

std::optional<TDataFileScan> DataFileSupport::Open(CliContext& context, QFile& file) {
    if (!file.open(QIODevice::ReadOnly)) {
        context.Err << "torvex: " << file.fileName() << " cannot be opened: " << file.errorString() << Qt::endl;
        return std::nullopt;
    }
    QString error;
    auto scan = DataFile::Inspect(file, error);
    if (!scan) {
        context.Err << "torvex: " << file.fileName() << ": " << error << Qt::endl;
    }
    return scan;
}

QString DataFileSupport::PictureLine(int number, const DataFile::PictureSummary& summary) {
    return QStringLiteral("%1\t%2\t%3\t%4\t%5")
        .arg(number)
        .arg(summary.Start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
        .arg(summary.RecordCount)
        .arg(QString::number(summary.Seconds, 'f', 3))
        .arg(summary.Direction);
}
