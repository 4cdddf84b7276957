// Sending the built pages to the printer: a page range, copies in collated or uncollated order, the
// progress dialog and a clean end of the job when the user cancels.

#include "controls/InputOnlyTo.h"
#include "controls/LayoutProgress.h"
#include "controls/PagePrinter.h"
#include "controls/PrintProgressDialog.h"

#include "app/data/Dialogs.h"
#include "fw/ui/Form.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

namespace controls {

namespace {
constexpr const char* FinishMessage = "<FINISH>";
}

TPPPrnPrgDlg* TPagePrinter::ProgressDialog() const {
    if (!dialog_ && layout_) return layout_->Dialog();
    return dialog_.data();
}

bool TPagePrinter::Print() {
    // The progress window lets events through: a second print asked for meanwhile (F10 again, another
    // printout) is refused here, before it can touch the printer or the pages of the run.
    if (sending_) throw EPagePrinter(PrintBusyMessage);
    if (printToFile_ ? fileOpen_ : printing_) EndDoc();
    if (PageCount() == 0) return true;
    const int count = PageCount();
    const int from = printFromPage_ == 0 ? 1 : std::min(count, static_cast<int>(printFromPage_));
    const int to = printToPage_ == 0 ? count : std::min(count, static_cast<int>(printToPage_));
    const int copies = static_cast<int>(copies_);
    const int sheets = from <= to ? (to - from + 1) * copies : 0;
    fw::PrinterDevice& printer = Printer();
    sending_ = true;
    struct EndSending {
        bool& flag;
        ~EndSending() { flag = false; }
    } endSending{sending_};
    // Copies come from printing the pages again, so the printer itself makes one of each.
    const int savedCopies = printer.Copies();
    printer.SetCopies(1);
    Cancelled = false;
    sheetDue_ = false;
    // While the window with "&Opoziv" stands, it is the one window the user reaches.
    if (ShowProgress && ShowCancel && qApp) sendInput_ = std::make_unique<InputOnlyTo>();
    auto finish = [&] {
        sendInput_.reset();
        UpdateProgress(FinishMessage, 0, 0, 0);
        if (!printer.Printing()) printer.SetCopies(savedCopies);
    };
    bool begun = false;
    int sent = 0;
    bool completed = true;
    try {
        printer.BeginDoc();
        begun = true;
        auto sheet = [&](int page, int copy) {
            PrintPage(page, from, to, page == to && copy == copies);
            ++sent;
        };
        if (Collate) {
            for (int copy = 1; copy <= copies; ++copy)
                for (int page = from; page <= to; ++page)
                    sheet(page, copy);
        } else {
            for (int page = from; page <= to; ++page)
                for (int copy = 1; copy <= copies; ++copy)
                    sheet(page, copy);
        }
        printer.EndDoc();
    } catch (const ECancelPrinting&) {
        completed = false;
    } catch (...) {
        // A failed job is not left open: the next print would find the printer busy for ever. Only this
        // run's own job: a printer that refused to begin may be busy with another one.
        if (begun && printer.Printing()) printer.Abort();
        finish();
        throw;
    }
    // Aborted, the job is dropped; ended, the sheets already sent still print (a file that cannot take
    // them is told like any other failure).
    if (!completed && printer.Printing()) {
        try {
            if (AbortOnCancel)
                printer.Abort();
            else
                printer.EndDoc();
        } catch (...) {
            finish();
            throw;
        }
    }
    finish();
    const std::string file = printer.OutputFile();
    if (!completed) {
        std::string told = "Ispis je prekinut!!!\r\n";
        if (AbortOnCancel)
            told += "Ništa od njega nije ispisano.";
        else if (!file.empty())
            told += "U datoteku \"" + file + "\" spremljeno je samo " + std::to_string(sent) + " od " +
                    std::to_string(sheets) + " listova.";
        else
            told += "U pisač je poslano samo " + std::to_string(sent) + " od " + std::to_string(sheets) +
                    " listova.";
        app::ShowInfo(told);
    } else if (!file.empty()) {
        app::ShowInfo("Ispis je spremljen u datoteku \"" + file + "\".");
    }
    return completed;
}

void TPagePrinter::PrintPage(int page, int from, int to, bool last) {
    if (ShowProgress && ShowCancel) QCoreApplication::processEvents();
    if (Cancelled) throw ECancelPrinting("Ispis je prekinut");
    // The sheet before is followed by a new one only now that there is a page for it: a run cancelled
    // here ends without a blank sheet.
    if (sheetDue_) {
        sheetDue_ = false;
        Printer().NewPage();
    }
    UpdateProgress(ProgressMessage, page, from, to);
    Printer().DrawPage(*pages_[static_cast<std::size_t>(page - 1)]);
    sheetDue_ = !last;
}

void TPagePrinter::UpdateProgress(const std::string& message, int page, int from, int to) {
    if (!ShowProgress || message == FinishMessage) {
        if (dialog_) {
            dialog_->hide();
            delete dialog_.data();
            fw::ReturnActivation(nullptr);
        }
        return;
    }
    if (!dialog_) {
        // A window outside a modal one gets no input: the dialog belongs to the modal window when one runs.
        // Otherwise it belongs to the window in front, which gets the keys back when it goes.
        QWidget* over = QApplication::activeModalWidget();
        if (!over) over = fw::LastActiveForm(nullptr);
        dialog_ = new TPPPrnPrgDlg(over);
        dialog_->OnCancel = [this] { CancelPrinting(); };
        if (!ShowCancel) dialog_->HideCancel();
        if (sendInput_) sendInput_->SetWindow(dialog_);
        dialog_->show();
    }
    dialog_->setWindowTitle(QString::fromStdString(Title()));
    dialog_->lblStatus->setText(message.empty() ? QStringLiteral("Slanje stranica u pisač")
                                                : QString::fromStdString(message));
    dialog_->ProgBar->setMaximum(static_cast<int>(copies_) * (to - from + 1));
    dialog_->ProgBar->setValue(std::min(dialog_->ProgBar->value() + 1, dialog_->ProgBar->maximum()));
    std::string label = "Strana " + std::to_string(page);
    if (from == 1) {
        label += " od " + std::to_string(to - from + 1);
        if (copies_ > 1) label += " x " + std::to_string(copies_) + " Kopija";
    }
    dialog_->lblPageNumber->setText(QString::fromStdString(label));
    if (dialog_->isVisible()) dialog_->repaint();
}

} // namespace controls
