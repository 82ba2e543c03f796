#include "gui/access/TPasswordForm.h"
#include "gui/app/THelpViewer.h"
#include "gui/app/TProgram.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewTKXParameter.h"

#include "ProgramFixture.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

TEST_F(ProgramTest, ExitEndsTheProgramWithTheHelpViewerOpen) {
    TProgram& program = Start();
    program.MainWindow().show();
    program.MainWindow().ShowHelp(0);
    ASSERT_TRUE(program.Windows().Help()->isVisible());
    Find<QAction>(&program.MainWindow(), "MenuFileExit")->trigger();
    EXPECT_FALSE(program.MainWindow().isVisible());
    EXPECT_FALSE(program.Windows().Help()->isVisible());
}

TEST_F(ProgramTest, TheMenuBarCannotBeHiddenAndTheWindowCanGetNarrower) {
    TProgram& program = Start();
    TFormMain& main = program.MainWindow();
    main.show();
    EXPECT_EQ(main.createPopupMenu(), nullptr);
    for (QToolBar* bar : main.findChildren<QToolBar*>()) {
        EXPECT_FALSE(bar->toggleViewAction()->isEnabled());
    }
    main.resize(1400, main.height());
    QApplication::processEvents();
    EXPECT_LT(main.minimumSizeHint().width(), 1400);
    EXPECT_LT(main.minimumWidth(), 1400);
    for (QToolBar* bar : main.findChildren<QToolBar*>()) {
        EXPECT_LT(bar->minimumWidth(), 1400);
    }
}

TEST_F(ProgramTest, CommandsThatOverwriteTheWorkingSettingsAskFirst) {
    const struct {
        const char* item;
        bool asks;
    } cases[] = {{"SubMenuLoadFactorySettings", true},
                 {"SubMenuLoadUserSettings", true},
                 {"SubMenuSaveUserSettings", false},
                 {"MenuParameterReset", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        TProgram& program = Start("[Language]\nLanguageValue=1\n");
        m_feedback.Messages.clear();
        m_feedback.OfferedPorts.clear();
        m_feedback.PortChoice = -1; // the port selection is cancelled: nothing reaches a line
        QAction* item = Find<QAction>(&program.MainWindow(), c.item);
        if (c.asks) {
            m_feedback.Answers = {MessageAnswer::No};
            item->trigger();
            ASSERT_EQ(m_feedback.Messages.size(), 1u);
            EXPECT_EQ(m_feedback.Messages[0].Buttons, MessageButtons::YesNo);
            EXPECT_EQ(m_feedback.Messages[0].Text, QString(item->text()).remove('&') + "?");
            EXPECT_TRUE(m_feedback.OfferedPorts.empty()); // No: not even a port is taken
            m_feedback.Messages.clear();
            m_feedback.Answers = {MessageAnswer::Yes};
        }
        item->trigger();
        EXPECT_EQ(m_feedback.Messages.size(), c.asks ? 1u : 0u);
        EXPECT_EQ(m_feedback.OfferedPorts.size(), 1u);
        Stop();
    }
}

TEST_F(ProgramTest, TheTkxWindowOpensWithoutAPortWithReceiveAndSendDisabled) {
    TProgram& program = Start();
    m_feedback.PortChoice = -1;
    TViewParameter* window = program.Windows().ViewTKXParameter();
    bool seen = false;
    QTimer::singleShot(0, window, [&] {
        seen = window->isVisible();
        EXPECT_FALSE(Find<QPushButton>(window, "BtnRead")->isEnabled());
        EXPECT_FALSE(Find<QPushButton>(window, "BtnWrite")->isEnabled());
        EXPECT_TRUE(Find<QPushButton>(window, "BtnExport")->isEnabled());
        EXPECT_EQ(Find<QLabel>(window, "StatusPort")->text(), Text(127) + ": " + Text(187)); // why
        window->close();
    });
    Find<QAction>(&program.MainWindow(), "MenuParameterTKX")->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(m_feedback.OfferedPorts.size(), 1u);
}

TEST_F(ProgramTest, TheStatusLineShowsTheAccessLevelByName) {
    TProgram& program = Start();
    auto* level = Find<QLabel>(&program.MainWindow(), "StatusLevel");
    EXPECT_EQ(level->text(), "Current password level: User (1)");
    TPasswordForm* form = program.Windows().PasswordForm();
    form->show();
    QTest::keyClicks(Find<QLineEdit>(form, "Password"), "7305");
    Find<QPushButton>(form, "FormPasswordBtOk")->click();
    EXPECT_EQ(level->text(), "Current password level: Administrator (3)");
    EXPECT_EQ(Find<QLabel>(program.Windows().ViewTKXParameter(), "StatusLevel")->text(), level->text());
}

TEST_F(ProgramTest, QtsOwnTextsSpeakTheProgramsLanguage) {
    const struct {
        const char* config;
        const char* yes;
    } cases[] = {{"[Language]\nLanguageValue=1\n", "&Ja"}, {"[Language]\nLanguageValue=2\n", "&Yes"}};
    for (const auto& c : cases) {
        Start(c.config);
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), c.yes) << c.config;
        Stop();
    }
    Start("[Language]\nLanguageValue=7\n");
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Yes");
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
    Stop();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Yes"); // the program took its texts along
}

TEST_F(ProgramTest, TheInformationMemosAreReadOnlyNotDisabled) {
    TProgram& program = Start();
    for (QWidget* window : {static_cast<QWidget*>(program.Windows().ViewTKXParameter()),
                            static_cast<QWidget*>(program.Windows().ViewITKXParameter())}) {
        for (const char* name : {"DBInfoMemo", "DBErrorMemo"}) {
            auto* memo = Find<QPlainTextEdit>(window, name);
            EXPECT_TRUE(memo->isEnabled()) << name;
            EXPECT_TRUE(memo->isReadOnly()) << name;
            EXPECT_TRUE(memo->textInteractionFlags() & Qt::TextSelectableByMouse) << name;
            EXPECT_TRUE(QFontInfo(memo->font()).fixedPitch()) << name;
        }
    }
}

} // namespace
