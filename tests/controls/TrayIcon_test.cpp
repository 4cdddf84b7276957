#include "controls/PLShell.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTest>
#include <set>

namespace {

using namespace controls;

// The notification area as the tests see it: what was added and its tip.
struct FakeArea : NotifyArea {
    struct State {
        bool shown = false;
        int adds = 0, modifies = 0;
        QString tip;
        qint64 iconKey = 0;
        NotifyArea* area = nullptr;
    };
    explicit FakeArea(State& s) : s_(s) { s_.area = this; }
    bool Add(const QIcon& icon, const QString& tip) override {
        ++s_.adds;
        s_.shown = true;
        s_.tip = tip;
        s_.iconKey = icon.cacheKey();
        return true;
    }
    bool Modify(const QIcon& icon, const QString& tip) override {
        ++s_.modifies;
        s_.tip = tip;
        s_.iconKey = icon.cacheKey();
        return true;
    }
    void Delete() override { s_.shown = false; }
    State& s_;
};

TIcon Square(QColor colour) {
    QPixmap pm(16, 16);
    pm.fill(colour);
    TIcon icon;
    icon.SetPixmap(pm);
    return icon;
}

struct TrayTest : ::testing::Test {
    FakeArea::State area;
    NotifyAreaFactory old;
    void SetUp() override {
        old = SetNotifyAreaFactory([this] { return std::make_unique<FakeArea>(area); });
    }
    void TearDown() override { SetNotifyAreaFactory(old); }
};

TEST_F(TrayTest, AnEmptyIconIsNotAddedAndTheTipIsTheShortHint) {
    TPlTrayIcon tray(nullptr);
    EXPECT_TRUE(tray.Active());
    EXPECT_EQ(tray.Interval(), 150);
    EXPECT_FALSE(tray.Added());
    EXPECT_EQ(area.adds, 0);
    tray.SetIcon(Square(Qt::blue));
    EXPECT_TRUE(tray.Added());
    EXPECT_TRUE(area.shown);
    tray.SetHint(std::string(70, 'x'));
    EXPECT_EQ(area.tip, QString(63, 'x'));
    tray.SetHint("Lumeno|Program za radne naloge");
    EXPECT_EQ(area.tip, "Lumeno");
    tray.Icon().Clear(); // an emptied icon leaves the area
    EXPECT_FALSE(tray.Added());
    EXPECT_FALSE(area.shown);
    tray.SetIcon(Square(Qt::red));
    tray.SetActive(false);
    EXPECT_FALSE(area.shown);
}

TEST_F(TrayTest, ClicksBecomeEventsAndTheMenuTakesRightClicks) {
    TPlTrayIcon tray(nullptr);
    tray.SetIcon(Square(Qt::blue));
    std::vector<std::string> log;
    tray.OnMouseDown = [&](fw::Component&, TMouseButton b, TShiftState s, int, int) {
        log.push_back("down" + std::to_string(static_cast<int>(b)) + "/" + std::to_string(s));
    };
    tray.OnMouseUp = [&](fw::Component&, TMouseButton b, TShiftState, int, int) {
        log.push_back("up" + std::to_string(static_cast<int>(b)));
    };
    tray.OnClick = [&](fw::Component&, TMouseButton b, TShiftState, int, int) {
        log.push_back("click" + std::to_string(static_cast<int>(b)));
    };
    tray.OnDblClick = [&](fw::Component&) { log.push_back("dbl"); };
    auto send = [&](TrayMessage m) { area.area->OnMessage(m); };
    send(TrayMessage::LButtonDown);
    send(TrayMessage::LButtonUp);
    send(TrayMessage::LButtonUp); // an up without its down is no click
    send(TrayMessage::RButtonDown);
    send(TrayMessage::RButtonUp);
    send(TrayMessage::LButtonDblClk);
    EXPECT_EQ(log, (std::vector<std::string>{"down0/8", "click0", "up0", "up0", "down1/16", "click1", "up1",
                                             "dbl", "down0/64"}));

    QMenu menu;
    QAction* open = menu.addAction("Otvori");
    int opened = 0;
    QObject::connect(open, &QAction::triggered, [&] { ++opened; });
    menu.setDefaultAction(open);
    tray.SetPopupMenu(&menu);
    log.clear();
    send(TrayMessage::RButtonDown);
    send(TrayMessage::RButtonUp);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    send(TrayMessage::LButtonDblClk);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"down1/16", "up1", "down0/64"}));
    open->setEnabled(false); // a disabled default item leaves the double click to the event
    send(TrayMessage::LButtonDblClk);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(log.back(), "down0/64");
    EXPECT_EQ(log[log.size() - 2], "dbl");
}

