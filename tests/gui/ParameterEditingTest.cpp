#include "gui/params/DataAware.h"
#include "gui/params/TViewTKXParameter.h"

#include "ParameterWindowFixture.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>

namespace {

class ParameterEditing : public ParameterWindow {
protected:
    // Types into a field without confirming it: the value is still only on the screen.
    QLineEdit* Type(QWidget* window, const char* edit, const QString& text) {
        auto* field = Find<QLineEdit>(window, edit);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        return field;
    }
    QWidget* Focused() const { return QApplication::focusWidget(); }
};

TEST_F(ParameterEditing, TabWalksThroughTheFieldsAndEnterGoesToTheNames) {
    Start();
    AddSet(Family::Tkx, "Lift", {{"FastUp", 7}, {"SlowUp", 1}});
    TViewParameter* window = Open(Family::Tkx);
    QLineEdit* fast = Type(window, "EditFastUp", "8");
    QTest::keyClick(fast, Qt::Key_Tab);
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("FastUp"), 8);
    ASSERT_NE(Focused(), nullptr);
    EXPECT_NE(Focused()->objectName(), "DBGridNameList");
    EXPECT_NE(qobject_cast<TDBEdit*>(Focused()), nullptr) << Focused()->objectName().toStdString();

    QLineEdit* slow = Type(window, "EditSlowUp", "1.5");
    QTest::keyClick(slow, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("SlowUp"), 1.5);
    EXPECT_EQ(Focused()->objectName(), "DBGridNameList");
    EXPECT_TRUE(m_feedback.Messages.empty());
}

TEST_F(ParameterEditing, OnlyTheChangedFieldIsCheckedOnceAndItsMessageNamesIt) {
    Start();
    // A stored value outside its range in the neighbouring field is not the user's doing.
    AddSet(Family::Tkx, "Lift", {{"RelevelUp", 0.4}, {"FlowCalUp", 0.1}});
    TViewParameter* window = Open(Family::Tkx);
    // A real message box takes the activation from the window, and gives it back.
    m_feedback.OnMessage = [this, window] {
        QApplication::setActiveWindow(&m_program->MainWindow());
        QApplication::processEvents();
        QApplication::setActiveWindow(window);
        QApplication::processEvents();
    };
    Type(window, "EditRelevelUp", "9");
    Find<QWidget>(window, "EditFlowCalUp")->setFocus();
    Find<QWidget>(window, "EditFastUp")->setFocus();
    ASSERT_EQ(m_feedback.Messages.size(), 1u) << m_feedback.Texts().join(" | ").toStdString();
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Range Error");
    EXPECT_EQ(m_feedback.Messages[0].Text, "Relevelling\rMax. =       2.00");
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("RelevelUp"), 2);
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("FlowCalUp"), 0.1);

    // Enter with a value out of range: one message, however the box moves the activation.
    m_feedback.Messages.clear();
    QTest::keyClick(Type(window, "EditAccelUp", "20"), Qt::Key_Return);
    ASSERT_EQ(m_feedback.Messages.size(), 1u) << m_feedback.Texts().join(" | ").toStdString();
    EXPECT_EQ(m_feedback.Messages[0].Text, "Acceleration\rMax. =      10.00");
}

TEST_F(ParameterEditing, WhatIsTypedIsSavedBeforeTheNavigatorMovesOrSaves) {
    Start();
    AddSet(Family::Tkx, "A", {{"FastUp", 7}});
    AddSet(Family::Tkx, "B", {{"FastUp", 7}});
    Sets(Family::Tkx).First();
    TViewParameter* window = Open(Family::Tkx);
    Type(window, "EditFastUp", "9");
    Find<QToolButton>(window, "NavPost")->click();
    EXPECT_EQ(Sets(Family::Tkx).GetState(), TTable::State::Browse);
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("FastUp"), 9);

    Type(window, "EditFastUp", "8");
    Find<QToolButton>(window, "NavNext")->click();
    EXPECT_EQ(Sets(Family::Tkx).FieldAsText("Name"), "B");
    Sets(Family::Tkx).First();
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("FastUp"), 8);
}

