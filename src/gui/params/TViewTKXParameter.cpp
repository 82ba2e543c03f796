#include "gui/params/TViewTKXParameter.h"

#include "gui/app/SlotGuard.h"

#include "gui/params/DataAware.h"

#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/TSetFiles.h"
#include "core/params/TTable.h"

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
    Append(options, {List("DBLookupComboBoxEdgeDetect", "EdgeDetect", 325, "EdgeDetect_", false),
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
    if (m_context.Configuration.DatabaseAvailable) {
        m_barHint = m_editing.RangeHints(false)[QStringLiteral("OffsetSolUp")];
        m_psiHint = m_editing.RangeHints(true)[QStringLiteral("OffsetSolUp")];
    }
    m_psiShown = Psi();
    if (auto* unit = findChild<QLabel*>(QStringLiteral("EditOffsetSolUpUnit"))) {
        unit->setText(m_psiShown ? QStringLiteral("psi") : QStringLiteral("bar"));
    }
}

QString TViewTKXParameter::CaptionText() const {
    return Text(75);
}

bool TViewTKXParameter::Psi() const {
    return Language().UsImperial();
}

void TViewTKXParameter::ShowUnit(bool psi) {
    m_psiShown = psi;
    if (auto* unit = findChild<QLabel*>(QStringLiteral("EditOffsetSolUpUnit"))) {
        unit->setText(psi ? QStringLiteral("psi") : QStringLiteral("bar"));
    }
    if (m_context.Configuration.DatabaseAvailable) {
        TDBEdit* pressure = Edit(QStringLiteral("EditOffsetSolUp"));
        if (psi) {
            Guarded(this, [this] { m_editing.ConvertToPsi(); });
        }
        pressure->Bind(&Sets(), psi ? QStringLiteral("OffsetSolUpInPsi") : QStringLiteral("OffsetSolUp"));
        const QString& hint = psi ? m_psiHint : m_barHint;
        pressure->setToolTip(QString(hint).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    }
}

void TViewTKXParameter::showEvent(QShowEvent* event) {
    // psi values come from the bar values once per opening; from then on the bar value
    // follows every typed psi value, so neither an activation nor a close has to convert.
    ShowUnit(Psi());
    TViewParameter::showEvent(event);
}

void TViewTKXParameter::FollowUnit() {
    if (Psi() == m_psiShown || !isVisible()) {
        return;
    }
    // What is being typed belongs to the unit it was typed in; the bar value is current
    // afterwards either way, so the psi values can be made from it.
    CommitPendingEdit();
    ShowUnit(Psi());
    PrepareWindow(); // the pressure's level is judged by the field it now shows
}

void TViewTKXParameter::changeEvent(QEvent* event) {
    TViewParameter::changeEvent(event);
    // The language may have been switched to or from US units while the window was open.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FollowUnit();
    }
}

void TViewTKXParameter::ValueStored(TDBEdit* edit) {
    if (m_psiShown && edit->objectName() == QLatin1String("EditOffsetSolUp")) {
        m_editing.CurrentToBar();
    }
}

void TViewTKXParameter::SetsArrived() {
    if (m_psiShown && m_context.Configuration.DatabaseAvailable) {
        Guarded(this, [this] { m_editing.CurrentToPsi(); });
    }
}

QStringList TViewTKXParameter::ExportFilters() const {
    // Only the TKX window offers the text file among its filters.
    return TSetFiles::Filters(true);
}
