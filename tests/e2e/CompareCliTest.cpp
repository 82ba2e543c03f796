#include "SimulatorProcess.h"
#include "TempTree.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

namespace {

struct Result {
    int exitCode;
    QString out;
    QString err;
};

const QString kLiftSet = QStringLiteral(TORVEX_TEST_DATA "/lift-tkx-2220.set");

// torvex against torvex-sim on a pty, with a home and a working directory of its own.
class CompareCliTest : public ::testing::Test {
protected:
    Result Run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home.Path());
        environment.insert("XDG_CONFIG_HOME", m_home.Path(".config"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TORVEX_BIN_DIR "/torvex"),
                      QStringList{"--workdir", m_home.Path("work")} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    // The lift's set with three values changed: FastUp, SlowUp and AccelUp.
    QString ChangedSet() {
        QByteArray file = m_home.Read(kLiftSet);
        file.replace("\tFastUp\t    8.00\r\n", "\tFastUp\t    6.55\r\n");
        file.replace("\tSlowUp\t    0.80\r\n", "\tSlowUp\t    0.90\r\n");
        file.replace("\tAccelUp\t    4.85\r\n", "\tAccelUp\t    1.50\r\n");
        return m_home.Write("changed.set", file);
    }
    static QStringList Writes(const QString& log) { return log.split('\n').filter("torvex-sim: received E:"); }

    TempTree m_home;
};

const QString kThreeDifferences = "AccelUp\tAcceleration UP\t4.85\t1.5\tV/s\n"
                                  "FastUp\tFast UP\t8\t6.55\tV\n"
                                  "SlowUp\tSlow UP\t0.8\t0.9\tV\n";

TEST_F(CompareCliTest, DiffPrintsOneLinePerDifferenceAgainstTheControllerOrAnotherSet) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    const QString changed = ChangedSet();
    // The device may follow the command's own options, as the contract writes it.
    const Result controller =
        Run({"--reply-timeout", "150", "diff", "--family", "tkx", "--file", changed, "--port", simulator.Device()});
    EXPECT_EQ(controller.exitCode, 0) << controller.err.toStdString();
    EXPECT_EQ(controller.out, kThreeDifferences);
    EXPECT_TRUE(controller.err.endsWith("3 of 55 parameters differ\n")) << controller.err.toStdString();
    EXPECT_TRUE(Writes(simulator.Log()).isEmpty());

    const Result sets = Run({"diff", "--family", "tkx", "--file", changed, "--against-file", kLiftSet});
    EXPECT_EQ(sets.exitCode, 0) << sets.err.toStdString();
    EXPECT_EQ(sets.out, kThreeDifferences);
    EXPECT_EQ(sets.err, "3 of 55 parameters differ\n");

    // Stored sets by name, in psi: the pressure in the unit the windows show.
    QByteArray psi = m_home.Read(kLiftSet);
    psi.replace("\tOffsetSolUp\t   12.00\r\n", "\tOffsetSolUp\t   15.00\r\n");
    psi.replace("\tOffsetSolUpInPsi\t  174.00\r\n", "\tOffsetSolUpInPsi\t  218.00\r\n");
    psi.replace("{TKX---}...", "{TKX---}high");
    ASSERT_EQ(Run({"import", "--family", "tkx", m_home.Write("high.set", psi)}).exitCode, 0);
    ASSERT_EQ(Run({"import", "--family", "tkx", kLiftSet}).exitCode, 0);
    const Result named =
        Run({"--language", "102", "diff", "--family", "tkx", "--name", "high", "--against-name", "..."});
    EXPECT_EQ(named.exitCode, 0) << named.err.toStdString();
    EXPECT_EQ(named.out, "OffsetSolUpInPsi\tMin. pressure UP\t174\t218\tpsi\n");

    const Result same = Run({"diff", "--family", "tkx", "--file", kLiftSet, "--against-file", kLiftSet});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(same.err, "0 of 55 parameters differ\n");
}

