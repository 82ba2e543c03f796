#include "SimulatorProcess.h"
#include "TempTree.h"

#include "core/livedata/TDataFile.h"

#include <QProcess>
#include <QThread>

#include <QDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode;
    QString out;
    QString err;
};

class LiveDataTest : public ::testing::Test {
protected:
    void Prepare(QProcess& process, const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home.Path());
        environment.insert("XDG_CONFIG_HOME", m_home.Path(".config"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TORVEX_BIN_DIR "/torvex"),
                      QStringList{"--workdir", m_home.Path("work")} + arguments);
    }
    Result Run(const QStringList& arguments) {
        QProcess process;
        Prepare(process, arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    // A data file of two pictures: an up run of 12 samples ended by a gap record, and a down run
    // of 3 samples ended by the stop marker of a stopped receiver.
    QString Fixture() {
        std::vector<TDataRecord> records;
        const auto add = [&](int kind, int time, quint8 signals, int mV) {
            TDataRecord r;
            r.Kind = kind;
            r.RunTime = static_cast<std::int16_t>(time);
            r.Signals = signals;
            r.SetPoint = static_cast<std::int16_t>(mV);
            r.ActualValue = static_cast<std::int16_t>(mV - 7);
            r.SolenoidValue = -1;
            r.InverterValue = 32767;
            records.push_back(r);
        };
        add(2, 0, 0, 0); // a silent start: in no picture
        for (int i = 0; i < 12; ++i) {
            add(i == 0 ? 1 : 0, 9 * i, 0x03, 1000 * i);
        }
        records[1].StartDate = 46366;
        records[1].StartTime = 5715870;
        add(2, 99, 0x03, 11000);
        for (int i = 0; i < 3; ++i) {
            add(i == 0 ? 1 : 0, 9 * i, 0x0C, 500);
        }
        add(0, 0, 0, 0);
        TDataFileHeader h;
        h.RecordCount = int(records.size());
        h.PictureCount = 2;
        h.PictureTable[0] = {int(TDataFileHeader::OffsetOfRecord(1)), 13};
        h.PictureTable[1] = {int(TDataFileHeader::OffsetOfRecord(14)), 4};
        QByteArray bytes(int(TDataFileHeader::OffsetOfRecord(qint64(records.size()))), '\0');
        h.Encode(reinterpret_cast<std::uint8_t*>(bytes.data()));
        for (std::size_t i = 0; i < records.size(); ++i) {
            records[i].Encode(reinterpret_cast<std::uint8_t*>(bytes.data()) +
                              TDataFileHeader::OffsetOfRecord(qint64(i)));
        }
        return m_home.Write("fixture.dat", bytes);
    }

    TempTree m_home;
};

TEST_F(LiveDataTest, PicturesAndExportRunOfAStoredFile) {
    const QString file = Fixture();
    const Result listed = Run({"pictures", file});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out, "1\t2026-12-10 13:43:05.116\t13\t0.550\tUP\n"
                          "2\t1899-12-30 00:00:00.000\t4\t0.100\t???\n");
    // The figures follow the five columns: fast all along, so no slow travel and no levelling.
    const Result figures = Run({"pictures", file, "--figures"});
    EXPECT_EQ(figures.exitCode, 0) << figures.err.toStdString();
    const QStringList lines = figures.out.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "1\t2026-12-10 13:43:05.116\t13\t0.550\tUP\t0.550\t0.000\t0.000\t11.000\t10.993\t0.007");
    EXPECT_EQ(lines[1].count('\t'), 10);

    const QString csv = m_home.Path("run.csv");
    const Result exported = Run({"export-run", file, "--picture", "1", "--csv", csv});
    EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const QStringList rows = QString::fromLatin1(m_home.Read(csv)).split('\n');
    ASSERT_EQ(rows.size(), 15); // header, 13 drawn records, and the empty end
    EXPECT_EQ(rows[0], "time_s,setpoint_V,actual_V,solenoid_V,inverter_V,K1,K2,K3,K4,K5,K6,K7,K8");
    EXPECT_EQ(rows[1], "0,0,-0.007,-0.001,32.767,1,1,0,0,0,0,0,0");
    EXPECT_EQ(rows[2], "0.05,1,0.993,-0.001,32.767,1,1,0,0,0,0,0,0");
    EXPECT_EQ(rows[4], "0.15,3,2.993,-0.001,32.767,1,1,0,0,0,0,0,0");
    EXPECT_EQ(rows[13], "0.55,11,10.993,-0.001,32.767,1,1,0,0,0,0,0,0");

    const Result outside = Run({"export-run", file, "--picture", "3", "--csv", m_home.Path("none.csv")});
    EXPECT_EQ(outside.exitCode, 1);
    EXPECT_TRUE(outside.err.contains("(1 ... 2)")) << outside.err.toStdString();
    EXPECT_FALSE(QFile::exists(m_home.Path("none.csv")));

    // The CSV never replaces a data file, its own source least of all.
    const QByteArray before = m_home.Read("fixture.dat");
    const Result ontoItself = Run({"export-run", file, "--picture", "1", "--csv", file});
    EXPECT_EQ(ontoItself.exitCode, 1);
    EXPECT_TRUE(ontoItself.err.contains("is a data file")) << ontoItself.err.toStdString();
    EXPECT_EQ(m_home.Read("fixture.dat"), before);
}

