#include "controls/BtChkBox.h"

#include "controls/Drawing.h"
#include "controls/PLCtrls.h"
#include "fw/ui/Guard.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

QPixmap TBitCheckBox::DefaultGlyph(fw::CheckBoxState state) {
    QPixmap pm(14, 14);
    pm.fill(QColor(255, 0, 255));
    QPainter p(&pm);
    const QRect box(1, 0, 13, 13);
    p.fillRect(box, state == fw::CheckBoxState::cbGrayed ? QColor(192, 192, 192) : QColor(Qt::white));
    p.setPen(QColor(128, 128, 128));
    p.drawLine(1, 0, 13, 0);
    p.drawLine(1, 0, 1, 12);
    p.setPen(Qt::black);
    p.drawLine(2, 1, 12, 1);
    p.drawLine(2, 1, 2, 11);
    p.setPen(Qt::white);
    p.drawLine(1, 12, 13, 12);
    p.drawLine(13, 0, 13, 12);
    if (state != fw::CheckBoxState::cbUnchecked) {
        p.setPen(QPen(state == fw::CheckBoxState::cbGrayed ? QColor(128, 128, 128) : QColor(Qt::black), 2));
        p.drawLine(4, 6, 6, 9);
        p.drawLine(6, 9, 11, 3);
    }
    return pm;
}

TBitCheckBox::TBitCheckBox(fw::Control* parent, fw::Component* owner)
    : fw::ControlOf<QWidget>(parent, owner) {
    resize(97, 17);
    SetTabStop(true);
    SetCheckedGlyph(QPixmap());
    SetUncheckedGlyph(QPixmap());
    SetGrayedGlyph(QPixmap());
    checkedNum_ = grayedNum_ = uncheckedNum_ = 1;
}

void TBitCheckBox::SetCaption(const std::string& caption) {
    caption_ = QString::fromStdString(caption);
    update();
}

void TBitCheckBox::SetAlignment(fw::Alignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    update();
}

void TBitCheckBox::SetState(fw::CheckBoxState state) {
    if (state == state_) return;
    state_ = state;
    update();
}

void TBitCheckBox::SetBoxColor(fw::TColor color) {
    color_ = color;
    update();
}

void TBitCheckBox::SetGlyph(QPixmap& target, int& count, const QPixmap& glyph, fw::CheckBoxState state) {
    target = glyph.isNull() ? DefaultGlyph(state) : glyph;
    if (target.height() > 0 && target.width() % target.height() == 0)
        count = ClampCount(target.width() / target.height());
    update();
}

void TBitCheckBox::SetCheckedGlyph(const QPixmap& glyph) {
    SetGlyph(checked_, checkedNum_, glyph, fw::CheckBoxState::cbChecked);
}
void TBitCheckBox::SetUncheckedGlyph(const QPixmap& glyph) {
    SetGlyph(unchecked_, uncheckedNum_, glyph, fw::CheckBoxState::cbUnchecked);
}
void TBitCheckBox::SetGrayedGlyph(const QPixmap& glyph) {
    SetGlyph(grayed_, grayedNum_, glyph, fw::CheckBoxState::cbGrayed);
}

void TBitCheckBox::SetCheckedNumGlyphs(int n) {
    checkedNum_ = ClampCount(n);
    update();
}
void TBitCheckBox::SetUncheckedNumGlyphs(int n) {
    uncheckedNum_ = ClampCount(n);
    update();
}
void TBitCheckBox::SetGrayedNumGlyphs(int n) {
    grayedNum_ = ClampCount(n);
    update();
}

void TBitCheckBox::Toggle() {
    switch (state_) {
    case fw::CheckBoxState::cbUnchecked:
        SetState(AllowGrayed ? fw::CheckBoxState::cbGrayed : fw::CheckBoxState::cbChecked);
        break;
    case fw::CheckBoxState::cbChecked:
        SetState(fw::CheckBoxState::cbUnchecked);
        break;
    case fw::CheckBoxState::cbGrayed:
        SetState(fw::CheckBoxState::cbChecked);
        break;
    }
}

void TBitCheckBox::Click() {
    Toggle();
    fw::Control::Click();
    if (TabStop() && CanFocus()) SetFocus();
}

void TBitCheckBox::KeyPress(std::uint8_t& key) {
    fw::Control::KeyPress(key);
    if (key == ' ') Click();
}

bool TBitCheckBox::DialogChar(QChar key) {
    const QChar accel = AcceleratorOf(caption_);
    if (accel.isNull() || accel != key.toUpper() || !Enabled() || !CanFocus()) return false;
    SetFocus();
    if (Focused()) Toggle();
    return true;
}

void TBitCheckBox::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && Enabled())
        fw::Guarded([this] { Click(); });
}

void TBitCheckBox::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    update();
}

void TBitCheckBox::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void TBitCheckBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), PaintColor(color_));
    const QPixmap& glyph = state_ == fw::CheckBoxState::cbChecked     ? checked_
                           : state_ == fw::CheckBoxState::cbUnchecked ? unchecked_
                                                                      : grayed_;
    const int count = state_ == fw::CheckBoxState::cbChecked     ? checkedNum_
                      : state_ == fw::CheckBoxState::cbUnchecked ? uncheckedNum_
                                                                 : grayedNum_;
    const int cell = glyph.width() / count;
    p.setFont(font());
    const QFontMetrics fm(font());
    QString shown = caption_;
    int textWidth = fm.horizontalAdvance(caption_);
    if (caption_.contains('&')) textWidth -= fm.horizontalAdvance('&');
    const int left = alignment_ == fw::Alignment::taRightJustify ? cell + 4 : 1;
    const int top = (height() - fm.height()) / 2 - 2;
    QRect textRect = QRect(left, top, textWidth, fm.height() + 3).intersected(rect());
    QRect drawRect = textRect;
    if (!Enabled()) {
        if (Ctl3D) {
            p.setPen(BtnHighlight());
            QRect shifted = drawRect.translated(1, 1);
            DrawText(p, shown, shifted, DT_SINGLELINE | DT_VCENTER);
        }
        p.setPen(GrayText());
    } else {
        p.setPen(palette().color(QPalette::WindowText));
    }
    DrawText(p, shown, drawRect, DT_SINGLELINE | DT_VCENTER);
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(textRect.adjusted(0, 0, -1, -1));
    }
    const int gx = alignment_ == fw::Alignment::taRightJustify ? 0 : width() - cell;
    const int gy = (height() - glyph.height()) / 2;
    const int source = (!Enabled() && count == 2) ? cell : 0;
    QPixmap piece = glyph.copy(source, 0, cell, glyph.height());
    // The bottom-left pixel's colour is see-through.
    const QColor key = glyph.toImage().pixelColor(0, glyph.height() - 1);
    piece.setMask(piece.createMaskFromColor(key, Qt::MaskInColor));
    p.drawPixmap(gx, gy, piece);
}

} // namespace controls
