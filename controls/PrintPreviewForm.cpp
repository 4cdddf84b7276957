#include "controls/PrintPreviewForm.h"
#include "controls/PrinterChoiceForm.h"

#include "app/data/Dialogs.h"
#include "base/ProgramState.h"
#include "fw/ui/Application.h"
#include "fw/ui/Guard.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollBar>

namespace controls {

TIspis* Ispis = nullptr;
std::function<void()> PrnNewPageProc;

namespace {

// The system's printers to choose from, and the PDF file.
bool RunPrinterSetup(QWidget*) {
    auto* device = dynamic_cast<fw::QtPrinterDevice*>(&fw::CurrentPrinter());
    if (!device) return false;
    std::vector<std::string> printers;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        printers.push_back(name.toStdString());
    const PrinterLines lines = LinesFor(*device, printers);
    const int line = fw::MakeForm<PrinterChoiceForm>(lines.Lines, lines.Current)->Run();
    if (line < 0) return false;
    ApplyLine(*device, lines, line);
    return true;
}

} // namespace

std::function<bool(QWidget* parent)> PrinterSetupProc = RunPrinterSetup;

namespace {
[[maybe_unused]] const bool registered = base::RegisterStateReset(base::StateLayer::Forms, [] {
    PrinterSetupProc = RunPrinterSetup;
    PrnNewPageProc = nullptr;
});
} // namespace

void CreateIspis() {
    if (!Ispis) Ispis = fw::CreateForm<TIspis>(&fw::Application::Instance());
}

CopiesSpinEdit::CopiesSpinEdit(fw::Control* parent, fw::Component* owner)
    : fw::ControlOf<QSpinBox>(parent, owner) {
    SetTabStop(true);
    setRange(1, 99);
    setValue(1);
    lineEdit()->setMaxLength(2);
    QObject::connect(this, &QSpinBox::textChanged, [this] {
        fw::Guarded([this] {
            if (OnChange) OnChange(*this);
        });
    });
}

bool CopiesSpinEdit::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return fw::IsArrowKey(key) || fw::Control::WantsKey(key, shift);
}

void CopiesSpinEdit::KeyDown(std::uint16_t& key, fw::Shift shift) {
    fw::Control::KeyDown(key, shift);
    if (shift != fw::ssNone || (key != fw::VK_UP && key != fw::VK_DOWN)) return;
    stepBy(key == fw::VK_UP ? 1 : -1);
    key = 0;
}

void CopiesSpinEdit::KeyPress(std::uint8_t& key) {
    if (key >= 32 && (key < '0' || key > '9')) key = 0;
    fw::Control::KeyPress(key);
}

void CopiesSpinEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        event->accept();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

fw::SpeedButton* TIspis::Button(fw::Control* parent, const char* name, const char* caption, const char* hint,
                                void (TIspis::*handler)()) {
    auto* b = new fw::SpeedButton(parent, this);
    b->SetName(name);
    b->SetCaption(caption);
    b->setToolTip(QString::fromUtf8(hint));
    b->setMinimumSize(25, 24);
    b->OnClick = [this, handler](fw::Component&) { (this->*handler)(); };
    return b;
}

