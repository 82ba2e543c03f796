#include "TLiveDataGenerator.h"

#include <algorithm>
#include <cmath>

namespace {
void PutBigEndian(QByteArray& frame, int offset, qint16 value) {
    const auto raw = static_cast<quint16>(value);
    frame[offset] = static_cast<char>(raw >> 8);
    frame[offset + 1] = static_cast<char>(raw & 0xFF);
}

qint16 Millivolts(double volts) {
    return static_cast<qint16>(std::lround(std::clamp(volts, -32.0, 32.0) * 1000.0));
}
} // namespace

QByteArray TLiveDataGenerator::Frame(qint16 demand, qint16 feedback, qint16 runTime, qint16 solenoid, qint16 inverter,
                                     quint8 signals) {
    QByteArray frame(16, '\0');
    frame[0] = 0x0F;
    PutBigEndian(frame, 3, demand);
    PutBigEndian(frame, 5, feedback);
    PutBigEndian(frame, 7, runTime);
    PutBigEndian(frame, 9, solenoid);
    PutBigEndian(frame, 11, inverter);
    frame[13] = static_cast<char>(signals);
    frame[15] = 0x55;
    return frame;
}

std::vector<QByteArray> TLiveDataGenerator::Run(int number) const {
    // Demand profile of a run: accelerate to fast, decelerate to slow, stop softly.
    constexpr double kFast = 8.0;
    constexpr double kSlow = 0.8;
    constexpr double kRamp = 4.85; // V/s
    const bool up = number % 2 == 0;
    const double length = m_setup.RunSeconds;
    const double decelAt = length * 0.5;
    const double stopAt = length * 0.88;
    const int frames = std::max(1, static_cast<int>(length * m_setup.FrameRate));
    const double step = 1.0 / m_setup.FrameRate;

    std::vector<QByteArray> run;
    run.reserve(static_cast<std::size_t>(frames));
    double feedback = 0.0;
    double demand = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = i * step;
        double target = kFast;
        if (t >= stopAt) {
            target = 0.0;
        } else if (t >= decelAt) {
            target = kSlow;
        }
        demand = target > demand ? std::min(target, demand + kRamp * step) : std::max(target, demand - kRamp * step);
        feedback += (demand - feedback) * std::min(1.0, step / 0.25); // the valve lags behind its demand
        const double solenoid = demand + 0.6 * (demand - feedback) + 0.5;
        const double inverter = m_setup.Inverter ? demand * 1.1 : 0.0;
        quint8 signals = 0;
        if (t < stopAt) {
            signals |= up ? 0x02 : 0x08; // slow up / slow down
            if (t < decelAt) {
                signals |= up ? 0x01 : 0x04; // fast up / fast down
            }
        }
        run.push_back(Frame(Millivolts(demand), Millivolts(feedback), static_cast<qint16>(std::lround(t * 180.0)),
                            Millivolts(solenoid), Millivolts(inverter), signals));
    }
    return run;
}
