#include "FormTesting.h"
#include "fw/ui/Application.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Guard.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>
#include <QTimer>

namespace {

using fwtest::ShowActive;

struct ButtonForm : fw::Form {
    explicit ButtonForm(fw::Component* owner) : Form(owner) {
        resize(300, 120);
        edit = new fw::Edit(this);
        edit->SetBounds(10, 10, 100, 24);
        ok = new fw::Button(this);
        ok->SetCaption("&Da");
        ok->SetBounds(10, 50, 80, 28);
        ok->Default = true;
        ok->ModalResult = fw::mrOk;
        no = new fw::Button(this);
        no->SetCaption("&Ne");
        no->SetBounds(100, 50, 80, 28);
        no->Cancel = true;
        no->ModalResult = fw::mrCancel;
        OnShow = [this](fw::Component&) { log.push_back("show"); };
        OnHide = [this](fw::Component&) { log.push_back("hide"); };
        OnCloseQuery = [this](fw::Component&, bool& canClose) {
            log.push_back("closequery");
            canClose = mayClose;
        };
        OnClose = [this](fw::Component&, fw::CloseAction&) { log.push_back("close"); };
    }
    fw::Edit* edit;
    fw::Button* ok;
    fw::Button* no;
    std::vector<std::string> log;
    bool mayClose = true;
};

// Runs f once the modal loop of form runs.
void WhenModal(fw::Form& form, std::function<void()> f) {
    QTimer::singleShot(0, &form, [&form, f = std::move(f)] {
        form.activateWindow();
        (void)QTest::qWaitForWindowActive(&form);
        f();
    });
}

TEST(ModalForm, EnterOnAnEditPressesTheDefaultButton) {
    auto form = fw::MakeForm<ButtonForm>();
    WhenModal(*form, [&] { QTest::keyClick(form->edit, Qt::Key_Return); });
    EXPECT_EQ(form->ShowModal(), fw::mrOk);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->log, (std::vector<std::string>{"show", "closequery", "close", "hide"}));
}

TEST(ModalForm, EscPressesTheCancelButtonAndEnterTheFocusedButton) {
    auto form = fw::MakeForm<ButtonForm>();
    WhenModal(*form, [&] { QTest::keyClick(form->edit, Qt::Key_Escape); });
    EXPECT_EQ(form->ShowModal(), fw::mrCancel);
    WhenModal(*form, [&] {
        form->no->SetFocus();
        QTest::keyClick(form->no, Qt::Key_Return);
    });
    EXPECT_EQ(form->ShowModal(), fw::mrCancel);
}

TEST(ModalForm, ALetterPressesItsButtonOnlyWhileAButtonHasTheFocus) {
    auto form = fw::MakeForm<ButtonForm>();
    WhenModal(*form, [&] {
        form->edit->SetFocus();
        QTest::keyClicks(form->edit, "dn");
        form->ok->SetFocus();
        QTest::keyClick(form->ok, Qt::Key_N);
    });
    EXPECT_EQ(form->ShowModal(), fw::mrCancel);
    EXPECT_EQ(form->edit->Text(), "dn");
}

TEST(ModalForm, ARefusedCloseQueryKeepsTheLoopRunning) {
    auto form = fw::MakeForm<ButtonForm>();
    form->mayClose = false;
    WhenModal(*form, [&] {
        QTest::keyClick(form->edit, Qt::Key_Return);
        QTimer::singleShot(0, form.get(), [&] {
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(form->ModalResult(), fw::mrNone);
            form->mayClose = true;
            form->Close(); // a modal form closes with cancel
        });
    });
    EXPECT_EQ(form->ShowModal(), fw::mrCancel);
    EXPECT_EQ(std::count(form->log.begin(), form->log.end(), "closequery"), 2);
}

TEST(ModalForm, AVisibleFormCannotBeShownModally) {
    auto form = fw::MakeForm<ButtonForm>();
    form->Show();
    EXPECT_THROW(form->ShowModal(), base::Exception);
}

TEST(ModalForm, NestedModalFormsReturnTheirOwnResults) {
    auto outer = fw::MakeForm<ButtonForm>();
    auto inner = fw::MakeForm<ButtonForm>();
    int innerResult = -1;
    WhenModal(*outer, [&] {
        WhenModal(*inner, [&] { inner->no->Click(); });
        innerResult = inner->ShowModal();
        outer->ok->Click();
    });
    EXPECT_EQ(outer->ShowModal(), fw::mrOk);
    EXPECT_EQ(innerResult, fw::mrCancel);
}

TEST(ModalForm, TheWindowActiveBeforeItIsActiveAgainAfterIt) {
    // A form behind (the one that asked for a print) and the window in front (its preview): a message box
    // shown from the front window gives the keys back to it, not to the form behind.
    auto behind = fw::MakeForm<ButtonForm>();
    auto front = fw::MakeForm<ButtonForm>();
    ShowActive(*behind);
    ShowActive(*front);
    auto box = fw::MakeForm<ButtonForm>();
    WhenModal(*box, [&] { box->ok->Click(); });
    EXPECT_EQ(box->ShowModal(), fw::mrOk);
    // A window manager that gives the keys to another of the program's windows just after the box went
    // (as some do, after the program's own choice) does not keep them there.
    behind->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(front.get()));
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeWindow(), front.get());
    // The program's own choice right after a box stands.
    WhenModal(*box, [&] { box->ok->Click(); });
    EXPECT_EQ(box->ShowModal(), fw::mrOk);
    behind->BringToFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(behind.get()));
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeWindow(), behind.get());
    front->BringToFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(front.get()));
    // The front window closed: the keys go back to the form behind it.
    front->Hide();
    ASSERT_TRUE(QTest::qWaitForWindowActive(behind.get()));
}

