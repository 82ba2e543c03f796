#include "ScriptedLine.h"

#include "TLiveDataGenerator.h"
#include "core/base/DayNumber.h"
#include "core/livedata/TCommunication.h"
#include "core/livedata/TDataRecordFifo.h"
#include "core/livedata/TSerialLiveLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray Frame(qint16 runTime, qint16 demand = 1000, quint8 signals = 0x03) {
    return TLiveDataGenerator::Frame(demand, qint16(demand - 10), runTime, 500, -300, signals);
}

QByteArray Frames(int count, int firstTime = 0) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += Frame(qint16(firstTime + 4 * i), qint16(1000 + i));
    }
    return bytes;
}

class TCommunicationTest : public ::testing::Test {
protected:
    // Plays the script until the receiver waits for good, then stops it; the records it queued.
    std::vector<TDataRecord> Play(std::unique_ptr<ScriptedLine> line) {
        auto shared = line->State();
        TCommunication receiver(m_queue, std::move(line), kGap, m_clock);
        EXPECT_TRUE(receiver.IsOpen());
        ScriptedLine::WaitBlocked(*shared);
        EXPECT_FALSE(receiver.Stop());
        EXPECT_TRUE(receiver.Stop());
        receiver.Wait();
        m_byteCounter = receiver.ByteCounter();
        return Drain();
    }
    std::vector<TDataRecord> Drain() {
        std::vector<TDataRecord> records;
        TDataRecord r;
        while (!m_queue.IsEmpty() && m_queue.Get(r)) {
            records.push_back(r);
        }
        return records;
    }
    std::unique_ptr<ScriptedLine> Line() { return std::make_unique<ScriptedLine>(m_clock); }
    static std::vector<int> Kinds(const std::vector<TDataRecord>& records) {
        std::vector<int> kinds;
        for (const auto& r : records) {
            kinds.push_back(r.Kind);
        }
        return kinds;
    }

    static constexpr int kGap = 300;
    ManualClock m_clock;
    TDataRecordFifo m_queue{1000};
    int m_byteCounter = 0;
};

TEST_F(TCommunicationTest, RunsAreStampedOnTheirFirstFrameAndClosedByOneGapRecord) {
    auto line = Line();
    line->Bytes(Frames(3, 7)).Silence().Silence().Silence().Bytes(Frames(2, 50)).Silence();
    const auto records = Play(std::move(line));

    ASSERT_EQ(Kinds(records), (std::vector<int>{1, 0, 0, 2, 1, 0, 2}));
    // The first frame of a run: time count forced to 0, the PC's time of that frame.
    const DayNumber::Stamp first = DayNumber::StampOf(ManualClock().Now());
    EXPECT_EQ(records[0].RunTime, 0);
    EXPECT_EQ(records[0].StartDate, first.Days);
    EXPECT_EQ(records[0].StartTime, first.Fraction);
    EXPECT_EQ(records[0].SetPoint, 1000);
    EXPECT_EQ(records[0].ActualValue, 990);
    EXPECT_EQ(records[0].SolenoidValue, 500);
    EXPECT_EQ(records[0].InverterValue, -300);
    EXPECT_EQ(records[0].Signals, 0x03);
    // Samples carry their own time count and no stamp.
    EXPECT_EQ(records[2].RunTime, 15);
    EXPECT_EQ(records[2].StartDate, 0u);
    // The gap record repeats the last frame; further silence adds nothing.
    TDataRecord expectedGap = records[2];
    expectedGap.Kind = TDataRecord::Gap;
    EXPECT_EQ(records[3], expectedGap);
    // The second run is stamped one timed wait later: silences during a wait without limit take no time here.
    const DayNumber::Stamp second = DayNumber::StampOf(ManualClock().Now().addMSecs(kGap));
    EXPECT_EQ(records[4].StartTime, second.Fraction);
}

// A run of one frame is a run like any other: the silence after it closes it.
TEST_F(TCommunicationTest, ASingleFrameRunIsClosedByItsGapRecordAndTheNextFrameStartsANewRun) {
    auto line = Line();
    line->Bytes(Frame(0)).Silence().Bytes(Frame(90)).Bytes(Frame(94)).Silence();
    EXPECT_EQ(Kinds(Play(std::move(line))), (std::vector<int>{1, 2, 1, 0, 2}));
}

TEST_F(TCommunicationTest, SilentStartQueuesOneAllZeroGapRecordThenWaitsWithoutLimit) {
    auto line = Line();
    auto shared = line->State();
    const auto records = Play(std::move(line));
    ASSERT_EQ(records.size(), 1u);
    TDataRecord zeroGap;
    zeroGap.Kind = TDataRecord::Gap;
    EXPECT_EQ(records[0], zeroGap);
    // One timed read, then one without limit.
    EXPECT_EQ(shared->Reads, 2);
    EXPECT_EQ(m_clock.ElapsedMicros(), kGap * 1000);
}

