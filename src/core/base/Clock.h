#pragma once

#include <QDateTime>

#include <vector>

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

// Time that passes only when somebody sleeps or it is moved on: the protocol's
// pauses run in no time under test, and every pause taken is remembered.
class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(13, 43, 5))) : m_start(std::move(start)) {}

    void Sleep(int milliseconds) override {
        Pauses.push_back(milliseconds);
        AdvanceMicros(qint64(milliseconds) * 1000);
    }
    QDateTime Now() const override { return m_start.addMSecs(m_micros / 1000); }
    // Time spent waiting for something other than a fixed pause (a reply, a write).
    void Advance(qint64 milliseconds) { AdvanceMicros(milliseconds * 1000); }
    void AdvanceMicros(qint64 micros) { m_micros += micros; }
    qint64 ElapsedMicros() const { return m_micros; }

    std::vector<int> Pauses;

private:
    QDateTime m_start;
    qint64 m_micros = 0;
};
