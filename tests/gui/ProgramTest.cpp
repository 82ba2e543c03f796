#include "gui/access/TPasswordForm.h"
#include "gui/access/TPasswordPelvorChangeForm.h"
#include "gui/access/TPasswordPelvorForm.h"
#include "gui/app/TDlgConfiguration.h"
#include "gui/app/TDlgSelectCommPort.h"
#include "gui/app/TFormMain.h"
#include "gui/app/THelpViewer.h"
#include "gui/app/TProgram.h"
#include "gui/factory/TEditFactorySettingsForm.h"
#include "gui/factory/TSaveFactorySettingsForm.h"
#include "gui/params/TExportImportForm.h"
#include "gui/params/TParamConfigForm.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewTKXParameter.h"
#include "gui/service/TAboutBox.h"
#include "gui/service/TFormSpecialTest.h"
#include "gui/service/TFormZeroPoint.h"
#include "gui/view/TZoom.h"

#include "core/base/Language.h"
#include "core/base/TLogger.h"
#include "core/params/TParameterDatabase.h"

#include "ProgramFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

const char* const kButtons[] = {"ToolButtonMenuMainFile", "ToolButtonMenuMainParameter", "ToolButtonMenuMainData",
                                "ToolButtonMenuMainSerialLine", "ToolButtonMenuMainHelp"};

TEST_F(ProgramTest, TheMainWindowStartsInTheConfiguredLanguageWithTheDatabaseOpen) {
    TProgram& program = Start("[Language]\nLanguageValue=1\n");
    TFormMain& main = program.MainWindow();
    EXPECT_EQ(main.windowTitle(), "WinTorvex32 - Version: 1.45  ");
    const int records[] = {5, 7, 10, 13, 19};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Find<QToolButton>(&main, kButtons[i])->text(), Text(records[i], 1));
    }
    EXPECT_EQ(Find<QAction>(&main, "MenuMainPasswortWinTorvex32")->text(), Text(14, 1) + " (WinTorvex32)");
    EXPECT_EQ(Find<QAction>(&main, "MenuMainPasswordPelvor")->text(), Text(14, 1) + " (Pelvor)");
    for (const char* item : {"MenuFileExit", "MenuParameterTKX", "MenuParameterITKX", "SubMenuLoadFactorySettings",
                             "SubMenuLoadUserSettings", "SubMenuSaveUserSettings", "MenuParameterReset",
                             "MenuDataCollect", "MenuMainConfiguration", "MenuMainZeroPoint", "MenuMainContents",
                             "MenuMainAbout", "SubMenuPwPelvorLogin", "SubMenuPwPelvorReadCode"}) {
        EXPECT_TRUE(Shown(item)) << item;
    }
    for (const char* item :
         {"MenuMainParameterList", "MenuMainSpecialTest", "SubMenuSaveFactorySettings", "SubMenuEditFactorySettings"}) {
        EXPECT_FALSE(Shown(item)) << item;
    }
    EXPECT_FALSE(Find<QWidget>(&main, "ToolBarStandard")->isVisible());
    EXPECT_TRUE(program.Configuration().DatabaseAvailable);
    EXPECT_TRUE(program.Database().TableTKX().IsOpen());
    EXPECT_TRUE(m_feedback.Messages.empty());
    // A start makes the main window and the settings dialog only; every other window is made on
    // first use, with its name, and stays the same window from then on.
    const auto exists = [](const char* name) {
        for (QWidget* widget : QApplication::allWidgets()) {
            if (widget->objectName() == QLatin1String(name)) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(exists("DlgConfiguration"));
    TProgramWindows& windows = program.Windows();
    const std::pair<const char*, std::function<QWidget*()>> made[] = {
        {"PasswordForm", [&] { return windows.PasswordForm(); }},
        {"Zoom", [&] { return windows.Zoom(); }},
        {"ViewTKXParameter", [&] { return windows.ViewTKXParameter(); }},
        {"ViewITKXParameter", [&] { return windows.ViewITKXParameter(); }},
        {"ParamConfigForm", [&] { return windows.ParamConfig(); }},
        {"FormZeroPoint", [&] { return windows.ZeroPoint(); }},
        {"FormSpecialTest", [&] { return windows.SpecialTest(); }},
        {"ExportImportForm", [&] { return windows.ExportImport(); }},
        {"AboutBox", [&] { return windows.About(); }},
        {"SaveFactorySettingsForm", [&] { return windows.SaveFactorySettings(); }},
        {"PasswordPelvorForm", [&] { return windows.PasswordPelvor(); }},
        {"PasswordPelvorChangeForm", [&] { return windows.PasswordPelvorChange(); }},
        {"EditFactorySettingsForm", [&] { return windows.EditFactorySettings(); }},
    };
    for (const auto& [name, window] : made) {
        EXPECT_FALSE(exists(name)) << name;
    }
    for (const auto& [name, window] : made) {
        QWidget* first = window();
        ASSERT_NE(first, nullptr) << name;
        EXPECT_EQ(first->objectName(), QLatin1String(name));
        EXPECT_EQ(window(), first) << name;
    }
}

TEST_F(ProgramTest, ChineseUsesFixedButtonWidths) {
    TProgram& program = Start("[Language]\nLanguageValue=7\n");
    const int widths[] = {160, 180, 160, 160, 160};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Find<QToolButton>(&program.MainWindow(), kButtons[i])->width(), widths[i]) << kButtons[i];
    }
    // The settings labels start at their Chinese widths and grow where the text needs more.
    QWidget* settings = program.Windows().Configuration();
    EXPECT_EQ(Find<QLabel>(settings, "SettingsSerialBaud")->minimumWidth(), 70);
    settings->show();
    for (int page = 0; page < 4; ++page) {
        Find<QTabWidget>(settings, "PageControlConfiguration")->setCurrentIndex(page);
        QApplication::processEvents();
        for (QLabel* label : settings->findChildren<QLabel*>()) {
            if (label->isVisible() && !label->text().isEmpty()) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
            }
        }
    }
    settings->hide();
}

