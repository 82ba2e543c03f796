#include "core/factory/TFactoryResults.h"

#include "core/base/LocaleText.h"

#include <cmath>

namespace FactoryMath {

double H(double x) {
    return std::trunc(x + 0.5);
}

double FlowTenths(double flow, bool usUnits) {
    return usUnits ? std::trunc(flow * 10 * kLitresPerGallon + 0.5) : flow * 10;
}

bool FlowUnsuitable(double q, double r, const TValveData& valve) {
    const double m = 10 * valve.Qmin;
    const double M = 10 * valve.Qmax;
    if (q > M) {
        return true;
    }
    if (valve.Smallest == QLatin1String("N") && q <= m && r <= m) {
        return true;
    }
    return valve.Smallest == QLatin1String("Y") && q < m && r < m;
}

double FastCommand(double flow, bool usUnits, const TValveData& valve) {
    // The gallon conversion adds its half without truncating: that is how the codes have always been made.
    const double litres = usUnits ? flow * kLitresPerGallon + 0.5 : flow;
    return valve.QFact == 0 ? 0 : H(litres * 100 / valve.QFact);
}

std::vector<TFactoryResult> ComputeResults(const TFactoryInputs& in, const TValveData& valve) {
    const auto fixed = [](double value, int decimals) { return LocaleFixed(value, decimals); };
    const auto plain = [](double value) { return QString::number(value, 'f', 0); };
    const double fastUp = FastCommand(in.FlowUp, in.UsUnits, valve);
    const double fastDn = FastCommand(in.FlowDn, in.UsUnits, valve);
    const double slowUp = H(fastUp * valve.SlowFact / 100);
    const double slowDn = H(fastDn * valve.SlowFact / 100);
    const double accelUp = H(fastUp / 1.65);
    const double accelDn = H(fastDn / 1.65);
    const double decelUp = H((fastUp - slowUp) / 1.65);
    const double decelDn = H((fastDn - slowDn) / 1.65);
    const QString voltsPerSecond = QStringLiteral("V/s");
    const QString volts = QStringLiteral("V");
    const double offsetCode = in.UsUnits ? std::trunc((in.OffsetSolUp / kPsiPerBar + 0.05) * 10) : in.OffsetSolUp * 10;
    const auto speed = [&](const char* name, double percent) {
        return TFactoryResult{QString::fromLatin1(name), fixed(H(percent * fastUp / 100) / 100, 2), voltsPerSecond,
                              percent};
    };
    const auto code = [&](const char* name, double value) {
        return TFactoryResult{QString::fromLatin1(name), plain(value), QString(), value};
    };

    return {
        TFactoryResult{QStringLiteral("CheckNo1"), QString::asprintf("%04lld", std::llround(in.CheckNo1)), QString(),
                       in.CheckNo1},
        TFactoryResult{QStringLiteral("CheckNo2"), QString::asprintf("%05lld", std::llround(in.CheckNo2)), QString(),
                       in.CheckNo2},
        TFactoryResult{QStringLiteral("ValveType"), valve.Name, QString(), valve.PelvorCode},
        code("OpModeDn", in.TKXOpDn),
        code("SIUType", in.SIUType),
        code("Language", in.Language),
        code("CmdInput", in.CommandInput),
        TFactoryResult{QStringLiteral("AccelUp"), fixed(accelUp / 100, 2), voltsPerSecond, accelUp},
        TFactoryResult{QStringLiteral("AccelDn"), fixed(accelDn / 100, 2), voltsPerSecond, accelDn},
        TFactoryResult{QStringLiteral("FastUp"), fixed(fastUp / 100, 2), volts, fastUp},
        TFactoryResult{QStringLiteral("FastDn"), fixed(fastDn / 100, 2), volts, fastDn},
        TFactoryResult{QStringLiteral("DecelUp"), fixed(decelUp / 100, 2), voltsPerSecond, decelUp},
        TFactoryResult{QStringLiteral("DecelDn"), fixed(decelDn / 100, 2), voltsPerSecond, decelDn},
        TFactoryResult{QStringLiteral("SlowUp"), fixed(slowUp / 100, 2), volts, slowUp},
        TFactoryResult{QStringLiteral("SlowDn"), fixed(slowDn / 100, 2), volts, slowDn},
        speed("K6Speed", in.K6Speed),
        speed("K7Speed", in.K7Speed),
        speed("K8Speed", in.K8Speed),
        code("AuxSpeed", in.AuxSpeed),
        TFactoryResult{QStringLiteral("OffsetSolUp"), fixed(in.OffsetSolUp, 1),
                       in.UsUnits ? QStringLiteral("psi") : QStringLiteral("bar"), offsetCode},
        TFactoryResult{QStringLiteral("StartDelay"), fixed(in.StartDelay * 0.1, 1), QStringLiteral("s"), in.StartDelay},
        TFactoryResult{QStringLiteral("FlowCalUp"), fixed(in.FlowCalUp, 2), QString(), in.FlowCalUp * 100},
        TFactoryResult{QStringLiteral("FlowCalDn"), fixed(in.FlowCalDn, 2), QString(), in.FlowCalDn * 100},
        code("RelayFunction", in.RelayFunction),
        code("EdgeDetect", in.EdgeDetect),
    };
}

const TFactoryResult* FindResult(const std::vector<TFactoryResult>& results, const QString& name) {
    for (const TFactoryResult& result : results) {
        if (result.Name == name) {
            return &result;
        }
    }
    return nullptr;
}

} // namespace FactoryMath

QString TFactoryResult::CodeText() const {
    return QString::asprintf("%05lld", static_cast<long long>(std::llround(Code)));
}
