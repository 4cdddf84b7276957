#include "fw/ui/KeyRouter.h"

#include "base/Cp1250.h"
#include "fw/ui/Form.h"
#include "fw/ui/Guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include <utility>

namespace fw {

namespace {

KeyRouter* router = nullptr;
bool dropPress = false;

bool isDialogKey(std::uint16_t key, Shift shift) {
    if (shift & (ssCtrl | ssAlt)) return false;
    return key == VK_TAB || IsArrowKey(key) || key == VK_RETURN || key == VK_ESCAPE;
}

bool controlWants(const Control& c, std::uint16_t key, Shift shift) {
    if (IsArrowKey(key) && c.Tag() >= TagOwnArrowKeys) return true;
    return c.WantsKey(key, shift);
}

QString textOf(std::uint8_t ch) {
    return QString(QChar(static_cast<char16_t>(base::Cp1250ToUnicode(ch))));
}

} // namespace

void KeyRouter::Install() {
    if (router || !qApp) return;
    router = new KeyRouter();
    router->setParent(qApp);
    qApp->installEventFilter(router);
}

void KeyRouter::DropPressInProgress() {
    dropPress = true;
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
    if (forwarding_ == 0 && (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress))
        UserInputArrived();
    // Qt moves the focus for a press before the press is delivered: a leave that refused or asked took the
    // press, which then does not click what the user no longer points at.
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() &&
        std::exchange(dropPress, false))
        return true;
    if (event->type() == QEvent::MouseButtonRelease) dropPress = false;
    if (event->type() != QEvent::KeyPress || forwarding_ > 0 || !watched->isWidgetType()) return false;
    auto* receiver = static_cast<QWidget*>(watched);
    Control* control = Control::Of(receiver);
    if (!control) return false;
    if (!control->RoutesKeys()) {
        // Delivered here so that a key the widget ignores does not come back through its parents.
        Forward(*receiver, static_cast<const QKeyEvent&>(*event));
        return true;
    }
    Form* form = control->ParentForm();
    if (!form) return false;
    // A control that never takes the focus but holds the keyboard anyway (an idle menu bar) passes the
    // key to its form.
    if (!control->IsWindowed() && control != form) {
        receiver->clearFocus();
        control = form;
        receiver = form;
    }
    // A window that got the keyboard back without a focused widget (after a dialog closed, say) still
    // types into its active control.
    if (control == form && form->ActiveControl() && form->ActiveControl()->CanFocus()) {
        control = form->ActiveControl();
        receiver = &control->Widget();
        receiver->setFocus(Qt::ActiveWindowFocusReason);
    }
    Guarded([&] { Route(*form, *control, *receiver, static_cast<const QKeyEvent&>(*event)); });
    return true;
}

void KeyRouter::Route(Form& form, Control& control, QWidget& receiver, const QKeyEvent& event) {
    // Handlers may close or free windows: check that both are still there after each one.
    QPointer<QWidget> target(&receiver);
    QPointer<QWidget> formAlive(&form);
    auto alive = [&] { return !target.isNull() && !formAlive.isNull(); };
    const bool isForm = &control == &form;
    Control* activeAtStart = form.ActiveControl();

    const KeyStroke stroke = TranslateKey(event);
    std::uint16_t key = stroke.Key;
    // Tab, arrows, Enter and Esc that the control does not keep are the form's dialog keys first: when the
    // form uses one (moves the focus, presses a button), the keystroke ends there.
    if (key != 0 && isDialogKey(key, stroke.ShiftState) &&
        (isForm || !controlWants(control, key, stroke.ShiftState)))
        if (form.DialogKey(key, stroke.ShiftState)) return;
    if (!alive()) return;
    if (key != 0) {
        if (form.KeyPreview && !isForm) form.KeyDown(key, stroke.ShiftState);
        if (key != 0 && alive()) control.KeyDown(key, stroke.ShiftState);
        if (!alive()) return;
        // Alt+F4 that reaches the program (no window manager took it) closes the window as its close
        // button does.
        if (key == VK_F4 && stroke.ShiftState == ssAlt) return form.Close();
    }

    std::uint8_t ch = stroke.Char;
    if (ch != 0) {
        if (form.KeyPreview && !isForm) form.KeyPress(ch);
        if (ch != 0 && alive()) control.KeyPress(ch);
        if (!alive()) return;
        if (ch > 32 && ch != 127 && !isForm && !(stroke.ShiftState & (ssCtrl | ssAlt)) &&
            dynamic_cast<DialogKeyControl*>(&control) && form.AcceleratorChar(ch))
            return;
    }
    // The widget's own handling only for the control that still has the focus.
    if (isForm || form.ActiveControl() != activeAtStart) return;

    const bool keyKept = key != 0;
    const bool controlChar = stroke.Char != 0 && (stroke.Char < 32 || stroke.Char == 127);
    if (controlChar && ch == 0) return; // a cleared Backspace, Ctrl+V ... does nothing
    if (keyKept) {
        if (stroke.Char == 0 || ch == stroke.Char) {
            Forward(receiver, event);
        } else {
            QKeyEvent changed(QEvent::KeyPress, event.key(), event.modifiers(), ch ? textOf(ch) : QString());
            Forward(receiver, changed);
        }
    } else if (ch >= 32 && ch != 127) {
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, textOf(ch));
        Forward(receiver, typed);
    } else if (ch != 0) {
        Forward(receiver, event);
    }
}

void KeyRouter::Forward(QWidget& receiver, const QKeyEvent& event) {
    QKeyEvent copy(QEvent::KeyPress, event.key(), event.modifiers(), event.nativeScanCode(),
                   event.nativeVirtualKey(), event.nativeModifiers(), event.text(), event.isAutoRepeat(),
                   static_cast<quint16>(event.count()));
    ++forwarding_;
    struct Done {
        int& f;
        ~Done() { --f; }
    } done{forwarding_};
    QApplication::sendEvent(&receiver, &copy);
}

} // namespace fw
