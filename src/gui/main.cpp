#include "gui/app/TApplication.h"
#include "gui/app/TFormMain.h"
#include "gui/app/TProgram.h"

#include "core/app/TConfiguration.h"

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    // Answered before anything needs a display: an installation is checked from a plain shell.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("WinTorvex32 %s\n", qPrintable(TConfiguration::ProgramVersion));
        return 0;
    }
    // The application object comes first: the configuration store may have to ask questions.
    TApplication app(argc, argv);
    TProgram program(TProgram::Options{});
    program.MainWindow().showMaximized();
    return app.exec();
}
