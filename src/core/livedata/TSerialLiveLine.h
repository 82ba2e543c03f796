#pragma once

#include "core/link/SerialPort.h"
#include "core/livedata/TLiveLine.h"

#include <array>

// The receiver's serial line: the port is opened and locked through the link layer on the
// receiver's thread (whose event loop never runs, so the port object never reads behind our
// back); bytes come straight from its descriptor, waited for with poll() together with an
// eventfd that Wake signals.
class TSerialLiveLine : public TLiveLine {
public:
    TSerialLiveLine(TCommParameter settings, TPortState& ports);
    ~TSerialLiveLine() override;

    bool Open() override;
    QString OpenError() const override { return m_openError; }
    void Close() override;
    Result Read(std::uint8_t* buffer, int count, int timeoutMs) override;
    void Wake() override;

private:
    TCommParameter m_settings;
    TPortState& m_ports;
    PortHandle m_port;
    int m_fd = -1;
    int m_wake = -1;
    QString m_openError;
    // Bytes taken from the device but not yet asked for: read in bulk, handed out in order.
    std::array<std::uint8_t, 4096> m_buffer{};
    int m_begin = 0;
    int m_end = 0;
};
