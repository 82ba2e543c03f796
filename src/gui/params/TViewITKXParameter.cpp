#include "TViewITKXParameter.h"

#include "app/Language.h"

namespace {
using C = TParameterControl;

std::vector<TParameterPage> Pages() {
    return {
        {"TabSheetSetPointUp",
         25,
         {C{"EditStartSpeedUp", "StartSpeedUp", 34, "", "V", nullptr, true},
          C{"EditOffsetInvUp", "OffsetInvUp", 35, "", "%", nullptr, true},
          C{"EditAccelUp", "AccelUp", 36, "", "V/s", nullptr, true},
          C{"EditFastUp", "FastUp", 37, "", "V", nullptr, true},
          C{"EditDecelUp", "DecelUp", 38, "", "V/s", nullptr, true},
          C{"EditSlowUp", "SlowUp", 39, "", "V", nullptr, true},
          C{"EditSoftStopUp", "SoftStopUp", 40, "", "V/s", nullptr, true},
          C{"EditRelevelUp", "RelevelUp", 41, "", "V", nullptr, true},
          C{"EditPSettingInvUpS", "PSettingInvUpS", 42, "", "", nullptr, true},
          C{"EditISettingInvUpS", "ISettingInvUpS", 43, "", "ms", nullptr, true},
          C{"EditDSettingInvUp", "DSettingInvUp", 44, "", "ms", nullptr, true},
          C{"EditPSettingInvUpD", "PSettingInvUpD", 45, "", "", nullptr, true},
          C{"EditISettingInvUpD", "ISettingInvUpD", 46, "", "ms", nullptr, true},
          C{"EditFlowCalUp", "FlowCalUp", 253, "", "", nullptr, true},
          C{"EditNOpenValve", "NOpenValve", 259, "", "Hz", nullptr, true}}},
        {"TabSheetSetPointDown",
         26,
         {C{"EditStartSpeedDn", "StartSpeedDn", 34, "", "V", nullptr, true},
          C{"EditOffsetSolDn", "OffsetSolDn", 47, "", "V", nullptr, true},
          C{"EditOffsetInvDn", "OffsetInvDn", 35, "", "%", nullptr, true},
          C{"EditAccelDn", "AccelDn", 36, "", "V/s", nullptr, true},
          C{"EditCrossOverSolInv", "CrossOverSolInv", 48, "", "V", nullptr, true},
          C{"EditCrossOverTime", "CrossOverTime", 49, "", "s", nullptr, true},
          C{"EditFastDn", "FastDn", 37, "", "V", nullptr, true},
          C{"EditDecelDn", "DecelDn", 38, "", "V/s", nullptr, true},
          C{"EditDecelOffSol", "DecelOffSol", 50, "", "V", nullptr, true},
          C{"EditSlowDn", "SlowDn", 39, "", "V", nullptr, true},
          C{"EditSoftStopDn", "SoftStopDn", 40, "", "V/s", nullptr, true},
          C{"EditRelevelDn", "RelevelDn", 41, "", "V", nullptr, true},
          C{"DBLookupComboBoxTKXOp", "TKXOpDn", 51, "", "", "OnOff", true},
          C{"EditPSettingSolDnS", "PSettingSolDnS", 52, "", "", nullptr, true},
          C{"EditISettingSolDnS", "ISettingSolDnS", 53, "", "ms", nullptr, true},
          C{"EditDSettingSolDn", "DSettingSolDn", 54, "", "ms", nullptr, true},
          C{"EditPSettingSolDnD", "PSettingSolDnD", 55, "", "", nullptr, true},
          C{"EditISettingSolDnD", "ISettingSolDnD", 56, "", "ms", nullptr, true},
          C{"EditPSettingInvDnS", "PSettingInvDnS", 42, "", "", nullptr, true},
          C{"EditISettingInvDnS", "ISettingInvDnS", 43, "", "ms", nullptr, true},
          C{"EditDSettingInvDn", "DSettingInvDn", 44, "", "ms", nullptr, true},
          C{"EditPSettingInvDnD", "PSettingInvDnD", 45, "", "", nullptr, true},
          C{"EditISettingInvDnD", "ISettingInvDnD", 46, "", "ms", nullptr, true},
          C{"EditFlowCalDn", "FlowCalDn", 253, "", "", nullptr, true}}},
        {"TabSheetSecurity",
         27,
         {C{"DBLookupComboBoxValveType", "ValveType", 57, "", "", "ValveType", true},
          C{"DBLookupComboBoxSIUType", "SIUType", 58, "", "", "SIUType", true},
          C{"EditSIUDiff", "SIUDiff1", 59, "", "%", nullptr, true},
          C{"EditSIUDiff2", "SIUDiff4", 60, "", "V", nullptr, true},
          C{"EditPulsSol", "PulsSol", 70, "", "Hz", nullptr, true},
          C{"EditInspectionAccel", "InspectionAccel", 271, "", "V/s", nullptr, false},
          C{"EditInspectionSpeed", "InspectionSpeed", 61, "", "%", nullptr, true},
          C{"EditInspectionDecel", "InspectionDecel", 62, "", "V/s", nullptr, true},
          C{"EditEmergDecel", "EmergDecel", 69, "", "V/s", nullptr, true},
          C{"EditKAccel", "K6Accel", 272, "", "V/s", nullptr, false},
          C{"EditKSpeed", "K6Speed", 63, "", "%", nullptr, true},
          C{"EditKDecel", "K6Decel", 64, "", "V/s", nullptr, true},
          C{"EditKAccel2", "K7Accel", 273, "", "V/s", nullptr, false},
          C{"EditKSpeed2", "K7Speed", 65, "", "%", nullptr, true},
          C{"EditKDecel2", "K7Decel", 66, "", "V/s", nullptr, true},
          C{"EditKAccel3", "K8Accel", 274, "", "V/s", nullptr, false},
          C{"EditKSpeed3", "K8Speed", 67, "", "%", nullptr, true},
          C{"EditKDecel3", "K8Decel", 68, "", "V/s", nullptr, true},
          C{"DBLookupComboBoxOutputRange", "InvDemand", 71, "", "", "OutputRangeType", true},
          C{"DBLookupComboBoxInvStatus", "FUError", 72, "", "", "InvStatus_", true},
          C{"DBLookupComboBoxDemandRedType", "DemandRedType", 263, "", "", "DemandRedType_", true},
          C{"DBLookupComboBoxStartDelay", "StartDelay", 267, "", "", "StartDelay", true},
          C{"DBLookupComboBoxRelayFunction", "RelayFunction", 268, "", "", "RelayFunction_", true},
          C{"DBLookupComboBoxCommandInput", "CommandInput", 269, "", "", "CommandInput_", true},
          C{"DBLookupComboBoxAuxSpeed", "AuxSpeed", 289, "", "", "AuxSpeed_", true},
          C{"DBEditAuxCurve", "AuxCurve", 270, "", "", nullptr, true},
          C{"EditHWZero", "HWZero", 0, "HW-zero", "", nullptr, true},
          C{"EditFBFactor", "FBFactor", 0, "FB-factor", "", nullptr, true},
          C{"EditIOffset", "PSFactor", 0, "PS-factor", "", nullptr, true},
          C{"EditIFactor", "IFactor", 0, "I-factor", "", nullptr, true},
          C{"EditUFactor", "UFactor", 0, "U-factor", "", nullptr, true}}},
    };
}
} // namespace

TViewITKXParameter::TViewITKXParameter(TParameterWindowContext context, QWidget* parent)
    : TViewParameter(std::move(context), 2, parent) {
    setObjectName(QStringLiteral("ViewITKXParameter"));
    Build(Pages());
}

QString TViewITKXParameter::CaptionText() const { return Text(21); }
