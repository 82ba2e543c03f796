#include "core/link/SerialPort.h"

#include "core/base/Clock.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <termios.h>

namespace {

QSerialPort::Parity ParityOf(std::uint8_t index) {
    switch (index) {
    case 1:
        return QSerialPort::OddParity;
    case 2:
        return QSerialPort::EvenParity;
    case 3:
        return QSerialPort::MarkParity;
    case 4:
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

// Received parity errors are not checked and bytes are passed on unchanged, whatever
// parity the line sends with.
bool PassEveryByte(QSerialPort& port) {
    termios tio{};
    if (::tcgetattr(static_cast<int>(port.handle()), &tio) != 0) {
        return false;
    }
    tio.c_iflag &= ~static_cast<tcflag_t>(INPCK | PARMRK | ISTRIP | IGNPAR | IXON | IXOFF | IXANY);
    return ::tcsetattr(static_cast<int>(port.handle()), TCSANOW, &tio) == 0;
}

} // namespace

PortHandle TPortState::Open(const TCommParameter& settings, QString* why) {
    {
        const std::lock_guard lock(m_mutex);
        if (!m_open.expired()) {
            return m_shared;
        }
    }
    PortHandle port(new QSerialPort(settings.Name), [](QSerialPort* device) {
        device->close();
        delete device;
    });
    if (!port->open(QIODevice::ReadWrite)) {
        if (why != nullptr) {
            *why = settings.Name + QStringLiteral(": ") + port->errorString();
        }
        return {};
    }
    const bool configured = port->setBaudRate(settings.Baud) &&
                            port->setDataBits(static_cast<QSerialPort::DataBits>(settings.DataBits)) &&
                            port->setParity(ParityOf(settings.Parity)) &&
                            port->setStopBits(settings.StopBits == 1 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
                            port->setFlowControl(QSerialPort::NoFlowControl) && PassEveryByte(*port);
    if (!configured) {
        if (why != nullptr) {
            *why = settings.Name + QStringLiteral(": ") + port->errorString();
        }
        return {};
    }
    // A pty has no modem lines: failing to lower them there is no reason to refuse the port.
    port->setDataTerminalReady(false);
    port->setRequestToSend(false);
    port->clearError();
    const std::lock_guard lock(m_mutex);
    m_open = port;
    return port;
}

PortHandle TPortState::Close(PortHandle handle) {
    if (handle) {
        handle->close();
        Forget();
    }
    return {};
}

bool TPortState::IsOpen() const {
    const std::lock_guard lock(m_mutex);
    return !m_open.expired();
}

PortHandle TPortState::Shared() const {
    const std::lock_guard lock(m_mutex);
    return m_shared;
}

void TPortState::Share(PortHandle handle) {
    const std::lock_guard lock(m_mutex);
    m_open = handle;
    m_shared = std::move(handle);
}

void TPortState::Forget() {
    const std::lock_guard lock(m_mutex);
    m_open.reset();
    m_shared.reset();
}

namespace {
// The device went away or refused a transfer (a pulled adapter, a closed pty): nothing
// written from now on arrives, and waiting for replies is pointless.
bool Broken(const QSerialPort& port) {
    const QSerialPort::SerialPortError error = port.error();
    return error == QSerialPort::ResourceError || error == QSerialPort::WriteError || error == QSerialPort::ReadError;
}
} // namespace

QString PortSettingsProblem(const TCommParameter& settings) {
    QStringList problems;
    if (settings.Baud <= 0) {
        problems << QStringLiteral("baud rate %1").arg(settings.Baud);
    }
    if (settings.DataBits < 5 || settings.DataBits > 8) {
        problems << QStringLiteral("%1 data bits").arg(settings.DataBits);
    }
    if (settings.Parity > 4) {
        problems << QStringLiteral("parity %1").arg(settings.Parity);
    }
    if (settings.StopBits > 1) {
        problems << QStringLiteral("%1 stop bits").arg(settings.StopBits + 1);
    }
    return problems.join(QStringLiteral(", "));
}

bool SerialLink::Write(const QByteArray& bytes) {
    return m_port != nullptr && !Broken(*m_port) && m_port->write(bytes) == bytes.size();
}

bool SerialLink::WaitWritten(int timeoutMs) {
    if (m_port == nullptr || Broken(*m_port)) {
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(static_cast<int>(deadline.remainingTime())) || deadline.hasExpired()) {
            return m_port->bytesToWrite() == 0 && !Broken(*m_port);
        }
    }
    return !Broken(*m_port);
}

int SerialLink::ReadByte(int timeoutMs) {
    if (m_port == nullptr || !m_port->isOpen() || (Broken(*m_port) && m_port->bytesAvailable() == 0)) {
        return kFailed;
    }
    if (m_port->bytesAvailable() == 0) {
        // Wait in short slices so a window can repaint meanwhile; the timeout stays the same.
        const QDeadlineTimer deadline(std::max(0, timeoutMs));
        bool arrived = false;
        do {
            arrived = m_port->waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 25)));
            if (!arrived && m_idle != nullptr) {
                m_idle->Idle();
            }
        } while (!arrived && !deadline.hasExpired());
        if (!arrived) {
            return Broken(*m_port) ? kFailed : kTimedOut;
        }
    }
    char byte = 0;
    return m_port->getChar(&byte) ? static_cast<unsigned char>(byte) : kTimedOut;
}
