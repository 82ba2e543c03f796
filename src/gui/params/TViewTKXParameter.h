#pragma once

#include "gui/params/TViewParameter.h"

// The parameter window of the TKX family, with the bar/psi switch of the minimum pressure.
class TViewTKXParameter : public TViewParameter {
    Q_OBJECT
public:
    explicit TViewTKXParameter(TParameterWindowContext context, QWidget* parent = nullptr);

protected:
    QString CaptionText() const override;
    QString Prefix() const override { return QStringLiteral("FormParamTKX"); }
    QString ErrorLabelName() const override { return QStringLiteral("TKXError"); }
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void FollowUnit() override;
    void ValueStored(TDBEdit* edit) override;
    void SetsArrived() override;
    QStringList ExportFilters() const override;

private:
    bool Psi() const;
    // Binds the minimum pressure to its bar or psi field, with its unit box and hint.
    void ShowUnit(bool psi);
    // The unit the minimum pressure is shown in: chosen at each opening, and again when the
    // language changes to or from US units while the window is open.
    bool m_psiShown = false;
    QString m_barHint;
    QString m_psiHint;
};
