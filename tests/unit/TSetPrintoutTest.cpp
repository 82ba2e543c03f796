#include "core/params/TSetPrintout.h"
#include "core/params/TServiceReport.h"

#include "core/base/Language.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TTable.h"

#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A4 at 600 dpi: 42 micrometres per pixel both ways.
const TPageGeometry kPage = TPageGeometry::ForPage(4960, 7015);

TPrintSettings English() {
    TPrintSettings settings;
    settings.LanguageIndex = 2;
    settings.StoredLanguageValue = 2;
    settings.PrintedAt = QStringLiteral("01/02/2026 10:11:12");
    return settings;
}

// The texts of one page by their line (y) and x, so a test reads a page as a grid.
std::map<int, std::map<int, QString>> Grid(const TPageSheet& page) {
    std::map<int, std::map<int, QString>> grid;
    for (const TPageText& text : page.Texts) {
        grid[text.Y][text.X] = text.Text;
    }
    return grid;
}

// The labels printed at the left margin below the header, in page order.
QStringList ParameterLabels(const TPageSheet& page) {
    QStringList labels;
    for (const auto& [y, row] : Grid(page)) {
        const auto value = row.find(kPage.X0 + 4 * kPage.C);
        if (y > kPage.LineY(1) && value != row.end()) {
            labels << row.at(kPage.X0);
        }
    }
    return labels;
}

bool HasFooter(const TPageSheet& page) {
    const int y = kPage.H - 2 * kPage.R;
    for (const TPageText& text : page.Texts) {
        if (text.Y == y && text.X == kPage.X0 && text.Text.endsWith(QStringLiteral("Printed: 01/02/2026 10:11:12"))) {
            return !page.Lines.empty() && page.Lines.back().Y1 == kPage.H - 3 * kPage.R;
        }
    }
    return false;
}

TPrintSet SetOf(Family family, std::vector<TPrintParameter> parameters) {
    TPrintSet set;
    set.Family = family;
    set.Name = QStringLiteral("Lift 7");
    set.Parameters = std::move(parameters);
    return set;
}

} // namespace

TEST(SetPrintoutTest, PageQuantitiesFollowTheA4Scales) {
    EXPECT_EQ(kPage.Mx, 42);
    EXPECT_EQ(kPage.My, 42);
    EXPECT_EQ(kPage.R, 4000 / 42);
    EXPECT_EQ(kPage.X0, 20000 / 42);
    EXPECT_EQ(kPage.Right(), 4960 - 10000 / 42);
    EXPECT_EQ(kPage.Y0, 15000 / 42);
    EXPECT_EQ(kPage.C, 4960 / 15);
    const TPageGeometry unknown = TPageGeometry::ForPage(0, 0);
    EXPECT_EQ(unknown.Mx, 40);
    EXPECT_EQ(unknown.My, 45);
}

TEST(SetPrintoutTest, SlotsFollowTheEepromAddressWhateverTheMetadataOrder) {
    // Metadata order deliberately reversed; a later row of an address takes the slot. Address 200
    // has no slot and AccelUp lost its own: both are printed after the slots, never dropped.
    const TPrintSet set = SetOf(Family::Tkx, {{"FastUp", 30, 9.5},
                                              {"AccelUp", 12, 1.25},
                                              {"ValveType", 200, 3},
                                              {"StartSpeedUp", 2, 0.5},
                                              {"SlowUp", 12, 0.75}});
    const TPageDocument document = TSetPrintout::Layout(set, kPage, English());
    ASSERT_EQ(document.Pages.size(), 2u);
    const TPageSheet& first = document.Pages[0];
    EXPECT_EQ(ParameterLabels(first),
              QStringList({"Start speed UP", "Slow UP", "Fast UP", "Valve type", "Acceleration UP"}));

    auto grid = Grid(first);
    auto& firstLine = grid[kPage.LineY(3)];
    EXPECT_EQ(firstLine[kPage.X0 + 4 * kPage.C], "0.5");
    EXPECT_EQ(firstLine[kPage.X0 + 5 * kPage.C], "V");
    EXPECT_EQ(grid[kPage.LineY(4)][kPage.X0 + 4 * kPage.C], "0.75");
    EXPECT_EQ(grid[kPage.LineY(5)][kPage.X0 + 5 * kPage.C], "V");

    // Header: company lines above the top margin, the logo ending at both margins, the set's name.
    EXPECT_EQ(grid[kPage.Y0 - 2 * kPage.R][kPage.X0], "FALDMARK AG   CH-5600 Lenzburg");
    EXPECT_EQ(grid[kPage.Y0 - kPage.R][kPage.X0], "Tel. +41 62 555 01 40   Fax +41 62 555 01 41");
    EXPECT_EQ(grid[kPage.LineY(1)][kPage.X0], "Record name: ");
    EXPECT_EQ(grid[kPage.LineY(1)][kPage.X0 + 4 * kPage.C], "Lift 7");
    EXPECT_EQ(first.Logo, QRect(kPage.Right() - 22500 / 42, kPage.Y0 - 10000 / 42, 22500 / 42, 10000 / 42));
    EXPECT_TRUE(document.Pages[1].Logo.isEmpty());
    for (const TPageSheet& page : document.Pages) {
        EXPECT_TRUE(HasFooter(page));
    }
}

