// A three-page document written to PDF through Qt's printer, read back with poppler's tools: the page
// count, the text of every page, and a rendered page that is not blank.

#include "controls/PagePrinter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <QImage>
#include <QStandardPaths>

using namespace controls;

namespace {

std::string RunTool(const QString& program, const QStringList& arguments) {
    std::vector<std::string> args;
    for (const QString& a : arguments)
        args.push_back(a.toStdString());
    testsupport::ChildProcess tool(program.toStdString(), args);
    const std::string output = tool.ReadAll(std::chrono::minutes(1));
    if (!tool.Wait(std::chrono::minutes(1))) tool.Kill();
    return output;
}

} // namespace

TEST(PdfOutput, ThreePagesReadBackWithTheirText) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftotext.isEmpty() || pdftoppm.isEmpty()) GTEST_SKIP() << "poppler-utils is not installed";
    testsupport::TempFolder folder;
    const std::filesystem::path pdf = folder.Path() / "nalog.pdf";

    fw::QtPrinterDevice device;
    device.SetPdfFile(pdf.string());
    fw::PrinterDevice* old = fw::SetCurrentPrinter(&device);
    {
        TPagePrinter prn(nullptr);
        prn.SetMeasureUnit(TMeasureUnit::muMillimeters);
        prn.SetMarginTop(20);
        prn.SetMarginBottom(20);
        prn.SetMarginLeft(15);
        prn.SetMarginRight(15);
        prn.SetLineSpacing(TLineSpacing::lsSingleAndAHalf);
        prn.SetTitle("Radni nalog 12");
        prn.SetFriendlyHeader("&lRadni nalog 12&rStrana &p");
        prn.PageBorders = pbBottom;
        prn.ShowProgress = false;
        prn.BeginDoc();
        for (int page = 1; page <= 3; ++page) {
            if (page > 1) prn.NewPage();
            prn.WriteLine("Ponuda za čaše i šarke, strana " + std::to_string(page));
            prn.TableGrid = true;
            prn.SetTableFormat("<15|<90|>30|>30");
            prn.WriteTableLine("Rb.|Opis|Količina|Iznos");
            for (int row = 1; row <= 10; ++row)
                prn.WriteTableLine(std::to_string(row) + "|Prozor PVC " + std::to_string(page * 100 + row) +
                                   "|" + std::to_string(row) + "|" + std::to_string(row * 1250) + ",00");
            prn.TableGrid = false;
        }
        prn.EndDoc();
        ASSERT_EQ(prn.PageCount(), 3);
        EXPECT_TRUE(prn.Print());
    }
    fw::SetCurrentPrinter(old);
    ASSERT_TRUE(std::filesystem::exists(pdf));

    for (int page = 1; page <= 3; ++page) {
        const std::string text =
            RunTool(pdftotext, {"-layout", "-f", QString::number(page), "-l", QString::number(page),
                                QString::fromStdString(pdf.string()), "-"});
        EXPECT_NE(text.find("Radni nalog 12"), std::string::npos) << text;
        EXPECT_NE(text.find("Strana " + std::to_string(page)), std::string::npos) << text;
        EXPECT_NE(text.find("Ponuda za čaše i šarke, strana " + std::to_string(page)), std::string::npos)
            << text;
        EXPECT_NE(text.find("Prozor PVC " + std::to_string(page * 100 + 10)), std::string::npos) << text;
    }
    EXPECT_EQ(RunTool(pdftotext, {"-f", "4", "-l", "4", QString::fromStdString(pdf.string()), "-"}), "");

    const std::filesystem::path png = folder.Path() / "strana";
    RunTool(pdftoppm, {"-r", "50", "-png", "-f", "1", "-l", "1", "-singlefile",
                       QString::fromStdString(pdf.string()), QString::fromStdString(png.string())});
    QImage image(QString::fromStdString(png.string() + ".png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_NEAR(image.width(), 210 / 25.4 * 50, 2);
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) ++dark;
    EXPECT_GT(dark, 500);
    // Kept beside the build for a look at the layout.
    std::filesystem::copy_file(png.string() + ".png",
                               std::filesystem::path(PLOM_BINARY_DIR) / "print-sample.png",
                               std::filesystem::copy_options::overwrite_existing);
}
