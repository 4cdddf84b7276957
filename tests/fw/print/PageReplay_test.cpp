// Pages replayed on images of other resolutions: coordinates scale exactly, text hangs from its top
// edge, and nothing of the painter's earlier state leaks onto the page.

#include "fw/print/PageCanvas.h"
#include "fw/print/PrinterDevice.h"
#include "fw/print/RecordingPrinter.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

namespace {

QImage WhiteImage(int w, int h, int dpi) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
    image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
    return image;
}

bool Dark(QRgb p) {
    return qGray(p) < 128;
}

// First and last dark column of a row, or (-1, -1).
std::pair<int, int> DarkSpan(const QImage& image, int y) {
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        if (Dark(image.pixel(x, y))) {
            if (first < 0) first = x;
            last = x;
        }
    return {first, last};
}

} // namespace

TEST(PageReplay, FontHeightsFollowTheResolution) {
    EXPECT_EQ(fw::FontPixelHeight(10, 600), 83);
    EXPECT_EQ(fw::FontPixelHeight(12, 600), 100);
    EXPECT_EQ(fw::FontPixelHeight(8, 96), 11);
    const fw::PageFont arial = fw::Realise(fw::FontSpec{"Arial CE", 10}, 600);
    EXPECT_EQ(arial.Family, "Liberation Sans");
    EXPECT_EQ(fw::Realise(fw::FontSpec{"Times New Roman CE", 12}, 300).Family, "Liberation Serif");
    EXPECT_EQ(fw::Realise(fw::FontSpec{"Arial Thin", 12}, 300).Family, "Liberation Sans Narrow");
}

TEST(PageReplay, ScalesToTheTargetAndSetsItsOwnState) {
    fw::Page page(600, 600, 1200, 400);
    fw::PageCanvas canvas;
    canvas.SetResolution(600);
    canvas.SetTarget(&page);
    canvas.Line(100, 50, 1000, 50);
    canvas.Pen.Width = 6;
    canvas.Rectangle(100, 100, 200, 150);
    ASSERT_EQ(page.Commands().size(), 2u);
    EXPECT_EQ(page.Commands()[0].Points, (std::vector<QPoint>{{100, 50}, {1000, 50}}));
    EXPECT_EQ(page.PenOf(page.Commands()[1]).Width, 6);

    QImage image = WhiteImage(2400, 800, 1200);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::blue, 40)); // state the page never set must not show
    painter.setBrush(Qt::blue);
    fw::PaintPageAt(page, painter, 1200, 1200);
    painter.end();
    const auto [first, last] = DarkSpan(image, 100);
    EXPECT_NEAR(first, 200, 2);
    EXPECT_NEAR(last, 2000, 2);
    EXPECT_EQ(image.pixel(1000, 100), qRgb(0, 0, 0));
    // The rectangle's brush is the canvas's white, its border 6 page pixels = 12 image pixels wide.
    EXPECT_EQ(image.pixel(300, 250), qRgb(255, 255, 255));
    EXPECT_TRUE(Dark(image.pixel(300, 200 + 5)));
    EXPECT_FALSE(Dark(image.pixel(300, 200 + 14)));
}

TEST(PageReplay, TextHangsFromItsTopEdge) {
    fw::Page page(600, 600, 800, 600);
    fw::PageCanvas canvas;
    canvas.SetResolution(600);
    canvas.SetTarget(&page);
    canvas.SetFont(fw::FontSpec{"Arial CE", 10});
    canvas.TextOut(100, 200, "HHH");
    EXPECT_GT(canvas.TextWidth("HHH"), 3 * 40);
    QImage image = WhiteImage(800, 600, 600);
    QPainter painter(&image);
    fw::PaintPageAt(page, painter, 600, 600);
    painter.end();
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        if (DarkSpan(image, y).first >= 0) {
            if (top < 0) top = y;
            bottom = y;
        }
    // An 83 px em: capitals start below the top edge (ascent less cap height) and end on the base line.
    EXPECT_GE(top, 200);
    EXPECT_LE(top, 200 + 30);
    EXPECT_GE(bottom, 200 + 65);
    EXPECT_LE(bottom, 200 + 83);
}

TEST(PageReplay, RecordingPrinterKeepsTheSheets) {
    fw::RecordingPrinter printer = fw::RecordingPrinter::A4(300);
    EXPECT_EQ(printer.PhysicalSize(), QSize(2480, 3508));
    printer.SetOrientation(fw::PrinterOrientation::poLandscape);
    EXPECT_EQ(printer.PhysicalSize(), QSize(3508, 2480));
    fw::Page a(300, 300, 10, 10), b(300, 300, 10, 10);
    EXPECT_THROW(printer.DrawPage(a), fw::EPrinter);
    printer.BeginDoc();
    printer.DrawPage(a);
    printer.NewPage();
    printer.DrawPage(b);
    printer.EndDoc();
    ASSERT_EQ(printer.Sheets.size(), 2u);
    EXPECT_EQ(printer.Sheets[1].front(), &b);
    EXPECT_EQ(printer.Steps, (std::vector<std::string>{"begin", "draw", "new", "draw", "end"}));
}
