#include "SimulatorProcess.h"
#include "TempTree.h"

#include "core/livedata/TDataFile.h"

#include <QProcess>

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
}

TEST_F(LiveDataTest, FilesThatAreNoDataFilesAndPortsThatDoNotOpenAreRefused) {
    const QString text = m_home.Write("notes.dat", "not a data file");
    QByteArray cut = m_home.Read(Fixture()).left(5392 + 24 * 5);
    const QString truncated = m_home.Write("cut.dat", cut);
    for (const QString& file : {text, truncated, m_home.Path("missing.dat")}) {
        const Result listed = Run({"pictures", file});
        EXPECT_EQ(listed.exitCode, 1) << file.toStdString();
        EXPECT_TRUE(listed.err.startsWith("torvex: " + file)) << listed.err.toStdString();
    }
    SimulatorProcess simulator({"--live"});
    const Result notData = Run({"--port", simulator.Device(), "record", "--out", text, "--seconds", "1"});
    EXPECT_EQ(notData.exitCode, 1);
    EXPECT_TRUE(notData.err.contains("not a data file")) << notData.err.toStdString();
    EXPECT_EQ(m_home.Read("notes.dat"), "not a data file");

    const QString fresh = m_home.Path("fresh.dat");
    const Result noPort = Run({"--port", "/dev/no-such-tty", "record", "--out", fresh, "--seconds", "1"});
    EXPECT_EQ(noPort.exitCode, 1);
    EXPECT_TRUE(noPort.err.contains("/dev/no-such-tty")) << noPort.err.toStdString();
    EXPECT_FALSE(QFile::exists(fresh));
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

} // namespace

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
