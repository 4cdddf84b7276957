#pragma once
// The designer runs modally: a test drives it from inside its loop, once it shows.

#include "windows/designer/EditWindow.h"

#include <functional>
#include <QTest>
#include <QTimer>

namespace designertest {

// Runs `open`, which opens the designer modally, and `step` on the designer once it is shown and active;
// returns how many times the designer was seen open.
inline int WhileDesignerOpen(const std::function<void()>& open,
                             const std::function<void(windows::TEditWindow&)>& step) {
    int seen = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        windows::TEditWindow* d = windows::EditWindowForm.EditWindow;
        if (!d || !d->isVisible()) return;
        poll.stop();
        ++seen;
        (void)QTest::qWaitForWindowActive(d);
        step(*d);
    });
    poll.start(10);
    open();
    poll.stop();
    return seen;
}

} // namespace designertest
