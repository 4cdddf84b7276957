#pragma once
// TBitCheckBox: a check box that draws its box as one of three pictures (checked, unchecked, grayed)
// beside its caption.

#include "fw/ui/Control.h"
#include "fw/ui/StdCtrls.h"

#include <QPixmap>
#include <string>

namespace controls {

class TBitCheckBox : public fw::ControlOf<QWidget> {
public:
    explicit TBitCheckBox(fw::Control* parent, fw::Component* owner = nullptr);

    std::string Caption() const { return caption_.toStdString(); }
    void SetCaption(const std::string& caption);
    // taLeftJustify puts the box at the right of the text; taRightJustify (the default) at its left.
    fw::Alignment GetAlignment() const { return alignment_; }
    void SetAlignment(fw::Alignment alignment);
    fw::CheckBoxState State() const { return state_; }
    // Fires no event: the program sets the box without running OnClick.
    void SetState(fw::CheckBoxState state);
    bool Checked() const { return state_ == fw::CheckBoxState::cbChecked; }
    void SetChecked(bool checked) {
        SetState(checked ? fw::CheckBoxState::cbChecked : fw::CheckBoxState::cbUnchecked);
    }
    bool AllowGrayed = false;
    bool Ctl3D = true;
    fw::TColor BoxColor() const { return color_; }
    void SetBoxColor(fw::TColor color);

    // A null picture loads the built-in one. A picture whose width is a whole multiple of its height
    // sets the matching count of cells.
    void SetCheckedGlyph(const QPixmap& glyph);
    void SetUncheckedGlyph(const QPixmap& glyph);
    void SetGrayedGlyph(const QPixmap& glyph);
    const QPixmap& CheckedGlyph() const { return checked_; }
    // Cells per picture, 1 or 2 (the second is shown while disabled).
    int CheckedNumGlyphs() const { return checkedNum_; }
    void SetCheckedNumGlyphs(int n);
    int UncheckedNumGlyphs() const { return uncheckedNum_; }
    void SetUncheckedNumGlyphs(int n);
    int GrayedNumGlyphs() const { return grayedNum_; }
    void SetGrayedNumGlyphs(int n);

    virtual void Toggle();
    void Click() override;
    void KeyPress(std::uint8_t& key) override;
    // The caption's accelerator: takes the focus and toggles without OnClick. Answers whether it was used.
    bool DialogChar(QChar key);

    // The built-in pictures: a 14 × 14 box on a magenta ground (the bottom-left pixel is transparent).
    static QPixmap DefaultGlyph(fw::CheckBoxState state);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    static int ClampCount(int n) { return n < 1 ? 1 : n > 2 ? 2 : n; }
    void SetGlyph(QPixmap& target, int& count, const QPixmap& glyph, fw::CheckBoxState state);

    QString caption_;
    QPixmap checked_, unchecked_, grayed_;
    fw::Alignment alignment_ = fw::Alignment::taRightJustify;
    fw::CheckBoxState state_ = fw::CheckBoxState::cbUnchecked;
    int checkedNum_ = 1, grayedNum_ = 1, uncheckedNum_ = 1;
    fw::TColor color_ = fw::clBtnFace;
};

} // namespace controls
