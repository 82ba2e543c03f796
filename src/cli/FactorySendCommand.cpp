#include "cli/FactorySendCommand.h"

#include "cli/ControllerPort.h"
#include "cli/StopSignals.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/factory/TFactorySender.h"

void FactorySendCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments, {});
    if (parsed.Positional.size() != 1) {
        throw UsageError(QStringLiteral("factory-send needs one FILE.fact"));
    }
    m_file = parsed.Positional.front();
}

int FactorySendCommand::Run(CliContext& context) {
    TFactoryLoad load;
    if (!TFactorySender::LoadChecked(m_file, context.Configuration.Language(), context.Ui, load)) {
        return 1;
    }
    TControllerAccess access(context.Configuration, context.Ui, context.Time);
    const StopSignals stop; // Ctrl+C ends the sending between two rows
    access.StopRequested = &StopSignals::Requested;
    TFactorySender sender(access);
    const TFactoryLamp lamp = sender.Send(load, context.Configuration.GetEepromWriteDelay());
    if (lamp == TFactoryLamp::Idle) {
        ControllerPort::ExplainMissing(context); // no port: nothing was sent
        return 1;
    }
    QString report = sender.Memo();
    context.Out
        << report.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    context.Out.flush();
    if (sender.Stopped()) {
        context.Err << "torvex: stopped: the rows marked \"not verified\" were not confirmed by the controller"
                    << Qt::endl;
        return StopSignals::kExitCode;
    }
    return lamp == TFactoryLamp::Green ? 0 : 1;
}