// Every way the technician can leave the TKX window with a psi value typed but not confirmed.
TEST_F(ParameterEditing, ATypedPsiValueIsKeptOnEveryWayOut) {
    const std::pair<const char*, std::function<void(QWidget*)>> ways[] = {
        {"Esc", [](QWidget* w) { QTest::keyClick(w->focusWidget(), Qt::Key_Escape); }},
        {"title bar", [](QWidget* w) { w->close(); }},
        {"Exit", [](QWidget* w) { w->findChild<QPushButton*>("BtnExit")->click(); }},
    };
    for (const auto& [name, leave] : ways) {
        SCOPED_TRACE(name);
        Start("[Language]\nLanguageValue=102\n");
        AddSet(Family::Tkx, "Lift", {{"OffsetSolUp", 7.0}});
        Level("2461"); // the minimum pressure belongs to the control loop
        TViewParameter* window = Open(Family::Tkx);
        EXPECT_EQ(Find<QLineEdit>(window, "EditOffsetSolUp")->text(), "102");
        Type(window, "EditOffsetSolUp", "145");
        leave(window);
        EXPECT_FALSE(window->isVisible());
        Sets(Family::Tkx).First();
        EXPECT_EQ(Sets(Family::Tkx).GetState(), TTable::State::Browse);
        EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("OffsetSolUp"), 10.0);
        Stop();
    }
}

TEST_F(ParameterEditing, APsiValueSurvivesActivationsAndTheBarValueFollowsIt) {
    Start("[Language]\nLanguageValue=102\n");
    AddSet(Family::Tkx, "Lift", {{"OffsetSolUp", 7.0}});
    Level("2461");
    TViewParameter* window = Open(Family::Tkx);
    QTest::keyClick(Type(window, "EditOffsetSolUp", "147"), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("OffsetSolUp"), 10.1);
    // A message box or a file dialog takes the activation and gives it back.
    QApplication::setActiveWindow(&m_program->MainWindow());
    QApplication::processEvents();
    QApplication::setActiveWindow(window);
    QApplication::processEvents();
    EXPECT_EQ(Find<QLineEdit>(window, "EditOffsetSolUp")->text(), "147");
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("OffsetSolUpInPsi"), 147);
    window->close();
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("OffsetSolUp"), 10.1);
}

// The language switched to or from US units while the TKX window is open: the pressure
// follows at the next activation, and a psi value being typed is kept as bar.
TEST_F(ParameterEditing, TheUnitFollowsALanguageSwitchedWhileTheWindowIsOpen) {
    TProgram& program = Start("[Language]\nLanguageValue=2\n");
    AddSet(Family::Tkx, "Lift", {{"OffsetSolUp", 7.0}});
    Level("2461");
    TViewParameter* window = Open(Family::Tkx);
    auto* pressure = Find<QLineEdit>(window, "EditOffsetSolUp");
    auto* unit = Find<QLabel>(window, "EditOffsetSolUpUnit");
    const QString barHint = pressure->toolTip();
    const auto reactivate = [&] { // the settings dialog took the activation and gives it back
        QApplication::setActiveWindow(&program.MainWindow());
        QApplication::processEvents();
        QApplication::setActiveWindow(window);
        QApplication::processEvents();
    };

    program.Configuration().ChooseLanguage(Language::UsImperialValue);
    reactivate();
    EXPECT_EQ(unit->text(), "psi");
    EXPECT_EQ(pressure->text(), "102");
    EXPECT_NE(pressure->toolTip(), barHint);
    EXPECT_TRUE(pressure->isEnabled());

    Type(window, "EditOffsetSolUp", "145");
    program.Configuration().ChooseLanguage(Language::English);
    reactivate();
    EXPECT_EQ(unit->text(), "bar");
    EXPECT_EQ(pressure->toolTip(), barHint);
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("OffsetSolUp"), 10.0);
    EXPECT_EQ(pressure->text(), QLocale().toString(10.0));
    window->close();
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("OffsetSolUp"), 10.0);
}

