#include "fw/print/RecordingPrinter.h"

namespace fw {

RecordingPrinter::RecordingPrinter(int dpi, QSize physicalSize, QPoint physicalOffset)
    : dpi_(dpi), size_(physicalSize), offset_(physicalOffset) {}

RecordingPrinter RecordingPrinter::A4(int dpi) {
    const auto px = [dpi](double mm) { return static_cast<int>(mm / 25.4 * dpi + 0.5); };
    return RecordingPrinter(dpi, QSize(px(210), px(297)), QPoint(px(4.23), px(4.23)));
}

QSize RecordingPrinter::PhysicalSize() const {
    return orientation_ == PrinterOrientation::poLandscape ? size_.transposed() : size_;
}

QPoint RecordingPrinter::PhysicalOffset() const {
    return orientation_ == PrinterOrientation::poLandscape ? offset_.transposed() : offset_;
}

void RecordingPrinter::BeginDoc() {
    if (printing_) throw EPrinter("Pisač već ispisuje");
    printing_ = true;
    Sheets.assign(1, {});
    Steps = {"begin"};
}

void RecordingPrinter::NewPage() {
    if (!printing_) throw EPrinter("Pisač ne ispisuje");
    Sheets.emplace_back();
    Steps.emplace_back("new");
}

void RecordingPrinter::EndDoc() {
    if (!printing_) throw EPrinter("Pisač ne ispisuje");
    printing_ = false;
    Steps.emplace_back("end");
}

void RecordingPrinter::Abort() {
    printing_ = false;
    Steps.emplace_back("abort");
}

void RecordingPrinter::DrawPage(const Page& page) {
    if (!printing_) throw EPrinter("Pisač ne ispisuje");
    Sheets.back().push_back(&page);
    Steps.emplace_back("draw");
    if (OnDraw) OnDraw(page);
}

} // namespace fw
