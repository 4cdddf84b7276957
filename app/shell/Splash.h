#pragma once
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Form.h"
#include "fw/ui/StdCtrls.h"

#include <QPointer>
#include <string>

namespace app {

// The small stay-on-top window that says the program is busy: a job caption, a job label, a gauge for
// stepped jobs and a cancel button.
class TSplash : public fw::Form {
public:
    explicit TSplash(fw::Component* owner);

    fw::Image* MyImage;
    fw::SpeedButton* PrekidBtn;
    fw::Label* Posao;
    fw::Panel* Panel1;
    fw::Label* Label1;
    fw::Panel* Panel;
    fw::Gauge* Broj;
    int TotalSteps = 0;
    int RemainingSteps = 0;

    void FormKeyPress(fw::Component& sender, std::uint8_t& key);
    void PrekidBtnClick(fw::Component& sender);

    // Shows the window (modeless) if it is hidden, clearing the cancel marks first; then repaints it.
    void ShowWindow();
    void Repaint();
    void ShowGauge(bool visible);
    // Closes the window and gives the keyboard back to the window that had it before.
    void CloseWindow();

private:
    QPointer<QWidget> previousWindow_;
};

struct ProgressState {
    // The window, created on first use (owner: the application) and kept.
    TSplash* Splash = nullptr;
    // The cancel button is shown and a stepped job may be cancelled.
    bool CancelOption = false;
    int BusyCount = 0;
    int WorkNesting = 0;
    // A captioned job runs (BeginWork); a stepped job runs (BeginSteps).
    bool WorkRunning = false;
    bool StepsRunning = false;
    // Esc or the cancel button was pressed / a stepped job stopped with the "ESC" cancel.
    bool CancelRequested = false;
    bool Cancelled = false;
};
// Reset with the program's state: a window left showing is hidden, and the next job makes a new one.
extern ProgressState Progress;

void CreateSplash();
void ShowCancelButton(bool visible);
void BeginBusy();
void EndBusy();
void BeginWork(const std::string& caption);
void EndWork();
void BeginFormCreation();
void BeginBaseModule();
void ShowProgressText(const std::string& caption);
void BeginSteps(int count, const std::string& caption);
void BeginOpenTables(int count);
// One step done; with the cancel option on, lets pending input through and raises "ESC" when the user
// asked to cancel.
void ProgressStep();
void ClearProgress();
void AbortProgress();
// The job label's text (the table maintenance reports what it checks here).
void ShowJobText(const std::string& text);

} // namespace app
