#include "gui/factory/TEditFactorySettingsForm.h"
#include "gui/factory/TSaveFactorySettingsForm.h"
#include "gui/params/DataAware.h"

#include "core/factory/TFactoryFile.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TTable.h"

#include "ProgramFixture.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

class FactoryWindows : public ProgramTest {
protected:
    TEditFactorySettingsForm* OpenEditor() {
        auto* window = m_program->Windows().EditFactorySettings();
        window->show();
        QApplication::setActiveWindow(window);
        QApplication::processEvents();
        return window;
    }
    TSaveFactorySettingsForm* OpenSender() {
        auto* window = m_program->Windows().SaveFactorySettings();
        window->show();
        QApplication::setActiveWindow(window);
        QApplication::processEvents();
        return window;
    }
    // Types a value and presses Enter: the focus moves on and leaving the input checks it.
    void Enter(QWidget* window, const char* edit, const QString& text) {
        auto* field = Find<QLineEdit>(window, edit);
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
    }
    QStringList Messages() {
        QStringList texts;
        for (const auto& m : m_feedback.Messages) {
            texts << m.Caption + ": " + m.Text;
        }
        m_feedback.Messages.clear();
        return texts;
    }
    QString Shown(QWidget* window, const char* name) { return Find<QLineEdit>(window, name)->text(); }
    TTable& FactorySets() { return m_program->Database().Table("Fact_TableParameterSet"); }
};

} // namespace

TEST_F(FactoryWindows, EditorChecksRangesAndFlowsAndFollowsTheValveKind) {
    Start();
    TEditFactorySettingsForm* editor = OpenEditor();
    EXPECT_EQ(editor->windowTitle(), "Edit factory settings");
    EXPECT_EQ(Find<QLineEdit>(editor, "DBEditFlowRateUp")->toolTip(), "Range: 15...1000 l/min");
    EXPECT_TRUE(Find<QWidget>(editor, "DBLookupValveType")
                    ->toolTip()
                    .startsWith("Valve: TKX 1  (15-55 l/min): Range: 15...55\n"));
    EXPECT_EQ(Find<QLineEdit>(editor, "DBEditK6Speed")->toolTip(), "Range: 1...100\nDefault: 25");
    EXPECT_EQ(Shown(editor, "ResultFastUp"), "8.33");
    EXPECT_TRUE(Find<QPushButton>(editor, "BtnCreateFile")->isEnabled());

    Enter(editor, "DBEditFlowRateUp", "1200");
    EXPECT_EQ(Messages(), QStringList{"Range Error: Max. =    1000.00"});
    EXPECT_EQ(Shown(editor, "DBEditFlowRateUp"), "1000");
    EXPECT_FALSE(Find<QWidget>(editor, "DBEditFlowRateUp")->styleSheet().isEmpty()); // red: above 170 l/min
    EXPECT_FALSE(Find<QWidget>(editor, "DBLookupValveType")->styleSheet().isEmpty());
    EXPECT_TRUE(Shown(editor, "ResultFastUp").isEmpty());
    EXPECT_FALSE(Find<QPushButton>(editor, "BtnCreateFile")->isEnabled());

    Enter(editor, "DBEditFlowRateUp", "200");
    Find<QComboBox>(editor, "DBLookupValveType")->setCurrentIndex(3);
    Q_EMIT Find<QComboBox>(editor, "DBLookupValveType")->activated(3); // TKX 4, 160-260 l/min
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_TRUE(Find<QWidget>(editor, "DBEditFlowRateUp")->styleSheet().isEmpty());
    EXPECT_EQ(Find<QLabel>(editor, "CodeFastUp")->text(), "00714"); // H(200 x 100 / 28)
    EXPECT_FALSE(Find<QWidget>(editor, "DBLookupOpModeDn")->isEnabled());
    EXPECT_TRUE(Find<QWidget>(editor, "DBEditOffsetSolUp")->isEnabled());

    Q_EMIT Find<QComboBox>(editor, "DBLookupValveType")->activated(8); // VF-TKX 1
    EXPECT_DOUBLE_EQ(FactorySets().FieldAsFloat("ValveType"), 9);
    EXPECT_TRUE(Find<QWidget>(editor, "DBLookupOpModeDn")->isEnabled());
    EXPECT_TRUE(Find<QWidget>(editor, "DBLookupAuxSpeed")->isEnabled());
    EXPECT_FALSE(Find<QWidget>(editor, "DBEditOffsetSolUp")->isEnabled());

    Enter(editor, "DBEditK7Speed", "");
    EXPECT_EQ(Messages(), QStringList{"Remark: Empty Field !"});
    EXPECT_EQ(Shown(editor, "DBEditK7Speed"), "50");
}

