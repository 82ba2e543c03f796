#pragma once

#include "TSimulatedController.h"
#include "core/link/ByteLink.h"

#include "ManualClock.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

// A controller session's line to the simulated controller (or any responder), in
// memory and on a manual clock: bytes take their transfer time at the line's baud
// rate, replies come back byte by byte, and every write is stamped for the tests
// with the moment it left. As on a serial port, written bytes stay in a buffer until
// the session waits for them to be written or waits for a reply.
class TSimulatorLink : public ByteLink {
public:
    struct Written {
        qint64 AtMicros; // when its first byte went out
        QByteArray Bytes;
    };

    using Responder = std::function<QByteArray(const QByteArray& received)>;

    TSimulatorLink(TSimulatedController& controller, ManualClock& clock, int baud = 19200)
        : TSimulatorLink([&controller](const QByteArray& bytes) { return controller.Receive(bytes); }, clock, baud) {}
    TSimulatorLink(Responder responder, ManualClock& clock, int baud = 19200)
        : m_respond(std::move(responder)), m_clock(clock), m_byteMicros(10'000'000 / baud) {}

    bool IsOpen() const override { return true; }
    bool Write(const QByteArray& bytes) override;
    bool WaitWritten(int timeoutMs) override;
    int ReadByte(int timeoutMs) override;

    // Extra bytes on the line, as if the controller had sent them on its own.
    void Inject(const QByteArray& bytes, qint64 delayMicros = 0);
    // Delay before each reply starts.
    void SetReplyDelay(qint64 micros) { m_replyDelayMicros = micros; }

    // While this says so, every write fails at once, as on a line whose device went away.
    std::function<bool()> Unplugged;

    using WriteLog = std::vector<Written>;
    // Everything the session wrote, in one piece.
    static QByteArray AllWritten(const WriteLog& log);

    // Shared, so a test can read it after the session (and this link) has gone.
    std::shared_ptr<WriteLog> Writes = std::make_shared<WriteLog>();

private:
    struct Incoming {
        qint64 AtMicros;
        char Byte;
    };
    void Queue(const QByteArray& bytes, qint64 fromMicros);
    void Flush();

    Responder m_respond;
    ManualClock& m_clock;
    qint64 m_byteMicros;
    qint64 m_replyDelayMicros = 0;
    qint64 m_writeDoneMicros = 0;
    std::deque<Incoming> m_incoming;
    std::vector<QByteArray> m_pending;
};
