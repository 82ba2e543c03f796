#pragma once

#include "core/base/Family.h"
#include "core/base/Language.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Which parameters each controller software version knows. A group's members are
// read (and written) only by the versions it names; for the others the read puts
// in the substitutes and, where the group is listed, tells the user.
struct TVersionGroup {
    QStringList Fields;
    std::vector<double> Substitutes;    // same positions as Fields
    std::function<bool(int)> ReadBy;    // versions whose value is read from the controller
    std::function<bool(int)> WrittenTo; // versions the value is sent to
    QStringList ListLines;              // the notice's lines, empty: not listed
};

// The groups of both families, kept by the operation that consults them; the notice
// lines follow the language the texts are shown in.
class TVersionGates {
public:
    explicit TVersionGates(const TLanguage& language) : m_language(language) {}

    // The groups of a family in their listing order.
    const std::vector<TVersionGroup>& Groups(Family family);
    // The group a field belongs to, or nullptr.
    const TVersionGroup* GroupOf(Family family, const QString& field);

private:
    const TLanguage& m_language;
    std::vector<TVersionGroup> m_tkx;
    std::vector<TVersionGroup> m_vfTkx;
    int m_languageOfLines = -1;
};
