#include "TViewTKXParameter.h"

#include "DataAware.h"

#include "app/Language.h"
#include "app/TConfiguration.h"

#include <QEvent>
#include <QLabel>

namespace {
using C = TParameterControl;


std::vector<TParameterPage> Pages() {

    return {
        {"TabSheetSetPointUp",
         25,
         {C{"EditStartSpeedUp", "StartSpeedUp", 34, "", "V", nullptr, true},
          C{"EditOffsetSolUp", "OffsetSolUp", 76, "", "bar", nullptr, true},
          C{"EditAccelUp", "AccelUp", 36, "", "V/s", nullptr, true},
          C{"EditFastUp", "FastUp", 37, "", "V", nullptr, true},
          C{"EditDecelUp", "DecelUp", 38, "", "V/s", nullptr, true},
          C{"EditSlowUp", "SlowUp", 39, "", "V", nullptr, true},
          C{"EditSoftStopUp", "SoftStopUp", 40, "", "V/s", nullptr, true},
          C{"EditRelevelUp", "RelevelUp", 41, "", "V", nullptr, true},
          C{"EditPSettingSolUpS", "PSettingSolUpS", 52, "", "", nullptr, true},
          C{"EditISettingSolUpS", "ISettingSolUpS", 53, "", "ms", nullptr, true},
          C{"EditDSettingSolUp", "DSettingSolUp", 54, "", "ms", nullptr, true},
          C{"EditPSettingSolUpD", "PSettingSolUpD", 55, "", "", nullptr, true},
          C{"EditISettingSolUpD", "ISettingSolUpD", 56, "", "ms", nullptr, true},
          C{"EditFlowCalUp", "FlowCalUp", 253, "", "", nullptr, true}}},
        {"TabSheetSetPointDown",
         26,
         {C{"EditStartSpeedDn", "StartSpeedDn", 34, "", "V", nullptr, true},
          C{"EditOffsetSolDn", "OffsetSolDn", 47, "", "V", nullptr, true},
          C{"EditAccelDn", "AccelDn", 36, "", "V/s", nullptr, true},
          C{"EditFastDn", "FastDn", 37, "", "V", nullptr, true},
          C{"EditDecelDn", "DecelDn", 38, "", "V/s", nullptr, true},
          C{"EditSlowDn", "SlowDn", 39, "", "V", nullptr, true},
          C{"EditSoftStopDn", "SoftStopDn", 40, "", "V/s", nullptr, true},
          C{"EditRelevelDn", "RelevelDn", 41, "", "V", nullptr, true},
          C{"EditPSettingSolDnS", "PSettingSolDnS", 52, "", "", nullptr, true},
          C{"EditISettingSolDnS", "ISettingSolDnS", 53, "", "ms", nullptr, true},
          C{"EditDSettingSolDn", "DSettingSolDn", 54, "", "ms", nullptr, true},
          C{"EditPSettingSolDnD", "PSettingSolDnD", 55, "", "", nullptr, true},
          C{"EditISettingSolDnD", "ISettingSolDnD", 56, "", "ms", nullptr, true},
          C{"EditFlowCalDn", "FlowCalDn", 253, "", "", nullptr, true}}},
        {"TabSheetSecurity",
         27,
         {C{"DBLookupComboBoxValveType", "ValveType", 57, "", "", "ValveType", false},
          C{"DBLookupComboBoxSIUType", "SIUType", 58, "", "", "SIUType", true},
          C{"EditSIUDiff", "SIUDiff1", 59, "", "%", nullptr, true},
          C{"EditSIUDiff2", "SIUDiff4", 60, "", "V", nullptr, true},
          C{"EditPulsSol", "PulsSol", 70, "", "Hz", nullptr, true},
          C{"EditInspectionAccel", "InspectionAccel", 271, "", "V/s", nullptr, false},
          C{"EditInspectionSpeed", "InspectionSpeed", 61, "", "%", nullptr, true},
          C{"EditInspectionDecel", "InspectionDecel", 62, "", "V/s", nullptr, true},
          C{"EditEmergDecel", "EmergDecel", 69, "", "V/s", nullptr, true},
          C{"EditK6Accel", "K6Accel", 272, "", "V/s", nullptr, false},
          C{"EditKSpeed", "K6Speed", 63, "", "%", nullptr, true},
          C{"EditKDecel", "K6Decel", 64, "", "V/s", nullptr, true},
          C{"EditK7Accel", "K7Accel", 273, "", "V/s", nullptr, false},
          C{"EditKSpeed2", "K7Speed", 65, "", "%", nullptr, true},
          C{"EditKDecel2", "K7Decel", 66, "", "V/s", nullptr, true},
          C{"EditK8Accel", "K8Accel", 274, "", "V/s", nullptr, false},
          C{"EditKSpeed3", "K8Speed", 67, "", "%", nullptr, true},
          C{"EditKDecel3", "K8Decel", 68, "", "V/s", nullptr, true},
          C{"DBLookupComboBoxDemandRedType", "DemandRedType", 263, "", "", "DemandRedType_", true},
          C{"DBLookupComboBoxStartDelay", "StartDelay", 267, "", "", "StartDelay", true},
          C{"DBLookupComboBoxRelayFunction", "RelayFunction", 268, "", "", "RelayFunction_", true},
          C{"DBLookupComboBoxCommandInput", "CommandInput", 269, "", "", "CommandInput_", true},
          C{"DBLookupComboBoxEdgeDetect", "EdgeDetect", 325, "", "", "EdgeDetect_", false},
          C{"EditHWZero", "HWZero", 0, "HW-zero", "", nullptr, true},
          C{"EditFBFactor", "FBFactor", 0, "FB-factor", "", nullptr, true},
          C{"DBEdit1PSFactor", "PSFactor", 0, "PS-factor", "", nullptr, true},
          C{"DBEditAuxCurve", "AuxCurve", 270, "", "", nullptr, true}}},
    };
}
} // namespace

