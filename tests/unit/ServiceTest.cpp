#include "core/service/TSpecialTest.h"
#include "core/service/TZeroPointMeter.h"

#include "ControllerLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

const QString kTemplates = QStringLiteral(TORVEX_BIN_DIR "/DataBase");

TEST(ZeroPointReadOut, RepliesBecomeVoltsOrNothing) {
    const struct {
        QString reply;
        std::optional<QString> shown;
    } cases[] = {
        {"-12345", "-12.345 V"},  {"+00250", "+ 0.250 V"}, {"+01234", "+ 1.234 V"}, {"+10000", "+10.000 V"},
        {"+012345", "+ 1.234 V"}, // only the first six characters count
        {"5", std::nullopt},      {"", std::nullopt},      {"+0025", std::nullopt}, {"+A1234", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TZeroPointMeter::FormatReading(c.reply), c.shown) << c.reply.toStdString();
    }
    EXPECT_EQ(TZeroPointMeter::WaitingFontSize(5), 22);
    EXPECT_EQ(TZeroPointMeter::WaitingFontSize(2), 30);
}

class ZeroPointTest : public ::testing::Test, public ControllerAccessFixture {
protected:
    TZeroPointMeter m_meter{*Access};
};

TEST_F(ZeroPointTest, TheVersionChoosesTheValueCommand) {
    const struct {
        QByteArray versionReply;
        QByteArray command;
        QString title;
    } cases[] = {
        {"0002090\r\n", "i", "Zero-Point (Software version: 2.090)"},
        {"0002091\r\n", "j", "Zero-Point (Software version: 2.091)"},
        {"", "i", "Zero-Point (Software version: 2.050)"},          // silent: the default version
        {"2.107\r\n", "i", "Zero-Point (Software version: 0.000)"}, // not all digits: version 0
    };
    for (const auto& c : cases) {
        Line->Commands.clear();
        Line->Replies = {{"s\r", {c.versionReply}}, {c.command, {"+01234\r\n"}}};
        m_meter.Start(Port());
        EXPECT_EQ(m_meter.Title(), "Zero-Point");
        const auto reading = m_meter.Tick();
        EXPECT_EQ(m_meter.Title(), c.title);
        EXPECT_EQ(reading.Text, "+ 1.234 V");
        EXPECT_EQ(reading.FontSize, 48);
        m_meter.Tick();
        // The session is reopened after the version query; the value command has no line end.
        EXPECT_EQ(Line->Commands, QByteArrayList({"P", "s\r", "Q", "P", c.command, c.command}))
            << c.versionReply.constData();
        m_meter.Close();
        EXPECT_EQ(Line->Commands.last(), "Q");
    }
}

TEST_F(ZeroPointTest, AFailedReadingSaysSoAndWaitsLonger) {
    Line->Replies = {{"s\r", {"0002107"}}, {"j", {"7\r\n", "= +00250 \r\n", "+A1234", ""}}};
    m_meter.Start(Port());
    const struct {
        QString text;
        int fontSize;
    } expected[] = {{"Error measurement", 24}, {"+ 0.250 V", 48}, {"Error measurement", 24}, {"Error measurement", 24}};
    for (const auto& e : expected) {
        Time.Pauses.clear();
        const auto reading = m_meter.Tick();
        EXPECT_EQ(reading.Text, e.text);
        EXPECT_EQ(reading.FontSize, e.fontSize);
        EXPECT_EQ(std::count(Time.Pauses.begin(), Time.Pauses.end(), 200), reading.Valid ? 0 : 1);
    }
}

// The controller switched off at the version query, at the reopened session or between two
// readings: the transfer error is told once and the meter stops.
TEST_F(ZeroPointTest, ALineThatDiesStopsTheReadingsWithATransferError) {
    TSimulatedController controller({Family::Tkx, 2107, "", kTemplates, 0});
    Line->Controller = &controller;
    // A healthy showing carries P, s, Q, P, then one j per reading.
    for (const qsizetype lives : {1, 2, 4, 5, 6}) {
        Ui.Messages.clear();
        Line->Commands.clear();
        Line->DiesAfter = lives;
        m_meter.Start(Port());
        TZeroPointMeter::Reading reading;
        for (int i = 0; i < 4 && m_meter.IsOpen(); ++i) {
            reading = m_meter.Tick();
        }
        EXPECT_FALSE(m_meter.IsOpen()) << lives;
        EXPECT_FALSE(reading.Valid) << lives;
        EXPECT_EQ(reading.Text, "Error measurement");
        EXPECT_EQ(Ui.Texts(), QStringList{"Transfer error"}) << lives;
        EXPECT_EQ(Line->Count("j"), std::max<qsizetype>(0, lives - 4)) << lives;
    }
}

