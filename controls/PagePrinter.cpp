#include "controls/PagePrinter.h"

#include "base/Cp1250.h"
#include "base/CroatianFormat.h"
#include "base/FileIo.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "base/Utf8.h"
#include "controls/InputOnlyTo.h"
#include "controls/PrintProgressDialog.h"
#include "fw/ui/Guard.h"

#include <cmath>
#include <QPainter>
#include <QScrollBar>

namespace controls {

namespace {

constexpr double MillimetresPerInch = 25.4;
constexpr double InchesPerMillimetre = 0.03937007874015748;

// The byte length of the first n characters of a UTF-8 text.
std::size_t BytesOfChars(const std::string& s, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t k = 0; k < n && i < s.size(); ++k)
        base::NextCodePoint(s, i);
    return i;
}

// Text files are written in code page 1250; a character it lacks is written as '?'.
std::string ToFileBytes(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const int b = base::UnicodeToCp1250(base::NextCodePoint(utf8, i));
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

} // namespace

// The client area of the scroll box: it paints the preview of the current page.
class PreviewPaintBox : public QWidget {
public:
    explicit PreviewPaintBox(TPagePrinter& printer) : printer_(printer) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        fw::Guarded([&] { printer_.PaintPreview(painter, size()); });
    }

private:
    TPagePrinter& printer_;
};

TPagePrinter::TPagePrinter(fw::Control* parent, fw::Component* owner)
    : fw::ControlOf<QScrollArea>(parent, owner), paintBox_(new PreviewPaintBox(*this)) {
    setWidgetResizable(false);
    setWidget(paintBox_);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    horizontalScrollBar()->setSingleStep(ScrollIncrement);
    verticalScrollBar()->setSingleStep(ScrollIncrement);
    resize(89, 115);
    headerFont_ = font_;
    footerFont_ = font_;
    canvas_.SetFont(font_);
    marginTop_ = MinMarginTop();
    marginBottom_ = MinMarginBottom();
    marginLeft_ = MinMarginLeft();
    marginRight_ = MinMarginRight();
    RefreshPrinterFont();
    externalLeading_ = canvas_.ExternalLeading();
    RecomputeLineHeight();
    MakeScratchPage();
    UpdateScrollRange();
}

TPagePrinter::~TPagePrinter() {
    delete dialog_.data();
}

void TPagePrinter::Loaded() {
    fw::ControlOf<QScrollArea>::Loaded();
    RefreshPrinterMetrics();
    pages_.clear();
    MakeScratchPage();
    UpdateScrollRange();
    Repaint();
}

void TPagePrinter::SetMeasurer(const fw::TextMeasurer& measurer) {
    canvas_.SetMeasurer(measurer);
    RefreshPrinterMetrics();
}

// --- units and metrics ---------------------------------------------------------------------------------

int TPagePrinter::DpiX() const {
    try {
        const int dpi = Printer().DpiX();
        return dpi > 0 ? dpi : 300;
    } catch (const fw::EPrinter&) {
        return 300;
    }
}

int TPagePrinter::DpiY() const {
    try {
        const int dpi = Printer().DpiY();
        return dpi > 0 ? dpi : 300;
    } catch (const fw::EPrinter&) {
        return 300;
    }
}

double TPagePrinter::UnitsToInches(double value) const {
    return measureUnit_ == TMeasureUnit::muMillimeters ? value * InchesPerMillimetre : value;
}

int TPagePrinter::UnitsToPixelsX(double value) const {
    return static_cast<int>(std::lround(UnitsToInches(value) * DpiX()));
}

int TPagePrinter::UnitsToPixelsY(double value) const {
    return static_cast<int>(std::lround(UnitsToInches(value) * DpiY()));
}

double TPagePrinter::PixelsToUnitsX(int pixels) const {
    const double inches = static_cast<double>(pixels) / DpiX();
    return measureUnit_ == TMeasureUnit::muMillimeters ? inches * MillimetresPerInch : inches;
}

double TPagePrinter::PixelsToUnitsY(int pixels) const {
    const double inches = static_cast<double>(pixels) / DpiY();
    return measureUnit_ == TMeasureUnit::muMillimeters ? inches * MillimetresPerInch : inches;
}

double TPagePrinter::PageWidth() const {
    try {
        return PixelsToUnitsX(Printer().PhysicalSize().width());
    } catch (const fw::EPrinter&) {
        return measureUnit_ == TMeasureUnit::muMillimeters ? 210.0 : 8.5;
    }
}