TEST(SetPrintoutTest, SixtyThreeLinesContinueOnAPageWithFooterButNoHeader) {
    for (const int count : {62, 63, 70}) {
        std::vector<TPrintParameter> parameters;
        for (int address = 0; address < count; ++address) {
            parameters.push_back({QStringLiteral("Unknown%1").arg(address), address, double(address)});
        }
        const TPageDocument document = TSetPrintout::Layout(SetOf(Family::Tkx, parameters), kPage, English());
        const bool spills = count > 62;
        ASSERT_EQ(document.Pages.size(), spills ? 3u : 2u) << count;
        EXPECT_EQ(ParameterLabels(document.Pages[0]).size(), 62);
        for (const TPageSheet& page : document.Pages) {
            EXPECT_TRUE(HasFooter(page)) << count;
        }
        if (spills) {
            const TPageSheet& second = document.Pages[1];
            EXPECT_EQ(ParameterLabels(second).size(), count - 62);
            // The second page carries on at line 2, without the company lines.
            EXPECT_EQ(Grid(second).begin()->first, kPage.LineY(2));
            EXPECT_TRUE(second.Logo.isEmpty());
        }
        // The description always opens a page of its own, two lines down.
        auto memoPage = Grid(document.Pages.back());
        EXPECT_EQ(memoPage[kPage.LineY(4)][kPage.X0], "Description:") << count;
    }
}

TEST(SetPrintoutTest, DescriptionWrapsAtTheFirstBlankAfterEightyCharacters) {
    const QString word = QStringLiteral("abcdefghi "); // ten characters with the blank
    const QString twoHundred = word.repeated(20);
    const QStringList lines = TSetPrintout::DescriptionLines(twoHundred);
    ASSERT_EQ(lines.size(), 3);
    // Each wrapped line ends where its blank was; only that blank is gone.
    EXPECT_EQ(lines[0].size(), 89);
    EXPECT_EQ(lines[1].size(), 89);
    EXPECT_EQ(lines.join(QLatin1Char(' ')), twoHundred);

    struct Case {
        QString Text;
        QStringList Lines;
    };
    const QString x80 = QString(80, QLatin1Char('x'));
    const QString cjk = QString(45, QChar(0x8A2D)); // 45 wide characters = 90 columns
    const Case cases[] = {
        // Without any blank nothing may run off the page: cut at 80.
        {QString(200, QLatin1Char('y')), {QString(80, 'y'), QString(80, 'y'), QString(40, 'y')}},
        // A blank soon after the 80th character still ends the line there.
        {x80 + "abc def", {x80 + "abc", "def"}},
        {"one\r\ntwo\rthree\nfour", {"one", "two", "three", "four"}},
        {"\r\nafter a blank line", {"", "after a blank line"}},
        {cjk, {QString(40, QChar(0x8A2D)), QString(5, QChar(0x8A2D))}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TSetPrintout::DescriptionLines(c.Text), c.Lines) << c.Text.toStdString();
    }
}

