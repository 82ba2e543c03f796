#include "core/view/TZoomValues.h"

#include <QRegularExpression>

#include <cmath>

void TZoomValues::Set(double maxTimeMs, double minTimeMs, double maxVoltage, double minVoltage) {
    m_values = {maxVoltage, minVoltage, maxTimeMs / 1000, minTimeMs / 1000};
}

QString TZoomValues::Format(double value) {
    return QString::asprintf("%6.2f", value);
}

bool TZoomValues::Parse(const QString& text, double& value) {
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    if (!number.match(text).hasMatch()) {
        return false;
    }
    bool ok = false;
    const double parsed = text.trimmed().toDouble(&ok); // QString::toDouble reads "." in any locale
    if (!ok || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

void TZoomValues::Accept(Field field, const QString& text) {
    double value = 0;
    if (Parse(text, value)) {
        m_values[field] = value;
    }
}
