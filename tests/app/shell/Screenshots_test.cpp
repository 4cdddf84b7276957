#include "app/shell/CodeDialogs.h"
#include "app/shell/MyDialog.h"
#include "app/shell/Splash.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>

namespace {

// Saves the window once it shows, then closes it with Esc.
void SaveWhenShown(const QString& file) {
    QTimer::singleShot(0, [file] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        (void)QTest::qWaitForWindowActive(w);
        QApplication::processEvents();
        EXPECT_TRUE(w->grab().save(file));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_Escape);
    });
}

TEST(Screenshots, MessageBoxCodeDialogAndProgressWindow) {
    const QString dir = QStringLiteral(PLOM_BINARY_DIR);
    SaveWhenShown(dir + "/screenshot-message-box.png");
    app::AskYesNo("Želite li obrisati slog ?\r\nŠifra: ČĆŽŠĐ čćžšđ");
    SaveWhenShown(dir + "/screenshot-code-dialog.png");
    app::AskNovo("Šifarnik boja", "BIJELA-9016");
    SaveWhenShown(dir + "/screenshot-code-change.png");
    app::AskStaro("Šifarnik partnera", "ŽUPANIJA-1", "ŽUPANIJA-2");
    SaveWhenShown(dir + "/screenshot-information.png");
    app::ShowInfo("OK");

    app::ShowCancelButton(true);
    app::BeginOpenTables(4);
    app::ProgressStep();
    QApplication::processEvents();
    EXPECT_TRUE(app::Progress.Splash->grab().save(dir + "/screenshot-progress.png"));
    app::ClearProgress();
    app::ShowCancelButton(false);
    EXPECT_FALSE(app::Progress.Splash->isVisible());
}

} // namespace
