#include "ManualClock.h"
#include "core/base/Feedback.h"
#include "gui/app/TFormMain.h"
#include "gui/app/TProgram.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>


// From nothing to the shown main window: configuration, logger, database with all
// its tables, every window, on an installation that has started before.
static void BM_StartToShownMainWindow(benchmark::State& state) {
    QTemporaryDir home;
    UnattendedFeedback feedback;
    ManualClock clock; // the logger's closing pause is not part of a start
    const auto options = [&] {
        TProgram::Options o;
        o.Environment.ExecutablePath = QStringLiteral(TORVEX_BIN_DIR "/WinTorvex32");
        o.Environment.DocumentsFolder = home.path();
        o.Ui = &feedback;
        o.Time = &clock;
        return o;
    };
    { TProgram first(options()); } // the first start installs the database
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto program = std::make_unique<TProgram>(options());
        program->MainWindow().show();
        QApplication::processEvents();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        program.reset();
    }
}
BENCHMARK(BM_StartToShownMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
