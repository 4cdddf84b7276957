#pragma once
// TPagePrinter: lays a document out on printed pages (plain, aligned and table lines with a header, a
// footer, borders and cell frames), keeps every page as a display list in printer pixels, shows one page
// at a time as a zoomable preview (it is itself a scroll box), and prints a page range with copies, a
// progress dialog and cancel. With PrintToFile the same calls write a plain text file instead.

#include "base/Exceptions.h"
#include "controls/ColumnFormats.h"
#include "fw/print/PageCanvas.h"
#include "fw/print/PrinterDevice.h"
#include "fw/ui/Control.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <QPointer>
#include <QScrollArea>
#include <string>
#include <vector>

namespace base {
class FileReplacement;
}

namespace controls {

class TPPPrnPrgDlg;
class LayoutProgress;
class InputOnlyTo;

// Every refusal of the page printer.
class EPagePrinter : public fw::EPrinter {
public:
    using fw::EPrinter::EPrinter;
};
// A print run the user cancelled.
class ECancelPrinting : public EPagePrinter {
public:
    using EPagePrinter::EPagePrinter;
};

// The answer to a printout asked for while an earlier one is still being built or sent to the printer.
inline constexpr const char* PrintBusyMessage =
    "prijašnji ispis nije završen!!!\r\nZavršite isti te tada ponovite sadašnji!";

enum class TMeasureUnit { muInches, muMillimeters };
enum class TLineSpacing { lsHalfSpace, lsSingleSpace, lsSingleAndAHalf, lsDoubleSpace };
enum class TZoomLocation { zlTopLeft, zlTopCenter, zlCenter };
enum TPageBorder : unsigned { pbTop = 1, pbBottom = 2, pbLeft = 4, pbRight = 8 };

class TPagePrinter : public fw::ControlOf<QScrollArea> {
public:
    explicit TPagePrinter(fw::Control* parent, fw::Component* owner = nullptr);
    ~TPagePrinter() override;

    // --- units and printer metrics -------------------------------------------------------------------
    TMeasureUnit MeasureUnit() const { return measureUnit_; }
    void SetMeasureUnit(TMeasureUnit unit);
    int UnitsToPixelsX(double value) const;
    int UnitsToPixelsY(double value) const;
    double PixelsToUnitsX(int pixels) const;
    double PixelsToUnitsY(int pixels) const;
    double PageWidth() const;
    double PageHeight() const;
    double PrintableWidth() const { return PageWidth() - MinMarginLeft() - MinMarginRight(); }
    double PrintableHeight() const { return PageHeight() - MinMarginTop() - MinMarginBottom(); }
    double UsableWidth() const { return PageWidth() - marginLeft_ - marginRight_; }
    double UsableHeight() const { return PageHeight() - marginTop_ - marginBottom_; }
    double MinMarginTop() const;
    double MinMarginBottom() const { return MinMarginTop(); }
    double MinMarginLeft() const;
    double MinMarginRight() const { return MinMarginLeft(); }
    double LineHeightUnits() const { return PixelsToUnitsY(lineHeight_); }
    // Margins re-clamped for the current paper, fonts and line height re-read, friendly texts re-laid.
    void RefreshPrinterMetrics();

    double MarginTop() const { return marginTop_; }
    double MarginBottom() const { return marginBottom_; }
    double MarginLeft() const { return marginLeft_; }
    double MarginRight() const { return marginRight_; }
    void SetMarginTop(double value);
    void SetMarginBottom(double value);
    void SetMarginLeft(double value);
    void SetMarginRight(double value);

    fw::PrinterOrientation Orientation() const;
    void SetOrientation(fw::PrinterOrientation orientation);
    // The printer job's title, and so the name of a job's PDF file; "<Unknown>" when the printer cannot
    // tell. The pages are printed under the title set last; it cannot change while they are sent.
    std::string Title() const;
    void SetTitle(const std::string& title);

    // --- fonts -------------------------------------------------------------------------------------------
    const fw::FontSpec& Font() const { return font_; }
    void SetFont(const fw::FontSpec& font);
    const fw::FontSpec& HeaderFont() const { return headerFont_; }
    void SetHeaderFont(const fw::FontSpec& font) { headerFont_ = font; }
    const fw::FontSpec& FooterFont() const { return footerFont_; }
    void SetFooterFont(const fw::FontSpec& font) { footerFont_ = font; }
    bool AutoHeaderFont() const { return autoHeaderFont_; }
    void SetAutoHeaderFont(bool on);
    bool AutoFooterFont() const { return autoFooterFont_; }
    void SetAutoFooterFont(bool on);

