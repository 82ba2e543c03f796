#include "core/params/TParameterDatabase.h"
#include "gui/access/TPasswordForm.h"
#include "gui/params/DataAware.h"
#include "gui/params/TExportImportForm.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewTKXParameter.h"

#include "MetadataDefaults.h"
#include "ParameterWindowFixture.h"
#include "SimulatorProcess.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <deque>

namespace {

TEST_F(ParameterWindow, TheLevelDecidesWhichFieldsCanBeEdited) {
    Start();
    // The valve type needs level 2 in both families here; only the VF-TKX window obeys it.
    TTable& metadata = m_program->Database().TableParameterDBSettings();
    m_program->Database().SetParameterFamily(Family::None);
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        if (metadata.FieldAsText("FieldName") == "ValveType") {
            metadata.Edit();
            metadata.SetFieldFloat("PasswordLevel", 2);
        }
    }
    metadata.Post();
    TViewParameter* tkx = Open(Family::Tkx);
    EXPECT_TRUE(Find<QWidget>(tkx, "EditFastUp")->isEnabled());
    EXPECT_FALSE(Find<QWidget>(tkx, "EditPSettingSolUpS")->isEnabled());
    EXPECT_FALSE(Find<QWidget>(tkx, "EditHWZero")->isEnabled());
    EXPECT_TRUE(Find<QWidget>(tkx, "EditK8Accel")->isEnabled());
    EXPECT_TRUE(Find<QWidget>(tkx, "DBLookupComboBoxValveType")->isEnabled());
    EXPECT_FALSE(Find<QWidget>(tkx, "BtnRead")->isEnabled()); // no port
    tkx->close();
    TViewParameter* vf = Open(Family::VfTkx);
    EXPECT_FALSE(Find<QWidget>(vf, "DBLookupComboBoxValveType")->isEnabled());
    EXPECT_TRUE(Find<QWidget>(vf, "EditKAccel3")->isEnabled());
    vf->close();

    Level("7305");
    tkx = Open(Family::Tkx);
    EXPECT_TRUE(Find<QWidget>(tkx, "EditPSettingSolUpS")->isEnabled());
    EXPECT_TRUE(Find<QWidget>(tkx, "EditHWZero")->isEnabled());
}

TEST_F(ParameterWindow, ValuesOutsideTheirRangeAreClampedWithTheirMessage) {
    Start();
    AddSet(Family::Tkx, "Lift", {{"HWZero", 500}, {"SIUDiff1", 20}});
    Level("7305");
    TViewParameter* window = Open(Family::Tkx);
    Enter(window, "EditHWZero", "1500");
    ASSERT_EQ(m_feedback.Messages.size(), 2u); // the level message, then the range
    EXPECT_EQ(m_feedback.Messages[1].Caption, "Range Error");
    EXPECT_EQ(m_feedback.Messages[1].Text, "HW-zero\rMax. =    1000.00");
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("HWZero"), 1000);
    EXPECT_EQ(Find<QLineEdit>(window, "EditHWZero")->text(), "1000");

    Enter(window, "EditSIUDiff", "1" + QString(QLocale().decimalPoint()) + "25");
    EXPECT_EQ(m_feedback.Messages.back().Text, Text(59) + "\rMin. =       5.00");
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("SIUDiff1"), 5);

    const auto before = m_feedback.Messages.size();
    Enter(window, "EditSIUDiff", "");
    ASSERT_EQ(m_feedback.Messages.size(), before + 1);
    EXPECT_EQ(m_feedback.Messages.back().Caption, "Remark");
    EXPECT_EQ(m_feedback.Messages.back().Text, "Empty Field !");
}

TEST_F(ParameterWindow, PsiIsShownWhileTheControllerKeepsBar) {
    Start("[Language]\nLanguageValue=102\n");
    AddSet(Family::Tkx, "Lift", {{"OffsetSolUp", 7.0}});
    Level("2461"); // the minimum pressure belongs to the control loop
    TViewParameter* window = Open(Family::Tkx);
    EXPECT_EQ(Find<QLabel>(window, "EditOffsetSolUpUnit")->text(), "psi");
    EXPECT_EQ(Find<QLineEdit>(window, "EditOffsetSolUp")->text(), "102");
    Enter(window, "EditOffsetSolUp", "145");
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("OffsetSolUpInPsi"), 145);
    window->close();
    Sets(Family::Tkx).First();
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("OffsetSolUp"), 10.0);
}

