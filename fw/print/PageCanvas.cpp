#include "fw/print/PageCanvas.h"

#include <cmath>
#include <map>
#include <memory>
#include <QFontMetricsF>
#include <tuple>

namespace fw {

int FontPixelHeight(int pointSize, int dpi) {
    const long long product = static_cast<long long>(pointSize) * dpi;
    return static_cast<int>((product + 36) / 72);
}

PageFont Realise(const FontSpec& font, int dpi) {
    PageFont f;
    f.Family = FontFamily(font.Name).toStdString();
    f.PixelHeight = FontPixelHeight(font.Size, dpi);
    f.Bold = font.Bold;
    f.Italic = font.Italic;
    f.Underline = font.Underline;
    f.StrikeOut = font.StrikeOut;
    f.Color = font.Color;
    f.Escapement = font.Escapement;
    return f;
}

namespace {

class QtMeasurer : public TextMeasurer {
public:
    int Width(const PageFont& font, std::string_view text) const override {
        if (text.empty()) return 0;
        return static_cast<int>(std::lround(
            Metrics(font).horizontalAdvance(QString::fromUtf8(text.data(), static_cast<int>(text.size())))));
    }
    int ExternalLeading(const PageFont& font) const override {
        return static_cast<int>(std::lround(Metrics(font).leading()));
    }

private:
    using Key = std::tuple<std::string, int, bool, bool, bool, bool>;
    const QFontMetricsF& Metrics(const PageFont& font) const {
        const Key key{font.Family, font.PixelHeight, font.Bold, font.Italic, font.Underline, font.StrikeOut};
        auto found = cache_.find(key);
        if (found == cache_.end())
            found = cache_.emplace(key, std::make_unique<QFontMetricsF>(ToQFont(font))).first;
        return *found->second;
    }
    mutable std::map<Key, std::unique_ptr<QFontMetricsF>> cache_;
};

} // namespace

const TextMeasurer& QtTextMeasurer() {
    static const QtMeasurer measurer;
    return measurer;
}

PageCanvas::PageCanvas(const TextMeasurer& measurer) : measurer_(measurer), realised_(Realise(font_, dpi_)) {}

void PageCanvas::SetResolution(int dpiY) {
    dpi_ = dpiY > 0 ? dpiY : 300;
    realised_ = Realise(font_, dpi_);
}

void PageCanvas::SetFont(const FontSpec& font) {
    font_ = font;
    realised_ = Realise(font_, dpi_);
}

int PageCanvas::ExternalLeading() const {
    return measurer_.get().ExternalLeading(realised_);
}

int PageCanvas::TextWidth(std::string_view text) const {
    return measurer_.get().Width(realised_, text);
}

void PageCanvas::TextOut(int x, int y, std::string_view text) {
    if (page_ && !text.empty()) page_->AddText(QPoint(x, y), std::string(text), realised_);
}

void PageCanvas::LineTo(int x, int y) {
    if (page_) page_->AddLine(pos_, QPoint(x, y), Pen);
    pos_ = QPoint(x, y);
}

void PageCanvas::Line(int x1, int y1, int x2, int y2) {
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void PageCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (page_) page_->AddRectangle(QPoint(left, top), QPoint(right, bottom), Pen, Brush);
}

void PageCanvas::FillRect(int left, int top, int right, int bottom) {
    if (page_) page_->AddFill(QPoint(left, top), QPoint(right, bottom), Brush);
}

void PageCanvas::Polyline(std::vector<QPoint> points) {
    if (page_ && points.size() > 1) page_->AddPolyline(std::move(points), Pen);
}

} // namespace fw
