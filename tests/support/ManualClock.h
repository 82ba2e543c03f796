#pragma once

#include "core/base/Clock.h"

#include <vector>

// Time that passes only when somebody sleeps or it is moved on: the protocol's
// pauses run in no time under test, and every pause taken is remembered.
class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(13, 43, 5)))
        : m_start(std::move(start)) {}

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