TEST_F(FactoryWindows, UsUnitsInTheEditorAndBackToMetricAtClose) {
    Start("[Language]\nLanguageValue=102\n");
    TEditFactorySettingsForm* editor = OpenEditor();
    EXPECT_EQ(Shown(editor, "DBEditFlowRateUp"), "39.6");
    EXPECT_EQ(Find<QLineEdit>(editor, "DBEditFlowRateUp")->toolTip(), "Range: 4.0...264.1 US gpm");
    Enter(editor, "DBEditFlowRateDn", "45.04");
    EXPECT_EQ(Shown(editor, "DBEditFlowRateDn"), "45");
    EXPECT_TRUE(Messages().isEmpty());

    TTable& sets = FactorySets();
    sets.Edit();
    sets.SetFieldFloat("OffsetSolUpInPsi", 30);
    sets.Post();
    editor->reject();
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("OffsetSolUp"), 2.1);
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("FlowFastDn"), 170); // trunc(45 x 3.7854 + 0.5)
}

TEST_F(FactoryWindows, SenderRefusesABadCountAndFailsRedWithoutAController) {
    Start();
    TSaveFactorySettingsForm* sender = OpenSender();
    const QString bad = m_tree.Write("bad.fact", "{TKX}\r\n2\r\n454\t254\t054\tVALVE_TYPE\t00003\r\n");
    sender->ChooseFile = [&](const TFileRequest& request) {
        EXPECT_TRUE(request.Directory.endsWith("/FactorySets"));
        return bad;
    };
    sender->BtnOpenFileClick();
    EXPECT_EQ(sender->windowTitle(), "Save Factory settings: bad.fact");
    EXPECT_EQ(Messages(), QStringList{"Save Factory settings: bad.fact: Error: Amount of parameters (1/2)"});
    EXPECT_FALSE(Find<QPushButton>(sender, "BtnSend")->isEnabled());

    const QString good = m_tree.Write("good.fact", "{TKX}\r\n1\r\n454\t254\t054\tVALVE_TYPE\t00003\r\n");
    sender->ChooseFile = [&](const TFileRequest& request) {
        EXPECT_EQ(request.ProposedName, bad); // the last file is offered again
        return good;
    };
    sender->BtnOpenFileClick();
    ASSERT_TRUE(Find<QPushButton>(sender, "BtnSend")->isEnabled());
    // No controller behind the port: nothing answers "T".
    Find<QPushButton>(sender, "BtnSend")->click();
    EXPECT_EQ(Messages(), QStringList{"Error:: Transfer error"});
    EXPECT_EQ(sender->Lamp(), TFactoryLamp::Red);
    EXPECT_EQ(Find<QWidget>(sender, "ProgressBar1")->property("value").toInt(), 0);
    EXPECT_TRUE(Find<QPushButton>(sender, "BtnOpenFile")->isEnabled());
    EXPECT_TRUE(m_program->Configuration().SelectPort()); // released

    sender->reject();
    EXPECT_TRUE(Find<QPlainTextEdit>(sender, "Memo1")->toPlainText().isEmpty());
    EXPECT_EQ(sender->Lamp(), TFactoryLamp::Idle);
    EXPECT_FALSE(Find<QPushButton>(sender, "BtnSend")->isEnabled());
}

