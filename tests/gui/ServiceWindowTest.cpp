#include "gui/access/TPasswordPelvorChangeForm.h"
#include "gui/access/TPasswordPelvorForm.h"
#include "gui/app/TProgram.h"
#include "gui/service/TFormSpecialTest.h"
#include "gui/service/TFormZeroPoint.h"

#include "core/base/Language.h"
#include "core/base/TLogger.h"

#include "ProgramFixture.h"
#include "SimulatorProcess.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QByteArray kQuickReplies = "[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\n";

class ServiceWindow : public ProgramTest {
protected:
    // Runs the steps inside the modal window once it is up (the menu item opens it with exec).
    void WhenShown(QWidget* window, std::function<void()> steps) {
        auto* poll = new QTimer(window);
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, window, [window, poll, steps] {
            if (window->isVisible()) {
                poll->stop();
                poll->deleteLater();
                steps();
            }
        });
        poll->start();
    }
    void Trigger(const char* item) { Find<QAction>(&m_program->MainWindow(), item)->trigger(); }
};

TEST_F(ServiceWindow, LoginAndChangeThroughTheDialogs) {
    SimulatorProcess simulator({"--software", "2142", "--password", "1234"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    TProgram& program = Start(kQuickReplies, {simulator.Device()});
    auto* login = program.Windows().PasswordPelvor();
    auto* password = Find<QLineEdit>(login, "EditPassword");
    EXPECT_EQ(login->windowTitle(), "Password input (Pelvor)");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);

    // A malformed password is refused before anything is sent; the dialog closes emptied.
    // While its Send is handled the cursor is busy and the dialog's controls are locked.
    bool lockedDuringSend = false;
    m_feedback.OnMessage = [&] {
        lockedDuringSend = m_feedback.BusyDepth > 0 && !password->isEnabled() &&
                           !Find<QPushButton>(login, "BtnOk")->isEnabled() &&
                           !Find<QPushButton>(login, "BtnCancel")->isEnabled();
    };
    WhenShown(login, [&] {
        QTest::keyClicks(password, "12a4");
        Find<QPushButton>(login, "BtnOk")->click();
    });
    Trigger("SubMenuPwPelvorLogin");
    m_feedback.OnMessage = nullptr;
    EXPECT_TRUE(lockedDuringSend);
    EXPECT_EQ(m_feedback.BusyDepth, 0);
    EXPECT_TRUE(password->isEnabled());
    EXPECT_FALSE(login->isVisible());
    EXPECT_TRUE(password->text().isEmpty());
    EXPECT_EQ(m_feedback.Texts(), QStringList{"Password (Pelvor): not correct"});
    EXPECT_FALSE(simulator.Log().contains("received q:"));

    m_feedback.Messages.clear();
    WhenShown(login, [&] {
        QTest::keyClicks(password, "1234");
        Find<QPushButton>(login, "BtnOk")->click();
    });
    Trigger("SubMenuPwPelvorLogin");
    EXPECT_TRUE(m_feedback.Messages.empty());
    EXPECT_TRUE(simulator.LogWith({"received q:1234\\r"}).contains("received q:1234\\r"));

    auto* change = program.Windows().PasswordPelvorChange();
    QLineEdit* entries[] = {Find<QLineEdit>(change, "EditPassword1"), Find<QLineEdit>(change, "EditPassword2"),
                            Find<QLineEdit>(change, "EditPassword3")};
    EXPECT_EQ(Find<QLabel>(change, "Label3")->text(), "Confirm new password");
    WhenShown(change, [&] {
        entries[0]->setText("1234");
        entries[1]->setText("5678");
        entries[2]->setText("5679");
        Find<QPushButton>(change, "BtnOk")->click();
        // Not confirmed: the dialog stays open with what was typed.
        EXPECT_TRUE(change->isVisible());
        EXPECT_EQ(entries[2]->text(), "5679");
        EXPECT_TRUE(entries[0]->isEnabled());
        entries[2]->setText("5678");
        Find<QPushButton>(change, "BtnOk")->click();
    });
    Trigger("SubMenuPwPelvorChange");
    EXPECT_FALSE(change->isVisible());
    EXPECT_EQ(m_feedback.Texts(), QStringList{"Confirm new password: not correct"});
    for (QLineEdit* entry : entries) {
        EXPECT_TRUE(entry->text().isEmpty());
    }
    const QString log = simulator.LogWith({"received qc:5678\\r", "received q:5678\\r"});
    EXPECT_TRUE(log.contains("received qc:5678\\r")) << log.toStdString();
    EXPECT_TRUE(log.contains("received q:5678\\r"));

    m_feedback.Messages.clear();
    Trigger("SubMenuPwPelvorReadCode");
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Password code (Pelvor): \r\r5678");
    EXPECT_FALSE(program.Configuration().Settings().Ports[0]->InUse);
}

TEST_F(ServiceWindow, AControllerSwitchedOffWhileTheLoginDialogIsOpenIsATransferError) {
    SimulatorProcess simulator({"--software", "2142", "--password", "1234"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    TProgram& program = Start(kQuickReplies, {simulator.Device()});
    auto* login = program.Windows().PasswordPelvor();
    WhenShown(login, [&] {
        simulator.Kill(); // after the version check, before the password goes out
        QTest::keyClicks(Find<QLineEdit>(login, "EditPassword"), "1234");
        Find<QPushButton>(login, "BtnOk")->click();
    });
    Trigger("SubMenuPwPelvorLogin");
    EXPECT_FALSE(login->isVisible());
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Error");
    EXPECT_EQ(m_feedback.Messages[0].Text, "Transfer error");
    EXPECT_EQ(m_feedback.BusyDepth, 0);
    EXPECT_FALSE(program.Configuration().Settings().Ports[0]->InUse);
}

TEST_F(ServiceWindow, AControllerWithoutPasswordFunctionOpensNoDialog) {
    SimulatorProcess simulator({"--software", "2106"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    TProgram& program = Start(kQuickReplies, {simulator.Device()});
    Trigger("SubMenuPwPelvorChange"); // would block here if the dialog opened
    EXPECT_FALSE(program.Windows().PasswordPelvorChange()->isVisible());
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Information);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Password not implemented on Pelvor\r\rPelvor-Software version: 2106");
}

// A clock that closes the window the moment a reading is waiting for its reply.
class ClosingClock : public ManualClock {
public:
    std::function<void()> OnIdle;
    void Idle() override {
        if (OnIdle) {
            auto once = std::move(OnIdle);
            OnIdle = nullptr;
            once();
        }
    }
};

TEST_F(ServiceWindow, ZeroPointReadsUntilClosedEvenWhenClosedDuringAReading) {
    SimulatorProcess simulator({"--software", "2107"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    TProgram& program = Start(kQuickReplies, {simulator.Device()});
    ClosingClock clock;
    TFormZeroPoint window(program.Configuration(), m_feedback, clock);
    auto* readOut = Find<QLabel>(&window, "EditVal");
    window.SetPort(TakePort());
    window.show();
    EXPECT_EQ(readOut->text(), "Please wait ...");
    EXPECT_EQ(readOut->font().pointSize(), 30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return readOut->text().endsWith(" V"); }, 5000));
    EXPECT_EQ(window.windowTitle(), "Zero-Point (Software version: 2.107)");
    EXPECT_EQ(readOut->font().pointSize(), 48);
    EXPECT_TRUE(readOut->text().startsWith("+ 1.2")) << readOut->text().toStdString();

    clock.OnIdle = [&] { window.close(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.SessionOpen(); }, 5000));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Zero-Point");
    const qsizetype readings = simulator.Log().count("received j");
    QTest::qWait(300);
    EXPECT_EQ(simulator.Log().count("received j"), readings); // no reading after the close
    EXPECT_TRUE(simulator.LogWith({"received Q"}).contains("received Q"));
}

TEST_F(ServiceWindow, ZeroPointStopsWithATransferErrorWhenTheControllerGoes) {
    SimulatorProcess simulator({"--software", "2107"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    TProgram& program = Start(kQuickReplies, {simulator.Device()});
    TFormZeroPoint window(program.Configuration(), m_feedback, m_clock);
    auto* readOut = Find<QLabel>(&window, "EditVal");
    window.SetPort(TakePort());
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return readOut->text().endsWith(" V"); }, 5000));
    simulator.Kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.SessionOpen(); }, 5000));
    EXPECT_EQ(readOut->text(), "Error measurement");
    QTest::qWait(300); // no reading after the failure, so no second box
    EXPECT_EQ(m_feedback.Texts(), QStringList{"Transfer error"});
    window.close();
}

