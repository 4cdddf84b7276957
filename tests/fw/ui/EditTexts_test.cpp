// What the edits show of their own: the right-click menu in Croatian in every kind of edit, and a long text
// put into an edit the user is not in read from its start.

#include "fw/ui/Application.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>

namespace {

// The texts of the menu the widget opens on a right click, without the shortcuts after them.
QStringList ContextMenuTexts(QWidget* widget) {
    QStringList texts;
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        opened = true;
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) texts << a->text().section('\t', 0, 0);
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(widget, &event);
    // Some edits pop their menu up and return, others run it until it closes.
    for (int i = 0; i < 5 && !opened; ++i)
        QApplication::processEvents();
    EXPECT_TRUE(opened) << widget->metaObject()->className();
    return texts;
}

TEST(EditTexts, EveryKindOfEditHasItsRightClickMenuInCroatian) {
    fw::Application::Instance();
    QWidget window;
    window.resize(400, 300);
    auto* edit = new fw::Edit(nullptr);
    edit->setParent(&window);
    auto* memo = new fw::Memo(nullptr);
    memo->setParent(&window);
    auto* rich = new QTextEdit(&window);
    auto* spin = new QSpinBox(&window);
    auto* combo = new QComboBox(&window);
    combo->setEditable(true);
    window.show();
    const QStringList english{"&Undo",  "&Redo",      "Cu&t",        "&Copy",    "&Paste",
                              "Delete", "Select All", "&Select All", "&Step up", "Step &down"};
    for (QWidget* w : {static_cast<QWidget*>(edit), static_cast<QWidget*>(memo), static_cast<QWidget*>(rich),
                       static_cast<QWidget*>(spin), static_cast<QWidget*>(combo->lineEdit())}) {
        w->setFocus();
        const QStringList texts = ContextMenuTexts(w);
        EXPECT_TRUE(texts.contains("&Kopiraj"))
            << w->metaObject()->className() << ": " << texts.join(", ").toStdString();
        EXPECT_TRUE(texts.contains("&Zalijepi")) << w->metaObject()->className();
        for (const QString& t : texts)
            EXPECT_FALSE(english.contains(t)) << w->metaObject()->className() << ": " << t.toStdString();
    }
    EXPECT_TRUE(ContextMenuTexts(spin).contains("Korak &gore"));
}

TEST(EditTexts, ALongTextPutIntoAnEditReadsFromItsStart) {
    QWidget window;
    auto* other = new QLineEdit(&window);
    auto* edit = new fw::Edit(nullptr);
    edit->setParent(&window);
    edit->resize(60, 24);
    edit->SetReadOnly(true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    edit->SetText("PROFILPLAST d.o.o. Zagreb, Ulica grada Vukovara 271");
    EXPECT_EQ(edit->cursorPosition(), 0);
    // In the edit, the caret stays where the text puts it: typing goes on at its end.
    edit->SetReadOnly(false);
    edit->setFocus();
    QApplication::processEvents();
    edit->SetText("ABC");
    EXPECT_EQ(edit->cursorPosition(), 3);
}

} // namespace