TEST_F(LiveDataTest, FilesThatAreNoDataFilesAndPortsThatDoNotOpenAreRefused) {
    const QString text = m_home.Write("notes.dat", "not a data file");
    const QString fifo = m_home.Path("fifo.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& file : {text, m_home.Path("missing.dat"), fifo, QStringLiteral("/dev/zero")}) {
        const Result listed = Run({"pictures", file});
        EXPECT_EQ(listed.exitCode, 1) << file.toStdString();
        EXPECT_TRUE(listed.err.startsWith("torvex: " + file)) << listed.err.toStdString();
    }
    const Result exported = Run({"export-run", fifo, "--picture", "1", "--csv", m_home.Path("none.csv")});
    EXPECT_EQ(exported.exitCode, 1);
    EXPECT_TRUE(exported.err.contains("not a regular file")) << exported.err.toStdString();

    SimulatorProcess simulator({"--live"});
    const Result notData = Run({"--port", simulator.Device(), "record", "--out", text, "--seconds", "1"});
    EXPECT_EQ(notData.exitCode, 1);
    EXPECT_TRUE(notData.err.contains("not a data file")) << notData.err.toStdString();
    EXPECT_EQ(m_home.Read("notes.dat"), "not a data file");

    // A folder that does not exist: the file and the system's reason are named.
    const QString nowhere = m_home.Path("no-such-folder/run.dat");
    const Result missingFolder = Run({"--port", simulator.Device(), "record", "--out", nowhere, "--seconds", "1"});
    EXPECT_EQ(missingFolder.exitCode, 1);
    EXPECT_TRUE(missingFolder.err.contains(nowhere + "\n(No such file or directory)"))
        << missingFolder.err.toStdString();

    const QString fresh = m_home.Path("fresh.dat");
    const Result noPort = Run({"--port", "/dev/no-such-tty", "record", "--out", fresh, "--seconds", "1"});
    EXPECT_EQ(noPort.exitCode, 1);
    EXPECT_TRUE(noPort.err.contains("/dev/no-such-tty")) << noPort.err.toStdString();
    EXPECT_FALSE(QFile::exists(fresh));
}

// A power failure cut the file in its first picture: what is whole is listed, the rest is named.
TEST_F(LiveDataTest, AFileCutShortIsListedAsFarAsItGoesAndTheCutIsTold) {
    const QString cut = m_home.Write("cut.dat", m_home.Read(Fixture()).left(5392 + 24 * 5 + 10));
    const Result listed = Run({"pictures", cut});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out, "1\t2026-12-10 13:43:05.116\t4\t0.150\t???\n"); // a direction needs ten records
    EXPECT_EQ(listed.err, "torvex: " + cut +
                              " was cut short: picture 1 cut to 4 of its 13 records; picture 2 dropped: none of "
                              "its 4 records is in the file\n");
}

// The stored sets are no place for a CSV either: the database would be gone with exit 0.
TEST_F(LiveDataTest, ACsvNeverTakesThePlaceOfADatabaseFile) {
    const QString runs = Fixture();
    ASSERT_EQ(Run({"sets", "--family", "tkx"}).exitCode, 0); // the database is made
    const QString sets = m_home.Path("work/1.45/DataBase/Tkx.DB");
    const QByteArray before = m_home.Read(sets);
    const Result refused = Run({"export-run", runs, "--picture", "1", "--csv", sets});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "torvex: " + sets + " is a database file: the CSV would replace it; choose another name\n");
    EXPECT_EQ(m_home.Read(sets), before);
}

