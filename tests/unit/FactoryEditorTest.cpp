#include "core/factory/TFactoryEditor.h"

#include "ManualClock.h"
#include "core/base/Language.h"
#include "core/params/TParameterDatabase.h"

#include "TestInstallation.h"

#include <gtest/gtest.h>

namespace {

// The delivered factory set (valve type 3, TKX 90-170 l/min, flows 150 up and 160 down) in a real database.
class FactoryEditorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_installation.Configuration->DatabaseAvailable); }
    TFactoryEditor& Editor(bool usUnits = false) {
        m_editor = std::make_unique<TFactoryEditor>(*m_installation.Database, m_installation.Ui, m_clock, usUnits);
        m_editor->Start();
        return *m_editor;
    }
    // What a data-aware input does: the typed value goes into the record, then the check runs.
    void Enter(const QString& field, double value) {
        TTable& sets = m_editor->Sets();
        sets.Edit();
        sets.SetFieldFloat(field, value);
        m_editor->InputCheck(field, value);
    }
    // What the valve list does: the chosen code goes into the record, then the change runs.
    void ChooseValve(int code) {
        TTable& sets = m_editor->Sets();
        sets.Edit();
        sets.SetFieldFloat("ValveType", code);
        m_editor->ValveTypeChange(code);
    }
    double Field(const QString& field) { return m_editor->Sets().FieldAsFloat(field); }
    QStringList Messages() {
        QStringList texts;
        for (const auto& m : m_installation.Ui.Messages) {
            texts << m.Caption + ": " + m.Text;
        }
        m_installation.Ui.Messages.clear();
        return texts;
    }
    QStringList RowNames() {
        QStringList names;
        for (const TFactoryFileRow& row : m_editor->FileRows()) {
            names << row.Name;
        }
        return names;
    }

    TestInstallation m_installation;
    ManualClock m_clock{QDateTime(QDate(2026, 12, 10), QTime(14, 7))};
    std::unique_ptr<TFactoryEditor> m_editor;
};

} // namespace

TEST(FactoryMath, FlowRulesOfTheValve) {
    TValveData valve;
    valve.Qmin = 50;
    valve.Qmax = 300;
    struct Case {
        const char* smallest;
        double up, down;
        bool upRed, downRed;
    };
    const Case cases[] = {
        {"N", 40, 50, true, true},   // neither flow above the smallest flow
        {"N", 40, 60, false, false}, // one is enough
        {"N", 310, 60, true, false}, // above the largest flow
        {"Y", 40, 50, false, false}, // the smallest valve: reaching Qmin is enough
        {"Y", 40, 45, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.smallest << " " << c.up << "/" << c.down);
        valve.Smallest = c.smallest;
        const double q = FactoryMath::FlowTenths(c.up, false);
        const double r = FactoryMath::FlowTenths(c.down, false);
        EXPECT_EQ(FactoryMath::FlowUnsuitable(q, r, valve), c.upRed);
        EXPECT_EQ(FactoryMath::FlowUnsuitable(r, q, valve), c.downRed);
    }
}

TEST(FactoryMath, ResultsOfTheWorkedExample) {
    TValveData valve;
    valve.QFact = 100;
    valve.SlowFact = 10;
    TFactoryInputs in;
    in.FlowUp = 200;
    in.FlowDn = 200;
    in.K6Speed = 25;
    in.OffsetSolUp = 12.0;
    in.FlowCalUp = 1.15;
    in.CheckNo1 = 417;
    const auto results = FactoryMath::ComputeResults(in, valve);
    const auto shownAndCode = [&](const char* name) {
        const TFactoryResult* r = FactoryMath::FindResult(results, name);
        return r == nullptr ? QString("none") : r->Shown + " " + r->CodeText();
    };
    EXPECT_EQ(shownAndCode("FastUp"), "2.00 00200");
    EXPECT_EQ(shownAndCode("SlowUp"), "0.20 00020");
    EXPECT_EQ(shownAndCode("AccelUp"), "1.21 00121");
    EXPECT_EQ(shownAndCode("DecelUp"), "1.09 00109");
    EXPECT_EQ(shownAndCode("K6Speed"), "0.50 00025");
    EXPECT_EQ(shownAndCode("OffsetSolUp"), "12.0 00120");
    EXPECT_EQ(shownAndCode("FlowCalUp"), "1.15 00115");
    EXPECT_EQ(shownAndCode("CheckNo1"), "0417 00417");

    in.UsUnits = true; // 52.7 gpm is 200 l/min once its half is added
    in.FlowUp = 52.7;
    in.OffsetSolUp = 30; // psi
    const auto us = FactoryMath::ComputeResults(in, valve);
    EXPECT_EQ(FactoryMath::FindResult(us, "FastUp")->CodeText(), "00200");
    EXPECT_EQ(FactoryMath::FindResult(us, "OffsetSolUp")->CodeText(), "00021");
    EXPECT_EQ(FactoryMath::FindResult(us, "OffsetSolUp")->Unit, "psi");
}

