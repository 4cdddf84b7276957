#include "controls/KwLabel.h"

#include "controls/Drawing.h"
#include "controls/PLCtrls.h"

#include <cmath>
#include <numbers>
#include <QFontMetrics>
#include <QPainter>

namespace controls {

namespace {

double Rad(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}
int T(double v) {
    return static_cast<int>(std::trunc(v));
}

} // namespace

RotatedPlacement PlaceRotatedText(int a, int w, int h) {
    RotatedPlacement r;
    const double s = std::sin(Rad(a)), c = std::cos(Rad(a));
    if (a <= 90) {
        r.Dy = T(s * w);
    } else if (a <= 180) {
        r.Dx = T(-c * w);
        r.Dy = T(s * w + std::cos(Rad(180 - a)) * h);
    } else if (a <= 270) {
        r.Dx = T(-c * w + std::sin(Rad(a - 180)) * h);
        r.Dy = T(std::sin(Rad(270 - a)) * h);
    } else {
        r.Dx = T(std::sin(Rad(360 - a)) * h);
    }
    r.Width = std::abs(T(c * w)) + std::abs(T(s * h));
    r.Height = std::abs(T(s * w)) + std::abs(T(c * h));
    return r;
}

TRotateLabel::TRotateLabel(fw::Control* parent, fw::Component* owner)
    : fw::ControlOf<QWidget>(parent, owner) {
    MarkGraphic();
    resize(65, 17);
    setFont(QFont(fw::FontFamily("Arial"), 8));
}

void TRotateLabel::SetCaption(const std::string& caption) {
    caption_ = QString::fromStdString(caption);
    update();
    AdjustBounds();
}

void TRotateLabel::SetEscapement(int degrees) {
    if (degrees == escapement_) return;
    if (degrees < 0) {
        while (degrees < -360)
            degrees += 360;
        degrees += 360;
    } else {
        while (degrees > 360)
            degrees -= 360;
    }
    escapement_ = degrees;
    update();
    AdjustBounds();
}

void TRotateLabel::SetTextStyle(TTextStyle style) {
    if (style == textStyle_) return;
    textStyle_ = style;
    update();
}

void TRotateLabel::SetAlignment(fw::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void TRotateLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustBounds();
}

void TRotateLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void TRotateLabel::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    AdjustBounds();
    update();
}

void TRotateLabel::SetShowAccelChar(bool show) {
    showAccelChar_ = show;
    update();
}

void TRotateLabel::SetLabelColor(fw::TColor color) {
    color_ = color;
    update();
}

QString TRotateLabel::ShownText(bool measuring) const {
    QString text = caption_;
    if (measuring && (text.isEmpty() || (showAccelChar_ && text == "&"))) text += ' ';
    return text;
}

QSize TRotateLabel::TextExtent() const {
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(ShownText(true)), fm.height());
}

void TRotateLabel::AdjustBounds() {
    if (!autoSize_) return;
    if (escapement_ == 0 || escapement_ == 360) {
        const QRect r = CalcTextRect(font(), ShownText(true), QRect(0, 0, width(), height()),
                                     DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u) |
                                         (showAccelChar_ ? 0u : DT_NOPREFIX));
        SetBounds(x(), y(), r.width(), r.height());
        return;
    }
    const QSize e = TextExtent();
    const RotatedPlacement place = PlaceRotatedText(escapement_, e.width(), e.height());
    SetBounds(x(), y(), place.Width, place.Height);
}

void TRotateLabel::DrawCopy(QPainter& p, const QColor& colour, int dx, int dy) {
    p.setPen(colour);
    if (escapement_ == 0) {
        unsigned flags =
            DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u) | (showAccelChar_ ? 0u : DT_NOPREFIX);
        flags |= alignment_ == fw::Alignment::taCenter         ? DT_CENTER
                 : alignment_ == fw::Alignment::taRightJustify ? DT_RIGHT
                                                               : DT_LEFT;
        QRect r = rect().translated(dx, dy);
        DrawText(p, caption_, r, flags);
        return;
    }
    const QSize e = TextExtent();
    const RotatedPlacement place = PlaceRotatedText(escapement_, e.width(), e.height());
    int x = place.Dx + dx, y = place.Dy + dy;
    if (!autoSize_) {
        if (alignment_ == fw::Alignment::taCenter) x += (width() - place.Width) / 2;
        if (alignment_ == fw::Alignment::taRightJustify) x += width() - place.Width;
    }
    // The start point is the top-left corner of the text cell; the text turns counter-clockwise about it.
    p.save();
    p.translate(x, y);
    p.rotate(-escapement_);
    p.drawText(0, QFontMetrics(font()).ascent(), ShownText(false));
    p.restore();
}

void TRotateLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    if (!transparent_) p.fillRect(rect(), PaintColor(color_));
    p.setFont(font());
    if (textStyle_ != TTextStyle::tsNone) {
        const bool raised = textStyle_ == TTextStyle::tsRaised;
        DrawCopy(p, raised ? BtnShadow() : BtnHighlight(), 1, 1);
        DrawCopy(p, raised ? BtnHighlight() : BtnShadow(), -1, -1);
    }
    DrawCopy(p, Enabled() ? palette().color(QPalette::WindowText) : GrayText(), 0, 0);
}

void TRotateLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) AdjustBounds();
    if (event->type() == QEvent::EnabledChange) update();
}

} // namespace controls
