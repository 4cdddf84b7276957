#include "controls/InputOnlyTo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace controls {

namespace {

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

// The top-level widget an event is for. Input from the system reaches a window's own QWindow first and
// only then the widget under the mouse or with the focus: both must be told apart the same way.
const QWidget* TopWidgetOf(QObject* watched) {
    if (watched->isWidgetType()) return static_cast<QWidget*>(watched)->window();
    if (!watched->isWindowType()) return nullptr;
    for (const QWidget* top : QApplication::topLevelWidgets())
        if (top->windowHandle() == watched) return top;
    return nullptr;
}

} // namespace

InputOnlyTo::InputOnlyTo() : modalAtStart_(QApplication::activeModalWidget()) {
    qApp->installEventFilter(this);
}

InputOnlyTo::~InputOnlyTo() {
    if (qApp) qApp->removeEventFilter(this);
}

bool InputOnlyTo::Allowed(QObject* watched) const {
    const QWidget* top = TopWidgetOf(watched);
    if (!top) return false;
    if (window_ && top == window_) return true;
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != modalAtStart_ && top == modal;
}

void InputOnlyTo::BringWindowToFront() {
    if (!window_ || !window_->isVisible()) return;
    window_->raise();
    window_->activateWindow();
}

bool InputOnlyTo::eventFilter(QObject* watched, QEvent* event) {
    const bool closing = event->type() == QEvent::Close && event->spontaneous();
    if (!closing && !IsUserInput(event->type())) return false;
    if (Allowed(watched)) return false;
    // A refused close must say so, or the window closes all the same.
    if (closing) event->ignore();
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) BringWindowToFront();
    const auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    if (window_ && key && key->key() == Qt::Key_Escape && !key->isAutoRepeat()) {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, key->modifiers());
        QCoreApplication::sendEvent(window_, &esc);
    }
    return true;
}

} // namespace controls
