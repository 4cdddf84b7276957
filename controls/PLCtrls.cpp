#include "controls/PLCtrls.h"

#include "controls/Drawing.h"
#include "fw/ui/Form.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

QColor PaintColor(fw::TColor color) {
    if (color == 0x80000014) return BtnHighlight();
    if (color == 0x80000010) return BtnShadow();
    if (color == 0x80000011) return GrayText();
    return fw::ToQColor(color);
}

TPlCustomLabel::TPlCustomLabel(fw::Control* parent, fw::Component* owner)
    : fw::ControlOf<QWidget>(parent, owner) {
    MarkGraphic();
    resize(65, 17);
    // The focus rectangle follows the focus control's focus.
    QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (showFocus_ && focusControl_ && (old == focusControl_ || now == focusControl_)) update();
    });
}

void TPlCustomLabel::SetCaption(const std::string& caption) {
    caption_ = QString::fromStdString(caption);
    update();
    AdjustBounds();
}

void TPlCustomLabel::SetAlignment(fw::Alignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    update();
}

void TPlCustomLabel::SetAutoSize(bool autoSize) {
    if (autoSize == autoSize_) return;
    autoSize_ = autoSize;
    AdjustBounds();
}

void TPlCustomLabel::SetLayout(TTextLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    update();
}

void TPlCustomLabel::SetShadowColor(fw::TColor color) {
    if (color == shadowColor_) return;
    shadowColor_ = color;
    update();
}

void TPlCustomLabel::SetShadowSize(int size) {
    size = std::clamp(size, 0, 255);
    if (size == shadowSize_) return;
    shadowSize_ = size;
    AdjustBounds();
    update();
}

void TPlCustomLabel::SetShadowPos(TShadowPosition pos) {
    if (pos == shadowPos_) return;
    shadowPos_ = pos;
    update();
}

void TPlCustomLabel::SetWordWrap(bool wrap) {
    if (wrap == wordWrap_) return;
    wordWrap_ = wrap;
    AdjustBounds();
}

void TPlCustomLabel::SetShowAccelChar(bool show) {
    if (show == showAccelChar_) return;
    showAccelChar_ = show;
    update();
}

void TPlCustomLabel::SetShowFocus(bool show) {
    if (show == showFocus_) return;
    showFocus_ = show;
    update();
}

void TPlCustomLabel::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    update();
}

void TPlCustomLabel::SetLabelColor(fw::TColor color) {
    color_ = color;
    update();
}

fw::Control* TPlCustomLabel::FocusControl() const {
    return focusControl_ ? fw::Control::Of(focusControl_.data()) : nullptr;
}

void TPlCustomLabel::SetFocusControl(fw::Control* control) {
    focusControl_ = control ? &control->Widget() : nullptr;
    if (showFocus_) update();
}

bool TPlCustomLabel::DialogChar(QChar key) {
    fw::Control* target = FocusControl();
    if (!target || !Enabled() || !showAccelChar_) return false;
    const QChar accel = AcceleratorOf(caption_);
    if (accel.isNull() || accel != key.toUpper() || !target->CanFocus()) return false;
    target->SetFocus();
    return true;
}

void TPlCustomLabel::DoDrawText(QPainter& p, QRect& rect, unsigned flags) {
    QString text = caption_;
    if ((flags & DT_CALCRECT) && (text.isEmpty() || (showAccelChar_ && text == "&"))) text += ' ';
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    p.setFont(font());
    QColor textColor = palette().color(QPalette::WindowText);
    QColor shadowColor = PaintColor(shadowColor_);
    TShadowPosition pos = shadowPos_;
    int n = shadowSize_;
    if (!Enabled()) {
        textColor = GrayText();
        shadowColor = BtnHighlight();
        if (n == 0) {
            pos = TShadowPosition::spRightBottom;
            n = 1;
        }
    }
    QRect shadowRect = rect, textRect = rect;
    switch (pos) {
    case TShadowPosition::spLeftTop:
        shadowRect.translate(-n, -n);
        break;
    case TShadowPosition::spLeftBottom:
        shadowRect.translate(-n, n);
        break;
    case TShadowPosition::spRightBottom:
        shadowRect.translate(n, n);
        break;
    case TShadowPosition::spRightTop:
        shadowRect.translate(n, -n);
        break;
    }
    p.setPen(shadowColor);
    DrawText(p, text, shadowRect, flags);
    p.setPen(textColor);
    DrawText(p, text, textRect, flags);
    rect = shadowRect.united(textRect);
}

void TPlCustomLabel::paintEvent(QPaintEvent*) {
    if (!Enabled()) dragging_ = false;
    QPainter p(this);
    if (!transparent_) p.fillRect(rect(), PaintColor(color_));
    QRect r(leftMargin_, 0, width() - leftMargin_ - rightMargin_, height());
    r.adjust(1, 0, -1, 0);
    unsigned flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u);
    flags |= alignment_ == fw::Alignment::taCenter         ? DT_CENTER
             : alignment_ == fw::Alignment::taRightJustify ? DT_RIGHT
                                                           : DT_LEFT;
    if (layout_ != TTextLayout::tlTop) {
        QRect calc = r;
        DoDrawText(p, calc, flags | DT_CALCRECT);
        const int bottom = calc.top() + calc.height();
        const int shift = layout_ == TTextLayout::tlCenter ? (height() - bottom) / 2 : height() - bottom;
        r = QRect(r.left(), calc.top() + shift, r.width(), calc.height());
    }
    DoDrawText(p, r, flags);
    fw::Control* target = FocusControl();
    if (showFocus_ && target && target->Focused()) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(r.adjusted(-1, -1, 0, 0));
    }
}

void TPlCustomLabel::AdjustBounds() {
    if (!autoSize_) return;
    QRect r(0, 0, width() - leftMargin_ - rightMargin_ - 2, height());
    QPixmap scratch(1, 1);
    QPainter p(&scratch);
    DoDrawText(p, r, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0u));
    const int w = r.right() + 1 + leftMargin_ + rightMargin_ + 2 - std::min(r.left(), 0);
    const int h = r.bottom() + 1 - std::min(r.top(), 0);
    int left = x();
    if (alignment_ == fw::Alignment::taRightJustify) left += width() - w;
    SetBounds(left, y(), w, h);
}

void TPlCustomLabel::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(*this);
}

void TPlCustomLabel::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(*this);
}

void TPlCustomLabel::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (!mouseIn_ && Enabled() && QApplication::activeWindow()) {
        mouseIn_ = true;
        MouseEnter();
    }
}

void TPlCustomLabel::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (mouseIn_ && Enabled() && !dragging_) {
        mouseIn_ = false;
        MouseLeave();
    }
}

void TPlCustomLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && Enabled()) dragging_ = true;
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::RightButton) UpdateMouseState();
}

void TPlCustomLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton) UpdateMouseState();
}

void TPlCustomLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        update();
        UpdateMouseState();
    } else if (event->type() == QEvent::FontChange) {
        AdjustBounds();
    }
}

void TPlCustomLabel::UpdateMouseState() {
    const bool inside = Enabled() && isVisible() && QApplication::activeWindow() &&
                        rect().contains(mapFromGlobal(QCursor::pos()));
    if (inside == mouseIn_) return;
    mouseIn_ = inside;
    if (inside)
        MouseEnter();
    else
        MouseLeave();
}

} // namespace controls
