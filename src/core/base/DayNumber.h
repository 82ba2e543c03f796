#pragma once

#include <QDateTime>

#include <cstdint>

// Dates as day numbers: days since 30 December 1899 (local time), the fraction being the time of day.
namespace DayNumber {

double Of(const QDateTime& local);
QDateTime ToDateTime(double dayNumber);

// A moment split as the live data stamps it: whole days, and the day's fraction in 1/10,000,000 day.
struct Stamp {
    std::uint32_t Days = 0;
    std::uint32_t Fraction = 0;
};
Stamp StampOf(const QDateTime& local);
QDateTime ToDateTime(Stamp stamp);

} // namespace DayNumber
