#include "RecordingFeedback.h"
#include "ScriptedLine.h"
#include "TempTree.h"

#include "TLiveDataGenerator.h"
#include "core/base/DayNumber.h"
#include "core/livedata/TDataRecorder.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <deque>
#include <sys/resource.h>
#include <thread>

namespace {

QByteArray Frames(int count, quint8 signals = 0x03) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += TLiveDataGenerator::Frame(qint16(100 * i), qint16(90 * i), qint16(4 * i), 7, 0, signals);
    }
    return bytes;
}

// Waits (briefly, in real time) for what another thread is doing.
template <typename Condition> bool Eventually(Condition condition) {
    for (int i = 0; i < 10000 && !condition(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

class Events : public TRecorderListener {
public:
    void PictureCompleted(int picture, const TDataFileHeader&, const QString& file) override {
        std::lock_guard lock(m_lock);
        m_completed.push_back(picture);
        m_files.push_back(file);
    }
    void FileFull(const QString& saved, const QString& continuingIn) override {
        std::lock_guard lock(m_lock);
        m_full.emplace_back(saved, continuingIn);
    }
    std::vector<int> Completed() const {
        std::lock_guard lock(m_lock);
        return m_completed;
    }
    std::vector<std::pair<QString, QString>> Full() const {
        std::lock_guard lock(m_lock);
        return m_full;
    }
    QStringList Files() const {
        std::lock_guard lock(m_lock);
        return m_files;
    }

private:
    mutable std::mutex m_lock;
    std::vector<int> m_completed;
    QStringList m_files;
    std::vector<std::pair<QString, QString>> m_full;
};

class TDataRecorderTest : public ::testing::Test {
protected:
    TRecorderSetup MakeSetup() {
        TRecorderSetup setup;
        setup.DataFilePath = m_dir.Path("DataFile.dat");
        setup.CopyDirectory = m_dir.Path();
        setup.FeedView = false;
        return setup;
    }
    // Each receiver the recorder starts listens on the next scripted line.
    ScriptedLine& AddLine() {
        m_lines.push_back(std::make_unique<ScriptedLine>(m_clock));
        m_shared.push_back(m_lines.back()->State());
        return *m_lines.back();
    }
    std::unique_ptr<TDataRecorder> Start(TRecorderSetup setup) {
        return std::make_unique<TDataRecorder>(
            std::move(setup), m_feedback, m_clock,
            [this] {
                std::unique_ptr<TLiveLine> line = std::move(m_lines.front());
                m_lines.pop_front();
                return line;
            },
            &m_events);
    }
    std::optional<TDataFileScan> Scan(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        QString error;
        return DataFile::Inspect(file, error);
    }
    TDataFileHeader DiskHeader(const QString& path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray raw = file.read(TDataFileHeader::Size);
        return raw.size() == TDataFileHeader::Size
                   ? TDataFileHeader::Decode(reinterpret_cast<const std::uint8_t*>(raw.constData()))
                   : TDataFileHeader();
    }
    // A data file of `pictures` one-record pictures.
    QString WriteFile(const QString& name, int pictures) {
        TDataFileHeader h;
        QByteArray bytes(TDataFileHeader::Size, '\0');
        for (int k = 0; k < pictures; ++k) {
            h.PictureTable[std::size_t(k)] = {int(TDataFileHeader::OffsetOfRecord(k)), 1};
            QByteArray record(TDataRecord::Size, '\0');
            TDataRecord r;
            r.Kind = TDataRecord::RunStart;
            r.Encode(reinterpret_cast<std::uint8_t*>(record.data()));
            bytes += record;
        }
        h.PictureCount = h.RecordCount = pictures;
        h.Encode(reinterpret_cast<std::uint8_t*>(bytes.data()));
        return m_dir.Write(name, bytes);
    }

    TempTree m_dir;
    ManualClock m_clock;
    RecordingFeedback m_feedback;
    Events m_events;
    std::deque<std::unique_ptr<ScriptedLine>> m_lines;
    std::vector<std::shared_ptr<ScriptedLine::Shared>> m_shared;
};

TEST_F(TDataRecorderTest, RunsBecomePicturesAndEveryClosedPictureIsOnTheDisk) {
    AddLine().Silence().Bytes(Frames(4)).Silence().Bytes(Frames(3)).Hang();
    auto recorder = Start(MakeSetup());
    const QString path = m_dir.Path("DataFile.dat");
    EXPECT_EQ(recorder->InitialPictureCount(), 0);
    // Listeners are told once the batch is written: wait for both.
    ASSERT_TRUE(Eventually([&] { return recorder->Header().RecordCount == 9 && !m_events.Completed().empty(); }));

    // The gap record of a silent start belongs to no picture; a run of 4 frames is a picture of 5
    // records starting at its kind-1 record; the running third picture is on the disk as started.
    TDataFileHeader expected;
    expected.RecordCount = 9;
    expected.PictureCount = 2;
    expected.PictureTable[0] = {int(TDataFileHeader::OffsetOfRecord(1)), 5};
    expected.PictureTable[1] = {int(TDataFileHeader::OffsetOfRecord(6)), 3};
    EXPECT_EQ(recorder->Header(), expected);
    EXPECT_EQ(m_events.Completed(), std::vector<int>{0});
    const TDataFileHeader onDisk = DiskHeader(path);
    EXPECT_EQ(onDisk.PictureCount, 2);
    EXPECT_EQ(onDisk.PictureTable[0], expected.PictureTable[0]);
    EXPECT_EQ(onDisk.PictureTable[1].Offset, expected.PictureTable[1].Offset);

    recorder->Stop();
    EXPECT_EQ(DiskHeader(path), expected);
    m_clock.Advance(60'000);
    const QDateTime closing = m_clock.Now();
    recorder.reset();
    TDataFileHeader closed = DiskHeader(path);
    EXPECT_DOUBLE_EQ(closed.ClosedAt, DayNumber::Of(closing));
    closed.ClosedAt = 0;
    EXPECT_EQ(closed, expected);
    EXPECT_EQ(QFileInfo(path).size(), TDataFileHeader::OffsetOfRecord(9));
    EXPECT_TRUE(m_shared[0]->Closed);
}

TEST_F(TDataRecorderTest, TemporaryFileWithoutPicturesIsReusedEmptyUnlessItsRecordsHoldARun) {
    const auto fileWith = [&](std::vector<int> kinds) {
        QByteArray bytes(TDataFileHeader::Size, '\0');
        for (int kind : kinds) {
            TDataRecord r;
            r.Kind = kind;
            QByteArray raw(TDataRecord::Size, '\0');
            r.Encode(reinterpret_cast<std::uint8_t*>(raw.data()));
            bytes += raw;
        }
        return bytes + QByteArray(5, '\x01'); // and a partial record
    };
    const struct {
        std::vector<int> Kinds;
        int Pictures;
        qint64 Size;
    } cases[] = {
        {{2, 0}, 0, TDataFileHeader::Size},
        {{2, 1, 0, 2}, 1, TDataFileHeader::OffsetOfRecord(4)},
    };
    for (const auto& c : cases) {
        m_dir.Write("DataFile.dat", fileWith(c.Kinds));
        m_lines.push_back(std::make_unique<ScriptedLine>(m_clock, false)); // nothing is recorded
        auto recorder = Start(MakeSetup());
        EXPECT_EQ(recorder->InitialPictureCount(), c.Pictures);
        recorder->Stop();
        EXPECT_EQ(QFileInfo(m_dir.Path("DataFile.dat")).size(), c.Size);
        EXPECT_EQ(DiskHeader(m_dir.Path("DataFile.dat")).PictureCount, c.Pictures);
    }
}

TEST_F(TDataRecorderTest, OpenFileOfAMissingFileTellsTheUserAndKeepsTheCurrentFile) {
    AddLine().Bytes(Frames(2)).Silence().Hang();
    auto recorder = Start(MakeSetup());
    ASSERT_TRUE(Eventually([&] { return recorder->Header().RecordCount == 3; }));
    const TDataFileHeader before = recorder->Header();
    int pictures = -7;
    const QString missing = m_dir.Path("nowhere/Run.dat");
    EXPECT_FALSE(recorder->OpenFile(missing, pictures));
    EXPECT_EQ(pictures, -7);
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Warning);
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Test 1");
    EXPECT_EQ(m_feedback.Messages[0].Text, "Error Open File : \r" + missing + "\r(No such file or directory)");
    EXPECT_EQ(recorder->FileName(), m_dir.Path("DataFile.dat"));
    EXPECT_EQ(recorder->Header(), before);

    // A file that is not a data file is refused the same way, and left as it was.
    const QString text = m_dir.Write("notes.dat", "hello");
    EXPECT_FALSE(recorder->OpenFile(text, pictures));
    EXPECT_EQ(m_feedback.Messages.back().Text, "File Format is not valid : \r" + text);
    EXPECT_EQ(m_dir.Read("notes.dat"), "hello");
}

TEST_F(TDataRecorderTest, OpenFileWhileCollectingAppendsTheNextRunsToThatFile) {
    const QString other = WriteFile("Earlier.dat", 2);
    AddLine().Bytes(Frames(2)).Silence().Hang().Bytes(Frames(3)).Silence();
    auto recorder = Start(MakeSetup());
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 1; }));
    int pictures = 0;
    ASSERT_TRUE(recorder->OpenFile(other, pictures));
    EXPECT_EQ(pictures, 2);
    ScriptedLine::Resume(*m_shared[0]);
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 2; }));
    EXPECT_EQ(m_events.Completed().back(), 2);
    recorder.reset();

    const auto scan = Scan(other);
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->RecoveredRecords, 0);
    EXPECT_EQ(scan->Header.PictureCount, 3);
    EXPECT_EQ(scan->Header.PictureTable[2], (TPictureEntry{int(TDataFileHeader::OffsetOfRecord(2)), 4}));
    EXPECT_EQ(Scan(m_dir.Path("DataFile.dat"))->Header.PictureCount, 1);
}

