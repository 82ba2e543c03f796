#include "DialogShots.h"

#include "gui/app/GuiFeedback.h"
#include "gui/app/TDlgSelectCommPort.h"
#include "gui/app/TFormMain.h"
#include "gui/app/TProgram.h"
#include "gui/params/TViewTKXParameter.h"
#include "core/app/TConfiguration.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/TParameterEditing.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace {
bool SaveShot(QWidget* window, const QString& path) {
    window->show();
    window->adjustSize();
    QApplication::processEvents();
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    window->hide();
    return saved;
}
} // namespace

bool TakeDialogShots(TProgram& program, const QString& prefix) {
    bool ok = true;
    const TLanguage& language = program.Configuration().Language();
    // The range message as the TKX window shows it for a relevelling speed typed too high.
    TViewParameter* window = program.Windows().ViewTKXParameter;
    QMessageBox box(QMessageBox::Critical, language.Text(Record::RangeError),
                    GuiFeedback::ForDisplay(window->CaptionOf(QStringLiteral("EditRelevelUp")) + QLatin1Char('\r') +
                                            TParameterEditing::LimitText(QStringLiteral("Max. = "), 2)),
                    QMessageBox::Ok, window);
    GuiFeedback::FitCaption(box);
    ok = SaveShot(&box, prefix + "range-message.png") && ok;

    TDlgSelectCommPort ports(language, &program.MainWindow());
    ports.SetPorts({QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/rfcomm0")});
    ok = SaveShot(&ports, prefix + "port-selection.png") && ok;
    return ok;
}
