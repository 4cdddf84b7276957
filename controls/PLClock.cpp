#include "controls/PLClock.h"

#include "controls/Drawing.h"
#include "controls/PLCtrls.h"

#include <cmath>
#include <numbers>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>

namespace controls {

namespace {

const char* const AmText = "AM";
const char* const PmText = "PM";

struct Densities {
    int Vertical = 100;
    int Horizontal = 100;
    int ScreenWidth = 1024;
};

// Dots per 10 cm of the screen, read once.
const Densities& ScreenDensities() {
    static const Densities d = [] {
        Densities r;
        if (QScreen* s = QGuiApplication::primaryScreen()) {
            const double x = s->physicalDotsPerInchX(), y = s->physicalDotsPerInchY();
            if (x > 0 && y > 0) {
                r.Horizontal = static_cast<int>(x * 100 / 25.4);
                r.Vertical = static_cast<int>(y * 100 / 25.4);
            }
            if (s->geometry().width() > 0) r.ScreenWidth = s->geometry().width();
        }
        return r;
    }();
    return d;
}

int ToVertical(int v) {
    return v * ScreenDensities().Vertical / ScreenDensities().Horizontal;
}
int ToHorizontal(int v) {
    return v * ScreenDensities().Horizontal / ScreenDensities().Vertical;
}

} // namespace

const std::array<QPoint, 60>& CirclePoints() {
    static const std::array<QPoint, 60> points = [] {
        std::array<QPoint, 60> r;
        for (int i = 0; i < 60; ++i) {
            const double a = 2 * std::numbers::pi * i / 60;
            const int x = static_cast<int>(std::lround(8000 * std::sin(a)));
            const int y = static_cast<int>(std::lround(-8000 * std::cos(a)));
            r[static_cast<std::size_t>(i)] = QPoint(x, ToVertical(y));
        }
        return r;
    }();
    return points;
}

fw::TColor LighterColor(fw::TColor color) {
    const QColor c = fw::ToQColor(color);
    const int parts[3] = {c.red(), c.green(), c.blue()};
    for (int v : parts)
        if (v == 255) return 0x80000014;
    int out[3];
    for (int i = 0; i < 3; ++i)
        out[i] = parts[i] == 0 ? 0 : parts[i] == 192 ? 255 : (parts[i] + 127) % 256;
    return static_cast<fw::TColor>(out[0]) | (static_cast<fw::TColor>(out[1]) << 8) |
           (static_cast<fw::TColor>(out[2]) << 16);
}

TPlClock::TPlClock(fw::Control* parent, fw::Component* owner) : fw::ControlOf<QWidget>(parent, owner) {
    MarkGraphic();
    resize(185, 41);
    display_ = Now();
    timer_ = new TPlTimer(this);
    timer_->SetInterval(450);
    timer_->SetOnTimer([this](fw::Component&) { Tick(); });
    AlignClock();
}

TPlClock::~TPlClock() {
    // The timer goes first, so that no tick reaches a clock being taken apart.
    delete timer_;
}

void TPlClock::Loaded() {
    fw::ControlOf<QWidget>::Loaded();
    Rearm();
}

void TPlClock::SetAutoSize(bool autoSize) {
    if (autoSize == autoSize_) return;
    autoSize_ = autoSize;
    if (autoSize_) {
        update();
        AlignClock();
    }
}

void TPlClock::SetShowMode(TShowClock mode) {
    if (mode == showMode_) return;
    showMode_ = mode;
    update();
}

void TPlClock::SetTwelveHour(bool twelve) {
    if (twelve == twelveHour_) return;
    twelveHour_ = twelve;
    update();
    if (autoSize_) AlignClock();
}

void TPlClock::SetLeadingZero(bool leading) {
    if (leading == leadingZero_) return;
    leadingZero_ = leading;
    update();
}

void TPlClock::SetShowSeconds(bool show) {
    if (show == showSeconds_) return;
    showSeconds_ = show;
    update();
    if (autoSize_) AlignClock();
}

void TPlClock::SetDotsColor(fw::TColor color) {
    if (color == dotsColor_) return;
    dotsColor_ = color;
    update();
}

void TPlClock::SetBevelInner(fw::BevelCut cut) {
    bevelInner_ = cut;
    AlignClock();
    update();
}
void TPlClock::SetBevelOuter(fw::BevelCut cut) {
    bevelOuter_ = cut;
    AlignClock();
    update();
}
void TPlClock::SetBevelWidth(int width) {
    bevelWidth_ = std::max(width, 1);
    AlignClock();
    update();
}
void TPlClock::SetBorderWidth(int width) {
    borderWidth_ = std::max(width, 0);
    AlignClock();
    update();
}
void TPlClock::SetBorderStyle(TPanelBorder style) {
    borderStyle_ = style;
    AlignClock();
    update();
}
void TPlClock::SetCtl3D(bool ctl3D) {
    ctl3D_ = ctl3D;
    AlignClock();
    update();
}
void TPlClock::SetPanelColor(fw::TColor color) {
    color_ = color;
    update();
}

void TPlClock::SetFontHeight(int height) {
    QFont f = font();
    f.setPixelSize(std::max(std::abs(height), 1));
    setFont(f);
}

void TPlClock::SetAlarmPart(int hour, int minute, int second) {
    if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60) {
        std::string text = std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second);
        throw EConvertError("'" + text.substr(0, 50) + "' nije ispravno vrijeme");
    }
    alarm_ = (hour == 0 && minute == 0 && second == 0) ? QTime() : QTime(hour, minute, second);
    Rearm();
}

