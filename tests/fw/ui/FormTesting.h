#pragma once
#include "base/Exceptions.h"
#include "fw/ui/Form.h"

#include <QTest>
#include <string>
#include <vector>

namespace fwtest {

// A form that shows itself and waits until it is the active window, so real focus and keys work.
inline void ShowActive(fw::Form& form) {
    form.Show();
    form.activateWindow();
    (void)QTest::qWaitForWindowActive(&form);
}

// Types text per character (Croatian letters are not Latin-1, so QTest's own helpers cannot send them).
inline void Type(QWidget* w, const QString& text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

inline QWidget* FocusTarget(fw::Form& form) {
    QWidget* w = QApplication::focusWidget();
    return w ? w : &form;
}

} // namespace fwtest
