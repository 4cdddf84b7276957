#pragma once
// A printed page as a list of drawing commands in printer device units. The same list is painted on the
// preview, sent to a printer or written to PDF; a replay scales it to its target, so nothing on the page
// depends on the resolution of the screen it was built on.

#include "fw/ui/Color.h"

#include <QPoint>
#include <string>
#include <vector>

class QPainter;
class QFont;

namespace fw {

enum class PenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum class BrushStyle { bsSolid, bsClear, bsDiagCross };

struct PagePen {
    TColor Color = clBlack;
    int Width = 1; // device pixels; 0 and 1 draw the thinnest line
    PenStyle Style = PenStyle::psSolid;
    friend bool operator==(const PagePen&, const PagePen&) = default;
};

struct PageBrush {
    TColor Color = clWhite;
    BrushStyle Style = BrushStyle::bsSolid;
    friend bool operator==(const PageBrush&, const PageBrush&) = default;
};

// A font realised at the page's resolution: the family that stands in for the named one, its em height
// in device pixels and the angle of its base line in tenths of a degree, counter-clockwise.
struct PageFont {
    std::string Family;
    int PixelHeight = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = clBlack;
    int Escapement = 0;
    friend bool operator==(const PageFont&, const PageFont&) = default;
};

QFont ToQFont(const PageFont& font);

enum class CommandKind { Text, Line, Rectangle, Fill, Polyline };

// One drawing step. Text is placed by its top edge at the first point; a line runs between the two
// points; a rectangle or fill covers Points[0] up to (not including) Points[1].
struct PageCommand {
    CommandKind Kind = CommandKind::Text;
    std::vector<QPoint> Points;
    std::string Text;
    int Pen = 0;
    int Brush = 0;
    int Font = 0;
};

class Page {
public:
    Page(int dpiX, int dpiY, int width, int height);

    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    void AddText(QPoint at, std::string text, const PageFont& font);
    void AddLine(QPoint from, QPoint to, const PagePen& pen);
    void AddRectangle(QPoint topLeft, QPoint bottomRight, const PagePen& pen, const PageBrush& brush);
    void AddFill(QPoint topLeft, QPoint bottomRight, const PageBrush& brush);
    void AddPolyline(std::vector<QPoint> points, const PagePen& pen);

    const std::vector<PageCommand>& Commands() const { return commands_; }
    const PagePen& PenOf(const PageCommand& c) const { return pens_.at(static_cast<std::size_t>(c.Pen)); }
    const PageBrush& BrushOf(const PageCommand& c) const {
        return brushes_.at(static_cast<std::size_t>(c.Brush));
    }
    const PageFont& FontOf(const PageCommand& c) const { return fonts_.at(static_cast<std::size_t>(c.Font)); }

private:
    int PenIndex(const PagePen& pen);
    int BrushIndex(const PageBrush& brush);
    int FontIndex(const PageFont& font);

    int dpiX_;
    int dpiY_;
    int width_;
    int height_;
    std::vector<PageCommand> commands_;
    // Pages hold thousands of commands in a handful of styles: each command keeps an index.
    std::vector<PagePen> pens_;
    std::vector<PageBrush> brushes_;
    std::vector<PageFont> fonts_;
};

// Paints the page through the painter's current transform (page pixels in, target units out). Pen, brush
// and font are set for every command, so nothing of the painter's earlier state shows on the page.
void ReplayPage(const Page& page, QPainter& painter);

} // namespace fw
