#include "fw/print/PrinterDevice.h"

#include "fw/print/PdfFile.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace fw {

std::string FreePdfPath(const std::string& folder, const std::string& title) {
    QString name = QString::fromStdString(title);
    // "Rezna Lista RN: 12" becomes "Rezna Lista RN 12"; the other characters no file name may hold
    // become dashes.
    name.remove(QLatin1Char(':'));
    name.replace(QRegularExpression(QStringLiteral("[/\\\\*?\"<>|\\x00-\\x1f]")), QStringLiteral("-"));
    name = name.simplified();
    // A leading "-> " or dot would make a hidden or odd-looking file.
    while (!name.isEmpty() && (name.front() == QLatin1Char('-') || name.front() == QLatin1Char('.') ||
                               name.front() == QLatin1Char(' ')))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == QLatin1Char('.') || name.back() == QLatin1Char(' ')))
        name.chop(1);
    if (name.isEmpty()) name = QStringLiteral("Ispis");
    const QDir dir(QString::fromStdString(folder));
    QString path = dir.filePath(name + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(name + QStringLiteral(" (%1).pdf").arg(n));
    return path.toStdString();
}

QtPrinterDevice::QtPrinterDevice()
    : owned_(std::make_unique<QPrinter>(QPrinter::HighResolution)), printer_(owned_.get()) {
    printer_->setPageSize(QPageSize(QPageSize::A4));
    // Without an installed printer every job becomes a PDF file of its own in the home folder.
    pdfInHome_ = printer_->outputFormat() == QPrinter::PdfFormat;
}

QtPrinterDevice::QtPrinterDevice(QPrinter& printer) : printer_(&printer) {}

QtPrinterDevice::~QtPrinterDevice() {
    if (painter_) painter_->end();
}

void QtPrinterDevice::SetPdfFile(const std::string& path) {
    if (painter_) throw EPrinter("Pisač već ispisuje");
    pdfFolder_.clear();
    pdfInHome_ = false;
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromStdString(path));
}

void QtPrinterDevice::SetPdfFolder(const std::string& folder) {
    if (painter_) throw EPrinter("Pisač već ispisuje");
    pdfFolder_ = folder;
    pdfInHome_ = folder.empty();
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString());
}

void QtPrinterDevice::SetPrinterName(const std::string& name) {
    if (painter_) throw EPrinter("Pisač već ispisuje");
    pdfFolder_.clear();
    pdfInHome_ = false;
    printer_->setOutputFileName(QString());
    printer_->setOutputFormat(QPrinter::NativeFormat);
    printer_->setPrinterName(QString::fromStdString(name));
}

std::string QtPrinterDevice::PdfFolder() const {
    return pdfInHome_ ? QDir::homePath().toStdString() : pdfFolder_;
}

std::string QtPrinterDevice::OutputFile() const {
    if (printer_->outputFormat() != QPrinter::PdfFormat) return {};
    return printer_->outputFileName().toStdString();
}

int QtPrinterDevice::DpiX() const {
    return printer_->logicalDpiX();
}

int QtPrinterDevice::DpiY() const {
    return printer_->logicalDpiY();
}

QSize QtPrinterDevice::PhysicalSize() const {
    return printer_->paperRect(QPrinter::DevicePixel).toRect().size();
}

QPoint QtPrinterDevice::PhysicalOffset() const {
    const QRectF paper = printer_->paperRect(QPrinter::DevicePixel);
    const QRectF page = printer_->pageRect(QPrinter::DevicePixel);
    return (page.topLeft() - paper.topLeft()).toPoint();
}

PrinterOrientation QtPrinterDevice::Orientation() const {
    return printer_->pageLayout().orientation() == QPageLayout::Landscape ? PrinterOrientation::poLandscape
                                                                          : PrinterOrientation::poPortrait;
}

void QtPrinterDevice::SetOrientation(PrinterOrientation orientation) {
    printer_->setPageOrientation(orientation == PrinterOrientation::poLandscape ? QPageLayout::Landscape
                                                                                : QPageLayout::Portrait);
}

std::string QtPrinterDevice::Title() const {
    return printer_->docName().toStdString();
}

void QtPrinterDevice::SetTitle(const std::string& title) {
    printer_->setDocName(QString::fromStdString(title));
}

