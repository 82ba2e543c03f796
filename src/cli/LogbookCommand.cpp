#include "cli/LogbookCommand.h"

#include "core/app/TConfiguration.h"
#include "core/app/TServiceLogbook.h"

void LogbookCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments, {QStringLiteral("--serial"), QStringLiteral("--csv")});
    if (!parsed.Positional.isEmpty()) {
        throw UsageError(QStringLiteral("logbook takes only --serial N and --csv OUT.csv"));
    }
    m_serial = parsed.Value(QStringLiteral("--serial"));
    m_csvGiven = parsed.Has(QStringLiteral("--csv"));
    m_csv = parsed.Value(QStringLiteral("--csv"));
    if ((parsed.Has(QStringLiteral("--serial")) && m_serial.isEmpty()) || (m_csvGiven && m_csv.isEmpty())) {
        throw UsageError(QStringLiteral("--serial and --csv need a value"));
    }
}

int LogbookCommand::Run(CliContext& context) {
    const TServiceLogbook logbook(context.Configuration.GetDatabaseDirectory());
    std::vector<TLogbookEntry> entries;
    try {
        entries = logbook.Entries(m_serial);
    } catch (const LogbookError& error) {
        context.Err << "torvex: " << error.Message() << Qt::endl;
        return 1;
    }
    for (const QStringList& row : TServiceLogbook::Rows(entries)) {
        context.Out << row.join(QLatin1Char('\t')) << '\n';
    }
    context.Out.flush();
    if (m_csvGiven) {
        QString reason;
        if (!logbook.SaveCsv(m_csv, entries, reason)) {
            context.Err << "torvex: " << m_csv << ": " << reason << Qt::endl;
            return 1;
        }
    }
    return 0;
}
