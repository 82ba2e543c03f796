#pragma once

#include "core/base/Family.h"

#include <QString>

#include <optional>
#include <vector>

class TLanguage;
class TParameterDatabase;

// One parameter value of a set as it is about to be stored or sent: from a file line,
// from the edit fields of a window or from the family's current set record.
struct TSetValue {
    QString Field;
    std::optional<double> Value; // none: the field is empty
    int Line = 0;                // the file line it came from; 0 when not from a file
};

// A value that must not reach the controller, with what the user needs to correct it.
struct TValueProblem {
    enum class Kind { Empty, OutOfRange, Duplicated };
    Kind Problem = Kind::OutOfRange;
    QString Field;
    QString Caption; // the parameter's label in the current language
    QString Value;   // as it was given; empty for an empty field
    double Minimum = 0;
    double Maximum = 0;
    int Line = 0;

    // "- Start speed UP (StartSpeedUp): 99999999.00  [0.00 .. 2.00]", with " (line 7)" when from a file;
    // an empty field says so in place of its value.
    QString Describe(const TLanguage& language) const;
};

// The values of a set checked against the family's metadata before they
// are stored or sent: every metadata field that is given must be present once, not empty,
// and within Minimum .. Maximum as the controller will receive it (the value times the
// factor, rounded). Fields the metadata does not know are left to the caller. The TKX
// minimum pressure is checked in the unit that is sent: bar, or psi when psi is true.
// The result lists every offending field in the order the values were given.
std::vector<TValueProblem> CheckSetForWriting(TParameterDatabase& database, Family family,
                                              const std::vector<TSetValue>& values, bool psi);

// The fields of the family's current set record, in metadata order, as the check takes them.
std::vector<TSetValue> CurrentSetValues(TParameterDatabase& database, Family family);

// The message for a refused set: "The value for the following parameters is out of range."
// and one line per problem.
QString DescribeValueProblems(const std::vector<TValueProblem>& problems, const TLanguage& language);
