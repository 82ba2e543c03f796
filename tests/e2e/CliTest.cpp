#include "SimulatorProcess.h"
#include "SmallDisk.h"
#include "TableFiles.h"
#include "TempTree.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Result {
    int exitCode;
    QString out;
    QString err;
};

// Runs the real torvex with a home of its own, so nothing of the machine's user leaks in.
class CliTest : public ::testing::Test {
protected:
    Result Run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home.Path());
        environment.insert("XDG_CONFIG_HOME", m_home.Path(".config"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TORVEX_BIN_DIR "/torvex"), arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QString UserConfig() const { return "Documents/Faldmark/WinTorvex32/WinTorvex32.config"; }

    TempTree m_home;
};

TEST_F(CliTest, HelpAndVersion) {
    const Result help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("ports")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("text N")) << help.out.toStdString();
    const Result version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "torvex 1.45\n");
    // The other two programs answer it as well, the window program without a display.
    for (const QString program : {"torvex-sim", "WinTorvex32"}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(TORVEX_BIN_DIR "/" + program, {"--version"});
        ASSERT_TRUE(process.waitForFinished(10000)) << program.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
        EXPECT_EQ(process.readAllStandardOutput(), program.toUtf8() + " 1.45\n");
    }
}

TEST_F(CliTest, UsageErrorsExitTwoWithOneLine) {
    const QStringList cases[] = {{},
                                 {"--bogus"},
                                 {"frobnicate"},
                                 {"text"},
                                 {"text", "abc"},
                                 {"text", "331"},
                                 {"text", "1", "2"},
                                 {"--language", "10", "text", "4"},
                                 {"--language"},
                                 {"--workdir"},
                                 {"ports", "extra"},
                                 {"metadata"},
                                 {"metadata", "--family", "tkx2"},
                                 {"sets", "--family"},
                                 {"send"},
                                 {"send", "load-everything"},
                                 {"identify", "now"},
                                 {"--reply-timeout", "0", "identify"},
                                 {"--pause-sending", "yes", "identify"},
                                 {"read"},
                                 {"read", "--family", "tkx", "--out", "x.dat"},
                                 {"write", "--family", "tkx"},
                                 {"write", "--family", "tkx", "--file", "a.set", "--name", "b"},
                                 {"export", "--family", "tkx", "file.SET"},
                                 {"import", "--family", "tkx", "file.txt"},
                                 {"--eeprom-delay", "-5", "sets", "--family", "tkx"},
                                 {"factory-check"},
                                 {"factory-send", "a.fact", "b.fact"},
                                 {"diff", "--family", "tkx"},
                                 {"diff", "--family", "tkx", "--name", "a", "--port"},
                                 {"logbook", "extra"},
                                 {"logbook", "--csv"}};
    for (const QStringList& arguments : cases) {
        const Result result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("torvex: ")) << result.err.toStdString();
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

TEST_F(CliTest, TextPrintsARecordInTheChosenLanguage) {
    const QString work = m_home.Path("work");
    struct Case {
        QStringList arguments;
        QString expected;
    } cases[] = {
        {{"--language", "1", "text", "317"}, "Englisch (US amerik. Einheiten\n"},
        {{"--language=7", "text", "4"}, QString::fromUtf8("語言\n")},
        {{"--language", "102", "text", "310"}, " not found!\nShould it be created?\n"},
        {{"--language", "9", "text", "4"}, "Language\n"},
        {{"text", "4"}, "Language\n"},
    };
    for (const Case& c : cases) {
        const Result result = Run(QStringList({"--workdir", work}) + c.arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, c.expected) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(result.err, "");
    }
    // The first start made the per-user configuration from the template beside the program.
    EXPECT_TRUE(m_home.Read(UserConfig()).contains("[Delays]"));
    EXPECT_TRUE(QFileInfo(work + "/1.45/DataBase").isDir());
}

TEST_F(CliTest, MetadataAndSetsComeFromTheDatabaseOfTheWorkingDirectory) {
    const QString work = m_home.Path("work");
    const Result tkx = Run({"--workdir", work, "metadata", "--family", "tkx"});
    ASSERT_EQ(tkx.exitCode, 0) << tkx.err.toStdString();
    const QStringList rows = tkx.out.trimmed().split('\n');
    EXPECT_EQ(rows.size(), 56);
    for (const QString& row : rows) {
        const QStringList cells = row.split('\t');
        ASSERT_EQ(cells.size(), 8) << row.toStdString();
        EXPECT_EQ(cells[0], "TKX");
    }
    const Result vf = Run({"--workdir", work, "metadata", "--family=VF-TKX"});
    EXPECT_EQ(vf.out.trimmed().split('\n').size(), 70);
    EXPECT_TRUE(vf.out.startsWith("ITKX\t"));

    const Result empty = Run({"--workdir", work, "sets", "--family", "tkx"});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "");
    ExecOnTableFile(work + "/1.45/DataBase/Tkx.DB", "INSERT INTO Tkx (Name) VALUES ('shaft b'), ('Shaft A')");
    const Result sets = Run({"--workdir", work, "sets", "--family", "tkx"});
    EXPECT_EQ(sets.out, "2\tShaft A\n1\tshaft b\n");
}

