#include "controls/PLClock.h"

#include "fw/ui/Form.h"

#include <cmath>
#include <gtest/gtest.h>
#include <QImage>
#include <QTest>

namespace {

using controls::TPlClock;
using controls::TShowClock;

bool Dark(const QColor& c) {
    return c.lightness() < 100;
}

// Whether any dark pixel lies across the ray from the centre in that direction, at that share of the
// radius (a short segment across the ray, so the two edges of a hand are found).
bool InkAt(const QImage& image, QPoint centre, int radius, double degrees, double share) {
    const double a = degrees * M_PI / 180;
    const double dx = std::sin(a), dy = -std::cos(a);
    const double x = centre.x() + dx * radius * share, y = centre.y() + dy * radius * share;
    const int half = std::max(3, radius / 10);
    for (int k = -half; k <= half; ++k) {
        const int px = static_cast<int>(std::lround(x - dy * k)),
                  py = static_cast<int>(std::lround(y + dx * k));
        if (image.valid(px, py) && Dark(image.pixelColor(px, py))) return true;
    }
    return false;
}

struct ClockCase {
    QTime time;
    bool up, right, down, left; // ink half-way out in each direction
};

TEST(Clock, HandsShowTheGivenTime) {
    TPlClock clock(nullptr);
    clock.resize(200, 200);
    clock.SetShowMode(TShowClock::scAnalog);
    clock.SetFontColor(fw::clBlack);
    QTime now;
    clock.Now = [&] { return now; };
    const ClockCase cases[] = {
        {QTime(3, 0, 0), true, true, false, false},  // minute up, hour right
        {QTime(18, 0, 0), true, false, true, false}, // hour down, minute up
        {QTime(9, 0, 15), true, true, false, true},  // second hand right, minute up, hour left
        {QTime(0, 15, 30), true, true, true, false}, // hour up, minute right, second down
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.time.toString().toStdString());
        now = c.time;
        const QImage image = clock.grab().toImage();
        const QRect face = clock.ClockRect();
        const QPoint centre = face.center();
        const int radius = face.width() / 2;
        EXPECT_EQ(InkAt(image, centre, radius, 0, 0.45), c.up);
        EXPECT_EQ(InkAt(image, centre, radius, 90, 0.45), c.right);
        EXPECT_EQ(InkAt(image, centre, radius, 180, 0.45), c.down);
        EXPECT_EQ(InkAt(image, centre, radius, 270, 0.45), c.left);
        if (c.time == QTime(3, 0, 0))
            image.save(QStringLiteral(PLOM_BINARY_DIR) + "/screenshot-clock-analog.png");
    }
}

TEST(Clock, TwelveHourTextAndLeadingZero) {
    TPlClock clock(nullptr);
    EXPECT_EQ(clock.TimeText(QTime(9, 5, 7)), "09:05:07");
    clock.SetTwelveHour(true);
    clock.SetShowSeconds(false);
    EXPECT_EQ(clock.TimeText(QTime(0, 0, 0)), "12:00 AM");
    EXPECT_EQ(clock.TimeText(QTime(13, 5, 0)), "01:05 PM");
    clock.SetLeadingZero(false);
    EXPECT_EQ(clock.TimeText(QTime(13, 5, 0)), "1:05 PM");
    EXPECT_EQ(clock.TimeText(QTime(12, 30, 0)), "12:30 PM");
}

TEST(Clock, AlarmPartsAreCheckedAndTheAlarmFiresOncePerMinute) {
    TPlClock clock(nullptr);
    QTime now(6, 0, 0);
    clock.Now = [&] { return now; };
    int alarms = 0;
    clock.OnAlarm = [&](fw::Component&) { ++alarms; };
    clock.SetAlarmHour(7);
    clock.SetAlarmMinute(30);
    try {
        clock.SetAlarmMinute(60);
        ADD_FAILURE() << "no error";
    } catch (const controls::EConvertError& e) {
        EXPECT_STREQ(e.what(), "'7:60:0' nije ispravno vrijeme");
    }
    EXPECT_EQ(clock.AlarmHour(), 7);
    EXPECT_EQ(clock.AlarmMinute(), 30);
    clock.AlarmEnabled = true;
    for (QTime t : {QTime(7, 29, 59), QTime(7, 30, 0), QTime(7, 30, 20), QTime(7, 30, 59), QTime(7, 31, 0)}) {
        now = t;
        clock.Tick();
    }
    EXPECT_EQ(alarms, 1);

    // With no alarm time set, the alarm goes once in the minute 00:00 and again the next night.
    clock.SetAlarmHour(0);
    clock.SetAlarmMinute(0);
    alarms = 0;
    for (QTime t : {QTime(23, 59, 59), QTime(0, 0, 1), QTime(0, 0, 40), QTime(0, 1, 0), QTime(0, 0, 5)}) {
        now = t;
        clock.Tick();
    }
    EXPECT_EQ(alarms, 2);
}

TEST(Clock, AutoSizeFitsTheFontUnlessTheFaceIsTooSmall) {
    TPlClock clock(nullptr);
    clock.SetFontHeight(-5);
    clock.resize(300, 100);
    clock.SetAutoSize(true);
    const int fitted = clock.font().pixelSize();
    EXPECT_GT(fitted, 5);
    clock.resize(30, 30);
    clock.SetFontHeight(-5);
    clock.SetShowSeconds(false); // re-fits: the face is under 31 pixels wide
    EXPECT_EQ(clock.font().pixelSize(), 5);
}

TEST(Clock, DigitalReadOutAndTicksRepaintWhatChanged) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(220, 60);
    auto* clock = new TPlClock(form.get());
    clock->setGeometry(0, 0, 220, 60);
    clock->SetFontColor(fw::clBlack);
    clock->SetFontHeight(-28);
    QTime now(14, 7, 9);
    clock->Now = [&] { return now; };
    form->Show();
    QImage before = clock->grab().toImage();
    before.save(QStringLiteral(PLOM_BINARY_DIR) + "/screenshot-clock-digital.png");
    now = QTime(14, 7, 10);
    clock->Tick();
    QApplication::processEvents();
    EXPECT_NE(clock->grab().toImage(), before);
    // The real timer drives the clock on the GUI thread.
    int ticks = 0;
    clock->Now = [&] {
        ++ticks;
        return now;
    };
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 5000);
}

TEST(Clock, LighterColour) {
    EXPECT_EQ(controls::LighterColor(fw::clBlue), 0x80000014u); // a component at 255
    EXPECT_EQ(controls::LighterColor(0x808000), 0xFFFF00u);     // teal: 128 + 127
    EXPECT_EQ(controls::LighterColor(0xC00040), 0xFF00BFu);
}

} // namespace
