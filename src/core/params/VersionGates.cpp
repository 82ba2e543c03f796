#include "core/params/VersionGates.h"

#include "core/base/Language.h"
#include "core/base/Records.h"

namespace {

std::function<bool(int)> From(int first) {
    return [first](int version) { return version >= first; };
}

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
void AddLines(std::vector<TVersionGroup>& groups, Family family, const TLanguage& language) {
    const auto Line = [&language](int record) { return QStringLiteral("- ") + language.Text(record); };
    const QString up = QLatin1Char(' ') + language.Text(Record::UpperCaseUp);
    const QString down = QLatin1Char(' ') + language.Text(Record::UpperCaseDown);
    groups[0].ListLines = {Line(253) + up, Line(253) + down};
    if (family == Family::Tkx) {
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

const std::vector<TVersionGroup>& TVersionGates::Groups(Family family) {
    if (m_tkx.empty()) {
        m_tkx = TkxGroups();
        m_vfTkx = ItkxGroups();
    }
    if (m_languageOfLines != m_language.Index()) {
        AddLines(m_tkx, Family::Tkx, m_language);
        AddLines(m_vfTkx, Family::VfTkx, m_language);
        m_languageOfLines = m_language.Index();
    }
    return family == Family::VfTkx ? m_vfTkx : m_tkx;
}

const TVersionGroup* TVersionGates::GroupOf(Family family, const QString& field) {
    for (const TVersionGroup& group : Groups(family)) {
        if (group.Fields.contains(field)) {
            return &group;
        }
    }
    return nullptr;
}
