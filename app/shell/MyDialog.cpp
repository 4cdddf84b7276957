#include "app/shell/MyDialog.h"

#include "app/shell/DialogHandler.h"
#include "base/ProgramState.h"
#include "fw/ui/Application.h"

#include <algorithm>
#include <memory>
#include <QGuiApplication>
#include <QScreen>

namespace app {

namespace {
// With the message box linked in, the data layer's questions go to the current dialog handler. Plain
// function pointers are set before any other start-up code runs, so this order is safe.
const bool defaultsInstalled = [] {
    ShowInfoDefault = [](const std::string& text) { CurrentDialogs().ShowInfo(text); };
    AskYesNoDefault = [](const std::string& text) { return CurrentDialogs().AskYesNo(text); };
    return true;
}();
} // namespace

MyDialogState MyDialog;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { MyDialog = MyDialogState(); });
} // namespace

namespace {

// Fixed places of the box (pixels).
constexpr int TextLeft = 16;
constexpr int TextTop = 14;
constexpr int BevelInset = 8;
constexpr int PanelInset = 8;
constexpr int PanelHeight = 36;
constexpr int FrameInset = 3;
constexpr int ButtonWidth = 75;
constexpr int OkButtonWidth = 50;
constexpr int ButtonHeight = 25;

QRect screenArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

TPitanje::TPitanje(fw::Component* owner) : Form(owner) {
    SetName("Pitanje");
    SetBorderStyle(fw::BorderStyle::bsNone);
    SetStayOnTop(true);
    KeyPreview = true;
    resize(QuestionMinWidth, 101);

    Panel3 = new fw::Panel(this);
    Panel3->SetName("Panel3");
    Panel3->SetBevelOuter(fw::BevelCut::bvNone);
    Panel3->SetAlign(fw::Align::alClient);
    Shape = new fw::Shape(Panel3);
    Shape->SetName("Shape");
    Shape2 = new fw::Shape(Panel3);
    Shape2->SetName("Shape2");
    Shape2->SetPenWidth(2);
    Shape2->SetPenColor(fw::clLime);
    Bevel = new fw::Bevel(Panel3);
    Bevel->SetName("Bevel");
    Tekst = new fw::Label(Panel3);
    Tekst->SetName("Tekst");
    Tekst->SetFont("Arial", 10);
    Tekst->SetFontColor(fw::clBlack);
    Tekst->SetAlignment(fw::Alignment::taCenter);
    Tekst->SetLeft(TextLeft);
    Tekst->SetTop(TextTop);

    Panel = new fw::Panel(Panel3);
    Panel->SetName("Panel");
    Panel->SetBevelOuter(fw::BevelCut::bvNone);
    Book = new fw::Notebook(Panel);
    Book->SetName("Book");
    Book->SetAlign(fw::Align::alClient);
    fw::NotebookPage& yesNo = Book->AddPage("Da_Ne");
    fw::NotebookPage& ok = Book->AddPage("OK");
    Panel1 = new fw::Panel(&yesNo);
    Panel1->SetName("Panel1");
    Panel1->SetBevelOuter(fw::BevelCut::bvNone);
    Panel2 = new fw::Panel(&yesNo);
    Panel2->SetName("Panel2");
    Panel2->SetBevelOuter(fw::BevelCut::bvNone);
    DaButton = new fw::Button(Panel1, this);
    DaButton->SetName("DaButton");
    DaButton->SetCaption("&Da");
    DaButton->Default = true;
    DaButton->ModalResult = 1;
    NeButton = new fw::Button(Panel2, this);
    NeButton->SetName("NeButton");
    NeButton->SetCaption("&Ne");
    NeButton->Cancel = true;
    NeButton->ModalResult = 2;
    OKButton = new fw::Button(&ok, this);
    OKButton->SetName("OKButton");
    OKButton->SetCaption("OK");
    OKButton->ModalResult = 1;

    OnKeyPress = [this](fw::Component& s, std::uint8_t& k) { FormKeyPress(s, k); };
    OnShow = [this](fw::Component& s) { FormShow(s); };
    DaButton->OnEnter = [this](fw::Component& s) { DaButtonEnter(s); };
    NeButton->OnEnter = [this](fw::Component& s) { NeButtonEnter(s); };
    OKButton->OnEnter = [this](fw::Component& s) { OKButtonEnter(s); };
}

void TPitanje::FormKeyPress(fw::Component&, std::uint8_t& key) {
    if (key != 27) return;
    if (Book->PageIndex() == 0)
        NeButton->Click();
    else
        OKButton->Click();
}

void TPitanje::FormShow(fw::Component&) {
    if (Book->PageIndex() == 0)
        DaButton->SetFocus();
    else
        OKButton->SetFocus();
}

void TPitanje::DaButtonEnter(fw::Component&) {
    Shape2->SetPenColor(0xFF00);
}
void TPitanje::NeButtonEnter(fw::Component&) {
    Shape2->SetPenColor(0xFF);
}
void TPitanje::OKButtonEnter(fw::Component&) {
    Shape2->SetPenColor(0xFF0000);
}

void TPitanje::Prepare(const std::string& text, int page) {
    Book->SetPageIndex(page);
    const QRect screen = screenArea();

    // The label takes the size of its text, line breaks included.
    Tekst->SetWordWrap(false);
    Tekst->SetAutoSize(true);
    Tekst->SetCaption(text);
    Tekst->SetAutoSize(false);

    int w = Tekst->Width() + 2 * TextLeft;
    const int minimum = page == 0 ? QuestionMinWidth : InfoMinWidth;
    if (w < minimum) w = minimum;
    if (w > screen.width()) {
        // Too long for one line on this screen: wrap it inside the screen's width.
        w = screen.width();
        Tekst->SetWordWrap(true);
        Tekst->SetHeight(Tekst->heightForWidth(w - 2 * TextLeft));
    }
    Tekst->SetWidth(w - 2 * TextLeft);
    const int h = std::min(Tekst->Height() + 2 * TextTop + PanelHeight + PanelInset, screen.height());
    resize(w, h);
    move(screen.x() + (screen.width() - w) / 2, screen.y() + (screen.height() - h) / 2);

    Bevel->SetBounds(BevelInset, BevelInset, 2 * (TextLeft - BevelInset) + Tekst->Width(),
                     2 * (TextTop - BevelInset) + Tekst->Height());
    Shape->SetBounds(0, 0, w, h);
    Shape2->SetBounds(FrameInset, FrameInset, w - 2 * FrameInset, h - 2 * FrameInset);
    Panel->SetBounds(PanelInset, h - PanelHeight - PanelInset, w - 2 * PanelInset, PanelHeight);
    Panel->Widget().raise();
    LayOutButtons();
}

void TPitanje::LayOutButtons() {
    const int pw = Panel->Width();
    const int ph = Panel->Height();
    const int top = (ph - ButtonHeight) / 2;
    Panel1->SetBounds(0, 0, pw / 2, ph);
    Panel2->SetBounds(pw / 2, 0, pw - pw / 2, ph);
    DaButton->SetBounds((pw / 2 - ButtonWidth) / 2, top, ButtonWidth, ButtonHeight);
    NeButton->SetBounds((pw - pw / 2 - ButtonWidth) / 2, top, ButtonWidth, ButtonHeight);
    OKButton->SetBounds((width() - 2 * PanelInset - OkButtonWidth) / 2, top, OkButtonWidth, ButtonHeight);
}

bool TPitanje::Ask(const std::string& text) {
    Prepare(text, 0);
    return ShowModal() == 1;
}

void TPitanje::Inform(const std::string& text) {
    Prepare(text, 1);
    ShowModal();
}

namespace {

// The kept box; a call made while it is showing (from a timer, say) gets a box of its own. A box that
// cannot be made answers as closed without Da.
template <class F> auto WithBox(F&& f) -> decltype(f(*MyDialog.Pitanje)) {
    if (!MyDialog.Pitanje) {
        try {
            MyDialog.Pitanje = fw::CreateForm<TPitanje>(&fw::Application::Instance());
        } catch (const std::exception&) {
            return decltype(f(*MyDialog.Pitanje))();
        }
    }
    if (!MyDialog.Pitanje->isVisible()) return f(*MyDialog.Pitanje);
    std::unique_ptr<TPitanje> extra(fw::CreateForm<TPitanje>(nullptr));
    return f(*extra);
}

} // namespace

bool AskYesNoBox(const std::string& text) {
    return WithBox([&](TPitanje& box) { return box.Ask(text); });
}

void ShowInfoBox(const std::string& text) {
    WithBox([&](TPitanje& box) { box.Inform(text); });
}

} // namespace app