TViewTKXParameter::TViewTKXParameter(TParameterWindowContext context, QWidget* parent)
    : TViewParameter(std::move(context), 1, parent) {
    setObjectName(QStringLiteral("ViewTKXParameter"));
    Build(Pages());
    if (auto* unit = findChild<QLabel*>(QStringLiteral("EditOffsetSolUpUnit"))) {
        unit->setText(Psi() ? QStringLiteral("psi") : QStringLiteral("bar"));
    }
}

QString TViewTKXParameter::CaptionText() const { return Text(75); }

bool TViewTKXParameter::Psi() const { return StoredLanguageValue == Language::UsImperialValue; }

void TViewTKXParameter::changeEvent(QEvent* event) {
    TViewParameter::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !m_context.Configuration.DatabaseAvailable) {
        return;
    }
    TDBEdit* pressure = Edit(QStringLiteral("EditOffsetSolUp"));
    if (Psi()) {
        // Every activation derives the psi values from the bar values the controller knows.
        m_editing.ConvertToPsi();
        pressure->Bind(&Sets(), QStringLiteral("OffsetSolUpInPsi"));
    } else {
        pressure->Bind(&Sets(), QStringLiteral("OffsetSolUp"));
    }
}

void TViewTKXParameter::closeEvent(QCloseEvent* event) {
    if (Psi() && m_context.Configuration.DatabaseAvailable) {
        m_editing.ConvertToBar();
    }
    TViewParameter::closeEvent(event);
}

QStringList TViewTKXParameter::ExportFilters() const {
    // Only the TKX window offers the text file among its filters.
    return {QStringLiteral("Parameter Set (*.set)"), QStringLiteral("Parameter Database (*.prm)"),
            QStringLiteral("Text File (*.txt)"), QStringLiteral("Any Files (*.*)")};
}