TEST_F(CliTest, ABrokenDatabaseIsReportedAndNothingIsReplaced) {
    const QString work = m_home.Path("work");
    const QByteArray garbage(100, 'x');
    const QString broken = m_home.Write("work/1.45/DataBase/Itkx.DB", garbage);
    const Result result = Run({"--workdir", work, "sets", "--family", "vf-tkx"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("Error: Error Open File : \n..")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(broken)) << result.err.toStdString();
    EXPECT_EQ(m_home.Read(broken), garbage);
}

// Every device with its state, and a port that will not open says why: held by which program.
TEST_F(CliTest, PortsListEveryDeviceWithItsStateAndABusyOneNamesItsHolder) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    ::close(slave);
    const QString device = QString::fromLocal8Bit(name);
    m_home.Write(UserConfig(), "[Ports]\nDevices=" + device.toUtf8() + ";/dev/no-such-tty\n");

    const QStringList arguments{"--workdir", m_home.Path("work"), "ports"};
    const Result free = Run(arguments);
    EXPECT_EQ(free.exitCode, 0) << free.err.toStdString();
    const QStringList freeLines = free.out.split('\n');
    EXPECT_TRUE(freeLines.contains(device + "\tavailable")) << free.out.toStdString();
    EXPECT_TRUE(freeLines.contains("/dev/no-such-tty\tmissing\tthe device is missing (is the adapter plugged in?)"))
        << free.out.toStdString();

    QSerialPort holder(device);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    const QString heldBy = QString("it is held by e2e_tests (pid %1)").arg(::getpid());
    const Result held = Run(arguments);
    EXPECT_EQ(held.exitCode, 0);
    EXPECT_TRUE(held.out.split('\n').contains(device + "\tbusy\t" + heldBy)) << held.out.toStdString();
    const Result identify = Run({"--workdir", m_home.Path("work"), "--port", device, "identify"});
    EXPECT_EQ(identify.exitCode, 1);
    EXPECT_EQ(identify.err, "torvex: " + device + " cannot be opened: " + heldBy + "\n");
    holder.close();
    ::close(master);
}

