#include "core/params/VersionGates.h"

#include "core/base/Language.h"

namespace {

std::function<bool(int)> From(int first) {
    return [first](int version) { return version >= first; };
}

QString Line(int record) { return QStringLiteral("- ") + Text(record); }

std::vector<TVersionGroup> TkxGroups() {
    return {
        {{"FlowCalUp", "FlowCalDn"}, {1, 1}, From(2052), From(2052), {}},
        {{"DemandRedType"}, {3}, From(2061), From(2061), {}},
        {{"StartDelay"}, {1}, From(2097), From(2097), {}},
        {{"CommandInput"}, {1}, From(2098), From(2098), {}},
        {{"AuxCurve", "RelayFunction"}, {0, 1}, From(2099), From(2099), {}},
        {{"InspectionAccel", "K6Accel", "K7Accel", "K8Accel"}, {2, 0.8, 1.2, 1.6}, From(2106), From(2106), {}},
        {{"EdgeDetect"}, {2}, From(2220), From(2220), {}},
    };
}

std::vector<TVersionGroup> ItkxGroups() {
    const auto demandRead = [](int version) { return version >= 2110 && version <= 2119; };
    return {
        {{"FlowCalUp", "FlowCalDn"}, {1, 1}, From(2052), From(2052), {}},
        {{"NOpenValve"}, {15}, From(2053), From(2053), {}},
        {{"StartDelay", "CommandInput", "AuxCurve", "RelayFunction", "InspectionAccel", "K6Accel", "K7Accel",
          "K8Accel"},
         {1, 1, 0, 1, 2, 0.8, 1.2, 1.6},
         From(2106),
         From(2106),
         {}},
        {{"DemandRedType"}, {3}, demandRead, demandRead, {}},
        {{"AuxSpeed"}, {1}, From(2142), From(2142), {}},
        // Newer controllers evaluate the inverter status themselves; the read handles it.
        {{"FUError"}, {3}, [](int version) { return version <= 2142; }, [](int) { return true; }, {}},
    };
}

// The notice lines are texts of the current language, so they are made when asked for.
void AddLines(std::vector<TVersionGroup>& groups, int family) {
    const QString up = QLatin1Char(' ') + Text(114);
    const QString down = QLatin1Char(' ') + Text(115);
    groups[0].ListLines = {Line(253) + up, Line(253) + down};
    if (family == 1) {
        groups[1].ListLines = {Line(263)};
        groups[2].ListLines = {Line(267)};
        groups[3].ListLines = {Line(269)};
        groups[4].ListLines = {Line(270), Line(268)};
        groups[5].ListLines = {Line(271), Line(272), Line(273), Line(274)};
        groups[6].ListLines = {Line(325)};
    } else {
        groups[1].ListLines = {Line(259)};
        groups[2].ListLines = {Line(267), Line(269), Line(270), Line(268), Line(271), Line(272), Line(273), Line(274)};
        groups[4].ListLines = {Line(289)};
    }
}

} // namespace

const std::vector<TVersionGroup>& VersionGates::Groups(int family) {
    static std::vector<TVersionGroup> tkx;
    static std::vector<TVersionGroup> itkx;
    static int languageOfLines = -1;
    if (tkx.empty()) {
        tkx = TkxGroups();
        itkx = ItkxGroups();
    }
    if (languageOfLines != LanguageIndex) {
        AddLines(tkx, 1);
        AddLines(itkx, 2);
        languageOfLines = LanguageIndex;
    }
    return family == 2 ? itkx : tkx;
}

const TVersionGroup* VersionGates::GroupOf(int family, const QString& field) {
    for (const TVersionGroup& group : Groups(family)) {
        if (group.Fields.contains(field)) {
            return &group;
        }
    }
    return nullptr;
}
