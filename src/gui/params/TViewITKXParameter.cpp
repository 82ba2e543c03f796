#include "TViewITKXParameter.h"

#include "app/Language.h"

namespace {
using namespace ParameterRows;

std::vector<TParameterPage> Pages() {
    std::vector<TParameterControl> up{Edit("StartSpeedUp", 34, "V"), Edit("OffsetInvUp", 35, "%")};
    Append(up, Ramps("Up"));
    Append(up, Loop("Inv", "Up"));
    up.push_back(Edit("FlowCalUp", 253, ""));
    up.push_back(Edit("NOpenValve", 259, "Hz"));

    const std::vector<TParameterControl> ramps = Ramps("Dn");
    std::vector<TParameterControl> down{Edit("StartSpeedDn", 34, "V"), Edit("OffsetSolDn", 47, "V"),
                                        Edit("OffsetInvDn", 35, "%"),  ramps[0],
                                        Edit("CrossOverSolInv", 48, "V"), Edit("CrossOverTime", 49, "s"),
                                        ramps[1],                       ramps[2],
                                        Edit("DecelOffSol", 50, "V"),   ramps[3],
                                        ramps[4],                       ramps[5],
                                        List("DBLookupComboBoxTKXOp", "TKXOpDn", 51, "OnOff")};
    Append(down, Loop("Sol", "Dn"));
    Append(down, Loop("Inv", "Dn"));
    down.push_back(Edit("FlowCalDn", 253, ""));

    std::vector<TParameterControl> options{
        List("DBLookupComboBoxValveType", "ValveType", 57, "ValveType"),
        List("DBLookupComboBoxSIUType", "SIUType", 58, "SIUType"),
        {"EditSIUDiff", "SIUDiff1", 59, "", "%", "", true},
        {"EditSIUDiff2", "SIUDiff4", 60, "", "V", "", true},
        Edit("PulsSol", 70, "Hz"),
        Edit("InspectionAccel", 271, "V/s", false),
        Edit("InspectionSpeed", 61, "%"),
        Edit("InspectionDecel", 62, "V/s"),
        Edit("EmergDecel", 69, "V/s"),
        {"EditKAccel", "K6Accel", 272, "", "V/s", "", false},
        {"EditKSpeed", "K6Speed", 63, "", "%", "", true},
        {"EditKDecel", "K6Decel", 64, "", "V/s", "", true},
        {"EditKAccel2", "K7Accel", 273, "", "V/s", "", false},
        {"EditKSpeed2", "K7Speed", 65, "", "%", "", true},
        {"EditKDecel2", "K7Decel", 66, "", "V/s", "", true},
        {"EditKAccel3", "K8Accel", 274, "", "V/s", "", false},
        {"EditKSpeed3", "K8Speed", 67, "", "%", "", true},
        {"EditKDecel3", "K8Decel", 68, "", "V/s", "", true},
        List("DBLookupComboBoxOutputRange", "InvDemand", 71, "OutputRangeType"),
        List("DBLookupComboBoxInvStatus", "FUError", 72, "InvStatus_"),
        List("DBLookupComboBoxDemandRedType", "DemandRedType", 263, "DemandRedType_"),
        List("DBLookupComboBoxStartDelay", "StartDelay", 267, "StartDelay"),
        List("DBLookupComboBoxRelayFunction", "RelayFunction", 268, "RelayFunction_"),
        List("DBLookupComboBoxCommandInput", "CommandInput", 269, "CommandInput_"),
        List("DBLookupComboBoxAuxSpeed", "AuxSpeed", 289, "AuxSpeed_"),
        {"DBEditAuxCurve", "AuxCurve", 270, "", "", "", true},
        {"EditHWZero", "HWZero", 0, "HW-zero", "", "", true},
        {"EditFBFactor", "FBFactor", 0, "FB-factor", "", "", true},
        {"EditIOffset", "PSFactor", 0, "PS-factor", "", "", true},
        {"EditIFactor", "IFactor", 0, "I-factor", "", "", true},
        {"EditUFactor", "UFactor", 0, "U-factor", "", "", true}};
    return {{"TabSheetSetPointUp", 25, up}, {"TabSheetSetPointDown", 26, down}, {"TabSheetSecurity", 27, options}};
}
} // namespace

TViewITKXParameter::TViewITKXParameter(TParameterWindowContext context, QWidget* parent)
    : TViewParameter(std::move(context), 2, parent) {
    setObjectName(QStringLiteral("ViewITKXParameter"));
    Build(Pages());
}

QString TViewITKXParameter::CaptionText() const { return Text(21); }
