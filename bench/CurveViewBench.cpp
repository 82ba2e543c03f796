#include "ManualClock.h"
#include "core/base/Feedback.h"
#include "core/link/PortReservation.h"
#include "core/livedata/TDataFile.h"
#include "core/livedata/TDataRecorder.h"
#include "core/view/TPictureCurves.h"
#include "gui/app/TProgram.h"
#include "gui/view/TCurveDisplay.h"
#include "gui/view/TFormViewDataCollect.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cmath>

#include <sys/resource.h>

namespace {

// A run of 60 s at 180 frames/s as a data file in memory: 10,800 records and its gap record.
QByteArray SixtySecondRun() {
    constexpr int kRecords = 10800;
    TDataFileHeader header;
    header.PictureCount = 1;
    header.RecordCount = kRecords + 1;
    header.PictureTable[0] = {TDataFileHeader::Size, kRecords + 1};
    QByteArray bytes(TDataFileHeader::Size + (kRecords + 1) * TDataRecord::Size, '\0');
    header.Encode(reinterpret_cast<std::uint8_t*>(bytes.data()));
    for (int i = 0; i <= kRecords; ++i) {
        TDataRecord r;
        r.Kind = i == 0 ? TDataRecord::RunStart : i == kRecords ? TDataRecord::Gap : TDataRecord::Sample;
        r.RunTime = static_cast<std::int16_t>(std::min(i, kRecords - 1));
        const double s = i / 180.0;
        r.SetPoint = static_cast<std::int16_t>(5000 + 4000 * std::sin(s / 10));
        r.ActualValue = static_cast<std::int16_t>(r.SetPoint - 150);
        r.SolenoidValue = static_cast<std::int16_t>(3000 + 1000 * std::cos(s));
        r.InverterValue = static_cast<std::int16_t>(2000 * (i % 900) / 900);
        r.Signals = static_cast<std::uint8_t>(i < 300 || i > 10000 ? 0x00 : (i < 9000 ? 0x01 : 0x02));
        r.Encode(reinterpret_cast<std::uint8_t*>(bytes.data()) + TDataFileHeader::OffsetOfRecord(i));
    }
    return bytes;
}

} // namespace

// A stored picture from its file to the charts on the screen: read, gaps filled, series replaced,
// both charts painted.
static void BM_StoredPictureLoadedAndDrawn(benchmark::State& state) {
    QByteArray file = SixtySecondRun();
    TCurveDisplay display;
    display.resize(1280, 800);
    display.show();
    QApplication::processEvents();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        QString error;
        const TDataFileHeader header = DataFile::Inspect(buffer, error)->Header;
        const TPictureCurves curves = TPictureCurves::Build(DataFile::DrawnRecords(buffer, header, 0, error));
        display.Clear();
        display.ShowPicture(curves);
        display.FitBottomToPoints();
        display.repaint();
        QApplication::processEvents();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (!error.isEmpty() || curves.Records.size() != 10801) {
            state.SkipWithError("the picture was not read whole");
            break;
        }
    }
}
BENCHMARK(BM_StoredPictureLoadedAndDrawn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// The data view open on a simulated controller that streams 720 frames a second: the CPU time the
// whole program (receiver, recorder, view worker, drawing) takes per second of streaming, as a
// percentage of one core. The window draws offscreen here; on a desktop the paint costs come on top.
static void BM_LiveStreamCpuPerSecond(benchmark::State& state) {
    QTemporaryDir home;
    UnattendedFeedback feedback;
    ManualClock clock;
    TProgram::Options options;
    options.Environment.ExecutablePath = QStringLiteral(TORVEX_BIN_DIR "/WinTorvex32");
    options.Environment.DocumentsFolder = home.path();
    options.Ui = &feedback;
    options.Time = &clock;
    TProgram program(std::move(options));
    QProcess simulator;
    simulator.start(QStringLiteral(TORVEX_BIN_DIR "/torvex-sim"),
                    {"--live", "--frame-rate", "720", "--run-length", "8", "--gap", "1", "--baud", "230400"});
    if (!simulator.waitForReadyRead(10000)) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    TCommParameter port(QString::fromLocal8Bit(simulator.readLine()).trimmed());
    for (auto _ : state) {
        TFormViewDataCollect view(program.Configuration(), feedback, clock, PortReservation(port), &program.Windows());
        view.show();
        const auto cpu = [] {
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                   (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        };
        QElapsedTimer wall;
        wall.start();
        const double before = cpu();
        const long long recordsBefore = view.Recorder().Header().RecordCount;
        QEventLoop streaming; // the program's own event loop, waiting as it does
        QTimer::singleShot(20000, &streaming, &QEventLoop::quit);
        streaming.exec();
        const double seconds = wall.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        state.counters["cpu_percent_of_one_core"] = (cpu() - before) / seconds * 100;
        const double recordsPerSecond = (view.Recorder().Header().RecordCount - recordsBefore) / seconds;
        state.counters["records_per_second"] = recordsPerSecond;
        view.close();
        // 8 s of 720 frames/s in every 9 s: about 640 a second arrive when the stream is taken whole.
        if (recordsPerSecond < 500) {
            state.SkipWithError("the stream did not arrive: the figure would measure an idle window");
            break;
        }
    }
    simulator.terminate();
    simulator.waitForFinished(3000);
}
BENCHMARK(BM_LiveStreamCpuPerSecond)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
