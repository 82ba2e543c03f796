#pragma once

#include <QDateTime>
#include <QString>

// Dates and times as the user's locale writes them: its short date and its long
// time format (without a time zone; the text is read on the machine that wrote it).
QString LocaleDateTimeText(const QDateTime& when);
QString LocaleDateText(const QDate& date);
QString LocaleTimeText(const QTime& time);
// A number with the locale's decimal separator, as printf's "%.Nf" would write it.
QString LocaleFixed(double value, int decimals);
