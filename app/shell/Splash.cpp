#include "app/shell/Splash.h"

#include "app/shell/FocusNavigation.h"
#include "app/tables/TableDefinitions.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "fw/ui/Application.h"
#include "fw/ui/Guard.h"

#include <algorithm>
#include <QApplication>
#include <QStyle>

namespace app {

ProgressState Progress;

namespace {
[[maybe_unused]] const bool stateResetRegistered = base::RegisterStateReset(base::StateLayer::App, [] {
    if (Progress.Splash) Progress.Splash->hide();
    Progress = ProgressState();
});
} // namespace

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
        if (Progress.CancelRequested)
            fw::MessageBeep(0);
        else
            Progress.CancelRequested = true;
    }
    key = 0;
}

void TSplash::PrekidBtnClick(fw::Component&) {
    if (Progress.CancelRequested)
        fw::MessageBeep(0);
    else
        Progress.CancelRequested = true;
}

void TSplash::ShowWindow() {
    if (!isVisible()) {
        Progress.CancelRequested = false;
        Progress.Cancelled = false;
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
    if (Progress.Splash && Progress.Splash->isVisible()) Progress.Splash->CloseWindow();
}

void showStepsOnGauge() {
    Progress.Splash->Broj->SetMaxValue(std::max(1, Progress.Splash->TotalSteps));
    Progress.Splash->Broj->SetProgress(Progress.Splash->TotalSteps - Progress.Splash->RemainingSteps);
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
    if (!Progress.Splash) {
        Progress.Splash = fw::CreateForm<TSplash>(&fw::Application::Instance());
        for (Folder folder : {Folder::Global, Folder::Lokal, Folder::Link})
            HooksOf(folder).ProgressLabel = &jobLabel;
    }
    Progress.Splash->PrekidBtn->SetVisible(Progress.CancelOption);
}

void ShowCancelButton(bool visible) {
    Progress.CancelOption = visible;
    CreateSplash();
    Progress.Splash->PrekidBtn->SetVisible(visible);
    if (Progress.Splash->isVisible()) Progress.Splash->Repaint();
}

void BeginBusy() {
    ++Progress.BusyCount;
}

void EndBusy() {
    Progress.BusyCount = std::max(0, Progress.BusyCount - 1);
    if (!Progress.WorkRunning && !Progress.StepsRunning && Progress.BusyCount <= 0) closeSplash();
}

void BeginWork(const std::string& caption) {
    if (Progress.WorkRunning) {
        ++Progress.WorkNesting;
        Progress.Splash->SetCaption(caption);
        Progress.Splash->Posao->SetCaption("");
        Progress.Splash->ShowGauge(false);
        Progress.Splash->PrekidBtn->Hide();
        Progress.Splash->BringToFront();
        Progress.Splash->Repaint();
        return;
    }
    CreateSplash();
    Progress.WorkNesting = 1;
    Progress.Splash->BringToFront();
    Progress.Splash->SetCaption(caption);
    Progress.Splash->Posao->SetCaption("");
    if (!Progress.StepsRunning) {
        Progress.Splash->ShowGauge(false);
        Progress.Splash->ShowWindow();
    }
    Progress.Splash->Repaint();
    Progress.WorkRunning = true;
}

void EndWork() {
    if (!Progress.WorkRunning) return;
    --Progress.WorkNesting;
    if (Progress.Splash->RemainingSteps > 0) {
        Progress.Splash->ShowGauge(true);
        showStepsOnGauge();
        Progress.Splash->PrekidBtn->SetVisible(Progress.CancelOption);
        Progress.Splash->Repaint();
    }
    // One EndWork ends the captioned job, however deeply it was nested.
    Progress.WorkRunning = false;
    if (!Progress.StepsRunning && Progress.BusyCount <= 0) closeSplash();
}

void BeginFormCreation() {
    BeginWork("Kreiranje forme ...");
}

void BeginBaseModule() {
    BeginWork("Kreiranje baznog modula ...");
}

void ShowProgressText(const std::string& caption) {
    CreateSplash();
    Progress.Splash->SetCaption(caption);
    Progress.Splash->ShowGauge(false);
    Progress.Splash->ShowWindow();
}

void BeginSteps(int count, const std::string& caption) {
    Progress.Cancelled = false;
    if (count == 0) return;
    if (Progress.StepsRunning) {
        Progress.Splash->TotalSteps += count;
        Progress.Splash->RemainingSteps += count;
        Progress.Splash->SetCaption(caption);
        Progress.Splash->Posao->SetCaption("");
        showStepsOnGauge();
        Progress.Splash->ShowGauge(true);
        Progress.Splash->BringToFront();
        Progress.Splash->Repaint();
        return;
    }
    CreateSplash();
    Progress.Splash->TotalSteps += count;
    Progress.Splash->RemainingSteps += count;
    Progress.Splash->SetCaption(caption);
    Progress.Splash->Posao->SetCaption("");
    if (!Progress.WorkRunning) {
        Progress.WorkNesting = 0;
        Progress.Splash->ShowWindow();
    }
    showStepsOnGauge();
    Progress.Splash->ShowGauge(true);
    Progress.Splash->Repaint();
    Progress.StepsRunning = true;
}

void BeginOpenTables(int count) {
    BeginSteps(count, "Otvaranje baza");
}

void ProgressStep() {
    if (!Progress.StepsRunning) return;
    --Progress.Splash->RemainingSteps;
    Progress.Splash->Broj->SetProgress(Progress.Splash->TotalSteps - Progress.Splash->RemainingSteps);
    Progress.Splash->Broj->repaint();
    if (Progress.Splash->RemainingSteps <= 0) {
        Progress.Splash->TotalSteps = 0;
        Progress.Splash->RemainingSteps = 0;
        Progress.StepsRunning = false;
    }
    if (!Progress.WorkRunning && !Progress.StepsRunning && Progress.BusyCount <= 0) {
        closeSplash();
        Progress.Splash->ShowGauge(false);
    }
    if (Progress.CancelOption) {
        YieldToSystem();
        if (Progress.CancelRequested) {
            Progress.Cancelled = true;
            Progress.CancelRequested = false;
            base::RaiseCancel();
        }
    }
}

void ClearProgress() {
    if (!Progress.Splash) {
        Progress.StepsRunning = false;
        return;
    }
    Progress.Splash->Posao->SetCaption("");
    Progress.Splash->ShowGauge(false);
    Progress.Splash->TotalSteps = 0;
    Progress.Splash->RemainingSteps = 0;
    closeSplash();
    Progress.StepsRunning = false;
}

void AbortProgress() {
    if (!Progress.StepsRunning) return;
    fw::MessageBeep(16);
    Progress.Splash->TotalSteps = 0;
    Progress.Splash->RemainingSteps = 0;
    Progress.WorkRunning = false;
    Progress.StepsRunning = false;
    Progress.BusyCount = 0;
    closeSplash();
}

void ShowJobText(const std::string& text) {
    CreateSplash();
    Progress.Splash->Posao->SetCaption(text);
    if (Progress.Splash->isVisible()) Progress.Splash->Repaint();
}

} // namespace app
