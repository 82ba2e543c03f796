#include "TSimulatorOptions.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    TSimulatorOptions options;
    QString error;
    if (!options.Parse(app.arguments().mid(1), error)) {
        std::fprintf(stderr, "torvex-sim: %s\n", qPrintable(error));
        return 2;
    }
    if (options.ShowHelp) {
        std::fputs(qPrintable(TSimulatorOptions::Usage()), stdout);
        return 0;
    }
    std::fputs("torvex-sim: the controller emulation is not part of this build yet\n", stderr);
    return 1;
}
