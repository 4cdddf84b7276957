#include "app/shell/FocusNavigation.h"
#include "app/shell/Splash.h"
#include "app/tables/TableDefinitions.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "fw/ui/Guard.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

// Each test starts with no job running.
class Progress : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        app::ClearProgress();
        base::ResetProgramState();
    }
    static bool StepRaisesCancel() {
        try {
            app::ProgressStep();
        } catch (const base::Exception& e) {
            return std::string(e.what()) == "ESC";
        }
        return false;
    }
    static void PostEsc() {
        QCoreApplication::postEvent(app::Progress.Splash,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b"));
    }
    static void PostClick(QWidget* w) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        const QPointF global = w->mapToGlobal(at);
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                       Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                       Qt::NoButton, Qt::NoModifier));
    }
};

TEST_F(Progress, CaptionedJobsNestAndOneEndWorkEndsThem) {
    app::BeginFormCreation();
    EXPECT_TRUE(app::Progress.Splash->isVisible());
    EXPECT_EQ(app::Progress.Splash->Caption(), "Kreiranje forme ...");
    app::BeginBaseModule();
    EXPECT_EQ(app::Progress.WorkNesting, 2);
    EXPECT_EQ(app::Progress.Splash->Caption(), "Kreiranje baznog modula ...");
    app::EndWork();
    EXPECT_FALSE(app::Progress.WorkRunning);
    EXPECT_FALSE(app::Progress.Splash->isVisible());
    app::EndWork(); // nothing runs: no effect
    EXPECT_EQ(app::Progress.WorkNesting, 1);
}

TEST_F(Progress, TheWindowStaysWhileAnyKindOfJobRuns) {
    app::BeginBusy();
    app::BeginWork("Posao");
    app::EndWork();
    EXPECT_TRUE(app::Progress.Splash->isVisible()); // the busy counter still holds it
    app::EndBusy();
    EXPECT_FALSE(app::Progress.Splash->isVisible());
    app::EndBusy();
    EXPECT_EQ(app::Progress.BusyCount, 0);
}

TEST_F(Progress, StepsAddUpOnTheGaugeAndEndTheJobWhenUsed) {
    app::BeginOpenTables(2);
    app::BeginSteps(1, "Još");
    EXPECT_EQ(app::Progress.Splash->TotalSteps, 3);
    EXPECT_TRUE(app::Progress.Splash->Panel->Visible());
    EXPECT_EQ(app::Progress.Splash->Caption(), "Još");
    app::ProgressStep();
    EXPECT_EQ(app::Progress.Splash->Broj->Progress(), 1);
    EXPECT_EQ(app::Progress.Splash->Broj->MaxValue(), 3);
    app::ProgressStep();
    app::ProgressStep();
    EXPECT_FALSE(app::Progress.StepsRunning);
    EXPECT_EQ(app::Progress.Splash->TotalSteps, 0);
    EXPECT_FALSE(app::Progress.Splash->isVisible());
}

TEST_F(Progress, ZeroStepsOnlyClearCancelled) {
    app::Progress.Cancelled = true;
    app::BeginSteps(0, "Ništa");
    EXPECT_FALSE(app::Progress.Cancelled);
    EXPECT_FALSE(app::Progress.StepsRunning);
}

TEST_F(Progress, EscInTheMiddleOfASteppedJobCancelsAtTheNextStep) {
    app::ShowCancelButton(true);
    app::BeginOpenTables(5);
    app::ProgressStep();
    PostEsc();
    EXPECT_TRUE(StepRaisesCancel());
    EXPECT_TRUE(app::Progress.Cancelled);
    EXPECT_FALSE(app::Progress.CancelRequested);
    EXPECT_TRUE(app::Progress.Splash->PrekidBtn->isVisible());
}

TEST_F(Progress, TheCancelButtonWorksDuringTheJobWhileOtherClicksWait) {
    app::ShowCancelButton(true);
    app::BeginOpenTables(5);
    QWidget other;
    other.resize(50, 50);
    other.show();
    int otherPresses = 0;
    struct Counter : QObject {
        int* n;
        explicit Counter(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::MouseButtonPress) ++*n;
            return false;
        }
    } counter(&otherPresses);
    other.installEventFilter(&counter);
    PostClick(&other);
    PostClick(app::Progress.Splash->PrekidBtn);
    EXPECT_TRUE(StepRaisesCancel());
    EXPECT_EQ(otherPresses, 0); // held back during the job
    QCoreApplication::processEvents();
    EXPECT_EQ(otherPresses, 1); // and delivered afterwards
}