    // --- header, footer and table formats -----------------------------------------------------------
    std::string Header;
    std::string Footer;
    const std::string& HeaderFormat() const { return headerFormat_; }
    void SetHeaderFormat(const std::string& format);
    const std::string& FooterFormat() const { return footerFormat_; }
    void SetFooterFormat(const std::string& format);
    const std::string& TableFormat() const { return tableFormat_; }
    void SetTableFormat(const std::string& format);
    const std::string& FriendlyHeader() const { return friendlyHeader_; }
    void SetFriendlyHeader(const std::string& text);
    const std::string& FriendlyFooter() const { return friendlyFooter_; }
    void SetFriendlyFooter(const std::string& text);
    // Above 0: the header's fixed distance above the text area (the footer's below it), in printer pixels.
    double HeaderYOffset = 0;
    double FooterYOffset = 0;
    char TokenSeparator = '|';
    double DefaultColWidth = 0;
    bool TableGrid = false;
    fw::PenStyle TableLineStyle = fw::PenStyle::psSolid;
    unsigned BorderWidth = 2;
    std::uint8_t TextOffset = 3;
    unsigned PageBorders = 0; // TPageBorder bits
    double PageBorderOffset = 0;
    TLineSpacing LineSpacing() const { return lineSpacing_; }
    void SetLineSpacing(TLineSpacing spacing);
    fw::Alignment Alignment = fw::Alignment::taLeftJustify;
    bool WordWrap = true;
    unsigned TabSize = 8;
    std::vector<std::string> Lines; // kept for the caller; page building does not read it

    // --- output to a text file ----------------------------------------------------------------------
    bool PrintToFile() const { return printToFile_; }
    void SetPrintToFile(bool on);
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name);

    // --- printing (copies, range, progress) ---------------------------------------------------------
    unsigned Copies() const { return copies_; }
    void SetCopies(int copies) { copies_ = copies < 1 ? 1u : static_cast<unsigned>(copies); }
    bool Collate = true;
    bool ShowProgress = true;
    bool ShowCancel = true;
    std::string ProgressMessage;
    bool AbortOnCancel = false;
    unsigned PrintFromPage() const { return printFromPage_; }
    void SetPrintFromPage(unsigned page);
    unsigned PrintToPage() const { return printToPage_; }
    void SetPrintToPage(unsigned page);
    bool Cancelled = false;
    // Prints pages PrintFromPage..PrintToPage Copies times; false when the user cancelled (the user is
    // told how far it got). While a run is sending pages a second one is refused (EPagePrinter with
    // PrintBusyMessage) before it reaches the printer. A job written to a file tells the user its name.
    bool Print();
    void CancelPrinting() { Cancelled = true; }
    // A run is sending pages to the printer: its pages and the printer are not to be touched.
    bool Sending() const { return sending_; }
    // The progress window of the run in progress, or of the printout being laid out, if it shows one.
    TPPPrnPrgDlg* ProgressDialog() const;
    // The progress of the printout being laid out (see LayoutProgress); none between printouts.
    LayoutProgress* Layout() const { return layout_; }

    // --- events --------------------------------------------------------------------------------------
    std::function<void(TPagePrinter& sender)> OnNewLine;
    std::function<void(TPagePrinter& sender)> OnNewPage;

    // --- documents and lines -------------------------------------------------------------------------
    void Clear();
    void BeginDoc();
    void EndDoc();
    void NewPage();
    void NewLine();
    bool PreviousLine();
    void WriteText(const std::string& text);
    void WriteLine(const std::string& text);
    void WriteTableLine(const std::string& text);
    // Left and Width in whole measure units, Left from the left margin.
    void DrawCellFrame(int left, int width, bool topEdge, bool bottomEdge);
    void DrawFrame(double left, double top, double right, double bottom, bool topEdge, bool bottomEdge);
    void DrawLine(double x1, double y1, double x2, double y2);
    // A document is open, or a run is sending the pages.
    bool Printing() const { return sending_ || (printToFile_ ? fileOpen_ : printing_); }
    fw::PageCanvas& Canvas() { return canvas_; }

