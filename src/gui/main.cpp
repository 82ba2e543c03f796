#include "gui/app/TApplication.h"
#include "gui/app/TFormMain.h"
#include "gui/app/TProgram.h"

int main(int argc, char* argv[]) {
    // The application object comes first: the configuration store may have to ask questions.
    TApplication app(argc, argv);
    TProgram program(TProgram::Options{});
    program.MainWindow().showMaximized();
    return app.exec();
}