TIspis::TIspis(fw::Component* owner) : fw::Form(owner) {
    SetName("Ispis");
    SetCaption("Pregled Ispisa...");
    resize(640, 480);
    KeyPreview = true;
    setFont(QFont(fw::FontFamily("MS Sans Serif"), 8));

    ToolBar1 = new fw::Panel(this, this);
    ToolBar1->SetName("ToolBar1");
    ToolBar1->SetAlign(fw::Align::alTop);
    ToolBar1->SetHeight(29);
    auto* row = new QHBoxLayout(ToolBar1);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);
    auto coloured = [](fw::SpeedButton* b, fw::TColor color) {
        b->SetFontColor(color);
        return b;
    };
    bOpoziv =
        coloured(Button(ToolBar1, "bOpoziv", "Opoziv", "Opoziv <Esc>", &TIspis::bOpozivClick), fw::clRed);
    bIspis = coloured(Button(ToolBar1, "bIspis", "Ispis", "Ispis <F10>", &TIspis::bIspisClick), fw::clBlue);
    bIspisCurrentPage =
        coloured(Button(ToolBar1, "bIspisCurrentPage", "Ispis strane", "Ispis sadašnje stranice <Ctrl+F10>",
                        &TIspis::bIspisCurrentPageClick),
                 fw::clGreen);
    bFit = Button(ToolBar1, "bFit", "[ ]", "Prikaz u cijelom prozoru <*>", &TIspis::bFitClick);
    bZoomOut = Button(ToolBar1, "bZoomOut", "-", "Smanji prikaz <->", &TIspis::bZoomOutClick);
    bZoomIn = Button(ToolBar1, "bZoomIn", "+", "Povećaj prikaz <+>", &TIspis::bZoomInClick);
    Panel2 = new fw::Panel(ToolBar1, this);
    Panel2->SetName("Panel2");
    Panel2->SetBevelOuter(fw::BevelCut::bvLowered);
    Panel2->setFixedSize(56, 24);
    lPercent = new fw::Label(Panel2, this);
    lPercent->SetName("lPercent");
    lPercent->SetAutoSize(false);
    lPercent->SetBounds(1, 1, 54, 22);
    lPercent->SetAlignment(fw::Alignment::taCenter);
    lPercent->SetFont("MS Sans Serif", 10);
    // Dark on the light panel: read at a glance.
    lPercent->SetFontColor(fw::clBlack);
    lPercent->SetCaption("%");
    // Page Down goes to the next page and Page Up to the previous one; the hints say so.
    bFirst = Button(ToolBar1, "bFirst", "|<", "Prva strana <Home>", &TIspis::bFirstClick);
    bBefore = Button(ToolBar1, "bBefore", "<", "Strana prije <PgUp>", &TIspis::bBeforeClick);
    bNext = Button(ToolBar1, "bNext", ">", "Strana poslije <PgDn>", &TIspis::bNextClick);
    bLast = Button(ToolBar1, "bLast", ">|", "Posljednja strana <End>", &TIspis::bLastClick);
    Panel1 = new fw::Panel(ToolBar1, this);
    Panel1->SetName("Panel1");
    Panel1->SetBevelOuter(fw::BevelCut::bvLowered);
    Panel1->setFixedSize(80, 24);
    lStrana = new fw::Label(Panel1, this);
    lStrana->SetName("lStrana");
    lStrana->SetAutoSize(false);
    lStrana->SetBounds(1, 1, 78, 22);
    lStrana->SetAlignment(fw::Alignment::taCenter);
    lStrana->SetFont("MS Sans Serif", 10);
    lStrana->SetFontColor(fw::clBlack);
    lStrana->SetCaption("0 od 0");
    Panel3 = new fw::Panel(ToolBar1, this);
    Panel3->SetName("Panel3");
    Panel3->setFixedSize(110, 24);
    Label1 = new fw::Label(Panel3, this);
    Label1->SetName("Label1");
    Label1->SetCaption("Kopija:");
    Label1->SetBounds(4, 5, 44, 14);
    eKopija = new CopiesSpinEdit(Panel3, this);
    eKopija->SetName("eKopija");
    eKopija->setToolTip(QStringLiteral("Broj kopija ispisa"));
    eKopija->SetBounds(50, 1, 56, 22);
    eKopija->OnChange = [this](CopiesSpinEdit&) { eKopijaChange(); };
    Panel5 = new fw::Panel(ToolBar1, this);
    Panel5->SetName("Panel5");
    Panel5->setFixedSize(50, 24);
    bPrnSetUp = Button(Panel5, "bPrnSetUp", "Pisač", "Postavke Pisača <Ctrl+P>", &TIspis::bPrnSetUpClick);
    bPrnSetUp->SetBounds(0, 0, 50, 24);
    Panel4 = new fw::Panel(ToolBar1, this);
    Panel4->SetName("Panel4");
    Panel4->setMinimumSize(160, 24);
    // One caption line in lime with a blue shadow one pixel below and to the right.
    Label3 = new fw::Label(Panel4, this);
    Label3->SetName("Label3");
    Label3->SetFont("Arial", 12, true);
    Label3->SetFontColor(fw::clBlue);
    Label3->SetCaption("Pregled ispisa");
    Label3->SetLeft(9);
    Label3->SetTop(3);
    Label2 = new fw::Label(Panel4, this);
    Label2->SetName("Label2");
    Label2->SetFont("Arial", 12, true);
    Label2->SetFontColor(fw::clLime);
    Label2->SetCaption("Pregled ispisa");
    Label2->SetLeft(8);
    Label2->SetTop(2);
    for (QWidget* w :
         std::initializer_list<QWidget*>{bOpoziv, bIspis, bIspisCurrentPage, bFit, bZoomOut, bZoomIn, Panel2,
                                         bFirst, bBefore, bNext, bLast, Panel1, Panel3, Panel5, Panel4})
        row->addWidget(w);
    row->addStretch(1);

    Prn = new TPagePrinter(this, this);
    Prn->SetName("Prn");
    Prn->SetAlign(fw::Align::alClient);
    Prn->SetColor(0x808000); // teal
    Prn->SetFont(fw::FontSpec{"Arial CE", 10});
    Prn->SetMeasureUnit(TMeasureUnit::muMillimeters);
    Prn->SetMarginTop(20);
    Prn->SetMarginBottom(20);
    Prn->SetMarginLeft(15);
    Prn->SetMarginRight(15);
    Prn->SetLineSpacing(TLineSpacing::lsSingleAndAHalf);
    Prn->BorderWidth = 3;
    Prn->DefaultColWidth = 2.0;
    Prn->SetAutoHeaderFont(false);
    Prn->SetAutoFooterFont(false);
    fw::FontSpec header{"Times New Roman CE", 12};
    header.Bold = true;
    Prn->SetHeaderFont(header);
    fw::FontSpec footer{"Arial CE", 10};
    footer.Italic = true;
    Prn->SetFooterFont(footer);
    Prn->SetHeaderFormat("^180,05");
    Prn->SetFooterFormat("<130|>50");
    Prn->FooterYOffset = 1.0;
    Prn->PageBorders = pbBottom;
    Prn->ProgressMessage = "Ispis u tijeku...";
    Prn->OnNewPage = [this](TPagePrinter&) { PrnNewPage(); };
    SetActiveControl(Prn);
}

