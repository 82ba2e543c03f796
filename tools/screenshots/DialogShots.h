#pragma once

#include <QString>

class TProgram;

// The range message box and the port selection, saved as PREFIX + name + ".png".
bool TakeDialogShots(TProgram& program, const QString& prefix);