TEST_F(ServiceWindow, ZeroPointWithoutAPortOpensNoSession) {
    TProgram& program = Start(kQuickReplies, {});
    TFormZeroPoint& window = *program.Windows().ZeroPoint();
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QLabel>(&window, "EditVal")->text() == "Error measurement"; }, 2000));
    EXPECT_FALSE(window.SessionOpen());
    window.close();
}

class SpecialTestWindow : public ServiceWindow {
protected:
    TFormSpecialTest& Open(const QStringList& simulatorArguments) {
        m_simulator = std::make_unique<SimulatorProcess>(simulatorArguments);
        EXPECT_FALSE(m_simulator->Device().isEmpty());
        TProgram& program = Start(kQuickReplies, {m_simulator->Device()});
        TFormSpecialTest& window = *program.Windows().SpecialTest();
        window.SetPort(TakePort());
        window.show();
        return window;
    }
    template <typename T = QWidget> T* Control(TFormSpecialTest& window, const char* name) {
        return Find<T>(&window, name);
    }
    bool Enabled(TFormSpecialTest& window, std::initializer_list<const char*> names) {
        bool all = true;
        for (const char* name : names) {
            all = all && Control(window, name)->isEnabled();
        }
        return all;
    }
    bool Disabled(TFormSpecialTest& window, std::initializer_list<const char*> names) {
        bool none = true;
        for (const char* name : names) {
            none = none && !Control(window, name)->isEnabled();
        }
        return none;
    }
    std::unique_ptr<SimulatorProcess> m_simulator;
};

