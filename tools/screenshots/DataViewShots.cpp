#include "DataViewShots.h"
#include "ShotFiles.h"

#include "ManualClock.h"
#include "core/link/PortReservation.h"
#include "gui/app/TProgram.h"
#include "gui/view/TCurveDisplay.h"
#include "gui/view/TFormViewDataCollect.h"
#include "gui/view/TZoom.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

} // namespace

bool TakeDataViewShots(TProgram& program, const QString& prefix) {
    QProcess simulator;
    simulator.start(QCoreApplication::applicationDirPath() + "/../bin/torvex-sim",
                    {"--live", "--frame-rate", "180", "--run-length", "5", "--gap", "2", "--baud", "115200"});
    if (!simulator.waitForReadyRead(10000)) {
        std::printf("FAILED the simulator did not start\n");
        return false;
    }
    TCommParameter port(QString::fromLocal8Bit(simulator.readLine()).trimmed());
    port.Baud = 115200;
    bool ok = true;
    {
        ManualClock clock;
        TFormViewDataCollect view(program.Configuration(), program.Ui(), clock, PortReservation(port),
                                  &program.Windows());
        view.SetChartTitle(program.Configuration().Language().Text(188));
        view.show();
        view.setWindowState(Qt::WindowNoState);
        view.resize(1100, 800);
        // Well into a live run.
        WaitFor([&] { return view.Curves().PointCount(0) > 30; }, 15000);
        ok = SavePicture(view.grab(), prefix + "dataview-live.png") && ok;

        // The run ended: drawn again from the file, read out under the mouse.
        ok = WaitFor([&] { return !view.ShownPicture().Records.empty(); }, 15000) && ok;
        QWidget* viewport = view.findChild<QGraphicsView*>("ChartAnalogValuesView")->viewport();
        const QPoint at = view.Curves().PositionOf(2600, 6.0);
        const QPointF local = viewport->mapFrom(&view.Curves(), at);
        QMouseEvent move(QEvent::MouseMove, local, viewport->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QApplication::processEvents();
        ok = SavePicture(view.grab(), prefix + "dataview-picture.png") && ok;

        TZoom& zoom = *program.Windows().Zoom();
        const auto [minX, maxX] = view.Curves().BottomRange();
        const auto [minY, maxY] = view.Curves().LeftRange();
        zoom.SetValues(maxX, minX, maxY, minY);
        zoom.show();
        QApplication::processEvents();
        ok = SavePicture(zoom.grab(), prefix + "zoom.png") && ok;
        zoom.hide();

        QTemporaryDir scratch;
        const QString pdf = scratch.filePath("curves.pdf");
        view.ChoosePrinter = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        view.PrintPageClick();
        const QString png = prefix + "curve-printout.png";
        QString base = png;
        base.chop(4);
        const int code = QProcess::execute("pdftoppm", {"-png", "-r", "80", "-singlefile", pdf, base});
        std::printf("%s %s\n", code == 0 ? "wrote" : "FAILED", qPrintable(png));
        ok = code == 0 && ok;
        view.close();
    }
    simulator.terminate();
    simulator.waitForFinished(3000);
    return ok;
}
