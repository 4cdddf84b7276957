#include "controls/LayoutProgress.h"

#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "controls/PagePrinter.h"
#include "controls/PrintProgressDialog.h"

#include <QApplication>
#include <QEvent>
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

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

} // namespace

// Lets the user reach one window only: every key, click and close meant for another is dropped. A modal
// window opened meanwhile (a message the layout tells) takes input too, or it could never be answered.
class InputOnlyTo : public QObject {
public:
    InputOnlyTo() : modalAtStart_(QApplication::activeModalWidget()) { qApp->installEventFilter(this); }
    ~InputOnlyTo() override {
        if (qApp) qApp->removeEventFilter(this);
    }
    void SetWindow(QWidget* window) { window_ = window; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool closing = event->type() == QEvent::Close && event->spontaneous();
        if (!closing && !IsUserInput(event->type())) return false;
        if (watched->isWidgetType()) {
            const QWidget* top = static_cast<QWidget*>(watched)->window();
            if (window_ && top == window_) return false;
            const QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != modalAtStart_ && top == modal) return false;
        }
        // A refused close must say so, or the window closes all the same.
        if (closing) event->ignore();
        return true;
    }

private:
    QPointer<QWidget> modalAtStart_;
    QPointer<QWidget> window_;
};

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
