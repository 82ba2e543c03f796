#include "TLiveDataGenerator.h"
#include "TSimulatedController.h"
#include "TSimulatorOptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

const QString kTemplates = QStringLiteral(TORVEX_BIN_DIR "/DataBase");

qint16 BigEndian(const QByteArray& frame, int offset) {
    return static_cast<qint16>((static_cast<quint8>(frame[offset]) << 8) | static_cast<quint8>(frame[offset + 1]));
}

TEST(LiveDataGenerator, RunsAreFramedRampedAndSignalled) {
    TLiveDataGenerator generator({45.0, 8.0, 3.0, false});
    const std::vector<QByteArray> up = generator.Run(0);
    ASSERT_EQ(up.size(), 360u);
    int peak = 0;
    for (std::size_t i = 0; i < up.size(); ++i) {
        const QByteArray& frame = up[i];
        ASSERT_EQ(frame.size(), 16);
        EXPECT_EQ(frame[0], 0x0F);
        EXPECT_EQ(static_cast<quint8>(frame[15]), 0x55);
        EXPECT_EQ(BigEndian(frame, 7), static_cast<qint16>(std::lround(i / 45.0 * 180.0)));
        EXPECT_EQ(BigEndian(frame, 11), 0); // no inverter on a TKX
        peak = std::max<int>(peak, BigEndian(frame, 3));
    }
    EXPECT_EQ(peak, 8000);
    EXPECT_EQ(BigEndian(up.front(), 3), 108); // the ramp starts at once, 4.85 V/s
    EXPECT_EQ(BigEndian(up.back(), 3), 0);    // and the run ends standing still
    EXPECT_EQ(up[10][13], 0x03);              // K1 fast and K2 slow up
    EXPECT_EQ(up[250][13], 0x02);             // slow only after the deceleration point
    EXPECT_EQ(up.back()[13], 0x00);
    EXPECT_LT(BigEndian(up[20], 5), BigEndian(up[20], 3)); // the feedback lags behind

    const std::vector<QByteArray> down = TLiveDataGenerator({45.0, 8.0, 3.0, true}).Run(1);
    EXPECT_EQ(down[10][13], 0x0C);
    EXPECT_GT(BigEndian(down[100], 11), 0);
}

TEST(SimulatedController, PasswordGuardsTypeWritesAndCode) {
    TSimulatedController controller({Family::Tkx, 2142, "1234", kTemplates, 0});
    EXPECT_EQ(controller.Receive("T\r"), "1-PW!\r\n");
    EXPECT_EQ(controller.Receive("E:016:00100\r"), "Not allowed\r\n");
    EXPECT_EQ(controller.Receive("e:104\r"), "Not allowed\r\n");
    EXPECT_EQ(controller.Receive("qs\r"), "Level 1\r\n");
    EXPECT_EQ(controller.Receive("q:9999\r"), "Wrong password\r\n");
    EXPECT_EQ(controller.Receive("q:1234\r"), "OK\r\n");
    EXPECT_EQ(controller.Receive("T\r"), "TKX\r\n");
    EXPECT_EQ(controller.Receive("E:016:00100\r"), "");
    EXPECT_EQ(controller.Memory(16), 100u);
    EXPECT_EQ(controller.Receive("e:104\r"), "1234\r\n");
    EXPECT_EQ(controller.Receive("qe\r"), "Code 1234\r\n");
    EXPECT_EQ(controller.Receive("qc:0042\r"), "OK\r\n");
    EXPECT_EQ(controller.Receive("q\r"), "");
    EXPECT_EQ(controller.Receive("q:0042\r"), "OK\r\n");
    EXPECT_EQ(controller.Receive("E:104:00001\r"), "Not allowed\r\n"); // only "qc:" changes the code
}

TEST(SimulatedController, MemoriesOutputsAndOddInput) {
    TSimulatedController controller({Family::VfTkx, 0, "", kTemplates, 0});
    EXPECT_EQ(controller.Receive("s\r"), ""); // no version to tell
    EXPECT_EQ(controller.Receive("T\r"), "VF-TKX\r\n");
    controller.Receive("E:016:00123\rB\r");
    EXPECT_EQ(controller.Memory(16 + TSimulatedController::kUserOffset), 123u);
    controller.Receive("w\r");
    EXPECT_EQ(controller.Memory(16), controller.Memory(16 + TSimulatedController::kFactoryOffset));
    controller.Receive("b\r");
    EXPECT_EQ(controller.Memory(16), 123u);
    controller.Receive("LY\rZ\r");
    EXPECT_TRUE(controller.Output("Relay"));
    EXPECT_TRUE(controller.Output("Segments"));
    controller.Receive("lY\r");
    EXPECT_FALSE(controller.Output("Relay"));
    EXPECT_EQ(controller.Receive("C\re:1011\r"), "0\r\n");
    EXPECT_TRUE(controller.Receive("i").startsWith("+0123"));
    EXPECT_EQ(controller.Receive("E:12\r"), "Syntax error\r\n");
    EXPECT_EQ(controller.Receive("xyz\r"), "Unknown command\r\n");
    EXPECT_EQ(controller.Receive(QByteArray(100, 'x') + "\rT\r"), "VF-TKX\r\n"); // noise is dropped
    EXPECT_TRUE(controller.CommandLog().contains("T\\r"));
}

TEST(SimulatorOptions, ParseAndRefuse) {
    TSimulatorOptions options;
    QString error;
    ASSERT_TRUE(options.Parse({"--family", "vf-tkx", "--software=2090", "--live", "--baud", "9600", "--fault",
                               "garbage", "--drop-char", "7", "--password", "0815"},
                              error))
        << error.toStdString();
    EXPECT_EQ(options.Controller.ControllerFamily, Family::VfTkx);
    EXPECT_EQ(options.Controller.SoftwareVersion, 2090);
    EXPECT_TRUE(options.Live);
    EXPECT_EQ(options.Baud, 9600);
    EXPECT_TRUE(options.FaultGarbage);
    EXPECT_EQ(options.DropEvery, 7);
    EXPECT_EQ(options.Controller.Password, "0815");
    for (const QStringList& bad : {QStringList{"--family", "XYZ"}, QStringList{"--password", "12a4"},
                                   QStringList{"--baud"}, QStringList{"--fault", "fire"}, QStringList{"--what"}}) {
        TSimulatorOptions refused;
        EXPECT_FALSE(refused.Parse(bad, error)) << bad.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace

namespace {

TEST(SimulatedController, OutputsAreNotedAndTheZeroPointDriftsSlowly) {
    TSimulatedController controller({Family::Tkx, 2107, "", kTemplates, 0});
    EXPECT_EQ(controller.Receive("LS\rlY\rZ\r"), "");
    EXPECT_EQ(controller.TakeNotes(), QStringList({"Up LED on", "Relay off", "All segments on"}));
    EXPECT_TRUE(controller.TakeNotes().isEmpty());

    std::set<int> seen;
    int previous = -1;
    for (int i = 0; i < 100; ++i) {
        const QByteArray reply = controller.Receive(i % 2 ? "i" : "j");
        ASSERT_TRUE(reply.startsWith('+') && reply.endsWith("\r\n")) << reply.constData();
        const int millivolts = reply.mid(1, 5).toInt();
        EXPECT_NEAR(millivolts, 1234, 10);
        if (previous >= 0) {
            EXPECT_LE(std::abs(millivolts - previous), 1); // slowly, not jumping
        }
        previous = millivolts;
        seen.insert(millivolts);
    }
    EXPECT_GT(seen.size(), 3u);
}

} // namespace