double TPagePrinter::PageHeight() const {
    try {
        return PixelsToUnitsY(Printer().PhysicalSize().height());
    } catch (const fw::EPrinter&) {
        return measureUnit_ == TMeasureUnit::muMillimeters ? 297.0 : 11.0;
    }
}

double TPagePrinter::MinMarginTop() const {
    try {
        return PixelsToUnitsY(Printer().PhysicalOffset().y());
    } catch (const fw::EPrinter&) {
        return 0;
    }
}

double TPagePrinter::MinMarginLeft() const {
    try {
        return PixelsToUnitsX(Printer().PhysicalOffset().x());
    } catch (const fw::EPrinter&) {
        return 0;
    }
}

int TPagePrinter::TextWidthPixels() const {
    return UnitsToPixelsX(PrintableWidth()) - MarginLeftPixels() - MarginRightPixels();
}

int TPagePrinter::PageBottomPixels() const {
    return UnitsToPixelsY(PrintableHeight()) - MarginTopPixels() - MarginBottomPixels();
}

int TPagePrinter::HorizontalThickness() const {
    return DpiY() / 300 * static_cast<int>(BorderWidth);
}

int TPagePrinter::VerticalThickness() const {
    return DpiX() / 300 * static_cast<int>(BorderWidth);
}

void TPagePrinter::SetMeasureUnit(TMeasureUnit unit) {
    if (unit == measureUnit_) return;
    measureUnit_ = unit;
    if (Reading()) return;
    const double factor = unit == TMeasureUnit::muInches ? InchesPerMillimetre : MillimetresPerInch;
    SetMarginTop(marginTop_ * factor);
    SetMarginBottom(marginBottom_ * factor);
    SetMarginLeft(marginLeft_ * factor);
    SetMarginRight(marginRight_ * factor);
    PageBorderOffset *= factor;
    DefaultColWidth *= factor;
    RefreshPrinterMetrics();
    if (friendlyFooter_.empty())
        footerFormat_ = NormalizeFormat(footerFormat_, TokenSeparator, DefaultColWidth, factor);
    if (friendlyHeader_.empty())
        headerFormat_ = NormalizeFormat(headerFormat_, TokenSeparator, DefaultColWidth, factor);
    tableFormat_ = NormalizeFormat(tableFormat_, TokenSeparator, DefaultColWidth, factor);
}

void TPagePrinter::RefreshPrinterMetrics() {
    if (!Printing()) {
        SetMarginTop(marginTop_);
        SetMarginBottom(marginBottom_);
        SetMarginLeft(marginLeft_);
        SetMarginRight(marginRight_);
    }
    RefreshPrinterFont();
    externalLeading_ = canvas_.ExternalLeading();
    RecomputeLineHeight();
    if (!friendlyHeader_.empty()) ReparseFriendly(true);
    if (!friendlyFooter_.empty()) ReparseFriendly(false);
}

void TPagePrinter::RefreshPrinterFont() {
    canvas_.SetResolution(DpiY());
}

void TPagePrinter::RecomputeLineHeight() {
    const int h = std::abs(canvas_.FontHeight());
    switch (lineSpacing_) {
    case TLineSpacing::lsHalfSpace:
        lineHeight_ = h >> 1;
        break;
    case TLineSpacing::lsSingleAndAHalf:
        lineHeight_ = h + (h >> 1);
        break;
    case TLineSpacing::lsDoubleSpace:
        lineHeight_ = 2 * h;
        break;
    default:
        lineHeight_ = h;
        break;
    }
}

void TPagePrinter::SetLineSpacing(TLineSpacing spacing) {
    lineSpacing_ = spacing;
    RecomputeLineHeight();
}

// --- margins, orientation, title, files ----------------------------------------------------------------

void TPagePrinter::RefusedWhilePrinting(const char* message) const {
    if (Printing()) throw EPagePrinter(message);
}

double TPagePrinter::ClampMargin(double value, double minimum, double extent, double oppositeMinimum) const {
    if (value < minimum) return minimum;
    if (value > extent - oppositeMinimum) return extent - oppositeMinimum;
    return value;
}

void TPagePrinter::SetMarginTop(double value) {
    RefusedWhilePrinting("Ne može se mijenjati gornja margina za vrijeme ispisa");
    marginTop_ = ClampMargin(value, MinMarginTop(), PageHeight(), MinMarginBottom());
    Repaint();
}

