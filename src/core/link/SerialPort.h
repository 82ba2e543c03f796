#pragma once

#include "core/link/ByteLink.h"
#include "core/link/TCommParameter.h"

#include <memory>
#include <mutex>

class Clock;
class QSerialPort;

// An open serial device; empty when a port could not be opened. The device closes
// itself when the last handle to it goes away.
using PortHandle = std::shared_ptr<QSerialPort>;

// The port state of the program: it talks to one controller on one line. The port
// counts as open while a handle from Open lives (or until Close), so a handle
// dropped without Close cannot keep every later Open failing.
class TPortState {
public:
    // Opens the device exclusively with the port's line settings: raw 8-bit, no flow
    // control, DTR and RTS inactive where the device has them, no parity checking.
    // While the port is open already, the shared handle is returned (empty unless
    // the live-data receiver shared its handle). When it cannot be opened, `why` (if given)
    // gets the device and the system's reason.
    PortHandle Open(const TCommParameter& settings, QString* why = nullptr);
    // Closes a valid handle and clears the state; always returns an empty handle.
    PortHandle Close(PortHandle handle);
    bool IsOpen() const;

    // The live-data receiver's handle, for other users of the port while it runs.
    PortHandle Shared() const;
    void Share(PortHandle handle);
    // Forgets the open port and the shared handle, so the next Open opens the device afresh.
    void Forget();

private:
    mutable std::mutex m_mutex; // the receiver thread reads the shared handle
    std::weak_ptr<QSerialPort> m_open;
    PortHandle m_shared;
};

// What in the line settings no device can take ("baud rate -9600, 99 data bits"); empty when
// they are possible. A port with such settings fails for that reason, not because it is missing.
QString PortSettingsProblem(const TCommParameter& settings);

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
