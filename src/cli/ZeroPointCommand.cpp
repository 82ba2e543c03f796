#include "cli/ZeroPointCommand.h"

#include "cli/ControllerPort.h"

#include "core/app/ControllerCommands.h"
#include "core/base/Clock.h"
#include "core/service/TZeroPointMeter.h"

void ZeroPointCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(QStringLiteral("zero-point"), arguments,
                                  {QStringLiteral("--count"), QStringLiteral("--interval")});
    if (!parsed.Positional.isEmpty()) {
        throw UsageError(QStringLiteral("zero-point: unexpected '%1'").arg(parsed.Positional[0]));
    }
    if (parsed.Has(QStringLiteral("--count"))) {
        m_count = ParseIntegerArgument(parsed.Value(QStringLiteral("--count")), QStringLiteral("--count"));
        if (m_count < 1 || m_count > 1000000) {
            throw UsageError(QStringLiteral("--count must be 1..1000000"));
        }
    }
    if (parsed.Has(QStringLiteral("--interval"))) {
        m_interval = ParseIntegerArgument(parsed.Value(QStringLiteral("--interval")), QStringLiteral("--interval"));
        if (m_interval < 0 || m_interval > 60000) {
            throw UsageError(QStringLiteral("--interval must be 0..60000 ms"));
        }
    }
}

int ZeroPointCommand::Run(CliContext& context) {
    ControllerPort port(context);
    if (!port.Obtained()) {
        return 1;
    }
    TControllerAccess access(context.Configuration, context.Ui, context.Time);
    TZeroPointMeter meter(access);
    meter.Start(*port);
    if (!meter.PortOpen()) {
        meter.Close();
        return port.CannotOpen();
    }
    int failed = 0;
    for (int i = 0; i < m_count; ++i) {
        if (i > 0) {
            context.Time.Sleep(m_interval); // between the end of one reading and the start of the next
        }
        const TZeroPointMeter::Reading reading = meter.Tick();
        if (!meter.IsOpen()) {
            return 1; // the line failed: told as a transfer error, and no reading comes any more
        }
        if (i == 0) {
            context.Out << meter.Title() << '\n';
        }
        context.Out << reading.Text << Qt::endl;
        failed += reading.Valid ? 0 : 1;
    }
    meter.Close();
    if (failed > 0) {
        context.Err << "torvex: " << failed << " of " << m_count << " readings failed" << Qt::endl;
        return 1;
    }
    return 0;
}