TEST_F(ParameterEditing, VfTkxInUsUnitsConvertsNothing) {
    Start("[Language]\nLanguageValue=102\n");
    AddSet(Family::VfTkx, "Inverter lift", {{"FastUp", 7.5}});
    TViewParameter* window = Open(Family::VfTkx);
    EXPECT_EQ(window->findChild<QWidget*>("EditOffsetSolUp"), nullptr);
    window->close();
    EXPECT_DOUBLE_EQ(Sets(Family::VfTkx).FieldAsFloat("FastUp"), 7.5);
    EXPECT_TRUE(m_feedback.Messages.empty());
}

TEST_F(ParameterEditing, TheMetadataShowsEveryFamilyUntilAWindowNeedsOne) {
    TProgram& program = Start();
    EXPECT_EQ(program.Database().ParameterFamily(), Family::None);
}

TEST_F(ParameterEditing, ANameTypedIntoTheNameListIsStored) {
    const std::pair<const char*, std::function<void(QTableWidget*)>> ways[] = {
        {"F2", [](QTableWidget* grid) { QTest::keyClick(grid, Qt::Key_F2); }},
        {"typing", [](QTableWidget*) {}},
    };
    for (const auto& [name, open] : ways) {
        SCOPED_TRACE(name);
        QDir(m_tree.Path("docs")).removeRecursively(); // a fresh database each time
        Start();
        AddSet(Family::Tkx, "...");
        AddSet(Family::Tkx, "...");
        TViewParameter* window = Open(Family::Tkx);
        auto* grid = Find<QTableWidget>(window, "DBGridNameList");
        grid->setFocus();
        grid->setCurrentCell(1, 0);
        open(grid);
        QWidget* target = qobject_cast<QLineEdit*>(Focused());
        if (target == nullptr) { // typing on the cell opens the editor with what is typed
            QTest::keyClicks(grid, "L");
            target = Focused();
            ASSERT_NE(qobject_cast<QLineEdit*>(target), nullptr);
            QTest::keyClicks(target, "ift 7");
        } else {
            QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(target, "Lift 7");
        }
        QTest::keyClick(target, Qt::Key_Return);
        QApplication::processEvents(); // the view takes the editor's text in a queued call
        EXPECT_EQ(Sets(Family::Tkx).ColumnTexts("Name").mid(0, 2), QStringList({"...", "Lift 7"}));
        EXPECT_EQ(grid->item(1, 0)->text(), "Lift 7");
        Stop();
    }
}

// Tab never changes the set: the next Send would write another lift's values. Only the arrows do.
TEST_F(ParameterEditing, TabLeavesTheNameListWithoutChangingTheSet) {
    Start();
    AddSet(Family::Tkx, "Shaft 1");
    AddSet(Family::Tkx, "Shaft 2");
    TViewParameter* window = Open(Family::Tkx);
    auto* grid = Find<QTableWidget>(window, "DBGridNameList");
    grid->setFocus();
    grid->setCurrentCell(0, 0);
    for (const auto modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Tab, modifier);
        EXPECT_EQ(Sets(Family::Tkx).RecNo(), 0) << modifier;
        EXPECT_NE(Focused(), grid) << modifier;
    }
    // Tab out of a name being edited stores it and leaves the list, on the same set.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget* editor = Focused();
    ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "Shaft 1a");
    QTest::keyClick(editor, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(Sets(Family::Tkx).ColumnTexts("Name"), QStringList({"Shaft 1a", "Shaft 2"}));
    EXPECT_EQ(Sets(Family::Tkx).RecNo(), 0);
    EXPECT_TRUE(grid->findChildren<QLineEdit*>().isEmpty() || !grid->findChildren<QLineEdit*>()[0]->isVisible());
    EXPECT_NE(Focused(), grid);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(Sets(Family::Tkx).RecNo(), 1);
}

