#pragma once

#include <QString>

#include "core/base/Family.h"

class TProgram;

// The range message box and the port selection, saved as PREFIX + name + ".png".
bool TakeDialogShots(TProgram& program, const QString& prefix);

// A stored set of the family with every parameter at its default, so no field shows empty.
void AddCompleteSet(TProgram& program, Family family);

// Both parameter windows on the standard port, with a controller in the status line.
void ConnectParameterWindows(TProgram& program);

// The TKX window's bottom: buttons and the status line after a Receive, as "status-line.png".
bool TakeStatusLineShot(TProgram& program, const QString& prefix);