TEST_F(TCommunicationTest, AMidFrameStartIsRealignedOnTheNextWholeFrame) {
    auto line = Line();
    line->Bytes(Frame(0).right(7) + Frames(4, 10)).Silence();
    const auto records = Play(std::move(line));
    // The damaged read takes the tail of frame 0 and 9 bytes of frame 1; 7 single bytes later the
    // last 16 run from frame 1's start byte to its end byte: frame 1 is the run's first.
    ASSERT_EQ(Kinds(records), (std::vector<int>{1, 0, 0, 0, 2}));
    EXPECT_EQ(records[1].RunTime, 14);
    EXPECT_EQ(m_clock.Pauses, std::vector<int>(7, 1));
    EXPECT_EQ(m_byteCounter, 7);
}

// Values whose bytes equal the start byte do not throw the search off: only the damaged frame is lost.
TEST_F(TCommunicationTest, ALostByteCostsOnlyItsFrameWhateverTheValuesHold) {
    QByteArray bytes;
    for (int i = 0; i < 6; ++i) {
        QByteArray frame = Frame(qint16(4 * i), qint16(0x0F0F), 0x0F); // start bytes inside the values
        if (i == 2) {
            frame.remove(6, 1);
        }
        bytes += frame;
    }
    auto line = Line();
    line->Bytes(bytes).Silence();
    const auto records = Play(std::move(line));
    ASSERT_EQ(Kinds(records), (std::vector<int>{1, 0, 0, 0, 0, 2}));
    EXPECT_EQ(records[1].RunTime, 4);
    EXPECT_EQ(records[2].RunTime, 12); // frame 2 is gone, frame 3 is whole
}

// A silence ends the run also while the receiver looks for the next frame, and bytes that came
// before a silence are never the start of the next run's first frame.
TEST_F(TCommunicationTest, ASilenceEndsTheRunAndNothingBeforeItIsGluedToTheNextRun) {
    auto line = Line();
    QByteArray damaged = Frame(8);
    damaged.remove(5, 1);
    line->Bytes(Frames(2) + damaged + Frame(12).left(5)) // a byte lost, then the line goes quiet
        .Silence()
        .Bytes(Frame(0).left(9)) // half a frame after the run's end
        .Silence()
        .Bytes(Frames(2, 50))
        .Silence();
    const auto records = Play(std::move(line));
    ASSERT_EQ(Kinds(records), (std::vector<int>{1, 0, 2, 1, 0, 2}));
    EXPECT_EQ(records[3].SetPoint, 1000); // the second run's own first frame
    EXPECT_EQ(records[4].RunTime, 54);
}

TEST_F(TCommunicationTest, StopEndsAWaitWithoutLimitAndAResynchronisationAtOnce) {
    const QByteArray scripts[] = {Frames(3), QByteArray(20, '\x01')};
    for (const QByteArray& bytes : scripts) {
        auto line = Line();
        auto shared = line->State();
        line->Bytes(bytes).Silence().Hang();
        TCommunication receiver(m_queue, std::move(line), kGap, m_clock);
        ScriptedLine::WaitBlocked(*shared);
        receiver.Stop();
        receiver.Wait();
        EXPECT_TRUE(shared->Closed);
        Drain();
    }
}

TEST_F(TCommunicationTest, FullQueueBlocksTheReceiverUntilTheConsumerTakesARecord) {
    TDataRecordFifo small(2);
    auto line = Line();
    auto shared = line->State();
    line->Bytes(Frames(5)).Hang();
    const auto reads = [&] {
        std::lock_guard lock(shared->Mutex);
        return shared->Reads;
    };
    TCommunication receiver(small, std::move(line), kGap, m_clock);
    std::vector<int> times;
    TDataRecord r;
    for (int expected = 3; expected <= 5; ++expected) {
        // Two records queued, one held in Put: the line is not read again until a slot frees.
        while (reads() < expected || !small.IsFull()) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(reads(), expected);
        ASSERT_TRUE(small.Get(r));
        times.push_back(r.RunTime);
    }
    ScriptedLine::WaitBlocked(*shared);
    receiver.Stop();
    receiver.Wait();
    while (times.size() < 5 && small.Get(r)) {
        times.push_back(r.RunTime);
    }
    EXPECT_EQ(times, (std::vector<int>{0, 4, 8, 12, 16}));
}

TEST_F(TCommunicationTest, StopWakesAReceiverBlockedOnAFullQueue) {
    TDataRecordFifo small(1);
    auto line = Line();
    line->Bytes(Frames(3));
    TCommunication receiver(small, std::move(line), kGap, m_clock);
    while (!small.IsFull()) {
        std::this_thread::yield();
    }
    receiver.Stop();
    receiver.Wait();
    EXPECT_TRUE(small.IsFull());
}

TEST_F(TCommunicationTest, LineThatDoesNotOpenRunsNoThread) {
    auto line = std::make_unique<ScriptedLine>(m_clock, false);
    auto shared = line->State();
    line->Bytes(Frames(3));
    TCommunication receiver(m_queue, std::move(line), kGap, m_clock);
    EXPECT_FALSE(receiver.IsOpen());
    EXPECT_EQ(shared->Reads, 0);
    EXPECT_TRUE(m_queue.IsEmpty());
}

} // namespace

