#pragma once

#include "core/base/Clock.h"

class QThread;

// Pauses in the GUI keep the windows painted but let no user input through, so
// nobody can start a second operation while the controller is being served. It belongs to the
// thread that made it: processing events on another thread would run that thread's timers and
// objects behind its back, so a pause asked for elsewhere throws std::logic_error.
class GuiClock : public Clock {
public:
    GuiClock();
    void Sleep(int milliseconds) override;
    void Idle() override;
    QDateTime Now() const override { return QDateTime::currentDateTime(); }

private:
    void RequireOwnThread() const;
    QThread* m_thread;
};