TEST_F(ProgramTest, WithoutADatabaseTheParameterWindowsRefuseWithAMessage) {
    TProgram& program = Start();
    program.Database().CloseDatabase();
    Find<QAction>(&program.MainWindow(), "MenuParameterTKX")->trigger();
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Error");
    EXPECT_EQ(m_feedback.Messages[0].Text, "Database not available");
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
}

class PasswordLevels : public ProgramTest {
protected:
    void Enter(const QString& entry, bool ok = true) {
        TPasswordForm* form = m_program->Windows().PasswordForm();
        form->show();
        QLineEdit* password = Find<QLineEdit>(form, "Password");
        EXPECT_EQ(password->text(), "");        // opening empties the entry
        EXPECT_EQ(form->GetPasswordLevel(), 1); // and logs out at once
        QTest::keyClicks(password, entry);
        QTest::mouseClick(Find<QPushButton>(form, ok ? "FormPasswordBtOk" : "FormPasswordBtCancel"), Qt::LeftButton);
        EXPECT_FALSE(form->isVisible());
    }
    std::vector<bool> Menu() {
        return {Shown("MenuMainParameterList"),      Shown("MenuMainSpecialTest"),
                Shown("SubMenuSaveFactorySettings"), Shown("SubMenuEditFactorySettings"),
                Shown("MenuMainConfiguration"),      Shown("MenuMainZeroPoint")};
    }
};