TEST_F(TDataRecorderTest, SaveCopyWhileRecordingCarriesTheHeaderOfWhatWasRecordedSoFar) {
    AddLine().Bytes(Frames(5)).Hang();
    auto recorder = Start(MakeSetup());
    ASSERT_TRUE(Eventually([&] { return recorder->Header().RecordCount == 5; }));
    // Mid-run, the disk knows the picture only as it started.
    EXPECT_EQ(DiskHeader(m_dir.Path("DataFile.dat")).PictureTable[0].Count, 1);
    const QString copy = m_dir.Path("Copy.dat");
    ASSERT_TRUE(recorder->SaveCopy(copy));
    const auto scan = Scan(copy);
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->RecoveredRecords, 0);
    EXPECT_EQ(scan->Header, recorder->Header());
    EXPECT_EQ(QFileInfo(copy).size(), TDataFileHeader::OffsetOfRecord(5));
}

TEST_F(TDataRecorderTest, StopReceiverRecordsAMarkerAndStartReceiverListensAgain) {
    AddLine().Bytes(Frames(3)).Hang();
    AddLine().Bytes(Frames(2)).Silence().Hang();
    auto recorder = Start(MakeSetup());
    ASSERT_TRUE(Eventually([&] { return recorder->Header().RecordCount == 3; }));
    recorder->StopReceiver();
    EXPECT_FALSE(recorder->ReceiverPresent());
    EXPECT_TRUE(m_shared[0]->Closed);
    recorder->StartReceiver();
    EXPECT_TRUE(recorder->ReceiverPresent());
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 1; }));
    recorder->Stop();
    const auto scan = Scan(m_dir.Path("DataFile.dat"));
    ASSERT_TRUE(scan);
    // The marker (time count 0) joins the first picture and ends its drawing.
    EXPECT_EQ(scan->Header.PictureTable[0].Count, 4);
    QFile file(m_dir.Path("DataFile.dat"));
    file.open(QIODevice::ReadOnly);
    QString error;
    EXPECT_EQ(DataFile::DrawnRecords(file, scan->Header, 0, error).size(), 3u);
    EXPECT_EQ(scan->Header.PictureTable[1].Count, 3);
}

