#pragma once

#include "core/base/Family.h"
#include <functional>

class Clock;
class Feedback;
class QPrinter;
class QString;
class TParameterDatabase;

// The parameter windows' printing: the current set's printout or its service report
// on the printer (or PDF file) the user chose.
namespace TSetPrinting {

enum class Pages { Printout, Report };

// Lays the pages out for the printer's page and prints them. A table error ends the
// print job and is shown; a missing logo is shown and printing goes on.
void Print(Pages pages, TParameterDatabase& database, Family family, QPrinter& printer, const QString& logoPath,
           Feedback& ui, const Clock& clock, const std::function<void(int)>& progress);

} // namespace TSetPrinting
