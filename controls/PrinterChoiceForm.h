#pragma once
// "Postavke Pisača": where the printouts go, chosen from a list of the system's printers and the PDF
// file, with buttons that say what they do: "&U redu" takes the line chosen, "&Odustani" leaves the
// printer as it was. Enter and Esc answer the same; a double click on a line takes it.

#include "fw/ui/Form.h"
#include "fw/ui/StdCtrls.h"

#include <string>
#include <vector>

namespace fw {
class QtPrinterDevice;
}

namespace controls {

class PrinterChoiceForm : public fw::Form {
public:
    // lines: what to choose from, in order; current: the line chosen when the form opens.
    PrinterChoiceForm(fw::Component* owner, const std::vector<std::string>& lines, int current);

    fw::Label* lPisac;
    fw::ListBox* lbPisaci;
    fw::Button* bURedu;
    fw::Button* bOdustani;

    // Shows the form modal: the line taken, or -1 when the user gave up.
    int Run();
};

// The lines the printer setup offers: every printer of the system, then the PDF file (its folder or file
// named), and the line of the device's present choice.
struct PrinterLines {
    std::vector<std::string> Lines;
    int Current = 0;
    int Pdf = 0; // the PDF file's line, the last one
};
PrinterLines LinesFor(const fw::QtPrinterDevice& device, const std::vector<std::string>& printers);
// Sends the device's next jobs where the line says: a printer of the system, or a PDF file of each job's
// own in the home folder (a device that already writes PDF keeps its file or folder).
void ApplyLine(fw::QtPrinterDevice& device, const PrinterLines& lines, int line);

} // namespace controls
