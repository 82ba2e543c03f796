#include <QApplication>
#include <QFile>
#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// One line of bench/goals.tsv: which figure of which benchmark is held against which goal.
struct Goal {
    QString Benchmark; // function name, with its argument when it has one ("BM_AllSetsFile1000/0")
    QString Figure;    // "time" (real time per iteration) or the name of a counter
    bool AtMost = true;
    double Value = 0;
    QString Unit; // for "time": ns, us, ms or s; otherwise the counter's unit, shown only
};

std::vector<Goal> ReadGoals(const QString& path, QString& error) {
    std::vector<Goal> goals;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read the goals file %1: %2").arg(path, file.errorString());
        return goals;
    }
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QStringList columns = line.split(QLatin1Char('\t'));
        bool number_ok = false;
        const double value = columns.value(3).toDouble(&number_ok);
        if (columns.size() < 5 || !number_ok ||
            (columns[2] != QLatin1String("<=") && columns[2] != QLatin1String(">="))) {
            error = QStringLiteral("%1:%2: expected BENCHMARK<TAB>FIGURE<TAB><= or >=<TAB>GOAL<TAB>UNIT")
                        .arg(path)
                        .arg(number);
            return {};
        }
        goals.push_back({columns[0], columns[1], columns[2] == QLatin1String("<="), value, columns[4]});
    }
    return goals;
}

double SecondsPer(const QString& unit) {
    if (unit == QLatin1String("ns")) {
        return 1e-9;
    }
    if (unit == QLatin1String("us")) {
        return 1e-6;
    }
    if (unit == QLatin1String("ms")) {
        return 1e-3;
    }
    return 1;
}

// Shows every run as the console does and keeps what the goals table needs.
class GoalsReporter : public benchmark::ConsoleReporter {
public:
    struct Outcome {
        bool Failed = false;
        std::string Error;
        double RealSeconds = 0;
        std::map<std::string, double> Counters;
    };

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) {
                continue;
            }
            std::string key = run.run_name.function_name;
            if (!run.run_name.args.empty()) {
                key += "/" + run.run_name.args;
            }
            Outcome& outcome = Outcomes[key];
            outcome.Failed = run.error_occurred;
            outcome.Error = run.error_message;
            outcome.RealSeconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            for (const auto& [name, counter] : run.counters) {
                outcome.Counters[name] = counter.value;
            }
        }
    }

    std::map<std::string, Outcome> Outcomes;
};

// The table of figure, goal and ratio (figure / goal). A slow figure is reported, never failed on;
// a benchmark that could not check what it measured fails the run, as does one of the goals file
// that did not run when every benchmark was asked for.
int PrintGoals(const std::vector<Goal>& goals, const GoalsReporter& reporter, bool everyBenchmarkRan) {
    int status = 0;
    std::printf("\n%-40s %-26s %14s %16s %8s\n", "benchmark", "figure", "measured", "goal", "ratio");
    for (const Goal& goal : goals) {
        const std::string key = goal.Benchmark.toStdString();
        const auto found = reporter.Outcomes.find(key);
        const QString goalText = (goal.AtMost ? QStringLiteral("<= ") : QStringLiteral(">= ")) +
                                 QString::number(goal.Value) + QLatin1Char(' ') + goal.Unit;
        const std::string figure = goal.Figure.toStdString();
        if (found == reporter.Outcomes.end()) {
            std::printf("%-40s %-26s %14s %16s %8s\n", key.c_str(), figure.c_str(), "not run", qPrintable(goalText),
                        "-");
            status = everyBenchmarkRan ? 1 : status;
            continue;
        }
        const GoalsReporter::Outcome& outcome = found->second;
        if (outcome.Failed) {
            std::printf("%-40s %-26s %14s %16s %8s  ERROR: %s\n", key.c_str(), figure.c_str(), "-",
                        qPrintable(goalText), "-", outcome.Error.c_str());
            status = 1;
            continue;
        }
        double measured = 0;
        if (goal.Figure == QLatin1String("time")) {
            measured = outcome.RealSeconds / SecondsPer(goal.Unit);
        } else if (const auto counter = outcome.Counters.find(figure); counter != outcome.Counters.end()) {
            measured = counter->second;
        } else {
            std::printf("%-40s %-26s %14s %16s %8s  ERROR: no such figure\n", key.c_str(), figure.c_str(), "-",
                        qPrintable(goalText), "-");
            status = 1;
            continue;
        }
        const QString ratio = goal.Value != 0 ? QString::number(measured / goal.Value, 'f', 3) : QStringLiteral("-");
        const bool met = goal.AtMost ? measured <= goal.Value : measured >= goal.Value;
        std::printf("%-40s %-26s %14s %16s %8s  %s\n", key.c_str(), figure.c_str(),
                    qPrintable(QString::number(measured, 'g', 6)), qPrintable(goalText), qPrintable(ratio),
                    met ? "met" : "missed");
    }
    return status;
}

} // namespace

// Every benchmark of the project in one program, with a table of figures against the goals of
// bench/goals.tsv at the end (--goals=FILE for another file). Windows are drawn offscreen unless a
// platform is asked for.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QString goalsPath = QStringLiteral(TORVEX_BENCH_GOALS);
    bool filtered = false;
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument.startsWith(QLatin1String("--goals="))) {
            goalsPath = argument.mid(8);
            continue;
        }
        filtered = filtered || argument.startsWith(QLatin1String("--benchmark_filter="));
        arguments.push_back(argv[i]);
    }
    int count = static_cast<int>(arguments.size());
    QApplication app(count, arguments.data());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
        return 2;
    }
    QString error;
    const std::vector<Goal> goals = ReadGoals(goalsPath, error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "torvex_bench: %s\n", qPrintable(error));
        return 2;
    }
    GoalsReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return PrintGoals(goals, reporter, !filtered);
}