TIspis::~TIspis() {
    if (Ispis == this) Ispis = nullptr;
}

void TIspis::ShowPreview() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this && parentWidget() != modal) setParent(modal, Qt::Window);
    Show();
}

void TIspis::ShowHook() {
    PrnNewPageProc = nullptr;
    clearAfterRun_ = false;
    if (QScreen* screen = this->screen()) setGeometry(screen->availableGeometry());
    Realign();
    bFitClick();
    BrojStrane();
    eKopija->setValue(static_cast<int>(Prn->Copies()));
    fw::Form::ShowHook();
    eKopija->SetFocus();
}

void TIspis::HideHook() {
    fw::Form::HideHook();
    // Back to the application: a modal window that lent its input must not take the form with it.
    if (parentWidget()) setParent(nullptr, Qt::Window);
}

bool TIspis::Busy() {
    if (!Prn->Sending()) return false;
    app::ShowInfo(PrintBusyMessage);
    return true;
}

void TIspis::bOpozivClick() {
    if (Prn->Sending()) {
        // The pages are being sent: the run is cancelled as its own Opoziv would, and the pages are
        // dropped once it has let go of them.
        Prn->CancelPrinting();
        clearAfterRun_ = true;
        Close();
        return;
    }
    Prn->Clear();
    Close();
}

void TIspis::PrintPages() {
    struct AfterRun {
        TIspis& form;
        ~AfterRun() {
            if (!form.clearAfterRun_ || form.Prn->Sending()) return;
            form.clearAfterRun_ = false;
            fw::Guarded([this] {
                form.Prn->Clear();
                form.BrojStrane();
            });
        }
    } afterRun{*this};
    clearAfterRun_ = false;
    Prn->Print();
}

void TIspis::bIspisClick() {
    if (Busy()) return;
    Prn->SetPrintFromPage(0);
    Prn->SetPrintToPage(0);
    PrintPages();
}

void TIspis::bIspisCurrentPageClick() {
    if (Busy()) return;
    const unsigned page = static_cast<unsigned>(std::max(0, Prn->CurrentPage()));
    Prn->SetPrintFromPage(page);
    Prn->SetPrintToPage(page);
    struct Reset {
        TPagePrinter* prn;
        ~Reset() {
            prn->SetPrintFromPage(0);
            prn->SetPrintToPage(0);
        }
    } reset{Prn};
    PrintPages();
}

void TIspis::bFirstClick() {
    if (Prn->CurrentPage() > 1) {
        Prn->GotoPage(1);
        BrojStrane();
    }
}

void TIspis::bBeforeClick() {
    if (Prn->CurrentPage() > 1) {
        Prn->GotoPage(Prn->CurrentPage() - 1);
        BrojStrane();
    }
}

void TIspis::bNextClick() {
    if (Prn->CurrentPage() < Prn->PageCount()) {
        Prn->GotoPage(Prn->CurrentPage() + 1);
        BrojStrane();
    }
}

void TIspis::bLastClick() {
    if (Prn->CurrentPage() < Prn->PageCount()) {
        Prn->GotoPage(Prn->PageCount());
        BrojStrane();
    }
}

void TIspis::bFitClick() {
    Prn->ZoomToFit();
    lPercent->SetCaption(std::to_string(Prn->ZoomPercent()) + " %");
}

