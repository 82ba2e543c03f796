#include "core/access/TPasswordLevel.h"

#include "core/base/Language.h"

#include <gtest/gtest.h>

namespace {

// The entry is read as a number the way the dialog always read it, so a technician's
// habit (blanks, a sign, a fraction, an exponent, text after the digits) keeps working.
TEST(TPasswordLevelTest, EntriesAreReadAsNumbersAndRoundedToTheirLevel) {
    const struct {
        const char* entry;
        int level;
    } cases[] = {
        {"2461", 2},     {"  2461", 2}, {"+2461", 2},  {"2461.4", 2}, {"2.461e3", 2},
        {"2461 abc", 2}, {"7305", 3},   {"5819", 4},   {"3947", 5},   {"2460.5", 1}, // to the even 2460
        {"2461.5", 1},   {"-2461", 1},  {"0x2461", 1}, {"", 1},       {"abc", 1},
        {"1e400", 1},    {"nan", 1},    {"24 61", 1},  {"02461", 2},  {"2461,0", 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TPasswordLevel::LevelFor(QString::fromLatin1(c.entry)), c.level) << '"' << c.entry << '"';
    }
}

TEST(TPasswordLevelTest, LevelsTwoAndThreeLastAndFourAndFiveOnlySwitchTheFactoryItems) {
    using Menu = TPasswordLevel::MenuState;
    const struct {
        const char* entry;
        int kept;
        Menu menu;
        const char* log;
        int logLevel;
    } cases[] = {
        {"2461", 2, Menu{}, "PWD SuperUser", 1},
        {"7305", 3, Menu{true, true, true, true}, "PWD Administrator", 1},
        {"5819", 1, Menu{false, false, true, false}, "PWD FactorySettings enabled", 4},
        {"3947", 1, Menu{false, false, true, true}, "PWD Edit FactorySettings enabled", 5},
        {"1234", 1, Menu{}, "PWD User", 1},
    };
    const TLanguage english;
    for (const auto& c : cases) {
        TPasswordLevel level;
        level.Enter(QStringLiteral("7305"), english); // a level from before
        const TPasswordLevel::Outcome outcome = level.Enter(QString::fromLatin1(c.entry), english);
        EXPECT_EQ(level.GetPasswordLevel(), c.kept) << c.entry;
        EXPECT_EQ(outcome.Menu, c.menu) << c.entry;
        EXPECT_EQ(outcome.LogText, QString::fromLatin1(c.log)) << c.entry;
        EXPECT_EQ(outcome.LogLevel, c.logLevel) << c.entry;
        EXPECT_FALSE(outcome.Message.isEmpty()) << c.entry;
    }
}

TEST(TPasswordLevelTest, OpeningTheDialogLowersTheLevelBeforeAnythingIsTyped) {
    TPasswordLevel level;
    EXPECT_EQ(level.GetPasswordLevel(), 1);
    level.Enter(QStringLiteral("7305"), TLanguage());
    ASSERT_EQ(level.GetPasswordLevel(), 3);
    level.Activate();
    EXPECT_EQ(level.GetPasswordLevel(), 1);
}

} // namespace
