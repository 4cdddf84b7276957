#pragma once
// TPlTimer: a non-visual timer that ticks from a worker thread of its own (Threaded, the default) or from
// an ordinary GUI-thread timer. With SyncEvent on, the threaded tick is handed to the GUI thread.

#include "fw/ui/Component.h"
#include "fw/ui/Control.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <QObject>
#include <QThread>
#include <QTimer>

namespace controls {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TPlTimer : public fw::Component {
public:
    explicit TPlTimer(fw::Component* owner);
    ~TPlTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t ms);
    bool Threaded() const { return threaded_; }
    void SetThreaded(bool threaded);
    TThreadPriority ThreadPriority() const { return priority_; }
    void SetThreadPriority(TThreadPriority priority);
    // With it off, a threaded tick runs the handler on the worker thread (which must not touch widgets).
    std::atomic<bool> SyncEvent{true};

    bool HasOnTimer() const;
    void SetOnTimer(fw::NotifyEvent handler);

    // Whether the worker is waiting out intervals (threaded) or the GUI timer runs (window mode).
    bool Running() const;

protected:
    // One tick: the handler, when enabled, assigned and not being destroyed.
    virtual void Timer();

private:
    void UpdateTimer();
    bool WantsTicks() const;
    void WorkerLoop();
    void DeliverTick();

    std::atomic<bool> enabled_{true};
    std::uint32_t interval_ = 1000;
    bool threaded_ = true;
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    fw::NotifyEvent onTimer_;
    mutable std::mutex handlerLock_;

    // Window mode.
    std::unique_ptr<QTimer> windowTimer_;

    // Threaded mode: the worker waits on the condition; a change of generation restarts its sleep.
    mutable std::mutex lock_;
    std::condition_variable wake_;
    bool running_ = false;
    bool stop_ = false;
    std::uint32_t threadInterval_ = 1000;
    std::uint64_t generation_ = 0;
    std::unique_ptr<QThread> thread_;
    // Lives on the GUI thread: ticks are queued to it and dropped once it is gone.
    std::unique_ptr<QObject> receiver_;
    bool inTick_ = false;
    // False once the timer is gone; a queued tick tests it before touching the timer.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace controls