TEST_F(TDataRecorderTest, AFullFileIsSavedAwayAndTheNextRunGoesIntoAFreshOne) {
    // Found full: copied under the minute's name beside an earlier copy, then emptied, before the
    // next run starts. The copy keeps every picture; the run is the fresh file's first.
    WriteFile("DataFile.dat", TDataFileHeader::MaxPictures);
    const QString taken = m_dir.Write(m_clock.Now().toString("yyMMddHHmm") + ".dat", "earlier copy");
    AddLine().Bytes(Frames(2)).Silence().Hang();
    auto recorder = Start(MakeSetup());
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 1; }));
    const QString copy = m_dir.Path(m_clock.Now().toString("yyMMddHHmm") + "-2.dat");
    EXPECT_EQ(m_events.Full(), (std::vector<std::pair<QString, QString>>{{copy, m_dir.Path("DataFile.dat")}}));
    EXPECT_EQ(m_dir.Read(taken), "earlier copy");
    EXPECT_EQ(Scan(copy)->Header.PictureCount, TDataFileHeader::MaxPictures);
    EXPECT_EQ(recorder->Header().PictureCount, 1);
    EXPECT_EQ(recorder->Header().PictureTable[0], (TPictureEntry{TDataFileHeader::Size, 3}));
    EXPECT_EQ(m_feedback.StatusNotes(),
              (std::vector<std::pair<int, QString>>{{3, m_dir.Path("DataFile.dat") + " \u2192 " + copy}}));
}

