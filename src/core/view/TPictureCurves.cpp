#include "core/view/TPictureCurves.h"

#include <algorithm>
#include <cmath>

double Curves::SignalBase(int k) {
    return (12500 - 500 * k) / 1000.0;
}

double Curves::SignalLevel(int k, bool set) {
    return SignalBase(k) + (set ? 0.256 : 0.0);
}

std::array<double, Curves::AnalogValues> Curves::AnalogOf(const TDataRecord& r) {
    return {r.SetPoint * 0.001, r.ActualValue * 0.001, r.RunTime / 180.0, r.SolenoidValue * 0.001,
            r.InverterValue * 0.001};
}

QString Curves::DirectionTitle(std::uint8_t signals, const QString& up, const QString& down) {
    if (signals & 0x03) {
        return up;
    }
    if (signals & 0x0C) {
        return down;
    }
    return QStringLiteral("???");
}

TPictureCurves TPictureCurves::Build(const std::vector<TDataRecord>& records) {
    using namespace Curves;
    TPictureCurves c;
    // One point per record plus the filled gaps: a run of 60 s at 180 frames/s needs no regrowth.
    const qsizetype expected = qsizetype(records.size()) + 64;
    for (auto& s : c.Analog) {
        s.reserve(expected);
    }
    for (int k = 0; k < SignalCount; ++k) {
        c.Logic[std::size_t(FirstSignal + k)].reserve(qsizetype(records.size()));
    }
    c.Records.reserve(records.size());
    c.RecordX.reserve(records.size());

    double guard = 0;
    double last = 0;
    std::array<double, AnalogValues> previous{};
    std::uint8_t previousSignals = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TDataRecord& r = records[i];
        const double m = TimePosition(r);
        if (guard > m) {
            break; // the time ran backwards: the rest of the picture is not drawn
        }
        guard = std::nearbyint(m);
        const double t = std::nearbyint(m - last);
        const std::array<double, AnalogValues> values = AnalogOf(r);
        if (t >= 2) {
            for (int step = 1; step < int(t); ++step) {
                const double x = (last + step) * 10;
                for (int s = 0; s < AnalogValues; ++s) {
                    const double p = previous[std::size_t(s)];
                    const double v = values[std::size_t(s)];
                    c.Analog[std::size_t(s)].append(QPointF(x, p + (v - p) * step / t));
                }
                for (int k = 0; k < SignalCount; ++k) {
                    c.Analog[std::size_t(FirstSignal + k)].append(
                        QPointF(x, SignalLevel(k, (previousSignals >> k) & 1U)));
                }
            }
        }
        const double x = m * 10;
        for (int s = 0; s < AnalogValues; ++s) {
            c.Analog[std::size_t(s)].append(QPointF(x, values[std::size_t(s)]));
        }
        for (int k = 0; k < SignalCount; ++k) {
            const QPointF level(x, SignalLevel(k, r.Signal(k)));
            c.Analog[std::size_t(FirstSignal + k)].append(level);
            c.Logic[std::size_t(FirstSignal + k)].append(level);
        }
        if (c.Records.size() == 9) {
            c.TitleSignals = r.Signals;
        }
        c.Records.push_back(r);
        c.RecordX.push_back(x);
        last = std::nearbyint(m);
        previous = values;
        previousSignals = r.Signals;
    }
    return c;
}

int TPictureCurves::NearestRecord(double x) const {
    if (RecordX.empty()) {
        return -1;
    }
    const auto at = std::lower_bound(RecordX.begin(), RecordX.end(), x);
    if (at == RecordX.end()) {
        return int(RecordX.size()) - 1;
    }
    if (at == RecordX.begin()) {
        return 0;
    }
    const auto before = at - 1;
    return int((x - *before <= *at - x) ? before - RecordX.begin() : at - RecordX.begin());
}