TEST(SetPrintoutTest, MemosPrintTheirLastLineAndPutErrorTextsTwoColumnsOn) {
    TPrintSet set = SetOf(Family::Tkx, {{"FastUp", 3, 9}});
    set.Description = QStringLiteral("Checked after repair\r\nno end");
    set.InfoMemo = QStringLiteral("Software version:\t2.107\t\rSerial number:\t000012345\t");
    set.ErrorMemo = QStringLiteral("Overcurrent:\t12 h \tsolenoid\rTemp: 9 h\rNote: x:y");
    const TPageDocument document = TSetPrintout::Layout(set, kPage, English());
    auto grid = Grid(document.Pages.back());
    const int x0 = kPage.X0;
    const int twoColumns = kPage.X0 + 2 * kPage.C;
    // Line 4 "Description:", 5 and 6 its lines; the open last line is not followed by a line.
    EXPECT_EQ(grid[kPage.LineY(5)][x0], "Checked after repair");
    EXPECT_EQ(grid[kPage.LineY(6)][x0], "no end");
    EXPECT_EQ(grid[kPage.LineY(8)][x0], "Information:");
    EXPECT_EQ(grid[kPage.LineY(9)][x0], "Software version:  2.107  ");
    EXPECT_EQ(grid[kPage.LineY(10)][x0], "Serial number:  000012345  ");
    EXPECT_EQ(grid[kPage.LineY(12)][x0], "Error list:");
    EXPECT_EQ(grid[kPage.LineY(13)][x0], "Overcurrent : ");
    EXPECT_EQ(grid[kPage.LineY(13)][twoColumns], " 12 h  solenoid");
    // A colon with a blank and a digit behind it splits as well; any other colon stays in the text.
    EXPECT_EQ(grid[kPage.LineY(14)][x0], "Temp : ");
    EXPECT_EQ(grid[kPage.LineY(14)][twoColumns], " 9 h");
    EXPECT_EQ(grid[kPage.LineY(15)][x0], "Note :  x : y");
}

TEST(SetPrintoutTest, PressureLineDependsOnFamilyAndLanguage) {
    struct Case {
        ::Family Family;
        int Stored;
        QString Value;
        QString Unit;
    };
    // The psi shadow shares the bar value's address and comes after it.
    const Case cases[] = {{Family::Tkx, 2, "3.5", "bar"},
                          {Family::Tkx, 1, "3,5", "bar"},
                          {Family::Tkx, 102, "51", "psi"},
                          {Family::VfTkx, 1, "51", "psi"}};
    for (const Case& c : cases) {
        TPrintSettings settings = English();
        settings.StoredLanguageValue = c.Stored;
        settings.LanguageIndex = Language::IndexForValue(c.Stored);
        settings.DecimalPoint = c.Stored == 1 ? QLatin1Char(',') : QLatin1Char('.');
        const TPrintSet set = SetOf(c.Family, {{"OffsetSolUp", 1, 3.5}, {"OffsetSolUpInPsi", 1, 51}});
        auto grid = Grid(TSetPrintout::Layout(set, kPage, settings).Pages[0]);
        EXPECT_EQ(grid[kPage.LineY(3)][kPage.X0 + 4 * kPage.C], c.Value)
            << static_cast<int>(c.Family) << "/" << c.Stored;
        EXPECT_EQ(grid[kPage.LineY(3)][kPage.X0 + 5 * kPage.C], c.Unit)
            << static_cast<int>(c.Family) << "/" << c.Stored;
        EXPECT_EQ(grid.count(kPage.LineY(4)), 0u);
    }
}

TEST(SetPrintoutTest, SetNameStartsOneColumnFurtherAfterEnglish) {
    for (int language = 1; language <= 8; ++language) {
        TPrintSettings settings = English();
        settings.LanguageIndex = language;
        const TPageDocument document = TSetPrintout::Layout(SetOf(Family::VfTkx, {}), kPage, settings);
        const int columns = language >= 3 && language <= 7 ? 5 : 4;
        EXPECT_EQ(Grid(document.Pages[0])[kPage.LineY(1)][kPage.X0 + columns * kPage.C], "Lift 7") << language;
        // The VF-TKX logo is twice as wide.
        EXPECT_EQ(document.Pages[0].Logo.width(), 45000 / 42);
    }
}

