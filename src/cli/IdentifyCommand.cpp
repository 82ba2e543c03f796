#include "cli/IdentifyCommand.h"

#include "core/app/TConfiguration.h"

#include "cli/ControllerPort.h"

#include "core/base/Clock.h"
#include "core/link/TTorvexController.h"
#include "core/params/TParameterTransfer.h"

void IdentifyCommand::Parse(const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        throw UsageError(QStringLiteral("identify takes no arguments"));
    }
}

int IdentifyCommand::Run(CliContext& context) {
    ControllerPort port(context);
    if (!port.Obtained()) {
        return 1;
    }
    QString type;
    {
        TTorvexController session(*port, context.Configuration.LinkSettings(), context.Configuration.Ports(),
                                  context.Time);
        if (!session.IsPortOpen()) {
            return port.CannotOpen();
        }
        type = session.Query(ControllerCommand::ControllerType);
    }
    // The controller needs a moment between two sessions.
    context.Time.Sleep(1000);
    QString version;
    {
        TTorvexController session(*port, context.Configuration.LinkSettings(), context.Configuration.Ports(),
                                  context.Time);
        version = session.ReadSoftwareVersion(QStringLiteral("2050"));
    }
    if (type.isEmpty()) {
        context.Err << "torvex: no controller answered on " << port->Name << Qt::endl;
        return 1;
    }
    context.Out << "Controller type: " << type << '\n';
    // As the parameter windows show it: "2.150", or "Unknown < 2.057" for a controller without the query.
    context.Out << "Software version: " << TParameterTransfer::FormatSoftwareVersion(version, context.Configuration.Language()) << '\n';
    return 0;
}
