#pragma once
// TPlClock: a panel that shows the time as a digital read-out or as an analog face with hands, and can
// raise an alarm event once a day at a set time. A threaded timer ticks it every 450 ms.

#include "base/Exceptions.h"
#include "controls/PlTimer.h"
#include "fw/ui/Control.h"
#include "fw/ui/ExtCtrls.h"

#include <array>
#include <functional>
#include <QPoint>
#include <QRect>
#include <QTime>
#include <string>

namespace controls {

enum class TShowClock { scDigital, scAnalog };
enum class TPanelBorder { bsNone, bsSingle };

// A text that is no valid date or time.
class EConvertError : public base::Exception {
public:
    using base::Exception::Exception;
};

// The 60 points of the clock face, clockwise from the top, on a circle of radius 8000.
const std::array<QPoint, 60>& CirclePoints();

class TPlClock : public fw::ControlOf<QWidget> {
public:
    explicit TPlClock(fw::Control* parent, fw::Component* owner = nullptr);
    ~TPlClock() override;

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    TShowClock ShowMode() const { return showMode_; }
    void SetShowMode(TShowClock mode);
    bool TwelveHour() const { return twelveHour_; }
    void SetTwelveHour(bool twelve);
    bool LeadingZero() const { return leadingZero_; }
    void SetLeadingZero(bool leading);
    bool ShowSeconds() const { return showSeconds_; }
    void SetShowSeconds(bool show);
    fw::TColor DotsColor() const { return dotsColor_; }
    void SetDotsColor(fw::TColor color);
    bool AlarmEnabled = false;
    int AlarmHour() const { return alarm_.isValid() ? alarm_.hour() : 0; }
    int AlarmMinute() const { return alarm_.isValid() ? alarm_.minute() : 0; }
    int AlarmSecond() const { return alarm_.isValid() ? alarm_.second() : 0; }
    // Replace one part of the alarm time; an impossible time raises EConvertError and changes nothing.
    void SetAlarmHour(int hour) { SetAlarmPart(hour, AlarmMinute(), AlarmSecond()); }
    void SetAlarmMinute(int minute) { SetAlarmPart(AlarmHour(), minute, AlarmSecond()); }
    void SetAlarmSecond(int second) { SetAlarmPart(AlarmHour(), AlarmMinute(), second); }
    fw::NotifyEvent OnAlarm;

    // The panel's look.
    fw::BevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(fw::BevelCut cut);
    fw::BevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(fw::BevelCut cut);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    TPanelBorder BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TPanelBorder style);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool ctl3D);
    fw::TColor PanelColor() const { return color_; }
    void SetPanelColor(fw::TColor color);
    // Font height in pixels (negative: the character height without leading, as the forms give it).
    void SetFontHeight(int height);

    // Where the time comes from (tests set a fixed one).
    std::function<QTime()> Now = [] { return QTime::currentTime(); };
    // One tick: repaint what changed, then check the alarm.
    void Tick();
    // The digital read-out for a time.
    std::string TimeText(QTime time) const;
    // The square face inside the panel.
    QRect ClockRect() const { return clockRect_; }
    TPlTimer& Timer() const { return *timer_; }

protected:
    virtual void DoAlarm();
    void Loaded() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void SetAlarmPart(int hour, int minute, int second);
    void Rearm();
    void CheckAlarm();
    QRect InnerRect() const;
    void AlignClock();
    void FitFont();
    void PaintDigital(QPainter& p, const QRect& rect, QTime now);
    void PaintAnalog(QPainter& p, QTime now);
    void PaintFace(QPainter& p);
    void PaintFatHand(QPainter& p, int position, bool hourHand);
    void PaintSecondHand(QPainter& p, int second);
    QPoint Scaled(int index, int length) const;

    TPlTimer* timer_;
    bool autoSize_ = false;
    TShowClock showMode_ = TShowClock::scDigital;
    bool twelveHour_ = false;
    bool leadingZero_ = true;
    bool showSeconds_ = true;
    fw::TColor dotsColor_ = 0x808000; // teal
    QTime alarm_;                     // invalid: no time set
    bool armed_ = true;
    QTime display_;
    QRect clockRect_;
    int radius_ = 0;
    QPoint centre_;
    fw::BevelCut bevelInner_ = fw::BevelCut::bvLowered;
    fw::BevelCut bevelOuter_ = fw::BevelCut::bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TPanelBorder borderStyle_ = TPanelBorder::bsNone;
    bool ctl3D_ = true;
    fw::TColor color_ = fw::clBtnFace;
};

// The lighter colour of the hour marks' bevel.
fw::TColor LighterColor(fw::TColor color);

} // namespace controls
