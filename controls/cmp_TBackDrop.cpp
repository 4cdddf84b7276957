#include "controls/cmp_TBackDrop.h"

#include "controls/Drawing.h"

#include <QPainter>

namespace controls {

namespace {

fw::TColor Rgb(int r, int g, int b) {
    return static_cast<fw::TColor>(r & 0xFF) | (static_cast<fw::TColor>(g & 0xFF) << 8) |
           (static_cast<fw::TColor>(b & 0xFF) << 16);
}

void Fill(std::vector<GradientBand>& bands, fw::TColor a, fw::TColor b, bool mirrored, bool rows, int width,
          int height) {
    const QColor qa = fw::ToQColor(a), qb = fw::ToQColor(b);
    const int dr = qb.red() - qa.red(), dg = qb.green() - qa.green(), db = qb.blue() - qa.blue();
    const int steps = mirrored ? 128 : 256, divisor = mirrored ? 127 : 255;
    const int size = rows ? height : width;
    auto band = [&](int from, int to, fw::TColor colour) {
        const QRect r = rows ? QRect(0, from, width, to - from) : QRect(from, 0, to - from, height);
        bands.push_back({r, colour});
    };
    for (int i = 0; i < steps; ++i) {
        const fw::TColor colour = Rgb(qa.red() + MulDiv(i, dr, divisor), qa.green() + MulDiv(i, dg, divisor),
                                      qa.blue() + MulDiv(i, db, divisor));
        band(MulDiv(i, size, 256), MulDiv(i + 1, size, 256), colour);
        if (mirrored) band(MulDiv(255 - i, size, 256), MulDiv(256 - i, size, 256), colour);
    }
}

} // namespace

std::vector<GradientBand> GradientBands(TDirection direction, fw::TColor startColor, fw::TColor endColor,
                                        int width, int height) {
    std::vector<GradientBand> bands;
    bands.reserve(256);
    const fw::TColor s = startColor, e = endColor;
    switch (direction) {
    case TDirection::bdUp:
        Fill(bands, s, e, false, true, width, height);
        break;
    case TDirection::bdDown:
        Fill(bands, e, s, false, true, width, height);
        break;
    case TDirection::bdLeft:
        Fill(bands, s, e, false, false, width, height);
        break;
    case TDirection::bdRight:
        Fill(bands, e, s, false, false, width, height);
        break;
    case TDirection::bdHorzIn:
        Fill(bands, e, s, true, true, width, height);
        break;
    case TDirection::bdHorzOut:
        Fill(bands, s, e, true, true, width, height);
        break;
    case TDirection::bdVertIn:
        Fill(bands, s, e, true, false, width, height);
        break;
    case TDirection::bdVertOut:
        Fill(bands, e, s, true, false, width, height);
        break;
    }
    return bands;
}

TBackdrop::TBackdrop(fw::Control* parent, fw::Component* owner) : fw::ControlOf<QWidget>(parent, owner) {
    MarkGraphic();
    SetAlign(fw::Align::alClient);
}

void TBackdrop::SetDirection(TDirection direction) {
    if (direction == direction_) return;
    direction_ = direction;
    repaint();
}

void TBackdrop::SetStartColor(fw::TColor color) {
    if (color == startColor_) return;
    startColor_ = color;
    repaint();
}

void TBackdrop::SetEndColor(fw::TColor color) {
    if (color == endColor_) return;
    endColor_ = color;
    repaint();
}

void TBackdrop::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (const GradientBand& band : GradientBands(direction_, startColor_, endColor_, width(), height()))
        if (!band.Rect.isEmpty()) p.fillRect(band.Rect, fw::ToQColor(band.Color));
}

} // namespace controls