TEST_F(CliTest, IdentifyAndSendTalkToTheSimulatedController) {
    SimulatorProcess simulator({"--family", "VF-TKX", "--software", "2142"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    const QStringList common{"--workdir", m_home.Path("work"), "--port", simulator.Device(), "--reply-timeout", "150"};

    const Result identify = Run(common + QStringList{"identify"});
    EXPECT_EQ(identify.exitCode, 0) << identify.err.toStdString();
    EXPECT_EQ(identify.out, "Controller type: VF-TKX\nSoftware version: 2.142\n");

    const Result reset = Run(common + QStringList{"--pause-sending", "0", "send", "reset-errors"});
    EXPECT_EQ(reset.exitCode, 0) << reset.err.toStdString();
    const QString log = simulator.LogWith({"received T\\r", "received C\\r", "received Q"});
    EXPECT_TRUE(log.contains("received T\\r")) << log.toStdString();
    EXPECT_TRUE(log.contains("received C\\r")) << log.toStdString();
    EXPECT_TRUE(log.contains("received Q")) << log.toStdString();
}

TEST_F(CliTest, ControllerCommandsWithoutAControllerSayWhy) {
    const QStringList work{"--workdir", m_home.Path("work")};
    const Result noPort = Run(work + QStringList{"send", "reset-errors"});
    EXPECT_EQ(noPort.exitCode, 1);
    EXPECT_TRUE(noPort.err.contains("use --port DEVICE")) << noPort.err.toStdString();

    const Result missing = Run(work + QStringList{"--port", "/dev/no-such-tty", "identify"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("/dev/no-such-tty cannot be opened")) << missing.err.toStdString();

    // A line with nothing on the other end: the program waits its timeouts and says so.
    SimulatorProcess silent({"--fault", "silence"});
    const Result quiet = Run(work + QStringList{"--port", silent.Device(), "--reply-timeout", "100", "identify"});
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_TRUE(quiet.err.contains("no controller answered")) << quiet.err.toStdString();
}

TEST_F(CliTest, ReadExportChangeWriteBackAndReadAgain) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    const QStringList common{"--workdir", m_home.Path("work"), "--port", simulator.Device(), "--reply-timeout",
                             "150",       "--eeprom-delay",    "0"};
    const QString first = m_home.Path("first.set");
    const Result read = Run(common + QStringList{"read", "--family", "tkx", "--out", first});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_TRUE(read.out.startsWith("Connected controller: TKX  ( Software version: 2.220 )"))
        << read.out.toStdString();
    QByteArray file = m_home.Read(first);
    ASSERT_TRUE(file.contains("\tFastUp\t    8.00\r\n")) << file.constData();

    file.replace("\tFastUp\t    8.00\r\n", "\tFastUp\t    6.55\r\n");
    const QString changed = m_home.Write("changed.set", file);
    const Result write = Run(common + QStringList{"write", "--family", "tkx", "--file", changed});
    EXPECT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_TRUE(simulator.LogWith({"received t\\r"}).contains("received t\\r"));

    const QString second = m_home.Path("second.set");
    const Result again = Run(common + QStringList{"read", "--family", "tkx", "--out", second});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(m_home.Read(second).contains("\tFastUp\t    6.55\r\n"));

    // Two sets read, none left over from the write; the all-sets file holds both.
    const Result sets = Run({"--workdir", m_home.Path("work"), "sets", "--family", "tkx"});
    EXPECT_EQ(sets.out.count('\n'), 2) << sets.out.toStdString();
    const QString all = m_home.Path("all.prm");
    EXPECT_EQ(Run({"--workdir", m_home.Path("work"), "export", "--family", "tkx", all}).exitCode, 0);
    EXPECT_EQ(m_home.Read(all).count("9999\t"), 2);
    const Result imported = Run({"--workdir", m_home.Path("work"), "import", "--family", "vf-tkx", first});
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_TRUE(imported.err.contains("Wrong type of parameter-set \nin file : " + first))
        << imported.err.toStdString();
}

TEST_F(CliTest, AReadIntoAFullDatabaseSaysSoAndStoresNothing) {
    const SmallDisk disk(m_home.Path("disk"), 8192);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "no right to mount a small file system here";
    }
    const QString work = m_home.Path("disk/work");
    ASSERT_EQ(Run({"--workdir", work, "sets", "--family", "tkx"}).exitCode, 0);
    ASSERT_TRUE(disk.FillLeaving("filler", 0));
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    const Result read = Run({"--workdir", work, "--port", simulator.Device(), "--reply-timeout", "150", "read",
                             "--family", "tkx", "--out", m_home.Path("read.set")});
    EXPECT_EQ(read.exitCode, 1);
    EXPECT_TRUE(read.err.contains("database or disk is full")) << read.err.toStdString();
    EXPECT_FALSE(read.err.contains("Transfer error")) << read.err.toStdString();
    QFile::remove(m_home.Path("disk/filler"));
    EXPECT_EQ(Run({"--workdir", work, "sets", "--family", "tkx"}).out, "");
}

// Ctrl+C stops a write between two parameters: the session ends as after a whole write, and what
// was sent is told.
TEST_F(CliTest, CtrlCStopsAWriteBetweenTwoParameters) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    const QStringList common{"--workdir", m_home.Path("work"), "--port", simulator.Device(), "--reply-timeout",
                             "150",       "--eeprom-delay",    "100"};
    const QString set = QStringLiteral(TORVEX_TEST_DATA "/lift-tkx-2220.set");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", m_home.Path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVEX_BIN_DIR "/torvex"),
                  common + QStringList{"write", "--family", "tkx", "--file", set, "--verify"});
    ASSERT_TRUE(process.waitForStarted());
    const auto writes = [&] { return simulator.LogSoFar().count("torvex-sim: received E:"); };
    for (int i = 0; i < 1500 && writes() < 4; ++i) {
    }
    ASSERT_GE(writes(), 4);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000)) << "the stop was not taken";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    const QStringList received = simulator.Log().split('\n').filter("torvex-sim: received");
    const qsizetype sent = received.filter("torvex-sim: received E:").size();
    EXPECT_EQ(err, QStringLiteral("torvex: stopped: %1 parameters sent, not read back\n").arg(sent));
    EXPECT_EQ(received.back(), QStringLiteral("torvex-sim: received Q"));
}

