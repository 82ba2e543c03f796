#pragma once

#include "core/base/Clock.h"

#include <atomic>
#include <mutex>
#include <vector>

// Time that passes only when somebody sleeps or it is moved on: the protocol's
// pauses run in no time under test, and every pause taken is remembered. The recorder's and the
// receiver's threads use it as well: the time is atomic and the pauses are taken under a lock
// (tests read them once those threads are quiet).
class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(13, 43, 5)))
        : m_start(std::move(start)) {}

    void Sleep(int milliseconds) override {
        {
            std::lock_guard lock(m_pausesLock);
            Pauses.push_back(milliseconds);
        }
        AdvanceMicros(qint64(milliseconds) * 1000);
    }
    QDateTime Now() const override { return m_start.addMSecs(m_micros.load() / 1000); }
    // Time spent waiting for something other than a fixed pause (a reply, a write).
    void Advance(qint64 milliseconds) { AdvanceMicros(milliseconds * 1000); }
    void AdvanceMicros(qint64 micros) { m_micros += micros; }
    qint64 ElapsedMicros() const { return m_micros.load(); }

    std::vector<int> Pauses;

private:
    const QDateTime m_start;
    std::atomic<qint64> m_micros{0};
    std::mutex m_pausesLock;
};
