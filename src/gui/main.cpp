#include "app/GuiClock.h"
#include "app/GuiFeedback.h"
#include "app/Language.h"
#include "app/TConfiguration.h"
#include "app/TFormMain.h"
#include "app/TLogger.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The application object comes first: the configuration store may have to ask questions.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("WinTorvex32"));

    GuiFeedback feedback;
    GuiClock clock;
    TConfiguration configuration(TConfigurationEnvironment::ForThisProcess(), feedback);
    TLogger logger([&configuration] { return configuration.GetWorkDirectory(); }, clock);

    LanguageIndex = configuration.GetLanguageIndex();
    TFormMain formMain(configuration);
    feedback.SetParent(&formMain);
    formMain.showMaximized();
    return app.exec();
}
