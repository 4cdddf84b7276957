#pragma once
#include "fw/ui/Component.h"
#include "fw/ui/Control.h"

#include <QTimer>

namespace fw {

// Calls OnTimer every Interval milliseconds while Enabled; a failing handler is shown, the timer goes on.
class Timer : public Component {
public:
    explicit Timer(Component* owner);
    int Interval() const { return timer_.interval(); }
    void SetInterval(int ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    NotifyEvent OnTimer;

private:
    QTimer timer_;
    bool enabled_ = true;
};

} // namespace fw
