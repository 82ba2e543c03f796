#include "cli/ExportRunCommand.h"

#include "cli/DataFileSupport.h"

#include "core/base/SaveFile.h"

void ExportRunCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments, {QStringLiteral("--picture"), QStringLiteral("--csv")});
    if (parsed.Positional.size() != 1 || !parsed.Has(QStringLiteral("--picture")) ||
        !parsed.Has(QStringLiteral("--csv"))) {
        throw UsageError(QStringLiteral("export-run needs FILE.dat --picture N --csv OUT.csv"));
    }
    m_file = parsed.Positional.first();
    m_picture = ParseIntegerArgument(parsed.Value(QStringLiteral("--picture")), QStringLiteral("--picture"));
    m_csv = parsed.Value(QStringLiteral("--csv"));
}

int ExportRunCommand::Run(CliContext& context) {
    QFile file(m_file);
    const auto scan = DataFileSupport::Open(context, file);
    if (!scan) {
        return 1;
    }
    const int count = scan->Header.PictureCount;
    if (m_picture < 1 || m_picture > count) {
        context.Err << "torvex: no picture " << m_picture << " in " << m_file << " (1 ... " << count << ")" << Qt::endl;
        return 1;
    }
    QString error;
    const auto drawn = DataFile::DrawnRecords(file, scan->Header, m_picture - 1, error);
    if (!error.isEmpty()) {
        context.Err << "torvex: " << m_file << ": " << error << Qt::endl;
        return 1;
    }
    // The CSV never takes the place of a data file: not the one it comes from, not one a recording
    // is writing into (it would go on in a deleted file), not any other; nor of a database file.
    const QString store = DataFileSupport::StoreAt(m_csv);
    if (!store.isEmpty()) {
        context.Err << "torvex: " << m_csv << " is " << store << ": the CSV would replace it; choose another name"
                    << Qt::endl;
        return 1;
    }
    QString reason;
    if (!SaveWholeFile(m_csv, DataFile::PictureCsv(drawn), reason)) {
        context.Err << "torvex: " << m_csv << " cannot be written: " << reason << Qt::endl;
        return 1;
    }
    return 0;
}
