#include "core/app/TConfiguration.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TTable.h"
#include "gui/app/TDlgConfiguration.h"
#include "gui/app/THelpViewer.h"

#include "FileSizeLimit.h"
#include "ProgramFixture.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

class SettingsDialog : public ProgramTest {
protected:
    TDlgConfiguration* Open(int page = 0) {
        TDlgConfiguration* dialog = m_program->Windows().Configuration();
        dialog->show();
        QApplication::setActiveWindow(dialog);
        Find<QTabWidget>(dialog, "PageControlConfiguration")->setCurrentIndex(page);
        return dialog;
    }
    void Click(QWidget* root, const char* name) { Find<QAbstractButton>(root, name)->click(); }
};

TEST_F(SettingsDialog, SpinButtonsStepFromWhatTheFieldShows) {
    Start();
    TDlgConfiguration* dialog = Open();
    const struct {
        const char* field;
        const char* text;
        const char* button;
        const char* result;
    } cases[] = {
        {"EdCurveMaxV", "12.5", "Up", "13.5"}, {"EdCurveMinV", "-0.5", "Down", "-1.5"},
        {"EdCurveMinV", "", "Down", "0"},      {"EdDrawSpeed", "", "Up", "0"},
        {"EdDrawSpeed", "1000", "Up", "1000"}, {"EdCurveMinV", "-100", "Down", "-100"},
        {"EdDrawSpeed", "7", "Down", "6"},
    };
    for (const auto& c : cases) {
        auto* field = Find<QLineEdit>(dialog, c.field);
        field->setText(c.text);
        Click(dialog, (std::string(c.field) + c.button).c_str());
        EXPECT_EQ(field->text(), c.result) << c.field << " '" << c.text << "' " << c.button;
    }
}

TEST_F(SettingsDialog, TextFromAnywhereButTheKeyboardObeysTheDelayFieldsRule) {
    TProgram& program = Start();
    TDlgConfiguration* dialog = Open(1);
    auto* delay = Find<QLineEdit>(dialog, "EditEEpromWriteDelay");
    delay->setText("100");
    delay->setFocus();
    delay->end(false);
    delay->insert("7b"); // what a paste or a drop does
    EXPECT_EQ(delay->text(), "100");
    QInputMethodEvent input;
    input.setCommitString("x5");
    QApplication::sendEvent(delay, &input);
    EXPECT_EQ(delay->text(), "100");
    EXPECT_EQ(program.Configuration().GetEepromWriteDelay(), 100);
}

TEST_F(SettingsDialog, F1OpensTheHelpOfThePageInUse) {
    TProgram& program = Start();
    TDlgConfiguration* dialog = Open();
    Find<QLineEdit>(dialog, "EdWorkDirectory")->setFocus();
    QTest::keyClick(Find<QLineEdit>(dialog, "EdWorkDirectory"), Qt::Key_F1);
    EXPECT_TRUE(program.Windows().Help()->isVisible());

    std::vector<int> asked;
    dialog->ShowHelp = [&](int context) { asked.push_back(context); };
    Find<QLineEdit>(dialog, "EdDrawSpeed")->setFocus();
    QTest::keyClick(Find<QLineEdit>(dialog, "EdDrawSpeed"), Qt::Key_F1);
    for (int page = 1; page < 4; ++page) {
        Find<QTabWidget>(dialog, "PageControlConfiguration")->setCurrentIndex(page);
        QTest::keyClick(dialog, Qt::Key_F1);
    }
    EXPECT_EQ(asked, std::vector<int>({2421, 2422, 2423, 2424}));
}

TEST_F(SettingsDialog, PauseSendingOffTakesEffectOnlyOnceTheDelaysPageIsEntered) {
    TProgram& program = Start("[Language]\nLanguageValue=2\n[General]\nPauseSending=0\n");
    EXPECT_TRUE(program.Configuration().IsPauseSending());
    Open(0);
    EXPECT_TRUE(program.Configuration().IsPauseSending());
    Open(1);
    EXPECT_FALSE(program.Configuration().IsPauseSending());
}

TEST_F(SettingsDialog, AWorkingDirectoryRefusedAtStartIsUsableOnceItExists) {
    const QString folder = m_tree.Path("lift 9");
    m_feedback.Answers = {MessageAnswer::No}; // at start: do not create its database folder
    TProgram& program = Start("[Language]\nLanguageValue=2\n[General]\nWorkDir=" + folder.toUtf8() + "\n");
    ASSERT_FALSE(program.Configuration().IsWorkDirectoryUsable());
    ASSERT_FALSE(program.Configuration().DatabaseAvailable);

    QDir().mkpath(folder + "/1.45/DataBase");
    TDlgConfiguration* dialog = Open();
    Click(dialog, "SettingsBtnOK");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(program.Configuration().IsWorkDirectoryUsable());
    EXPECT_TRUE(program.Configuration().DatabaseAvailable);
    EXPECT_TRUE(program.Database().TableTKX().FilePath().startsWith(folder + "/1.45/DataBase"));
}

TEST_F(SettingsDialog, AFolderThatCannotBeCreatedKeepsTheDialogAndTheDatabaseWhereTheyWere) {
    TProgram& program = Start();
    const QString initial = program.Configuration().GetWorkDirectory();
    m_tree.Write("plain-file", "not a folder");
    TDlgConfiguration* dialog = Open();
    Find<QLineEdit>(dialog, "EdWorkDirectory")->setText(m_tree.Path("plain-file/lift"));
    m_feedback.Answers = {MessageAnswer::Yes};
    Click(dialog, "SettingsBtnOK");
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(m_feedback.Messages.size(), 2u);
    EXPECT_EQ(m_feedback.Messages[1].Text, Text(192));
    EXPECT_EQ(program.Configuration().GetWorkDirectory(), initial);
    EXPECT_TRUE(program.Configuration().DatabaseAvailable);
    EXPECT_TRUE(program.Database().TableTKX().IsOpen());
    EXPECT_TRUE(program.Database().TableTKX().FilePath().startsWith(initial));
}

TEST_F(SettingsDialog, SettingsThatCannotBeWrittenAreReportedAndTheDialogStaysOpen) {
    TProgram& program = Start();
    TDlgConfiguration* dialog = Open(1);
    Find<QLineEdit>(dialog, "EditReadParameter")->setText("500");
    {
        // As on a full disk: no file may grow, so the configuration cannot be saved.
        const FileSizeLimit full(16);
        Click(dialog, "SettingsBtnOK");
    }
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(m_feedback.Messages[0].Text,
              Text(196) + UserConfig() + "\r(" + program.Configuration().Settings().ConfigFile.ErrorString() + ")");
    EXPECT_FALSE(program.Configuration().Settings().ConfigFile.ErrorString().isEmpty());
    EXPECT_FALSE(m_tree.Read(UserConfig()).contains("ParameterRead=500")); // the file is as it was

    Click(dialog, "SettingsBtnOK"); // with room again, OK saves and closes
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_TRUE(m_tree.Read(UserConfig()).contains("ParameterRead=500"));
}

} // namespace
