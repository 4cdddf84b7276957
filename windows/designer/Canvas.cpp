#include "windows/designer/Canvas.h"

#include <algorithm>
#include <QFontMetrics>

namespace windows {

namespace {

QColor ToColor(fw::TColor c) {
    return fw::ToQColor(c);
}

} // namespace

ImageCanvas::ImageCanvas(QPainter& painter) : p_(painter) {
    p_.setRenderHint(QPainter::Antialiasing, false);
    p_.setRenderHint(QPainter::TextAntialiasing, false);
}

void ImageCanvas::PrimijeniOlovku() {
    QPen pen(ToColor(Pen.Color));
    pen.setWidth(Pen.Width <= 1 ? 0 : Pen.Width);
    pen.setStyle(Pen.Style == PenKind::Dotted ? Qt::DotLine : Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    p_.setPen(pen);
    p_.setBrush(Qt::NoBrush);
    p_.setCompositionMode(Pen.Xor ? QPainter::RasterOp_SourceXorDestination
                                  : QPainter::CompositionMode_SourceOver);
}

void ImageCanvas::Rectangle(int l, int t, int r, int b) {
    if (r <= l || b <= t) return;
    if (Brush.Style != BrushKind::Clear && r - l > 2 && b - t > 2) {
        // The inside only, so an exclusive-or outline is not undone by the fill.
        const QRect unutra(l + 1, t + 1, r - l - 2, b - t - 2);
        p_.setCompositionMode(Pen.Xor ? QPainter::RasterOp_SourceXorDestination
                                      : QPainter::CompositionMode_SourceOver);
        p_.fillRect(unutra,
                    QBrush(ToColor(Brush.Color),
                           Brush.Style == BrushKind::DiagCross ? Qt::DiagCrossPattern : Qt::SolidPattern));
    }
    if (Pen.Width <= 1 && Pen.Style == PenKind::Solid) {
        // Four strips that never overlap, so an exclusive-or outline touches each pixel once.
        Line(l, t, r - 1, t);
        if (b - t > 1) Line(l, b - 1, r - 1, b - 1);
        if (b - t > 2) {
            Line(l, t + 1, l, b - 2);
            if (r - l > 1) Line(r - 1, t + 1, r - 1, b - 2);
        }
        return;
    }
    PrimijeniOlovku();
    p_.drawRect(l, t, r - l - 1, b - t - 1);
}

void ImageCanvas::FillRect(int l, int t, int r, int b) {
    if (r <= l || b <= t || Brush.Style == BrushKind::Clear) return;
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p_.fillRect(QRect(l, t, r - l, b - t),
                QBrush(ToColor(Brush.Color),
                       Brush.Style == BrushKind::DiagCross ? Qt::DiagCrossPattern : Qt::SolidPattern));
}

void ImageCanvas::Line(int x1, int y1, int x2, int y2) {
    PrimijeniOlovku();
    if ((x1 == x2 || y1 == y2) && Pen.Width <= 1 && Pen.Style == PenKind::Solid) {
        p_.fillRect(
            QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))),
            ToColor(Pen.Color));
        return;
    }
    p_.drawLine(x1, y1, x2, y2);
}

void ImageCanvas::Polyline(const std::vector<QPoint>& tocke) {
    PrimijeniOlovku();
    p_.drawPolyline(tocke.data(), static_cast<int>(tocke.size()));
}

void ImageCanvas::TextOut(int x, int y, const std::string& text, int kut) {
    PrimijeniOlovku();
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QFontMetrics fm(p_.font());
    p_.save();
    p_.translate(x, y);
    p_.rotate(-kut);
    p_.drawText(QPoint(0, fm.ascent()), QString::fromStdString(text));
    p_.restore();
}

void ImageCanvas::SetFont(const std::string& ime, int velicina) {
    // Arial and its CE face print with the metric-compatible Liberation Sans.
    const QString obitelj =
        QString::fromStdString(ime).startsWith("Arial") ? "Liberation Sans" : QString::fromStdString(ime);
    QFont f(obitelj);
    f.setPointSize(velicina);
    p_.setFont(f);
}

int ImageCanvas::TextWidth(const std::string& text) {
    return QFontMetrics(p_.font()).horizontalAdvance(QString::fromStdString(text));
}

int ImageCanvas::TextHeight(const std::string&) {
    return QFontMetrics(p_.font()).height();
}

void PageCanvasTarget::Primijeni() {
    fw::PagePen pen;
    pen.Color = Pen.Color;
    pen.Width = Pen.Width;
    pen.Style = Pen.Style == PenKind::Dotted ? fw::PenStyle::psDot : fw::PenStyle::psSolid;
    c_.Pen = pen;
    fw::PageBrush brush;
    brush.Color = Brush.Color;
    brush.Style = Brush.Style == BrushKind::Clear       ? fw::BrushStyle::bsClear
                  : Brush.Style == BrushKind::DiagCross ? fw::BrushStyle::bsDiagCross
                                                        : fw::BrushStyle::bsSolid;
    c_.Brush = brush;
}

void PageCanvasTarget::Rectangle(int l, int t, int r, int b) {
    Primijeni();
    c_.Rectangle(l, t, r, b);
}

void PageCanvasTarget::FillRect(int l, int t, int r, int b) {
    if (Brush.Style == BrushKind::Clear) return;
    Primijeni();
    c_.FillRect(l, t, r, b);
}

void PageCanvasTarget::Line(int x1, int y1, int x2, int y2) {
    Primijeni();
    c_.Line(x1, y1, x2, y2);
}

void PageCanvasTarget::Polyline(const std::vector<QPoint>& tocke) {
    Primijeni();
    c_.Polyline(tocke);
}

void PageCanvasTarget::TextOut(int x, int y, const std::string& text, int kut) {
    fw::FontSpec f = c_.Font();
    const int stari = f.Escapement;
    f.Escapement = kut * 10;
    c_.SetFont(f);
    c_.TextOut(x, y, text);
    f.Escapement = stari;
    c_.SetFont(f);
}

void PageCanvasTarget::SetFont(const std::string& ime, int velicina) {
    fw::FontSpec f = c_.Font();
    f.Name = ime;
    f.Size = velicina;
    f.Escapement = 0;
    c_.SetFont(f);
}

int PageCanvasTarget::TextWidth(const std::string& text) {
    return c_.TextWidth(text);
}

int PageCanvasTarget::TextHeight(const std::string&) {
    return c_.FontHeight();
}

} // namespace windows
