#pragma once

#include <QString>

class ManualClock;
class TProgram;

// The controller password dialogs, the zero-point and the special-test windows,
// served by the simulated controller in memory.
bool TakeServiceShots(TProgram& program, ManualClock& clock, const QString& prefix);
