#include "gui/params/TViewITKXParameter.h"

#include "core/base/Language.h"

namespace {
using namespace ParameterRows;

std::vector<TParameterPage> Pages() {
    std::vector<TParameterControl> up{Edit("StartSpeedUp", 34, "V"), Edit("OffsetInvUp", 35, "%")};
    Append(up, Ramps("Up"));
    Append(up, Loop("Inv", "Up"));
    up.push_back(Edit("FlowCalUp", 253, ""));
    up.push_back(Edit("NOpenValve", 259, "Hz"));

    const std::vector<TParameterControl> ramps = Ramps("Dn");
    std::vector<TParameterControl> down{Edit("StartSpeedDn", 34, "V"),
                                        Edit("OffsetSolDn", 47, "V"),
                                        Edit("OffsetInvDn", 35, "%"),
                                        ramps[0],
                                        Edit("CrossOverSolInv", 48, "V"),
                                        Edit("CrossOverTime", 49, "s"),
                                        ramps[1],
                                        ramps[2],
                                        Edit("DecelOffSol", 50, "V"),
                                        ramps[3],
                                        ramps[4],
                                        ramps[5],
                                        List("DBLookupComboBoxTKXOp", "TKXOpDn", 51, "OnOff")};
    Append(down, Loop("Sol", "Dn"));
    Append(down, Loop("Inv", "Dn"));
    down.push_back(Edit("FlowCalDn", 253, ""));

    std::vector<TParameterControl> options{List("DBLookupComboBoxValveType", "ValveType", 57, "ValveType"),
                                           List("DBLookupComboBoxSIUType", "SIUType", 58, "SIUType")};
    Append(options, Supervision());
    Append(options, IntermediateSpeeds({"EditKAccel", "EditKAccel2", "EditKAccel3"}));
    Append(options, {List("DBLookupComboBoxOutputRange", "InvDemand", 71, "OutputRangeType"),
                     List("DBLookupComboBoxInvStatus", "FUError", 72, "InvStatus_")});
    Append(options, Functions());
    Append(options, {List("DBLookupComboBoxAuxSpeed", "AuxSpeed", 289, "AuxSpeed_"),
                     {"DBEditAuxCurve", "AuxCurve", 270, "", "", "", true},
                     {"EditHWZero", "HWZero", 0, "HW-zero", "", "", true},
                     {"EditFBFactor", "FBFactor", 0, "FB-factor", "", "", true},
                     {"EditIOffset", "PSFactor", 0, "PS-factor", "", "", true},
                     {"EditIFactor", "IFactor", 0, "I-factor", "", "", true},
                     {"EditUFactor", "UFactor", 0, "U-factor", "", "", true}});
    return {{"TabSheetSetPointUp", 25, up}, {"TabSheetSetPointDown", 26, down}, {"TabSheetSecurity", 27, options}};
}
} // namespace

TViewITKXParameter::TViewITKXParameter(TParameterWindowContext context, QWidget* parent)
    : TViewParameter(std::move(context), Family::VfTkx, parent) {
    setObjectName(QStringLiteral("ViewITKXParameter"));
    Build(Pages());
}

QString TViewITKXParameter::CaptionText() const {
    return Text(21);
}
