#include "controls/PrinterChoiceForm.h"

#include "fw/print/PrinterDevice.h"
#include "fw/ui/Guard.h"

#include <algorithm>
#include <QDir>
#include <QPrinter>

namespace controls {

namespace {
constexpr int Margin = 8, FormWidth = 360, ListHeight = 150, ButtonWidth = 80, ButtonHeight = 25;
}

PrinterChoiceForm::PrinterChoiceForm(fw::Component* owner, const std::vector<std::string>& lines, int current)
    : fw::Form(owner) {
    SetName("PrinterChoice");
    SetCaption("Postavke Pisača");
    SetBorderStyle(fw::BorderStyle::bsDialog);
    setFont(QFont(fw::FontFamily("MS Sans Serif"), 8));
    lPisac = new fw::Label(this, this);
    lPisac->SetName("lPisac");
    lPisac->SetCaption("Ispisi idu na:");
    lPisac->SetBounds(Margin, Margin, FormWidth - 2 * Margin, 16);
    lbPisaci = new fw::ListBox(this, this);
    lbPisaci->SetName("lbPisaci");
    lbPisaci->SetBounds(Margin, Margin + 20, FormWidth - 2 * Margin, ListHeight);
    for (const std::string& line : lines)
        lbPisaci->AddItem(line);
    lbPisaci->SetItemIndex(std::clamp(current, 0, std::max(0, lbPisaci->Count() - 1)));
    QObject::connect(lbPisaci, &QListWidget::itemDoubleClicked,
                     [this] { fw::Guarded([this] { SetModalResult(fw::mrOk); }); });
    const int y = Margin + 20 + ListHeight + Margin;
    bURedu = new fw::Button(this, this);
    bURedu->SetName("bURedu");
    bURedu->SetCaption("&U redu");
    bURedu->Default = true;
    bURedu->ModalResult = fw::mrOk;
    bURedu->SetBounds(FormWidth - 2 * (ButtonWidth + Margin), y, ButtonWidth, ButtonHeight);
    bOdustani = new fw::Button(this, this);
    bOdustani->SetName("bOdustani");
    bOdustani->SetCaption("&Odustani");
    bOdustani->Cancel = true;
    bOdustani->ModalResult = fw::mrCancel;
    bOdustani->SetBounds(FormWidth - ButtonWidth - Margin, y, ButtonWidth, ButtonHeight);
    setFixedSize(FormWidth, y + ButtonHeight + Margin);
    SetActiveControl(lbPisaci);
}

int PrinterChoiceForm::Run() {
    CentreOnScreen();
    if (ShowModal() != fw::mrOk || lbPisaci->Count() == 0) return -1;
    return lbPisaci->ItemIndex();
}

PrinterLines LinesFor(const fw::QtPrinterDevice& device, const std::vector<std::string>& printers) {
    PrinterLines out;
    out.Lines = printers;
    out.Pdf = static_cast<int>(printers.size());
    const QPrinter& p = device.Printer();
    if (device.PdfPerJob())
        out.Lines.push_back("PDF datoteka u mapi " + device.PdfFolder());
    else if (p.outputFormat() == QPrinter::PdfFormat)
        out.Lines.push_back("PDF datoteka " + p.outputFileName().toStdString());
    else
        out.Lines.push_back("PDF datoteka u mapi " + QDir::homePath().toStdString());
    if (p.outputFormat() == QPrinter::PdfFormat) {
        out.Current = out.Pdf;
    } else {
        const auto it = std::find(printers.begin(), printers.end(), p.printerName().toStdString());
        out.Current = it == printers.end() ? 0 : static_cast<int>(it - printers.begin());
    }
    return out;
}

void ApplyLine(fw::QtPrinterDevice& device, const PrinterLines& lines, int line) {
    if (line < 0 || line >= static_cast<int>(lines.Lines.size())) return;
    if (line == lines.Pdf) {
        if (device.Printer().outputFormat() != QPrinter::PdfFormat) device.SetPdfFolder({});
        return;
    }
    device.SetPrinterName(lines.Lines[static_cast<std::size_t>(line)]);
}

} // namespace controls
