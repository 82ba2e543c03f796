#pragma once

#include "core/livedata/TDataRecord.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>

// A bounded queue of records between exactly one producer thread and one consumer thread.
// The storage is allocated once; Put and Get copy a record and allocate nothing.
// A wait ends at once when the stop token given to it is stopped: that is how a stopping
// collection wakes every thread blocked on its queues.
class TDataRecordFifo {
public:
    explicit TDataRecordFifo(int capacity);
    TDataRecordFifo(const TDataRecordFifo&) = delete;
    TDataRecordFifo& operator=(const TDataRecordFifo&) = delete;

    // Blocks while the queue is full; false (nothing queued) when stopped first.
    bool Put(const TDataRecord& record, std::stop_token stop = {});
    // Blocks while the queue is empty; false when stopped while empty. Records queued before a
    // stop are still handed out, so a consumer that stops drains what was given to it.
    bool Get(TDataRecord& record, std::stop_token stop = {});
    // Like Get, but takes up to `max` records that are waiting (at least one).
    int GetSome(TDataRecord* out, int max, std::stop_token stop = {});

    bool IsFull() const;
    bool IsEmpty() const;
    int Capacity() const { return m_capacity; }
    int Size() const;

private:
    const int m_capacity;
    std::unique_ptr<TDataRecord[]> m_slots;
    int m_read = 0;
    int m_write = 0;
    int m_free;
    mutable std::mutex m_access;
    std::condition_variable_any m_notFull;
    std::condition_variable_any m_notEmpty;
};
