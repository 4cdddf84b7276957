#include "controls/PLSpin.h"

#include "base/CroatianFormat.h"
#include "base/Text.h"
#include "controls/Drawing.h"
#include "fw/ui/Form.h"
#include "fw/ui/Guard.h"

#include <cmath>
#include <QApplication>
#include <QBitmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

// ------------------------------------------------------------------------------------------- button

QPixmap TPlSpinButton::DefaultGlyph(bool up) {
    QPixmap pm(5, 3);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(Qt::black);
    for (int row = 0; row < 3; ++row) {
        const int y = up ? row : 2 - row;
        p.drawLine(row, y, 4 - row, y);
    }
    p.end();
    pm.setMask(pm.createMaskFromColor(Qt::white, Qt::MaskInColor));
    return pm;
}

TPlSpinButton::TPlSpinButton(fw::Control* parent, fw::Component* owner)
    : fw::ControlOf<QWidget>(parent, owner) {
    MarkGraphic();
    up_ = DefaultGlyph(true);
    down_ = DefaultGlyph(false);
    resize(20, 20);
}

void TPlSpinButton::SetUpGlyph(const QPixmap& glyph) {
    up_ = glyph.isNull() ? DefaultGlyph(true) : glyph;
    update();
}

void TPlSpinButton::SetDownGlyph(const QPixmap& glyph) {
    down_ = glyph.isNull() ? DefaultGlyph(false) : glyph;
    update();
}

bool TPlSpinButton::InBottomHalf(QPoint point) const {
    return point.y() > height() - (static_cast<double>(height()) / width()) * point.x();
}

void TPlSpinButton::TopClick() {
    if (OnTopClick) OnTopClick(*this);
    if (!(QApplication::mouseButtons() & Qt::LeftButton)) state_ = TSpinButtonState::sbNotDown;
}

void TPlSpinButton::BottomClick() {
    if (OnBottomClick) OnBottomClick(*this);
    if (!(QApplication::mouseButtons() & Qt::LeftButton)) state_ = TSpinButtonState::sbNotDown;
}

void TPlSpinButton::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !Enabled() || state_ != TSpinButtonState::sbNotDown) return;
    lastState_ = TSpinButtonState::sbNotDown;
    fw::Guarded([&] {
        if (InBottomHalf(event->position().toPoint())) {
            state_ = TSpinButtonState::sbBottomDown;
            lastState_ = state_;
            repaint();
            BottomClick();
        } else {
            state_ = TSpinButtonState::sbTopDown;
            lastState_ = state_;
            repaint();
            TopClick();
        }
    });
    // Holding an arrow steps again after 400 ms, then every 100 ms.
    if (!repeat_) {
        repeat_ = std::make_unique<QTimer>();
        QObject::connect(repeat_.get(), &QTimer::timeout, [this] { fw::Guarded([this] { RepeatStep(); }); });
    }
    repeat_->start(400);
    dragging_ = true;
}

void TPlSpinButton::RepeatStep() {
    repeat_->setInterval(100);
    if (state_ == TSpinButtonState::sbNotDown || !dragging_) return;
    if (!fw::Guarded([this] {
            if (state_ == TSpinButtonState::sbBottomDown)
                BottomClick();
            else
                TopClick();
        }))
        repeat_->stop();
}

void TPlSpinButton::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (!dragging_) return;
    const QPoint at = event->position().toPoint();
    TSpinButtonState now = TSpinButtonState::sbNotDown;
    if (rect().contains(at)) {
        const TSpinButtonState under =
            InBottomHalf(at) ? TSpinButtonState::sbBottomDown : TSpinButtonState::sbTopDown;
        if (under == lastState_) now = under;
    }
    if (now != state_) {
        state_ = now;
        repaint();
    }
}

void TPlSpinButton::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    if (repeat_) repeat_->stop();
    if (rect().contains(event->position().toPoint())) {
        state_ = lastState_ = TSpinButtonState::sbNotDown;
        repaint();
    }
}