// Two recordings into one file would interleave their runs: the second is refused and says why.
TEST_F(LiveDataTest, ASecondRecordingIntoTheSameFileIsRefused) {
    SimulatorProcess first({"--live", "--run-length", "0.3", "--gap", "0.4"});
    SimulatorProcess second({"--live", "--run-length", "0.3", "--gap", "0.4"});
    const QString out = m_home.Path("runs.dat");
    QProcess recording;
    Prepare(recording, {"--port", first.Device(), "record", "--out", out, "--seconds", "6"});
    ASSERT_TRUE(recording.waitForReadyRead(10000)); // its first run is in the file
    const Result refused = Run({"--port", second.Device(), "record", "--out", out, "--seconds", "1"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(out + "\n(another recording is writing into it)")) << refused.err.toStdString();
    ASSERT_TRUE(recording.waitForFinished(20000));
    EXPECT_EQ(recording.exitCode(), 0);
    // Only the first recording's runs are in the file: each completed one printed, and perhaps
    // the one the end of the recording cut.
    const Result listed = Run({"pictures", out});
    EXPECT_EQ(listed.exitCode, 0);
    const qsizetype completed = QString::fromUtf8(recording.readAllStandardOutput()).count('\n');
    EXPECT_GE(listed.out.count('\n'), completed);
    EXPECT_LE(listed.out.count('\n'), completed + 1);
}

// A name that is not UTF-8 reaches the recording through a stand-in: the runs must still be in the
// file of that name from the start, where a second recording finds it locked and a kill leaves them.
TEST_F(LiveDataTest, ARecordingUnderANameThatIsNotUtf8IsInThatFileFromItsFirstRun) {
    SimulatorProcess first({"--live", "--run-length", "0.3", "--gap", "0.4"});
    SimulatorProcess second({"--live", "--run-length", "0.3", "--gap", "0.4"});
    QDir().mkpath(m_home.Path("runs"));
    // QProcess passes UTF-8 only: the shell makes the bytes.
    const auto start = [&](QProcess& process, const QString& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home.Path());
        environment.insert("XDG_CONFIG_HOME", m_home.Path(".config"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_home.Path("runs"));
        process.start("sh", {"-c", "exec " TORVEX_BIN_DIR "/torvex --workdir " + m_home.Path("work") + " " +
                                       arguments.arg("\"$(printf 'r\\351c.dat')\"")});
    };
    QProcess recording;
    start(recording, "--port " + first.Device() + " record --out %1");
    QStringList printed;
    while (printed.size() < 2 && recording.waitForReadyRead(10000)) {
        while (recording.canReadLine()) {
            printed << QString::fromUtf8(recording.readLine()).trimmed();
        }
    }
    ASSERT_GE(printed.size(), 2) << recording.readAllStandardError().toStdString();

    QProcess refused;
    start(refused, "--port " + second.Device() + " record --out %1 --seconds 2");
    ASSERT_TRUE(refused.waitForFinished(20000));
    EXPECT_EQ(refused.exitCode(), 1);
    const QByteArray refusal = refused.readAllStandardError();
    EXPECT_TRUE(refusal.contains("r\xe9"
                                 "c.dat\n(another recording is writing into it)"))
        << refusal.constData();

    recording.kill();
    recording.waitForFinished(5000);
    QProcess listing;
    start(listing, "pictures %1");
    ASSERT_TRUE(listing.waitForFinished(20000));
    EXPECT_EQ(listing.exitCode(), 0) << listing.readAllStandardError().constData();
    const QStringList lines = QString::fromUtf8(listing.readAllStandardOutput()).trimmed().split('\n');
    ASSERT_GE(lines.size(), printed.size());
    for (qsizetype i = 0; i < printed.size(); ++i) {
        EXPECT_EQ(lines[i], printed[i]);
    }
}

TEST_F(LiveDataTest, AKilledRecordingKeepsEveryCompletedRunAndTheNextRecordingAppends) {
    SimulatorProcess simulator({"--live", "--run-length", "0.3", "--gap", "0.6"});
    const QString file = m_home.Path("runs.dat");
    QProcess recording;
    Prepare(recording, {"--port", simulator.Device(), "--gap-for-new-page", "150", "record", "--out", file});
    QStringList printed;
    while (printed.size() < 3 && recording.waitForReadyRead(10000)) {
        while (recording.canReadLine()) {
            printed << QString::fromUtf8(recording.readLine()).trimmed();
        }
    }
    recording.kill();
    recording.waitForFinished(5000);
    ASSERT_GE(printed.size(), 3) << recording.readAllStandardError().toStdString();

    const Result listed = Run({"pictures", file});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QStringList lines = listed.out.trimmed().split('\n');
    ASSERT_GE(lines.size(), printed.size());
    for (qsizetype i = 0; i < printed.size(); ++i) {
        EXPECT_EQ(lines[i], printed[i]);
        // A run of 13 frames and its gap record (the first may have begun before the port was open).
        EXPECT_TRUE(i == 0 || lines[i].contains("\t14\t")) << lines[i].toStdString();
    }

    const Result again =
        Run({"--port", simulator.Device(), "--gap-for-new-page", "150", "record", "--out", file, "--pictures", "1"});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    const QStringList after = Run({"pictures", file}).out.trimmed().split('\n');
    ASSERT_GT(after.size(), lines.size());
    // The silent start of the second recording adds its gap record to the file's last picture.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(after[i].section('\t', 0, 1), lines[i].section('\t', 0, 1));
    }
    EXPECT_EQ(after.last(), again.out.trimmed());
}

