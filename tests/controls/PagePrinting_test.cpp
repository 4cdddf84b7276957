// Print runs on the recording printer: page range, copies in both orders, the progress dialog, cancel
// and failures, checked on the sheets the printer received.

#include "PrintTesting.h"

#include "controls/PrintProgressDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace controls;
using namespace printtest;

namespace {

class PrintRun : public PrinterFixture {
protected:
    void Build(int pages) {
        Prn().BeginDoc();
        for (int p = 1; p <= pages; ++p) {
            if (p > 1) Prn().NewPage();
            Prn().WriteLine("strana " + std::to_string(p));
        }
        Prn().EndDoc();
    }
    // The page numbers of the sheets printed, in order.
    std::vector<int> Printed() const {
        std::vector<int> out;
        for (const auto& sheet : printer_.Sheets)
            for (const fw::Page* page : sheet)
                for (int n = 1; n <= prn_->PageCount(); ++n)
                    if (&prn_->Pages(n) == page) out.push_back(n);
        return out;
    }
    int NewSheets() const {
        return static_cast<int>(std::count(printer_.Steps.begin(), printer_.Steps.end(), "new"));
    }
};

} // namespace

TEST_F(PrintRun, RangesAndCopiesInBothOrders) {
    EXPECT_TRUE(Prn().Print()); // nothing built: the printer is not touched
    EXPECT_TRUE(printer_.Steps.empty());
    Build(3);
    Prn().ShowProgress = false;
    Prn().SetCopies(2);
    EXPECT_TRUE(Prn().Print());
    EXPECT_EQ(Printed(), (std::vector<int>{1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(NewSheets(), 5); // none after the last sheet
    EXPECT_EQ(printer_.Steps.back(), "end");
    Prn().Collate = false;
    EXPECT_TRUE(Prn().Print());
    EXPECT_EQ(Printed(), (std::vector<int>{1, 1, 2, 2, 3, 3}));
    Prn().SetCopies(1);
    Prn().SetPrintFromPage(5);
    EXPECT_TRUE(Prn().Print());
    EXPECT_EQ(Printed(), std::vector<int>{3});
    Prn().SetPrintFromPage(2);
    Prn().SetPrintToPage(0);
    EXPECT_TRUE(Prn().Print());
    EXPECT_EQ(Printed(), (std::vector<int>{2, 3}));
    Prn().SetPrintToPage(1); // below the start page: the start follows
    EXPECT_EQ(Prn().PrintFromPage(), 1u);
    Prn().SetCopies(0);
    EXPECT_EQ(Prn().Copies(), 1u);
}

TEST_F(PrintRun, ProgressDialogCountsSheetsAndCancels) {
    Build(3);
    Prn().SetTitle("Radni nalog");
    Prn().ProgressMessage = "Ispis u tijeku...";
    Prn().SetCopies(2);
    printer_.SetCopies(4);
    std::vector<std::string> labels;
    int sheets = 0;
    printer_.OnDraw = [&](const fw::Page&) {
        TPPPrnPrgDlg* dialog = Prn().ProgressDialog();
        ASSERT_TRUE(dialog);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Radni nalog"));
        EXPECT_EQ(dialog->lblStatus->text(), QStringLiteral("Ispis u tijeku..."));
        EXPECT_EQ(dialog->ProgBar->maximum(), 6);
        EXPECT_EQ(dialog->ProgBar->value(), sheets + 1);
        EXPECT_EQ(printer_.Copies(), 1); // copies come from repeating the pages
        labels.push_back(dialog->lblPageNumber->text().toStdString());
        if (++sheets == 2) dialog->btnCancel->click();
    };
    EXPECT_FALSE(Prn().Print());
    EXPECT_EQ(labels, (std::vector<std::string>{"Strana 1 od 3 x 2 Kopija", "Strana 2 od 3 x 2 Kopija"}));
    // Ended, not aborted: the two sheets sent still print, and no blank one after them; the printer's
    // own copy count is back.
    EXPECT_EQ(printer_.Steps.back(), "end");
    EXPECT_EQ(printer_.Sheets.size(), 2u);
    EXPECT_EQ(NewSheets(), 1);
    EXPECT_EQ(printer_.Copies(), 4);
    EXPECT_FALSE(Prn().ProgressDialog());

    // A new run starts uncancelled; with AbortOnCancel the job is dropped, Esc cancels as the button does.
    Prn().AbortOnCancel = true;
    Prn().SetPrintFromPage(2);
    labels.clear();
    sheets = 0;
    printer_.OnDraw = [&](const fw::Page&) {
        labels.push_back(Prn().ProgressDialog()->lblPageNumber->text().toStdString());
        if (++sheets == 3) Prn().ProgressDialog()->reject();
    };
    EXPECT_FALSE(Prn().Print());
    EXPECT_EQ(labels, (std::vector<std::string>{"Strana 2", "Strana 3", "Strana 2"}));
    EXPECT_EQ(printer_.Steps.back(), "abort");
    EXPECT_EQ(printer_.Copies(), 4);
}

TEST_F(PrintRun, WithoutCancelOrProgress) {
    Build(2);
    Prn().ShowCancel = false;
    bool seen = false;
    printer_.OnDraw = [&](const fw::Page&) {
        TPPPrnPrgDlg* dialog = Prn().ProgressDialog();
        ASSERT_TRUE(dialog);
        EXPECT_FALSE(dialog->btnCancel->isVisible());
        EXPECT_EQ(dialog->height(), dialog->logicalDpiY() * 98 / 96);
        EXPECT_EQ(dialog->lblStatus->text(), QStringLiteral("Slanje stranica u pisač"));
        seen = true;
    };
    EXPECT_TRUE(Prn().Print());
    EXPECT_TRUE(seen);
    Prn().ShowProgress = false;
    printer_.OnDraw = [&](const fw::Page&) { EXPECT_FALSE(Prn().ProgressDialog()); };
    EXPECT_TRUE(Prn().Print());
    EXPECT_EQ(Printed(), (std::vector<int>{1, 2}));
}

TEST_F(PrintRun, APrinterFailureEndsTheJobAndPassesOn) {
    Build(3);
    printer_.SetCopies(2);
    int drawn = 0;
    printer_.OnDraw = [&](const fw::Page&) {
        if (++drawn == 2) throw fw::EPrinter("Pisač je isključen");
    };
    try {
        Prn().Print();
        ADD_FAILURE() << "the failure was swallowed";
    } catch (const fw::EPrinter& e) {
        EXPECT_EQ(std::string(e.what()), "Pisač je isključen");
    }
    EXPECT_FALSE(printer_.Printing());
    EXPECT_EQ(printer_.Copies(), 2);
    EXPECT_FALSE(Prn().ProgressDialog());
    printer_.OnDraw = nullptr;
    EXPECT_TRUE(Prn().Print()); // the printer is free for the next run
}