TEST_F(ZeroPointTest, EveryShowingReadsTheVersionAgainAndAClosedMeterSendsNothing) {
    TSimulatedController controller({Family::Tkx, 2107, "", kTemplates, 0});
    Line->Controller = &controller;
    m_meter.Start(Port());
    EXPECT_TRUE(m_meter.Tick().Valid);
    m_meter.Close();
    EXPECT_FALSE(m_meter.IsOpen());
    const auto sent = Line->Commands.size();
    EXPECT_EQ(m_meter.Tick().Text, "Error measurement");
    EXPECT_EQ(Line->Commands.size(), sent);

    m_meter.Start(Port());
    m_meter.Tick();
    EXPECT_EQ(Line->Count("s\r"), 2);
    m_meter.Close(); // before the controller goes
}

TEST(SpecialTestBrowsing, NextAndPrevWrapWithinTheList) {
    std::set<int> numbers;
    for (int n = 1; n <= 80; ++n) {
        numbers.insert(n);
    }
    int lookups = 0;
    const TSpecialTest::Lookup lookup = [&](quint16 number) {
        ++lookups;
        TTorvexParameter p;
        if (numbers.count(number) != 0) {
            p.Name = QStringLiteral("P%1").arg(number);
            p.Value = number * 10;
        }
        return p;
    };
    const struct {
        bool next;
        int from;
        int shown;
    } cases[] = {
        {true, 0, 1},                                       // First, and Next from an empty field
        {true, 40, 41},    {true, 80, 1},                   // past the end: 81 .. 2081, then from 1
        {false, 2000, 80},                                  // Last
        {false, 41, 40},   {false, 2, 1}, {true, 65535, 1}, // numbers are 16 bits wide
    };
    for (const auto& c : cases) {
        const auto result = c.next ? TSpecialTest::Next(c.from, lookup) : TSpecialTest::Prev(c.from, lookup);
        EXPECT_TRUE(result.Found) << c.from;
        EXPECT_EQ(result.Number, c.shown) << c.from;
        EXPECT_EQ(result.Parameter.Value, c.shown * 10);
    }
    lookups = 0;
    TSpecialTest::Next(80, lookup);
    EXPECT_EQ(lookups, 2001 + 1);

    // Nothing below the first number: Prev stops at 0 with nothing found.
    numbers = {50};
    const auto low = TSpecialTest::Prev(10, lookup);
    EXPECT_FALSE(low.Found);
    EXPECT_EQ(low.Number, 0);

    // An empty list (a controller that did not answer the dump): one full turn, then nothing.
    numbers.clear();
    lookups = 0;
    const auto none = TSpecialTest::Next(0, lookup);
    EXPECT_FALSE(none.Found);
    EXPECT_TRUE(none.Parameter.Name.isEmpty());
    EXPECT_LE(lookups, 2 * 2001);
}

class SpecialTestTest : public ::testing::Test, public ControllerAccessFixture {
protected:
    TSpecialTest m_test{*Access};
};

TEST_F(SpecialTestTest, OutputsSwitchWithTheirCommands) {
    TSimulatedController controller({Family::Tkx, 2107, "", kTemplates, 0});
    Line->Controller = &controller;
    EXPECT_EQ(m_test.Connect(Port()), "TKX");
    EXPECT_EQ(Line->Commands, QByteArrayList({"P", "p", "T\r"}));
    EXPECT_EQ(Time.Pauses.back(), 500);

    const struct {
        TSpecialTest::Output output;
        const char* on;
        const char* off;
        const char* name;
    } cases[] = {
        {TSpecialTest::Output::Up, "LS\r", "lS\r", "Up"},     {TSpecialTest::Output::Down, "LT\r", "lT\r", "Down"},
        {TSpecialTest::Output::Run, "LR\r", "lR\r", "Run"},   {TSpecialTest::Output::Error, "LF\r", "lF\r", "Error"},
        {TSpecialTest::Output::Siu1, "L1\r", "l1\r", "SIU1"}, {TSpecialTest::Output::Relay, "LY\r", "lY\r", "Relay"},
    };
    for (const auto& c : cases) {
        m_test.Switch(c.output, true);
        EXPECT_EQ(Line->Commands.last(), c.on);
        EXPECT_TRUE(controller.Output(c.name));
        m_test.Switch(c.output, false);
        EXPECT_EQ(Line->Commands.last(), c.off);
        EXPECT_FALSE(controller.Output(c.name));
    }
    m_test.Segments(true);
    EXPECT_TRUE(controller.Output("Segments"));
    m_test.Segments(false);
    EXPECT_EQ(Line->Commands.last(), "z\r");

    Time.Pauses.clear();
    m_test.FlashRunLed(false);
    EXPECT_EQ(Line->Commands.mid(Line->Commands.size() - 2), QByteArrayList({"LR\r", "lR\r"}));
    EXPECT_TRUE(std::count(Time.Pauses.begin(), Time.Pauses.end(), 500) == 1);
    m_test.FlashRunLed(true);
    EXPECT_EQ(Line->Commands.mid(Line->Commands.size() - 2), QByteArrayList({"lR\r", "LR\r"}));

    EXPECT_TRUE(m_test.Ask(TSpecialTest::Question::ValveType).value_or(QString()).startsWith("Valve "));
    EXPECT_EQ(m_test.Ask(TSpecialTest::Question::ActualValue), "Actual 0412");
    m_test.Disconnect();
    EXPECT_EQ(Line->Commands.last(), "Q");
    EXPECT_FALSE(m_test.Connected());
}

