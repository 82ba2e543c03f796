#include "core/base/Language.h"
#include "EnglishText.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const std::set<int> kEmptyEverywhere{285, 286, 320, 322, 326, 327, 328, 329, 330};

class LanguageTest : public ::testing::Test {};

TEST_F(LanguageTest, EveryRecordIsThereAndEveryEnglishTextIsTranslated) {
    for (int record = 0; record < Language::RecordCount; ++record) {
        const QString english = Text(record, Language::English);
        const bool gap = record >= Language::OriginalRecordCount && record < Language::FirstAddedRecord;
        if (gap) {
            EXPECT_TRUE(english.isEmpty()) << "record " << record;
            continue;
        }
        const bool empty = kEmptyEverywhere.count(record) > 0 || record == 220;
        EXPECT_EQ(english.isEmpty(), empty) << "record " << record;
        for (int column = 1; column <= 7; ++column) {
            const QString text = Text(record, column);
            if (empty) {
                continue;
            }
            EXPECT_FALSE(text.isEmpty()) << "record " << record << " column " << column;
            // Messages are joined at their "\r" breaks and menus need their accelerator.
            EXPECT_EQ(text.count(QLatin1Char('\r')), english.count(QLatin1Char('\r')))
                << "record " << record << " column " << column;
            EXPECT_EQ(text.count(QLatin1Char('&')), english.count(QLatin1Char('&')))
                << "record " << record << " column " << column;
            EXPECT_EQ(text.startsWith(QLatin1Char(' ')), english.startsWith(QLatin1Char(' '))) << "record " << record;
            EXPECT_EQ(text.endsWith(QLatin1Char(' ')), english.endsWith(QLatin1Char(' '))) << "record " << record;
        }
        EXPECT_EQ(Text(record, 8).isEmpty(), record < 213 || record > 219) << "record " << record;
    }
}

struct TellingRow {
    int record;
    std::array<const char*, 8> columns;
};

void PrintTo(const TellingRow& row, std::ostream* os) {
    *os << "record " << row.record;
}

class TellingRows : public ::testing::TestWithParam<TellingRow> {};

TEST_P(TellingRows, MatchInEveryColumn) {
    const TellingRow& row = GetParam();
    for (int column = 1; column <= 8; ++column) {
        EXPECT_EQ(Text(row.record, column), QString::fromUtf8(row.columns[column - 1]))
            << "record " << row.record << " column " << column;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Language, TellingRows,
    ::testing::Values(TellingRow{0,
                                 {"Deutsch", "German (Deutsch)", "Allemand (Deutsch)", "Tedesco (Deutsch)",
                                  "Alemán (Deutsch)", "NIemiecki", "德文", ""}},
                      TellingRow{1,
                                 {"Englisch (English)", "English", "Anglais (English)", "Inglese (English)",
                                  "Inglés (English)", "Angielski", "英文", ""}},
                      // The old single-byte Polish column stored "J?zyk"; the letter is real here.
                      TellingRow{4, {"Sprache", "Language", "Langue", "Lingua", "Idioma", "Język", "語言", ""}},
                      TellingRow{317,
                                 {"Englisch (US amerik. Einheiten", "English (US imperial units)",
                                  "Anglais (US imperial units)", "Inglese (US imperial units)",
                                  "Inglés (US imperial units", "Angielski (US imperial units)", "English (英制單位)",
                                  ""}},
                      TellingRow{213,
                                 {"FALDMARK AG", "FALDMARK AG", "FALDMARK AG", "FALDMARK AG", "FALDMARK AG",
                                  "FALDMARK AG", "FALDMARK AG", "FALDMARK AG"}}),
    [](const ::testing::TestParamInfo<TellingRow>& info) { return "Record" + std::to_string(info.param.record); });

TEST_F(LanguageTest, EnglishTextsAreExactlyAsTheProgramNeedsThem) {
    EXPECT_EQ(Text(191, 2), "Directory: ");
    EXPECT_EQ(Text(310, 2), " not found!\rShould it be created?");
    EXPECT_EQ(Text(193, 2), "Current File is not empty!\r\rOverwrite this File ?");
    EXPECT_EQ(Text(16, 2), QString::fromUtf8("Chinese (中文)"));
    EXPECT_EQ(Text(306, 2), "Polish ()");
    EXPECT_EQ(Text(288, 2), QString::fromUtf8("Spanish (Espagñol)"));
    EXPECT_EQ(Text(220, 2), "");
    EXPECT_FALSE(Text(220, 1).isEmpty());
}

TEST_F(LanguageTest, PolishUsesItsOwnLetters) {
    for (int record = 0; record < Language::RecordCount; ++record) {
        if (!Text(record, 2).contains(QLatin1Char('?'))) {
            EXPECT_FALSE(Text(record, 6).contains(QLatin1Char('?'))) << "record " << record;
        }
    }
}

TEST_F(LanguageTest, TextFollowsTheChosenLanguageAndFallsBackToEnglish) {
    TLanguage language;
    EXPECT_EQ(language.Text(4), "Language");
    language.Choose(3);
    EXPECT_EQ(language.Text(4), "Langue");
    for (int index : {0, 9, 55, -1}) {
        language.SetIndex(index);
        EXPECT_EQ(language.Text(4), "Language") << "index " << index;
    }
    language.SetIndex(8);
    EXPECT_EQ(language.Text(166), "");
    EXPECT_EQ(language.Text(213), "FALDMARK AG");
    EXPECT_EQ(language.Text(-1), "");
    EXPECT_EQ(language.Text(331), "");
}

TEST_F(LanguageTest, UsUnitsAndChineseAreReadFromTheChoice) {
    TLanguage language;
    language.Choose(Language::UsImperialValue);
    EXPECT_EQ(language.Index(), Language::English);
    EXPECT_TRUE(language.UsImperial());
    EXPECT_FALSE(language.IsChinese());
    language.Choose(Language::Chinese);
    EXPECT_FALSE(language.UsImperial());
    EXPECT_TRUE(language.IsChinese());
    EXPECT_EQ(language.Text(4), QString::fromUtf8("語言"));
}

TEST_F(LanguageTest, SlotZeroIsTheRightAlignedNumber) {
    EXPECT_EQ(RecordSlot(0, 0), " 0");
    EXPECT_EQ(RecordSlot(42, 0), " 42");
    EXPECT_EQ(RecordSlot(330, 0), "330");
    EXPECT_EQ(RecordSlot(166, 1), Text(166, 1));
}

} // namespace
