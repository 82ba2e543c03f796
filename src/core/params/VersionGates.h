#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Which parameters each controller software version knows. A group's members are
// read (and written) only by the versions it names; for the others the read puts
// in the substitutes and, where the group is listed, tells the user.
struct TVersionGroup {
    QStringList Fields;
    std::vector<double> Substitutes;     // same positions as Fields
    std::function<bool(int)> ReadBy;     // versions whose value is read from the controller
    std::function<bool(int)> WrittenTo;  // versions the value is sent to
    QStringList ListLines;               // the notice's lines, empty: not listed
};

namespace VersionGates {
// The groups of a family (1 TKX, 2 VF-TKX) in their listing order.
const std::vector<TVersionGroup>& Groups(int family);
// The group a field belongs to, or nullptr.
const TVersionGroup* GroupOf(int family, const QString& field);
} // namespace VersionGates
