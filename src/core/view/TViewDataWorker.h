#pragma once

#include "core/livedata/TDataRecord.h"

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

class TDataRecordFifo;

// What the live drawing needs of the configuration, taken once on the window's thread.
struct TViewWorkerSettings {
    int DrawSpeed = 15;       // every n-th record is drawn; 0 draws every record
    int LengthOfPicture = 30; // s shown while a run is drawn live
};

// One live point: the time in ms, the five analog values (V, time in s) and the signal bits.
struct TLivePoint {
    double X = 0;
    std::array<double, 5> Values{};
    std::uint8_t Signals = 0;
};

// What the worker asks of the window, in the order it happened.
struct TViewEvent {
    enum Type {
        PictureStarted, // clear the charts; Picture is the count of pictures
        AddPoints,      // append Points to the curves
        LiveAxis,       // bottom axis 0 .. LengthMs, title from Signals
        PictureEnded,   // clear the charts and draw the finished picture from the file
        FileRenewed,    // the recorder copied the full file away and goes on in it emptied
        Finished        // the worker has ended
    };
    Type Kind = AddPoints;
    int Picture = 0;
    int LengthMs = 0;
    std::uint8_t Signals = 0;
    std::vector<TLivePoint> Points;
};

// The live drawing of one collection: a thread that takes the records the recorder passes on,
// decides which are drawn (draw speed, time running backwards) and hands the window events in
// batches. It never touches a widget: the window takes the events on its own thread with Take().
class TViewDataWorker {
public:
    // `wake` is called (on the worker's thread) when events are waiting and none were before.
    TViewDataWorker(TDataRecordFifo& queue, TViewWorkerSettings settings, int pictureCount,
                    std::function<void()> wake = {});
    ~TViewDataWorker();
    TViewDataWorker(const TViewDataWorker&) = delete;
    TViewDataWorker& operator=(const TViewDataWorker&) = delete;

    // Ends the thread; waits for it. Records still queued are left where they are.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

    std::vector<TViewEvent> Take();

    void SetPictureCount(int count);
    void ResetTimePosition();
    int PictureCount() const { return m_pictureCount.load(); }
    long long RecordCounter() const { return m_recordCounter.load(); }

    // The drawing decisions of the loop, one record at a time (the thread calls it; tests too).
    void Handle(const TDataRecord& record);

private:
    void Loop(std::stop_token stop);
    void Push(TViewEvent event);
    void PushPoint(const TLivePoint& point);

    TDataRecordFifo& m_queue;
    const TViewWorkerSettings m_settings;
    std::function<void()> m_wake;

    std::atomic<int> m_pictureCount;
    std::atomic<long long> m_recordCounter{0};
    std::atomic<bool> m_resetTime{false};
    double m_timePosition = 0;
    double m_guard = 0;
    bool m_stopped = false;
    bool m_first = true;

    std::mutex m_eventLock;
    std::vector<TViewEvent> m_events;

    std::jthread m_thread;
};
