#include "TSimulatorServer.h"

#include "core/app/DataDirectory.h"

#include <QCoreApplication>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {
std::atomic<bool> g_stop{false};
std::atomic<int> g_marks{0};
std::atomic<int> g_cues{0};
void RequestStop(int) {
    g_stop = true;
}
void RequestMark(int) {
    ++g_marks;
}
void Cue(int) {
    ++g_cues;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    TSimulatorOptions options;
    options.Controller.DatabaseDirectory =
        DataDirectoryOf(QCoreApplication::applicationFilePath()) + QStringLiteral("DataBase");
    QString error;
    if (!options.Parse(app.arguments().mid(1), error)) {
        std::fprintf(stderr, "torvex-sim: %s\n", qPrintable(error));
        return 2;
    }
    if (options.ShowVersion) {
        std::printf("torvex-sim %s\n", TORVEX_VERSION);
        return 0;
    }
    if (options.ShowHelp) {
        std::fputs(qPrintable(TSimulatorOptions::Usage()), stdout);
        return 0;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGHUP, RequestStop);
    std::signal(SIGUSR1, RequestMark);
    std::signal(SIGUSR2, Cue);
    try {
        TSimulatorServer server(options);
        if (!server.Start(error)) {
            std::fprintf(stderr, "torvex-sim: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s\n", qPrintable(server.DevicePath()));
        std::fflush(stdout);
        server.Run(g_stop, stderr, &g_marks, &g_cues);
    } catch (const std::exception& e) {
        // The metadata could not be read: nothing to play.
        std::fprintf(stderr, "torvex-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