TEST_F(ParameterWindow, AValveTypeOfTheOtherFamilyIsRefused) {
    Start();
    AddSet(Family::VfTkx, "Inverter lift", {{"ValveType", 9}});
    Level("7305");
    TViewParameter* window = Open(Family::VfTkx);
    auto* list = Find<TDBLookupComboBox>(window, "DBLookupComboBoxValveType");
    Q_EMIT list->ListEntered();
    const int tkx3 = list->findData(3.0);
    ASSERT_GE(tkx3, 0);
    list->setCurrentIndex(tkx3);
    Q_EMIT list->activated(tkx3);
    EXPECT_EQ(m_feedback.Messages.back().Text, Text(176));
    EXPECT_EQ(m_feedback.Messages.back().Caption, "Range Error");
    EXPECT_DOUBLE_EQ(Sets(Family::VfTkx).FieldAsFloat("ValveType"), 9);
    EXPECT_EQ(list->currentText(), list->itemText(list->findData(9.0)));
}

TEST_F(ParameterWindow, TheSearchFieldFindsWholeNamesOnly) {
    Start();
    for (const char* name : {"ABC", "Lift 2", "Zeta"}) {
        AddSet(Family::Tkx, name);
    }
    Sets(Family::Tkx).Last();
    TViewParameter* window = Open(Family::Tkx);
    auto* find = Find<QLineEdit>(window, "EditLocator");
    QTest::keyClicks(find, "ab");
    EXPECT_EQ(Sets(Family::Tkx).FieldAsText("Name"), "Zeta");
    QTest::keyClicks(find, "c");
    EXPECT_EQ(Sets(Family::Tkx).FieldAsText("Name"), "ABC");
    EXPECT_EQ(Find<QTableWidget>(window, "DBGridNameList")->currentRow(), 0);
}

// Answers each showing of the kind-choice dialog: the radio button to check (none: leave
// it as it is), then OK.
void AnswerChoices(QWidget* owner, QDialog* form, std::deque<const char*> answers) {
    auto steps = std::make_shared<std::deque<const char*>>(std::move(answers));
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, owner, [form, steps, timer] {
        if (!form->isVisible() || steps->empty()) {
            return;
        }
        const char* radio = steps->front();
        steps->pop_front();
        if (radio != nullptr) {
            form->findChild<QRadioButton*>(radio)->setChecked(true);
        }
        form->findChild<QPushButton*>("BitBtnOk")->click();
        if (steps->empty()) {
            timer->deleteLater();
        }
    });
    timer->start(5);
}

TEST_F(ParameterWindow, ExportAndImportGoThroughTheChoiceDialog) {
    Start();
    AddSet(Family::Tkx, "Lift A", {{"FastUp", 7.5}});
    TViewParameter* tkx = Open(Family::Tkx);
    QDialog* form = m_program->Windows().ExportImport();
    std::vector<TFileRequest> requests;
    QString answer = m_tree.Path("lift-a.set");
    tkx->ChooseFile = [&](const TFileRequest& request) {
        requests.push_back(request);
        return answer;
    };
    AnswerChoices(tkx, form, {"ActiveSet"});
    tkx->BtnExportClick();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].Save);
    EXPECT_EQ(requests[0].ProposedName, "*.set");
    EXPECT_EQ(requests[0].Filters.size(), 4);
    EXPECT_TRUE(m_tree.Read("lift-a.set").startsWith("   0\t{TKX---}Lift A\t"));
    EXPECT_EQ(tkx->windowTitle(), "lift-a.set - WinTorvex32");

    // A name in capitals is not the kind's extension.
    answer = m_tree.Path("LIFT.SET");
    AnswerChoices(tkx, form, {"ActiveSet"});
    tkx->BtnExportClick();
    EXPECT_EQ(m_feedback.Messages.back().Text, Text(195) + answer);
    EXPECT_EQ(requests.back().ProposedName, m_tree.Path("lift-a") + ".set"); // the last export's name
    EXPECT_EQ(tkx->windowTitle(), "lift-a.set - WinTorvex32");               // a refused export names nothing

    // The text file last chosen is no choice for an import: the dialog insists on one.
    answer = m_tree.Path("lift-a.txt");
    AnswerChoices(tkx, form, {"RdBtnTextfile"});
    tkx->BtnExportClick();
    EXPECT_TRUE(m_tree.Read("lift-a.txt").startsWith("Saved: "));
    tkx->close();

    TViewParameter* vf = Open(Family::VfTkx);
    answer = m_tree.Path("lift-a.set");
    vf->ChooseFile = [&](const TFileRequest& request) {
        requests.push_back(request);
        return answer;
    };
    m_feedback.Messages.clear();
    AnswerChoices(vf, form, {nullptr, "ActiveSet"});
    vf->BtnImportClick();
    ASSERT_EQ(m_feedback.Messages.size(), 2u);
    EXPECT_EQ(m_feedback.Messages[0].Text, Text(209));
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error); // the VF-TKX window says it as an error
    EXPECT_EQ(m_feedback.Messages[1].Text, Text(200) + answer);
    EXPECT_EQ(vf->windowTitle(), Text(21)); // the failed import puts the caption back
    EXPECT_EQ(Sets(Family::VfTkx).RecordCount(), 0);
    EXPECT_FALSE(requests.back().Save);
}