TEST_F(TDataRecorderTest, AFileHoldingItsPicturesIsCopiedAwayBetweenRunsAndTheViewIsTold) {
    // The same policy for the program and the command line: at the end of the run that fills
    // the file, the copy is made while the line stays open; the next run waits in the queue.
    TRecorderSetup setup = MakeSetup();
    setup.DataFilePath = m_dir.Path("Runs.dat");
    setup.TemporaryFile = false;
    setup.PicturesPerFile = 2;
    setup.FeedView = true;
    AddLine().Bytes(Frames(2)).Silence().Bytes(Frames(3)).Silence().Bytes(Frames(4)).Silence().Hang();
    auto recorder = Start(setup);
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 3; }));
    const QString copy = m_dir.Path(m_clock.Now().toString("yyMMddHHmm") + ".dat");
    ASSERT_EQ(m_events.Full().size(), 1u);
    EXPECT_EQ(m_events.Full()[0].first, copy);
    const auto saved = Scan(copy);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Header.PictureCount, 2);
    EXPECT_EQ(saved->Header.PictureTable[1].Count, 4);
    EXPECT_EQ(recorder->Header().PictureCount, 1);
    EXPECT_EQ(recorder->Header().PictureTable[0].Count, 5);
    // The view learns of the fresh file right after the last record of the full one.
    std::vector<int> kinds;
    TDataRecord r;
    while (!recorder->Output().IsEmpty() && recorder->Output().Get(r)) {
        kinds.push_back(r.Kind);
    }
    EXPECT_EQ(kinds, (std::vector<int>{1, 0, 2, 1, 0, 0, 2, TDataRecord::FileRenewed, 1, 0, 0, 0, 2}));
}

TEST_F(TDataRecorderTest, ACopyThatFailsIsToldOnceAndRecordingGoesOnInTheFullFile) {
    TRecorderSetup setup = MakeSetup();
    setup.PicturesPerFile = 1;
    setup.CopyDirectory = m_dir.Path("missing");
    AddLine().Bytes(Frames(2)).Silence().Bytes(Frames(3)).Silence().Bytes(Frames(2)).Silence().Hang();
    auto recorder = Start(setup);
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 3; }));
    EXPECT_TRUE(m_events.Full().empty());
    EXPECT_EQ(recorder->Header().PictureCount, 3);
    const auto notes = m_feedback.StatusNotes();
    ASSERT_EQ(notes.size(), 1u) << "not tried again after every run";
    EXPECT_TRUE(notes[0].second.startsWith("Error Write File : \r" + m_dir.Path("missing/")))
        << notes[0].second.toStdString();
    EXPECT_TRUE(notes[0].second.endsWith("(No such file or directory)")) << notes[0].second.toStdString();
}

TEST_F(TDataRecorderTest, AFullFileThatCannotGoAwayEndsTheRecording) {
    // Its table has no room: a run appended to its last picture could never be shown.
    WriteFile("DataFile.dat", TDataFileHeader::MaxPictures);
    TRecorderSetup setup = MakeSetup();
    setup.CopyDirectory = m_dir.Path("missing");
    AddLine().Bytes(Frames(2)).Silence().Hang();
    auto recorder = Start(setup);
    ASSERT_TRUE(Eventually([&] { return !recorder->ReceiverPresent(); }));
    EXPECT_TRUE(recorder->WriteError().value_or("").contains(
        QStringLiteral("it holds %1 pictures and could not be moved aside").arg(TDataFileHeader::MaxPictures)))
        << recorder->WriteError().value_or("").toStdString();
    recorder.reset();
    const auto scan = Scan(m_dir.Path("DataFile.dat"));
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->Header.PictureCount, TDataFileHeader::MaxPictures);
    EXPECT_EQ(scan->Header.PictureTable[TDataFileHeader::MaxPictures - 1].Count, 1);
}