constexpr std::initializer_list<const char*> kIndicators = {
    "CheckBoxLedUp",     "CheckBoxLedRun",     "CheckBoxLedDown",    "CheckBoxLedError",
    "CheckBoxLedSIU1",   "CheckBoxRelay",      "ButtonGetValveType", "ButtonGetControllerType",
    "ButtonActualValue", "ButtonGetParameter", "BitBtnFirst",        "BitBtnPrev",
    "BitBtnNext",        "BitBtnLast",         "ButtonChange"};

TEST_F(SpecialTestWindow, ConnectSwitchBrowseChangeAndClose) {
    TFormSpecialTest& window = Open({"--family", "TKX"});
    EXPECT_TRUE(Disabled(window, kIndicators));
    EXPECT_TRUE(Disabled(window, {"BitBtnDisconnect", "GroupBoxMiniTerminal", "RadioButtonAllSegOn"}));

    Control<QPushButton>(window, "BitBtnConnect")->click();
    EXPECT_TRUE(window.Connected());
    EXPECT_TRUE(Enabled(window, kIndicators));
    EXPECT_TRUE(
        Enabled(window, {"BitBtnDisconnect", "GroupBoxMiniTerminal", "RadioButtonAllSegOn", "RadioButtonAllSegOff"}));
    EXPECT_FALSE(Control(window, "BitBtnConnect")->isEnabled());
    EXPECT_EQ(Control<QProgressBar>(window, "ProgressBarSpecialTest")->value(), 90);
    QString log = m_simulator->Log();
    EXPECT_TRUE(
        log.contains("received p\ntorvex-sim: received T\\r\ntorvex-sim: received LR\\r\ntorvex-sim: Run LED on\n"
                     "torvex-sim: received lR\\r"))
        << log.toStdString();

    Control<QCheckBox>(window, "CheckBoxLedUp")->click();
    Control<QCheckBox>(window, "CheckBoxLedUp")->click();
    Control<QRadioButton>(window, "RadioButtonAllSegOn")->click();
    log = m_simulator->Log();
    EXPECT_TRUE(
        log.contains("received LS\\r\ntorvex-sim: Up LED on\ntorvex-sim: received lS\\r\ntorvex-sim: Up LED off"));
    EXPECT_TRUE(log.contains("All segments on"));

    Control<QPushButton>(window, "ButtonGetControllerType")->click();
    EXPECT_EQ(Control<QLineEdit>(window, "EditControllerType")->text(), "TKX");

    // The simulator's list holds the numbers 0 to 110 and 1001 to 1018.
    Control<QPushButton>(window, "BitBtnFirst")->click();
    EXPECT_EQ(Control<QLineEdit>(window, "EditParamNr")->text(), "1");
    Control<QPushButton>(window, "BitBtnLast")->click();
    EXPECT_EQ(Control<QLineEdit>(window, "EditParamNr")->text(), "1018");
    Control<QPushButton>(window, "BitBtnNext")->click(); // past the end: round to the start
    EXPECT_EQ(Control<QLineEdit>(window, "EditParamNr")->text(), "1");
    Control<QPushButton>(window, "BitBtnPrev")->click(); // from 1: round to the end
    EXPECT_EQ(Control<QLineEdit>(window, "EditParamNr")->text(), "1018");
    Control<QLineEdit>(window, "EditParamNr")->setText("12");
    Control<QPushButton>(window, "ButtonGetParameter")->click();
    EXPECT_EQ(Control<QLineEdit>(window, "EditParamName")->text(), "Start speed UP");
    EXPECT_EQ(Control<QLineEdit>(window, "EditParamValue")->text(), "30");

    auto* change = Control<QPushButton>(window, "ButtonChange");
    auto* value = Control<QLineEdit>(window, "EditParamValue");
    EXPECT_TRUE(value->isReadOnly());
    change->click();
    EXPECT_EQ(change->text(), "&Send");
    EXPECT_FALSE(value->isReadOnly());
    value->setText("45");
    m_feedback.Answers = {MessageAnswer::No};
    change->click();
    EXPECT_EQ(m_feedback.Messages.back().Text, "Send parameter to contoller\rwithout range-check ?");
    EXPECT_EQ(change->text(), "Change");
    EXPECT_TRUE(value->isReadOnly());
    EXPECT_FALSE(m_simulator->Log().contains("received E:"));
    change->click();
    value->setText("45");
    m_feedback.Answers = {MessageAnswer::Yes};
    change->click();
    EXPECT_TRUE(m_simulator->Log().contains("received E:012:00045\\r"));

    // The list shows a new value on the parameter that was changed, and on no other (the
    // controller's list starts at number 0, so a parameter's position is not its number - 1).
    const auto valueOf = [&](const char* number) {
        Control<QLineEdit>(window, "EditParamNr")->setText(number);
        Control<QPushButton>(window, "ButtonGetParameter")->click();
        return value->text();
    };
    const QString before = valueOf("15");
    Control<QLineEdit>(window, "EditParamNr")->setText("16");
    change->click();
    value->setText("77");
    change->click();
    EXPECT_TRUE(m_simulator->Log().contains("received E:016:00077\\r"));
    EXPECT_EQ(valueOf("16"), "77");
    EXPECT_EQ(valueOf("15"), before);
    EXPECT_EQ(valueOf("12"), "45");

    // Closing while connected switches off what is on (the relay, the segments) before the
    // session ends, and the next showing starts disconnected.
    Control<QCheckBox>(window, "CheckBoxRelay")->click();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.Connected());
    log = m_simulator->Log();
    const qsizetype relayOff = log.indexOf("torvex-sim: Relay off");
    const qsizetype segmentsOff = log.indexOf("torvex-sim: All segments off");
    EXPECT_GT(relayOff, log.indexOf("torvex-sim: Relay on")) << log.toStdString();
    EXPECT_GT(segmentsOff, 0) << log.toStdString();
    EXPECT_GT(log.lastIndexOf("received Q"), std::max(relayOff, segmentsOff));
    EXPECT_EQ(log.count("Up LED off"), 1); // switched off by hand already: not sent again
    window.show();
    EXPECT_TRUE(Control(window, "BitBtnConnect")->isEnabled());
    EXPECT_TRUE(Disabled(window, kIndicators));
    EXPECT_FALSE(Control<QCheckBox>(window, "CheckBoxLedUp")->isChecked());
    window.close();
}

