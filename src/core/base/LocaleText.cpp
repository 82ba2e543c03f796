#include "core/base/LocaleText.h"

#include <QLocale>
#include <QRegularExpression>

namespace {
QString TimeFormat() {
    static const QString format = [] {
        QString f = QLocale::system().timeFormat(QLocale::LongFormat);
        f.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
        return f.trimmed().isEmpty() ? QStringLiteral("HH:mm:ss") : f.trimmed();
    }();
    return format;
}
} // namespace

QString LocaleDateText(const QDate& date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString LocaleTimeText(const QTime& time) {
    return QLocale::system().toString(time, TimeFormat());
}

QString LocaleDateTimeText(const QDateTime& when) {
    return LocaleDateText(when.date()) + QLatin1Char(' ') + LocaleTimeText(when.time());
}

QString LocaleFixed(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    return text.replace(QLatin1Char('.'), QLocale::system().decimalPoint());
}