TEST_F(ParameterWindow, ReceiveOnTheSimulatorsPortFillsANewSet) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    TProgram& program = Start("[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\n", {simulator.Device()});
    m_feedback.PortChoice = 0;
    TViewParameter* window = program.Windows().ViewTKXParameter();
    bool renaming = false;
    QTimer::singleShot(0, window, [&] {
        ASSERT_TRUE(Find<QPushButton>(window, "BtnRead")->isEnabled());
        Find<QPushButton>(window, "BtnRead")->click();
        for (auto* editor : Find<QWidget>(window, "DBGridNameList")->findChildren<QLineEdit*>()) {
            renaming = renaming || (editor->isVisible() && editor->selectedText() == "...");
        }
        window->close();
    });
    Find<QAction>(&program.MainWindow(), "MenuParameterTKX")->trigger(); // as the technician opens it
    ASSERT_EQ(Sets(Family::Tkx).RecordCount(), 1);
    EXPECT_EQ(Sets(Family::Tkx).FieldAsText("Name"), "...");
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("FastUp"), 8.0);
    EXPECT_EQ(Find<QLabel>(window, "LabelInfoController")->text(),
              "Connected controller: TKX  ( Software version: 2.220 )");
    EXPECT_EQ(Find<QLabel>(window, "StatusController")->text(), Find<QLabel>(window, "LabelInfoController")->text());
    EXPECT_EQ(Find<QLabel>(window, "StatusPort")->text(), "Serial port: " + simulator.Device());
    EXPECT_TRUE(renaming); // the new set's name was open for editing, "..." selected
    EXPECT_FALSE(program.Configuration().Settings().Ports[0]->InUse); // released when the window closed
}

TEST_F(ParameterWindow, AChangedValveTypeIsWrittenLoadedAndReadBack) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    TProgram& program =
        Start("[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\nEEpromWrite=0\n", {simulator.Device()});
    AddSet(Family::Tkx, "Lift",
           WithMetadataDefaults(m_program->Database(), Family::Tkx, {{"ValveType", 3}, {"FastUp", 7.25}}));
    TViewParameter* window = program.Windows().ViewTKXParameter();
    window->SetPort(TakePort());
    Open(Family::Tkx);
    auto* list = Find<TDBLookupComboBox>(window, "DBLookupComboBoxValveType");

    m_feedback.Answers = {MessageAnswer::No};
    Q_EMIT list->ListEntered();
    list->setCurrentIndex(list->findData(4.0));
    Q_EMIT list->activated(list->currentIndex());
    EXPECT_EQ(m_feedback.Messages.back().Text, Text(224));
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("ValveType"), 3); // No: the old valve type is back
    EXPECT_FALSE(simulator.Log().contains("received E:"));

    m_feedback.Answers = {MessageAnswer::Yes};
    Q_EMIT list->ListEntered();
    list->setCurrentIndex(list->findData(4.0));
    Q_EMIT list->activated(list->currentIndex());
    const QString log = simulator.LogWith({"received E:016:00725\\r", "received v\\r"});
    EXPECT_TRUE(log.contains("received E:016:00725\\r")) << log.toStdString();
    EXPECT_TRUE(log.contains("received v\\r"));
    ASSERT_EQ(Sets(Family::Tkx).RecordCount(), 2); // the read-back is a set of its own
    Sets(Family::Tkx).Last();
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("ValveType"), 4);
    window->close();
}

} // namespace
