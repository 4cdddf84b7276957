#include "fw/print/Page.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygon>
#include <unordered_map>

namespace fw {

QFont ToQFont(const PageFont& font) {
    QFont q(QString::fromStdString(font.Family));
    q.setPixelSize(std::max(1, font.PixelHeight));
    q.setBold(font.Bold);
    q.setItalic(font.Italic);
    q.setUnderline(font.Underline);
    q.setStrikeOut(font.StrikeOut);
    // Widths are measured unhinted so that they hold at every scale the page is painted at.
    q.setHintingPreference(QFont::PreferNoHinting);
    q.setKerning(false);
    return q;
}

Page::Page(int dpiX, int dpiY, int width, int height)
    : dpiX_(dpiX), dpiY_(dpiY), width_(width), height_(height) {}

int Page::PenIndex(const PagePen& pen) {
    for (std::size_t i = pens_.size(); i-- > 0;)
        if (pens_[i] == pen) return static_cast<int>(i);
    pens_.push_back(pen);
    return static_cast<int>(pens_.size() - 1);
}

int Page::BrushIndex(const PageBrush& brush) {
    for (std::size_t i = brushes_.size(); i-- > 0;)
        if (brushes_[i] == brush) return static_cast<int>(i);
    brushes_.push_back(brush);
    return static_cast<int>(brushes_.size() - 1);
}

int Page::FontIndex(const PageFont& font) {
    for (std::size_t i = fonts_.size(); i-- > 0;)
        if (fonts_[i] == font) return static_cast<int>(i);
    fonts_.push_back(font);
    return static_cast<int>(fonts_.size() - 1);
}

void Page::AddText(QPoint at, std::string text, const PageFont& font) {
    PageCommand c;
    c.Kind = CommandKind::Text;
    c.Points = {at};
    c.Text = std::move(text);
    c.Font = FontIndex(font);
    commands_.push_back(std::move(c));
}

void Page::AddLine(QPoint from, QPoint to, const PagePen& pen) {
    PageCommand c;
    c.Kind = CommandKind::Line;
    c.Points = {from, to};
    c.Pen = PenIndex(pen);
    commands_.push_back(std::move(c));
}

void Page::AddRectangle(QPoint topLeft, QPoint bottomRight, const PagePen& pen, const PageBrush& brush) {
    PageCommand c;
    c.Kind = CommandKind::Rectangle;
    c.Points = {topLeft, bottomRight};
    c.Pen = PenIndex(pen);
    c.Brush = BrushIndex(brush);
    commands_.push_back(std::move(c));
}

void Page::AddFill(QPoint topLeft, QPoint bottomRight, const PageBrush& brush) {
    PageCommand c;
    c.Kind = CommandKind::Fill;
    c.Points = {topLeft, bottomRight};
    c.Brush = BrushIndex(brush);
    commands_.push_back(std::move(c));
}

void Page::AddPolyline(std::vector<QPoint> points, const PagePen& pen) {
    PageCommand c;
    c.Kind = CommandKind::Polyline;
    c.Points = std::move(points);
    c.Pen = PenIndex(pen);
    commands_.push_back(std::move(c));
}

namespace {

QPen ToQPen(const PagePen& pen) {
    if (pen.Style == PenStyle::psClear) return QPen(Qt::NoPen);
    QPen q(ToQColor(pen.Color));
    q.setWidth(pen.Width <= 1 ? 0 : pen.Width);
    q.setCapStyle(Qt::SquareCap);
    switch (pen.Style) {
    case PenStyle::psDash:
        q.setStyle(Qt::DashLine);
        break;
    case PenStyle::psDot:
        q.setStyle(Qt::DotLine);
        break;
    case PenStyle::psDashDot:
        q.setStyle(Qt::DashDotLine);
        break;
    case PenStyle::psDashDotDot:
        q.setStyle(Qt::DashDotDotLine);
        break;
    default:
        q.setStyle(Qt::SolidLine);
        break;
    }
    return q;
}

QBrush ToQBrush(const PageBrush& brush) {
    switch (brush.Style) {
    case BrushStyle::bsClear:
        return QBrush(Qt::NoBrush);
    case BrushStyle::bsDiagCross:
        return QBrush(ToQColor(brush.Color), Qt::DiagCrossPattern);
    default:
        return QBrush(ToQColor(brush.Color));
    }
}

QRect Span(const PageCommand& c) {
    return QRect(c.Points[0], QPoint(c.Points[1].x() - 1, c.Points[1].y() - 1)).normalized();
}

void DrawText(const Page& page, const PageCommand& c, QPainter& painter,
              std::unordered_map<int, std::pair<QFont, qreal>>& fonts) {
    auto found = fonts.find(c.Font);
    if (found == fonts.end()) {
        QFont q = ToQFont(page.FontOf(c));
        const qreal ascent = QFontMetricsF(q).ascent();
        found = fonts.emplace(c.Font, std::make_pair(q, ascent)).first;
    }
    const PageFont& font = page.FontOf(c);
    painter.setFont(found->second.first);
    painter.setPen(ToQColor(font.Color));
    painter.setBrush(Qt::NoBrush);
    const QString text = QString::fromStdString(c.Text);
    if (font.Escapement == 0) {
        painter.drawText(QPointF(c.Points[0].x(), c.Points[0].y() + found->second.second), text);
        return;
    }
    // Turned text keeps its top-left corner at the point, as an escapement font does.
    painter.save();
    painter.translate(c.Points[0]);
    painter.rotate(-font.Escapement / 10.0);
    painter.drawText(QPointF(0, found->second.second), text);
    painter.restore();
}

} // namespace

void ReplayPage(const Page& page, QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setBackgroundMode(Qt::TransparentMode);
    std::unordered_map<int, std::pair<QFont, qreal>> fonts;
    for (const PageCommand& c : page.Commands()) {
        switch (c.Kind) {
        case CommandKind::Text:
            DrawText(page, c, painter, fonts);
            break;
        case CommandKind::Line:
            painter.setPen(ToQPen(page.PenOf(c)));
            painter.drawLine(c.Points[0], c.Points[1]);
            break;
        case CommandKind::Rectangle:
            painter.setPen(ToQPen(page.PenOf(c)));
            painter.setBrush(ToQBrush(page.BrushOf(c)));
            painter.drawRect(Span(c));
            break;
        case CommandKind::Fill:
            painter.fillRect(QRect(c.Points[0], c.Points[1]).normalized().adjusted(0, 0, -1, -1),
                             ToQBrush(page.BrushOf(c)));
            break;
        case CommandKind::Polyline:
            painter.setPen(ToQPen(page.PenOf(c)));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(QPolygon(QList<QPoint>(c.Points.begin(), c.Points.end())));
            break;
        }
    }
    painter.restore();
}

} // namespace fw
