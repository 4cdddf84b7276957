#include "controls/PlTimer.h"

#include <atomic>
#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QThread>

namespace {

using controls::TPlTimer;

// Counts ticks and where they ran.
struct TickLog {
    std::atomic<int> ticks{0};
    std::atomic<int> offGuiThread{0};
    fw::NotifyEvent Handler() {
        return [this](fw::Component&) {
            ++ticks;
            if (QThread::currentThread() != qApp->thread()) ++offGuiThread;
        };
    }
};

TEST(PlTimer, ThreadedTicksArriveOnTheGuiThread) {
    TickLog log;
    TPlTimer timer(nullptr);
    EXPECT_TRUE(timer.Threaded());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.Running()); // nothing runs before a handler is set
    timer.SetInterval(5);
    timer.SetOnTimer(log.Handler());
    EXPECT_TRUE(timer.Running());
    QTRY_VERIFY_WITH_TIMEOUT(log.ticks >= 3, 5000);
    EXPECT_EQ(log.offGuiThread, 0);
}

TEST(PlTimer, WithoutSyncEventTheHandlerRunsOnTheWorker) {
    TickLog log;
    {
        TPlTimer timer(nullptr);
        timer.SyncEvent = false;
        timer.SetInterval(2);
        timer.SetOnTimer(log.Handler());
        for (int i = 0; i < 500 && log.ticks < 3; ++i)
            QThread::msleep(10);
        EXPECT_GE(log.ticks, 3);
    } // the destructor joins the worker while it may be in a tick
    // Compared only once the worker is gone: while it ticks, the two counters
    // are bumped one after the other.
    EXPECT_EQ(log.offGuiThread, log.ticks.load());
    const int after = log.ticks;
    QTest::qWait(30);
    EXPECT_EQ(log.ticks, after);
}

TEST(PlTimer, NoTicksWithoutIntervalEnabledOrHandler) {
    TickLog log;
    TPlTimer timer(nullptr);
    timer.SetInterval(0);
    timer.SetOnTimer(log.Handler());
    EXPECT_FALSE(timer.Running());
    timer.SetInterval(2);
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Running());
    QTest::qWait(50);
    EXPECT_EQ(log.ticks, 0);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Running());
    timer.SetOnTimer(nullptr);
    EXPECT_FALSE(timer.Running());
}

TEST(PlTimer, WindowModeTakesOverAndHandsBack) {
    TickLog log;
    TPlTimer timer(nullptr);
    timer.SetInterval(5);
    timer.SetOnTimer(log.Handler());
    timer.SetThreaded(false);
    EXPECT_TRUE(timer.Running());
    QTRY_VERIFY_WITH_TIMEOUT(log.ticks >= 2, 5000);
    EXPECT_EQ(log.offGuiThread, 0);
    timer.SetThreaded(true);
    const int before = log.ticks;
    QTRY_VERIFY_WITH_TIMEOUT(log.ticks >= before + 2, 5000);
    // A second handler while one is set keeps the timer going.
    TickLog second;
    timer.SetOnTimer(second.Handler());
    QTRY_VERIFY_WITH_TIMEOUT(second.ticks >= 1, 5000);
}

TEST(PlTimer, AHandlerMayFreeItsOwnTimer) {
    int ticks = 0;
    auto* timer = new TPlTimer(nullptr);
    timer->SetInterval(1);
    timer->SetOnTimer([&](fw::Component&) {
        ++ticks;
        delete timer;
    });
    QTRY_VERIFY_WITH_TIMEOUT(ticks == 1, 5000);
    QTest::qWait(30);
    EXPECT_EQ(ticks, 1); // ticks queued before the delete are dropped
}

TEST(PlTimer, OwnedTimersGoWithTheirOwnerWhileTicking) {
    for (int round = 0; round < 20; ++round) {
        auto owner = std::make_unique<fw::Component>(nullptr);
        auto* timer = new TPlTimer(owner.get());
        int ticks = 0;
        timer->SetInterval(1);
        timer->SetOnTimer([&](fw::Component&) { ++ticks; });
        QThread::msleep(3);
        owner.reset();
        QApplication::processEvents(); // queued ticks of the freed timer must not run
        EXPECT_EQ(ticks, 0);
    }
}

} // namespace
