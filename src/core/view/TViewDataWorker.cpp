#include "core/view/TViewDataWorker.h"

#include "core/livedata/TDataRecordFifo.h"
#include "core/view/TPictureCurves.h"

#include <algorithm>
#include <cmath>
#include <utility>

TViewDataWorker::TViewDataWorker(TDataRecordFifo& queue, TViewWorkerSettings settings, int pictureCount,
                                 std::function<void()> wake)
    : m_queue(queue), m_settings(settings), m_wake(std::move(wake)), m_pictureCount(pictureCount) {
    m_thread = std::jthread([this](std::stop_token stop) { Loop(stop); });
}

TViewDataWorker::~TViewDataWorker() {
    Stop();
}

void TViewDataWorker::Stop() {
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
}

void TViewDataWorker::SetPictureCount(int count) {
    m_pictureCount = count;
    m_resetTime = true;
}

void TViewDataWorker::ResetTimePosition() {
    m_resetTime = true;
}

std::vector<TViewEvent> TViewDataWorker::Take() {
    std::lock_guard lock(m_eventLock);
    return std::exchange(m_events, {});
}

void TViewDataWorker::Push(TViewEvent event) {
    bool wasEmpty = false;
    {
        std::lock_guard lock(m_eventLock);
        wasEmpty = m_events.empty();
        m_events.push_back(std::move(event));
    }
    if (wasEmpty && m_wake) {
        m_wake();
    }
}

void TViewDataWorker::PushPoint(const TLivePoint& point) {
    {
        std::lock_guard lock(m_eventLock);
        if (!m_events.empty() && m_events.back().Kind == TViewEvent::AddPoints) {
            m_events.back().Points.push_back(point);
            return;
        }
    }
    TViewEvent event;
    event.Kind = TViewEvent::AddPoints;
    event.Points.push_back(point);
    Push(std::move(event));
}

void TViewDataWorker::Loop(std::stop_token stop) {
    std::vector<TDataRecord> batch(512);
    while (!stop.stop_requested()) {
        const int count = m_queue.GetSome(batch.data(), int(batch.size()), stop);
        for (int i = 0; i < count; ++i) {
            Handle(batch[std::size_t(i)]);
        }
    }
    TViewEvent finished;
    finished.Kind = TViewEvent::Finished;
    Push(std::move(finished));
}

void TViewDataWorker::Handle(const TDataRecord& record) {
    if (m_resetTime.exchange(false)) {
        m_timePosition = 0;
    }
    if (record.Kind == TDataRecord::FileRenewed) {
        m_pictureCount = 0;
        TViewEvent renewed;
        renewed.Kind = TViewEvent::FileRenewed;
        Push(std::move(renewed));
        return;
    }
    if (record.Kind == TDataRecord::RunStart) {
        TViewEvent started;
        started.Kind = TViewEvent::PictureStarted;
        started.Picture = ++m_pictureCount;
        Push(std::move(started));
        m_timePosition = 0;
        m_guard = 0;
        m_stopped = false;
    } else if (record.Kind == TDataRecord::Gap) {
        TViewEvent ended;
        ended.Kind = TViewEvent::PictureEnded;
        ended.Picture = m_pictureCount;
        Push(std::move(ended));
    }
    m_timePosition = std::nearbyint(Curves::TimePosition(record));

    // A draw speed of 0 would divide by zero: it draws every record.
    const long long every = std::max(1, m_settings.DrawSpeed);
    const long long counter = m_recordCounter++;
    if (counter % every == 0) {
        if (m_guard > m_timePosition || m_stopped || m_first) {
            if (m_first) {
                m_first = false;
            } else {
                m_stopped = true;
            }
        } else {
            m_guard = m_timePosition;
            TLivePoint point;
            point.X = m_timePosition * 10;
            const auto values = Curves::AnalogOf(record);
            std::copy(values.begin(), values.end(), point.Values.begin());
            point.Signals = record.Signals;
            PushPoint(point);
            if (record.RunTime < every * 10) {
                TViewEvent axis;
                axis.Kind = TViewEvent::LiveAxis;
                axis.LengthMs = m_settings.LengthOfPicture * 1000;
                axis.Signals = record.Signals;
                Push(std::move(axis));
            }
        }
    }
}