TEST_F(CompareCliTest, DiffExitCodes) {
    const QString broken = m_home.Write("broken.set", "not a parameter set\r\n");
    struct Case {
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {{"diff", "--family", "tkx"}, 2},
        {{"diff", "--family", "tkx", "--name", "a", "--file", "b.set"}, 2},
        {{"diff", "--family", "tkx", "--name", "a", "--against-name", "b", "--against-file", "c.set"}, 2},
        {{"diff", "--family", "tkx", "--file", "a.prm"}, 2},
        {{"diff", "--family", "tkx", "--name", "a", "surplus"}, 2},
        {{"diff", "--family", "tkx", "--name", "no such set", "--against-file", kLiftSet}, 1},
        {{"diff", "--family", "tkx", "--file", broken, "--against-file", kLiftSet}, 1},
        {{"diff", "--family", "vf-tkx", "--file", kLiftSet, "--against-file", kLiftSet}, 1},
    };
    for (const Case& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.join(' ').toStdString() << "\n"
                                               << result.err.toStdString();
        EXPECT_EQ(result.out, "");
    }
    // The read failed: a line with nothing on the other end, and a controller of the other family.
    SimulatorProcess silent({"--fault", "silence"});
    const Result quiet =
        Run({"--reply-timeout", "100", "diff", "--family", "tkx", "--file", kLiftSet, "--port", silent.Device()});
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_TRUE(quiet.err.contains("Transfer error")) << quiet.err.toStdString();
    SimulatorProcess vf({"--family", "VF-TKX", "--software", "2220"});
    const Result other =
        Run({"--reply-timeout", "150", "diff", "--family", "tkx", "--file", kLiftSet, "--port", vf.Device()});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_TRUE(other.err.contains("Wrong controller connected: VF-TKX")) << other.err.toStdString();
}

TEST_F(CompareCliTest, WriteChangedOnlySendsOnlyTheDifferingRowsAndLogsThem) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    const QStringList common{"--port", simulator.Device(), "--reply-timeout", "150", "--eeprom-delay", "0"};
    const QString changed = ChangedSet();
    const Result write =
        Run(common + QStringList{"write", "--family", "tkx", "--file", changed, "--changed-only", "--verify"});
    EXPECT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_EQ(write.err, "Sent 3 of 55 parameters\n");
    EXPECT_EQ(Writes(simulator.LogWith({"received E:018:00090\\r"})),
              (QStringList{"torvex-sim: received E:015:00150\\r", "torvex-sim: received E:016:00655\\r",
                           "torvex-sim: received E:018:00090\\r"}));

    // The controller now holds the set: nothing is sent, not even command mode.
    const qsizetype before = simulator.Log().size();
    const Result again =
        Run(common + QStringList{"write", "--family", "tkx", "--file", changed, "--changed-only", "--verify"});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.err, "Sent 0 of 55 parameters\n");
    const QString second = simulator.Log().mid(before);
    EXPECT_TRUE(Writes(second).isEmpty()) << second.toStdString();
    EXPECT_FALSE(second.contains("received t\\r")) << second.toStdString();

    const Result logbook = Run({"logbook"});
    EXPECT_EQ(logbook.exitCode, 0) << logbook.err.toStdString();
    const QStringList rows = logbook.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 3) << logbook.out.toStdString();
    const QRegularExpression row("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\tTKX\t(\\d{9})\twrite "
                                 "changed\t(\\w+)\t([^\t]*)\t([^\t]*)\tverified$");
    QStringList fields;
    QString serial;
    for (const QString& line : rows) {
        const auto match = row.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        serial = match.captured(1);
        fields << match.captured(2) + ":" + match.captured(3) + ">" + match.captured(4);
    }
    EXPECT_EQ(fields, (QStringList{"AccelUp:4.85>1.5", "FastUp:8>6.55", "SlowUp:0.8>0.9"}));
    EXPECT_EQ(Run({"logbook", "--serial", serial}).out, logbook.out);
    EXPECT_EQ(Run({"logbook", "--serial", "000000001"}).out, "");
    const Result csv = Run({"logbook", "--csv", m_home.Path("logbook.csv")});
    EXPECT_EQ(csv.exitCode, 0);
    const QList<QByteArray> csvLines = m_home.Read("logbook.csv").split('\n');
    EXPECT_EQ(csvLines.value(0), "TIME,TYPE,SERIAL,ACTION,FIELD,BEFORE,AFTER,OUTCOME\r");
    EXPECT_TRUE(csvLines.value(1).endsWith(",TKX," + serial.toUtf8() + ",write changed,AccelUp,4.85,1.5,verified\r"))
        << csvLines.value(1).constData();
}

