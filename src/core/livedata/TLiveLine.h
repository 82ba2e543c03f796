#pragma once

#include <QString>

#include <cstdint>

// The line the live-data receiver listens on: the serial port in the program, a scripted
// byte source under test. Open, Read and Close run on the receiver's thread; Wake on any.
class TLiveLine {
public:
    enum class Result { Completed, TimedOut, Stopped };

    virtual ~TLiveLine() = default;
    virtual bool Open() = 0;
    // Why the last Open failed, for the user ("" when it did not).
    virtual QString OpenError() const { return {}; }
    virtual void Close() = 0;
    // Waits until `count` bytes have arrived (copied to buffer), Wake was called, or timeoutMs
    // has passed (-1: no limit). Bytes of a read that timed out are dropped: a frame cut by
    // silence is no frame, and must not be glued to what arrives after the silence.
    virtual Result Read(std::uint8_t* buffer, int count, int timeoutMs) = 0;
    // Ends the current and every later Read with Stopped.
    virtual void Wake() = 0;
};