void TPlClock::Rearm() {
    const QTime now = Now();
    armed_ = !alarm_.isValid() || now < alarm_;
}

void TPlClock::CheckAlarm() {
    const QTime now = Now();
    const QTime alarm = alarm_.isValid() ? alarm_ : QTime(0, 0, 0);
    if (AlarmEnabled && now.hour() == alarm.hour() && now.minute() == alarm.minute() &&
        now.second() >= alarm.second()) {
        if (armed_) {
            armed_ = false;
            DoAlarm();
        }
    } else {
        Rearm();
    }
}

void TPlClock::DoAlarm() {
    if (OnAlarm) OnAlarm(*this);
}

void TPlClock::Tick() {
    const QTime now = Now();
    const bool secondChanged = now.second() != display_.second();
    const bool minuteChanged = now.minute() != display_.minute() || now.hour() % 12 != display_.hour() % 12;
    // The whole face is repainted from the new time; a clock jump shows at once.
    if ((secondChanged && (showSeconds_ || showMode_ == TShowClock::scAnalog)) || minuteChanged) update();
    display_ = now;
    CheckAlarm();
}

std::string TPlClock::TimeText(QTime time) const {
    int hour = time.hour();
    if (twelveHour_) {
        if (hour > 12) hour -= 12;
        if (hour == 0) hour = 12;
    }
    auto two = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    std::string text = leadingZero_ ? two(hour) : std::to_string(hour);
    text += ":" + two(time.minute());
    if (showSeconds_) text += ":" + two(time.second());
    if (twelveHour_) text += std::string(" ") + (time.hour() < 12 ? AmText : PmText);
    return text;
}

QRect TPlClock::InnerRect() const {
    QRect r = rect();
    if (borderStyle_ == TPanelBorder::bsSingle)
        r.adjust(ctl3D_ ? 2 : 1, ctl3D_ ? 2 : 1, ctl3D_ ? -2 : -1, ctl3D_ ? -2 : -1);
    int inset = borderWidth_;
    if (bevelOuter_ != fw::BevelCut::bvNone) inset += bevelWidth_;
    if (bevelInner_ != fw::BevelCut::bvNone) inset += bevelWidth_;
    return r.adjusted(inset, inset, -inset, -inset);
}

void TPlClock::AlignClock() {
    QRect r = InnerRect();
    const int w = r.width(), h = r.height();
    if (ToHorizontal(h) >= w) {
        const int nh = ToVertical(w);
        r = QRect(r.left(), r.top() + (h - nh) / 2, w, nh);
    } else {
        const int nw = ToHorizontal(h);
        r = QRect(r.left() + (w - nw) / 2, r.top(), nw, h);
    }
    clockRect_ = r;
    if (autoSize_) FitFont();
}

void TPlClock::FitFont() {
    QString sample = "88888";
    if (showSeconds_) sample += "888";
    QFont f = font();
    if (twelveHour_) {
        const QFontMetrics fm(f);
        const QString am = AmText, pm = PmText;
        sample += " " + (fm.horizontalAdvance(am) > fm.horizontalAdvance(pm) ? am : pm);
    }
    const int height = clockRect_.height() - 4, width = clockRect_.width() - 30;
    if (height < 1 || width < 1) return;
    f.setPixelSize(1000);
    const int measured = QFontMetrics(f).horizontalAdvance(sample);
    if (measured <= 0) return;
    f.setPixelSize(std::max(1, std::min(MulDiv(1000, width, measured), MulDiv(height, 4, 5))));
    setFont(f);
}

void TPlClock::resizeEvent(QResizeEvent* event) {
    fw::ControlOf<QWidget>::resizeEvent(event);
    AlignClock();
}

bool TPlClock::event(QEvent* event) {
    if (event->type() == QEvent::LocaleChange) {
        update();
        if (autoSize_) AlignClock();
    } else if (event->type() == QEvent::FontChange) {
        update();
    }
    return fw::ControlOf<QWidget>::event(event);
}

QPoint TPlClock::Scaled(int index, int length) const {
    const QPoint t = CirclePoints()[static_cast<std::size_t>(((index % 60) + 60) % 60)];
    return QPoint(t.x() * length / 8000, t.y() * length / 8000);
}

