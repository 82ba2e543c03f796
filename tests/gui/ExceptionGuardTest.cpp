#include "gui/app/GuiClock.h"
#include "gui/app/SlotGuard.h"
#include "gui/app/TApplication.h"

#include "core/params/TTable.h"

#include "ProgramFixture.h"
#include "ThrowingThroughQt.h"

#include <QDeadlineTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <thread>

namespace {
TApplication& App() {
    return *qobject_cast<TApplication*>(QCoreApplication::instance());
}

// A window with a button whose slot fails and one that works.
struct FailingWindow {
    FailingWindow() : Failing(new QPushButton(&Window)), Working(new QPushButton(&Window)) {
        QObject::connect(Failing, &QPushButton::clicked,
                         [] { throw TableError(QStringLiteral("Tkx.DB: disk I/O error")); });
        QObject::connect(Working, &QPushButton::clicked, [this] { ++Worked; });
        Failing->setGeometry(0, 0, 50, 20);
        Working->setGeometry(0, 30, 50, 20);
        Window.show();
    }
    QWidget Window;
    QPushButton* Failing;
    QPushButton* Working;
    int Worked = 0;
};
} // namespace

TEST(ExceptionGuard, AnErrorFromASlotGoesToItsWindowsHandlerAndTheWindowGoesOn) {
    const ThrowingThroughQt unguarded;
    FailingWindow window;
    QStringList shown;
    QStringList logged;
    App().SetLog([&](const QString& line) { logged << line; });
    {
        TApplication::Scope scope = App().HandleFor(
            &window.Window, [&](const std::exception& error) { shown << QString::fromUtf8(error.what()); });
        QTest::mouseClick(window.Failing, Qt::LeftButton);
        QTest::mouseClick(window.Working, Qt::LeftButton);
        EXPECT_EQ(shown, QStringList{"Tkx.DB: disk I/O error"});
        EXPECT_EQ(logged, QStringList{"Error: Tkx.DB: disk I/O error"});
        EXPECT_EQ(window.Worked, 1);
    }
    // With the window's handler gone the error is still stopped and logged, just not shown by it.
    QTest::mouseClick(window.Failing, Qt::LeftButton);
    QTest::mouseClick(window.Working, Qt::LeftButton);
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(logged.size(), 2);
    EXPECT_EQ(window.Worked, 2);
    App().SetLog({});
}

TEST(ExceptionGuard, AGuardedSlotEndsNormallyAndReportsToTheInnermostWindowWithAHandler) {
    QWidget outer;
    auto* inner = new QWidget(&outer);
    auto* field = new QWidget(inner);
    QStringList outerShown;
    QStringList innerShown;
    const TApplication::Scope outerScope =
        App().HandleFor(&outer, [&](const std::exception& error) { outerShown << error.what(); });
    const TApplication::Scope innerScope =
        App().HandleFor(inner, [&](const std::exception& error) { innerShown << error.what(); });
    bool after = false;
    EXPECT_FALSE(Guarded(field, [] { throw std::runtime_error("lookup failed"); }));
    EXPECT_TRUE(Guarded(field, [&] { after = true; }));
    EXPECT_TRUE(after);
    EXPECT_EQ(innerShown, QStringList{"lookup failed"});
    EXPECT_TRUE(outerShown.isEmpty());
}

TEST(ExceptionGuard, ErrorsWhileAnErrorIsShownAreLoggedWithoutPilingUpMessages) {
    const ThrowingThroughQt unguarded;
    QWidget window;
    int shown = 0;
    int failures = 0;
    QStringList logged;
    App().SetLog([&](const QString& line) { logged << line; });
    const auto fail = [&] {
        ++failures;
        throw std::runtime_error("link lost");
    };
    const TApplication::Scope scope = App().HandleFor(&window, [&](const std::exception&) {
        ++shown;
        // A message box runs its own event loop: other events fail underneath it.
        QTimer::singleShot(0, &window, fail);
        QTimer::singleShot(0, &window, fail);
        QDeadlineTimer deadline(10000);
        while (failures < 3 && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    });
    QTimer::singleShot(0, &window, fail);
    QDeadlineTimer deadline(10000);
    while (failures < 3 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    App().SetLog({});
    EXPECT_EQ(failures, 3);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(logged.size(), 3);
}

using ProgramErrors = ProgramTest;

TEST_F(ProgramErrors, AnErrorNoWindowHandlesIsLoggedAndShownInTheProgramsLanguageAndTheProgramGoesOn) {
    const ThrowingThroughQt unguarded;
    TProgram& program = Start("[Language]\nLanguageValue=1\n");
    QTimer::singleShot(0, &program.MainWindow(),
                       [] { throw TableError(QStringLiteral("Tkx.DB: database is locked")); });
    QApplication::processEvents();
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(m_feedback.Messages[0].Caption, Text(166, 1)); // "Fehler"
    EXPECT_EQ(m_feedback.Messages[0].Text, QStringLiteral("Tkx.DB: database is locked"));
    bool goesOn = false;
    QTimer::singleShot(0, &program.MainWindow(), [&] { goesOn = true; });
    QApplication::processEvents();
    EXPECT_TRUE(goesOn);
    Stop();
    const QString log = QString::fromUtf8(m_tree.Read("docs/Faldmark/WinTorvex32/TorvexLog.txt"));
    EXPECT_TRUE(log.contains(QStringLiteral("Error: Tkx.DB: database is locked"))) << log.toStdString();
}

// The GUI clock paints while it waits: on any other thread than its own that would run the other
// thread's objects behind its back, so it refuses.
TEST(GuiClock, PausesOnlyOnTheThreadThatMadeIt) {
    GuiClock clock;
    clock.Sleep(1);
    bool refused = false;
    std::thread other([&] {
        try {
            clock.Sleep(1);
        } catch (const std::logic_error&) {
            refused = true;
        }
    });
    other.join();
    EXPECT_TRUE(refused);
}
