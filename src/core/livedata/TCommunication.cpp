#include "core/livedata/TCommunication.h"

#include "core/base/Clock.h"
#include "core/base/DayNumber.h"
#include "core/livedata/TDataRecordFifo.h"

#include <QThread>

#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>

struct TCommunication::Done {
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Finished = false;
};

TCommunication::TCommunication(TDataRecordFifo& queue, std::unique_ptr<TLiveLine> line, int gapForNewPageMs,
                               Clock& clock)
    : m_queue(queue), m_line(std::move(line)), m_gap(std::max(1, gapForNewPageMs)), m_clock(clock),
      m_done(std::make_unique<Done>()) {
    auto opened = std::make_shared<std::promise<bool>>();
    std::future<bool> openResult = opened->get_future();
    // A QThread, not a plain one: the port object opened on it registers its notifiers with
    // this thread's event dispatcher, which never runs, instead of complaining.
    m_thread.reset(QThread::create([this, opened, token = m_stop.get_token()] {
        const bool open = m_line->Open();
        opened->set_value(open);
        if (open) {
            Loop(token);
        }
        m_line->Close();
        std::lock_guard lock(m_done->Mutex);
        m_done->Finished = true;
        m_done->Changed.notify_all();
    }));
    m_thread->start();
    m_open = openResult.get();
    if (!m_open) {
        Wait();
    }
}

TCommunication::~TCommunication() {
    Stop();
    Wait();
}

bool TCommunication::Stop() {
    const bool already = m_stop.stop_requested();
    m_stop.request_stop();
    m_line->Wake();
    return already;
}

void TCommunication::Wait() {
    {
        std::unique_lock lock(m_done->Mutex);
        m_done->Changed.wait(lock, [this] { return m_done->Finished; });
    }
    m_thread->wait();
}

void TCommunication::Stamp(TDataRecord& record) const {
    const DayNumber::Stamp stamp = DayNumber::StampOf(m_clock.Now());
    record.StartDate = stamp.Days;
    record.StartTime = stamp.Fraction;
}

void TCommunication::Loop(std::stop_token stop) {
    std::uint8_t frame[TDataRecord::FrameLength] = {};
    TDataRecord current; // all zero: a silent start queues one all-zero gap record
    int timeouts = 0;
    bool firstFrame = true;
    bool running = false;
    while (!stop.stop_requested()) {
        // After a gap record, or once the line has stayed silent long enough, wait without limit.
        const int limit = (current.Kind == TDataRecord::Gap || timeouts >= 5) ? -1 : m_gap;
        const TLiveLine::Result result = m_line->Read(frame, TDataRecord::FrameLength, limit);
        if (result == TLiveLine::Result::Stopped) {
            return;
        }
        if (result == TLiveLine::Result::TimedOut) {
            ++timeouts;
            if (current.Kind == TDataRecord::Sample) {
                current.Kind = TDataRecord::Gap;
                if (!m_queue.Put(current, stop)) {
                    return;
                }
            }
            if (running) {
                running = false;
                firstFrame = true;
            }
            continue;
        }
        timeouts = 0;
        // A frame starts with the start byte and ends with the end byte; anything else is a frame
        // shifted by a lost byte (its values would be the neighbours' bytes): resynchronise.
        if (frame[0] != TDataRecord::FrameStartByte ||
            frame[TDataRecord::FrameLength - 1] != TDataRecord::FrameEndByte) {
            m_rejectedFrames.fetch_add(1);
            if (!Resynchronise(stop, frame)) {
                return;
            }
            continue;
        }
        current = TDataRecord::FromFrame(frame);
        if (firstFrame) {
            Stamp(current);
            current.RunTime = 0;
            current.Kind = TDataRecord::RunStart;
            firstFrame = false;
            running = true;
        }
        if (!m_queue.Put(current, stop)) {
            return;
        }
    }
}

bool TCommunication::Resynchronise(std::stop_token stop, std::uint8_t* frame) {
    int timeouts = 0;
    do {
        const TLiveLine::Result result = m_line->Read(frame, 1, m_gap);
        if (result == TLiveLine::Result::Stopped) {
            return false;
        }
        if (result == TLiveLine::Result::TimedOut) {
            ++timeouts;
            continue;
        }
        // Single bytes are paced: the line's driver gets time to fill its buffer.
        m_clock.Sleep(1);
        int counter = m_byteCounter.load() + 1;
        if (frame[0] == TDataRecord::FrameStartByte) {
            counter = 1;
        }
        m_byteCounter.store(counter);
        if (counter == TDataRecord::FrameLength && frame[0] == TDataRecord::FrameEndByte) {
            return true;
        }
    } while (!stop.stop_requested() && timeouts <= 5);
    return !stop.stop_requested();
}