TEST_F(TDataRecorderTest, APictureCompletedBeforeTheFileWentAwayIsFoundInTheCopy) {
    TRecorderSetup setup = MakeSetup();
    setup.PicturesPerFile = 1;
    AddLine().Bytes(Frames(2)).Silence().Bytes(Frames(3)).Silence().Hang();
    auto recorder = Start(setup);
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 2; }));
    const auto full = m_events.Full();
    ASSERT_EQ(full.size(), 2u);
    EXPECT_NE(full[0].first, full[1].first) << "the second copy took the first one's name";
    EXPECT_EQ(m_events.Files(), (QStringList{full[0].first, full[1].first}));
    EXPECT_EQ(Scan(full[0].first)->Header.PictureTable[0].Count, 3);
    EXPECT_EQ(Scan(full[1].first)->Header.PictureTable[0].Count, 4);
}

TEST_F(TDataRecorderTest, ANewSessionsFirstGapRecordJoinsNoPicture) {
    // The line is silent when the port opens: that gap record is no part of the last run on file.
    WriteFile("Runs.dat", 2);
    TRecorderSetup setup = MakeSetup();
    setup.DataFilePath = m_dir.Path("Runs.dat");
    setup.TemporaryFile = false;
    AddLine().Silence().Bytes(Frames(2)).Silence().Hang();
    auto recorder = Start(setup);
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 1; }));
    EXPECT_EQ(recorder->Header().PictureCount, 3);
    EXPECT_EQ(recorder->Header().PictureTable[1].Count, 1);
    EXPECT_EQ(recorder->Header().PictureTable[2].Count, 3);
}

TEST_F(TDataRecorderTest, AnEmptyFileThatCannotTakeItsHeaderStaysEmptyAndANewOneGoesAgain) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    m_dir.Write("Empty.dat", "");
    for (const QString& name : {QStringLiteral("Empty.dat"), QStringLiteral("New.dat")}) {
        TRecorderSetup setup = MakeSetup();
        setup.DataFilePath = m_dir.Path(name);
        setup.TemporaryFile = false;
        m_lines.push_back(std::make_unique<ScriptedLine>(m_clock, false));
        auto recorder = Start(setup);
        EXPECT_FALSE(recorder->IsFileUsable()) << name.toStdString();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_TRUE(QFileInfo::exists(m_dir.Path("Empty.dat")));
    EXPECT_EQ(QFileInfo(m_dir.Path("Empty.dat")).size(), 0);
    EXPECT_FALSE(QFileInfo::exists(m_dir.Path("New.dat")));
    ASSERT_EQ(m_feedback.Messages.size(), 2u);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Error Write File : \r" + m_dir.Path("Empty.dat") + "\r(File too large)");
}

TEST_F(TDataRecorderTest, SavingOverTheCurrentFileSavesItInPlaceAndRecordingGoesOnInIt) {
    AddLine().Bytes(Frames(2)).Silence().Hang().Bytes(Frames(3)).Silence();
    auto recorder = Start(MakeSetup());
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 1; }));
    const QString path = recorder->FileName();
    ASSERT_TRUE(recorder->SaveCopy(path));
    ScriptedLine::Resume(*m_shared[0]);
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 2; }));
    recorder.reset();
    const auto scan = Scan(path);
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->Header.PictureCount, 2);
    EXPECT_EQ(scan->RecoveredRecords, 0);
}

TEST_F(TDataRecorderTest, AFileBeingRecordedIntoIsRefusedToASecondRecorder) {
    AddLine().Bytes(Frames(2)).Silence().Hang();
    auto first = Start(MakeSetup());
    ASSERT_TRUE(Eventually([&] { return m_events.Completed().size() == 1; }));
    m_lines.push_back(std::make_unique<ScriptedLine>(m_clock, false));
    TRecorderSetup setup = MakeSetup();
    setup.TemporaryFile = false;
    auto second = Start(setup);
    EXPECT_FALSE(second->IsFileUsable());
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text,
              "Error Open File : \r" + m_dir.Path("DataFile.dat") + "\r(another recording is writing into it)");
    // Refused, not emptied: the first recording's picture is still there.
    second.reset();
    first.reset();
    EXPECT_EQ(Scan(m_dir.Path("DataFile.dat"))->Header.PictureCount, 1);
}

