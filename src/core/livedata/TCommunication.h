#pragma once

#include "core/livedata/TDataRecord.h"
#include "core/livedata/TLiveLine.h"

#include <atomic>
#include <memory>
#include <stop_token>

class Clock;
class QThread;
class TDataRecordFifo;

// The live-data receiver: a thread that cuts the controller's byte stream into frames,
// stamps the first frame of every run, marks the end of a run after a silence and queues
// one record per frame. It never writes to the line.
class TCommunication {
public:
    // Opens the line on the receiver's own thread and runs from then on; when the line cannot
    // be opened, no thread runs (IsOpen is false). gapForNewPageMs: the silence that ends a run.
    TCommunication(TDataRecordFifo& queue, std::unique_ptr<TLiveLine> line, int gapForNewPageMs, Clock& clock);
    ~TCommunication();
    TCommunication(const TCommunication&) = delete;
    TCommunication& operator=(const TCommunication&) = delete;

    bool IsOpen() const { return m_open; }
    // From any thread: marks the receiver terminated and wakes it at once. True when it was marked already.
    bool Stop();
    // Waits until the thread has ended (the line is closed then).
    void Wait();

    // How many single bytes the last resynchronisation has read (for tests).
    int ByteCounter() const { return m_byteCounter.load(); }
    // 16-byte reads refused because they did not run from a start byte to an end byte.
    int RejectedFrames() const { return m_rejectedFrames.load(); }

private:
    void Loop(std::stop_token stop);
    // Reads one frame: with a limit, all 16 bytes within it; without one, the first byte whenever it
    // comes and the rest within the gap.
    TLiveLine::Result ReadFrame(std::uint8_t* frame, int limit);
    // Reads single bytes after a refused frame until the last 16 form a frame (Completed, the frame
    // in `frame`), the line falls silent (TimedOut) or the receiver is stopped.
    TLiveLine::Result Resynchronise(std::uint8_t* frame);
    void Stamp(TDataRecord& record) const;

    TDataRecordFifo& m_queue;
    std::unique_ptr<TLiveLine> m_line;
    const int m_gap;
    Clock& m_clock;
    std::stop_source m_stop;
    std::atomic<int> m_byteCounter{0};
    std::atomic<int> m_rejectedFrames{0};
    bool m_open = false;
    std::unique_ptr<QThread> m_thread;
    // Set by the thread as its last act: a waiter that sees it may touch everything the thread used.
    struct Done;
    std::unique_ptr<Done> m_done;
};
