#include "controls/LayoutProgress.h"

#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "controls/InputOnlyTo.h"
#include "controls/PagePrinter.h"
#include "controls/PrintProgressDialog.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace controls {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr milliseconds DefaultDelay{400};
// Often enough for the window to answer at once, seldom enough to cost the layout nothing.
constexpr milliseconds EventsEvery{40};

milliseconds delay = DefaultDelay;
[[maybe_unused]] const bool registered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { delay = DefaultDelay; });

} // namespace

std::chrono::milliseconds& LayoutProgress::Delay() {
    return delay;
}

LayoutProgress::LayoutProgress(TPagePrinter& prn, int steps)
    : prn_(prn), steps_(steps), start_(steady_clock::now()), outer_(prn.layout_) {
    prn_.layout_ = this;
    if (!qApp) return;
    filter_ = std::make_unique<InputOnlyTo>();
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TPPPrnPrgDlg* LayoutProgress::Dialog() const {
    return dialog_.data();
}

LayoutProgress::~LayoutProgress() {
    Finish();
}

void LayoutProgress::Finish() {
    if (prn_.layout_ == this) prn_.layout_ = outer_;
    if (!filter_) return;
    filter_.reset();
    if (dialog_) {
        dialog_->hide();
        delete dialog_.data();
    }
    QApplication::restoreOverrideCursor();
}

void LayoutProgress::Step() {
    ++done_;
    if (!filter_ || !prn_.ShowProgress) return;
    const auto now = steady_clock::now();
    const bool first = !dialog_;
    if (first) {
        if (now - start_ < Delay()) return;
        Show();
    } else if (now - lastEvents_ < EventsEvery) {
        return;
    }
    lastEvents_ = now;
    Update();
    // Without a cancel button the window only tells how far the layout is.
    if (prn_.ShowCancel) QCoreApplication::processEvents();
    if (cancelled_) throw base::Abort();
}

void LayoutProgress::Show() {
    // A window outside a modal one gets no input: the window belongs to the modal window when one runs.
    dialog_ = new TPPPrnPrgDlg(QApplication::activeModalWidget());
    dialog_->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog_->OnCancel = [this] { cancelled_ = true; };
    if (!prn_.ShowCancel) dialog_->HideCancel();
    dialog_->setWindowTitle(QString::fromStdString(prn_.Title()));
    dialog_->lblStatus->setText(QStringLiteral("Priprema ispisa..."));
    filter_->SetWindow(dialog_);
    // The arrow with the hourglass: the window's button still takes a click.
    QApplication::changeOverrideCursor(Qt::BusyCursor);
    dialog_->show();
}

void LayoutProgress::Update() {
    dialog_->ProgBar->setMaximum(std::max(steps_, 0));
    dialog_->ProgBar->setValue(std::min(done_, std::max(steps_, 0)));
    dialog_->lblPageNumber->setText(QStringLiteral("Strana %1").arg(std::max(1, prn_.CurrentPage())));
    dialog_->repaint();
}

} // namespace controls
