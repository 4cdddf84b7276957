#pragma once
// The printer as page builders see it: resolution, sheet size and the printer's own unprintable border,
// orientation, job title and copy count, and the job itself (start, new sheet, end, abort). Pages are
// laid out against the current printer and painted on it sheet by sheet.

#include "base/Exceptions.h"
#include "fw/print/Page.h"

#include <memory>
#include <QPoint>
#include <QSize>
#include <string>

class QPdfWriter;
class QPrinter;
class QPainter;

namespace fw {

class PdfFile;

// A printer that cannot do what it was asked.
class EPrinter : public base::Exception {
public:
    using base::Exception::Exception;
};

enum class PrinterOrientation { poPortrait, poLandscape };

class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;

    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    // The whole sheet, in device pixels.
    virtual QSize PhysicalSize() const = 0;
    // Where the printable area begins on the sheet; drawing at (0, 0) lands there.
    virtual QPoint PhysicalOffset() const = 0;
    virtual PrinterOrientation Orientation() const = 0;
    virtual void SetOrientation(PrinterOrientation orientation) = 0;
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual int Copies() const = 0;
    virtual void SetCopies(int copies) = 0;

    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;
    virtual bool Printing() const = 0;
    // Paints a page on the current sheet from the printable corner, scaled from the page's resolution to
    // the printer's.
    virtual void DrawPage(const Page& page) = 0;
    // The file the current or last job writes; empty when the job goes to a printer.
    virtual std::string OutputFile() const { return {}; }
};

// The PDF file of a job with the given title in the folder: the title made a file name (characters a
// file name may not hold dropped or replaced), "Ispis" when nothing is left, and " (2)", " (3)"... added
// while a file of that name is already there, so that no earlier printout is ever overwritten.
std::string FreePdfPath(const std::string& folder, const std::string& title);

// A printer of the system (through CUPS) or a PDF file, on a QPrinter. A PDF file is written beside its
// name and takes it only when whole (PdfFile).
class QtPrinterDevice : public PrinterDevice {
public:
    // A printer of its own at high resolution; without an installed printer it writes PDF.
    QtPrinterDevice();
    // Prints on a printer the caller keeps.
    explicit QtPrinterDevice(QPrinter& printer);
    ~QtPrinterDevice() override;

    QPrinter& Printer() const { return *printer_; }
    // Every job to this one PDF file instead of the printer.
    void SetPdfFile(const std::string& path);
    // Every job to a PDF file of its own in the folder, named after the job (FreePdfPath).
    void SetPdfFolder(const std::string& folder);
    // The printer of the system with that name; the jobs go to it again.
    void SetPrinterName(const std::string& name);
    // Whether each job goes to a PDF file of its own named after it (and not to a printer).
    bool PdfPerJob() const { return pdfInHome_ || !pdfFolder_.empty(); }
    // The folder of those files; the home folder is taken as it is when a job starts.
    std::string PdfFolder() const;

    int DpiX() const override;
    int DpiY() const override;
    QSize PhysicalSize() const override;
    QPoint PhysicalOffset() const override;
    PrinterOrientation Orientation() const override;
    void SetOrientation(PrinterOrientation orientation) override;
    std::string Title() const override;
    void SetTitle(const std::string& title) override;
    int Copies() const override;
    void SetCopies(int copies) override;
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return painter_ != nullptr; }
    void DrawPage(const Page& page) override;
    std::string OutputFile() const override;

private:
    void BeginPdf(QPainter& painter);
    void EndPdf();

    std::unique_ptr<QPrinter> owned_;
    std::string pdfFolder_;
    bool pdfInHome_ = false;
    QPrinter* printer_;
    // The PDF job's file and its writer, laid out as the printer is.
    std::unique_ptr<PdfFile> pdf_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
};

// Paints a page scaled from its resolution to a painter's device of the given resolution.
void PaintPageAt(const Page& page, QPainter& painter, int dpiX, int dpiY);

// The printer every page builder lays out for and prints on; the program's own QtPrinterDevice unless a
// caller (a test) put another in place.
PrinterDevice& CurrentPrinter();
// Installs a printer (nullptr: the program's own) and returns the one installed before.
PrinterDevice* SetCurrentPrinter(PrinterDevice* printer);

} // namespace fw
