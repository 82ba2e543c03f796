#pragma once

#include <QString>

class ManualClock;
class TProgram;

// The differences table of Compare (the VF-TKX window's set against a simulated controller that
// lacks one of its parameters) and the logbook window with the entries of a ticked write.
bool TakeCompareShots(TProgram& program, ManualClock& clock, const QString& prefix);
