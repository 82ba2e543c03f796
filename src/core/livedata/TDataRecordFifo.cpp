#include "core/livedata/TDataRecordFifo.h"

#include <algorithm>

TDataRecordFifo::TDataRecordFifo(int capacity)
    : m_capacity(std::max(1, capacity)), m_slots(std::make_unique<TDataRecord[]>(std::size_t(m_capacity))),
      m_free(m_capacity) {}

bool TDataRecordFifo::Put(const TDataRecord& record, std::stop_token stop) {
    {
        std::unique_lock lock(m_access);
        if (!m_notFull.wait(lock, stop, [this] { return m_free > 0; })) {
            return false;
        }
        m_slots[std::size_t(m_write)] = record;
        m_write = (m_write + 1) % m_capacity;
        --m_free;
    }
    m_notEmpty.notify_one();
    return true;
}

bool TDataRecordFifo::Get(TDataRecord& record, std::stop_token stop) {
    return GetSome(&record, 1, stop) == 1;
}

int TDataRecordFifo::GetSome(TDataRecord* out, int max, std::stop_token stop) {
    int taken = 0;
    {
        std::unique_lock lock(m_access);
        if (!m_notEmpty.wait(lock, stop, [this] { return m_free < m_capacity; })) {
            return 0;
        }
        taken = std::min(max, m_capacity - m_free);
        for (int i = 0; i < taken; ++i) {
            out[i] = m_slots[std::size_t(m_read)];
            m_read = (m_read + 1) % m_capacity;
        }
        m_free += taken;
    }
    m_notFull.notify_one();
    return taken;
}

bool TDataRecordFifo::IsFull() const {
    std::lock_guard lock(m_access);
    return m_free == 0;
}

bool TDataRecordFifo::IsEmpty() const {
    std::lock_guard lock(m_access);
    return m_free == m_capacity;
}

int TDataRecordFifo::Size() const {
    std::lock_guard lock(m_access);
    return m_capacity - m_free;
}
