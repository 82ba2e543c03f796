#pragma once

#include <QString>

class TProgram;

// The VF-TKX set printout (first and last page), its service report and the parameter
// list, as the documentation shows them. False when a picture could not be made.
bool SavePrintoutShots(TProgram& program, const QString& prefix);
