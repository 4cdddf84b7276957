#pragma once
// Drawing helpers the controls share: the rounding multiply-divide, text output with the classic
// text-format flags, and 3-D frames.

#include "fw/ui/Color.h"
#include "fw/ui/Keys.h"

#include <cstdint>
#include <QPainter>
#include <QRect>
#include <QString>

namespace controls {

// a × b / c in 64 bits, rounded half away from zero; −1 when c is 0.
int MulDiv(int a, int b, int c);

// Text-format flags as the controls pass them.
enum TextFormat : unsigned {
    DT_LEFT = 0,
    DT_CENTER = 1,
    DT_RIGHT = 2,
    DT_VCENTER = 4,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
};

// Draws text into rect with those flags ("&" marks the accelerator unless DT_NOPREFIX). With DT_CALCRECT
// nothing is drawn: rect takes the size the text needs (its left and top stay). Answers the text height.
int DrawText(QPainter& p, const QString& text, QRect& rect, unsigned format);
// The same measure without a painter, for a font.
QRect CalcTextRect(const QFont& font, const QString& text, const QRect& rect, unsigned format);

using fw::AcceleratorOf;

// A bevel of width pixels: top-left edges in one colour, bottom-right in the other; rect shrinks inside.
void Frame3D(QPainter& p, QRect& rect, const QColor& topLeft, const QColor& bottomRight, int width);

// The system colours the controls paint with.
QColor BtnHighlight();
QColor BtnShadow();
QColor GrayText();
QColor WindowFrame();

} // namespace controls
