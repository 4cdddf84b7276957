#include "tests/kit/KitFixture.h"

#include "tests/fw/ui/FormTesting.h"

namespace kittest {
namespace {

// A key control that records its code searches.
class CodeEdit : public fw::Edit, public kit::CodeControl {
public:
    using fw::Edit::Edit;
    void SearchCode() override { ++searches; }
    int searches = 0;
};

class MyFormTest : public KitTest {
protected:
    MyFormTest() {
        MakeTable("Global", "PARTNER.DB");
        app::Settings.CommonSettings.Resources.LoadMode = 2;
        form.reset(fw::CreateForm<DataForm>(nullptr));
    }
    void ShowForm() {
        fwtest::ShowActive(*form);
        form->eNaziv->SetFocus();
    }
    // What the handlers record; members, so that they outlive the form the fixture frees.
    bool activeInOnShow = false;
    std::vector<std::string> order;
    std::map<std::string, int> entered;
    int f5 = 0, ctrlF3 = 0, f2 = 0, returns = 0;
    std::vector<std::uint16_t> reached;
    std::unique_ptr<DataForm> form;
};

TEST_F(MyFormTest, OpensItsTablesOnShowBeforeTheDesignersHandler) {
    form->OnShow = [&](fw::Component& sender) {
        EXPECT_EQ(&sender, form.get());
        activeInOnShow = form->tPartner->Active();
    };
    EXPECT_EQ(fw::TagState(*form), 1);
    ShowForm();
    EXPECT_TRUE(activeInOnShow);
    EXPECT_EQ(reg.Open["PARTNER.DB"], 1);
}

TEST_F(MyFormTest, CloseQueryRefusedByTheDesignerNeitherFlushesNorMovesTheFocus) {
    ShowForm();
    form->eMjesto->SetFocus();
    form->OnCloseQuery = [](fw::Component&, bool& canClose) { canClose = false; };
    form->Close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(flushed.empty());
    EXPECT_EQ(form->ActiveControl(), form->eMjesto);
    form->OnCloseQuery = nullptr;
    form->Close();
    EXPECT_FALSE(form->isVisible());
    // Flushed by the close query and again by the release of the form.
    EXPECT_EQ(flushed, (std::vector<std::string>{"PARTNER.DB", "PARTNER.DB"}));
    EXPECT_FALSE(form->tPartner->Active());
    EXPECT_EQ(reg.Open["PARTNER.DB"], 1) << "a soft close keeps the table open underneath";
}

TEST_F(MyFormTest, RunsTheDesignersKeyHandlersInTheirPlace) {
    form->OnKeyDown = [&](fw::Component&, std::uint16_t& key, fw::Shift) {
        order.push_back("down " + std::to_string(key));
    };
    form->OnKeyPress = [&](fw::Component&, std::uint8_t& key) {
        order.push_back("press " + std::to_string(key));
    };
    ShowForm();
    Key(*form, Qt::Key_Return);
    // The designer sees Enter before the kit; the character after Enter-as-Tab cleared it.
    EXPECT_EQ(order, (std::vector<std::string>{"down 13", "press 0"}));
    EXPECT_EQ(form->ActiveControl(), form->eMjesto);
}

TEST_F(MyFormTest, EnterMovesOnShiftEnterStays) {
    ShowForm();
    Key(*form, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(form->ActiveControl(), form->eNaziv);
    EXPECT_TRUE(app::FormOpener.KeyHandled);
    Key(*form, Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), form->eMjesto);
}

TEST_F(MyFormTest, CtrlArrowsStepThroughTheTabOrderAndPlainArrowsLeaveAPlainEdit) {
    ShowForm();
    Key(*form, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(form->ActiveControl(), form->eMjesto);
    Key(*form, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(form->ActiveControl(), form->eNaziv);
    Key(*form, Qt::Key_Down);
    EXPECT_EQ(form->ActiveControl(), form->eMjesto);
    Key(*form, Qt::Key_Up);
    EXPECT_EQ(form->ActiveControl(), form->eNaziv);
}

TEST_F(MyFormTest, AltArrowsMoveSpatially) {
    ShowForm();
    Key(*form, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(form->ActiveControl(), form->eDesno);
    Key(*form, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(form->ActiveControl(), form->eNaziv);
    Key(*form, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(form->ActiveControl(), form->eMjesto);
    EXPECT_FALSE(app::FormOpener.KeyHandled);
}

TEST_F(MyFormTest, CtrlEscVisitsEveryTabStopOnceAndEndsWhereItStarted) {
    for (fw::Control* c :
         std::vector<fw::Control*>{form->eNaziv, form->eMjesto, form->eDesno, form->gPartner, form->bSpremi})
        c->OnEnter = [this, c](fw::Component&) { ++entered[c->Name()]; };
    ShowForm();
    entered.clear();
    Key(*form, Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_EQ(form->ActiveControl(), form->eNaziv);
    EXPECT_EQ(entered, (std::map<std::string, int>{
                           {"bSpremi", 1}, {"eDesno", 1}, {"eMjesto", 1}, {"eNaziv", 1}, {"gPartner", 1}}));
    EXPECT_TRUE(form->isVisible());
}

// An edit that never lets the focus go.
class StubbornEdit : public fw::Edit {
public:
    using fw::Edit::Edit;
    void ExitCheck() override { throw base::Abort(); }
};

TEST_F(MyFormTest, CtrlEscEndsAfterOneCycleWhenAControlKeepsTheFocus) {
    auto* stubborn = new StubbornEdit(form.get(), form.get());
    stubborn->SetBounds(200, 50, 100, 24);
    ShowForm();
    stubborn->SetFocus();
    Key(*form, Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_EQ(form->ActiveControl(), stubborn);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MyFormTest, EscClosesTheForm) {
    ShowForm();
    Key(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->tPartner->Active());
}

TEST_F(MyFormTest, EnterOnAButtonClicksItOnceAndStaysThere) {
    ShowForm();
    form->bSpremi->SetFocus();
    Key(*form, Qt::Key_Return);
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(form->ActiveControl(), form->bSpremi);
}

TEST_F(MyFormTest, ButtonArrowsMoveSpatially) {
    ShowForm();
    form->bSpremi->SetFocus();
    Key(*form, Qt::Key_Up);
    EXPECT_EQ(form->ActiveControl(), form->gPartner);
}

TEST_F(MyFormTest, GridLeftAndRightLeaveTheGrid) {
    ShowForm();
    form->gPartner->SetFocus();
    Key(*form, Qt::Key_Right);
    EXPECT_EQ(form->ActiveControl(), form->bSpremi);
    form->gPartner->SetFocus();
    Key(*form, Qt::Key_Left);
    EXPECT_EQ(form->ActiveControl(), form->eDesno);
}

TEST_F(MyFormTest, FunctionKeysCallTheirProceduresAndF11ShowsTheMark) {
    kit::Kit.Plain[4] = [&] { ++f5; };
    kit::Kit.Ctrl[2] = [&] { ++ctrlF3; };
    ShowForm();
    Key(*form, Qt::Key_F5);
    Key(*form, Qt::Key_F3, Qt::ControlModifier);
    Key(*form, Qt::Key_F3);
    EXPECT_EQ(f5, 1);
    EXPECT_EQ(ctrlF3, 1);
    EXPECT_TRUE(recorder.Beeps.empty());
    Key(*form, Qt::Key_F11, Qt::ShiftModifier);
    EXPECT_TRUE(recorder.Beeps.empty());
    Key(*form, Qt::Key_F11);
    EXPECT_EQ(recorder.Beeps, (std::vector<unsigned>{0}));
    EXPECT_EQ(kit::FocusMarkPhasesLeft(), 6);
    EXPECT_TRUE(WaitFor([] { return kit::FocusMarkPhasesLeft() == 0; }));
}

TEST_F(MyFormTest, F2WithoutAProcedurePassesToTheControl) {
    form->eNaziv->OnKeyDown = [&](fw::Component&, std::uint16_t& key, fw::Shift) { reached.push_back(key); };
    ShowForm();
    Key(*form, Qt::Key_F2);
    EXPECT_EQ(reached, (std::vector<std::uint16_t>{fw::VK_F2}));
    kit::Kit.Plain[1] = [&] { ++f2; };
    Key(*form, Qt::Key_F2);
    EXPECT_EQ(f2, 1);
    EXPECT_EQ(reached.size(), 1u) << "a procedure consumes the key";
}

TEST_F(MyFormTest, KeepsItsDesignedWidth) {
    ShowForm();
    form->resize(500, 350);
    QApplication::processEvents();
    EXPECT_EQ(form->ClientWidth(), 400);
    EXPECT_EQ(form->ClientHeight(), 350);
}

class CodeListFormTest : public MyFormTest {
protected:
    CodeListFormTest() {
        code = new CodeEdit(form.get(), form.get());
        code->SetBounds(200, 50, 150, 24);
        form->OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift shift) {
            kit::CodeListKeyDown(form.get(), key, shift, form->gPartner, form->bSpremi, false);
        };
    }
    CodeEdit* code;
};

TEST_F(CodeListFormTest, CtrlHomeAndCtrlEndJumpToTheGridAndTheSaveButton) {
    ShowForm();
    Key(*form, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(form->ActiveControl(), form->gPartner);
    Key(*form, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(form->ActiveControl(), form->bSpremi);
    EXPECT_EQ(form->saves, 0);
}

TEST_F(CodeListFormTest, CtrlEnterSearchesTheCodeAndPressesSave) {
    ShowForm();
    code->SetFocus();
    Key(*form, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(code->searches, 1);
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(form->ActiveControl(), form->bSpremi);
    // A plain edit searches nothing but still saves.
    form->eNaziv->SetFocus();
    Key(*form, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(code->searches, 1);
    EXPECT_EQ(form->saves, 2);
}

TEST_F(CodeListFormTest, KitControlsKeepTheirArrowsAndEnter) {
    ShowForm();
    code->SetFocus();
    EXPECT_FALSE(kit::ActiveControlNotKit(form.get()));
    Key(*form, Qt::Key_Down);
    EXPECT_EQ(form->ActiveControl(), code);
    Key(*form, Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), code) << "a kit control handles Enter itself";
}

TEST_F(MyFormTest, CheckBoxAnswersEnterWithOnReturnAndMovesOnArrows) {
    auto* box = new kit::TMyCheckBox(form.get(), form.get());
    box->SetBounds(200, 50, 100, 24);
    box->OnReturn = [&](fw::Component&) { ++returns; };
    ShowForm();
    box->SetFocus();
    Key(*form, Qt::Key_Return);
    EXPECT_EQ(returns, 1);
    EXPECT_EQ(form->ActiveControl(), box);
    Key(*form, Qt::Key_Left);
    EXPECT_EQ(form->ActiveControl(), form->eMjesto);
}

TEST_F(MyFormTest, CountsItselfForTheResourceGuard) {
    EXPECT_EQ(app::ResPlus.ResourceGuard.FormTotal, 1);
    EXPECT_EQ(app::ResPlus.ResourceGuard.ControlTotal, 5);
    EXPECT_EQ(app::ResPlus.ResourceGuard.ComponentTotal, 6);
    form.reset();
    EXPECT_EQ(app::ResPlus.ResourceGuard.FormTotal, 0);
    EXPECT_EQ(app::ResPlus.ResourceGuard.ControlTotal, 0);
    EXPECT_EQ(app::ResPlus.ResourceGuard.ComponentTotal, 0);
}

} // namespace
} // namespace kittest
