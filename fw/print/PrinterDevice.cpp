#include "fw/print/PrinterDevice.h"

#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace fw {

QtPrinterDevice::QtPrinterDevice()
    : owned_(std::make_unique<QPrinter>(QPrinter::HighResolution)), printer_(owned_.get()) {
    printer_->setPageSize(QPageSize(QPageSize::A4));
}

QtPrinterDevice::QtPrinterDevice(QPrinter& printer) : printer_(&printer) {}

QtPrinterDevice::~QtPrinterDevice() {
    if (painter_) painter_->end();
}

void QtPrinterDevice::SetPdfFile(const std::string& path) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromStdString(path));
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
    // Without an installed printer the job goes to a PDF file in the home folder, named for the job.
    if (printer_->outputFormat() == QPrinter::PdfFormat && printer_->outputFileName().isEmpty()) {
        QString name = printer_->docName().trimmed();
        name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("_"));
        if (name.isEmpty()) name = QStringLiteral("Ispis");
        printer_->setOutputFileName(QDir::home().filePath(name + QStringLiteral(".pdf")));
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(printer_)) throw EPrinter("Ispis se ne može započeti: pisač nije dostupan");
    painter_ = std::move(painter);
}

void QtPrinterDevice::NewPage() {
    if (!painter_) throw EPrinter("Pisač ne ispisuje");
    if (!printer_->newPage()) throw EPrinter("Pisač ne može započeti novu stranicu");
}

void QtPrinterDevice::EndDoc() {
    if (!painter_) throw EPrinter("Pisač ne ispisuje");
    const bool ok = painter_->end();
    painter_.reset();
    if (!ok) throw EPrinter("Ispis se nije mogao završiti");
}

void QtPrinterDevice::Abort() {
    if (!painter_) return;
    printer_->abort();
    painter_->end();
    painter_.reset();
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
