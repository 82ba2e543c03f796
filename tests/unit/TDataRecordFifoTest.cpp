#include "core/livedata/TDataRecordFifo.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TDataRecord WithTime(int t) {
    TDataRecord r;
    r.RunTime = static_cast<std::int16_t>(t);
    return r;
}

TEST(TDataRecordFifoTest, KeepsOrderAcrossTheWrapAndReportsFullAndEmpty) {
    TDataRecordFifo fifo(3);
    EXPECT_TRUE(fifo.IsEmpty());
    int next = 0;
    int expected = 0;
    for (int round = 0; round < 4; ++round) {
        while (!fifo.IsFull()) {
            ASSERT_TRUE(fifo.Put(WithTime(next++)));
        }
        EXPECT_EQ(fifo.Size(), 3);
        TDataRecord r;
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(fifo.Get(r));
            EXPECT_EQ(r.RunTime, expected++);
        }
        EXPECT_FALSE(fifo.IsEmpty());
        EXPECT_FALSE(fifo.IsFull());
    }
    while (!fifo.IsFull()) {
        ASSERT_TRUE(fifo.Put(WithTime(next++)));
    }
    TDataRecord batch[5];
    EXPECT_EQ(fifo.GetSome(batch, 5), 3);
    EXPECT_EQ(batch[2].RunTime, expected + 2);
    EXPECT_TRUE(fifo.IsEmpty());
}

TEST(TDataRecordFifoTest, ProducerAndConsumerOnTwoThreadsLoseNothing) {
    TDataRecordFifo fifo(7);
    constexpr int kCount = 20000;
    std::jthread producer([&] {
        for (int i = 0; i < kCount; ++i) {
            fifo.Put(WithTime(i % 30000));
        }
    });
    TDataRecord r;
    for (int i = 0; i < kCount; ++i) {
        ASSERT_TRUE(fifo.Get(r));
        ASSERT_EQ(r.RunTime, i % 30000);
    }
}

TEST(TDataRecordFifoTest, StopWakesBlockedWaitsButQueuedRecordsAreStillHandedOut) {
    TDataRecordFifo fifo(1);
    {
        std::stop_source stop;
        std::jthread consumer([&] {
            TDataRecord r;
            EXPECT_FALSE(fifo.Get(r, stop.get_token())); // blocked on an empty queue until stopped
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.request_stop();
    }
    ASSERT_TRUE(fifo.Put(WithTime(1)));
    {
        std::stop_source stop;
        std::jthread producer([&] { EXPECT_FALSE(fifo.Put(WithTime(2), stop.get_token())); });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.request_stop();
    }
    std::stop_source stopped;
    stopped.request_stop();
    TDataRecord r;
    EXPECT_TRUE(fifo.Get(r, stopped.get_token()));
    EXPECT_EQ(r.RunTime, 1);
    EXPECT_FALSE(fifo.Get(r, stopped.get_token()));
}

} // namespace
