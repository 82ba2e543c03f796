#pragma once

#include <QString>

class TProgram;

// The data view over a simulated controller streaming lift runs: a live run, a stored picture
// with the read-out, the zoom dialog, and the first page of the curve printout.
bool TakeDataViewShots(TProgram& program, const QString& prefix);