TEST(SetPrintoutTest, ValuesPrintExactlyAsStored) {
    const std::pair<double, const char*> cases[] = {{12.3, "12,3"}, {100000, "100000"},  {0.1, "0,1"},
                                                    {-2.5, "-2,5"}, {1e-7, "0,0000001"}, {3, "3"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(TSetPrintout::ValueText(value, QLatin1Char(',')), QString::fromLatin1(text));
    }
}

class StoredSetPrintoutTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_installation.Configuration->DatabaseAvailable); }
    TParameterDatabase& Database() { return *m_installation.Database; }
    // A set at the metadata defaults, except for the given values.
    void AddDefaultSet(Family family, const std::map<QString, double>& changes) {
        TTable& metadata = Database().TableParameterDBSettings();
        TTable& sets = Database().SetTable(family);
        sets.Insert();
        sets.SetFieldText("Name", "Default set");
        sets.SetFieldText("InfoMemo", "Software version:\t2.142\t\rHardware version:\t1.000\t\r"
                                      "Serial number:\t000054321\t\r");
        sets.SetFieldText("ErrorMemo", "Overcurrent:\t3 h \t\r");
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            if (metadata.FieldAsText("ControllerType") == (family == Family::VfTkx ? "ITKX" : "TKX")) {
                const QString field = metadata.FieldAsText("FieldName");
                const auto change = changes.find(field);
                sets.SetFieldFloat(field, change != changes.end() ? change->second : metadata.FieldAsFloat("Default"));
            }
        }
        sets.Post();
    }
    TestInstallation m_installation;
};

TEST_F(StoredSetPrintoutTest, ReadsTheFamilysRowsEvenWithoutARestriction) {
    AddDefaultSet(Family::VfTkx, {{"FastUp", 7.25}});
    std::vector<int> positions;
    const TPrintSet set =
        TSetPrintout::ReadCurrentSet(Database().TableParameterDBSettings(), Database().SetTable(Family::VfTkx),
                                     Family::VfTkx, [&](int p) { positions.push_back(p); });
    TTable& metadata = Database().TableParameterDBSettings();
    int rows = 0;
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        rows += metadata.FieldAsText("ControllerType") == "ITKX" ? 1 : 0;
    }
    EXPECT_EQ(set.Name, "Default set");
    EXPECT_EQ(set.Parameters.size(), static_cast<std::size_t>(rows));
    EXPECT_EQ(positions.front(), 5);
    EXPECT_EQ(positions.back(), static_cast<int>(5 + rows * 20.0 / 13.0));
    const auto fast = std::find_if(set.Parameters.begin(), set.Parameters.end(),
                                   [](const TPrintParameter& p) { return p.Field == "FastUp"; });
    ASSERT_NE(fast, set.Parameters.end());
    EXPECT_EQ(fast->Value, 7.25);
}

TEST_F(StoredSetPrintoutTest, ServiceReportListsWhatDiffersFromTheDefaults) {
    AddDefaultSet(Family::Tkx, {{"SlowUp", 0.35}, {"AccelUp", 0.9}});
    const TServiceReportData report = TServiceReport::Collect(Database().TableParameterDBSettings(),
                                                              Database().SetTable(Family::Tkx), Family::Tkx, 2);
    EXPECT_EQ(report.SerialNumber, "000054321");
    EXPECT_EQ(report.SoftwareVersion, "2.142");
    ASSERT_EQ(report.Differences.size(), 2u);
    EXPECT_LT(report.Differences[0].Address, report.Differences[1].Address);

    const TPageDocument document = TServiceReport::Layout(report, kPage, English(), "01/02/2026");
    ASSERT_EQ(document.Pages.size(), 1u);
    QStringList texts;
    for (const TPageText& text : document.Pages[0].Texts) {
        texts << text.Text;
    }
    for (const char* expected : {"Service report", "TKX", "000054321", "2.142", "Default set", "01/02/2026", "Slow UP",
                                 "0.35", "Acceleration UP", "0.9", "Overcurrent : ", "Error list:"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
    }
    EXPECT_TRUE(HasFooter(document.Pages[0]));
}

TEST_F(StoredSetPrintoutTest, ServiceReportOfADefaultSetSaysNone) {
    AddDefaultSet(Family::VfTkx, {});
    const TServiceReportData report = TServiceReport::Collect(Database().TableParameterDBSettings(),
                                                              Database().SetTable(Family::VfTkx), Family::VfTkx, 102);
    EXPECT_TRUE(report.Differences.empty());
    TPrintSettings chinese = English();
    chinese.LanguageIndex = 7;
    const TPageDocument document = TServiceReport::Layout(report, kPage, chinese, "2026/2/1");
    QStringList texts;
    for (const TPageText& text : document.Pages[0].Texts) {
        texts << text.Text;
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("服務報告")));
    EXPECT_TRUE(texts.contains(QStringLiteral("無")));
    EXPECT_TRUE(texts.contains(QStringLiteral("VF-TKX")));
}
