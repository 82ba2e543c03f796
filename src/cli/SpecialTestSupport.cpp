#include "cli/SpecialTestSupport.h"

#include "cli/ControllerPort.h"

#include "core/app/ControllerCommands.h"

int RunSpecialTestCommand(CliContext& context, const std::function<void(TSpecialTest&)>& action) {
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
    action(test);
    test.Disconnect();
    return 0;
}

bool ParseOnOff(const QString& command, const QString& word) {
    if (word == QLatin1String("on") || word == QLatin1String("off")) {
        return word == QLatin1String("on");
    }
    throw UsageError(QStringLiteral("%1 needs on or off, not '%2'").arg(command, word));
}
