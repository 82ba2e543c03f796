#pragma once

#include <QString>

// The controller family a parameter operation is for. None only where the
// metadata table is left unrestricted.
enum class Family { None = 0, Tkx = 1, VfTkx = 2 };

// The family's name as the controller reports its type and as files and the command line name it.
inline QString FamilyName(Family family) {
    return family == Family::VfTkx ? QStringLiteral("VF-TKX") : QStringLiteral("TKX");
}
