// Laying out and writing 100 pages of a table printout to PDF through the page printer, against writing
// the same text with plain QPainter calls into a PDF in the same run. Prints both times and their ratio.
#include "controls/PagePrinter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <QApplication>
#include <QPainter>
#include <QPdfWriter>
#include <string>
#include <unistd.h>

namespace {

constexpr int Pages = 100;
constexpr int RowsPerPage = 45;

std::filesystem::path Output(const char* name) {
    return std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(::getpid()) + ".pdf");
}

std::string Row(int n) {
    return std::to_string(n) + "|Prozor PVC jednokrilni " + std::to_string(n % 97) + "|" +
           std::to_string(n % 7 + 1) + "|" + std::to_string(n * 37 % 10000) + ",00";
}

double PagePrinterRun() {
    const auto path = Output("plom-bench-prn");
    const auto start = std::chrono::steady_clock::now();
    {
        fw::QtPrinterDevice device;
        device.SetPdfFile(path.string());
        fw::PrinterDevice* old = fw::SetCurrentPrinter(&device);
        controls::TPagePrinter prn(nullptr);
        prn.SetMeasureUnit(controls::TMeasureUnit::muMillimeters);
        prn.SetMarginTop(20);
        prn.SetMarginBottom(20);
        prn.SetMarginLeft(15);
        prn.SetMarginRight(15);
        prn.SetFriendlyHeader("&lRadni nalog&rStrana &p");
        prn.ShowProgress = false;
        prn.TableGrid = true;
        prn.SetTableFormat("<15|<90|>30|>30");
        prn.BeginDoc();
        for (int n = 1; n <= Pages * RowsPerPage; ++n)
            prn.WriteTableLine(Row(n));
        prn.EndDoc();
        prn.Print();
        fw::SetCurrentPrinter(old);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove(path);
    return ms;
}

double PlainPainterRun() {
    const auto path = Output("plom-bench-plain");
    const auto start = std::chrono::steady_clock::now();
    {
        QPdfWriter writer(QString::fromStdString(path.string()));
        writer.setResolution(1200);
        QPainter painter(&writer);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(167);
        painter.setFont(font);
        for (int n = 1; n <= Pages * RowsPerPage; ++n) {
            const int line = (n - 1) % RowsPerPage;
            if (line == 0 && n > 1) writer.newPage();
            painter.drawText(700, 900 + line * 250, QString::fromStdString(Row(n)));
        }
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove(path);
    return ms;
}

void BM_PagePrinterPdf(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(PagePrinterRun());
}
BENCHMARK(BM_PagePrinterPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainQPainterPdf(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(PlainPainterRun());
}
BENCHMARK(BM_PlainQPainterPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const double prn = PagePrinterRun(), plain = PlainPainterRun();
    std::printf(
        "\n%d pages of %d table rows to PDF: page printer %.0f ms, plain QPainter %.0f ms, ratio %.2f\n",
        Pages, RowsPerPage, prn, plain, prn / plain);
    return 0;
}
