#include "cli/SpecialTestSupport.h"

#include "cli/ControllerPort.h"

#include "core/app/ControllerCommands.h"

int RunSpecialTestCommand(CliContext& context, const std::function<bool(TSpecialTest&)>& action) {
    ControllerPort port(context);
    if (!port.Obtained()) {
        return 1;
    }
    TControllerAccess access(context.Configuration, context.Ui, context.Time);
    TSpecialTest test(access);
    test.OpenSession(*port);
    if (!test.PortOpen()) {
        test.Disconnect();
        return port.CannotOpen();
    }
    // Judged before the session closes: a line that fails while it closes took nothing from the command.
    const bool done = action(test);
    test.Disconnect();
    return done ? 0 : 1;
}

bool ParseOnOff(const QString& command, const QString& word) {
    if (word == QLatin1String("on") || word == QLatin1String("off")) {
        return word == QLatin1String("on");
    }
    throw UsageError(QStringLiteral("%1 needs on or off, not '%2'").arg(command, word));
}
