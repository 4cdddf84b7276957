#pragma once
// TPlLabel: a label that draws its text twice, once offset in a shadow colour, and tells when the mouse
// enters and leaves it.

#include "fw/ui/Control.h"
#include "fw/ui/StdCtrls.h"

#include <QPointer>
#include <string>

namespace controls {

enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };

class TPlCustomLabel : public fw::ControlOf<QWidget> {
public:
    explicit TPlCustomLabel(fw::Control* parent, fw::Component* owner = nullptr);

    std::string Caption() const { return caption_.toStdString(); }
    void SetCaption(const std::string& caption);
    fw::Alignment GetAlignment() const { return alignment_; }
    void SetAlignment(fw::Alignment alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    fw::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(fw::TColor color);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int size);
    TShadowPosition ShadowPos() const { return shadowPos_; }
    void SetShadowPos(TShadowPosition pos);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show);
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool show);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    // The label's background (default the window colour).
    fw::TColor LabelColor() const { return color_; }
    void SetLabelColor(fw::TColor color);
    fw::Control* FocusControl() const;
    void SetFocusControl(fw::Control* control);

    // The accelerator key of the caption: focuses FocusControl. Answers whether the key was used.
    bool DialogChar(QChar key);
    bool MouseInControl() const { return mouseIn_; }

    fw::NotifyEvent OnMouseEnter;
    fw::NotifyEvent OnMouseLeave;

protected:
    virtual void MouseEnter();
    virtual void MouseLeave();
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Draws (or with DT_CALCRECT measures) the caption with its shadow; rect becomes the union of both.
    void DoDrawText(QPainter& p, QRect& rect, unsigned flags);
    void AdjustBounds();
    void UpdateMouseState();

    QString caption_;
    fw::Alignment alignment_ = fw::Alignment::taLeftJustify;
    bool autoSize_ = true;
    TTextLayout layout_ = TTextLayout::tlTop;
    fw::TColor shadowColor_ = 0x80000014; // the button highlight
    int shadowSize_ = 1;
    TShadowPosition shadowPos_ = TShadowPosition::spLeftTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool showFocus_ = false;
    bool transparent_ = false;
    fw::TColor color_ = fw::clWindow;
    QPointer<QWidget> focusControl_;
    bool mouseIn_ = false;
    bool dragging_ = false;
    int leftMargin_ = 0;
    int rightMargin_ = 0;
};

class TPlLabel : public TPlCustomLabel {
public:
    using TPlCustomLabel::TPlCustomLabel;
};

// The colour a stored colour paints with; the button highlight (0x80000014) included.
QColor PaintColor(fw::TColor color);

} // namespace controls
