// The page printer as a preview: the current page scaled by ZoomPercent on a white sheet with a shadow
// over a gradient, the margins dotted, scroll ranges that follow the zoom, and page navigation.

#include "controls/PagePrinter.h"

#include <cmath>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

namespace controls {

namespace {
constexpr double InchesPerMillimetre = 0.03937007874015748;
}

void GradientFill(QPainter& painter, const QRect& rect, fw::TColor from, fw::TColor to, bool vertical) {
    const QColor a = fw::ToQColor(from), b = fw::ToQColor(to);
    const int n = (vertical ? rect.height() : rect.width()) - 1;
    if (n <= 0) return;
    for (int i = 0; i <= n; ++i) {
        const auto mix = [&](int c1, int c2) { return (c1 * (n - i) + c2 * i) / n; };
        const QColor c(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
        if (vertical)
            painter.fillRect(QRect(rect.left(), rect.top() + i, rect.width(), 1), c);
        else
            painter.fillRect(QRect(rect.left() + i, rect.top(), 1, rect.height()), c);
    }
}

double TPagePrinter::PrinterScreenRatio(bool horizontal) const {
    if (Reading()) return 1.0;
    try {
        const int printer = horizontal ? Printer().DpiX() : Printer().DpiY();
        const int screen = horizontal ? paintBox_->logicalDpiX() : paintBox_->logicalDpiY();
        return screen > 0 && printer > 0 ? static_cast<double>(printer) / screen : 1.0;
    } catch (const fw::EPrinter&) {
        return 1.0;
    }
}

int TPagePrinter::ScreenPixels(double value, bool horizontal) const {
    const double inches = measureUnit_ == TMeasureUnit::muMillimeters ? value * InchesPerMillimetre : value;
    const int dpi = horizontal ? paintBox_->logicalDpiX() : paintBox_->logicalDpiY();
    return static_cast<int>(std::lround(inches * dpi));
}

int TPagePrinter::ZoomedPixels(double value, bool horizontal) const {
    return static_cast<int>(std::lround(ScreenPixels(value, horizontal) * zoomPercent_ * 0.01));
}

int TPagePrinter::PreviewPageWidth() const {
    try {
        return static_cast<int>(
            std::lround(zoomPercent_ * Printer().PhysicalSize().width() / PrinterScreenRatio(true) * 0.01));
    } catch (const fw::EPrinter&) {
        return ScreenPixels(measureUnit_ == TMeasureUnit::muMillimeters ? 210 : 8.5, true);
    }
}

int TPagePrinter::PreviewPageHeight() const {
    try {
        return static_cast<int>(
            std::lround(zoomPercent_ * Printer().PhysicalSize().height() / PrinterScreenRatio(false) * 0.01));
    } catch (const fw::EPrinter&) {
        return ScreenPixels(measureUnit_ == TMeasureUnit::muMillimeters ? 297 : 11, false);
    }
}

void TPagePrinter::PaintPreview(QPainter& painter, QSize area) {
    if (gradientBackground_) GradientFill(painter, QRect(QPoint(0, 0), area), fw::clBlack, Color(), true);
    const int w = PreviewPageWidth(), h = PreviewPageHeight();
    const int left = (area.width() - w) / 2, top = (area.height() - h) / 2;
    const int right = left + w, bottom = top + h;
    const int s = static_cast<int>(shadowOffset_);
    if (s > 0) {
        const QColor shadow = fw::ToQColor(shadowColor_);
        painter.fillRect(QRect(QPoint(right, top + s), QPoint(right + s - 1, bottom + s - 1)), shadow);
        painter.fillRect(QRect(QPoint(left + s, bottom), QPoint(right - 1, bottom + s - 1)), shadow);
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    if (currentPage_ >= 1 && currentPage_ <= PageCount()) {
        const fw::Page& page = Pages(currentPage_);
        const QRect target(QPoint(left + ZoomedPixels(MinMarginLeft(), true) + 1,
                                  top + ZoomedPixels(MinMarginTop(), false) + 1),
                           QPoint(right, bottom));
        if (page.Width() > 0 && page.Height() > 0) {
            painter.save();
            painter.setClipRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
            painter.translate(target.topLeft());
            painter.scale(static_cast<double>(target.width()) / page.Width(),
                          static_cast<double>(target.height()) / page.Height());
            fw::ReplayPage(page, painter);
            painter.restore();
        }
    }
    if (showMargins_) {
        painter.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(
            QRect(QPoint(left + ZoomedPixels(marginLeft_, true), top + ZoomedPixels(marginTop_, false)),
                  QPoint(right - ZoomedPixels(marginRight_, true) - 1,
                         bottom - ZoomedPixels(marginBottom_, false) - 1)));
    }
}

void TPagePrinter::SetZoomPercent(unsigned percent) {
    zoomPercent_ = std::max(1u, percent);
    UpdateScrollRange();
    Repaint();
}

void TPagePrinter::SetShadowOffset(unsigned offset) {
    if (offset == shadowOffset_) return;
    shadowOffset_ = offset;
    UpdateScrollRange();
    Repaint();
}

void TPagePrinter::SetShadowColor(fw::TColor color) {
    if (color == shadowColor_) return;
    shadowColor_ = color;
    Repaint();
}

void TPagePrinter::SetShowMargins(bool on) {
    if (on == showMargins_) return;
    showMargins_ = on;
    Repaint();
}

void TPagePrinter::SetGradientBackground(bool on) {
    if (on == gradientBackground_) return;
    gradientBackground_ = on;
    Repaint();
}

void TPagePrinter::ZoomToFit() {
    const QSize client = contentsRect().size();
    const double w = PreviewPageWidth(), h = PreviewPageHeight();
    if (h <= 0 || client.height() <= 0) return;
    if (w / h <= static_cast<double>(client.width()) / client.height())
        ZoomToHeight();
    else
        ZoomToWidth();
}

void TPagePrinter::ZoomToWidth() {
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int page = UnitsToPixelsX(PageWidth());
    if (page <= 0) return;
    const double zoom =
        (contentsRect().width() - bar - 2.0 * (shadowOffset_ + 1)) * 100 * PrinterScreenRatio(true) / page;
    SetZoomPercent(zoom < 1 ? 1u : static_cast<unsigned>(zoom));
}

void TPagePrinter::ZoomToHeight() {
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int page = UnitsToPixelsY(PageHeight());
    if (page <= 0) return;
    const double zoom =
        (contentsRect().height() - bar - 2.0 * (shadowOffset_ + 1)) * 100 * PrinterScreenRatio(false) / page;
    SetZoomPercent(zoom < 1 ? 1u : static_cast<unsigned>(zoom));
}

void TPagePrinter::UpdateScrollRange() {
    const int border = 2 * (static_cast<int>(shadowOffset_) + 1);
    horzRange_ = PreviewPageWidth() + border;
    vertRange_ = PreviewPageHeight() + border;
    FitPaintBox();
    if (Reading()) return;
    const int clientWidth = viewport()->width(), clientHeight = viewport()->height();
    switch (ZoomLocation) {
    case TZoomLocation::zlTopLeft:
        horizontalScrollBar()->setValue(0);
        verticalScrollBar()->setValue(0);
        break;
    case TZoomLocation::zlTopCenter:
        horizontalScrollBar()->setValue((horzRange_ - clientWidth) / 2);
        verticalScrollBar()->setValue(0);
        break;
    case TZoomLocation::zlCenter:
        horizontalScrollBar()->setValue((horzRange_ - clientWidth) / 2);
        verticalScrollBar()->setValue((vertRange_ - clientHeight) / 2);
        break;
    }
}

void TPagePrinter::FitPaintBox() {
    // The paint box covers the whole range, or the whole client area when that is larger, so the sheet
    // is centred either way.
    const QSize view = viewport()->size();
    paintBox_->resize(std::max(horzRange_, view.width()), std::max(vertRange_, view.height()));
}

void TPagePrinter::resizeEvent(QResizeEvent* event) {
    fw::ControlOf<QScrollArea>::resizeEvent(event);
    FitPaintBox();
}

void TPagePrinter::GotoPage(int page) {
    if (page >= 1 && page <= PageCount()) {
        currentPage_ = page;
        UpdateScrollRange();
        Repaint();
    } else if (!Reading() && PageCount() != 0) {
        throw EPagePrinter("Broj stranice mora biti između 1 i " + std::to_string(PageCount()));
    } else {
        currentPage_ = 0;
    }
}

} // namespace controls
