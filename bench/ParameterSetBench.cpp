#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/link/SerialPort.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TParameterTransfer.h"
#include "core/params/TSetFiles.h"
#include "core/params/VersionGates.h"

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

// Exporting and importing a .prm of 1000 TKX sets.
static void BM_AllSetsFile1000(benchmark::State& state) {
    Installation installation;
    TTable& sets = installation.database->TableTKX();
    for (int i = 0; i < 1000; ++i) {
        sets.Insert();
        sets.SetFieldText("Name", QStringLiteral("Lift %1").arg(i));
        sets.SetFieldFloat("FastUp", 8.0 + i % 100 / 100.0);
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
        if (reading) {
            state.PauseTiming();
            installation.database->CloseDatabase(); // a fresh table for every import
            QFile::remove(installation.configuration->GetDatabaseDirectory() + "/Tkx.DB");
            installation.database->OpenDatabase();
            state.ResumeTiming();
            benchmark::DoNotOptimize(files.ReadAllSetsFile(file));
            installation.database->TableTKX().Post();
        } else {
            benchmark::DoNotOptimize(files.WriteAllSetsFile(file));
        }
    }
    state.SetLabel(reading ? "read" : "write");
}
BENCHMARK(BM_AllSetsFile1000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// Writing all 70 VF-TKX parameters into torvex-sim on a pty at 19200 baud, against the
// least time the write can take: per row the EEPROM delay, 50 ms and 5 ms per paced character.
static void BM_WriteSeventyVfParameters(benchmark::State& state) {
    QProcess simulator;
    simulator.start(QStringLiteral(TORVEX_BIN_DIR "/torvex-sim"), {"--family", "VF-TKX", "--software", "2220"});
    if (!simulator.waitForReadyRead(10000)) {
        state.SkipWithError("torvex-sim did not start");
        return;
    }
    const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    Installation installation;
    installation.configuration->Settings().ParameterRead = QStringLiteral("100");
    SystemClock clock;
    TControllerAccess access(*installation.configuration, installation.feedback, clock);
    TCommParameter port(device);
    TParameterTransfer transfer(*installation.database, access, Family::VfTkx);
    transfer.Port = &port;
    TTable& sets = installation.database->TableITKX();
    sets.Insert();
    sets.SetFieldText("Name", QStringLiteral("bench"));
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
        transfer.WriteParameterSet(5, false, kDelay);
        const double rows = loopEnd - loopStart;
        TTable& metadata = installation.database->TableParameterDBSettings();
        TVersionGates gates(installation.configuration->Language());
        double minimum = 0;
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            const TVersionGroup* group = gates.GroupOf(Family::VfTkx, metadata.FieldAsText("FieldName"));
            if (group != nullptr && !group->WrittenTo(2220)) {
                continue; // not sent to this version, and no pause either
            }
            const QString command = QStringLiteral("E:%1:%2\r").arg(metadata.FieldAsInteger("EpromAddress"), 3, 10, QLatin1Char('0'))
                                        .arg(0, 5, 10, QLatin1Char('0'));
            minimum += kDelay + 50 + 5.0 * command.size();
        }
        ratio = rows / minimum;
        state.counters["rows_ms"] = rows;
        state.counters["minimum_ms"] = minimum;
    }
    state.counters["ratio"] = ratio;
    simulator.terminate();
    simulator.waitForFinished(3000);
}
BENCHMARK(BM_WriteSeventyVfParameters)->Iterations(1)->Unit(benchmark::kMillisecond);
