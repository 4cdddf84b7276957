#pragma once
// TRotateLabel: a label whose text is drawn at an angle (Escapement, degrees counter-clockwise) with a
// raised or recessed look.

#include "fw/ui/Control.h"
#include "fw/ui/StdCtrls.h"

#include <QSize>
#include <string>

namespace controls {

enum class TTextStyle { tsNone, tsRaised, tsRecessed };

// Where turned text of size w × h starts inside its rectangle, and the size of its bounding box.
struct RotatedPlacement {
    int Dx = 0;
    int Dy = 0;
    int Width = 0;
    int Height = 0;
};
RotatedPlacement PlaceRotatedText(int escapement, int w, int h);

class TRotateLabel : public fw::ControlOf<QWidget> {
public:
    explicit TRotateLabel(fw::Control* parent, fw::Component* owner = nullptr);

    std::string Caption() const { return caption_.toStdString(); }
    void SetCaption(const std::string& caption);
    int Escapement() const { return escapement_; }
    void SetEscapement(int degrees);
    TTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TTextStyle style);
    fw::Alignment GetAlignment() const { return alignment_; }
    void SetAlignment(fw::Alignment alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show);
    fw::TColor LabelColor() const { return color_; }
    void SetLabelColor(fw::TColor color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString ShownText(bool measuring) const;
    QSize TextExtent() const;
    void DrawCopy(QPainter& p, const QColor& colour, int dx, int dy);
    void AdjustBounds();

    QString caption_;
    int escapement_ = 45;
    TTextStyle textStyle_ = TTextStyle::tsRaised;
    fw::Alignment alignment_ = fw::Alignment::taLeftJustify;
    bool autoSize_ = true;
    bool transparent_ = false;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    fw::TColor color_ = fw::clBtnFace;
};

} // namespace controls
