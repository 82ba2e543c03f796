#include "core/link/TCommParameter.h"
#include "core/link/SerialPort.h"

#include <gtest/gtest.h>

namespace {

TEST(TCommParameter, StartsWithTheLineDefaults) {
    TCommParameter port("/dev/ttyUSB0");
    EXPECT_EQ(port.Name, "/dev/ttyUSB0");
    EXPECT_EQ(port.BaudAsText(), "19200");
    EXPECT_EQ(port.DataBitsAsText(), "8");
    EXPECT_EQ(port.ParityAsText(), "None");
    EXPECT_EQ(port.StopBitsAsText(), "1");
    EXPECT_FALSE(port.InUse);
}

struct Conversion {
    const char* field;
    const char* text;
    const char* expected; // the field as text afterwards
};

void PrintTo(const Conversion& c, std::ostream* os) {
    *os << c.field << " from '" << c.text << "'";
}

class TextConversions : public ::testing::TestWithParam<Conversion> {};

TEST_P(TextConversions, SetFromTextOrLeaveUnchanged) {
    const Conversion& c = GetParam();
    TCommParameter port("p");
    const QString field = QString::fromLatin1(c.field);
    const QString text = QString::fromLatin1(c.text);
    QString result;
    if (field == "baud") {
        port.SetBaudFromText(text);
        result = port.BaudAsText();
    } else if (field == "data") {
        port.SetDataBitsFromText(text);
        result = port.DataBitsAsText();
    } else if (field == "parity") {
        port.SetParityFromText(text);
        result = port.ParityAsText();
    } else {
        port.SetStopBitsFromText(text);
        result = port.StopBitsAsText();
    }
    EXPECT_EQ(result, QString::fromLatin1(c.expected)) << c.field << " from '" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(TCommParameter, TextConversions,
                         ::testing::Values(Conversion{"baud", "9600", "9600"}, Conversion{"baud", "1200", "1200"},
                                           Conversion{"baud", "fast", "19200"}, Conversion{"baud", "", "19200"},
                                           Conversion{"data", "7", "7"}, Conversion{"data", "7.5", "8"},
                                           Conversion{"parity", "even", "Even"}, Conversion{"parity", "SPACE", "Space"},
                                           Conversion{"parity", "Odd", "Odd"}, Conversion{"parity", "evenly", "None"},
                                           Conversion{"parity", "", "None"}, Conversion{"stop", "2", "2"},
                                           Conversion{"stop", "1", "1"}, Conversion{"stop", "two", "1"},
                                           Conversion{"stop", "0", "1"}, Conversion{"stop", "3", "1"}),
                         [](const ::testing::TestParamInfo<Conversion>& info) {
                             return std::string(info.param.field) + "_" + std::to_string(info.index);
                         });

TEST(TCommParameter, ChoiceTablesInTheirOrder) {
    EXPECT_EQ(PortChoices::BaudRateTexts(),
              QStringList({"2400", "4800", "7200", "9600", "14400", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(PortChoices::ParityTexts(), QStringList({"None", "Odd", "Even", "Mark", "Space"}));
}

TEST(TCommParameter, IndexFieldsHoldThePlatformCodes) {
    TCommParameter port("p");
    port.SetParityFromText("Mark");
    port.SetStopBitsFromText("2");
    EXPECT_EQ(port.Parity, 3);
    EXPECT_EQ(port.StopBits, 1);
}

// A port that fails because of its settings is reported as such, not as missing or held elsewhere.
TEST(TCommParameter, SettingsNoDeviceCanTakeAreNamed) {
    const struct {
        int baud;
        int dataBits;
        QString problem;
    } cases[] = {
        {19200, 8, ""}, {-9600, 8, "baud rate -9600"}, {0, 99, "baud rate 0, 99 data bits"}, {9600, 4, "4 data bits"}};
    for (const auto& c : cases) {
        TCommParameter port("p");
        port.Baud = c.baud;
        port.DataBits = c.dataBits;
        EXPECT_EQ(PortSettingsProblem(port), c.problem) << c.baud;
    }
}

} // namespace
