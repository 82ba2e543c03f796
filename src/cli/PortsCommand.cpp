#include "cli/PortsCommand.h"

#include "core/app/TConfiguration.h"
#include "core/link/PortDiagnosis.h"

void PortsCommand::Parse(const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        throw UsageError(QStringLiteral("ports takes no arguments"));
    }
}

int PortsCommand::Run(CliContext& context) {
    // Every serial device with its state: a port that is not available says why, so the
    // technician looks for the right problem.
    for (const QString& device : context.Configuration.DeviceCandidates()) {
        const TPortDiagnosis diagnosis = PortDiagnosis::Diagnose(device);
        context.Out << device << '\t' << diagnosis.StateWord();
        if (diagnosis.Kind != TPortDiagnosis::State::Available) {
            context.Out << '\t' << diagnosis.Explanation();
        }
        context.Out << '\n';
    }
    return 0;
}
