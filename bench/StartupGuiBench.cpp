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
    // Answers as nobody at the keyboard would, and counts what it was told: a start that shows a
    // message is not the start being measured.
    struct CountingFeedback : UnattendedFeedback {
        MessageAnswer ShowMessage(MessageKind kind, const QString& caption, const QString& text,
                                  MessageButtons buttons) override {
            ++Messages;
            Last = caption + QStringLiteral(": ") + text;
            return UnattendedFeedback::ShowMessage(kind, caption, text, buttons);
        }
        int Messages = 0;
        QString Last;
    } feedback;
    ManualClock clock; // the logger's closing pause is not part of a start
    const auto options = [&] {
        TProgram::Options o;
        o.Environment.ExecutablePath = QStringLiteral(TORVEX_BIN_DIR "/WinTorvex32");
        o.Environment.DocumentsFolder = home.path();
        o.Ui = &feedback;
        o.Time = &clock;
        return o;
    };
    { TProgram first(options()); } // the first start installs the database (and asks to)
    feedback.Messages = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto program = std::make_unique<TProgram>(options());
        program->MainWindow().show();
        QApplication::processEvents();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        const bool started =
            program->MainWindow().isVisible() && program->Configuration().DatabaseAvailable && feedback.Messages == 0;
        program.reset();
        if (!started) {
            state.SkipWithError(qPrintable(
                QStringLiteral("the program did not start cleanly (window hidden, no database or a message: %1)")
                    .arg(feedback.Last)));
            break;
        }
    }
}
BENCHMARK(BM_StartToShownMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
