#include "fw/ui/Timer.h"

#include "fw/ui/Guard.h"

namespace fw {

Timer::Timer(Component* owner) : Component(owner) {
    timer_.setInterval(1000);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        // A failing handler would fail at every tick: told once, after the tick.
        GuardedEvent([this] {
            if (OnTimer) OnTimer(*this);
        });
    });
    timer_.start();
}

void Timer::SetInterval(int ms) {
    timer_.setInterval(ms);
    if (enabled_ && ms > 0)
        timer_.start();
    else
        timer_.stop();
}

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (enabled_ && timer_.interval() > 0)
        timer_.start();
    else
        timer_.stop();
}

} // namespace fw
