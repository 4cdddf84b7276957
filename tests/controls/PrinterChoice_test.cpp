// The printer setup of the preview (Ctrl+P, "Pisač"): a list of the system's printers and the PDF file,
// chosen with the keys, and buttons that say what they do.

#include "controls/PrinterChoiceForm.h"
#include "controls/PrintPreviewForm.h"
#include "fw/print/PrinterDevice.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QPrinter>
#include <QTest>
#include <QTimer>

using namespace controls;

namespace {

// Once the next modal window is active: notes it, then sends it keys (to the focused widget).
void KeysWhenShown(std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys, QWidget** shown) {
    QTimer::singleShot(0, [keys, shown] {
        QWidget* w = QApplication::activeModalWidget();
        *shown = w;
        if (!w) return;
        (void)QTest::qWaitForWindowActive(w);
        for (auto [key, mods] : keys) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
            QTest::keyClick(target, key, mods);
        }
    });
}

const std::vector<std::string> Lines{"Laser u uredu", "Ploter", "PDF datoteka u mapi /home/plom"};

TEST(PrinterChoice, TheArrowsChooseALineEnterTakesItEscLeavesIt) {
    auto form = fw::MakeForm<PrinterChoiceForm>(Lines, 2);
    EXPECT_EQ(form->windowTitle().toStdString(), "Postavke Pisača");
    EXPECT_EQ(form->bURedu->Caption(), "&U redu");
    EXPECT_EQ(form->bOdustani->Caption(), "&Odustani");
    ASSERT_EQ(form->lbPisaci->Count(), 3);
    EXPECT_EQ(form->lbPisaci->Item(2), Lines[2]);

    QWidget* shown = nullptr;
    KeysWhenShown(
        {{Qt::Key_Up, Qt::NoModifier}, {Qt::Key_Up, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier}},
        &shown);
    EXPECT_EQ(form->Run(), 0);
    EXPECT_EQ(shown, form.get());
    EXPECT_FALSE(form->isVisible());

    KeysWhenShown({{Qt::Key_Down, Qt::NoModifier}, {Qt::Key_Escape, Qt::NoModifier}}, &shown);
    EXPECT_EQ(form->Run(), -1);
    // Tab to "Odustani", Enter presses it.
    KeysWhenShown(
        {{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier}},
        &shown);
    EXPECT_EQ(form->Run(), -1);
}

TEST(PrinterChoice, OffersEveryPrinterAndThePdfFileOfTheDevice) {
    testsupport::TempFolder folder;
    fw::QtPrinterDevice device;
    device.SetPdfFolder(folder.Path().string());
    PrinterLines lines = LinesFor(device, {"Laser", "Ploter"});
    EXPECT_EQ(lines.Lines,
              (std::vector<std::string>{"Laser", "Ploter", "PDF datoteka u mapi " + folder.Path().string()}));
    EXPECT_EQ(lines.Pdf, 2);
    EXPECT_EQ(lines.Current, 2);
    // The PDF line keeps a device that writes PDF as it is.
    ApplyLine(device, lines, 2);
    EXPECT_TRUE(device.PdfPerJob());
    EXPECT_EQ(device.PdfFolder(), folder.Path().string());

    const std::string file = (folder.Path() / "sve.pdf").string();
    device.SetPdfFile(file);
    lines = LinesFor(device, {});
    EXPECT_EQ(lines.Lines, std::vector<std::string>{"PDF datoteka " + file});
    ApplyLine(device, lines, 0);
    EXPECT_EQ(device.Printer().outputFileName().toStdString(), file);
}

TEST(PrinterChoice, CtrlPInThePreviewOpensItAndOdustaniChangesNothing) {
    testsupport::TempFolder folder;
    fw::QtPrinterDevice device;
    device.SetPdfFolder(folder.Path().string());
    fw::PrinterDevice* old = fw::SetCurrentPrinter(&device);
    {
        auto preview = fw::MakeForm<TIspis>();
        fwtest::ShowActive(*preview);
        bool shown = false;
        std::string caption, chosen;
        QTimer::singleShot(0, [&] {
            if (auto* f =
                    dynamic_cast<PrinterChoiceForm*>(fw::Control::Of(QApplication::activeModalWidget()))) {
                shown = true;
                (void)QTest::qWaitForWindowActive(f);
                caption = f->windowTitle().toStdString();
                chosen = f->lbPisaci->Item(f->lbPisaci->ItemIndex());
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : f,
                                Qt::Key_Escape);
            }
        });
        QTest::keyClick(fwtest::FocusTarget(*preview), Qt::Key_P, Qt::ControlModifier);
        ASSERT_TRUE(shown);
        EXPECT_EQ(caption, "Postavke Pisača");
        // The device's present choice is the line chosen when it opens.
        EXPECT_EQ(chosen, "PDF datoteka u mapi " + folder.Path().string());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_TRUE(device.PdfPerJob());
        EXPECT_EQ(device.PdfFolder(), folder.Path().string());
    }
    fw::SetCurrentPrinter(old);
}

} // namespace