TEST_F(SpecialTestTest, AChangeIsWrittenUncheckedAndKeptInTheList) {
    // As the controller lists them: from number 0, with a gap.
    Line->Replies = {{"p",
                      {"0\t3\t\tValve type\r\n1\t100\tmm/s\tStart speed\r\n2\t5\t\tOffset\r\n"
                       "7\t9\t\tGain\r\n"}},
                     {"T\r", {"VF-TKX\r\n"}}};
    EXPECT_EQ(m_test.Connect(Port()), "VF-TKX");
    EXPECT_EQ(m_test.Find(2).Name, "Offset");
    EXPECT_TRUE(m_test.Find(4).Name.isEmpty());

    EXPECT_TRUE(m_test.Change(2, 77, "77"));
    EXPECT_EQ(Line->Commands.last(), "E:002:00077\r");
    EXPECT_EQ(m_test.Find(2).Value, 77);
    EXPECT_EQ(m_test.Find(1).Value, 100); // its neighbour in the list keeps its value
    EXPECT_TRUE(m_test.Change(7, 8, "8"));
    EXPECT_EQ(m_test.Find(7).Value, 8);
    EXPECT_TRUE(m_test.Change(4, 1, "1")); // not in the list: written all the same
    EXPECT_EQ(Line->Commands.last(), "E:004:00001\r");
    EXPECT_EQ(m_test.Find(0).Value, 3);
    m_test.Change(1, -1, "-1"); // no range check at all
    EXPECT_EQ(Line->Commands.last(), "E:001:4294967295\r");
    EXPECT_TRUE(Ui.Messages.empty());
}

// The controller switched off before the command: the user is told the transfer error once, the
// session ends (the window then shows itself disconnected), and no empty reply passes for an answer.
TEST_F(SpecialTestTest, ALineThatDiesEndsTheSessionWithATransferError) {
    TSimulatedController controller({Family::Tkx, 2107, "", kTemplates, 0});
    Line->Controller = &controller;
    const struct {
        const char* name;
        std::function<bool()> run;
    } commands[] = {
        {"switch", [&] { return m_test.Switch(TSpecialTest::Output::Relay, true); }},
        {"segments", [&] { return m_test.Segments(true); }},
        {"ask", [&] { return m_test.Ask(TSpecialTest::Question::ValveType).has_value(); }},
        {"flash", [&] { return m_test.FlashRunLed(false); }},
        {"change", [&] { return m_test.Change(12, 45, "45"); }},
    };
    for (const auto& command : commands) {
        Ui.Messages.clear();
        ASSERT_TRUE(m_test.Connect(Port()).has_value());
        Line->DiesAfter = Line->Commands.size();
        EXPECT_FALSE(command.run()) << command.name;
        EXPECT_EQ(Ui.Texts(), QStringList{"Transfer error"}) << command.name;
        EXPECT_FALSE(m_test.Connected()) << command.name;
        Line->DiesAfter = -1;
    }

    // The flash dies half-way, after its first command.
    Ui.Messages.clear();
    ASSERT_TRUE(m_test.Connect(Port()).has_value());
    Line->DiesAfter = Line->Commands.size() + 1;
    EXPECT_FALSE(m_test.FlashRunLed(false));
    EXPECT_EQ(Line->Commands.last(), "LR\r");
    EXPECT_EQ(Ui.Texts(), QStringList{"Transfer error"});

    // Dead before the parameter list, or before the type query: no connection.
    for (const qsizetype lives : {0, 1, 2}) {
        Ui.Messages.clear();
        Line->Commands.clear();
        Line->DiesAfter = lives;
        EXPECT_FALSE(m_test.Connect(Port()).has_value()) << lives;
        EXPECT_FALSE(m_test.Connected());
        EXPECT_EQ(Ui.Texts(), QStringList{"Transfer error"}) << lives;
    }
}

TEST_F(SpecialTestTest, ASilentControllerLeavesAnEmptyList) {
    EXPECT_EQ(m_test.Connect(Port()), "");
    EXPECT_TRUE(m_test.Connected());
    EXPECT_FALSE(m_test.Next(0).Found);
}

} // namespace
