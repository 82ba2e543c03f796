#include "cli/SendCommand.h"

#include "cli/ControllerPort.h"
#include "cli/WatchedFeedback.h"

#include "core/app/TConfiguration.h"

#include <map>

void SendCommand::Parse(const QStringList& arguments) {
    static const std::map<QString, MainCommand> kCommands{{"load-factory", MainCommand::LoadFactorySettings},
                                                          {"load-user", MainCommand::LoadUserSettings},
                                                          {"save-user", MainCommand::SaveUserSettings},
                                                          {"reset-errors", MainCommand::ResetErrorList}};
    const auto it = arguments.size() == 1 ? kCommands.find(arguments[0]) : kCommands.end();
    if (it == kCommands.end()) {
        throw UsageError(QStringLiteral("send needs one of load-factory, load-user, save-user, reset-errors"));
    }
    m_command = it->second;
}

int SendCommand::Run(CliContext& context) {
    WatchedFeedback feedback(context.Ui);
    TControllerAccess access(context.Configuration, feedback, context.Time);
    if (!RunMainCommand(access, m_command)) {
        ControllerPort::ExplainMissing(context);
        return 1;
    }
    // A command that did not reach the line was reported as a transfer error.
    return feedback.SawFailure() ? 1 : 0;
}
