#include "core/params/TSetCheck.h"

#include "core/base/Language.h"
#include "core/params/ParameterCatalogue.h"

#include "EnglishText.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using Kind = TValueProblem::Kind;

class SetCheckTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_installation.Configuration->DatabaseAvailable); }
    std::vector<TValueProblem> Check(Family family, const std::vector<TSetValue>& values, bool psi = false) {
        return CheckSetForWriting(*m_installation.Database, family, values, psi);
    }
    TestInstallation m_installation;
};

// StartSpeedUp: 0.00 .. 2.00 at factor 100; OffsetSolUp 5 .. 60 bar, its psi form 73 .. 870.
TEST_F(SetCheckTest, ValuesOutsideTheRangeAsTheControllerWouldReceiveThem) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double value;
        bool refused;
    } cases[] = {{0.30, false},
                 {0.0, false},
                 {2.0, false},
                 {2.004, false}, // rounds to 200: what is sent
                 {2.006, true},
                 {-0.01, true},
                 {99999999.0, true},
                 {1e300, true},
                 {-1e300, true},
                 {nan, true},
                 {std::numeric_limits<double>::infinity(), true}};
    for (const auto& c : cases) {
        const auto problems = Check(Family::Tkx, {{"StartSpeedUp", c.value, 4}});
        ASSERT_EQ(problems.size(), c.refused ? 1u : 0u) << c.value;
        if (c.refused) {
            EXPECT_EQ(problems[0].Problem, Kind::OutOfRange);
            EXPECT_EQ(problems[0].Field, "StartSpeedUp");
            EXPECT_DOUBLE_EQ(problems[0].Minimum, 0.0);
            EXPECT_DOUBLE_EQ(problems[0].Maximum, 2.0);
            EXPECT_EQ(problems[0].Line, 4);
        }
    }
}

TEST_F(SetCheckTest, EmptyDuplicatedAndUnknownFields) {
    const auto problems = Check(
        Family::VfTkx,
        {{"StartSpeedUp", 0.3, 3}, {"FastUp", std::nullopt, 4}, {"NotAField", 1e300, 5}, {"StartSpeedUp", 0.5, 6}});
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].Problem, Kind::Empty);
    EXPECT_EQ(problems[0].Field, "FastUp");
    EXPECT_EQ(problems[1].Problem, Kind::Duplicated);
    EXPECT_EQ(problems[1].Line, 6);
}

TEST_F(SetCheckTest, TheMinimumPressureCountsInTheUnitThatIsSent) {
    // Only the form that is sent counts: 70 psi is below the psi range, 4 bar below the bar range.
    const std::vector<TSetValue> values = {{"OffsetSolUp", 5.0}, {"OffsetSolUpInPsi", 70.0}};
    EXPECT_TRUE(Check(Family::Tkx, values, false).empty());
    const auto problems = Check(Family::Tkx, values, true);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].Field, "OffsetSolUpInPsi");
    EXPECT_TRUE(Check(Family::Tkx, {{"OffsetSolUp", 4.0}, {"OffsetSolUpInPsi", 174.0}}, true).empty());
    EXPECT_EQ(Check(Family::Tkx, {{"OffsetSolUp", 4.0}, {"OffsetSolUpInPsi", 174.0}}, false).size(), 1u);
}

TEST_F(SetCheckTest, TheMessageNamesFieldValueRangeAndLine) {
    m_installation.Configuration->SetLanguageIndex(Language::English);
    const auto problems = Check(Family::Tkx, {{"StartSpeedUp", 99999999.0, 7}, {"FastUp", std::nullopt}});
    EXPECT_EQ(DescribeValueProblems(problems, m_installation.Configuration->Language()),
              Text(307) +
                  "\r- Start speed UP (StartSpeedUp): 99999999.00  [0.00 .. 2.00] (line 7)"
                  "\r- " +
                  ParameterCaption("FastUp", 0, Language::English) + " (FastUp): " + Text(260) + "  [0.00 .. 10.00]");
}

TEST_F(SetCheckTest, TheCurrentRecordOfAFreshSetHasEmptyFields) {
    TTable& sets = m_installation.Database->SetTable(Family::Tkx);
    sets.Insert();
    sets.SetFieldFloat("StartSpeedUp", 5);
    const auto values = CurrentSetValues(*m_installation.Database, Family::Tkx);
    const auto problems = Check(Family::Tkx, values);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].Field, "StartSpeedUp");
    EXPECT_EQ(problems[0].Problem, Kind::OutOfRange);
    EXPECT_EQ(problems[1].Problem, Kind::Empty);
    sets.Cancel();
}

} // namespace
