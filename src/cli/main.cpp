#include "cli/Cli.h"
#include "cli/RawArguments.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
// Drawing pages needs fonts, which need a GUI application; it runs without a display.
bool DrawsPages(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "print") == 0 || std::strcmp(argv[i], "report") == 0) {
            return true;
        }
    }
    return false;
}
} // namespace

int main(int argc, char* argv[]) {
    std::unique_ptr<QCoreApplication> app;
    if (DrawsPages(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    const RawArguments arguments(argc, argv);
    ShownOutput standardOutput(stdout, arguments);
    ShownOutput standardError(stderr, arguments);
    QTextStream out(&standardOutput);
    QTextStream err(&standardError);
    TConfigurationEnvironment environment = TConfigurationEnvironment::ForThisProcess();
    environment.BaseName = QStringLiteral("WinTorvex32"); // one configuration for the GUI and the command line
    const int code = RunCli(arguments.Arguments(), std::move(environment), out, err);
    out.flush();
    err.flush();
    return code;
}