// A name that is not valid UTF-8 (from an old stick) is read and written under exactly that name, and
// messages show it as it is. QProcess passes UTF-8 only: the shell makes the bytes.
TEST_F(CliTest, AFileNameThatIsNotUtf8IsUsedAsItIs) {
    QDir().mkpath(m_home.Path("names"));
    const QByteArray folder = QFile::encodeName(m_home.Path("names"));
    const auto torvexIn = [&](const QString& arguments) {
        QProcess process;
        process.setWorkingDirectory(m_home.Path("names"));
        process.start("sh",
                      {"-c", "exec " TORVEX_BIN_DIR "/torvex --workdir " + m_home.Path("work") + " " + arguments});
        EXPECT_TRUE(process.waitForFinished(30000));
        return std::tuple{process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    };
    const auto names = [&] { // by the system's bytes: Qt leaves out what it cannot decode
        QByteArrayList found;
        DIR* listing = ::opendir(folder.constData());
        while (const dirent* entry = listing != nullptr ? ::readdir(listing) : nullptr) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                found << QByteArray(entry->d_name);
            }
        }
        if (listing != nullptr) {
            ::closedir(listing);
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    const QByteArray fact = "{TKX}\r\n1\r\n454\t254\t054\tVALVE_TYPE\t00003\r\n";
    const QByteArray factName = "v\xe9nt.fact";
    const int fd = ::open((folder + '/' + factName).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, fact.constData(), size_t(fact.size())), fact.size());
    ::close(fd);

    // Read: relative and absolute, with the folder's name in it too.
    const auto [checked, checkOut, checkErr] = torvexIn("factory-check \"$(printf 'v\\351nt.fact')\"");
    EXPECT_EQ(checked, 0) << checkErr.constData();
    EXPECT_TRUE(checkOut.startsWith(factName + "\n")) << checkOut.constData();
    const auto [missing, missingOut, missingErr] = torvexIn("factory-check \"$(printf 'gon\\351.fact')\"");
    EXPECT_EQ(missing, 1);
    EXPECT_TRUE(missingErr.contains("gon\xe9.fact")) << missingErr.constData();

    // Written, and written over: one file under the name, no hidden name left behind.
    const QByteArray prm = "caf\xe9.prm";
    for (int round = 0; round < 2; ++round) {
        const auto [exported, out, err] =
            torvexIn("export --family tkx \"$(printf '" + m_home.Path("names") + "/caf\\351.prm')\"");
        EXPECT_EQ(exported, 0) << err.constData();
    }
    EXPECT_EQ(names(), (QByteArrayList{prm, factName})) << names().join(" ").toHex().constData();
    struct stat info {};
    EXPECT_EQ(::stat((folder + '/' + prm).constData(), &info), 0);
    EXPECT_GT(info.st_size, 0);
}

} // namespace