TEST_F(SpecialTestWindow, AControllerSwitchedOffIsATransferErrorAndDisconnects) {
    TFormSpecialTest& window = Open({"--family", "TKX"});
    Control<QPushButton>(window, "BitBtnConnect")->click();
    ASSERT_TRUE(window.Connected());
    ASSERT_TRUE(m_feedback.Messages.empty());
    m_simulator->Kill();
    Control<QCheckBox>(window, "CheckBoxLedUp")->click();
    ASSERT_EQ(m_feedback.Texts(), QStringList{"Transfer error"});
    EXPECT_EQ(m_feedback.Messages.back().Caption, "Error");
    EXPECT_FALSE(window.Connected());
    EXPECT_TRUE(Control(window, "BitBtnConnect")->isEnabled());
    EXPECT_TRUE(Disabled(window, kIndicators));
    EXPECT_FALSE(Control<QCheckBox>(window, "CheckBoxLedUp")->isChecked());

    // Connecting again finds no controller: said so, and the window stays disconnected.
    m_feedback.Messages.clear();
    Control<QPushButton>(window, "BitBtnConnect")->click();
    EXPECT_EQ(m_feedback.Texts(), QStringList{"Transfer error"});
    EXPECT_FALSE(window.Connected());
    EXPECT_TRUE(Disabled(window, kIndicators));
    window.close();
}

