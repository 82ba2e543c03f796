#pragma once

#include "gui/params/TViewParameter.h"

// The parameter window of the VF-TKX (inverter) family.
class TViewITKXParameter : public TViewParameter {
    Q_OBJECT
public:
    explicit TViewITKXParameter(TParameterWindowContext context, QWidget* parent = nullptr);

protected:
    QString CaptionText() const override;
    QString Prefix() const override { return QStringLiteral("FormParamVF"); }
    QString ErrorLabelName() const override { return QStringLiteral("VFError"); }
};
