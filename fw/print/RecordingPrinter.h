#pragma once
// A printer that prints nothing and remembers what it was sent: the pages of each sheet and the steps of
// the job. It stands in for a real printer where none may be installed (tests, automated runs).

#include "fw/print/PrinterDevice.h"

#include <functional>
#include <string>
#include <vector>

namespace fw {

class RecordingPrinter : public PrinterDevice {
public:
    // A sheet of the given size and unprintable border, all in device pixels.
    RecordingPrinter(int dpi, QSize physicalSize, QPoint physicalOffset);
    // An A4 sheet at the resolution with a border of about 4 mm.
    static RecordingPrinter A4(int dpi);

    int DpiX() const override { return dpi_; }
    int DpiY() const override { return dpi_; }
    QSize PhysicalSize() const override;
    QPoint PhysicalOffset() const override;
    PrinterOrientation Orientation() const override { return orientation_; }
    void SetOrientation(PrinterOrientation orientation) override { orientation_ = orientation; }
    std::string Title() const override { return title_; }
    void SetTitle(const std::string& title) override { title_ = title; }
    int Copies() const override { return copies_; }
    void SetCopies(int copies) override { copies_ = copies; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return printing_; }
    void DrawPage(const Page& page) override;

    // The pages drawn on each sheet of the last job, in order.
    std::vector<std::vector<const Page*>> Sheets;
    // The job's steps: "begin", "draw", "new", "end", "abort".
    std::vector<std::string> Steps;
    // Runs after each page is drawn (a test may press cancel there).
    std::function<void(const Page&)> OnDraw;

private:
    int dpi_;
    QSize size_;
    QPoint offset_;
    PrinterOrientation orientation_ = PrinterOrientation::poPortrait;
    std::string title_;
    int copies_ = 1;
    bool printing_ = false;
};

} // namespace fw
