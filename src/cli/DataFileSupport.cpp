#include "cli/DataFileSupport.h"

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

QString DataFileSupport::PictureLine(int number, const DataFile::PictureSummary& summary) {
    return QStringLiteral("%1\t%2\t%3\t%4\t%5")
        .arg(number)
        .arg(summary.Start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
        .arg(summary.RecordCount)
        .arg(QString::number(summary.Seconds, 'f', 3))
        .arg(summary.Direction);
}
