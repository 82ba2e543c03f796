#include "core/base/Clock.h"
#include "core/link/SerialPort.h"
#include "core/link/TTorvexController.h"

#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

// Parsing the reply to "p": a dump of 2000 entries in the controller's format.
static void BM_ParseDump2000(benchmark::State& state) {
    QByteArray reply;
    for (int number = 1; number <= 2000; ++number) {
        reply += QByteArray::number(number) + '\t' + QByteArray::number(number * 37 % 65536) + "\tV/s\tParameter " +
                 QByteArray::number(number) + "\r\n";
    }
    int entries = 0;
    for (auto _ : state) {
        TParameterDump dump;
        dump.Parse(reply);
        entries = dump.Size();
        benchmark::DoNotOptimize(entries);
    }
    if (entries != 2000) {
        state.SkipWithError(qPrintable(QStringLiteral("the dump parsed into %1 entries, not 2000").arg(entries)));
        return;
    }
    state.SetBytesProcessed(state.iterations() * reply.size());
}
BENCHMARK(BM_ParseDump2000)->Unit(benchmark::kMillisecond);

// A whole session against torvex-sim on a pty at 19200 baud: open, type query,
// dump, close. The time the protocol prescribes (pauses, reply timeouts, transfer
// at 10 bits per byte) is set against the time it took: the ratio shows what the
// program adds of its own.
static void BM_SessionAgainstSimulator(benchmark::State& state) {
    QProcess simulator;
    simulator.start(QStringLiteral(TORVEX_BIN_DIR "/torvex-sim"), {"--baud", "19200"});
    if (!simulator.waitForReadyRead(10000)) {
        state.SkipWithError("torvex-sim did not start");
        return;
    }
    const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    constexpr int kTimeout = 100;
    constexpr double kBytesPerMs = 19200.0 / 10.0 / 1000.0;
    SystemClock clock;
    double prescribedMs = 0;
    double actualMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        int received = 0;
        {
            TCommParameter port(device);
            TPortState ports;
            TTorvexController session(port, TLinkSettings{kTimeout, true}, ports, clock);
            const QString type = session.Query(ControllerCommand::ControllerType);
            received += static_cast<int>(type.size()) + 2;
            session.ReadParameterDump();
            if (type.isEmpty() || session.Dump.Size() < 100) {
                state.SkipWithError("the simulator's type or dump did not arrive whole");
                break;
            }
            for (int i = 0; i < session.Dump.Size(); ++i) {
                received +=
                    static_cast<int>(session.Dump.Values[i].size() + session.Dump.Units[i].size() +
                                     session.Dump.Names[i].size() + QString::number(session.Dump.Numbers[i]).size()) +
                    5;
            }
        }
        actualMs += static_cast<double>(timer.nsecsElapsed()) / 1e6;
        const int sent = 1 + 2 + 1 + 2; // "P", "T\r", "p", "Q\r"
        // open 2000; "T\r" paced 2 x 5 and its reply timeout; "p" 5 and its timeout; close 50 + 50 and the drain.
        prescribedMs += 2000 + 10 + kTimeout + 5 + kTimeout + 100 + kTimeout + (sent + received) / kBytesPerMs;
    }
    state.counters["actual_ms"] = actualMs / static_cast<double>(state.iterations());
    state.counters["prescribed_ms"] = prescribedMs / static_cast<double>(state.iterations());
    state.counters["ratio"] = actualMs / prescribedMs;
    simulator.terminate();
    simulator.waitForFinished(3000);
}
BENCHMARK(BM_SessionAgainstSimulator)->Iterations(3)->Unit(benchmark::kMillisecond);
