#include "cli/TextCommand.h"

#include "core/app/TConfiguration.h"

#include "core/base/Language.h"

void TextCommand::Parse(const QStringList& arguments) {
    if (arguments.size() != 1) {
        throw UsageError(QStringLiteral("text needs exactly one record number"));
    }
    m_record = ParseIntegerArgument(arguments[0], QStringLiteral("the record number"));
    if (!Language::IsRecord(m_record)) {
        throw UsageError(QStringLiteral("record number %1 is outside 0..%2 and %3..%4")
                             .arg(m_record)
                             .arg(Language::OriginalRecordCount - 1)
                             .arg(Language::FirstAddedRecord)
                             .arg(Language::RecordCount - 1));
    }
}

int TextCommand::Run(CliContext& context) {
    QString text = context.Configuration.Language().Text(m_record);
    context.Out << text.replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
    return 0;
}
