#include "DialogShots.h"
#include "ShotFiles.h"

#include "core/app/TConfiguration.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TParameterEditing.h"
#include "core/params/TTable.h"
#include "core/params/TransferRemarks.h"
#include "gui/app/GuiFeedback.h"
#include "gui/app/TDlgSelectCommPort.h"
#include "gui/app/TFormMain.h"
#include "gui/app/TProgram.h"
#include "gui/app/TStatusLine.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewTKXParameter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

bool TakeDialogShots(TProgram& program, const QString& prefix) {
    bool ok = true;
    const TLanguage& language = program.Configuration().Language();
    // The range message as the TKX window shows it for a relevelling speed typed too high.
    TViewParameter* window = program.Windows().ViewTKXParameter();
    QMessageBox box(QMessageBox::Critical, language.Text(Record::RangeError),
                    GuiFeedback::ForDisplay(window->CaptionOf(QStringLiteral("EditRelevelUp")) + QLatin1Char('\r') +
                                            TParameterEditing::LimitText(QStringLiteral("Max. = "), 2)),
                    QMessageBox::Ok, window);
    GuiFeedback::FitCaption(box);
    ok = SaveWindowShot(&box, prefix + "range-message.png", true) && ok;

    TDlgSelectCommPort ports(language, &program.MainWindow());
    ports.SetPorts({QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/rfcomm0")});
    ok = SaveWindowShot(&ports, prefix + "port-selection.png", true) && ok;
    return ok;
}

void AddCompleteSet(TProgram& program, Family family) {
    TParameterDatabase& database = program.Database();
    database.SetParameterFamily(family);
    TTable& metadata = database.TableParameterDBSettings();
    TTable& sets = database.SetTable(family);
    sets.Insert();
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        sets.SetFieldFloat(metadata.FieldAsText(QStringLiteral("FieldName")),
                           metadata.FieldAsFloat(QStringLiteral("Default")));
    }
    sets.Post();
    database.SetParameterFamily(Family::None);
}

PortReservation ConnectParameterWindows(TProgram& program) {
    PortReservation port = program.Configuration().SelectPort(); // the standard port: nobody is asked
    program.Status().SetPort(QStringLiteral("/dev/ttyUSB0"));
    program.Windows().ViewTKXParameter()->SetPort(port.Get());
    program.Windows().ViewITKXParameter()->SetPort(port.Get());
    return port;
}

void ShowController(TProgram& program, Family family) {
    const TLanguage& language = program.Configuration().Language();
    program.Status().SetController(language.Text(Record::ConnectedController) + QStringLiteral(": ") +
                                   FamilyName(family) + QStringLiteral("  ( ") +
                                   language.Text(Record::SoftwareVersion) + QStringLiteral(": 2.220 )"));
}

bool TakeStatusLineShot(TProgram& program, const QString& prefix) {
    // The main window alone: its status line, which the menu picture covers.
    program.MainWindow().show();
    QApplication::processEvents();
    const bool mainSaved = SavePicture(program.MainWindow().grab(), prefix + QStringLiteral("main-window.png"));

    ShowController(program, Family::Tkx);
    TViewParameter* window = program.Windows().ViewTKXParameter();
    window->show();
    window->resize(1180, window->height()); // room for the whole remark
    auto* line = window->findChild<TStatusLine*>(QStringLiteral("StatusLine"));
    TTransferCounts counts;
    counts.Read = 55;
    line->SetRemark(ReceiveSummary(TTransferOutcome::Saved, counts, program.Configuration().Language()));
    QApplication::processEvents();
    // From the row of buttons down.
    const int top = window->findChild<QPushButton*>(QStringLiteral("BtnRead"))->mapTo(window, QPoint(0, 0)).y() - 6;
    const QPixmap picture = window->grab(QRect(0, top, window->width(), window->height() - top));
    window->hide();
    return SavePicture(picture, prefix + QStringLiteral("status-line.png")) && mainSaved;
}