int QtPrinterDevice::Copies() const {
    return printer_->copyCount();
}

void QtPrinterDevice::SetCopies(int copies) {
    printer_->setCopyCount(copies);
}

void QtPrinterDevice::BeginDoc() {
    if (painter_) throw EPrinter("Pisač već ispisuje");
    auto painter = std::make_unique<QPainter>();
    if (printer_->outputFormat() == QPrinter::PdfFormat)
        BeginPdf(*painter);
    else if (!painter->begin(printer_))
        throw EPrinter("Ispis se ne može započeti: pisač nije dostupan");
    painter_ = std::move(painter);
}

void QtPrinterDevice::BeginPdf(QPainter& painter) {
    // Each job its own file, named after the job: an earlier printout is never written over.
    const std::string target = PdfPerJob() ? FreePdfPath(PdfFolder(), printer_->docName().toStdString())
                                           : printer_->outputFileName().toStdString();
    if (target.empty()) throw EPrinter("Ispis se ne može započeti: nije zadana datoteka za PDF");
    RemoveStalePdfTemporaries(QFileInfo(QString::fromStdString(target)).absolutePath().toStdString());
    auto pdf = std::make_unique<PdfFile>(target);
    auto writer = std::make_unique<QPdfWriter>(pdf.get());
    writer->setResolution(printer_->resolution());
    writer->setPageLayout(printer_->pageLayout());
    writer->setTitle(printer_->docName());
    writer->setCreator(printer_->creator());
    if (!painter.begin(writer.get())) throw EPrinter(PdfWriteError(target, EIO));
    if (PdfPerJob()) printer_->setOutputFileName(QString::fromStdString(target));
    pdf_ = std::move(pdf);
    writer_ = std::move(writer);
}

void QtPrinterDevice::NewPage() {
    if (!painter_) throw EPrinter("Pisač ne ispisuje");
    if (!(writer_ ? writer_->newPage() : printer_->newPage()))
        throw EPrinter("Pisač ne može započeti novu stranicu");
}

void QtPrinterDevice::EndDoc() {
    if (!painter_) throw EPrinter("Pisač ne ispisuje");
    const bool ok = painter_->end();
    painter_.reset();
    if (!ok) {
        writer_.reset();
        pdf_.reset();
        throw EPrinter("Ispis se nije mogao završiti");
    }
    if (pdf_) EndPdf();
}

void QtPrinterDevice::EndPdf() {
    writer_.reset();
    const std::unique_ptr<PdfFile> pdf = std::move(pdf_);
    // Another printout of the same name may have come meanwhile (another program on the folder).
    const QString folder = QFileInfo(QString::fromStdString(pdf->Target())).absolutePath();
    const std::string target =
        PdfPerJob() ? FreePdfPath(folder.toStdString(), printer_->docName().toStdString()) : pdf->Target();
    pdf->Commit(target);
    if (PdfPerJob()) printer_->setOutputFileName(QString::fromStdString(target));
}

void QtPrinterDevice::Abort() {
    if (!painter_) return;
    if (!writer_) printer_->abort();
    painter_->end();
    painter_.reset();
    writer_.reset();
    pdf_.reset();
}

void QtPrinterDevice::DrawPage(const Page& page) {
    if (!painter_) throw EPrinter("Pisač ne ispisuje");
    PaintPageAt(page, *painter_, DpiX(), DpiY());
}

void PaintPageAt(const Page& page, QPainter& painter, int dpiX, int dpiY) {
    painter.save();
    if (dpiX != page.DpiX() || dpiY != page.DpiY())
        painter.scale(static_cast<double>(dpiX) / page.DpiX(), static_cast<double>(dpiY) / page.DpiY());
    ReplayPage(page, painter);
    painter.restore();
}

namespace {
PrinterDevice* installed = nullptr;
}

PrinterDevice& CurrentPrinter() {
    if (installed) return *installed;
    // Kept to the end of the process: the printer must outlive every form that prints on it.
    static QtPrinterDevice* own = new QtPrinterDevice();
    return *own;
}

PrinterDevice* SetCurrentPrinter(PrinterDevice* printer) {
    PrinterDevice* old = installed;
    installed = printer;
    return old;
}

} // namespace fw
