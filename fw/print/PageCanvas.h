#pragma once
// Drawing onto a page: the printer-resolution canvas that page builders and printouts draw on, with the
// font, pen and brush of the moment. Text is measured at the page's resolution through a measurer that
// tests may replace.

#include "fw/print/Page.h"

#include <QPoint>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// A font as forms and printouts name it: family, size in points, style, colour and the escapement (tenths
// of a degree, counter-clockwise) of turned text.
struct FontSpec {
    std::string Name = "Arial CE";
    int Size = 10;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = clBlack;
    int Escapement = 0;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// The em height of a size in points at a resolution, rounded as the printer driver does (10 pt at 600
// dpi: 83).
int FontPixelHeight(int pointSize, int dpi);
PageFont Realise(const FontSpec& font, int dpi);

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // Advance width of the text in device pixels.
    virtual int Width(const PageFont& font, std::string_view text) const = 0;
    // The extra space the font's designer puts between lines.
    virtual int ExternalLeading(const PageFont& font) const = 0;
};

// Measures with the fonts that will print.
const TextMeasurer& QtTextMeasurer();

class PageCanvas {
public:
    explicit PageCanvas(const TextMeasurer& measurer = QtTextMeasurer());

    // Where drawing goes; nullptr measures only.
    void SetTarget(Page* page) { page_ = page; }
    Page* Target() const { return page_; }
    // The resolution fonts are realised at.
    void SetResolution(int dpiY);
    int Resolution() const { return dpi_; }
    const TextMeasurer& Measurer() const { return measurer_; }
    void SetMeasurer(const TextMeasurer& measurer) { measurer_ = measurer; }

    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);
    const PageFont& RealisedFont() const { return realised_; }
    // The em height in device pixels.
    int FontHeight() const { return realised_.PixelHeight; }
    int ExternalLeading() const;

    PagePen Pen;
    PageBrush Brush;

    int TextWidth(std::string_view text) const;
    void TextOut(int x, int y, std::string_view text);
    void MoveTo(int x, int y) { pos_ = QPoint(x, y); }
    void LineTo(int x, int y);
    void Line(int x1, int y1, int x2, int y2);
    // With the pen round the edge and the brush inside; right and bottom are outside.
    void Rectangle(int left, int top, int right, int bottom);
    void FillRect(int left, int top, int right, int bottom);
    void Polyline(std::vector<QPoint> points);

private:
    std::reference_wrapper<const TextMeasurer> measurer_;
    Page* page_ = nullptr;
    int dpi_ = 300;
    FontSpec font_;
    PageFont realised_;
    QPoint pos_;
};

} // namespace fw
