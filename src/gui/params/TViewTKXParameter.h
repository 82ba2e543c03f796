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
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    QStringList ExportFilters() const override;

private:
    bool Psi() const;
};
