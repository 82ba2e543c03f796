#include "cli/FactoryCheckCommand.h"

#include "core/app/TConfiguration.h"
#include "core/factory/TFactorySender.h"

namespace {
QString Lines(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}
} // namespace

void FactoryCheckCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments, {});
    if (parsed.Positional.size() != 1) {
        throw UsageError(QStringLiteral("factory-check needs one FILE.fact"));
    }
    m_file = parsed.Positional.front();
}

int FactoryCheckCommand::Run(CliContext& context) {
    TFactoryLoad load;
    const bool sendable = TFactorySender::LoadChecked(m_file, context.Configuration.Language(), context.Ui, load);
    context.Out << Lines(load.Memo);
    context.Out.flush();
    return sendable ? 0 : 1;
}
