#include "cli/ControllerPort.h"

#include "core/app/TConfiguration.h"
#include "core/link/PortDiagnosis.h"
#include "core/link/SerialPort.h"

ControllerPort::ControllerPort(CliContext& context) : m_context(context), m_port(context.Configuration.SelectPort()) {
    if (!m_port) {
        ExplainMissing(context);
        return;
    }
    // Settings no device can take fail every open: say so rather than blame the device.
    const QString problem = PortSettingsProblem(*m_port);
    if (!problem.isEmpty()) {
        context.Err << "torvex: " << m_port->Name << " cannot be used with its line settings (" << problem
                    << "); correct them in Options / Configuration" << Qt::endl;
        m_port.Release();
    }
}

void ControllerPort::ExplainMissing(CliContext& context) {
    const QStringList detected = context.Configuration.PortNames();
    if (!context.Port.isEmpty()) {
        context.Err << "torvex: " << context.Port
                    << " cannot be opened: " << PortDiagnosis::Diagnose(context.Port).Explanation() << Qt::endl;
    } else {
        context.Err << "torvex: no serial port given; use --port DEVICE"
                    << (detected.isEmpty() ? QString() : QStringLiteral(" (free now: ") + detected.join(", ") + ')')
                    << Qt::endl;
    }
}

int ControllerPort::CannotOpen() const {
    m_context.Err << "torvex: " << m_port->Name
                  << " cannot be opened: " << PortDiagnosis::Diagnose(m_port->Name).Explanation() << Qt::endl;
    return 1;
}