void TPlSpinButton::DrawFace(QPainter& p, TSpinButtonState state) const {
    const int w = width(), h = height();
    const bool top = state == TSpinButtonState::sbTopDown, bottom = state == TSpinButtonState::sbBottomDown;
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.setPen(WindowFrame());
    p.drawRect(0, 0, w - 1, h - 1);
    p.drawLine(-1, h, w, -1);
    // Up half bevel.
    p.setPen(top ? BtnShadow() : BtnHighlight());
    p.drawPolyline(QPolygon({QPoint(1, h - 4), QPoint(1, 1), QPoint(w - 3, 1)}));
    if (!top) {
        p.setPen(BtnShadow());
        p.drawLine(1, h - 3, w - 2, 0);
    }
    // Down half bevel.
    p.setPen(bottom ? BtnHighlight() : BtnShadow());
    p.drawPolyline(QPolygon({QPoint(2, h - 2), QPoint(w - 2, h - 2), QPoint(w - 2, 1)}));
    p.setPen(bottom ? BtnShadow() : BtnHighlight());
    p.drawLine(2, h - 2, w - 1, 1);
    auto N = [](double v) { return static_cast<int>(std::nearbyint(v)); };
    const int k = top ? 2 : 1;
    p.drawPixmap(N(w * 0.25 - up_.width() * 0.5) + k, N(h * 0.25 - up_.height() * 0.5) + k, up_);
    p.drawPixmap(N(3 * w * 0.25 - down_.width() * 0.5) - 1, N(3 * h * 0.25 - down_.height() * 0.5) - 1,
                 down_);
    if (bottom) {
        p.setPen(BtnShadow());
        p.drawLine(3, h - 2, w - 1, 2);
    }
}

void TPlSpinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    DrawFace(p, state_);
}

// ------------------------------------------------------------------------------------------- edit

TPlSpinEdit::TPlSpinEdit(fw::Control* parent, fw::Component* owner) : fw::Edit(parent, owner) {
    button_ = new TPlSpinButton(this, this);
    button_->OnTopClick = [this](fw::Component&) { UpClick(); };
    button_->OnBottomClick = [this](fw::Component&) { DownClick(); };
    button_->setCursor(Qt::ArrowCursor);
    // Up and Down step the value on every form: the arrows are the edit's own, never the form's.
    SetTag(Tag() | fw::TagOwnArrowKeys);
    SetText("0");
    Layout();
}

double TPlSpinEdit::CheckValue(double value) const {
    if (maxValue_ == minValue_) return value;
    if (value < minValue_) return minValue_;
    if (value > maxValue_) return maxValue_;
    return value;
}

double TPlSpinEdit::Value() const {
    const std::string text = Text();
    if (valueType_ == TValueType::vtFloat) {
        if (auto v = base::ParseFloat(base::Trim(text))) return *v;
        return minValue_;
    }
    // Leading blanks and a sign are allowed; anything after the digits is not.
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::size_t digits = i;
    if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) ++digits;
    bool any = false, good = true;
    for (std::size_t j = digits; j < text.size(); ++j) {
        if (text[j] < '0' || text[j] > '9') good = false;
        any = true;
    }
    if (good && any) {
        const long long v = std::strtoll(text.c_str() + i, nullptr, 10);
        if (v >= INT32_MIN && v <= INT32_MAX && text.size() - digits <= 10) return static_cast<double>(v);
    }
    return std::trunc(minValue_);
}

void TPlSpinEdit::SetValue(double value) {
    const double v = CheckValue(value);
    if (valueType_ == TValueType::vtFloat)
        SetText(base::FormatFloat(v, decimal_, false));
    else
        SetText(std::to_string(static_cast<long long>(std::nearbyint(v))));
}

