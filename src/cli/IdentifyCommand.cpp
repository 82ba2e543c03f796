#include "cli/IdentifyCommand.h"

#include "core/app/TConfiguration.h"

#include "cli/ControllerPort.h"

#include "core/base/Clock.h"
#include "core/link/TTorvexController.h"
#include "core/params/TParameterTransfer.h"

namespace {

// A reply as a person can read it in a terminal: control characters and bytes above ASCII as \xNN.
QString Printable(const QString& reply) {
    QString shown;
    for (QChar c : reply) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            shown += c;
        } else {
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        }
    }
    return shown;
}

} // namespace

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
    bool lineFailed = false;
    {
        TTorvexController session(*port, context.Configuration.LinkSettings(), context.Configuration.Ports(),
                                  context.Time);
        version = session.ReadSoftwareVersion(QStringLiteral("2050"));
        lineFailed = session.LinkFailed();
    }
    if (type.isEmpty()) {
        context.Err << "torvex: no controller answered on " << port->Name << Qt::endl;
        return 1;
    }
    // A controller that went away or a disturbed line must not pass for an identified controller.
    if (lineFailed) {
        context.Err << "torvex: the line to " << port->Name << " failed before the software version was read"
                    << Qt::endl;
        return 1;
    }
    if (!TParameterTransfer::IsControllerType(type) || !TParameterTransfer::IsVersionReply(version)) {
        context.Err << "torvex: the controller's reply on " << port->Name << " cannot be read (type \""
                    << Printable(type) << "\", software version \"" << Printable(version) << "\")" << Qt::endl;
        return 1;
    }
    context.Out << "Controller type: " << type << '\n';
    // As the parameter windows show it: "2.150", or "Unknown < 2.057" for a controller without the query.
    context.Out << "Software version: "
                << TParameterTransfer::FormatSoftwareVersion(version, context.Configuration.Language()) << '\n';
    return 0;
}
