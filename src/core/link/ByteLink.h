#pragma once

#include <QByteArray>

// The byte pipe a controller session talks through: a serial device in the
// program, the simulated controller in memory under test.
class ByteLink {
public:
    static constexpr int kTimedOut = -1;
    static constexpr int kFailed = -2; // the read failed at once (no port)

    virtual ~ByteLink() = default;

    virtual bool IsOpen() const = 0;
    // Starts sending the bytes; false when the write failed at once.
    virtual bool Write(const QByteArray& bytes) = 0;
    // Waits until what was written has left; -1 waits without limit. False when it did not finish in time.
    virtual bool WaitWritten(int timeoutMs) = 0;
    // The next received byte (0..255), waiting at most timeoutMs for it; kTimedOut or kFailed otherwise.
    // Bytes that arrive after a timeout stay for the next read: nothing is lost between replies.
    virtual int ReadByte(int timeoutMs) = 0;
};