TEST_F(PasswordLevels, EachLevelSetsItsMenusMessageAndLog) {
    TProgram& program = Start();
    const struct {
        QString entry;
        int levelAfter;
        std::vector<bool> menu;
        QString message;
    } cases[] = {
        {"", 1, {false, false, false, false, true, true}, "          Logout          "},
        {"2461", 2, {false, false, false, false, true, true}, "Current password level: Super user"},
        {" 2461 abc", 2, {false, false, false, false, true, true}, "Current password level: Super user"},
        {"7305.0", 3, {true, true, true, true, true, true}, "Current password level: Administrator"},
        {"5819", 1, {false, false, true, false, true, true}, "Save Factory settings :  On\t"},
        {"7305", 3, {true, true, true, true, true, true}, "Current password level: Administrator"},
        {"3947", 1, {false, false, true, true, true, true}, "Edit factory settings :  On\t"},
        {"2461x7305", 2, {false, false, false, false, true, true}, "Current password level: Super user"},
        {"24.61e2", 2, {false, false, false, false, true, true}, "Current password level: Super user"},
        {"2461.5", 1, {false, false, false, false, true, true}, "          Logout          "}, // halves to even
        {"0x1A", 1, {false, false, false, false, true, true}, "          Logout          "},
    };
    for (const auto& c : cases) {
        m_feedback.Messages.clear();
        Enter(c.entry);
        EXPECT_EQ(program.Windows().PasswordForm()->GetPasswordLevel(), c.levelAfter) << c.entry.toStdString();
        EXPECT_EQ(Menu(), c.menu) << c.entry.toStdString();
        ASSERT_EQ(m_feedback.Messages.size(), 1u);
        EXPECT_EQ(m_feedback.Messages[0].Text, c.message);
        EXPECT_EQ(m_feedback.Messages[0].Caption, "WinTorvex32");
        EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Plain);
    }
    // At trace level 1 the factory-settings levels stay out of the log.
    const QString log = QString::fromUtf8(m_tree.Read("docs/Faldmark/WinTorvex32/TorvexLog.txt"));
    EXPECT_TRUE(log.contains("[1] >> PWD User"));
    EXPECT_TRUE(log.contains("[1] >> PWD Administrator"));
    EXPECT_FALSE(log.contains("FactorySettings"));
}

TEST_F(PasswordLevels, CancelAtLevelThreeKeepsTheMenusButLowersTheLevel) {
    TProgram& program = Start();
    program.Logger().SetTraceLevel(5);
    Enter("7305");
    Enter("1234", false);
    EXPECT_EQ(program.Windows().PasswordForm()->GetPasswordLevel(), 1);
    EXPECT_EQ(Menu(), std::vector<bool>({true, true, true, true, true, true}));
    Enter("3947"); // level 5 after level 3
    EXPECT_EQ(Menu(), std::vector<bool>({false, false, true, true, true, true}));
    EXPECT_EQ(program.Windows().PasswordForm()->GetPasswordLevel(), 1);
    const QString log = QString::fromUtf8(m_tree.Read("docs/Faldmark/WinTorvex32/TorvexLog.txt"));
    EXPECT_TRUE(log.contains("[5] >> PWD Edit FactorySettings enabled"));
}

class ConfigurationDialog : public ProgramTest {
protected:
    TDlgConfiguration* Open() {
        TDlgConfiguration* dialog = m_program->Windows().Configuration();
        dialog->show();
        return dialog;
    }
    // As the user clicks it: a button's click() emits what a mouse click on its text would.
    void Click(QWidget* root, const char* name) { Find<QAbstractButton>(root, name)->click(); }
};

TEST_F(ConfigurationDialog, OkWithAnExistingDirectoryReopensTheDatabase) {
    TProgram& program = Start();
    TDlgConfiguration* dialog = Open();
    program.Database().CloseDatabase();
    Click(dialog, "SettingsBtnOK");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(program.Configuration().DatabaseAvailable);
    EXPECT_TRUE(program.Database().TableTKX().IsOpen());
    EXPECT_TRUE(m_feedback.Messages.empty());
    EXPECT_TRUE(m_tree.Read(UserConfig()).contains("WorkDir=" + m_tree.Path("docs/Faldmark/WinTorvex32").toUtf8()));
}