TEST_F(FactoryWindows, AFileWrittenInTheEditorLoadsInTheSender) {
    Start();
    TEditFactorySettingsForm* editor = OpenEditor();
    Enter(editor, "DBEditFlowRateUp", "165");
    auto* description = Find<QPlainTextEdit>(editor, "DBMemoDescription");
    description->setFocus();
    description->moveCursor(QTextCursor::End);
    QTest::keyClicks(description, " - lift 7");
    const QString file = m_tree.Path("241730582.fact");
    editor->ChooseFile = [&](const TFileRequest& request) {
        EXPECT_EQ(request.ProposedName, "241730582.fact");
        // The folder the sender opens in, made when missing.
        EXPECT_EQ(request.Directory, m_program->Configuration().GetWorkDirectory() + "/FactorySets");
        EXPECT_TRUE(QFileInfo(request.Directory).isDir());
        return file;
    };
    Find<QPushButton>(editor, "BtnCreateFile")->click();
    EXPECT_EQ(editor->windowTitle(), "241730582.fact - WinTorvex32");
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_TRUE(m_tree.Read(file).startsWith("Description: Default factory setting, valve TKX 3 - lift 7\r\n"));
    editor->reject();

    TSaveFactorySettingsForm* sender = OpenSender();
    sender->ChooseFile = [&](const TFileRequest&) { return file; };
    sender->BtnOpenFileClick();
    EXPECT_TRUE(Find<QPlainTextEdit>(sender, "Memo1")
                    ->toPlainText()
                    .contains(" 416\t 216\t 016\tFAST_UP              00917\n"));
    EXPECT_TRUE(Find<QPushButton>(sender, "BtnSend")->isEnabled());
}

// The file equals the window: a list choice stays when a number field is emptied right after it,
// a number field refuses text that is no number and says so, and the Results follow every change.
TEST_F(FactoryWindows, AnEmptiedOrWrongNumberKeepsItsValueAndNoOtherChoiceIsLost) {
    Start();
    TEditFactorySettingsForm* editor = OpenEditor();
    auto* relay = Find<QComboBox>(editor, "DBLookupRelayFunction");
    const int other = relay->currentIndex() == 0 ? 1 : 0;
    relay->setCurrentIndex(other);
    Q_EMIT relay->activated(other);
    const double chosen = FactorySets().FieldAsFloat("RelayFunction");

    Enter(editor, "DBEditFlowRateUp", "");
    EXPECT_EQ(Messages(), QStringList{"Remark: Empty Field !"});
    EXPECT_EQ(Shown(editor, "DBEditFlowRateUp"), "150");
    Enter(editor, "DBEditFlowRateDn", "1x5");
    EXPECT_EQ(Messages(), QStringList{"Remark: Not a valid number: 1x5"});
    EXPECT_EQ(Shown(editor, "DBEditFlowRateDn"), "160");
    EXPECT_DOUBLE_EQ(FactorySets().FieldAsFloat("RelayFunction"), chosen);
    EXPECT_EQ(FactorySets().GetState(), TTable::State::Browse);

    // A decimal comma is a decimal point; the Results follow at once.
    Enter(editor, "DBEditFlowRateUp", "120,5");
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_DOUBLE_EQ(FactorySets().FieldAsFloat("FlowFastUp"), 120.5);
    const QString file = m_tree.Path("check.fact");
    editor->ChooseFile = [&](const TFileRequest&) { return file; };
    Find<QPushButton>(editor, "BtnCreateFile")->click();
    const TFactoryLoad load = LoadFactoryFile(file, TLanguage());
    ASSERT_TRUE(load.Sendable()) << load.Error.toStdString();
    for (const TFactoryEntry& entry : load.Entries) {
        if (entry.Name.trimmed() == "RELAY_FUNCTION") {
            EXPECT_EQ(double(entry.Value), chosen);
        }
        if (entry.Name.trimmed() == "FAST_UP") {
            EXPECT_EQ(QString::number(entry.Value).rightJustified(5, '0'), Find<QLabel>(editor, "CodeFastUp")->text());
        }
    }
}

// A window made while the database was not there works once it is: it binds at every showing.
TEST_F(FactoryWindows, TheEditorWorksOnceTheDatabaseIsAvailable) {
    Start();
    m_program->Database().CloseDatabase();
    ASSERT_FALSE(m_program->Configuration().DatabaseAvailable);
    TEditFactorySettingsForm* editor = OpenEditor();
    EXPECT_TRUE(Shown(editor, "DBEditFlowRateUp").isEmpty());
    EXPECT_FALSE(Find<QPushButton>(editor, "BtnCreateFile")->isEnabled());
    editor->reject();

    ASSERT_TRUE(m_program->Database().OpenDatabase());
    editor = OpenEditor();
    EXPECT_EQ(Shown(editor, "DBEditFlowRateUp"), "150");
    EXPECT_EQ(Shown(editor, "ResultFastUp"), "8.33");
    EXPECT_TRUE(Find<QPushButton>(editor, "BtnCreateFile")->isEnabled());
    Enter(editor, "DBEditFlowRateUp", "140");
    EXPECT_DOUBLE_EQ(FactorySets().FieldAsFloat("FlowFastUp"), 140);
}
