#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/link/SerialPort.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TParameterTransfer.h"
#include "core/params/TSetFiles.h"
#include "core/params/VersionGates.h"

#include "MetadataDefaults.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
// A database of its own on the delivered template.
struct Installation {
    QTemporaryDir home;
    UnattendedFeedback feedback;
    std::unique_ptr<TConfiguration> configuration;
    std::unique_ptr<TParameterDatabase> database;
    Installation() {
        TConfigurationEnvironment environment;
        environment.ExecutablePath = QStringLiteral(TORVEX_BIN_DIR "/WinTorvex32");
        environment.DocumentsFolder = home.path();
        environment.PortCandidates = [] { return QStringList(); };
        configuration = std::make_unique<TConfiguration>(environment, feedback);
        database = std::make_unique<TParameterDatabase>(*configuration, feedback);
        database->OpenDatabase();
    }
};
} // namespace

// How many sets a .prm holds: each ends in its "9999" line.
static int SetsInFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count("\r\n9999\t")) : -1;
}

// Exporting and importing a .prm of 1000 TKX sets.
static void BM_AllSetsFile1000(benchmark::State& state) {
    Installation installation;
    // Complete sets: an import refuses a set with values outside their ranges.
    const std::map<QString, double> defaults = WithMetadataDefaults(*installation.database, Family::Tkx, {});
    TTable& sets = installation.database->TableTKX();
    for (int i = 0; i < 1000; ++i) {
        sets.Insert();
        sets.SetFieldText("Name", QStringLiteral("Lift %1").arg(i));
        for (const auto& [field, value] : defaults) {
            sets.SetFieldFloat(field, value);
        }
        sets.SetFieldText("InfoMemo", QStringLiteral("Software version:\t2.107\t\rSerial number:\t000004711\t\r"));
    }
    sets.Post();
    TSetFiles files(*installation.database, installation.feedback, Family::Tkx);
    const QString file = installation.home.path() + QStringLiteral("/all.prm");
    const bool reading = state.range(0) == 1;
    if (reading) {
        files.WriteAllSetsFile(file);
    }
    for (auto _ : state) {
        TSetFiles::Result result = TSetFiles::Ok;
        if (reading) {
            state.PauseTiming();
            installation.database->CloseDatabase(); // a fresh table for every import
            QFile::remove(installation.configuration->GetDatabaseDirectory() + "/Tkx.DB");
            installation.database->OpenDatabase();
            state.ResumeTiming();
            result = files.ReadAllSetsFile(file);
            installation.database->TableTKX().Post();
        } else {
            result = files.WriteAllSetsFile(file);
        }
        // Only a file or a table that holds all 1000 sets counts.
        state.PauseTiming();
        const bool whole = result == TSetFiles::Ok && (reading ? installation.database->TableTKX().RecordCount() == 1000
                                                               : SetsInFile(file) == 1000);
        state.ResumeTiming();
        if (!whole) {
            state.SkipWithError(reading ? "the import did not store 1000 sets" : "the file does not hold 1000 sets");
            break;
        }
    }
    state.SetLabel(reading ? "read" : "write");
}
BENCHMARK(BM_AllSetsFile1000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// torvex-sim playing a VF-TKX controller with software 2.220: the device it serves, or empty
// once the bench has been told why.
static QString StartVfSimulator(QProcess& simulator, benchmark::State& state) {
    simulator.start(QStringLiteral(TORVEX_BIN_DIR "/torvex-sim"), {"--family", "VF-TKX", "--software", "2220"});
    if (!simulator.waitForReadyRead(10000)) {
        state.SkipWithError("torvex-sim did not start");
        return {};
    }
    return QString::fromLocal8Bit(simulator.readLine()).trimmed();
}

// Writing a complete VF-TKX set into torvex-sim (software 2.220, which takes 69 of the 70
// parameters) on a pty at 19200 baud, against the least time the write can take: per row the
// EEPROM delay, 50 ms and 5 ms per paced character.
static void BM_WriteSeventyVfParameters(benchmark::State& state) {
    QProcess simulator;
    const QString device = StartVfSimulator(simulator, state);
    if (device.isEmpty()) {
        return;
    }
    Installation installation;
    installation.configuration->Settings().ParameterRead = QStringLiteral("100");
    SystemClock clock;
    TControllerAccess access(*installation.configuration, installation.feedback, clock);
    TCommParameter port(device);
    TParameterTransfer transfer(*installation.database, access, Family::VfTkx);
    transfer.Port = &port;
    // A set the write accepts: every field at its default (a set with empty fields is refused).
    TTable& sets = installation.database->TableITKX();
    sets.Insert();
    sets.SetFieldText("Name", QStringLiteral("bench"));
    for (const auto& [field, value] : WithMetadataDefaults(*installation.database, Family::VfTkx, {})) {
        sets.SetFieldFloat(field, value);
    }
    sets.Post();
    constexpr int kDelay = 100;
    double ratio = 0;
    for (auto _ : state) {
        // Only the parameter loop counts: from the first row (progress 19) to the 85 that
        // follows the last row (the rows count on past 85, to 18 + 70).
        QElapsedTimer timer;
        double loopStart = 0;
        double loopEnd = 0;
        int highest = 0;
        transfer.Progress = [&](int position) {
            const double now = static_cast<double>(timer.nsecsElapsed()) / 1e6;
            if (position == 19) {
                loopStart = now;
            } else if (position == 85 && highest >= 88 && loopEnd == 0) {
                loopEnd = now;
            }
            highest = std::max(highest, position);
        };
        timer.start();
        const int result = transfer.WriteParameterSet(5, false, kDelay);
        const double rows = loopEnd - loopStart;
        TTable& metadata = installation.database->TableParameterDBSettings();
        TVersionGates gates(installation.configuration->Language());
        double minimum = 0;
        int expectedRows = 0;
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            const TVersionGroup* group = gates.GroupOf(Family::VfTkx, metadata.FieldAsText("FieldName"));
            if (group != nullptr && !group->WrittenTo(2220)) {
                continue; // not sent to this version, and no pause either
            }
            const QString command = QStringLiteral("E:%1:%2\r")
                                        .arg(metadata.FieldAsInteger("EpromAddress"), 3, 10, QLatin1Char('0'))
                                        .arg(0, 5, 10, QLatin1Char('0'));
            minimum += kDelay + 50 + 5.0 * command.size();
            ++expectedRows;
        }
        // Every row the version takes: 69 of the 70 for 2.220 (DemandRedType goes to 2.110-2.119 only).
        if (result != 0 || transfer.LastCounts().Written != expectedRows || expectedRows < 69 || loopEnd <= loopStart) {
            state.SkipWithError(qPrintable(QStringLiteral("the write did not send every row (result %1, %2 of %3 sent)")
                                               .arg(result)
                                               .arg(transfer.LastCounts().Written)
                                               .arg(expectedRows)));
            break;
        }
        ratio = rows / minimum;
        state.counters["rows_ms"] = rows;
        state.counters["minimum_ms"] = minimum;
    }
    state.counters["ratio"] = ratio;
    state.counters["rows"] = transfer.LastCounts().Written;
    simulator.terminate();
    simulator.waitForFinished(3000);
}
BENCHMARK(BM_WriteSeventyVfParameters)->Iterations(1)->Unit(benchmark::kMillisecond);