TEST_F(TrayTest, AnimationStepsThroughTheIconsOnTheGuiThread) {
    TPlTrayIcon tray(nullptr);
    tray.SetAnimated(true);
    EXPECT_FALSE(tray.Animated()); // no icons to animate
    tray.SetIcon(Square(Qt::gray));
    tray.Icons().Add(Square(Qt::red));
    tray.Icons().Add(Square(Qt::green));
    tray.Icons().Add(Square(Qt::blue));
    tray.SetInterval(5);
    tray.SetAnimated(true);
    EXPECT_TRUE(tray.Animated());
    EXPECT_EQ(tray.IconIndex(), 0);
    EXPECT_EQ(area.iconKey, tray.Icons().Get(0)->Icon().cacheKey());
    std::set<qint64> seen;
    QTRY_VERIFY_WITH_TIMEOUT((seen.insert(area.iconKey), seen.size() == 3), 5000);
    tray.SetAnimated(false);
    EXPECT_EQ(area.iconKey, tray.Icon().Icon().cacheKey());
    tray.SetAnimated(true);
    tray.Icons().Clear(); // emptying the list stops the animation
    EXPECT_FALSE(tray.Animated());
}

TEST(IconList, EditsReportChangesAndTheDataRoundTrips) {
    TIconList list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    list.Add(Square(Qt::red));
    list.AddNull();
    list.Add(Square(Qt::blue));
    EXPECT_EQ(changes, 3);
    list.Get(0)->SetPixmap(QPixmap()); // a change of one icon is a change of the list
    EXPECT_EQ(changes, 4);
    list.Put(0, Square(Qt::green));
    list.Exchange(0, 2);
    list.Move(2, 1);
    EXPECT_EQ(changes, 7);
    TIcon* green = list.Get(1);
    EXPECT_EQ(list.IndexOf(green), 1);
    list.BeginUpdate();
    list.Put(3, Square(Qt::yellow));
    list.Delete(0);
    EXPECT_EQ(changes, 7);
    list.EndUpdate();
    EXPECT_EQ(changes, 8);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(1), nullptr);

    const QByteArray data = list.WriteData();
    TIconList copy;
    copy.ReadData(data);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.Get(1), nullptr);
    EXPECT_FALSE(copy.Get(0)->Empty());
    EXPECT_EQ(copy.Get(0)->Icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::green));
    EXPECT_EQ(copy.WriteData(), data);

    for (const QByteArray& bad :
         {QByteArray("\x05\0\0\0", 4), data.left(data.size() - 3), QByteArray("\xFF\xFF\xFF\xFF", 4)})
        EXPECT_THROW(copy.ReadData(bad), base::Exception);
    EXPECT_THROW(list.Get(7), base::Exception);
}

TEST(TrayIconDesktop, WithoutANotificationAreaTheProgramGoesOnSilently) {
    TPlTrayIcon tray(nullptr);
    tray.SetIcon(Square(Qt::blue));
    EXPECT_EQ(tray.Added(), QSystemTrayIcon::isSystemTrayAvailable());
    tray.SetActive(false);
}

} // namespace
