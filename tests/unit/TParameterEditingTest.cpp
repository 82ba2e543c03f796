#include "core/params/TParameterEditing.h"

#include "core/base/Language.h"
#include "core/base/LocaleText.h"

#include "EnglishText.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

namespace {

class EditingTest : public ::testing::Test {
protected:
    TParameterEditing Editing(Family family) {
        return TParameterEditing(*m_installation.Database, m_installation.Ui, family);
    }

    TestInstallation m_installation;
    RecordingFeedback& m_feedback = m_installation.Ui;
};

TEST_F(EditingTest, ValuesAreClampedToTheirRangeWithAMessage) {
    struct Case {
        Family family;
        const char* field;
        double value;
        double result;
        QString message; // empty: none
    };
    const Case cases[] = {
        {Family::Tkx, "HWZero", 1500, 1000, "Max. =    1000.00"},
        {Family::Tkx, "SIUDiff1", 1.25, 5, "Min. =       5.00"},
        {Family::Tkx, "FastUp", 7.5, 7.5, ""},
        {Family::Tkx, "ValveType", 3, 3, ""},
        {Family::Tkx, "ValveType", 9, TParameterEditing::kUnavailable, Text(176)},
        {Family::Tkx, "ValveType", 17.4, TParameterEditing::kUnavailable, Text(176)},
        {Family::Tkx, "ValveType", 25, 18, Text(176)},
        {Family::VfTkx, "ValveType", 3, TParameterEditing::kUnavailable, Text(176)},
        {Family::VfTkx, "ValveType", 17, 17, ""},
        {Family::VfTkx, "NOpenValve", 70, 50, "Max. =      50.00"},
    };
    for (const Case& c : cases) {
        m_feedback.Messages.clear();
        EXPECT_DOUBLE_EQ(Editing(c.family).CheckParameterValue(c.field, c.value), c.result)
            << c.field << " " << c.value;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(m_feedback.Messages.empty()) << c.field;
        } else {
            ASSERT_EQ(m_feedback.Messages.size(), 1u) << c.field << " " << c.value;
            EXPECT_EQ(m_feedback.Messages[0].Caption, "Range Error");
            EXPECT_EQ(m_feedback.Messages[0].Text, c.message);
            EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
        }
    }
}

TEST_F(EditingTest, LevelsUnlockFieldsByTheirMetadata) {
    TParameterEditing tkx = Editing(Family::Tkx);
    EXPECT_TRUE(tkx.LevelAllows("K8Speed", 1));
    EXPECT_FALSE(tkx.LevelAllows("PSettingSolUpS", 1));
    EXPECT_TRUE(tkx.LevelAllows("PSettingSolUpS", 2));
    EXPECT_FALSE(tkx.LevelAllows("HWZero", 2));
    EXPECT_TRUE(tkx.LevelAllows("HWZero", 3));
    EXPECT_FALSE(Editing(Family::VfTkx).LevelAllows("UFactor", 2));
}

TEST_F(EditingTest, RangeHintsFollowTheFactor) {
    const QString point = QLocale::system().decimalPoint();
    auto tkx = Editing(Family::Tkx).RangeHints(false);
    EXPECT_EQ(tkx["FastUp"], "Range: 0" + point + "00...10" + point + "00\rDefault: 8" + point + "00");
    EXPECT_EQ(tkx["ISettingSolUpS"], "Range: 0...2000\rDefault: 200");
    EXPECT_EQ(tkx["OffsetSolUp"], "Range: 5" + point + "0...60" + point + "0\rDefault: 12" + point + "0");
    EXPECT_EQ(Editing(Family::Tkx).RangeHints(true)["OffsetSolUp"], "Range: 73...870\rDefault: 174");
    EXPECT_TRUE(Editing(Family::VfTkx).RangeHints(false)["NOpenValve"].startsWith("NOpenValve\rRange: "));
}

TEST_F(EditingTest, PressureTravelsBetweenBarAndPsi) {
    TTable& sets = m_installation.Database->TableTKX();
    for (const auto& [name, bar] : {std::pair{"A", 7.0}, {"B", 12.3}}) {
        sets.Insert();
        sets.SetFieldText("Name", name);
        sets.SetFieldFloat("OffsetSolUp", bar);
        sets.Post();
    }
    sets.FindName("B");
    TParameterEditing editing = Editing(Family::Tkx);
    editing.ConvertToPsi();
    EXPECT_EQ(sets.FieldAsText("Name"), "B"); // still the set the technician looked at
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("OffsetSolUpInPsi"), 178);
    sets.FindName("A");
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("OffsetSolUpInPsi"), 102);
    sets.Edit();
    sets.SetFieldFloat("OffsetSolUpInPsi", 145);
    sets.Post();
    editing.ConvertToBar();
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("OffsetSolUp"), 10.0);
}

} // namespace
