#pragma once
// TBackdrop: a graphic control that fills itself with a colour gradient in bands.

#include "fw/ui/Control.h"

#include <QColor>
#include <QRect>
#include <vector>

namespace controls {

enum class TDirection { bdUp, bdDown, bdLeft, bdRight, bdHorzIn, bdHorzOut, bdVertIn, bdVertOut };

struct GradientBand {
    QRect Rect;
    fw::TColor Color;
};

// The bands of a gradient of that direction over a control of that size, in paint order (at most 256).
std::vector<GradientBand> GradientBands(TDirection direction, fw::TColor startColor, fw::TColor endColor,
                                        int width, int height);

class TBackdrop : public fw::ControlOf<QWidget> {
public:
    explicit TBackdrop(fw::Control* parent, fw::Component* owner = nullptr);

    TDirection Direction() const { return direction_; }
    void SetDirection(TDirection direction);
    fw::TColor StartColor() const { return startColor_; }
    void SetStartColor(fw::TColor color);
    fw::TColor EndColor() const { return endColor_; }
    void SetEndColor(fw::TColor color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TDirection direction_ = TDirection::bdUp;
    fw::TColor startColor_ = fw::clBlue;
    fw::TColor endColor_ = fw::clBlack;
};

} // namespace controls
