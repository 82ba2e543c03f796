#pragma once

#include "core/view/TZoomValues.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class TLanguage;

// The zoom sector dialog: the visible time and voltage ranges of the analog chart, typed.
// Created once and reused; the caller fills it, shows it and reads the four values back.
class TZoom : public QDialog {
    Q_OBJECT
public:
    explicit TZoom(const TLanguage& language, QWidget* parent = nullptr);

    void SetValues(double maxTimeMs, double minTimeMs, double maxVoltage, double minVoltage);
    double MaxTimeMs() const { return m_values.MaxTimeMs(); }
    double MinTimeMs() const { return m_values.MinTimeMs(); }
    double MaxVoltage() const { return m_values.MaxVoltage(); }
    double MinVoltage() const { return m_values.MinVoltage(); }

private:
    void ZoomOKClick();

    TZoomValues m_values;
    std::array<QLineEdit*, 4> m_fields{}; // in the order of TZoomValues::Field
};
