#include "FormTesting.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Guard.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>
#include <QDialog>
#include <QTimer>

#include <functional>

namespace {

using fwtest::ShowActive;

// An edit whose exit can be refused, as a data-aware edit refuses a value its field does not take.
struct CheckedEdit : fw::Edit {
    CheckedEdit(fw::Control* parent, std::vector<std::string>& log, std::string name)
        : Edit(parent), log_(log) {
        SetName(std::move(name));
    }
    void ExitCheck() override {
        if (refuse) throw base::Exception("Krivi podatak");
    }
    bool SettleBeforeLeave() override { return settle ? settle() : true; }
    std::function<bool()> settle;
    void DoEnter() override {
        log_.push_back("enter " + Name() + " active=" + ActiveName());
        Edit::DoEnter();
    }
    void DoExit() override {
        log_.push_back("exit " + Name() + " active=" + ActiveName());
        Edit::DoExit();
    }
    std::string ActiveName() const {
        auto* a = ParentForm()->ActiveControl();
        return a ? a->Name() : "-";
    }
    std::vector<std::string>& log_;
    bool refuse = false;
};

struct ThreeEdits : fw::Form {
    explicit ThreeEdits(fw::Component* owner) : Form(owner) {
        resize(300, 200);
        panel = new fw::Panel(this);
        panel->SetBounds(0, 0, 300, 200);
        a = new CheckedEdit(panel, log, "a");
        a->SetBounds(10, 10, 100, 24);
        b = new CheckedEdit(panel, log, "b");
        b->SetBounds(10, 40, 100, 24);
        c = new CheckedEdit(panel, log, "c");
        c->SetBounds(10, 70, 100, 24);
    }
    std::vector<std::string> log;
    fw::Panel* panel;
    CheckedEdit* a;
    CheckedEdit* b;
    CheckedEdit* c;
};

class FocusDriver : public ::testing::Test {
protected:
    void SetUp() override {
        form = fw::MakeForm<ThreeEdits>();
        ShowActive(*form);
    }
    std::unique_ptr<ThreeEdits> form;
};

TEST_F(FocusDriver, ShowingEntersTheFirstTabStop) {
    EXPECT_EQ(form->ActiveControl(), form->a);
    EXPECT_EQ(form->log, std::vector<std::string>{"enter a active=a"});
    EXPECT_EQ(QApplication::focusWidget(), form->a);
}

TEST_F(FocusDriver, ExitRunsWithTheNewControlAlreadyActive) {
    form->log.clear();
    QTest::keyClick(form->a, Qt::Key_Tab);
    EXPECT_EQ(form->log, (std::vector<std::string>{"exit a active=b", "enter b active=b"}));
}

TEST_F(FocusDriver, ARefusedExitKeepsTheFocusAndIsShownOnce) {
    fw::MessageRecorder recorder;
    form->a->refuse = true;
    form->log.clear();
    QTest::keyClick(form->a, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->a);
    EXPECT_EQ(QApplication::focusWidget(), form->a);
    EXPECT_TRUE(form->log.empty());
    EXPECT_EQ(recorder.Messages, std::vector<std::string>{"Krivi podatak"});
    // A focus change by Qt itself (mouse, Qt's own focus calls) is refused the same way.
    form->c->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(form->ActiveControl(), form->a);
    EXPECT_EQ(QApplication::focusWidget(), form->a);
    EXPECT_EQ(recorder.Messages.size(), 2u);
    form->a->refuse = false;
    form->c->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(form->ActiveControl(), form->c);
}

// A click away from a control that first settles what was typed in it reaches what was clicked only when the
// settling neither refused the leave nor asked the user (the mouse was let go on the question then).
TEST_F(FocusDriver, AClickWhoseLeaveRefusesOrAsksClicksNothing) {
    enum class Settle { Quietly, Asking, Refusing };
    struct Case {
        Settle How;
        int Clicks;
        bool ButtonEntered;
    };
    auto* button = new fw::Button(form->panel);
    button->SetBounds(150, 10, 100, 24);
    button->SetCaption("Zapiši");
    button->show();
    int clicks = 0;
    button->OnClick = [&](fw::Component&) { ++clicks; };
    for (const Case& c :
         {Case{Settle::Quietly, 1, true}, Case{Settle::Asking, 0, true}, Case{Settle::Refusing, 0, false}}) {
        SCOPED_TRACE(static_cast<int>(c.How));
        form->a->settle = nullptr;
        form->a->SetFocus();
        ASSERT_EQ(form->ActiveControl(), form->a);
        clicks = 0;
        form->a->settle = [&] {
            if (c.How == Settle::Asking) {
                std::unique_ptr<fw::Form> question = fw::MakeForm<fw::Form>();
                QTimer::singleShot(0, question.get(), [&] { question->SetModalResult(fw::mrOk); });
                question->ShowModal();
                // The form behind takes the window back, as the window manager gives it back.
                ShowActive(*form);
            }
            return c.How != Settle::Refusing;
        };
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(clicks, c.Clicks);
        EXPECT_EQ(form->ActiveControl() == button, c.ButtonEntered);
        // The next click is the user's own again.
        form->a->settle = nullptr;
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(clicks, c.Clicks + 1);
    }
}

TEST_F(FocusDriver, WindowActivationAndPopupsAreNotEnterOrExit) {
    form->log.clear();
    QDialog other;
    other.show();
    other.activateWindow();
    (void)QTest::qWaitForWindowActive(&other);
    other.hide();
    form->activateWindow();
    (void)QTest::qWaitForWindowActive(form.get());
    form->b->setFocus(Qt::PopupFocusReason);
    form->b->setFocus(Qt::ActiveWindowFocusReason);
    EXPECT_TRUE(form->log.empty());
    EXPECT_EQ(form->ActiveControl(), form->a);
}

TEST_F(FocusDriver, TabPassesOverDisabledHiddenAndNonTabStopControls) {
    form->b->SetEnabled(false);
    QTest::keyClick(form->a, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->c);
    form->b->SetEnabled(true);
    form->b->SetTabStop(false);
    QTest::keyClick(form->c, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->a);
    form->b->SetTabStop(true);
    form->b->Hide();
    QTest::keyClick(form->a, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->c);
    // Nothing else can take the focus: it stays.
    form->a->SetEnabled(false);
    form->b->SetEnabled(false);
    QTest::keyClick(form->c, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->c);
}

TEST_F(FocusDriver, AControlInAHiddenContainerCannotTakeTheFocus) {
    form->panel->Hide();
    EXPECT_FALSE(form->b->CanFocus());
    form->panel->Show();
    EXPECT_TRUE(form->b->CanFocus());
    form->Hide();
    EXPECT_FALSE(form->b->CanFocus());
}

TEST_F(FocusDriver, SetFocusOnAnUnfocusableControlDoesNothingAndNeverThrows) {
    form->c->SetEnabled(false);
    form->c->SetFocus();
    EXPECT_EQ(form->ActiveControl(), form->a);
    form->b->SetFocus();
    EXPECT_EQ(form->ActiveControl(), form->b);
}

TEST_F(FocusDriver, AFreedActiveControlIsForgotten) {
    form->b->SetFocus();
    delete form->b;
    EXPECT_EQ(form->ActiveControl(), nullptr);
    form->c->SetFocus();
    EXPECT_EQ(form->ActiveControl(), form->c);
}

TEST_F(FocusDriver, AnExitThatMovesTheFocusRedirectsTheMoveAndRunsOnce) {
    // The exit sends the focus on to c: a's exit runs once, b is never entered, c is.
    int exits = 0;
    form->a->OnExit = [&](fw::Component&) {
        ++exits;
        form->c->SetFocus();
    };
    form->log.clear();
    QTest::keyClick(form->a, Qt::Key_Tab);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(form->log, (std::vector<std::string>{"exit a active=b", "enter c active=c"}));
    EXPECT_EQ(form->ActiveControl(), form->c);
    EXPECT_EQ(QApplication::focusWidget(), form->c);

    // An exit that keeps the focus on its own control: the move ends there, nothing is entered.
    form->c->OnExit = [&](fw::Component&) {
        ++exits;
        form->c->SetFocus();
    };
    form->log.clear();
    form->b->SetFocus();
    EXPECT_EQ(exits, 2);
    EXPECT_EQ(form->log, (std::vector<std::string>{"exit c active=b"}));
    EXPECT_EQ(form->ActiveControl(), form->c);
    EXPECT_EQ(QApplication::focusWidget(), form->c);

    // Afterwards the focus moves as ever.
    form->c->OnExit = nullptr;
    form->log.clear();
    form->b->SetFocus();
    EXPECT_EQ(form->log, (std::vector<std::string>{"exit c active=b", "enter b active=b"}));
}

} // namespace