    int CurrentX = 0;
    int CurrentY = 0;
    int LineHeight() const { return lineHeight_; }
    int LineNumber() const { return lineNumber_; }
    int CurrentPage() const { return currentPage_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    // Page n, 1-based.
    const fw::Page& Pages(int n) const;

    // The margins and the text area in printer pixels from the printable corner.
    int MarginLeftPixels() const { return UnitsToPixelsX(marginLeft_ - MinMarginLeft()); }
    int MarginRightPixels() const { return UnitsToPixelsX(marginRight_ - MinMarginRight()); }
    int MarginTopPixels() const { return UnitsToPixelsY(marginTop_ - MinMarginTop()); }
    int MarginBottomPixels() const { return UnitsToPixelsY(marginBottom_ - MinMarginBottom()); }
    int TextWidthPixels() const;
    int PageBottomPixels() const;
    // Whether as many more lines fit on the page before it turns (always at a page's top, and where no
    // page turns).
    bool LinesFit(int lines) const {
        return !printing_ || !PageBreakAllowed() || freshPage_ ||
               PageBottomPixels() > CurrentY + lines * lineHeight_;
    }

    // --- preview ---------------------------------------------------------------------------------------
    unsigned ZoomPercent() const { return zoomPercent_; }
    void SetZoomPercent(unsigned percent);
    TZoomLocation ZoomLocation = TZoomLocation::zlTopLeft;
    unsigned ShadowOffset() const { return shadowOffset_; }
    void SetShadowOffset(unsigned offset);
    fw::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(fw::TColor color);
    bool ShowMargins() const { return showMargins_; }
    void SetShowMargins(bool on);
    bool GradientBackground() const { return gradientBackground_; }
    void SetGradientBackground(bool on);
    double PrinterScreenRatio(bool horizontal) const;
    int ScreenPixels(double value, bool horizontal) const;
    int ZoomedPixels(double value, bool horizontal) const;
    int PreviewPageWidth() const;
    int PreviewPageHeight() const;
    void ZoomToFit();
    void ZoomToWidth();
    void ZoomToHeight();
    void GotoPage(int page);
    void UpdateScrollRange();
    // Paints the preview of the current page on the paint box.
    virtual void PaintPreview(QPainter& painter, QSize area);
    // The scroll box's ranges and increment (the virtual size of what it scrolls over).
    int HorzRange() const { return horzRange_; }
    int VertRange() const { return vertRange_; }
    static constexpr int ScrollIncrement = 16;

    // The text measurer of the pages (tests put a predictable one in place).
    void SetMeasurer(const fw::TextMeasurer& measurer);

    void Loaded() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitPaintBox();
    friend class PreviewPaintBox;
    fw::PrinterDevice& Printer() const { return fw::CurrentPrinter(); }
    int DpiX() const;
    int DpiY() const;
    double UnitsToInches(double value) const;
    double ClampMargin(double value, double minimum, double extent, double oppositeMinimum) const;
    void RefusedWhilePrinting(const char* message) const;
    void RefreshPrinterFont();
    void RecomputeLineHeight();
    int HorizontalThickness() const;
    int VerticalThickness() const;
    void StartPage();
    void AddPage();
    void MakeScratchPage();
    void DrawPageBorders();
    bool PageBreakAllowed() const { return !printToFile_ && !inHeader_ && !inNewPageHandler_; }
    bool BreakDue() const {
        return printing_ && PageBreakAllowed() && !freshPage_ && PageBottomPixels() <= CurrentY + lineHeight_;
    }
    void WriteToFile(const std::string& text);
    void WriteWrapped(const std::string& text, bool newLines);
    std::string FitText(const std::string& s, int maxWidth) const;
    void SplitAtWidth(std::string& line, std::string& rest, bool dropBlank, int width) const;
    std::string Expanded(const std::string& cell) const;
    void DrawCellFrameAt(int x, int width, bool topEdge, bool bottomEdge);
    void ReparseFriendly(bool header);
    FriendlyValues CurrentFriendlyValues() const;
    void PrintPage(int page, int from, int to, bool last);
    void UpdateProgress(const std::string& message, int page, int from, int to);
    void Repaint();

    QWidget* paintBox_;
    fw::PageCanvas canvas_;
    std::vector<std::unique_ptr<fw::Page>> pages_;
    std::unique_ptr<fw::Page> scratch_;
    // The text file being printed, written beside the old one and put in its place by EndDoc; none after a
    // failed write (the old file stays).
    std::unique_ptr<base::FileReplacement> file_;

    TMeasureUnit measureUnit_ = TMeasureUnit::muInches;
    double marginTop_ = 0, marginBottom_ = 0, marginLeft_ = 0, marginRight_ = 0;
    fw::FontSpec font_;
    fw::FontSpec headerFont_;
    fw::FontSpec footerFont_;
    bool autoHeaderFont_ = true;
    bool autoFooterFont_ = true;
    std::string headerFormat_, footerFormat_, tableFormat_;
    std::string friendlyHeader_, friendlyFooter_;
    TLineSpacing lineSpacing_ = TLineSpacing::lsSingleSpace;
    bool printToFile_ = false;
    std::string fileName_;
    unsigned copies_ = 1;
    unsigned printFromPage_ = 0;
    unsigned printToPage_ = 0;
    QPointer<TPPPrnPrgDlg> dialog_;
    std::unique_ptr<InputOnlyTo> sendInput_;
    friend class LayoutProgress;
    LayoutProgress* layout_ = nullptr;

    int lineHeight_ = 0;
    int lineNumber_ = 0;
    int currentPage_ = 0;
    bool printing_ = false;
    bool fileOpen_ = false;
    bool sending_ = false;
    // A sheet was printed and the run goes on: the printer turns to a new sheet before the next page.
    bool sheetDue_ = false;
    bool inHeader_ = false;
    bool inNewPageHandler_ = false;
    // No body line written since the page started: the page does not break again before one is.
    bool freshPage_ = false;
    int externalLeading_ = 0;

    unsigned zoomPercent_ = 25;
    unsigned shadowOffset_ = 5;
    fw::TColor shadowColor_ = 0x808080;
    bool showMargins_ = true;
    bool gradientBackground_ = true;
    int horzRange_ = 0;
    int vertRange_ = 0;
};

// Fills the rectangle with bands going from one colour to the other, top to bottom or left to right.
void GradientFill(QPainter& painter, const QRect& rect, fw::TColor from, fw::TColor to, bool vertical);

} // namespace controls
