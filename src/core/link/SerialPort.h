#pragma once

#include "core/link/ByteLink.h"
#include "core/link/TCommParameter.h"

#include <memory>

class Clock;
class QSerialPort;

// An open serial device; empty when a port could not be opened.
using PortHandle = std::shared_ptr<QSerialPort>;

// The one port state of the program: it talks to one controller on one line.
namespace SerialPortState {
inline bool PortOpenFlag = false;
// Set by the live-data receiver while it holds the port.
inline PortHandle SharedPortHandle;
} // namespace SerialPortState

// Opens the device exclusively with the port's line settings: raw 8-bit, no flow
// control, DTR and RTS inactive where the device has them, no parity checking.
// While the port is open already, the shared handle is returned.
PortHandle OpenPort(const TCommParameter& settings);
// Closes a valid handle and clears the port state; always returns an empty handle.
PortHandle ClosePort(PortHandle handle);

// A byte link on an open serial device (or on none, when opening failed).
class SerialLink : public ByteLink {
public:
    // idle: told now and then while a wait goes on (the GUI repaints), may be none.
    explicit SerialLink(PortHandle handle, Clock* idle = nullptr) : m_port(std::move(handle)), m_idle(idle) {}
    bool IsOpen() const override { return m_port != nullptr; }
    bool Write(const QByteArray& bytes) override;
    bool WaitWritten(int timeoutMs) override;
    int ReadByte(int timeoutMs) override;
    PortHandle Handle() const { return m_port; }

private:
    PortHandle m_port;
    Clock* m_idle;
};
