#pragma once

#include "core/livedata/TDataRecord.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <array>
#include <vector>

// What the two charts of the data view hold and how records become points.
namespace Curves {

constexpr int SeriesCount = 13; // per chart
constexpr int AnalogValues = 5; // series 0..4 of the analog chart
constexpr int FirstSignal = 5;  // series 5..12 hold the levels of K1..K8
constexpr int SignalCount = 8;

// The level K(k+1) is drawn at: a base that steps down 0.5 V per signal, 0.256 V higher when set.
double SignalBase(int k);
double SignalLevel(int k, bool set);

// The analog values of a record in volts (series 0..4): demand, feedback, time in s, solenoid, inverter.
std::array<double, AnalogValues> AnalogOf(const TDataRecord& record);

// "UP" when K1 or K2 is set, "DOWN" when K3 or K4 is, "???" otherwise (the texts are given).
QString DirectionTitle(std::uint8_t signals, const QString& up, const QString& down);

// Time position of a record in 10 ms steps, not rounded.
inline double TimePosition(const TDataRecord& record) {
    return record.RunTime * 100.0 / 180.0;
}

} // namespace Curves

// The points of one stored picture, ready for the charts: gaps in the time count are filled with
// interpolated points every 10 ms, so the curves look as the controller moved. The drawn records
// are kept beside them, so a read-out shows what was stored, never an interpolated value.
struct TPictureCurves {
    std::array<QList<QPointF>, Curves::SeriesCount> Analog; // series 5..12 only for the read-out
    std::array<QList<QPointF>, Curves::SeriesCount> Logic;  // series 0..4 stay empty
    std::vector<TDataRecord> Records;                       // the drawn records, in time order
    std::vector<double> RecordX;                            // their time in ms
    std::uint8_t TitleSignals = 0;                          // of the 10th drawn record

    // From the records of a picture; stops at the first record whose time count runs backwards.
    static TPictureCurves Build(const std::vector<TDataRecord>& records);

    // The drawn record nearest to time x (ms); -1 when there is none.
    int NearestRecord(double x) const;
};