TEST_F(LiveDataTest, ATerminatedRecordingStopsCleanlyAndStampsTheCloseTime) {
    SimulatorProcess simulator({"--live", "--run-length", "0.3", "--gap", "0.4"});
    const QString file = m_home.Path("stopped.dat");
    QProcess recording;
    Prepare(recording, {"--port", simulator.Device(), "--gap-for-new-page", "150", "record", "--out", file});
    ASSERT_TRUE(recording.waitForReadyRead(10000));
    recording.terminate();
    ASSERT_TRUE(recording.waitForFinished(10000));
    EXPECT_EQ(recording.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(recording.exitCode(), 0) << recording.readAllStandardError().toStdString();
    const QByteArray raw = m_home.Read(file).left(TDataFileHeader::Size);
    ASSERT_EQ(raw.size(), TDataFileHeader::Size);
    const TDataFileHeader header = TDataFileHeader::Decode(reinterpret_cast<const std::uint8_t*>(raw.constData()));
    EXPECT_GE(header.PictureCount, 1);
    EXPECT_GT(header.ClosedAt, 46000.0);
}

TEST_F(LiveDataTest, AFrameCutShortCostsAFewRecordsAndTheRunGoesOn) {
    // The sixth frame of every run is one byte short: the receiver realigns within the run.
    SimulatorProcess simulator({"--live", "--run-length", "0.3", "--gap", "0.4", "--fault", "badlength"});
    const QString file = m_home.Path("cut.dat");
    const Result recorded =
        Run({"--port", simulator.Device(), "--gap-for-new-page", "150", "record", "--out", file, "--pictures", "3"});
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err.toStdString();
    const QStringList lines = Run({"pictures", file}).out.trimmed().split('\n');
    ASSERT_GE(lines.size(), 3);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        // 13 frames and the gap record when whole; the cut costs the frames until the next boundary.
        const int records = lines[i].section('\t', 2, 2).toInt();
        EXPECT_GE(records, 8) << lines[i].toStdString();
        EXPECT_LT(records, 14) << lines[i].toStdString();
    }
}

TEST_F(LiveDataTest, BytesWaitingInThePortBeforeTheRecordingStartsAreNoRun) {
    // The controller streamed for two seconds while nobody listened: those frames wait in the
    // port, without the silences between their runs. Kept, they would be one long run.
    SimulatorProcess simulator({"--live", "--run-length", "0.3", "--gap", "0.4"});
    QThread::msleep(2000);
    const QString file = m_home.Path("fresh.dat");
    const Result recorded =
        Run({"--port", simulator.Device(), "--gap-for-new-page", "150", "record", "--out", file, "--pictures", "2"});
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err.toStdString();
    const QStringList lines = Run({"pictures", file}).out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    for (const QString& line : lines) {
        EXPECT_LE(line.section('\t', 2, 2).toInt(), 14) << line.toStdString();
    }
}

} // namespace
