// Every window that shows a long run's progress stops the run on its cancel button and on Esc, with the
// input coming as the system delivers it: to the window first, then to the widget under the mouse or with
// the focus. The layout of a printout and the sending of its pages also keep their window in front of
// the window they work for: a press there brings it back, and Esc there is the progress window's Esc.

#include "app/shell/ScriptedDialogs.h"
#include "app/shell/Splash.h"
#include "base/Exceptions.h"
#include "controls/LayoutProgress.h"
#include "controls/PrintProgressDialog.h"
#include "orders/workorder/ProgresOptimizacije.h"
#include "tests/controls/PrintTesting.h"

#include <functional>
#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>

namespace {

// How the user stops the run.
enum class Input { ClickTheButton, EscInTheWindow, EscInTheWindowBehind };

void Click(QWidget& window, QPoint at) {
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, at);
}

// A run with a progress window: `run` works until it is stopped (true) or runs out of steps (false);
// `window` and `button` are the progress window and its cancel button while they show.
struct ProgressRun {
    const char* Name;
    bool KeepsInFront;
    std::function<bool(QWidget& behind)> Run;
    std::function<QWidget*()> Window;
    std::function<QWidget*()> Button;
};

class ProgressWindows : public printtest::PrinterFixture {
protected:
    void SetUp() override {
        PrinterFixture::SetUp();
        controls::LayoutProgress::Delay() = std::chrono::milliseconds(0);
        Prn().ShowProgress = true;
        behind.resize(300, 200);
        behind.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&behind));
    }
    void TearDown() override {
        app::ClearProgress();
        app::ShowCancelButton(false);
        PrinterFixture::TearDown();
    }

    std::vector<ProgressRun> Runs() {
        return {
            {"the layout of a printout", true,
             [this](QWidget&) {
                 Prn().BeginDoc();
                 bool stopped = false;
                 try {
                     controls::LayoutProgress layout(Prn(), Steps);
                     for (int i = 0; i < Steps; ++i) {
                         layout.Step();
                         QThread::msleep(1);
                     }
                 } catch (const base::Abort&) {
                     stopped = true;
                 }
                 Prn().EndDoc();
                 return stopped;
             },
             [this] { return static_cast<QWidget*>(Prn().ProgressDialog()); },
             [this] { return Prn().ProgressDialog() ? Prn().ProgressDialog()->btnCancel : nullptr; }},
            {"the pages sent to the printer", true,
             [this](QWidget&) {
                 Prn().BeginDoc();
                 for (int p = 1; p <= 400; ++p) {
                     if (p > 1) Prn().NewPage();
                     Prn().WriteLine("strana " + std::to_string(p));
                 }
                 Prn().EndDoc();
                 printer_.OnDraw = [](const fw::Page&) { QThread::msleep(1); };
                 const bool done = Prn().Print();
                 printer_.OnDraw = nullptr;
                 return !done;
             },
             [this] { return static_cast<QWidget*>(Prn().ProgressDialog()); },
             [this] { return Prn().ProgressDialog() ? Prn().ProgressDialog()->btnCancel : nullptr; }},
            {"a cutting run", false,
             [this](QWidget& behind) {
                 orders::ProgresOptimizacije progres(QStringLiteral("OPTIMIZACIJA I"), &behind);
                 cutting = &progres;
                 bool stopped = false;
                 for (int i = 0; i < Steps && !stopped; ++i) {
                     stopped = progres.Javi("Optimizacija...", i, Steps);
                     QThread::msleep(1);
                 }
                 cutting = nullptr;
                 return stopped;
             },
             [this] { return static_cast<QWidget*>(cutting); },
             [this] { return cutting ? static_cast<QWidget*>(cutting->Opoziv()) : nullptr; }},
            {"the busy window's stepped job", false,
             [](QWidget&) {
                 app::ShowCancelButton(true);
                 app::BeginSteps(Steps, "Otvaranje baza");
                 try {
                     for (int i = 0; i < Steps; ++i)
                         app::ProgressStep();
                 } catch (const std::exception& e) {
                     app::ClearProgress();
                     return base::IsSilent(e);
                 }
                 return false;
             },
             [] { return static_cast<QWidget*>(app::Progress.Splash); },
             [] {
                 return app::Progress.Splash ? static_cast<QWidget*>(app::Progress.Splash->PrekidBtn)
                                             : nullptr;
             }},
        };
    }

    static constexpr int Steps = 20000;
    QWidget behind;
    orders::ProgresOptimizacije* cutting = nullptr;
};

TEST_F(ProgressWindows, TheCancelButtonAndEscStopEveryRun) {
    app::ScriptedDialogs dialogs;
    for (const ProgressRun& run : Runs()) {
        for (Input input : {Input::ClickTheButton, Input::EscInTheWindow, Input::EscInTheWindowBehind}) {
            if (input == Input::EscInTheWindowBehind && !run.KeepsInFront) continue;
            SCOPED_TRACE(std::string(run.Name) + (input == Input::ClickTheButton ? ": a click on the button"
                                                  : input == Input::EscInTheWindow
                                                      ? ": Esc in the window"
                                                      : ": Esc in the window behind"));
            bool delivered = false;
            bool inFront = false;
            // A click on the window behind first; once the progress window is back in front (the window
            // manager answers in its own time), Esc there.
            bool clickedBehind = false;
            QElapsedTimer sinceClick;
            QTimer press;
            QObject::connect(&press, &QTimer::timeout, [&] {
                QWidget* window = run.Window();
                QWidget* button = run.Button();
                if (!window || !button || !window->isVisible() || !button->isVisible()) return;
                if (input == Input::ClickTheButton) {
                    Click(*window, button->mapTo(window, button->rect().center()));
                } else if (input == Input::EscInTheWindow) {
                    QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
                } else if (!clickedBehind) {
                    Click(behind, QPoint(20, 20));
                    clickedBehind = true;
                    sinceClick.start();
                    return;
                } else {
                    inFront = QApplication::activeWindow() == window;
                    if (!inFront && sinceClick.elapsed() < 2000) return;
                    QTest::keyClick(behind.windowHandle(), Qt::Key_Escape);
                }
                press.stop();
                delivered = true;
            });
            press.start(0);
            EXPECT_TRUE(run.Run(behind));
            EXPECT_TRUE(delivered);
            if (input == Input::EscInTheWindowBehind) {
                EXPECT_TRUE(inFront) << "the progress window went behind";
                EXPECT_TRUE(behind.isVisible());
            }
            EXPECT_FALSE(run.Window() && run.Window()->isVisible());
            EXPECT_FALSE(Prn().Printing());
            Prn().Clear();
        }
    }
}

} // namespace
