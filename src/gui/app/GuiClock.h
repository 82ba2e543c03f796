#pragma once

#include "core/base/Clock.h"

// Pauses in the GUI keep the windows painted but let no user input through, so
// nobody can start a second operation while the controller is being served.
class GuiClock : public Clock {
public:
    void Sleep(int milliseconds) override;
    void Idle() override;
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};
