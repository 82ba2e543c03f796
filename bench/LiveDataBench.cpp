#include "TLiveDataGenerator.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/link/SerialPort.h"
#include "core/link/TCommParameter.h"
#include "core/livedata/TDataRecorder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

class CompletionCounter : public TRecorderListener {
public:
    void PictureCompleted(int, const TDataFileHeader& header, const QString&) override {
        std::lock_guard lock(m_lock);
        ++m_completed;
        m_lastHeader = header;
        m_changed.notify_all();
    }
    // Waits until `count` pictures are complete; false when it took longer than the limit.
    bool WaitFor(int count, std::chrono::seconds limit) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, limit, [&] { return m_completed >= count; });
    }
    TDataFileHeader LastHeader() {
        std::lock_guard lock(m_lock);
        return m_lastHeader;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_completed = 0;
    TDataFileHeader m_lastHeader;
};

// Resident memory of this process in kB.
long ResidentKb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// Runs of `frames` frames, each followed by a silence that times out at once; after the last run
// the line waits for Stop. Fast enough that the recorder is what is measured.
class GeneratedLine : public TLiveLine {
public:
    GeneratedLine(int runs, int frames) : m_runs(runs) {
        for (int i = 0; i < frames; ++i) {
            m_run += TLiveDataGenerator::Frame(qint16(i), qint16(i), qint16(i), 0, 0, quint8(i & 3));
        }
    }
    bool Open() override { return true; }
    void Close() override {}
    void Wake() override {
        std::lock_guard lock(m_lock);
        m_woken = true;
        m_changed.notify_all();
    }
    Result Read(std::uint8_t* buffer, int count, int timeoutMs) override {
        if (m_at + count <= m_run.size()) {
            std::memcpy(buffer, m_run.constData() + m_at, std::size_t(count));
            m_at += count;
            return Result::Completed;
        }
        if (timeoutMs >= 0) {
            return Result::TimedOut;
        }
        if (++m_played < m_runs) {
            m_at = 0;
            return Read(buffer, count, timeoutMs);
        }
        std::unique_lock lock(m_lock);
        m_changed.wait(lock, [&] { return m_woken; });
        return Result::Stopped;
    }

private:
    QByteArray m_run;
    int m_runs;
    int m_played = 0;
    qsizetype m_at = 0;
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_woken = false;
};

} // namespace

// Receiver -> queue -> recorder -> file, fed by torvex-sim over a pty as fast as the pty takes
// the bytes: one run of 300,000 frames. Frames per second over the run, and frames sent against
// records stored (the run's picture counts its frames and its gap record).
static void BM_LiveChainOverPty(benchmark::State& state) {
    constexpr int kFrames = 300'000;
    constexpr int kGapMs = 1000; // long enough that a busy machine's hiccup does not split the run
    for (auto _ : state) {
        QProcess simulator;
        simulator.start(
            QStringLiteral(TORVEX_BIN_DIR "/torvex-sim"),
            {"--live", "--unpaced", "--runs", "1", "--frame-rate", "1000", "--run-length", "300", "--gap", "3"});
        if (!simulator.waitForReadyRead(10000)) {
            state.SkipWithError("torvex-sim did not start");
            return;
        }
        const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();
        QTemporaryDir dir;
        TRecorderSetup setup;
        setup.DataFilePath = dir.filePath(QStringLiteral("Bench.dat"));
        setup.CopyDirectory = dir.path();
        setup.FeedView = false;
        setup.GapForNewPageMs = kGapMs;
        TCommParameter port(device);
        port.Baud = 115200;
        UnattendedFeedback feedback;
        SystemClock clock;
        CompletionCounter counter;
        TPortState ports;
        TDataRecorder recorder(setup, feedback, clock, SerialLineFactory(port, ports), &counter);
        // The clock starts with the first record; the run ends with its gap record a gap later.
        QElapsedTimer waited;
        waited.start();
        while (recorder.Header().RecordCount == 0 && waited.elapsed() < 10000) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        QElapsedTimer timer;
        timer.start();
        if (!counter.WaitFor(1, std::chrono::seconds(120))) {
            state.SkipWithError("the run did not end");
            return;
        }
        const double seconds = double(timer.nsecsElapsed()) / 1e9 - kGapMs / 1000.0;
        state.SetIterationTime(seconds);
        const TDataFileHeader header = counter.LastHeader();
        const int stored = header.PictureTable[0].Count - 1;
        state.counters["frames_sent"] = kFrames;
        state.counters["records_stored"] = stored;
        state.counters["lost"] = kFrames - stored;
        state.counters["frames_per_s"] = kFrames / seconds;
        recorder.Stop();
        if (stored != kFrames) {
            state.SkipWithError(qPrintable(QStringLiteral("%1 of %2 frames lost").arg(kFrames - stored).arg(kFrames)));
            break;
        }
        simulator.terminate();
        simulator.waitForFinished(3000);
    }
}
BENCHMARK(BM_LiveChainOverPty)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Memory of a recording session after 10 pictures and after 1,000 (the file fills at 672 and is
// saved away): the recorder allocates nothing per record or per picture.
static void BM_RecorderMemoryPerPictures(benchmark::State& state) {
    for (auto _ : state) {
        QTemporaryDir dir;
        TRecorderSetup setup;
        setup.DataFilePath = dir.filePath(QStringLiteral("DataFile.dat"));
        setup.CopyDirectory = dir.path();
        setup.FeedView = false;
        UnattendedFeedback feedback;
        SystemClock clock;
        CompletionCounter counter;
        long after10 = 0;
        {
            TDataRecorder recorder(
                setup, feedback, clock, [] { return std::make_unique<GeneratedLine>(10, 360); }, &counter);
            counter.WaitFor(10, std::chrono::seconds(60));
            after10 = ResidentKb();
        }
        CompletionCounter more;
        TDataRecorder recorder(
            setup, feedback, clock, [] { return std::make_unique<GeneratedLine>(1000, 360); }, &more);
        if (!more.WaitFor(1000, std::chrono::seconds(300))) {
            state.SkipWithError("the pictures did not complete");
            return;
        }
        const long after1000 = ResidentKb();
        if (after10 <= 0 || after1000 <= 0 || recorder.Header().PictureCount == 0) {
            state.SkipWithError("no memory figure or no picture recorded");
            return;
        }
        state.counters["rss_kb_after_10"] = double(after10);
        state.counters["rss_kb_after_1000"] = double(after1000);
        state.counters["growth_kb"] = double(after1000 - after10);
    }
}
BENCHMARK(BM_RecorderMemoryPerPictures)->Iterations(1)->Unit(benchmark::kMillisecond);