TEST_F(TDataRecorderTest, FilesCutShortOrEmptyOrNoDataFileLoseNothingThatCanBeKept) {
    // A file whose last picture was cut by a power failure: its whole records stay, the header is
    // put right and the user is told.
    WriteFile("Cut.dat", 3);
    QFile::resize(m_dir.Path("Cut.dat"), TDataFileHeader::OffsetOfRecord(2) + 11);
    TRecorderSetup cut = MakeSetup();
    cut.DataFilePath = m_dir.Path("Cut.dat");
    cut.TemporaryFile = false;
    m_lines.push_back(std::make_unique<ScriptedLine>(m_clock, false));
    auto recorder = Start(cut);
    EXPECT_EQ(recorder->InitialPictureCount(), 2);
    recorder.reset();
    EXPECT_EQ(DiskHeader(m_dir.Path("Cut.dat")).PictureCount, 2);
    EXPECT_EQ(QFileInfo(m_dir.Path("Cut.dat")).size(), TDataFileHeader::OffsetOfRecord(2));
    ASSERT_EQ(m_feedback.StatusNotes().size(), 1u);
    EXPECT_EQ(m_feedback.StatusNotes()[0].second,
              m_dir.Path("Cut.dat") + " was cut short: picture 3 dropped: none of its 1 records is in the file");

    // An empty file (it never got its header) is a new data file.
    m_dir.Write("Empty.dat", "");
    TRecorderSetup empty = MakeSetup();
    empty.DataFilePath = m_dir.Path("Empty.dat");
    empty.TemporaryFile = false;
    m_lines.push_back(std::make_unique<ScriptedLine>(m_clock, false));
    recorder = Start(empty);
    EXPECT_TRUE(recorder->IsFileUsable());
    recorder.reset();
    EXPECT_EQ(QFileInfo(m_dir.Path("Empty.dat")).size(), TDataFileHeader::Size);

    // The program's scratch file that is no data file any more is kept aside, not emptied.
    m_dir.Write("DataFile.dat", "not a data file");
    m_lines.push_back(std::make_unique<ScriptedLine>(m_clock, false));
    recorder = Start(MakeSetup());
    EXPECT_TRUE(recorder->IsFileUsable());
    recorder.reset();
    EXPECT_EQ(m_dir.Read("DataFile.dat.damaged"), "not a data file");
    EXPECT_EQ(QFileInfo(m_dir.Path("DataFile.dat")).size(), TDataFileHeader::Size);
}

TEST_F(TDataRecorderTest, AFailedWriteEndsTheRecordingAndIsReported) {
    // The file may not grow beyond three records.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = TDataFileHeader::OffsetOfRecord(3);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);

    AddLine().Bytes(Frames(6)).Silence().Hang();
    auto recorder = Start(MakeSetup());
    const bool ended = Eventually([&] { return !recorder->ReceiverPresent(); });
    setrlimit(RLIMIT_FSIZE, &old);
    ASSERT_TRUE(ended);
    const QString path = m_dir.Path("DataFile.dat");
    // The file, the system's reason, and the pictures it holds.
    const QString told = "Error Write File : \r" + path + "\r(File too large)\rTotal pictures: 1";
    EXPECT_EQ(recorder->WriteError(), told);
    EXPECT_EQ(m_feedback.StatusNotes(), (std::vector<std::pair<int, QString>>{{3, told}}));
    EXPECT_TRUE(m_shared[0]->Closed);
    // What reached the disk stays readable, with a header that counts it.
    recorder.reset();
    const auto scan = Scan(path);
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->RecoveredRecords, 0);
    EXPECT_EQ(scan->Header.PictureTable[0], (TPictureEntry{TDataFileHeader::Size, 3}));
    EXPECT_EQ(QFileInfo(path).size(), TDataFileHeader::OffsetOfRecord(3));
}

TEST_F(TDataRecorderTest, NoPortNoReceiver) {
    m_lines.push_back(std::make_unique<ScriptedLine>(m_clock, false));
    auto recorder = Start(MakeSetup());
    EXPECT_FALSE(recorder->ReceiverPresent());
    EXPECT_TRUE(recorder->IsFileUsable());
}

} // namespace