namespace {

// The controller's side of a fresh pty: what it writes arrives at the device a receiver opens.
class PtyWriter {
public:
    PtyWriter() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            m_device = QString::fromLocal8Bit(::ptsname(m_master));
            // Raw, as a serial line: no byte is taken for a line-editing character.
            m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
            termios tio{};
            ::tcgetattr(m_slave, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(m_slave, TCSANOW, &tio);
        }
    }
    ~PtyWriter() {
        ::close(m_slave);
        ::close(m_master);
    }
    PtyWriter(const PtyWriter&) = delete;
    PtyWriter& operator=(const PtyWriter&) = delete;
    const QString& Device() const { return m_device; }
    void Write(const QByteArray& bytes) {
        // In pieces, as a line at some baud rate delivers them.
        for (qsizetype at = 0; at < bytes.size(); at += 64) {
            const QByteArray piece = bytes.mid(at, 64);
            ASSERT_EQ(::write(m_master, piece.constData(), std::size_t(piece.size())), piece.size());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_device;
};

// Frame `i` of run `run`: every value tells which frame it came from.
QByteArray Sent(int run, int i) {
    return TLiveDataGenerator::Frame(qint16(1000 * run + i), qint16(2000 + 1000 * run + i), qint16(4 * i),
                                     qint16(5000 + i), qint16(-100 - i), quint8(i));
}

} // namespace

// On a real pty, a line that loses single bytes inside frames and goes silent in the middle of one:
// no record carries a value that was not sent in one whole frame, nothing before a silence is glued
// to what follows it, and each run goes on after every fault.
TEST(TSerialLiveLineTest, ALostByteOrAFrameCutBySilenceNeverBecomesARecord) {
    PtyWriter controller;
    ASSERT_FALSE(controller.Device().isEmpty());
    TDataRecordFifo queue(10000);
    SystemClock clock;
    TPortState ports;
    TCommParameter port(controller.Device());
    constexpr int kGapMs = 400; // well above any stall of a busy machine between two pieces
    TCommunication receiver(queue, std::make_unique<TSerialLiveLine>(port, ports), kGapMs, clock);
    ASSERT_TRUE(receiver.IsOpen());

    std::set<std::vector<int>> sent;
    const auto valuesOf = [](const TDataRecord& r) {
        return std::vector<int>{r.SetPoint, r.ActualValue, r.SolenoidValue, r.InverterValue, r.Signals};
    };
    QByteArray run1;
    for (int i = 0; i < 60; ++i) {
        QByteArray frame = Sent(1, i);
        sent.insert(valuesOf(TDataRecord::FromFrame(reinterpret_cast<const std::uint8_t*>(frame.constData()))));
        if (i == 10 || i == 20 || i == 30) {
            frame.remove(i == 10 ? 5 : i == 20 ? 0 : 15, 1); // a byte lost in the middle, the start, the end
        } else if (i == 40) {
            frame.remove(3, 2);
        }
        run1 += frame;
    }
    controller.Write(run1 + Sent(1, 60).left(10)); // the last frame cut by the silence
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * kGapMs));
    QByteArray run2;
    for (int i = 0; i < 30; ++i) {
        run2 += Sent(2, i);
        sent.insert(valuesOf(TDataRecord::FromFrame(reinterpret_cast<const std::uint8_t*>(Sent(2, i).constData()))));
    }
    controller.Write(run2);
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * kGapMs));
    receiver.Stop();
    receiver.Wait();

    std::vector<TDataRecord> records;
    TDataRecord r;
    while (!queue.IsEmpty() && queue.Get(r)) {
        records.push_back(r);
    }
    int runs = 0;
    std::set<int> run1Frames;
    std::set<int> run2Frames;
    for (const TDataRecord& record : records) {
        if (record.Kind == TDataRecord::Gap && record.SetPoint == 0 && record.ActualValue == 0) {
            continue; // the silent start
        }
        EXPECT_TRUE(sent.count(valuesOf(record)))
            << "a record of values never sent: demand " << record.SetPoint << ", feedback " << record.ActualValue;
        runs += record.Kind == TDataRecord::RunStart ? 1 : 0;
        (record.SetPoint >= 2000 ? run2Frames : run1Frames).insert(record.Signals);
    }
    EXPECT_EQ(runs, 2);
    EXPECT_GE(receiver.RejectedFrames(), 4);
    // Each fault costs the frame it hit and the one resynchronisation reads; the rest is kept.
    for (int i : {0, 9, 25, 35, 45, 59}) {
        EXPECT_TRUE(run1Frames.count(i)) << "frame " << i << " of the first run";
    }
    // The second run starts with its own first frame, not with the ten bytes before the silence.
    EXPECT_EQ(run2Frames.size(), 30u);
    const auto start = std::find_if(records.begin(), records.end(), [](const TDataRecord& x) {
        return x.Kind == TDataRecord::RunStart && x.SetPoint >= 2000;
    });
    ASSERT_NE(start, records.end());
    EXPECT_EQ(start->SetPoint, 2000);
}