TEST_F(ConfigurationDialog, AMissingDirectoryIsCreatedOnYesAndRefusedOnNo) {
    TProgram& program = Start();
    TDlgConfiguration* dialog = Open();
    const QString initial = program.Configuration().GetWorkDirectory();

    QLineEdit* workDir = Find<QLineEdit>(dialog, "EdWorkDirectory");
    workDir->setText(m_tree.Path("refused"));
    m_feedback.Answers = {MessageAnswer::No};
    Click(dialog, "SettingsBtnOK");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(workDir->text(), initial);
    EXPECT_FALSE(QFileInfo::exists(m_tree.Path("refused")));
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Settings");
    EXPECT_EQ(m_feedback.Messages[0].Text,
              "Directory: " + m_tree.Path("refused/1.45/DataBase") + " not found!\rShould it be created?");

    workDir->setText(m_tree.Path("lift 7"));
    m_feedback.Answers = {MessageAnswer::Yes};
    Click(dialog, "SettingsBtnOK");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(QFileInfo(m_tree.Path("lift 7/1.45/DataBase")).isDir());
    EXPECT_TRUE(program.Database().TableTKX().FilePath().startsWith(m_tree.Path("lift 7/1.45/DataBase")));
    EXPECT_TRUE(m_tree.Read(UserConfig()).contains("WorkDir=" + m_tree.Path("lift 7").toUtf8()));
}

TEST_F(ConfigurationDialog, TwoLanguageClicksThenCancelKeepTheSecondAndSayNothing) {
    Start();
    TDlgConfiguration* dialog = Open();
    Find<QTabWidget>(dialog, "PageControlConfiguration")->setCurrentIndex(3);
    Click(dialog, "RadioButtonFrench");
    Click(dialog, "RadioButtonItalian");
    Click(dialog, "SettingsBtnCancel");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(m_tree.Read(UserConfig()).contains("LanguageValue=4"));
    EXPECT_TRUE(m_feedback.Messages.empty());
    EXPECT_EQ(m_program->Configuration().Language().Index(), 4);

    // A first click followed by OK: written by OK, and the restart notice comes.
    TProgram& restarted = Start();
    dialog = Open();
    Find<QTabWidget>(dialog, "PageControlConfiguration")->setCurrentIndex(3);
    Click(dialog, "RadioButtonEnglishUS");
    EXPECT_FALSE(m_tree.Read(UserConfig()).contains("LanguageValue=102"));
    Click(dialog, "SettingsBtnOK");
    EXPECT_TRUE(m_tree.Read(UserConfig()).contains("LanguageValue=102"));
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Takes effect only after restarting the programme!");
    EXPECT_EQ(restarted.Configuration().Language().StoredValue(), 102);
    (void)restarted;
}

TEST_F(ConfigurationDialog, FieldsTakeOnlyWhatTheyCanHold) {
    TProgram& program = Start("[General]\nPicturesPerFile=50\nNbPicturesPerFile=80\n");
    EXPECT_EQ(program.Configuration().GetPicturesPerFile(), 50);
    TDlgConfiguration* dialog = Open();
    EXPECT_EQ(Find<QLineEdit>(dialog, "EdNbPicturesPerFile")->text(), "80"); // the General page reloads it

    Find<QTabWidget>(dialog, "PageControlConfiguration")->setCurrentIndex(1);
    QLineEdit* delay = Find<QLineEdit>(dialog, "EditEEpromWriteDelay");
    delay->clear();
    QTest::keyClicks(delay, "1a2-b.5");
    EXPECT_EQ(delay->text(), "125");
    EXPECT_EQ(program.Configuration().GetEepromWriteDelay(), 125); // in force at once

    Find<QTabWidget>(dialog, "PageControlConfiguration")->setCurrentIndex(0);
    QLineEdit* curve = Find<QLineEdit>(dialog, "EdCurveMinV");
    curve->clear();
    QTest::keyClicks(curve, "-2.5V");
    EXPECT_EQ(curve->text(), "-2.5");
    QLineEdit* pictures = Find<QLineEdit>(dialog, "EdNbPicturesPerFile");
    pictures->clear();
    Find<QTabWidget>(dialog, "PageControlConfiguration")->setCurrentIndex(1); // leaving the page
    EXPECT_EQ(pictures->text(), "200");
    EXPECT_TRUE(m_tree.Read(UserConfig()).contains("NbPicturesPerFile=200"));
    EXPECT_TRUE(m_tree.Read(UserConfig()).contains("PicturesPerFile=50"));
}