void TPagePrinter::SetMarginBottom(double value) {
    RefusedWhilePrinting("Ne može se mijenjati donja margina za vrijeme ispisa");
    marginBottom_ = ClampMargin(value, MinMarginBottom(), PageHeight(), MinMarginTop());
    Repaint();
}

void TPagePrinter::SetMarginLeft(double value) {
    RefusedWhilePrinting("Ne može se mijenjati lijeva margina za vrijeme ispisa");
    marginLeft_ = ClampMargin(value, MinMarginLeft(), PageWidth(), MinMarginRight());
    Repaint();
}

void TPagePrinter::SetMarginRight(double value) {
    RefusedWhilePrinting("Ne može se mijenjati desna margina za vrijeme ispisa");
    marginRight_ = ClampMargin(value, MinMarginRight(), PageWidth(), MinMarginLeft());
    Repaint();
}

fw::PrinterOrientation TPagePrinter::Orientation() const {
    try {
        return Printer().Orientation();
    } catch (const fw::EPrinter&) {
        return fw::PrinterOrientation::poPortrait;
    }
}

void TPagePrinter::SetOrientation(fw::PrinterOrientation orientation) {
    RefusedWhilePrinting("Ne može se mijenjati orijentacija za vrijeme ispisa!");
    Printer().SetOrientation(orientation);
    UpdateScrollRange();
    Repaint();
}

std::string TPagePrinter::Title() const {
    try {
        return Printer().Title();
    } catch (const fw::EPrinter&) {
        return "<Unknown>";
    }
}

void TPagePrinter::SetTitle(const std::string& title) {
    if (sending_) throw EPagePrinter(PrintBusyMessage);
    Printer().SetTitle(title);
}

void TPagePrinter::SetPrintToFile(bool on) {
    if (on == printToFile_) return;
    RefusedWhilePrinting("Ne može se mijenjati opcija \"PrintToFile\" za vrijeme ispisa");
    printToFile_ = on;
}

void TPagePrinter::SetFileName(const std::string& name) {
    const std::string trimmed = base::Trim(name);
    if (trimmed == fileName_) return;
    RefusedWhilePrinting("Ne može se mijenjati opcija \"FileName\" za vrijeme ispisa");
    fileName_ = trimmed;
}

void TPagePrinter::SetPrintFromPage(unsigned page) {
    printFromPage_ = page;
    // 0 is "to the last page", which no start page passes.
    if (printToPage_ != 0 && page > printToPage_) printToPage_ = page;
}

void TPagePrinter::SetPrintToPage(unsigned page) {
    printToPage_ = page;
    if (page != 0 && page < printFromPage_) printFromPage_ = page;
}

// --- fonts and formats ---------------------------------------------------------------------------------

void TPagePrinter::SetFont(const fw::FontSpec& font) {
    font_ = font;
    canvas_.SetFont(font);
    RefreshPrinterFont();
    externalLeading_ = canvas_.ExternalLeading();
    RecomputeLineHeight();
    if (autoHeaderFont_) headerFont_ = font;
    if (autoFooterFont_) footerFont_ = font;
}

void TPagePrinter::SetAutoHeaderFont(bool on) {
    autoHeaderFont_ = on;
    if (on && !Reading()) headerFont_ = font_;
}

void TPagePrinter::SetAutoFooterFont(bool on) {
    autoFooterFont_ = on;
    if (on && !Reading()) footerFont_ = font_;
}

void TPagePrinter::SetHeaderFormat(const std::string& format) {
    headerFormat_ = NormalizeFormat(format, TokenSeparator, DefaultColWidth, 1.0);
}

void TPagePrinter::SetFooterFormat(const std::string& format) {
    footerFormat_ = NormalizeFormat(format, TokenSeparator, DefaultColWidth, 1.0);
}

void TPagePrinter::SetTableFormat(const std::string& format) {
    tableFormat_ = NormalizeFormat(format, TokenSeparator, DefaultColWidth, 1.0);
}

void TPagePrinter::SetFriendlyHeader(const std::string& text) {
    friendlyHeader_ = text;
    if (!Reading()) ReparseFriendly(true);
}

void TPagePrinter::SetFriendlyFooter(const std::string& text) {
    friendlyFooter_ = text;
    if (!Reading()) ReparseFriendly(false);
}

