#pragma once

#include <QString>

#include <array>

// The four numbers of the zoom sector: the visible time range (held in s, given and taken in ms)
// and voltage range (V), and their texts in the dialog's fields.
class TZoomValues {
public:
    enum Field { YMax, YMin, XMax, XMin }; // named as the dialog's fields

    void Set(double maxTimeMs, double minTimeMs, double maxVoltage, double minVoltage);

    double MaxTimeMs() const { return m_values[XMax] * 1000; }
    double MinTimeMs() const { return m_values[XMin] * 1000; }
    double MaxVoltage() const { return m_values[YMax]; }
    double MinVoltage() const { return m_values[YMin]; }
    double Value(Field field) const { return m_values[field]; }

    // Width 6, two decimals, a point whatever the locale: 12 gives " 12.00", -1 gives " -1.00".
    QString Text(Field field) const { return Format(m_values[field]); }
    static QString Format(double value);

    // Takes what was typed; a field that is not a number keeps its value. Nothing else is
    // checked: a minimum above its maximum is taken as it is (the chart orders the range).
    void Accept(Field field, const QString& text);
    // The number a field holds: blanks, sign, digits, a point and decimals, an exponent;
    // false when the text is anything else.
    static bool Parse(const QString& text, double& value);

private:
    std::array<double, 4> m_values{};
};
