#include "ScriptedLine.h"

#include "TLiveDataGenerator.h"
#include "core/base/DayNumber.h"
#include "core/livedata/TCommunication.h"
#include "core/livedata/TDataRecordFifo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

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

TEST_F(TCommunicationTest, SingleFrameRunEndsWithoutGapRecordAndNextFrameStartsANewRun) {
    auto line = Line();
    line->Bytes(Frame(0)).Silence().Bytes(Frame(90)).Bytes(Frame(94)).Silence();
    EXPECT_EQ(Kinds(Play(std::move(line))), (std::vector<int>{1, 1, 0, 2}));
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

TEST_F(TCommunicationTest, AfterFiveTimeoutsWithoutGapRecordTheWaitHasNoLimit) {
    // A single-frame run leaves the record's kind at 1: only the timeout count ends the timed waits.
    auto line = Line();
    auto shared = line->State();
    line->Bytes(Frame(0));
    Play(std::move(line));
    EXPECT_EQ(shared->Reads, 1 + 5 + 1);
    EXPECT_EQ(m_clock.ElapsedMicros(), 5 * kGap * 1000);
}

TEST_F(TCommunicationTest, MidFrameStartIsRealignedOnTheEndByteOfTheNextFrame) {
    auto line = Line();
    line->Bytes(Frame(0).right(7) + Frames(4, 10)).Silence();
    const auto records = Play(std::move(line));
    // The damaged read swallows the first 9 bytes of frame 1, resynchronisation reads the rest of
    // it and all of frame 2 singly; records resume with frame 3, as a new run.
    ASSERT_EQ(Kinds(records), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(records[1].RunTime, 22);
    EXPECT_EQ(m_clock.Pauses, std::vector<int>(7 + 16, 1));
}

TEST_F(TCommunicationTest, ByteCounterIsKeptAcrossResynchronisations) {
    // Eleven bytes from a start byte, then six silences end the first resynchronisation unaligned.
    // The second one goes on counting from 11 and is aligned by the end byte five bytes later.
    QByteArray firstRound = QByteArray(1, '\x0F') + QByteArray(10, '\x01');
    auto line = Line();
    line->Bytes(QByteArray(16, '\x02') + firstRound);
    for (int i = 0; i < 6; ++i) {
        line->Silence();
    }
    line->Bytes(QByteArray(11, '\x03') + QByteArray(3, '\x04') + QByteArray(1, '\x55') + QByteArray(1, '\x07'))
        .Bytes(QByteArray(4, '\x05') + QByteArray(1, '\x55'))
        .Bytes(Frames(2, 40))
        .Silence();
    const auto records = Play(std::move(line));
    EXPECT_EQ(Kinds(records), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(m_byteCounter, 16);
}

TEST_F(TCommunicationTest, SixTimeoutsEndResynchronisationWithoutAlignment) {
    auto line = Line();
    auto shared = line->State();
    line->Bytes(QByteArray(16, '\x01'));
    Play(std::move(line));
    // One damaged read, six single-byte reads that time out, one timed read that queues the
    // gap record, then one without limit.
    EXPECT_EQ(shared->Reads, 1 + 6 + 1 + 1);
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
