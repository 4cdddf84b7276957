#pragma once
// The one drawing surface the plan is painted on: the designer's and the type list's picture (a QImage
// through a QPainter) and the printed page (the page canvas). The routines set pen, brush and font and
// draw; the target decides how that lands on its device.

#include "fw/print/PageCanvas.h"
#include "fw/ui/Color.h"

#include <QPainter>
#include <QPoint>
#include <string>
#include <vector>

namespace windows {

enum class PenKind { Solid, Dotted };
enum class BrushKind { Solid, Clear, DiagCross };

struct PenSpec {
    fw::TColor Color = fw::clBlack;
    int Width = 1;
    PenKind Style = PenKind::Solid;
    // Exclusive-or with what is there: drawn twice it leaves the picture as it was.
    bool Xor = false;
};

struct BrushSpec {
    fw::TColor Color = fw::clWhite;
    BrushKind Style = BrushKind::Solid;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    PenSpec Pen;
    BrushSpec Brush;

    // Outlined with the pen, filled with the brush; right and bottom lie outside.
    virtual void Rectangle(int l, int t, int r, int b) = 0;
    // Filled with the brush only; right and bottom lie outside.
    virtual void FillRect(int l, int t, int r, int b) = 0;
    // Both ends drawn.
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    virtual void Polyline(const std::vector<QPoint>& tocke) = 0;
    // Placed by the text's top-left corner; a turned text (degrees, counter-clockwise) keeps that corner.
    virtual void TextOut(int x, int y, const std::string& text, int kut = 0) = 0;
    virtual void SetFont(const std::string& ime, int velicina) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
};

// A picture on the screen.
class ImageCanvas : public Canvas {
public:
    explicit ImageCanvas(QPainter& painter);
    void Rectangle(int l, int t, int r, int b) override;
    void FillRect(int l, int t, int r, int b) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Polyline(const std::vector<QPoint>& tocke) override;
    void TextOut(int x, int y, const std::string& text, int kut = 0) override;
    void SetFont(const std::string& ime, int velicina) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;

private:
    void PrimijeniOlovku();
    QPainter& p_;
};

// A page of the page printer (printer units). Exclusive-or has no meaning on paper: it draws plainly.
class PageCanvasTarget : public Canvas {
public:
    explicit PageCanvasTarget(fw::PageCanvas& canvas) : c_(canvas) {}
    void Rectangle(int l, int t, int r, int b) override;
    void FillRect(int l, int t, int r, int b) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Polyline(const std::vector<QPoint>& tocke) override;
    void TextOut(int x, int y, const std::string& text, int kut = 0) override;
    void SetFont(const std::string& ime, int velicina) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;

private:
    void Primijeni();
    fw::PageCanvas& c_;
};

} // namespace windows