void TPlSpinEdit::SetAlignment(fw::Alignment alignment) {
    alignment_ = alignment;
    const Qt::Alignment h = alignment == fw::Alignment::taCenter         ? Qt::AlignHCenter
                            : alignment == fw::Alignment::taRightJustify ? Qt::AlignRight
                                                                         : Qt::AlignLeft;
    setAlignment(h | Qt::AlignVCenter);
}

void TPlSpinEdit::SetDecimal(int decimals) {
    decimal_ = std::clamp(decimals, 0, 255);
    SetValue(Value());
}

void TPlSpinEdit::SetValueType(TValueType type) {
    valueType_ = type;
    SetValue(Value());
}

void TPlSpinEdit::Step(double delta) {
    if (ReadOnly()) {
        fw::MessageBeep(0);
        return;
    }
    const QString before = text();
    changing_ = true;
    try {
        SetValue(Value() + delta);
    } catch (...) {
        changing_ = false;
        throw;
    }
    changing_ = false;
    if (QString::compare(before, text(), Qt::CaseInsensitive) != 0) {
        setModified(true);
        fw::Edit::Change();
    }
}

void TPlSpinEdit::UpClick() {
    Step(increment_);
}

void TPlSpinEdit::DownClick() {
    Step(-increment_);
}

void TPlSpinEdit::Change() {
    if (!changing_) fw::Edit::Change();
}

bool TPlSpinEdit::IsValidChar(std::uint8_t key) const {
    bool ok = key == '+' || key == '-' || (key >= '0' && key <= '9') ||
              (valueType_ == TValueType::vtFloat && key == ',') || key < 32;
    if (!EditorEnabled && (key >= 32 || key == 8)) ok = false;
    return ok;
}

void TPlSpinEdit::KeyDown(std::uint16_t& key, fw::Shift shift) {
    if (key == fw::VK_UP)
        UpClick();
    else if (key == fw::VK_DOWN)
        DownClick();
    fw::Edit::KeyDown(key, shift);
}

void TPlSpinEdit::KeyPress(std::uint8_t& key) {
    if (!IsValidChar(key)) {
        key = 0;
        fw::MessageBeep(0);
        return;
    }
    fw::Edit::KeyPress(key);
    if (key == 13 || key == 27) {
        // The form's default and cancel buttons answer Enter and Esc; Enter never goes into the text.
        if (fw::Form* f = ParentForm()) f->DialogKey(key == 13 ? fw::VK_RETURN : fw::VK_ESCAPE, fw::ssNone);
        if (key == 13) key = 0;
    }
}

void TPlSpinEdit::keyPressEvent(QKeyEvent* event) {
    // Paste and cut change the text only where it may be typed.
    if ((event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) &&
        (!EditorEnabled || ReadOnly()))
        return;
    fw::Edit::keyPressEvent(event);
}

void TPlSpinEdit::DoEnter() {
    if (AutoSelect && !(QApplication::mouseButtons() & Qt::LeftButton)) SelectAll();
    fw::Edit::DoEnter();
}

void TPlSpinEdit::DoExit() {
    fw::Edit::DoExit();
    const double v = Value();
    if (CheckValue(v) != v) SetValue(v);
}

void TPlSpinEdit::changeEvent(QEvent* event) {
    fw::Edit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) button_->SetEnabled(isEnabled());
    if (event->type() == QEvent::FontChange) Layout();
}

void TPlSpinEdit::resizeEvent(QResizeEvent* event) {
    fw::Edit::resizeEvent(event);
    Layout();
}

void TPlSpinEdit::Layout() {
    const QFontMetrics fm(font());
    const int minimum = fm.height() + fm.height() / 4 + 4 + 1;
    // A lower edit is raised to the minimum; the button is laid out for that height at once.
    const int h = std::max(height(), minimum);
    if (height() < minimum) resize(width(), minimum);
    const int side = h - 4;
    button_->setGeometry(width() - 2 - side, 2, side, side);
    setTextMargins(0, 0, side + 2, 0);
}

} // namespace controls
