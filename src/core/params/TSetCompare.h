#pragma once

#include "core/base/Family.h"
#include "core/params/TSetCheck.h"

#include <QString>

#include <functional>
#include <optional>
#include <set>
#include <vector>

class TCommParameter;
class TParameterDatabase;
class TTorvexController;
struct TControllerAccess;

// One parameter whose value is not the same on both sides, in the set's units.
struct TParameterDifference {
    QString Field;
    int Address = 0;
    QString Caption; // in the configured language
    QString Unit;
    std::optional<double> Theirs; // the controller's (or the other set's) value; none: empty
    std::optional<double> Ours;   // the set's value; none: empty
    bool TheirsInRange = true;    // the controller's value lies within the set's range

    // "6.55": a "." and as many decimals as the parameter windows show; empty for an empty field.
    static QString ValueText(const std::optional<double>& value);
};

// What a comparison found, and what it knows of the controller it read.
struct TSetComparison {
    std::vector<TParameterDifference> Differences;     // in address order
    std::vector<TParameterDifference> NotOnController; // parameters the controller's version lacks
    int Compared = 0;                                  // parameters compared on both sides
    QString ControllerType;                            // "TKX", "VF-TKX"; empty without a controller
    QString SoftwareVersion;                           // "2.220"
    QString SerialNumber;                              // "000012345"
    // The fields that differ, for a write of only those.
    std::set<QString> DifferingFields() const;
};

namespace TSetCompare {

// The family's current set record, field by field in metadata order.
std::vector<TSetValue> CurrentValues(TParameterDatabase& database, Family family);
// A set against another set: no controller is involved. The pressure of TKX sets is compared in
// the unit the windows show (psi when psi is true).
TSetComparison AgainstSet(TParameterDatabase& database, Family family, const std::vector<TSetValue>& ours,
                          const std::vector<TSetValue>& theirs, bool psi);
// A set against the parameter dump of a controller of the given software version: what it
// holds, converted as a read converts it; parameters its version lacks are listed apart.
TSetComparison AgainstDump(TParameterDatabase& database, Family family, const std::vector<TSetValue>& ours,
                           const TTorvexController& session, int version, bool psi);
// Reads the controller's dump twice into the session: a line that loses or garbles bytes damages
// the two reads differently, so only two alike reads are taken as what the controller holds.
// False when the link failed or the reads disagree.
bool ReadSteadyDump(TTorvexController& session, const std::function<void(int)>& progress = {});
// The information entries of a dump: software version, serial number.
void TakeIdentity(const TTorvexController& session, TSetComparison& comparison);

// A set (CurrentValues of the family's table, say) against the controller on the port: one
// session with the type, the version and the dump read twice alike. None when the comparison could not be
// made (the user has been told why, as a read tells it).
std::optional<TSetComparison> AgainstController(TParameterDatabase& database, TControllerAccess& access, Family family,
                                                const std::vector<TSetValue>& ours, const TCommParameter* port,
                                                bool psi, const std::function<void(int)>& progress = {});

} // namespace TSetCompare
