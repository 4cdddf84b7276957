#include "controls/PlTimer.h"

#include "fw/ui/Guard.h"

#include <chrono>
#include <QCoreApplication>
#include <QMetaObject>

namespace controls {

namespace {

QThread::Priority QtPriority(TThreadPriority p) {
    switch (p) {
    case TThreadPriority::tpIdle:
        return QThread::IdlePriority;
    case TThreadPriority::tpLowest:
        return QThread::LowestPriority;
    case TThreadPriority::tpLower:
        return QThread::LowPriority;
    case TThreadPriority::tpNormal:
        return QThread::NormalPriority;
    case TThreadPriority::tpHigher:
        return QThread::HighPriority;
    case TThreadPriority::tpHighest:
        return QThread::HighestPriority;
    case TThreadPriority::tpTimeCritical:
        return QThread::TimeCriticalPriority;
    }
    return QThread::NormalPriority;
}

} // namespace

TPlTimer::TPlTimer(fw::Component* owner) : fw::Component(owner), receiver_(std::make_unique<QObject>()) {
    thread_.reset(QThread::create([this] { WorkerLoop(); }));
    thread_->start();
}

TPlTimer::~TPlTimer() {
    enabled_ = false;
    {
        std::lock_guard<std::mutex> hold(handlerLock_);
        onTimer_ = nullptr;
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
        ++generation_;
    }
    wake_.notify_all();
    // The worker posts ticks only under the lock and checks stop_ first: after the join nothing more
    // arrives, and the ticks already queued die with their receiver.
    thread_->wait();
    windowTimer_.reset();
    *alive_ = false;
    if (inTick_)
        receiver_.release()->deleteLater(); // freed from inside its own tick
    else
        receiver_.reset();
}

void TPlTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateTimer();
}

void TPlTimer::SetInterval(std::uint32_t ms) {
    if (ms == interval_) return;
    interval_ = ms;
    UpdateTimer();
}

void TPlTimer::SetThreaded(bool threaded) {
    if (threaded == threaded_) return;
    threaded_ = threaded;
    UpdateTimer();
}

void TPlTimer::SetThreadPriority(TThreadPriority priority) {
    if (priority == priority_) return;
    priority_ = priority;
    if (threaded_) UpdateTimer();
}

bool TPlTimer::HasOnTimer() const {
    std::lock_guard<std::mutex> hold(handlerLock_);
    return bool(onTimer_);
}

void TPlTimer::SetOnTimer(fw::NotifyEvent handler) {
    const bool had = HasOnTimer();
    const bool has = bool(handler);
    {
        std::lock_guard<std::mutex> hold(handlerLock_);
        onTimer_ = std::move(handler);
    }
    if (had != has) UpdateTimer();
}

bool TPlTimer::WantsTicks() const {
    return interval_ != 0 && enabled_ && HasOnTimer();
}

bool TPlTimer::Running() const {
    if (!threaded_) return windowTimer_ && windowTimer_->isActive();
    std::lock_guard<std::mutex> hold(lock_);
    return running_;
}

void TPlTimer::UpdateTimer() {
    const bool wanted = WantsTicks();
    if (threaded_) {
        windowTimer_.reset();
        {
            std::lock_guard<std::mutex> hold(lock_);
            threadInterval_ = interval_;
            running_ = wanted;
            ++generation_;
        }
        if (wanted) thread_->setPriority(QtPriority(priority_));
        wake_.notify_all();
        return;
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        running_ = false;
        ++generation_;
    }
    wake_.notify_all();
    if (!windowTimer_) {
        windowTimer_ = std::make_unique<QTimer>();
        QObject::connect(windowTimer_.get(), &QTimer::timeout,
                         [this] { fw::GuardedEvent([this] { Timer(); }); });
    }
    windowTimer_->stop();
    if (wanted) windowTimer_->start(static_cast<int>(interval_));
}

void TPlTimer::WorkerLoop() {
    std::unique_lock<std::mutex> hold(lock_);
    while (!stop_) {
        if (!running_) {
            wake_.wait(hold, [this] { return stop_ || running_; });
            continue;
        }
        const std::uint64_t generation = generation_;
        const auto interval = std::chrono::milliseconds(threadInterval_);
        // A change of the settings interrupts the sleep: the interval starts again.
        if (wake_.wait_for(hold, interval, [&] { return stop_ || generation_ != generation; })) continue;
        if (QCoreApplication::closingDown() || !enabled_) continue;
        if (SyncEvent) {
            QMetaObject::invokeMethod(
                receiver_.get(),
                [this, alive = alive_] {
                    if (*alive) DeliverTick();
                },
                Qt::QueuedConnection);
        } else {
            hold.unlock();
            fw::NotifyEvent handler;
            {
                std::lock_guard<std::mutex> h(handlerLock_);
                handler = onTimer_;
            }
            if (handler && enabled_) {
                try {
                    handler(*this);
                } catch (...) {
                    // A worker-thread handler has nowhere to show a failure; the timer goes on.
                }
            }
            hold.lock();
        }
    }
}

void TPlTimer::DeliverTick() {
    const std::shared_ptr<bool> alive = alive_;
    inTick_ = true;
    fw::GuardedEvent([this] { Timer(); });
    // The handler may have freed the timer: then nothing of it is touched.
    if (*alive) inTick_ = false;
}

void TPlTimer::Timer() {
    if (!enabled_ || (ComponentState() & fw::csDestroying)) return;
    fw::NotifyEvent handler;
    {
        std::lock_guard<std::mutex> hold(handlerLock_);
        handler = onTimer_;
    }
    if (handler) handler(*this);
}

} // namespace controls
