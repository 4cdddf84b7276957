#include "FormTesting.h"
#include "fw/ui/Guard.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

using fwtest::ShowActive;

struct KeyForm : fw::Form {
    explicit KeyForm(fw::Component* owner) : Form(owner) {
        resize(300, 120);
        edit = new fw::Edit(this);
        edit->SetBounds(10, 10, 200, 24);
        edit->SetName("eFirst");
        next = new fw::Edit(this);
        next->SetBounds(10, 40, 200, 24);
        OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift shift) {
            log.push_back("form down " + std::to_string(key) + "/" + std::to_string(shift));
            if (formClearsKey) key = 0;
        };
        OnKeyPress = [this](fw::Component&, std::uint8_t& ch) {
            log.push_back("form press " + std::to_string(ch));
            if (formMapsChar) ch = formMapsChar;
        };
        edit->OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift) {
            log.push_back("edit down " + std::to_string(key));
        };
        edit->OnKeyPress = [this](fw::Component&, std::uint8_t& ch) {
            log.push_back("edit press " + std::to_string(ch));
            if (editClearsChar) ch = 0;
        };
    }
    fw::Edit* edit;
    fw::Edit* next;
    std::vector<std::string> log;
    bool formClearsKey = false;
    std::uint8_t formMapsChar = 0;
    bool editClearsChar = false;
};

class KeyRouting : public ::testing::Test {
protected:
    void SetUp() override {
        form = fw::MakeForm<KeyForm>();
        ShowActive(*form);
        form->edit->SetFocus();
    }
    std::unique_ptr<KeyForm> form;
};

TEST_F(KeyRouting, WithKeyPreviewTheFormSeesEachPhaseFirst) {
    form->KeyPreview = true;
    QTest::keyClick(form->edit, Qt::Key_A);
    EXPECT_EQ(form->log,
              (std::vector<std::string>{"form down 65/0", "edit down 65", "form press 97", "edit press 97"}));
    EXPECT_EQ(form->edit->Text(), "a");
}

TEST_F(KeyRouting, WithoutKeyPreviewOnlyTheControlSeesTheKey) {
    QTest::keyClick(form->edit, Qt::Key_B);
    EXPECT_EQ(form->log, (std::vector<std::string>{"edit down 66", "edit press 98"}));
    EXPECT_EQ(form->edit->Text(), "b");
}

TEST_F(KeyRouting, ClearingTheKeyDoesNotCancelTheCharacter) {
    form->KeyPreview = true;
    form->formClearsKey = true;
    QTest::keyClick(form->edit, Qt::Key_C);
    // The control's key-down phase is skipped, the character still arrives and is typed.
    EXPECT_EQ(form->log, (std::vector<std::string>{"form down 67/0", "form press 99", "edit press 99"}));
    EXPECT_EQ(form->edit->Text(), "c");
}

TEST_F(KeyRouting, ClearedOrChangedCharactersDecideWhatIsTyped) {
    form->KeyPreview = true;
    form->editClearsChar = true;
    QTest::keyClick(form->edit, Qt::Key_D);
    EXPECT_EQ(form->edit->Text(), "");
    form->editClearsChar = false;
    form->formMapsChar = 'X';
    QTest::keyClick(form->edit, Qt::Key_D);
    EXPECT_EQ(form->edit->Text(), "X");
}

TEST_F(KeyRouting, CroatianLettersArriveAsCodePage1250AndAreTyped) {
    form->KeyPreview = true;
    fwtest::Type(form->edit, QString::fromUtf8("šđ"));
    EXPECT_EQ(form->log[0].substr(0, 9), "form down");
    EXPECT_EQ(form->log[2], "form press 154"); // š = 0x9A
    EXPECT_EQ(form->log[6], "form press 240"); // đ = 0xF0
    EXPECT_EQ(form->edit->Text(), "šđ");
}

TEST_F(KeyRouting, CtrlEnterGivesNoEnterCharacter) {
    form->KeyPreview = true;
    QTest::keyClick(form->edit, Qt::Key_Return, Qt::ControlModifier);
    // The Ctrl key itself comes first, as on a real keyboard.
    EXPECT_EQ(form->log, (std::vector<std::string>{"form down 17/4", "edit down 17", "form down 13/4",
                                                   "edit down 13", "form press 10", "edit press 10"}));
}

