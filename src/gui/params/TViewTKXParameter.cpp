#include "gui/params/TViewTKXParameter.h"

#include "gui/params/DataAware.h"

#include "core/base/Language.h"
#include "core/app/TConfiguration.h"

#include <QEvent>
#include <QLabel>

namespace {
using namespace ParameterRows;

std::vector<TParameterPage> Pages() {
    std::vector<TParameterControl> up{Edit("StartSpeedUp", 34, "V"), Edit("OffsetSolUp", 76, "bar")};
    Append(up, Ramps("Up"));
    Append(up, Loop("Sol", "Up"));
    up.push_back(Edit("FlowCalUp", 253, ""));

    std::vector<TParameterControl> down{Edit("StartSpeedDn", 34, "V"), Edit("OffsetSolDn", 47, "V")};
    Append(down, Ramps("Dn"));
    Append(down, Loop("Sol", "Dn"));
    down.push_back(Edit("FlowCalDn", 253, ""));

    std::vector<TParameterControl> options{List("DBLookupComboBoxValveType", "ValveType", 57, "ValveType", false),
                                           List("DBLookupComboBoxSIUType", "SIUType", 58, "SIUType")};
    Append(options, Supervision());
    Append(options, IntermediateSpeeds({"EditK6Accel", "EditK7Accel", "EditK8Accel"}));
    Append(options, Functions());
    Append(options, {
        List("DBLookupComboBoxEdgeDetect", "EdgeDetect", 325, "EdgeDetect_", false),
        {"EditHWZero", "HWZero", 0, "HW-zero", "", "", true},
        {"EditFBFactor", "FBFactor", 0, "FB-factor", "", "", true},
        {"DBEdit1PSFactor", "PSFactor", 0, "PS-factor", "", "", true},
        {"DBEditAuxCurve", "AuxCurve", 270, "", "", "", true}});
    return {{"TabSheetSetPointUp", 25, up}, {"TabSheetSetPointDown", 26, down}, {"TabSheetSecurity", 27, options}};
}
} // namespace

TViewTKXParameter::TViewTKXParameter(TParameterWindowContext context, QWidget* parent)
    : TViewParameter(std::move(context), Family::Tkx, parent) {
    setObjectName(QStringLiteral("ViewTKXParameter"));
    Build(Pages());
    if (auto* unit = findChild<QLabel*>(QStringLiteral("EditOffsetSolUpUnit"))) {
        unit->setText(Psi() ? QStringLiteral("psi") : QStringLiteral("bar"));
    }
}

QString TViewTKXParameter::CaptionText() const { return Text(75); }

bool TViewTKXParameter::Psi() const {
    return Language().UsImperial();
}

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
