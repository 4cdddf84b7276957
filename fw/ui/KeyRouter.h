#pragma once
#include <QObject>

class QKeyEvent;

namespace fw {

class Control;
class Form;

// The application-wide key filter: every key meant for a control of one of our forms is split into the
// key-down phase and the character phase, the form seeing each phase first when it has KeyPreview.
// Before both, Tab, arrows, Enter and Esc that the control does not keep go to the form as dialog keys;
// a dialog key the form used has no phases. What the phases leave goes to the widget's own handling.
class KeyRouter : public QObject {
public:
    static void Install();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The mouse press being delivered is not to reach its widget: the focus move it made was refused, or
    // asked the user something (the button was let go on the box, not on what was clicked).
    static void DropPressInProgress();

private:
    void Route(Form& form, Control& control, QWidget& receiver, const QKeyEvent& event);
    void Forward(QWidget& receiver, const QKeyEvent& event);
    int forwarding_ = 0;
};

} // namespace fw
