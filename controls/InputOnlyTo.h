#pragma once
// While a run stands with its progress window, the user reaches that window only: every key, click and
// close meant for another window is dropped. A press meant for another window brings the progress window
// back to the front, so that its "&Opoziv" is never lost behind the window the run works for, and an Esc
// pressed there is the progress window's Esc. A modal window opened meanwhile (a message the run tells)
// takes input too, or it could never be answered.

#include <QObject>
#include <QPointer>

class QEvent;
class QWidget;

namespace controls {

class InputOnlyTo : public QObject {
public:
    InputOnlyTo();
    ~InputOnlyTo() override;
    InputOnlyTo(const InputOnlyTo&) = delete;
    InputOnlyTo& operator=(const InputOnlyTo&) = delete;

    // The progress window, once it shows; until then no window takes input.
    void SetWindow(QWidget* window) { window_ = window; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Allowed(QObject* watched) const;
    void BringWindowToFront();

    QPointer<QWidget> modalAtStart_;
    QPointer<QWidget> window_;
};

} // namespace controls
