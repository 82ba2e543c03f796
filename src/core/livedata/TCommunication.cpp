#include "core/livedata/TCommunication.h"

#include "core/base/Clock.h"
#include "core/base/DayNumber.h"
#include "core/livedata/TDataRecordFifo.h"

#include <QThread>

#include <algorithm>
#include <array>

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
        TLiveLine::Result result = ReadFrame(frame, limit);
        if (result == TLiveLine::Result::Completed &&
            (frame[0] != TDataRecord::FrameStartByte ||
             frame[TDataRecord::FrameLength - 1] != TDataRecord::FrameEndByte)) {
            // A frame starts with the start byte and ends with the end byte; anything else is a frame
            // shifted by a lost byte (its values would be the neighbours' bytes): find the next one.
            m_rejectedFrames.fetch_add(1);
            result = Resynchronise(frame);
        }
        if (result == TLiveLine::Result::Stopped) {
            return;
        }
        if (result == TLiveLine::Result::TimedOut) {
            // The silence ends the run, also a run of one frame and one cut short by a damaged frame.
            ++timeouts;
            if (current.Kind == TDataRecord::Sample || current.Kind == TDataRecord::RunStart) {
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

TLiveLine::Result TCommunication::ReadFrame(std::uint8_t* frame, int limit) {
    if (limit >= 0) {
        return m_line->Read(frame, TDataRecord::FrameLength, limit);
    }
    // Waiting without limit is waiting for the first byte: the rest of a frame comes with it, or
    // what came was no frame and must not be glued to the next run.
    const TLiveLine::Result first = m_line->Read(frame, 1, -1);
    if (first != TLiveLine::Result::Completed) {
        return first;
    }
    return m_line->Read(frame + 1, TDataRecord::FrameLength - 1, m_gap);
}

TLiveLine::Result TCommunication::Resynchronise(std::uint8_t* frame) {
    // The last 16 bytes seen, starting with the refused read: one more byte at a time until they
    // run from a start byte to an end byte. That is the next whole frame, taken as it is; only the
    // damaged one is lost, whatever bytes equal to the markers the values hold.
    std::array<std::uint8_t, TDataRecord::FrameLength> window{};
    std::copy(frame, frame + TDataRecord::FrameLength, window.begin());
    m_byteCounter.store(0);
    while (true) {
        std::uint8_t byte = 0;
        const TLiveLine::Result result = m_line->Read(&byte, 1, m_gap);
        if (result != TLiveLine::Result::Completed) {
            return result; // a silence ends the run that was being received
        }
        // Single bytes are paced: the line's driver gets time to fill its buffer.
        m_clock.Sleep(1);
        m_byteCounter.fetch_add(1);
        std::rotate(window.begin(), window.begin() + 1, window.end());
        window.back() = byte;
        if (window.front() == TDataRecord::FrameStartByte && window.back() == TDataRecord::FrameEndByte) {
            std::copy(window.begin(), window.end(), frame);
            return TLiveLine::Result::Completed;
        }
    }
}
