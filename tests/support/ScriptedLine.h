#pragma once

#include "ManualClock.h"
#include "core/livedata/TLiveLine.h"

#include <QByteArray>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

// A live-data line played from a script: bytes that arrive, silences that make a waiting read
// time out (advancing the clock by the time waited), and a hang that blocks until woken.
// After the script, the line is silent: timed reads time out, reads without limit block.
class ScriptedLine : public TLiveLine {
public:
    struct Shared {
        std::mutex Mutex;
        std::condition_variable Changed;
        bool Woken = false;
        bool Blocked = false; // waiting for Wake with nothing left to play, or in a hang
        int Resumes = 0;      // hangs the test has let pass
        int Reads = 0;
        bool Opened = false;
        bool Closed = false;
    };

    ScriptedLine(ManualClock& clock, bool opens = true)
        : m_clock(clock), m_opens(opens), m_shared(std::make_shared<Shared>()) {}

    ScriptedLine& Bytes(const QByteArray& bytes) { return Add({Event::Bytes, bytes}); }
    ScriptedLine& Silence() { return Add({Event::Silence, {}}); }
    ScriptedLine& Hang() { return Add({Event::Hang, {}}); }

    // Lets the line go on after the hang it is blocked in.
    static void Resume(Shared& shared) {
        std::lock_guard lock(shared.Mutex);
        ++shared.Resumes;
        shared.Blocked = false;
        shared.Changed.notify_all();
    }

    // What the test keeps watching after the line has gone to the receiver.
    std::shared_ptr<Shared> State() const { return m_shared; }

    // Waits until the receiver blocks on the line for good (the script is played out).
    static void WaitBlocked(Shared& shared) {
        std::unique_lock lock(shared.Mutex);
        shared.Changed.wait(lock, [&] { return shared.Blocked; });
    }

    bool Open() override {
        std::lock_guard lock(m_shared->Mutex);
        m_shared->Opened = true;
        return m_opens;
    }
    void Close() override {
        std::lock_guard lock(m_shared->Mutex);
        m_shared->Closed = true;
    }
    void Wake() override {
        std::lock_guard lock(m_shared->Mutex);
        m_shared->Woken = true;
        m_shared->Changed.notify_all();
    }

    Result Read(std::uint8_t* buffer, int count, int timeoutMs) override {
        std::unique_lock lock(m_shared->Mutex);
        ++m_shared->Reads;
        while (true) {
            if (m_shared->Woken) {
                return Result::Stopped;
            }
            if (m_arrived.size() >= count) {
                std::memcpy(buffer, m_arrived.constData(), std::size_t(count));
                m_arrived.remove(0, count);
                return Result::Completed;
            }
            if (!m_script.empty() && m_script.front().What == Event::Bytes) {
                m_arrived += m_script.front().Data;
                m_script.pop_front();
                continue;
            }
            const bool hang = !m_script.empty() && m_script.front().What == Event::Hang;
            if (!hang && timeoutMs >= 0) {
                if (!m_script.empty()) {
                    m_script.pop_front(); // the silence is used up by this timeout
                }
                m_clock.Advance(timeoutMs);
                m_arrived.clear(); // as on the serial line: what came before the silence is dropped
                return Result::TimedOut;
            }
            if (!hang && !m_script.empty()) {
                m_script.pop_front(); // a silence passes unnoticed by a wait without limit
                continue;
            }
            m_shared->Blocked = true;
            m_shared->Changed.notify_all();
            m_shared->Changed.wait(lock, [&] { return m_shared->Woken || (hang && m_shared->Resumes > m_resumed); });
            if (!m_shared->Woken) {
                ++m_resumed;
                m_script.pop_front();
            }
        }
    }

private:
    struct Event {
        enum Kind { Bytes, Silence, Hang } What;
        QByteArray Data;
    };
    ScriptedLine& Add(Event event) {
        m_script.push_back(std::move(event));
        return *this;
    }

    ManualClock& m_clock;
    bool m_opens;
    std::shared_ptr<Shared> m_shared;
    std::deque<Event> m_script;
    QByteArray m_arrived;
    int m_resumed = 0;
};