TEST_F(ConfigurationDialog, PortSettingsAndTheStandardPort) {
    TProgram& program = Start("[/dev/ttyS0]\nBaud=1200\n[/dev/ttyUSB0]\nParity=Even\nStopBits=2\n");
    TDlgConfiguration* dialog = Open();
    Find<QTabWidget>(dialog, "PageControlConfiguration")->setCurrentIndex(2);
    QListWidget* ports = Find<QListWidget>(dialog, "ListBoxCommPorts");
    ASSERT_EQ(ports->count(), 2);
    EXPECT_EQ(Find<QComboBox>(dialog, "ComboBoxBaud")->currentIndex(), -1); // 1200 is not offered

    ports->setCurrentRow(1);
    EXPECT_EQ(Find<QComboBox>(dialog, "ComboBoxParity")->currentText(), "Even");
    EXPECT_EQ(Find<QComboBox>(dialog, "ComboBoxStopBits")->currentText(), "2");
    Find<QComboBox>(dialog, "ComboBoxBaud")->setCurrentText("57600");
    Click(dialog, "CheckBoxAsStandard");
    EXPECT_EQ(Find<QLabel>(dialog, "PanelStandardPort")->text(), "/dev/ttyUSB0");
    Click(dialog, "SettingsBtnOK");

    const QByteArray file = m_tree.Read(UserConfig());
    EXPECT_TRUE(file.contains("[/dev/ttyS0]\nBaud=1200")) << file.constData();
    EXPECT_TRUE(file.contains("Baud=57600")) << file.constData();
    EXPECT_EQ(file.count("StandardPortEnabled=1"), 2);
    EXPECT_EQ(file.count("StandardPort=/dev/ttyUSB0"), 2);
    const PortReservation standard = program.Configuration().SelectPort();
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->Name, "/dev/ttyUSB0");
    EXPECT_EQ(standard->Baud, 57600);
}

TEST_F(ProgramTest, AboutBoxAndHelp) {
    TProgram& program = Start();
    TAboutBox* about = program.Windows().About();
    EXPECT_EQ(Find<QLabel>(about, "AboutLabelProgram")->text(), "WinTorvex32");
    EXPECT_TRUE(Find<QLabel>(about, "AboutLabelVersion")->text().startsWith("Version 1.45\n"));
    EXPECT_EQ(Find<QLabel>(about, "AboutLabelAddress2")->text(), Text(215));
    EXPECT_EQ(Find<QLabel>(about, "AboutLabelTelefax")->text(), "");

    EXPECT_TRUE(program.Windows().Help()->ShowContext(242));
    EXPECT_GT(Find<QListWidget>(program.Windows().Help(), "ListBoxHelpIndex")->count(), 5);
    EXPECT_TRUE(m_feedback.Messages.empty());
    EXPECT_EQ(THelpViewer::FileFor("/h", 1), "/h/WinTorvex_DE.html");
    EXPECT_EQ(THelpViewer::FileFor("/h", 3), "/h/WinTorvex_FR.html");
    EXPECT_EQ(THelpViewer::FileFor("/h", 4), "/h/WinTorvex_EN.html");

    const TLanguage english;
    THelpViewer missing(english, m_tree.Path("nowhere"), m_feedback);
    EXPECT_FALSE(missing.ShowContext(0));
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Error Open File : \r" + m_tree.Path("nowhere/WinTorvex_EN.html"));
}

TEST(TDlgSelectCommPort, OkIsOnlyPossibleWithAPortToChoose) {
    const TLanguage english;
    TDlgSelectCommPort dialog(english);
    auto* ok = dialog.findChild<QPushButton*>("BtnOK");
    auto* list = dialog.findChild<QListWidget*>("ListBoxAvailableCommPorts");
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(ok->isEnabled());

    dialog.SetPorts({"/dev/ttyS0", "/dev/ttyUSB0"});
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(ok->isEnabled());
        EXPECT_EQ(list->currentRow(), 0);
        list->setCurrentRow(1);
        ok->click();
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedPort(), "/dev/ttyUSB0");
    EXPECT_FALSE(ok->isEnabled());

    dialog.SetPorts({});
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_FALSE(ok->isEnabled());
        dialog.findChild<QPushButton*>("BtnCancel")->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_FALSE(dialog.SelectedPort().has_value());
}

} // namespace