TEST_F(FactoryEditorTest, RangeLimitsWithTheirMessages) {
    struct Case {
        bool us;
        const char* field;
        double entered, stored;
        const char* message; // empty: none
    };
    const Case cases[] = {
        {false, "FlowFastUp", 1200, 1000, "Range Error: Max. =    1000.00"},
        {false, "FlowFastDn", 10, 15, "Range Error: Min. =      15.00"},
        {false, "FlowFastUp", 120, 120, ""},
        {false, "K6Speed", 150, 100, "Range Error: Max. =     100.00"},
        {false, "FlowCalDn", 0.2, 0.5, "Range Error: Min. =       0.50"},
        {false, "CheckNo2", 123456, 123456, ""},
        {true, "FlowFastUpInGal", 10.04, 10.0, ""},
        {true, "FlowFastDnInGal", 3, 4.0, "Range Error: Min. =        4.0"},
        {true, "FlowFastUpInGal", 300, 264.1, "Range Error: Max. =      264.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        Editor(c.us);
        Messages();
        Enter(c.field, c.entered);
        EXPECT_DOUBLE_EQ(Field(c.field), c.stored);
        EXPECT_EQ(Messages(), QString(c.message).isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(m_editor->Sets().GetState(), TTable::State::Browse); // posted
    }
}

TEST_F(FactoryEditorTest, UnsuitableFlowsClearTheResultsAndSuitableOnesBringThemBack) {
    TFactoryEditor& editor = Editor();
    ASSERT_TRUE(editor.CanCreateFile());
    EXPECT_EQ(editor.Valve().Name, "TKX 3");
    EXPECT_EQ(FactoryMath::FindResult(editor.Results(), "FastUp")->CodeText(), "00833"); // H(150 x 100 / 18)

    Enter("FlowFastUp", 200); // above 170
    EXPECT_TRUE(editor.UpFlowMark());
    EXPECT_FALSE(editor.DownFlowMark());
    EXPECT_TRUE(editor.Results().empty());
    EXPECT_FALSE(editor.CanCreateFile());

    Enter("FlowFastUp", 100);
    EXPECT_FALSE(editor.UpFlowMark());
    EXPECT_TRUE(editor.CanCreateFile());

    Messages();
    editor.InputCheck("FlowFastUp", std::nullopt); // the input was emptied
    EXPECT_EQ(Messages(), QStringList{"Remark: Empty Field !"});
    EXPECT_DOUBLE_EQ(Field("FlowFastUp"), 100);
}

TEST_F(FactoryEditorTest, TheValveKindChoosesTheRowsOfTheFile) {
    TFactoryEditor& editor = Editor();
    EXPECT_EQ(editor.Valve().Kind, "TKX");
    const QStringList tkx = RowNames();
    EXPECT_TRUE(tkx.contains("MIN_PRESSURE_UP"));
    EXPECT_TRUE(tkx.contains("EDGE_DETECT"));
    EXPECT_FALSE(tkx.contains("TKX_OPERATION_DN"));
    EXPECT_FALSE(tkx.contains("AUX_SPEED"));

    ChooseValve(9); // VF-TKX 1, 40-250 l/min
    EXPECT_EQ(editor.Valve().Kind, "VF-TKX");
    EXPECT_DOUBLE_EQ(Field("ValveType"), 9);
    ASSERT_TRUE(editor.CanCreateFile());
    const QStringList vf = RowNames();
    EXPECT_TRUE(vf.contains("TKX_OPERATION_DN"));
    EXPECT_TRUE(vf.contains("AUX_SPEED"));
    EXPECT_TRUE(vf.contains("CHECK_NO_1"));
    EXPECT_FALSE(vf.contains("MIN_PRESSURE_UP"));
    EXPECT_FALSE(vf.contains("MIN_PRESSURE_UP_PSI"));
    EXPECT_FALSE(vf.contains("EDGE_DETECT"));
}

TEST_F(FactoryEditorTest, AnUnknownValveTypeIsPutBackAndBlocksTheFileUntilALookupSucceeds) {
    TFactoryEditor& editor = Editor();
    Messages();
    ChooseValve(99);
    EXPECT_EQ(Messages(), QStringList{"Warning: Not possible to test whether or not within range"});
    EXPECT_DOUBLE_EQ(Field("ValveType"), 3);
    EXPECT_TRUE(editor.LookupMark());
    EXPECT_EQ(editor.LookupFailures(), std::set<QString>{"ValveType"});
    EXPECT_FALSE(editor.CanCreateFile());
    ChooseValve(9);
    EXPECT_FALSE(editor.LookupMark());
    EXPECT_TRUE(editor.CanCreateFile());
}

TEST_F(FactoryEditorTest, ImperialFieldsAtCreationAndMetricOnesAtClose) {
    TFactoryEditor& editor = Editor(true);
    EXPECT_DOUBLE_EQ(Field("OffsetSolUpInPsi"), 174); // 12 bar
    EXPECT_DOUBLE_EQ(Field("FlowFastUpInGal"), 39.6); // 150 l/min
    EXPECT_EQ(editor.FlowUnit(), "US gpm");

    TTable& sets = editor.Sets();
    sets.Edit();
    sets.SetFieldFloat("OffsetSolUpInPsi", 30);
    sets.SetFieldFloat("FlowFastUpInGal", 52.8);
    sets.Post();
    editor.ConvertToMetric();
    EXPECT_DOUBLE_EQ(Field("OffsetSolUp"), 2.1);
    EXPECT_DOUBLE_EQ(Field("FlowFastUp"), 200);
}

// What was typed in US units comes back as typed at the next start, while the controller gets the
// metric value: 31 psi is 2.1 bar, and 2.1 bar alone would come back as 30 psi.
TEST_F(FactoryEditorTest, ImperialValuesStayAsTypedAcrossARestart) {
    Editor(true);
    TTable& sets = m_editor->Sets();
    sets.Edit();
    sets.SetFieldFloat("OffsetSolUpInPsi", 31);
    sets.SetFieldFloat("FlowFastUpInGal", 52.9);
    sets.Post();
    m_editor->ConvertToMetric();
    EXPECT_DOUBLE_EQ(Field("OffsetSolUp"), 2.1);
    EXPECT_DOUBLE_EQ(Field("FlowFastUp"), 200);
    Editor(true); // the next start
    EXPECT_DOUBLE_EQ(Field("OffsetSolUpInPsi"), 31);
    EXPECT_DOUBLE_EQ(Field("FlowFastUpInGal"), 52.9);
    // A metric value changed elsewhere is converted afresh.
    sets.Edit();
    sets.SetFieldFloat("OffsetSolUp", 12);
    sets.Post();
    Editor(true);
    EXPECT_DOUBLE_EQ(Field("OffsetSolUpInPsi"), 174);
}

TEST_F(FactoryEditorTest, TheFileIsWhatTheSenderAccepts) {
    TFactoryEditor& editor = Editor();
    EXPECT_EQ(editor.ProposedFileName(), "241730582.fact");
    const QString path = m_installation.Tree.Path("241730582.fact");
    ASSERT_TRUE(editor.CreateFile(path));
    const TFactoryLoad load = LoadFactoryFile(path, TLanguage());
    EXPECT_TRUE(load.Sendable()) << load.Error.toStdString();
    EXPECT_EQ(load.ControllerType, "TKX");
    EXPECT_TRUE(load.Summary.contains("Description: Default factory setting, valve TKX 3\r\n"
                                      "Generated by WinTorvex32 on 261210 at 1407\r\n"));
    EXPECT_EQ(load.Entries.size(), editor.FileRows().size());

    Messages();
    const QString capitals = m_installation.Tree.Path("LIFT.FACT");
    EXPECT_FALSE(editor.CreateFile(capitals));
    EXPECT_EQ(Messages(), QStringList{"LIFT.FACT - WinTorvex32: Filename is not valid : \r" + capitals});
    EXPECT_FALSE(QFile::exists(capitals));

    const QString unwritable = m_installation.Tree.Path("no/such/dir/a.fact");
    EXPECT_FALSE(editor.CreateFile(unwritable));
    EXPECT_EQ(Messages(), QStringList{"a.fact - WinTorvex32: Error Write File : \r" + unwritable});
}
