// Table rows of the page printer: cells laid out by the column format, wrapped inside their columns,
// framed on request; and the frames and lines callers draw in the text area.

#include "controls/PagePrinter.h"

#include <cmath>

namespace controls {

namespace {

struct Column {
    ColumnFormat Format;
    int Width = 0; // printer pixels
    bool Framed = false;
};

} // namespace

void TPagePrinter::WriteTableLine(const std::string& text) {
    // The columns are read once: a page head written during a page break inside this row may change the
    // table format and grid for its own rows.
    const bool grid = TableGrid;
    std::vector<Column> columns;
    for (const std::string& token : SplitTokens(tableFormat_, TokenSeparator)) {
        Column c;
        c.Format = ParseColumn(token, DefaultColWidth);
        c.Width = UnitsToPixelsX(std::fabs(c.Format.Width));
        c.Framed = grid && c.Format.Width >= 0;
        columns.push_back(c);
    }
    std::vector<std::string> cells = SplitTokens(text, TokenSeparator);
    cells.resize(std::max(cells.size(), columns.size()));
    const int inset = DpiX() / 300 * static_cast<int>(TextOffset) * static_cast<int>(BorderWidth);
    bool topEdge = grid;
    bool more;
    do {
        more = false;
        CurrentX = MarginLeftPixels();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Column& column = columns[i];
            const int cw = column.Width;
            std::string part;
            std::string& cell = cells[i];
            if (cell.find("{$") != std::string::npos) cell = Expanded(cell);
            if (WordWrap) {
                SplitAtWidth(part, cell, false, cw);
                const std::size_t feed = part.find('\n');
                if (feed != std::string::npos) {
                    std::string after = part.substr(feed + 1);
                    part.erase(feed);
                    if (!part.empty() && part.back() == '\r') part.pop_back();
                    cell = cell.empty() ? after : after + " " + cell;
                }
                if (!cell.empty()) more = true;
            } else {
                part = FitText(cell, cw);
                cell.clear();
            }
            const int tw = canvas_.TextWidth(part);
            int offset = column.Format.Align == fw::Alignment::taRightJustify ? cw - tw
                         : column.Format.Align == fw::Alignment::taCenter     ? (cw - tw) >> 1
                                                                              : 0;
            if (tw < cw - inset) {
                if (column.Format.Align == fw::Alignment::taRightJustify) offset -= inset;
                if (column.Format.Align == fw::Alignment::taLeftJustify) offset += inset;
            }
            if (printToFile_) {
                const int blank = canvas_.TextWidth(" ");
                if (blank > 0)
                    WriteToFile(Spaces(offset / blank) + part + Spaces((cw - (offset + tw)) / blank));
            } else {
                if (!part.empty())
                    canvas_.TextOut(CurrentX + offset,
                                    MarginTopPixels() + CurrentY +
                                        ((lineHeight_ - std::abs(canvas_.FontHeight())) >> 1),
                                    part);
                if (column.Framed) DrawCellFrameAt(CurrentX, cw, topEdge, false);
            }
            CurrentX += cw;
        }
        topEdge = false;
        if (more) NewLine();
    } while (more);
    if (grid && !printToFile_) {
        CurrentX = MarginLeftPixels();
        for (const Column& column : columns) {
            if (column.Framed) DrawCellFrameAt(CurrentX, column.Width, false, true);
            CurrentX += column.Width;
        }
    }
    if (!inHeader_ || printToFile_) NewLine();
}

void TPagePrinter::DrawCellFrameAt(int x, int width, bool topEdge, bool bottomEdge) {
    if (printToFile_) return;
    const int lead = externalLeading_;
    int shift = lead;
    switch (lineSpacing_) {
    case TLineSpacing::lsHalfSpace:
        shift = lead >> 1;
        break;
    case TLineSpacing::lsSingleAndAHalf:
        shift = static_cast<int>(std::lround(lead * 1.5));
        break;
    case TLineSpacing::lsDoubleSpace:
        shift = lead * 2;
        break;
    default:
        break;
    }
    const int top = MarginTopPixels() + CurrentY - shift;
    const int bottom = top + lineHeight_;
    canvas_.Pen = fw::PagePen{fw::clBlack, HorizontalThickness(), TableLineStyle};
    if (topEdge) canvas_.Line(x, top, x + width, top);
    if (bottomEdge) canvas_.Line(x, bottom, x + width, bottom);
    canvas_.Pen.Width = VerticalThickness();
    canvas_.Line(x, top, x, bottom);
    canvas_.Line(x + width, top, x + width, bottom);
}

void TPagePrinter::DrawCellFrame(int left, int width, bool topEdge, bool bottomEdge) {
    DrawCellFrameAt(UnitsToPixelsX(left) + MarginLeftPixels(), UnitsToPixelsX(width), topEdge, bottomEdge);
}

void TPagePrinter::DrawFrame(double left, double top, double right, double bottom, bool topEdge,
                             bool bottomEdge) {
    if (printToFile_) return;
    const int l = UnitsToPixelsX(left) + MarginLeftPixels(), r = UnitsToPixelsX(right) + MarginLeftPixels();
    const int t = UnitsToPixelsY(top) + MarginTopPixels(), b = UnitsToPixelsY(bottom) + MarginTopPixels();
    canvas_.Pen = fw::PagePen{fw::clBlack, HorizontalThickness(), TableLineStyle};
    if (topEdge) canvas_.Line(l, t, r, t);
    if (bottomEdge) canvas_.Line(l, b, r, b);
    canvas_.Pen.Width = VerticalThickness();
    canvas_.Line(l, t, l, b);
    canvas_.Line(r, t, r, b);
}

void TPagePrinter::DrawLine(double x1, double y1, double x2, double y2) {
    if (printToFile_) return;
    const int ax = UnitsToPixelsX(x1) + MarginLeftPixels(), bx = UnitsToPixelsX(x2) + MarginLeftPixels();
    const int ay = UnitsToPixelsY(y1) + MarginTopPixels(), by = UnitsToPixelsY(y2) + MarginTopPixels();
    canvas_.Pen =
        fw::PagePen{fw::clBlack, ay == by ? HorizontalThickness() : VerticalThickness(), TableLineStyle};
    canvas_.Line(ax, ay, bx, by);
}

} // namespace controls
