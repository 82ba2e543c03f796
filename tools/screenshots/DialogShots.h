#pragma once

#include <QString>

#include "core/base/Family.h"
#include "core/link/PortReservation.h"

class TProgram;

// The range message box and the port selection, saved as PREFIX + name + ".png".
bool TakeDialogShots(TProgram& program, const QString& prefix);

// A stored set of the family with every parameter at its default, so no field shows empty.
void AddCompleteSet(TProgram& program, Family family);

// Both parameter windows on the standard port, taken for as long as the result is kept; and the
// controller of a family as last identified.
[[nodiscard]] PortReservation ConnectParameterWindows(TProgram& program);
void ShowController(TProgram& program, Family family);

// The TKX window's bottom: buttons and the status line after a Receive, as "status-line.png";
// and the main window with its status line, as "main-window.png".
bool TakeStatusLineShot(TProgram& program, const QString& prefix);