TEST_F(ParameterEditing, SendNeedsAPortAndASet) {
    TProgram& program = Start();
    TViewParameter* window = program.Windows().ViewITKXParameter();
    window->SetPort(TakePort());
    Open(Family::VfTkx);
    auto* receive = Find<QPushButton>(window, "BtnRead");
    auto* send = Find<QPushButton>(window, "BtnWrite");
    EXPECT_TRUE(receive->isEnabled());
    EXPECT_FALSE(send->isEnabled()); // no set: an all-zero set must never reach a controller
    AddSet(Family::VfTkx, "Inverter lift", {{"FastUp", 7.5}});
    EXPECT_TRUE(send->isEnabled());
    Sets(Family::VfTkx).Delete();
    EXPECT_FALSE(send->isEnabled());
    send->click();
    EXPECT_TRUE(m_feedback.Messages.empty());
    window->close();
}

TEST_F(ParameterEditing, ALevelTwoFieldOpensAtLevelTwoInBothWindows) {
    Start();
    TParameterDatabase& database = m_program->Database();
    database.SetParameterFamily(Family::None);
    TTable& metadata = database.TableParameterDBSettings();
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        const QString field = metadata.FieldAsText("FieldName");
        if (field == "K8Speed" || field == "K7Decel") {
            metadata.Edit();
            metadata.SetFieldFloat("PasswordLevel", field == "K8Speed" ? 2 : 1);
        }
    }
    metadata.Post();
    for (const int level : {1, 2}) {
        if (level == 2) {
            Level("2461");
        }
        for (const Family family : {Family::Tkx, Family::VfTkx}) {
            TViewParameter* window = Open(family);
            const std::string which = FamilyName(family).toStdString() + " " + std::to_string(level);
            EXPECT_EQ(Find<QWidget>(window, "EditKSpeed3")->isEnabled(), level == 2) << which;
            EXPECT_TRUE(Find<QWidget>(window, "EditKDecel2")->isEnabled()) << which;
            window->close();
        }
    }
}

TEST_F(ParameterEditing, AValveTypeOfTheOtherFamilyIsRefusedInTheTkxWindowToo) {
    Start();
    AddSet(Family::Tkx, "Lift", {{"ValveType", 3}});
    TViewParameter* window = Open(Family::Tkx);
    auto* list = Find<TDBLookupComboBox>(window, "DBLookupComboBoxValveType");
    Q_EMIT list->ListEntered();
    const int vf = list->findData(9.0);
    ASSERT_GE(vf, 0);
    list->setCurrentIndex(vf);
    Q_EMIT list->activated(vf);
    ASSERT_EQ(m_feedback.Messages.size(), 1u); // no question follows
    EXPECT_EQ(m_feedback.Messages[0].Text, Text(176));
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("ValveType"), 3);
}

TEST_F(ParameterEditing, LanguageEightListsTheEnglishTexts) {
    const auto lists = [this](const QByteArray& config) {
        Start(config);
        QStringList texts;
        for (const char* name : {"DBLookupComboBoxDemandRedType", "DBLookupComboBoxRelayFunction",
                                 "DBLookupComboBoxCommandInput", "DBLookupComboBoxEdgeDetect"}) {
            auto* list = Find<QComboBox>(m_program->Windows().ViewTKXParameter(), name);
            for (int i = 0; i < list->count(); ++i) {
                texts << list->itemText(i);
            }
        }
        Stop();
        return texts;
    };
    const QStringList english = lists("[Language]\nLanguageValue=2\n");
    EXPECT_FALSE(english.isEmpty());
    EXPECT_EQ(lists("[Language]\nLanguageValue=8\n"), english);
    EXPECT_NE(lists("[Language]\nLanguageValue=1\n"), english);
}

} // namespace
