#include "ServiceShots.h"
#include "ShotFiles.h"

#include "TSimulatedController.h"
#include "TSimulatorLink.h"

#include "gui/access/TPasswordPelvorChangeForm.h"
#include "gui/access/TPasswordPelvorForm.h"
#include "gui/app/TProgram.h"
#include "gui/service/TFormSpecialTest.h"
#include "gui/service/TFormZeroPoint.h"

#include "ManualClock.h"
#include "core/app/TConfiguration.h"
#include "core/link/TTorvexController.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QThread>

namespace {

bool Save(QWidget* window, const QString& path, bool withTitle = false) {
    QApplication::processEvents();
    QPixmap picture = window->grab();
    if (withTitle) {
        // Offscreen windows have no frame: the title, which carries the version here, is drawn above.
        QPixmap framed(picture.width(), picture.height() + 26);
        framed.fill(QColor(0xd8, 0xd8, 0xd8));
        QPainter painter(&framed);
        painter.drawText(QRect(8, 0, framed.width() - 16, 26), Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
        painter.drawPixmap(0, 26, picture);
        painter.end();
        picture = framed;
    }
    return SavePicture(picture, path);
}

void ServeFromSimulator(TControllerAccess& access, TSimulatedController& controller, ManualClock& clock) {
    access.OpenSession = [&controller, &clock](const TCommParameter&) {
        return std::make_unique<TTorvexController>(std::make_unique<TSimulatorLink>(controller, clock), 1000, false,
                                                   clock);
    };
}

template <typename T> T* Child(QWidget* window, const char* name) {
    return window->findChild<T*>(QLatin1String(name));
}

} // namespace

bool TakeServiceShots(TProgram& program, ManualClock& clock, const QString& prefix) {
    const QString templates = program.Configuration().GetTemplateDatabaseDirectory();
    TSimulatedController controller({Family::Tkx, 2142, QStringLiteral("1234"), templates, 0});
    const PortReservation port = program.Configuration().SelectPort();
    bool ok = true;

    TPasswordPelvorForm* login = program.Windows().PasswordPelvor();
    login->show();
    Child<QLineEdit>(login, "EditPassword")->setText(QStringLiteral("1234"));
    ok = Save(login, prefix + "pelvor-login.png") && ok;
    login->hide();

    TPasswordPelvorChangeForm* change = program.Windows().PasswordPelvorChange();
    change->show();
    Child<QLineEdit>(change, "EditPassword1")->setText(QStringLiteral("1234"));
    Child<QLineEdit>(change, "EditPassword2")->setText(QStringLiteral("0815"));
    ok = Save(change, prefix + "pelvor-change.png") && ok;
    change->hide();

    TFormZeroPoint* zero = program.Windows().ZeroPoint();
    ServeFromSimulator(zero->Access(), controller, clock);
    zero->SetPort(port.Get());
    zero->show();
    auto* readOut = Child<QLabel>(zero, "EditVal");
    QElapsedTimer waited;
    waited.start();
    while (!readOut->text().endsWith(QLatin1String(" V")) && waited.elapsed() < 5000) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    ok = Save(zero, prefix + "zero-point.png", true) && ok;
    zero->close();

    // The special test on a controller whose password is not active, so it tells its type.
    TSimulatedController open({Family::Tkx, 2142, QString(), templates, 0});
    TFormSpecialTest* test = program.Windows().SpecialTest();
    ServeFromSimulator(test->Access(), open, clock);
    test->SetPort(port.Get());
    test->show();
    test->adjustSize();
    Child<QPushButton>(test, "BitBtnConnect")->click();
    Child<QCheckBox>(test, "CheckBoxLedUp")->click();
    Child<QCheckBox>(test, "CheckBoxRelay")->click();
    Child<QPushButton>(test, "ButtonGetControllerType")->click();
    Child<QPushButton>(test, "ButtonGetValveType")->click();
    Child<QPushButton>(test, "ButtonActualValue")->click();
    Child<QLineEdit>(test, "EditParamNr")->setText(QStringLiteral("11"));
    Child<QPushButton>(test, "BitBtnNext")->click();
    ok = Save(test, prefix + "special-test.png") && ok;
    test->close();
    return ok;
}