TEST_F(KeyRouting, ClearedBackspaceDeletesNothing) {
    form->edit->SetText("ab");
    form->edit->setCursorPosition(2);
    form->editClearsChar = true;
    QTest::keyClick(form->edit, Qt::Key_Backspace);
    EXPECT_EQ(form->edit->Text(), "ab");
    form->editClearsChar = false;
    QTest::keyClick(form->edit, Qt::Key_Backspace);
    EXPECT_EQ(form->edit->Text(), "a");
}

TEST_F(KeyRouting, AKeyThatMovedTheFocusIsNotTypedIntoTheNewControl) {
    form->KeyPreview = true;
    form->OnKeyPress = [this](fw::Component&, std::uint8_t& ch) {
        if (ch == 'z') form->next->SetFocus();
    };
    QTest::keyClick(form->edit, Qt::Key_Z);
    EXPECT_EQ(form->ActiveControl(), form->next);
    EXPECT_EQ(form->edit->Text(), "");
    EXPECT_EQ(form->next->Text(), "");
}

TEST_F(KeyRouting, AnExceptionInAHandlerIsShownOnceAndEscNever) {
    fw::MessageRecorder recorder;
    form->edit->OnKeyDown = [](fw::Component&, std::uint16_t& key, fw::Shift) {
        if (key == 'E') throw base::Exception("Greška: neispravan unos");
        if (key == 'S') base::RaiseCancel();
        if (key == 'A') throw base::Abort();
    };
    QTest::keyClick(form->edit, Qt::Key_E);
    QTest::keyClick(form->edit, Qt::Key_S);
    QTest::keyClick(form->edit, Qt::Key_A);
    EXPECT_EQ(recorder.Messages, std::vector<std::string>{"Greška: neispravan unos"});
}

TEST_F(KeyRouting, TabMovesInTabOrderAndShiftTabBack) {
    QTest::keyClick(form->edit, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->next);
    EXPECT_EQ(QApplication::focusWidget(), form->next);
    QTest::keyClick(form->next, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(form->ActiveControl(), form->edit);
    form->edit->SetTabOrder(1);
    QTest::keyClick(form->edit, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->next); // wraps to the first, which is now "next"
}

} // namespace

namespace {

TEST_F(KeyRouting, EnterNoFormUsesGoesThroughBothPhases) {
    form->KeyPreview = true;
    QTest::keyClick(form->edit, Qt::Key_Return);
    EXPECT_EQ(form->log,
              (std::vector<std::string>{"form down 13/0", "edit down 13", "form press 13", "edit press 13"}));
}

TEST_F(KeyRouting, EnterOnAFocusedButtonPressesItOnceAndEndsThere) {
    form->KeyPreview = true;
    auto* button = new fw::Button(form.get());
    int clicks = 0;
    button->OnClick = [&](fw::Component&) { ++clicks; };
    button->SetFocus();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(form->log.empty()); // no key phases: nothing can move the focus after the click
    EXPECT_EQ(form->ActiveControl(), button);
    QTest::keyClick(button, Qt::Key_Space); // the button's own key
    EXPECT_EQ(clicks, 2);
}

} // namespace

namespace {

TEST_F(KeyRouting, AWindowWithoutAFocusedWidgetStillTypesIntoItsActiveControl) {
    form->edit->clearFocus();
    ASSERT_EQ(QApplication::focusWidget(), nullptr);
    QTest::keyClick(form.get(), Qt::Key_Q);
    EXPECT_EQ(form->edit->Text(), "q");
    EXPECT_EQ(QApplication::focusWidget(), form->edit);
    EXPECT_EQ(form->log, (std::vector<std::string>{"edit down 81", "edit press 113"}));
}

} // namespace

namespace {

TEST_F(KeyRouting, AHandlerMayFreeTheFormInTheMiddleOfAKey) {
    form->KeyPreview = true;
    form->OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift) {
        if (key == 'X') form.reset();
    };
    QPointer<QWidget> edit(form->edit);
    QTest::keyPress(form->edit, Qt::Key_X); // no release: the widget is gone
    EXPECT_EQ(form, nullptr);
    EXPECT_TRUE(edit.isNull());
}

} // namespace
