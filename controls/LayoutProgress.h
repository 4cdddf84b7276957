#pragma once
// While a printout is laid out on the page printer: the busy cursor from the start and, once the layout
// takes longer than a moment, the print progress window with "&Opoziv", as sending the pages shows it.
// The window is the only one that takes input while it stands, so nothing can start another printout or
// close the form under the layout; "&Opoziv" (or Esc) ends the layout at its next step.

#include <chrono>
#include <memory>
#include <QPointer>

namespace controls {

class TPagePrinter;
class TPPPrnPrgDlg;
class InputOnlyTo;

class LayoutProgress {
public:
    // steps: how many times the printout will call Step (its items and rows); 0 when it cannot tell.
    LayoutProgress(TPagePrinter& prn, int steps);
    ~LayoutProgress();
    LayoutProgress(const LayoutProgress&) = delete;
    LayoutProgress& operator=(const LayoutProgress&) = delete;

    // One more step laid out. Throws base::Abort when the user cancelled: the caller drops the document.
    void Step();
    // More steps than first told (a list that turned out longer).
    void AddSteps(int steps) { steps_ += steps; }
    bool Cancelled() const { return cancelled_; }
    TPPPrnPrgDlg* Dialog() const;
    // The window closed, the cursor back and every window taking input again; also when it is freed.
    void Finish();

    // How long a layout runs before the window shows (tests show it at once).
    static std::chrono::milliseconds& Delay();

private:
    void Show();
    void Update();

    TPagePrinter& prn_;
    int steps_;
    int done_ = 0;
    bool cancelled_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastEvents_;
    QPointer<TPPPrnPrgDlg> dialog_;
    std::unique_ptr<InputOnlyTo> filter_;
    LayoutProgress* outer_;
};

} // namespace controls
