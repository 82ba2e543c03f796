#include "cli/PortsCommand.h"

#include "core/app/TConfiguration.h"

void PortsCommand::Parse(const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        throw UsageError(QStringLiteral("ports takes no arguments"));
    }
}

int PortsCommand::Run(CliContext& context) {
    for (const QString& name : context.Configuration.PortNames()) {
        context.Out << name << '\n';
    }
    return 0;
}