// Writing only what differs: a VF-TKX set that differs from torvex-sim (software 2.220) in 3 of its
// 70 parameters, sent with the changed-only write (one session: type, version, dump, 3 rows), against
// the whole write of the same set, both timed from the first command to the end of the last session,
// on a pty at 19200 baud with the EEPROM delay of 100 ms and a reply timeout of 100 ms.
static void BM_WriteChangedOnlyAgainstWhole(benchmark::State& state) {
    QProcess simulator;
    const QString device = StartVfSimulator(simulator, state);
    if (device.isEmpty()) {
        return;
    }
    Installation installation;
    installation.configuration->Settings().ParameterRead = QStringLiteral("100");
    SystemClock clock;
    TControllerAccess access(*installation.configuration, installation.feedback, clock);
    TCommParameter port(device);
    TTable& sets = installation.database->TableITKX();
    sets.Insert();
    sets.SetFieldText("Name", QStringLiteral("bench"));
    const std::map<QString, double> changes{{"AccelUp", 1.5}, {"FastUp", 6.55}, {"SlowUp", 0.9}};
    for (const auto& [field, value] : WithMetadataDefaults(*installation.database, Family::VfTkx, changes)) {
        sets.SetFieldFloat(field, value);
    }
    sets.Post();
    constexpr int kDelay = 100;
    double ratio = 0;
    for (auto _ : state) {
        // The simulator starts at the defaults: the set differs in the three values above.
        TParameterTransfer changed(*installation.database, access, Family::VfTkx);
        changed.Port = &port;
        changed.ChangedOnly = true;
        QElapsedTimer timer;
        timer.start();
        const int changedResult = changed.WriteParameterSet(5, false, kDelay);
        const double changedMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

        TParameterTransfer whole(*installation.database, access, Family::VfTkx);
        whole.Port = &port;
        timer.restart();
        const int wholeResult = whole.WriteParameterSet(5, false, kDelay);
        const double wholeMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

        if (changedResult != 0 || changed.LastCounts().Written != 3 || !changed.LastComparison() ||
            changed.LastComparison()->Compared != 69 || wholeResult != 0 || whole.LastCounts().Written != 69 ||
            wholeMs <= 0) {
            state.SkipWithError(qPrintable(QStringLiteral("the writes did not send what they should (changed-only: "
                                                          "result %1, %2 sent; whole: result %3, %4 sent)")
                                               .arg(changedResult)
                                               .arg(changed.LastCounts().Written)
                                               .arg(wholeResult)
                                               .arg(whole.LastCounts().Written)));
            break;
        }
        ratio = changedMs / wholeMs;
        state.counters["changed_ms"] = changedMs;
        state.counters["whole_ms"] = wholeMs;
    }
    state.counters["ratio"] = ratio;
    simulator.terminate();
    simulator.waitForFinished(3000);
}
BENCHMARK(BM_WriteChangedOnlyAgainstWhole)->Iterations(1)->Unit(benchmark::kMillisecond);
