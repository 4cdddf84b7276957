#include "controls/cmp_Rotate3DLabel.h"

#include "controls/PLCtrls.h"

#include <cmath>
#include <numbers>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

namespace controls {

void TLabelStyle::SetAngle(int angle) {
    if (angle == angle_) return;
    angle_ = (angle < 0 || angle >= 360) ? 0 : angle;
    Changed();
}

void TLabelStyle::SetAStyle3D(T3DEffectShort style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TLabelStyle::SetAShadeRightBottom(fw::TColor color) {
    if (color == rightBottom_) return;
    rightBottom_ = color;
    Changed();
}

void TLabelStyle::SetAShadeLeftTop(fw::TColor color) {
    // While the left-top shade is fixed to white, the colour cannot be chosen.
    if (color == leftTop_ || ltSet_) return;
    leftTop_ = color;
    Changed();
}

void TLabelStyle::SetAShadeLTSet(bool set) {
    if (set != ltSet_) {
        if (set) {
            savedLeftTop_ = leftTop_;
            leftTop_ = fw::clWhite;
        } else {
            leftTop_ = savedLeftTop_;
        }
        ltSet_ = set;
    }
    if (ltSet_ && (style_ == T3DEffectShort::A3dResit || style_ == T3DEffectShort::A3dRaised) &&
        savedLeftTop_ != fw::clWhite)
        Changed();
}

void TLabelStyle::SetAHShadeOffSet(int offset) {
    if (offset == hOffset_) return;
    hOffset_ = offset;
    if (style_ == T3DEffectShort::A3dShadowed) Changed();
}

void TLabelStyle::SetAVShadeOffSet(int offset) {
    if (offset == vOffset_) return;
    vOffset_ = offset;
    if (style_ == T3DEffectShort::A3dShadowed) Changed();
}

void TLabelStyle::Assign(const TLabelStyle& other) {
    SetAngle(other.angle_);
    SetAStyle3D(other.style_);
    SetAShadeRightBottom(other.rightBottom_);
    SetAShadeLeftTop(other.leftTop_);
    SetAShadeLTSet(other.ltSet_);
    SetAHShadeOffSet(other.hOffset_);
    SetAVShadeOffSet(other.vOffset_);
    Changed();
}

TRotate3DLabel::TRotate3DLabel(fw::Control* parent, fw::Component* owner)
    : fw::ControlOf<QWidget>(parent, owner), style_(std::make_unique<TLabelStyle>()) {
    MarkGraphic();
    resize(65, 17);
    QFont f(fw::FontFamily("Arial CE"), 8);
    f.setBold(true);
    setFont(f);
    style_->OnChange = [this] { update(); };
}

void TRotate3DLabel::SetCaption(const std::string& caption) {
    caption_ = QString::fromStdString(caption);
    update();
}

void TRotate3DLabel::SetLabelStyle(const TLabelStyle& style) {
    style_->Assign(style);
    update();
}

void TRotate3DLabel::SetMyTransparent(bool transparent) {
    if (transparent == myTransparent_) return;
    myTransparent_ = transparent;
    update();
}

void TRotate3DLabel::SetLabelColor(fw::TColor color) {
    color_ = color;
    update();
}

void TRotate3DLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const double a = style_->angle_ * std::numbers::pi / 180.0;
    const double ca = std::cos(a), sa = std::sin(a);
    const QColor fontColour = palette().color(QPalette::WindowText);
    // An opaque label is always drawn flat.
    if (!myTransparent_) style_->style_ = T3DEffectShort::A3dNormal;
    int highlight = 0, shade = 0;
    if (style_->style_ == T3DEffectShort::A3dRaised) highlight = 1, shade = -1;
    if (style_->style_ == T3DEffectShort::A3dResit) highlight = -1, shade = 1;
    p.setFont(font());
    const QFontMetrics fm(font());
    auto T = [](double v) { return static_cast<int>(std::trunc(v)); };
    int w = fm.horizontalAdvance(caption_), h = fm.height();
    const int cx = width() / 2, cy = height() / 2;
    const int x = cx - T(w * 0.5 * ca) - T(h * 0.5 * sa);
    const int y = cy + T(w * 0.5 * sa) - T(h * 0.5 * ca);
    if (!myTransparent_) {
        w += 10;
        h += 7;
        const double hw = w / 2.0, hh = h / 2.0;
        QPolygon poly;
        poly << QPoint(cx - T(hw * ca) - T(hh * sa), cy + T(hw * sa) - T(hh * ca))
             << QPoint(cx + T(hw * ca) - T(hh * sa), cy - T(hw * sa) - T(hh * ca))
             << QPoint(cx + T(hw * ca) + T(hh * sa), cy - T(hw * sa) + T(hh * ca))
             << QPoint(cx - T(hw * ca) + T(hh * sa), cy + T(hw * sa) + T(hh * ca));
        p.setBrush(PaintColor(color_));
        p.setPen(fontColour);
        p.drawPolygon(poly);
        p.setBrush(Qt::NoBrush);
    }
    auto textOut = [&](int tx, int ty, const QColor& colour) {
        p.save();
        p.setPen(colour);
        p.translate(tx, ty);
        p.rotate(-style_->angle_);
        p.drawText(0, fm.ascent(), caption_);
        p.restore();
    };
    const T3DEffectShort s = style_->style_;
    if (s != T3DEffectShort::A3dNormal) {
        if (s != T3DEffectShort::A3dShadowed) textOut(x + shade, y + shade, PaintColor(style_->leftTop_));
        if (s == T3DEffectShort::A3dShadowed)
            textOut(x + style_->hOffset_, y + style_->vOffset_, PaintColor(style_->rightBottom_));
        else
            textOut(x + highlight, y + highlight, PaintColor(style_->rightBottom_));
    }
    textOut(x, y, fontColour);
}

} // namespace controls
