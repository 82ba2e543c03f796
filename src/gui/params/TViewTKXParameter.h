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
    void ValueStored(TDBEdit* edit) override;
    void SetsArrived() override;
    QStringList ExportFilters() const override;

private:
    bool Psi() const;
    // The unit the minimum pressure is shown in, decided once per opening: a change of the
    // language while the window is open takes effect at the next opening.
    bool m_psiShown = false;
    QString m_barHint;
    QString m_psiHint;
};
