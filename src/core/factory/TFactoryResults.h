#pragma once

#include <QString>

#include <vector>

// The data of one valve type of the factory settings editor.
struct TValveData {
    QString Name;
    int Code = 0;
    double Qmin = 0;     // l/min
    double Qmax = 0;     // l/min
    double QFact = 1;    // l/min per V of command
    double SlowFact = 0; // slow speed in percent of fast speed
    double PelvorCode = 0;
    QString Kind;     // "TKX" or "VF-TKX"
    QString Smallest; // "Y" for the smallest valve of its range
};

// The factory choices the Results are computed from, as the record holds them.
struct TFactoryInputs {
    bool UsUnits = false; // flows in US gpm, the minimum pressure in psi
    double CheckNo1 = 0;
    double CheckNo2 = 0;
    double TKXOpDn = 0;
    double SIUType = 0;
    double Language = 0;
    double CommandInput = 0;
    double AuxSpeed = 0;
    double StartDelay = 0;
    double RelayFunction = 0;
    double EdgeDetect = 0;
    double K6Speed = 0;
    double K7Speed = 0;
    double K8Speed = 0;
    double FlowUp = 0;      // l/min, or US gpm
    double FlowDn = 0;      // l/min, or US gpm
    double OffsetSolUp = 0; // bar, or psi
    double FlowCalUp = 0;
    double FlowCalDn = 0;
};

// One line of the Results: its name, the value shown with its unit, and the code the
// controller receives.
struct TFactoryResult {
    QString Name;
    QString Shown;
    QString Unit;
    double Code = 0;

    // The code as at least five digits, rounded half away from zero.
    QString CodeText() const;
};

namespace FactoryMath {
constexpr double kLitresPerGallon = 3.7854;
constexpr double kPsiPerBar = 14.504;

// x + 0.5 truncated toward zero.
double H(double x);
// A flow in tenths of l/min, from l/min or from US gpm.
double FlowTenths(double flow, bool usUnits);
// The first flow (q, tenths of l/min) does not suit the valve, given the other direction's r.
bool FlowUnsuitable(double q, double r, const TValveData& valve);
// The fast command value in hundredths of a volt for a flow in l/min or US gpm.
double FastCommand(double flow, bool usUnits, const TValveData& valve);

// Every result, in the order the window lists them.
std::vector<TFactoryResult> ComputeResults(const TFactoryInputs& inputs, const TValveData& valve);
// The result of that name, or none.
const TFactoryResult* FindResult(const std::vector<TFactoryResult>& results, const QString& name);
} // namespace FactoryMath