TEST(FormClose, ModelessCloseRunsCloseQueryThenOnCloseThenHides) {
    auto form = fw::MakeForm<ButtonForm>();
    ShowActive(*form);
    form->log.clear();
    form->mayClose = false;
    form->Close();
    EXPECT_TRUE(form->isVisible());
    form->mayClose = true;
    form->Close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->log, (std::vector<std::string>{"closequery", "closequery", "close", "hide"}));
}

TEST(FormClose, OnCloseMayKeepTheFormOrRunAfterTheAction) {
    auto form = fw::MakeForm<ButtonForm>();
    ShowActive(*form);
    form->OnClose = [](fw::Component&, fw::CloseAction& a) { a = fw::CloseAction::caNone; };
    form->Close();
    EXPECT_TRUE(form->isVisible());
    bool visibleInOnClose = true;
    form->OnClose = [&](fw::Component&, fw::CloseAction& a) {
        visibleInOnClose = form->isVisible();
        a = fw::CloseAction::caNone; // too late: no effect
    };
    form->StandardClose(true);
    EXPECT_FALSE(visibleInOnClose);
    EXPECT_FALSE(form->isVisible());
}

TEST(FormClose, TheWindowsCloseButtonGoesThroughClose) {
    auto form = fw::MakeForm<ButtonForm>();
    ShowActive(*form);
    form->mayClose = false;
    form->close(); // as the window manager would
    EXPECT_TRUE(form->isVisible());
    form->mayClose = true;
    form->close();
    EXPECT_FALSE(form->isVisible());
}

TEST(QuitRule, OnlyClosingTheMainFormEndsTheProgram) {
    auto& app = fw::Application::Instance();
    auto mainForm = fw::MakeForm<ButtonForm>();
    auto other = fw::MakeForm<ButtonForm>();
    app.SetMainForm(mainForm.get());
    ShowActive(*mainForm);
    mainForm->Hide(); // the caller hides itself while another form shows
    ShowActive(*other);
    other->Close();
    EXPECT_FALSE(app.Terminated());
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    mainForm->Show();
    mainForm->Close();
    EXPECT_TRUE(app.Terminated());
    app.CancelTerminate();
    app.SetMainForm(nullptr);
    QCoreApplication::processEvents(); // the withdrawn quit does nothing
    auto after = fw::MakeForm<ButtonForm>();
    WhenModal(*after, [&] { after->ok->Click(); });
    EXPECT_EQ(after->ShowModal(), fw::mrOk);
}

// A form whose Show is changed for all forms, as the program changes it.
struct CountingBehaviour : fw::FormBehaviour {
    void DoShow(fw::Form& form) override {
        ++shows;
        if (form.Tag() != 3) form.RunShowEvent();
    }
    int shows = 0;
};

TEST(FormBehaviour, AProgramWideBehaviourReplacesThePlainOne) {
    CountingBehaviour behaviour;
    fw::SetFormBehaviour(&behaviour);
    auto form = fw::MakeForm<ButtonForm>();
    form->SetTag(3);
    form->Show();
    form->Hide();
    form->SetTag(0);
    form->Show();
    fw::SetFormBehaviour(nullptr);
    EXPECT_EQ(behaviour.shows, 2);
    EXPECT_EQ(std::count(form->log.begin(), form->log.end(), "show"), 1);
}

TEST(FormLayout, AlignedPanelsFillTheirParent) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(200, 100);
    auto* bottom = new fw::Panel(form.get());
    bottom->SetHeight(30);
    bottom->SetAlign(fw::Align::alBottom);
    auto* client = new fw::Panel(form.get());
    client->SetAlign(fw::Align::alClient);
    form->Show();
    EXPECT_EQ(bottom->Widget().geometry(), QRect(0, 70, 200, 30));
    EXPECT_EQ(client->Widget().geometry(), QRect(0, 0, 200, 70));
    form->resize(240, 120);
    EXPECT_EQ(client->Widget().geometry(), QRect(0, 0, 240, 90));
}

} // namespace

namespace {

TEST(ModalForm, AFailingShowLeavesTheFormHiddenAndNotModal) {
    auto form = fw::MakeForm<ButtonForm>();
    form->OnShow = [](fw::Component&) { throw base::Exception("Greška kod otvaranja"); };
    EXPECT_THROW(form->ShowModal(), base::Exception);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Modal());
    EXPECT_EQ(form->windowModality(), Qt::NonModal);
    form->OnShow = nullptr;
    WhenModal(*form, [&] { form->ok->Click(); });
    EXPECT_EQ(form->ShowModal(), fw::mrOk);
}

TEST(ModalForm, SetVisibleOnAFormRunsItsShowAndHideEvents) {
    auto form = fw::MakeForm<ButtonForm>();
    form->SetVisible(true);
    form->SetVisible(false);
    EXPECT_EQ(form->log, (std::vector<std::string>{"show", "hide"}));
}

} // namespace

namespace {

TEST(QuitRule, RunEndsWhenTheMainFormClosesEvenWithOtherWindowsOpen) {
    auto& app = fw::Application::Instance();
    auto mainForm = fw::MakeForm<ButtonForm>();
    auto other = fw::MakeForm<ButtonForm>();
    app.SetMainForm(mainForm.get());
    QTimer::singleShot(0, [&] {
        other->Show();
        other->Close(); // the last other window goes: the program goes on
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(mainForm->isVisible());
            other->Show();
            mainForm->Close();
        });
    });
    EXPECT_EQ(app.Run(), 0);
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(other->isVisible());
    app.CancelTerminate();
    app.SetMainForm(nullptr);
}

} // namespace
