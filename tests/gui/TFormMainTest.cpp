#include "app/Language.h"
#include "app/TConfiguration.h"
#include "app/TDlgSelectCommPort.h"
#include "app/TFormMain.h"

#include "RecordingFeedback.h"
#include "TempTree.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class TFormMainTest : public ::testing::Test {
protected:
    TConfiguration& Configuration() {
        QDir().mkpath(m_tree.Path("docs/Faldmark/WinTorvex32/1.45/DataBase"));
        TConfigurationEnvironment environment;
        environment.ExecutablePath = m_tree.Path("prog/WinTorvex32");
        environment.DocumentsFolder = m_tree.Path("docs");
        m_configuration = std::make_unique<TConfiguration>(environment, m_feedback);
        return *m_configuration;
    }
    void TearDown() override { LanguageIndex = Language::English; }

    TempTree m_tree;
    RecordingFeedback m_feedback;
    std::unique_ptr<TConfiguration> m_configuration;
};

const char* const kButtons[] = {"ToolButtonMenuMainFile", "ToolButtonMenuMainParameter", "ToolButtonMenuMainData",
                                "ToolButtonMenuMainSerialLine", "ToolButtonMenuMainHelp"};

TEST_F(TFormMainTest, ShowsTheFiveMenusInTheConfiguredLanguage) {
    TConfiguration& configuration = Configuration();
    LanguageIndex = 1;
    TFormMain form(configuration);
    EXPECT_EQ(form.windowTitle(), "WinTorvex32 - Version: 1.45  ");
    const int records[] = {5, 7, 10, 13, 19};
    for (int i = 0; i < 5; ++i) {
        auto* button = form.findChild<QToolButton*>(kButtons[i]);
        ASSERT_NE(button, nullptr) << kButtons[i];
        EXPECT_EQ(button->text(), Text(records[i], 1));
        ASSERT_NE(button->menu(), nullptr);
    }
    EXPECT_EQ(form.findChild<QToolButton*>("ToolButtonMenuMainFile")->text(), "&Datei");
}

TEST_F(TFormMainTest, ChineseUsesFixedButtonWidths) {
    TConfiguration& configuration = Configuration();
    LanguageIndex = 7;
    TFormMain form(configuration);
    const int widths[] = {160, 180, 160, 160, 160};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form.findChild<QToolButton*>(kButtons[i])->width(), widths[i]) << kButtons[i];
    }
}

TEST(TDlgSelectCommPort, OkIsOnlyPossibleWithAPortToChoose) {
    TDlgSelectCommPort dialog;
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
