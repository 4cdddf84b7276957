#include "app/shell/Splash.h"

#include "app/shell/FocusNavigation.h"
#include "app/tables/TableDefinitions.h"
#include "base/Exceptions.h"
#include "fw/ui/Application.h"
#include "fw/ui/Guard.h"

#include <algorithm>
#include <QApplication>
#include <QStyle>

namespace app {

TSplash* Splash = nullptr;
bool CancelOption = false;
int BusyCount = 0;
int WorkNesting = 0;
bool WorkRunning = false;
bool StepsRunning = false;
bool CancelRequested = false;
bool Cancelled = false;

namespace {
constexpr int DesignWidth = 169;
constexpr int DesignHeight = 43;
} // namespace

TSplash::TSplash(fw::Component* owner) : Form(owner) {
    SetName("Splash");
    SetBorderStyle(fw::BorderStyle::bsToolWindow);
    SetStayOnTop(true);
    // Modal while it shows: a modal form that started the job must not block its cancel button and Esc.
    setWindowModality(Qt::ApplicationModal);
    KeyPreview = true;

    MyImage = new fw::Image(this);
    MyImage->SetName("MyImage");
    MyImage->SetPicture(QApplication::style()->standardPixmap(QStyle::SP_BrowserReload));
    MyImage->SetBounds(4, 6, 32, 32);

    Panel1 = new fw::Panel(this);
    Panel1->SetName("Panel1");
    Panel1->SetBevelOuter(fw::BevelCut::bvNone);
    Label1 = new fw::Label(Panel1);
    Label1->SetName("Label1");
    Label1->SetFont("Arial", 9, true);
    Label1->SetFontColor(fw::clMaroon);
    Label1->SetCaption("Pričekajte trenutak ...");

    Posao = new fw::Label(this);
    Posao->SetName("Posao");
    Posao->SetFont("Arial", 8);
    Posao->SetAutoSize(false);
    Posao->SetCaption("- provjera -");

    Panel = new fw::Panel(this);
    Panel->SetName("Panel");
    Panel->SetBevelOuter(fw::BevelCut::bvNone);
    Broj = new fw::Gauge(Panel);
    Broj->SetName("Broj");
    Broj->SetAlign(fw::Align::alClient);
    Broj->SetColors(fw::clNavy, fw::clBtnFace);
    Panel->Hide();

    PrekidBtn = new fw::SpeedButton(this);
    PrekidBtn->SetName("PrekidBtn");
    PrekidBtn->setIcon(QApplication::style()->standardIcon(QStyle::SP_DialogCancelButton));
    PrekidBtn->setToolTip(QStringLiteral("Esc"));
    PrekidBtn->OnClick = [this](fw::Component& s) { PrekidBtnClick(s); };

    // The design size, grown where the fonts of this system need more room.
    const int textLeft = 40;
    const int w = std::max(DesignWidth, textLeft + Label1->Width() + 6);
    const int rowHeight = std::max(18, Label1->Height() + 2);
    const int h = std::max(DesignHeight, 2 * rowHeight + 8);
    Panel1->SetBounds(textLeft, 3, w - textLeft - 3, rowHeight);
    Label1->SetBounds(0, (rowHeight - Label1->Height()) / 2, Label1->Width(), Label1->Height());
    const int buttonSize = rowHeight;
    Posao->SetBounds(textLeft, 5 + rowHeight, w - textLeft - buttonSize - 6, rowHeight);
    Panel->SetBounds(textLeft, 5 + rowHeight, w - textLeft - buttonSize - 6, rowHeight);
    PrekidBtn->SetBounds(w - buttonSize - 3, 5 + rowHeight, buttonSize, buttonSize);
    setFixedSize(w, h);

    OnKeyPress = [this](fw::Component& s, std::uint8_t& k) { FormKeyPress(s, k); };
    AllowMouseDuringYield(this);
}

void TSplash::FormKeyPress(fw::Component&, std::uint8_t& key) {
    if (key == 27) {
        if (CancelRequested)
            fw::MessageBeep(0);
        else
            CancelRequested = true;
    }
    key = 0;
}

void TSplash::PrekidBtnClick(fw::Component&) {
    if (CancelRequested)
        fw::MessageBeep(0);
    else
        CancelRequested = true;
}

void TSplash::ShowWindow() {
    if (!isVisible()) {
        CancelRequested = false;
        Cancelled = false;
        previousWindow_ = QApplication::activeWindow();
        CentreOnScreen();
        Show();
    }
    Repaint();
}

void TSplash::Repaint() {
    repaint();
    // A newly shown window needs the event loop once before it appears; user input waits.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TSplash::ShowGauge(bool visible) {
    Panel->SetVisible(visible);
    Posao->SetVisible(!visible);
}

void TSplash::CloseWindow() {
    const bool wasActive = isActiveWindow();
    Close();
    if (isVisible()) return;
    if (wasActive && previousWindow_ && previousWindow_->isVisible()) previousWindow_->activateWindow();
    previousWindow_ = nullptr;
}

namespace {

void closeSplash() {
    if (Splash && Splash->isVisible()) Splash->CloseWindow();
}

void showStepsOnGauge() {
    Splash->Broj->SetMaxValue(std::max(1, Splash->TotalSteps));
    Splash->Broj->SetProgress(Splash->TotalSteps - Splash->RemainingSteps);
}

} // namespace

namespace {
// The job label as the table maintenance of the three folders sees it.
class JobLabel : public ProgressText {
public:
    void ShowText(const std::string& text) override { ShowJobText(text); }
};
JobLabel jobLabel;
} // namespace

void CreateSplash() {
    if (!Splash) {
        Splash = fw::CreateForm<TSplash>(&fw::Application::Instance());
        for (Folder folder : {Folder::Global, Folder::Lokal, Folder::Link})
            HooksOf(folder).ProgressLabel = &jobLabel;
    }
    Splash->PrekidBtn->SetVisible(CancelOption);
}

void ShowCancelButton(bool visible) {
    CancelOption = visible;
    CreateSplash();
    Splash->PrekidBtn->SetVisible(visible);
    if (Splash->isVisible()) Splash->Repaint();
}

void BeginBusy() {
    ++BusyCount;
}

void EndBusy() {
    BusyCount = std::max(0, BusyCount - 1);
    if (!WorkRunning && !StepsRunning && BusyCount <= 0) closeSplash();
}

void BeginWork(const std::string& caption) {
    if (WorkRunning) {
        ++WorkNesting;
        Splash->SetCaption(caption);
        Splash->Posao->SetCaption("");
        Splash->ShowGauge(false);
        Splash->PrekidBtn->Hide();
        Splash->BringToFront();
        Splash->Repaint();
        return;
    }
    CreateSplash();
    WorkNesting = 1;
    Splash->BringToFront();
    Splash->SetCaption(caption);
    Splash->Posao->SetCaption("");
    if (!StepsRunning) {
        Splash->ShowGauge(false);
        Splash->ShowWindow();
    }
    Splash->Repaint();
    WorkRunning = true;
}

void EndWork() {
    if (!WorkRunning) return;
    --WorkNesting;
    if (Splash->RemainingSteps > 0) {
        Splash->ShowGauge(true);
        showStepsOnGauge();
        Splash->PrekidBtn->SetVisible(CancelOption);
        Splash->Repaint();
    }
    // One EndWork ends the captioned job, however deeply it was nested.
    WorkRunning = false;
    if (!StepsRunning && BusyCount <= 0) closeSplash();
}

void BeginFormCreation() {
    BeginWork("Kreiranje forme ...");
}

void BeginBaseModule() {
    BeginWork("Kreiranje baznog modula ...");
}

void ShowProgressText(const std::string& caption) {
    CreateSplash();
    Splash->SetCaption(caption);
    Splash->ShowGauge(false);
    Splash->ShowWindow();
}

void BeginSteps(int count, const std::string& caption) {
    Cancelled = false;
    if (count == 0) return;
    if (StepsRunning) {
        Splash->TotalSteps += count;
        Splash->RemainingSteps += count;
        Splash->SetCaption(caption);
        Splash->Posao->SetCaption("");
        showStepsOnGauge();
        Splash->ShowGauge(true);
        Splash->BringToFront();
        Splash->Repaint();
        return;
    }
    CreateSplash();
    Splash->TotalSteps += count;
    Splash->RemainingSteps += count;
    Splash->SetCaption(caption);
    Splash->Posao->SetCaption("");
    if (!WorkRunning) {
        WorkNesting = 0;
        Splash->ShowWindow();
    }
    showStepsOnGauge();
    Splash->ShowGauge(true);
    Splash->Repaint();
    StepsRunning = true;
}

void BeginOpenTables(int count) {
    BeginSteps(count, "Otvaranje baza");
}

void ProgressStep() {
    if (!StepsRunning) return;
    --Splash->RemainingSteps;
    Splash->Broj->SetProgress(Splash->TotalSteps - Splash->RemainingSteps);
    Splash->Broj->repaint();
    if (Splash->RemainingSteps <= 0) {
        Splash->TotalSteps = 0;
        Splash->RemainingSteps = 0;
        StepsRunning = false;
    }
    if (!WorkRunning && !StepsRunning && BusyCount <= 0) {
        closeSplash();
        Splash->ShowGauge(false);
    }
    if (CancelOption) {
        YieldToSystem();
        if (CancelRequested) {
            Cancelled = true;
            CancelRequested = false;
            base::RaiseCancel();
        }
    }
}

void ClearProgress() {
    if (!Splash) {
        StepsRunning = false;
        return;
    }
    Splash->Posao->SetCaption("");
    Splash->ShowGauge(false);
    Splash->TotalSteps = 0;
    Splash->RemainingSteps = 0;
    closeSplash();
    StepsRunning = false;
}

void AbortProgress() {
    if (!StepsRunning) return;
    fw::MessageBeep(16);
    Splash->TotalSteps = 0;
    Splash->RemainingSteps = 0;
    WorkRunning = false;
    StepsRunning = false;
    BusyCount = 0;
    closeSplash();
}

void ShowJobText(const std::string& text) {
    CreateSplash();
    Splash->Posao->SetCaption(text);
    if (Splash->isVisible()) Splash->Repaint();
}

} // namespace app
