#include "SimulatorProcess.h"
#include "TempTree.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode;
    QString out;
    QString err;
};

// The real torvex against the simulator on its pty, with a home of its own.
class ServiceCliTest : public ::testing::Test {
protected:
    Result Run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home.Path());
        environment.insert("XDG_CONFIG_HOME", m_home.Path(".config"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TORVEX_BIN_DIR "/torvex"), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QStringList On(const SimulatorProcess& simulator) const {
        return {"--workdir", m_home.Path("work"), "--port", simulator.Device(), "--reply-timeout", "150"};
    }

    TempTree m_home;
};

TEST_F(ServiceCliTest, UsageErrors) {
    const QStringList cases[] = {{"password"},
                                 {"password", "open"},
                                 {"password", "login"},
                                 {"password", "login", "1234"},
                                 {"password", "change", "--current", "1234"},
                                 {"password", "level", "--code", "1"},
                                 {"zero-point", "--count", "0"},
                                 {"zero-point", "--interval", "soon"},
                                 {"led", "up"},
                                 {"led", "left", "on"},
                                 {"led", "up", "dim"},
                                 {"relay"},
                                 {"segments", "half"},
                                 {"query", "pressure"}};
    for (const QStringList& arguments : cases) {
        const Result result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("torvex: ")) << result.err.toStdString();
    }
}

TEST_F(ServiceCliTest, LoginChangeLoginAgainAndReadLevelAndCode) {
    SimulatorProcess simulator({"--software", "2142", "--password", "1234"});
    ASSERT_FALSE(simulator.Device().isEmpty());

    const Result wrong = Run(On(simulator) + QStringList{"password", "login", "--code", "9999"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_EQ(wrong.err, "Error: Password (Pelvor): not correct\n");

    // Locked after the wrong password, the controller answers "Not allowed": no code, not an empty one.
    const Result locked = Run(On(simulator) + QStringList{"password", "code"});
    EXPECT_EQ(locked.exitCode, 1);
    EXPECT_TRUE(locked.out.isEmpty()) << locked.out.toStdString();
    EXPECT_EQ(locked.err, "Password code: Password code (Pelvor): \n\nUnknown\n");

    const Result login = Run(On(simulator) + QStringList{"password", "login", "--code", "1234"});
    EXPECT_EQ(login.exitCode, 0) << login.err.toStdString();
    EXPECT_TRUE(login.err.isEmpty());

    const Result change = Run(On(simulator) + QStringList{"password", "change", "--current", "1234", "--new", "0815"});
    EXPECT_EQ(change.exitCode, 0) << change.err.toStdString();

    const Result again = Run(On(simulator) + QStringList{"password", "login", "--code", "0815"});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();

    const Result level = Run(On(simulator) + QStringList{"password", "level"});
    EXPECT_EQ(level.exitCode, 0);
    EXPECT_EQ(level.out, "2\n");
    EXPECT_EQ(level.err, "Password level: Password level (Pelvor): \n\n2\n");

    const Result code = Run(On(simulator) + QStringList{"password", "code"});
    EXPECT_EQ(code.exitCode, 0);
    EXPECT_EQ(code.out, "0815\n");

    const QString log = simulator.LogWith({"received qc:0815\\r", "received qe\\r"});
    EXPECT_TRUE(log.contains("received qc:0815\\r")) << log.toStdString();
    EXPECT_TRUE(log.contains("received qe\\r"));
}

TEST_F(ServiceCliTest, ZeroPointReadingsAndAnLedSwitchedOnAndOff) {
    SimulatorProcess simulator({"--software", "2107"});
    ASSERT_FALSE(simulator.Device().isEmpty());

    const Result zero = Run(On(simulator) + QStringList{"zero-point"});
    EXPECT_EQ(zero.exitCode, 0) << zero.err.toStdString();
    QStringList lines = zero.out.split('\n');
    ASSERT_EQ(lines.takeLast(), "");
    ASSERT_EQ(lines.size(), 11) << zero.out.toStdString();
    EXPECT_EQ(lines.takeFirst(), "Zero-Point (Software version: 2.107)");
    const QRegularExpression reading(R"(^\+ 1\.2\d\d V$)");
    for (const QString& line : lines) {
        EXPECT_TRUE(reading.match(line).hasMatch()) << line.toStdString();
    }
    EXPECT_EQ(simulator.Log().count("received j"), 10);

    EXPECT_EQ(Run(On(simulator) + QStringList{"led", "up", "on"}).exitCode, 0);
    EXPECT_EQ(Run(On(simulator) + QStringList{"led", "up", "off"}).exitCode, 0);
    const QString log = simulator.LogWith({"torvex-sim: Up LED on", "torvex-sim: Up LED off"});
    EXPECT_TRUE(log.contains("received LS\\r\ntorvex-sim: Up LED on")) << log.toStdString();
    EXPECT_TRUE(log.contains("received lS\\r\ntorvex-sim: Up LED off"));

    const Result type = Run(On(simulator) + QStringList{"query", "controller-type"});
    EXPECT_EQ(type.out, "TKX\n");

    const Result noPort = Run({"--workdir", m_home.Path("work"), "zero-point", "--count", "1"});
    EXPECT_EQ(noPort.exitCode, 1);
    EXPECT_TRUE(noPort.err.contains("use --port DEVICE")) << noPort.err.toStdString();
}

} // namespace
