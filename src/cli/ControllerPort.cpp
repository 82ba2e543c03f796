#include "cli/ControllerPort.h"

#include "core/app/TConfiguration.h"

ControllerPort::ControllerPort(CliContext& context) : m_context(context) {
    m_port = context.Configuration.SelectPort();
    if (m_port == nullptr) {
        ExplainMissing(context);
    }
}

void ControllerPort::ExplainMissing(CliContext& context) {
    const QStringList detected = context.Configuration.PortNames();
    if (!context.Port.isEmpty()) {
        context.Err << "torvex: " << context.Port << " cannot be opened (missing, or held by another program)"
                    << Qt::endl;
    } else {
        context.Err << "torvex: no serial port given; use --port DEVICE"
                    << (detected.isEmpty() ? QString() : QStringLiteral(" (free now: ") + detected.join(", ") + ')')
                    << Qt::endl;
    }
}

ControllerPort::~ControllerPort() {
    if (m_port != nullptr) {
        m_port->InUse = false;
    }
}

int ControllerPort::CannotOpen() const {
    m_context.Err << "torvex: " << m_port->Name << " cannot be opened (missing, or held by another program)"
                  << Qt::endl;
    return 1;
}