void TPlClock::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    if (borderStyle_ == TPanelBorder::bsSingle) {
        if (ctl3D_) {
            Frame3D(p, r, BtnShadow(), BtnHighlight(), 1);
            Frame3D(p, r, WindowFrame(), palette().color(QPalette::Button), 1);
        } else {
            Frame3D(p, r, WindowFrame(), WindowFrame(), 1);
        }
    }
    auto bevel = [&](fw::BevelCut cut) {
        if (cut == fw::BevelCut::bvNone) return;
        const bool lowered = cut == fw::BevelCut::bvLowered;
        Frame3D(p, r, lowered ? BtnShadow() : BtnHighlight(), lowered ? BtnHighlight() : BtnShadow(),
                bevelWidth_);
    };
    bevel(bevelOuter_);
    r.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    bevel(bevelInner_);
    p.fillRect(r, PaintColor(color_));
    const QTime now = Now();
    display_ = now;
    if (showMode_ == TShowClock::scDigital)
        PaintDigital(p, r, now);
    else
        PaintAnalog(p, now);
}

void TPlClock::PaintDigital(QPainter& p, const QRect& rect, QTime now) {
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    const QString text = QString::fromStdString(TimeText(now));
    int hour = now.hour();
    if (twelveHour_) {
        if (hour > 12) hour -= 12;
        if (hour == 0) hour = 12;
    }
    int count = (hour < 10 && !leadingZero_) ? 4 : 5;
    if (showSeconds_) count += 3;
    count = std::min<int>(count, static_cast<int>(text.size()));
    const QString suffix = text.mid(count);
    const QFontMetrics fm(font());
    const int cellWidth = fm.horizontalAdvance('8'), cellHeight = fm.height();
    const int total = fm.horizontalAdvance(suffix) + count * cellWidth;
    const int left = (rect.left() + rect.right() + 1 - total) / 2;
    const int top = (rect.top() + rect.bottom() + 1 - cellHeight) / 2;
    for (int i = 0; i < count; ++i) {
        QRect cell(left + i * cellWidth, top, cellWidth, cellHeight);
        p.fillRect(cell, PaintColor(color_));
        DrawText(p, text.mid(i, 1), cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP);
    }
    QRect rest(left + count * cellWidth, top, rect.right() - (left + count * cellWidth) + 1, cellHeight);
    DrawText(p, suffix, rest, DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP);
}

void TPlClock::PaintAnalog(QPainter& p, QTime now) {
    p.fillRect(clockRect_, PaintColor(color_));
    p.setPen(palette().color(QPalette::WindowText));
    PaintFace(p);
    const int hour = now.hour() % 12;
    PaintFatHand(p, hour * 5 + now.minute() / 12, true);
    PaintFatHand(p, now.minute(), false);
    if (showSeconds_) PaintSecondHand(p, now.second());
}

void TPlClock::PaintFace(QPainter& p) {
    const QRect r = clockRect_;
    int dotWidth = r.width() * 25 / ScreenDensities().ScreenWidth;
    int dotHeight = ToVertical(dotWidth);
    dotHeight = std::max(dotHeight, 1);
    dotWidth = std::max(dotWidth, 2);
    const QRect shrunk = r.adjusted(dotHeight / 2, dotWidth / 2, -(dotHeight / 2), -(dotWidth / 2));
    radius_ = shrunk.width() / 2;
    centre_ = QPoint(shrunk.left() + radius_, shrunk.top() + shrunk.height() / 2);
    const bool bevelled = dotWidth > 2 && dotHeight > 1;
    const QColor pen = p.pen().color();
    for (int i = 0; i < 60; ++i) {
        const QPoint at = Scaled(i, radius_) + centre_;
        if (i % 5 == 0) {
            QRect dot(at.x() - dotWidth / 2, at.y() - dotHeight / 2, dotWidth, dotHeight);
            if (ctl3D_ && bevelled) {
                p.fillRect(dot, PaintColor(dotsColor_));
                Frame3D(p, dot, PaintColor(LighterColor(dotsColor_)), WindowFrame(), 1);
            } else {
                p.fillRect(dot, pen);
            }
        } else if (bevelled) {
            if (ctl3D_) {
                p.fillRect(QRect(at.x() - 1, at.y() - 1, 2, 2), BtnShadow());
                p.fillRect(QRect(at.x(), at.y(), 2, 2), BtnHighlight());
            }
            p.fillRect(QRect(at.x(), at.y(), 1, 1), PaintColor(color_));
        }
    }
}

void TPlClock::PaintFatHand(QPainter& p, int position, bool hourHand) {
    const QPoint base = Scaled(position + 15, radius_ * (hourHand ? 7 : 5) / 100);
    const QPoint tip = Scaled(position, radius_ * (hourHand ? 60 : 80) / 100) + centre_;
    const QPoint tail = Scaled(position + 30, radius_ * (hourHand ? 15 : 20) / 100) + centre_;
    p.drawLine(centre_ + base, tip);
    p.drawLine(centre_ - base, tip);
    p.drawLine(centre_ + base, tail);
    p.drawLine(centre_ - base, tail);
}

void TPlClock::PaintSecondHand(QPainter& p, int second) {
    const QPoint tip = Scaled(second, radius_ * 80 / 100) + centre_;
    p.save();
    // Inverting the ground keeps the hand visible over the face and the other hands.
    if (p.paintEngine() && p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        p.setPen(Qt::white);
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
    } else {
        const QColor c = PaintColor(color_);
        p.setPen(QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()));
    }
    p.drawLine(centre_, tip);
    p.restore();
}

} // namespace controls