FriendlyValues TPagePrinter::CurrentFriendlyValues() const {
    const base::Date today = base::Today();
    const base::TimeOfDay now = base::Now();
    return FriendlyValues{fileName_, base::FormatDate(today), base::FormatLongDate(today),
                          base::FormatTime(now, false), base::FormatTime(now, true)};
}

void TPagePrinter::ReparseFriendly(bool header) {
    const FriendlyRow row = ParseFriendly(header ? friendlyHeader_ : friendlyFooter_, UsableWidth(),
                                          TokenSeparator, CurrentFriendlyValues());
    (header ? Header : Footer) = row.Text;
    (header ? headerFormat_ : footerFormat_) = row.Format;
}

std::string TPagePrinter::Expanded(const std::string& cell) const {
    if (cell.find("{$") == std::string::npos) return cell;
    return ExpandMacros(cell, MacroValues{lineNumber_, currentPage_, base::FormatDate(base::Today()),
                                          base::FormatTime(base::Now(), true), Title()});
}

// --- documents and pages -------------------------------------------------------------------------------

const fw::Page& TPagePrinter::Pages(int n) const {
    if (n < 1 || n > PageCount())
        throw EPagePrinter("Broj stranice mora biti između 1 i " + std::to_string(PageCount()));
    return *pages_[static_cast<std::size_t>(n - 1)];
}

void TPagePrinter::MakeScratchPage() {
    scratch_ = std::make_unique<fw::Page>(DpiX(), DpiY(), UnitsToPixelsX(PageWidth() - MinMarginRight()),
                                          UnitsToPixelsY(PageHeight() - MinMarginBottom()));
    canvas_.SetTarget(scratch_.get());
}

void TPagePrinter::AddPage() {
    pages_.push_back(std::make_unique<fw::Page>(DpiX(), DpiY(),
                                                UnitsToPixelsX(PageWidth() - MinMarginRight()),
                                                UnitsToPixelsY(PageHeight() - MinMarginBottom())));
    canvas_.SetTarget(pages_.back().get());
    canvas_.Brush = fw::PageBrush{fw::clWhite, fw::BrushStyle::bsClear};
    canvas_.Pen = fw::PagePen{};
    canvas_.SetFont(font_);
    RefreshPrinterFont();
}

void TPagePrinter::Clear() {
    RefusedWhilePrinting("Ne mogu obrisati sadržaj za vrijeme ispisa");
    pages_.clear();
    MakeScratchPage();
    currentPage_ = 0;
    UpdateScrollRange();
    Repaint();
}

void TPagePrinter::BeginDoc() {
    // The pages being sent stay as they are until their run ends.
    if (sending_) throw EPagePrinter(PrintBusyMessage);
    RefreshPrinterMetrics();
    if (!printToFile_ && PageBottomPixels() <= lineHeight_)
        throw EPagePrinter("Između gornje i donje margine nema mjesta ni za jedan redak");
    inHeader_ = false;
    if (printToFile_) {
        try {
            file_ = std::make_unique<base::FileReplacement>(fileName_);
        } catch (const base::FileError&) {
            throw base::Exception("Datoteka " + fileName_ + " se ne može otvoriti za pisanje");
        }
        fileOpen_ = true;
    } else {
        pages_.clear();
        AddPage();
    }
    printing_ = true;
    RefreshPrinterFont();
    currentPage_ = 1;
    StartPage();
}

void TPagePrinter::EndDoc() {
    if (sending_) throw EPagePrinter(PrintBusyMessage);
    printing_ = false;
    if (printToFile_) {
        if (!fileOpen_) return;
        fileOpen_ = false;
        const std::unique_ptr<base::FileReplacement> file = std::move(file_);
        if (!file) return; // a write failed and was told: the old file stays
        try {
            file->Commit();
        } catch (const base::FileError&) {
            throw base::Exception("Datoteka " + fileName_ + " se ne može zapisati");
        }
        return;
    }
    MakeScratchPage();
    if (PageCount() > 0)
        GotoPage(1);
    else
        currentPage_ = 0;
    UpdateScrollRange();
    Repaint();
}

void TPagePrinter::NewPage() {
    if (!Printing()) throw EPagePrinter("Ispis nije započet");
    if (printToFile_)
        WriteToFile("\f\r\n");
    else
        AddPage();
    ++currentPage_;
    StartPage();
}

