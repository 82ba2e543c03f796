#include "core/base/DayNumber.h"

#include <cmath>
#include <cstdlib>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMsPerDay = 86'400'000;
constexpr qint64 kFractionUnits = 10'000'000;

// The local wall-clock time `ms` after midnight of `date`: the fraction of a day number is the
// time the clock showed, not time elapsed since midnight, which differs by an hour on the days
// clocks change.
QDateTime LocalAt(QDate date, qint64 ms) {
    if (ms >= kMsPerDay) {
        date = date.addDays(ms / kMsPerDay);
        ms %= kMsPerDay;
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}
} // namespace

double DayNumber::Of(const QDateTime& local) {
    return static_cast<double>(kEpoch.daysTo(local.date())) +
           static_cast<double>(local.time().msecsSinceStartOfDay()) / static_cast<double>(kMsPerDay);
}

QDateTime DayNumber::ToDateTime(double dayNumber) {
    if (!std::isfinite(dayNumber) || std::abs(dayNumber) > 3e6) {
        return {};
    }
    const double days = std::floor(dayNumber);
    const auto ms = static_cast<qint64>(std::llround((dayNumber - days) * static_cast<double>(kMsPerDay)));
    return LocalAt(kEpoch.addDays(static_cast<qint64>(days)), ms);
}

DayNumber::Stamp DayNumber::StampOf(const QDateTime& local) {
    // Integer arithmetic: the fraction is truncated exactly as the day number's would be.
    const qint64 ms = local.time().msecsSinceStartOfDay();
    return {static_cast<std::uint32_t>(std::llabs(kEpoch.daysTo(local.date()))),
            static_cast<std::uint32_t>(ms * kFractionUnits / kMsPerDay)};
}

QDateTime DayNumber::ToDateTime(Stamp stamp) {
    const qint64 ms = static_cast<qint64>(stamp.Fraction) * kMsPerDay / kFractionUnits;
    return LocalAt(kEpoch.addDays(stamp.Days), ms);
}
