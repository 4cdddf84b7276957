#pragma once
// TPlSpinEdit: a numeric edit with a two-arrow TPlSpinButton inside its right end; the arrows, the Up and
// Down keys and the button step the value by Increment within MinValue..MaxValue.

#include "fw/ui/Control.h"
#include "fw/ui/StdCtrls.h"

#include <memory>
#include <QPixmap>
#include <QTimer>

namespace controls {

enum class TSpinButtonState { sbNotDown, sbTopDown, sbBottomDown };

class TPlSpinButton : public fw::ControlOf<QWidget> {
public:
    explicit TPlSpinButton(fw::Control* parent, fw::Component* owner = nullptr);

    // A null picture reloads the built-in arrow.
    void SetUpGlyph(const QPixmap& glyph);
    void SetDownGlyph(const QPixmap& glyph);
    TSpinButtonState State() const { return state_; }
    // The lower-right half of the square lies below the diagonal from bottom-left to top-right.
    bool InBottomHalf(QPoint point) const;

    fw::NotifyEvent OnTopClick;
    fw::NotifyEvent OnBottomClick;

    static QPixmap DefaultGlyph(bool up);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void TopClick();
    void BottomClick();
    void RepeatStep();
    void DrawFace(QPainter& p, TSpinButtonState state) const;

    TSpinButtonState state_ = TSpinButtonState::sbNotDown;
    TSpinButtonState lastState_ = TSpinButtonState::sbNotDown;
    QPixmap up_, down_;
    bool dragging_ = false;
    std::unique_ptr<QTimer> repeat_;
};

enum class TValueType { vtInteger, vtFloat };

class TPlSpinEdit : public fw::Edit {
public:
    explicit TPlSpinEdit(fw::Control* parent, fw::Component* owner = nullptr);

    double MinValue() const { return minValue_; }
    void SetMinValue(double v) { minValue_ = v; }
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double v) { maxValue_ = v; }
    double Increment() const { return increment_; }
    void SetIncrement(double v) { increment_ = v; }
    int Decimal() const { return decimal_; }
    void SetDecimal(int decimals);
    TValueType ValueType() const { return valueType_; }
    void SetValueType(TValueType type);
    fw::Alignment GetAlignment() const { return alignment_; }
    void SetAlignment(fw::Alignment alignment);
    bool EditorEnabled = true;
    bool AutoSelect = true;

    // Read from the text; text that is no number reads as MinValue.
    double Value() const;
    // Clamped, then written to the text.
    void SetValue(double value);
    // Within MinValue..MaxValue, unless the two are equal (no limit then).
    double CheckValue(double value) const;

    TPlSpinButton& Button() const { return *button_; }
    virtual void UpClick();
    virtual void DownClick();
    virtual bool IsValidChar(std::uint8_t key) const;

    void KeyDown(std::uint16_t& key, fw::Shift shift) override;
    void KeyPress(std::uint8_t& key) override;
    void DoEnter() override;
    void DoExit() override;

protected:
    void Change() override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Step(double delta);
    void Layout();

    double minValue_ = 0, maxValue_ = 0, increment_ = 1;
    int decimal_ = 2;
    TValueType valueType_ = TValueType::vtInteger;
    bool changing_ = false;
    fw::Alignment alignment_ = fw::Alignment::taLeftJustify;
    TPlSpinButton* button_;
};

} // namespace controls