void TPagePrinter::StartPage() {
    CurrentX = CurrentY = lineNumber_ = 0;
    if (OnNewPage && !inNewPageHandler_) {
        // A page head written by the handler cannot break the page again: its lines stay on this page.
        inNewPageHandler_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{inNewPageHandler_};
        OnNewPage(*this);
    }
    const int savedX = CurrentX, savedY = CurrentY, savedLine = lineNumber_;
    const std::string savedFormat = tableFormat_;
    const bool savedGrid = TableGrid, savedAutoHeader = autoHeaderFont_, savedAutoFooter = autoFooterFont_;
    const fw::FontSpec savedFont = canvas_.Font();
    TableGrid = false;
    autoHeaderFont_ = autoFooterFont_ = false;
    inHeader_ = true;
    auto restore = [&] {
        inHeader_ = false;
        tableFormat_ = savedFormat;
        TableGrid = savedGrid;
        canvas_.SetFont(savedFont);
        autoHeaderFont_ = savedAutoHeader;
        autoFooterFont_ = savedAutoFooter;
    };
    try {
        if (!Header.empty()) {
            canvas_.SetFont(headerFont_);
            if (HeaderYOffset > 0)
                CurrentY = -lineHeight_ - static_cast<int>(HeaderYOffset);
            else if (PageBorders & pbTop)
                CurrentY = ((UnitsToPixelsY(marginTop_ - PageBorderOffset) - lineHeight_) >> 1) -
                           UnitsToPixelsY(marginTop_);
            else
                CurrentY = ((UnitsToPixelsY(marginTop_) - lineHeight_) >> 1) - UnitsToPixelsY(marginTop_);
            if (MarginTopPixels() + CurrentY < 0) CurrentY = -MarginTopPixels();
            tableFormat_ = headerFormat_;
            WriteTableLine(Header);
        }
        if (!Footer.empty()) {
            canvas_.SetFont(footerFont_);
            if (FooterYOffset > 0)
                CurrentY = PageBottomPixels() + static_cast<int>(FooterYOffset);
            else if (PageBorders & pbBottom)
                CurrentY = UnitsToPixelsY(PageBorderOffset) + PageBottomPixels() +
                           ((UnitsToPixelsY(marginBottom_ - PageBorderOffset) - lineHeight_) >> 1);
            else
                CurrentY = PageBottomPixels() + ((UnitsToPixelsY(marginBottom_) - lineHeight_) >> 1);
            const int printable = UnitsToPixelsY(PrintableHeight());
            if (MarginTopPixels() + CurrentY + lineHeight_ > printable)
                CurrentY = printable - MarginTopPixels() - lineHeight_;
            tableFormat_ = footerFormat_;
            WriteTableLine(Footer);
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    CurrentX = savedX;
    CurrentY = savedY;
    lineNumber_ = savedLine;
    if (OnNewLine) OnNewLine(*this);
    if (!printToFile_) DrawPageBorders();
    // A page head that filled the page still gets one body line below it, or pages would follow forever.
    freshPage_ = true;
}

void TPagePrinter::DrawPageBorders() {
    const int l = MarginLeftPixels(), t = MarginTopPixels(), w = TextWidthPixels(), b = PageBottomPixels();
    canvas_.Pen = fw::PagePen{fw::clBlack, HorizontalThickness(), fw::PenStyle::psSolid};
    int o = UnitsToPixelsY(PageBorderOffset);
    if (PageBorders & pbTop) canvas_.Line(l - o, t - o, l + w + o, t - o);
    if (PageBorders & pbBottom) canvas_.Line(l - o, t + b + o, l + w + o, t + b + o);
    canvas_.Pen.Width = VerticalThickness();
    o = UnitsToPixelsX(PageBorderOffset);
    if (PageBorders & pbLeft) canvas_.Line(l - o, t - o, l - o, t + b + o);
    if (PageBorders & pbRight) canvas_.Line(l + w + o, t - o, l + w + o, t + b + o);
}

// --- lines ---------------------------------------------------------------------------------------------

void TPagePrinter::WriteToFile(const std::string& text) {
    if (!fileOpen_ || !file_) return;
    const std::string bytes = ToFileBytes(text);
    const base::IoResult written = base::WriteAll(file_->Fd(), bytes.data(), bytes.size());
    if (written.Error != 0 || written.Done != bytes.size()) {
        // The document goes on to its end, but the file keeps what it held before.
        file_.reset();
        throw base::Exception("Datoteka " + fileName_ + " se ne može zapisati");
    }
}

void TPagePrinter::NewLine() {
    CurrentX = 0;
    CurrentY += lineHeight_;
    const bool due = BreakDue();
    if (PageBreakAllowed()) freshPage_ = false;
    if (due) {
        NewPage();
    } else {
        if (printToFile_) WriteToFile("\r\n");
        ++lineNumber_;
    }
    if (OnNewLine) OnNewLine(*this);
}

bool TPagePrinter::PreviousLine() {
    if (printToFile_ || CurrentY < lineHeight_) return false;
    CurrentX = 0;
    CurrentY -= lineHeight_;
    --lineNumber_;
    return true;
}

void TPagePrinter::WriteText(const std::string& text) {
    const std::string t = text.find('\t') != std::string::npos ? ExpandTabs(text, TabSize) : text;
    const int w = canvas_.TextWidth(t);
    if (w > TextWidthPixels() - CurrentX && base::CharCount(t) > 1) {
        if (WordWrap)
            WriteWrapped(t, false);
        else
            WriteText(FitText(t, TextWidthPixels() - CurrentX));
        return;
    }
    if (BreakDue()) NewPage();
    if (printToFile_)
        WriteToFile(t);
    else
        canvas_.TextOut(MarginLeftPixels() + CurrentX, MarginTopPixels() + CurrentY, t);
    CurrentX += w;
}

void TPagePrinter::WriteLine(const std::string& text) {
    const std::string t = text.find('\t') != std::string::npos ? ExpandTabs(text, TabSize) : text;
    const int w = canvas_.TextWidth(t);
    if (w > TextWidthPixels() && base::CharCount(t) > 1) {
        CurrentX = 0;
        if (WordWrap)
            WriteWrapped(t, true);
        else
            WriteLine(FitText(t, TextWidthPixels()));
        return;
    }
    // The page break comes first: a new page starts its body at the left edge, which would lose the
    // alignment worked out for the old one.
    if (BreakDue()) NewPage();
    switch (Alignment) {
    case fw::Alignment::taRightJustify:
        CurrentX = TextWidthPixels() - w;
        break;
    case fw::Alignment::taCenter:
        CurrentX = (TextWidthPixels() - w) >> 1;
        break;
    default:
        CurrentX = 0;
        break;
    }
    if (printToFile_) {
        const int blank = canvas_.TextWidth(" ");
        WriteToFile(Spaces(blank > 0 ? CurrentX / blank : 0) + t);
    } else {
        canvas_.TextOut(MarginLeftPixels() + CurrentX, MarginTopPixels() + CurrentY, t);
    }
    NewLine();
}

void TPagePrinter::WriteWrapped(const std::string& text, bool newLines) {
    std::string rest = text;
    do {
        std::string piece;
        SplitAtWidth(piece, rest, newLines, TextWidthPixels() - CurrentX);
        if (newLines) {
            WriteLine(piece);
        } else {
            WriteText(piece);
            if (!rest.empty()) NewLine();
        }
    } while (!rest.empty());
}

std::string TPagePrinter::FitText(const std::string& s, int maxWidth) const {
    if (canvas_.TextWidth(s) <= maxWidth) return s;
    int lo = 1, hi = static_cast<int>(base::CharCount(s)), previous = 0, mid = 0;
    for (;;) {
        mid = (lo + hi) >> 1;
        const int w =
            canvas_.TextWidth(std::string_view(s).substr(0, BytesOfChars(s, static_cast<std::size_t>(mid))));
        if (w > maxWidth)
            hi = mid;
        else if (w < maxWidth)
            lo = mid;
        else
            lo = hi;
        if (mid == previous || hi <= lo) break;
        previous = mid;
    }
    return s.substr(0, BytesOfChars(s, static_cast<std::size_t>(std::max(mid, 1))));
}

void TPagePrinter::SplitAtWidth(std::string& line, std::string& rest, bool dropBlank, int width) const {
    line = FitText(rest, width);
    std::size_t bytes = line.size();
    if (bytes < rest.size()) {
        if (static_cast<unsigned char>(rest[bytes]) > 32) {
            line = CutToWordBreak(line);
            bytes = line.size();
        } else if (dropBlank) {
            ++bytes;
        }
    }
    rest.erase(0, bytes);
}

void TPagePrinter::Repaint() {
    if (paintBox_) paintBox_->update();
}

} // namespace controls
