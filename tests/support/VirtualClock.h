#pragma once

#include "app/Clock.h"

#include <vector>

// Time that passes only when somebody sleeps; remembers every pause taken.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(13, 43, 5)))
        : m_now(std::move(start)) {}

    void Sleep(int milliseconds) override {
        Pauses.push_back(milliseconds);
        m_now = m_now.addMSecs(milliseconds);
    }
    QDateTime Now() const override { return m_now; }
    void Advance(qint64 milliseconds) { m_now = m_now.addMSecs(milliseconds); }

    std::vector<int> Pauses;

private:
    QDateTime m_now;
};