TEST_F(Progress, EscTwiceBeforeAStepBeepsAndRaisesOnce) {
    fw::MessageRecorder beeps;
    app::ShowCancelButton(true);
    app::BeginOpenTables(5);
    QTest::keyClick(app::Progress.Splash, Qt::Key_Escape);
    QTest::keyClick(app::Progress.Splash, Qt::Key_Escape);
    EXPECT_EQ(beeps.Beeps, std::vector<unsigned>{0});
    EXPECT_TRUE(StepRaisesCancel());
    EXPECT_FALSE(StepRaisesCancel());
}

TEST_F(Progress, WithoutTheCancelOptionEscIsRecordedButNothingRaises) {
    app::ShowCancelButton(false);
    app::BeginOpenTables(3);
    QTest::keyClick(app::Progress.Splash, Qt::Key_Escape);
    EXPECT_TRUE(app::Progress.CancelRequested);
    EXPECT_FALSE(StepRaisesCancel());
    EXPECT_FALSE(app::Progress.Splash->PrekidBtn->isVisible());
}

TEST_F(Progress, AbortStopsTheSteppedJobAtOnce) {
    fw::MessageRecorder beeps;
    app::BeginBusy();
    app::BeginWork("Posao");
    app::BeginOpenTables(4);
    app::AbortProgress();
    EXPECT_EQ(beeps.Beeps, std::vector<unsigned>{16});
    EXPECT_FALSE(app::Progress.StepsRunning);
    EXPECT_FALSE(app::Progress.WorkRunning);
    EXPECT_EQ(app::Progress.BusyCount, 0);
    EXPECT_FALSE(app::Progress.Splash->isVisible());
    app::AbortProgress(); // nothing runs: no second beep
    EXPECT_EQ(beeps.Beeps.size(), 1u);
}

TEST_F(Progress, EndWorkBringsBackTheGaugeOfARunningSteppedJob) {
    app::ShowCancelButton(true);
    app::BeginOpenTables(3);
    app::BeginWork("Kreiranje forme ...");
    EXPECT_TRUE(app::Progress.Splash->Panel->Visible()); // a first captioned job leaves the running gauge
    app::BeginWork("Kreiranje forme ...");
    EXPECT_FALSE(app::Progress.Splash->Panel->Visible()); // a nested one hides it and the cancel button
    EXPECT_FALSE(app::Progress.Splash->PrekidBtn->Visible());
    app::EndWork();
    EXPECT_TRUE(app::Progress.Splash->Panel->Visible());
    EXPECT_TRUE(app::Progress.Splash->PrekidBtn->Visible());
    EXPECT_TRUE(app::Progress.Splash->isVisible());
}

TEST_F(Progress, TheWindowTakesTheKeyboardAndGivesItBack) {
    QWidget form;
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    app::BeginWork("Posao");
    EXPECT_TRUE(QTest::qWaitForWindowActive(app::Progress.Splash));
    app::EndWork();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
}

TEST_F(Progress, TheCancelButtonWorksWhileAModalFormRunsTheJob) {
    auto form = fw::MakeForm<fw::Form>();
    bool requested = false;
    bool topModal = false;
    QTimer::singleShot(0, [&] {
        app::ShowCancelButton(true);
        app::BeginOpenTables(3);
        // The progress window is the topmost modal window, so the modal form does not block its input.
        topModal = QGuiApplication::modalWindow() == app::Progress.Splash->windowHandle();
        QTest::mouseClick(app::Progress.Splash->PrekidBtn, Qt::LeftButton);
        requested = app::Progress.CancelRequested;
        app::ClearProgress();
        form->Close();
    });
    form->ShowModal();
    EXPECT_TRUE(topModal);
    EXPECT_TRUE(requested);
    EXPECT_EQ(QGuiApplication::modalWindow(), nullptr);
}

TEST_F(Progress, TheJobLabelShowsTheMaintenanceText) {
    app::ShowProgressText("Provjera tablica");
    app::ShowJobText("PARTNER.DB");
    EXPECT_EQ(app::Progress.Splash->Posao->Caption(), "PARTNER.DB");
    EXPECT_TRUE(app::Progress.Splash->isVisible());
}

TEST_F(Progress, TheTableMaintenanceOfEveryFolderWritesOnTheJobLabel) {
    app::ShowProgressText("Provjera tablica");
    for (app::Folder folder : {app::Folder::Global, app::Folder::Lokal, app::Folder::Link}) {
        app::ProgressText* label = app::HooksOf(folder).ProgressLabel;
        ASSERT_NE(label, nullptr);
        label->ShowText("- reindeksiranje -");
        EXPECT_EQ(app::Progress.Splash->Posao->Caption(), "- reindeksiranje -");
        label->ShowText("");
        EXPECT_EQ(app::Progress.Splash->Posao->Caption(), "");
    }
    // Installing the table sets again keeps the label.
    app::InstallTableSets();
    EXPECT_NE(app::HooksOf(app::Folder::Lokal).ProgressLabel, nullptr);
}

} // namespace
