#include "cli/Cli.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    TConfigurationEnvironment environment = TConfigurationEnvironment::ForThisProcess();
    environment.BaseName = QStringLiteral("WinTorvex32"); // one configuration for the GUI and the command line
    const int code = RunCli(app.arguments().mid(1), std::move(environment), out, err);
    out.flush();
    err.flush();
    return code;
}
