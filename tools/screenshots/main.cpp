// Takes the screenshots of the documentation: the real windows, offscreen, in a
// fresh home with the given language. Usage: torvex-screenshots OUTPUT_DIR LANGUAGE_VALUE PREFIX
#include "CompareShots.h"
#include "DataViewShots.h"
#include "DialogShots.h"
#include "FactoryScreenshots.h"
#include "core/params/TParameterDatabase.h"
#include "gui/access/TPasswordForm.h"
#include "gui/app/TApplication.h"
#include "gui/app/TDlgConfiguration.h"
#include "gui/app/TFormMain.h"
#include "gui/app/THelpViewer.h"
#include "gui/app/TProgram.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewTKXParameter.h"
#include "gui/service/TAboutBox.h"

#include "PrintoutShots.h"
#include "ServiceShots.h"

#include "ManualClock.h"
#include "core/base/Feedback.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include "ShotFiles.h"

namespace {
QPixmap Grab(QWidget* window) {
    window->show();
    window->adjustSize();
    QApplication::processEvents();
    return window->grab();
}
} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        std::fputs("usage: torvex-screenshots OUTPUT_DIR LANGUAGE_VALUE PREFIX\n", stderr);
        return 2;
    }
    const QString out = arguments[1];
    const QString prefix = out + QLatin1Char('/') + arguments[3] + QLatin1Char('-');
    QDir().mkpath(out);
    QTemporaryDir home;
    QDir().mkpath(home.path() + "/Faldmark/WinTorvex32");
    QFile config(home.path() + "/Faldmark/WinTorvex32/WinTorvex32.config");
    config.open(QIODevice::WriteOnly);
    config.write("[Language]\nLanguageValue=" + arguments[2].toLatin1() +
                 "\n[/dev/ttyUSB0]\nStandardPortEnabled=1\nStandardPort=/dev/ttyUSB0\n");
    config.close();

    UnattendedFeedback feedback;
    ManualClock clock;
    TProgram::Options options;
    options.Environment.ExecutablePath = QCoreApplication::applicationDirPath() + "/../bin/WinTorvex32";
    options.Environment.DocumentsFolder = home.path();
    options.Environment.PortCandidates = [] { return QStringList{"/dev/ttyS0", "/dev/ttyUSB0"}; };
    options.Environment.PortOpens = [](const QString&) { return true; };
    options.Ui = &feedback;
    options.Time = &clock;
    TProgram program(std::move(options));
    bool ok = true;

    // The main window with its Parameters menu and the Load / Save submenu open.
    TFormMain& main = program.MainWindow();
    main.resize(1000, main.height());
    main.show();
    QApplication::processEvents();
    const QPixmap strip = main.grab();
    auto* button = main.findChild<QToolButton*>("ToolButtonMenuMainParameter");
    QMenu* menu = button->menu();
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    QMenu* submenu = main.findChild<QMenu*>("MenuParameterLoadSave");
    submenu->popup(QPoint(0, 0));
    QApplication::processEvents();
    const QPixmap menuPicture = menu->grab();
    const QPixmap submenuPicture = submenu->grab();
    const QRect loadSave = menu->actionGeometry(submenu->menuAction());
    // The menu drops from its button, over the status line below the menu bar.
    const int menuTop = button->mapTo(&main, QPoint(0, button->height())).y();
    QPixmap canvas(
        std::max(strip.width(), button->x() + menuPicture.width() + submenuPicture.width()),
        std::max(strip.height(), menuTop + std::max(menuPicture.height(), loadSave.top() + submenuPicture.height())) +
            8);
    canvas.fill(QColor(0xe8, 0xe8, 0xe8));
    QPainter painter(&canvas);
    painter.drawPixmap(0, 0, strip);
    painter.drawPixmap(button->x(), menuTop, menuPicture);
    painter.drawPixmap(button->x() + menuPicture.width() - 4, menuTop + loadSave.top(), submenuPicture);
    painter.end();
    menu->hide();
    submenu->hide();
    ok = SavePicture(canvas, prefix + "main-menu.png") && ok;

    TDlgConfiguration* settings = program.Windows().Configuration();
    auto* pages = settings->findChild<QTabWidget*>("PageControlConfiguration");
    const char* const pageNames[] = {"settings-general", "settings-delays", "settings-serial", "settings-language"};
    for (int page = 0; page < 4; ++page) {
        pages->setCurrentIndex(page);
        ok = SavePicture(Grab(settings), prefix + pageNames[page] + ".png") && ok;
    }
    settings->hide();
    ok = SavePicture(Grab(program.Windows().PasswordForm()), prefix + "password.png") && ok;

    // Both parameter windows with a set in them, every page.
    const PortReservation parameterPort = ConnectParameterWindows(program);
    for (Family family : {Family::Tkx, Family::VfTkx}) {
        AddCompleteSet(program, family);
        ShowController(program, family);
        TTable& sets = program.Database().SetTable(family);
        sets.Edit();
        sets.SetFieldText("Name", family == Family::Tkx ? "Shaft A - TKX 3" : "Shaft B - VF-TKX 1");
        sets.SetFieldText("Description", "Commissioning 2026-12-10");
        sets.SetFieldText("InfoMemo",
                          "Software version:\t2.220\t\rHardware version:\t1.200\t\rSerial number:\t000004711\t\r"
                          "Power on:\t     1532\t\rDrive up:\t    48211\t\r");
        sets.SetFieldText("ErrorMemo", "Error 1:\t12 h \t\rError 2:\t31 h \t\rError 3:\t0 h \t\r");
        for (const char* field : {"FastUp", "FastDn"}) {
            sets.SetFieldFloat(field, 8.0);
        }
        sets.SetFieldFloat("ValveType", family == Family::Tkx ? 3 : 9);
        sets.Post();
        QDialog* window = family == Family::Tkx ? static_cast<QDialog*>(program.Windows().ViewTKXParameter())
                                                : static_cast<QDialog*>(program.Windows().ViewITKXParameter());
        static_cast<TViewParameter*>(window)->PrepareWindow();
        window->show();
        window->resize(window->sizeHint().expandedTo(QSize(900, 640)));
        auto* tabs = window->findChild<QTabWidget*>(family == Family::Tkx ? "PageControlTKX" : "PageControlITKX");
        const char* const names[] = {"up", "down", "options", "information"};
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            QApplication::processEvents();
            ok = SavePicture(window->grab(),
                             prefix + (family == Family::Tkx ? "tkx-" : "vftkx-") + names[page] + ".png") &&
                 ok;
        }
        window->hide();
    }
    ok = SavePrintoutShots(program, prefix) && ok;
    ok = TakeDialogShots(program, prefix) && ok;
    ok = TakeStatusLineShot(program, prefix) && ok;
    ok = SavePicture(Grab(program.Windows().About()), prefix + "about.png") && ok;
    ok = TakeServiceShots(program, clock, prefix) && ok;
    program.Windows().Help()->ShowContext(242);
    program.Windows().Help()->resize(900, 560);
    QApplication::processEvents();
    ok = SavePicture(program.Windows().Help()->grab(), prefix + "help.png") && ok;
    ok = TakeFactoryScreenshots(program, clock, prefix, home.path()) && ok;
    ok = TakeDataViewShots(program, prefix) && ok;
    ok = TakeCompareShots(program, clock, prefix) && ok;
    return ok ? 0 : 1;
}