void TIspis::bZoomInClick() {
    if (Prn->ZoomPercent() < 200) {
        Prn->SetZoomPercent(std::min(200u, Prn->ZoomPercent() + 25));
        lPercent->SetCaption(std::to_string(Prn->ZoomPercent()) + " %");
    }
}

void TIspis::bZoomOutClick() {
    if (Prn->ZoomPercent() > 25) {
        Prn->SetZoomPercent(std::max(25u, Prn->ZoomPercent() - 25));
        lPercent->SetCaption(std::to_string(Prn->ZoomPercent()) + " %");
    }
}

void TIspis::eKopijaChange() {
    // Text that is no number yet (an emptied field) leaves the copies as they were.
    bool ok = false;
    const int copies = QString::fromStdString(eKopija->Text()).trimmed().toInt(&ok);
    if (ok) Prn->SetCopies(copies);
}

void TIspis::bPrnSetUpClick() {
    // Another printer or paper under a document being built or sent would not match its pages.
    if (Prn->Printing()) {
        app::ShowInfo(PrintBusyMessage);
        return;
    }
    if (PrinterSetupProc) PrinterSetupProc(this);
    Prn->RefreshPrinterMetrics();
    Prn->UpdateScrollRange();
    update();
    Prn->viewport()->update();
}

void TIspis::BrojStrane() {
    lStrana->SetCaption(std::to_string(Prn->CurrentPage()) + " od " + std::to_string(Prn->PageCount()));
}

void TIspis::PrnNewPage() {
    if (PrnNewPageProc) PrnNewPageProc();
}

bool TIspis::CanPrint() {
    if (!Prn->Printing()) return true;
    // A run sending pages cannot be dropped: it is waited for or cancelled in its own window.
    if (Busy()) return false;
    if (!app::AskYesNo("Imate već neki ispis u tijeku...!!!\r\nŽelite li proslijediti ovaj ispis?"))
        return false;
    try {
        Prn->EndDoc();
        Prn->Clear();
        return true;
    } catch (const std::exception&) {
        app::ShowInfo(
            "Nisam uspio eliminirati stari ispis!!!\r\nIzađite iz programa te ga ponovno pokrenite!!!");
        return false;
    }
}

void TIspis::ScrollBy(bool horizontal, int delta) {
    QScrollBar* bar = horizontal ? Prn->horizontalScrollBar() : Prn->verticalScrollBar();
    const int next = bar->value() + delta;
    if (delta < 0 ? next > 0 : next < bar->maximum()) bar->setValue(next);
}

void TIspis::KeyDownHook(std::uint16_t& key, fw::Shift shift) {
    fw::Form::KeyDownHook(key, shift);
    if (key == 0) return;
    if (shift == fw::ssNone) {
        switch (key) {
        case fw::VK_ESCAPE:
            Close();
            break;
        case fw::VK_HOME:
            bFirstClick();
            break;
        case fw::VK_PRIOR:
            bBeforeClick();
            break;
        case fw::VK_NEXT:
            bNextClick();
            break;
        case fw::VK_END:
            bLastClick();
            break;
        case fw::VK_MULTIPLY:
            bFitClick();
            key = 0;
            break;
        case fw::VK_ADD:
            bZoomInClick();
            key = 0;
            break;
        case fw::VK_SUBTRACT:
            bZoomOutClick();
            key = 0;
            break;
        case fw::VK_F10:
            bIspisClick();
            break;
        default:
            break;
        }
        return;
    }
    if (shift != fw::ssCtrl) return;
    const int step = TPagePrinter::ScrollIncrement;
    switch (key) {
    case fw::VK_LEFT:
        ScrollBy(true, -step);
        break;
    case fw::VK_RIGHT:
        ScrollBy(true, step);
        break;
    case fw::VK_UP:
        ScrollBy(false, -step);
        break;
    case fw::VK_DOWN:
        ScrollBy(false, step);
        break;
    case fw::VK_HOME:
        Prn->horizontalScrollBar()->setValue(0);
        break;
    case fw::VK_END:
        Prn->horizontalScrollBar()->setValue(Prn->horizontalScrollBar()->maximum());
        break;
    case fw::VK_PRIOR:
        Prn->verticalScrollBar()->setValue(0);
        break;
    case fw::VK_NEXT:
        Prn->verticalScrollBar()->setValue(Prn->verticalScrollBar()->maximum());
        break;
    case 'P':
        bPrnSetUpClick();
        break;
    case fw::VK_F10:
        bIspisCurrentPageClick();
        break;
    default:
        break;
    }
    // Every Ctrl key stops here, with a command or without.
    key = 0;
}

} // namespace controls
