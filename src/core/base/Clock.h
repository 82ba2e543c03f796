#pragma once

#include <QDateTime>

// Every fixed pause and every "now" goes through a clock, so tests can run the
// protocol's long pauses in no time and still see which pauses were taken.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void Sleep(int milliseconds) = 0;
    virtual QDateTime Now() const = 0;
    // Called now and then while waiting for a device: the GUI repaints there.
    virtual void Idle() {}
};

class SystemClock : public Clock {
public:
    void Sleep(int milliseconds) override;
    QDateTime Now() const override;
};