// A line that loses bytes damages the dump: a value cut short or an entry gone must neither
// show as a difference nor make a changed-only write send anything. The simulator holds the
// lift's own set, so either the command fails or it finds nothing.
TEST_F(CompareCliTest, ADumpDamagedOnTheLineShowsNoFalseDifferencesAndSendsNothing) {
    for (const char* every : {"211", "503", "1009"}) {
        SimulatorProcess simulator({"--family", "TKX", "--software", "2220", "--drop-char", every});
        ASSERT_FALSE(simulator.Device().isEmpty());
        const QStringList line{"--port", simulator.Device(), "--reply-timeout", "150", "--eeprom-delay", "0"};
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Result diff = Run(line + QStringList{"diff", "--family", "tkx", "--file", kLiftSet});
            EXPECT_TRUE(diff.exitCode == 1 || (diff.exitCode == 0 && diff.out.isEmpty()))
                << every << ": " << diff.exitCode << "\n"
                << diff.out.toStdString() << diff.err.toStdString();
            const Result write =
                Run(line + QStringList{"write", "--family", "tkx", "--file", kLiftSet, "--changed-only"});
            EXPECT_TRUE(write.exitCode == 1 || write.err.endsWith("Sent 0 of 55 parameters\n"))
                << every << ": " << write.exitCode << "\n"
                << write.err.toStdString();
        }
        EXPECT_TRUE(Writes(simulator.Log()).isEmpty()) << every << "\n" << simulator.Log().toStdString();
    }
    EXPECT_EQ(Run({"logbook"}).out, "");
}

// The controller dies in the middle of a whole write: what reached the line is logged as sent,
// everything after it as not sent.
TEST_F(CompareCliTest, AWriteCutByADeadControllerLogsWhatWasSentAndWhatWasNot) {
    auto simulator = std::make_unique<SimulatorProcess>(QStringList{"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator->Device().isEmpty());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", m_home.Path());
    environment.insert("XDG_CONFIG_HOME", m_home.Path(".config"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVEX_BIN_DIR "/torvex"),
                  {"--workdir", m_home.Path("work"), "--port", simulator->Device(), "--reply-timeout", "150",
                   "--eeprom-delay", "100", "write", "--family", "tkx", "--file", kLiftSet});
    ASSERT_TRUE(process.waitForStarted());
    for (int i = 0; i < 3000 && Writes(simulator->LogSoFar()).size() < 6; ++i) {
    }
    simulator->Kill();
    const qsizetype received = Writes(simulator->LogSoFar()).size();
    ASSERT_GE(received, 6);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);

    const Result logbook = Run({"logbook"});
    ASSERT_EQ(logbook.exitCode, 0) << logbook.err.toStdString();
    const QStringList rows = logbook.out.split('\n', Qt::SkipEmptyParts);
    const qsizetype sent = rows.filter(QRegularExpression("\twrite\t\\w+\t\t[^\t]*\tsent$")).size();
    const qsizetype notSent = rows.filter(QRegularExpression("\twrite\t\\w+\t\t[^\t]*\tnot sent$")).size();
    // A command may be on its way when the controller dies: it left the PC, so it counts as sent.
    EXPECT_GE(sent, received);
    EXPECT_LE(sent, received + 1);
    EXPECT_GT(notSent, 0);
    EXPECT_EQ(sent + notSent, rows.size()) << logbook.out.toStdString();
    EXPECT_TRUE(rows.last().endsWith("\tnot sent")) << rows.last().toStdString();
}

TEST_F(CompareCliTest, PasswordChangeZeroPointAndFactorySendAreLoggedNewestFirst) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220", "--password", "1234"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    const QStringList line{"--port", simulator.Device(), "--reply-timeout", "150", "--eeprom-delay", "0"};
    ASSERT_EQ(Run(line + QStringList{"password", "login", "--code", "1234"}).exitCode, 0);
    EXPECT_EQ(Run(line + QStringList{"zero-point", "--count", "1"}).exitCode, 0);
    const QString fact = m_home.Write("two.fact", "{TKX}\r\n2\r\n454\t254\t054\tVALVE_TYPE\t00003\r\n"
                                                  "501\t301\t101\tCHECK_NO_1\t02417\r\n");
    const Result sent = Run(line + QStringList{"factory-send", fact});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(Run(line + QStringList{"password", "change", "--current", "1234", "--new", "0815"}).exitCode, 0);

    const Result logbook = Run({"logbook"});
    ASSERT_EQ(logbook.exitCode, 0) << logbook.err.toStdString();
    QStringList rows = logbook.out.split('\n', Qt::SkipEmptyParts);
    for (QString& row : rows) {
        row = row.section('\t', 1); // the time
    }
    EXPECT_EQ(rows, (QStringList{"\t\tpassword change\t\t\t\tsent", "TKX\t\tfactory send\tVALVE_TYPE\t\t3\tverified",
                                 "TKX\t\tfactory send\tCHECK_NO_1\t\t2417\tverified", "\t\tzero point\t\t\t\t"}));
    // The codes never reach the logbook.
    EXPECT_FALSE(logbook.out.contains("0815"));
}

} // namespace
