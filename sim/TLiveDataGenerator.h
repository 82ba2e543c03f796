#pragma once

#include <QByteArray>

#include <vector>

// The controller's live-data stream of lift runs: 16-byte frames (start byte 0x0F,
// big-endian 16-bit values, end byte 0x55), one per sample, silence between runs.
class TLiveDataGenerator {
public:
    struct Setup {
        double FrameRate = 45.0; // frames per second
        double RunSeconds = 8.0; // length of one run
        double GapSeconds = 3.0; // silence between runs
        bool Inverter = false;   // VF-TKX: the inverter channel carries a value
    };

    explicit TLiveDataGenerator(Setup setup) : m_setup(setup) {}
    const Setup& Settings() const { return m_setup; }

    // All frames of run n: even runs travel up (K1 fast, K2 slow), odd runs down (K3, K4).
    std::vector<QByteArray> Run(int number) const;

    static QByteArray Frame(qint16 demand, qint16 feedback, qint16 runTime, qint16 solenoid, qint16 inverter,
                            quint8 signals);

private:
    Setup m_setup;
};