TEST_F(SpecialTestWindow, AnInverterControllerHasNoSegmentsAndTheTraceLevelIsClamped) {
    TFormSpecialTest& window = Open({"--family", "VF-TKX"});
    Control<QPushButton>(window, "BitBtnConnect")->click();
    EXPECT_TRUE(Enabled(window, kIndicators));
    EXPECT_TRUE(Disabled(window, {"GroupBoxMiniTerminal", "RadioButtonAllSegOn", "RadioButtonAllSegOff"}));

    // The trace level is judged when the field is left (Return, or the focus going elsewhere), not
    // while it is typed: "4" on the way to "45" sets nothing, "-" on the way to "-1" is no error.
    auto* trace = Control<QLineEdit>(window, "EditTraceLevel");
    EXPECT_EQ(trace->text(), "1");
    const auto leave = [&](bool byReturn) {
        if (byReturn) {
            QTest::keyClick(trace, Qt::Key_Return);
        } else {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(trace, &out);
        }
    };
    const struct {
        const char* typed;
        bool byReturn;
        const char* shown;
        int level;
    } cases[] = {{"45", true, "5", 5}, {"-1", false, "0", 0}, {"3", true, "3", 3}};
    int level = m_program->Logger().GetTraceLevel();
    for (const auto& c : cases) {
        trace->selectAll();
        QTest::keyClicks(trace, c.typed);
        EXPECT_EQ(trace->text(), c.typed);
        EXPECT_EQ(m_program->Logger().GetTraceLevel(), level) << c.typed;
        leave(c.byReturn);
        EXPECT_EQ(trace->text(), c.shown) << c.typed;
        level = m_program->Logger().GetTraceLevel();
        EXPECT_EQ(level, c.level) << c.typed;
    }
    EXPECT_TRUE(m_feedback.Messages.empty());

    Control<QPushButton>(window, "BitBtnDisconnect")->click();
    EXPECT_FALSE(window.Connected());
    EXPECT_TRUE(Disabled(window, kIndicators));
    window.SetPort(nullptr);
    Control<QPushButton>(window, "BitBtnConnect")->click();
    ASSERT_FALSE(m_feedback.Messages.empty());
    EXPECT_EQ(m_feedback.Messages.back().Caption, "Special Test");
    EXPECT_EQ(m_feedback.Messages.back().Text, "Connection failed");
    window.close();
}

} // namespace
