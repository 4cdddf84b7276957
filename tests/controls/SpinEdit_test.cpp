#include "controls/PLSpin.h"

#include "../fw/ui/FormTesting.h"
#include "fw/ui/Guard.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>
#include <QMouseEvent>
#include <QTest>

namespace {

using controls::TPlSpinEdit;

// A form with the print-scale spin edit as the designer has it, an edit after it and a default button.
struct SpinForm : ::testing::Test {
    std::unique_ptr<fw::Form> form = fw::MakeForm<fw::Form>();
    TPlSpinEdit* eOmjer = nullptr;
    fw::Edit* next = nullptr;
    fw::Button* ok = nullptr;
    int okPresses = 0;
    int changes = 0;
    fw::MessageRecorder recorder;

    void SetUp() override {
        form->resize(300, 120);
        eOmjer = new TPlSpinEdit(form.get());
        eOmjer->setGeometry(10, 10, 45, 21);
        eOmjer->SetDecimal(0);
        eOmjer->SetIncrement(10);
        eOmjer->SetMaxLength(3);
        eOmjer->SetMinValue(10);
        eOmjer->SetMaxValue(250);
        eOmjer->SetValue(50);
        eOmjer->OnChange = [this](fw::Component&) { ++changes; };
        next = new fw::Edit(form.get());
        next->setGeometry(10, 40, 80, 21);
        ok = new fw::Button(form.get());
        ok->Default = true;
        ok->setGeometry(100, 40, 80, 25);
        ok->OnClick = [this](fw::Component&) { ++okPresses; };
        fwtest::ShowActive(*form);
        eOmjer->SetFocus();
        changes = 0;
    }
    void TypeAndLeave(const QString& text) {
        eOmjer->SetFocus();
        eOmjer->selectAll();
        fwtest::Type(eOmjer, text);
        QTest::keyClick(eOmjer, Qt::Key_Tab);
    }
};

TEST_F(SpinForm, LeavingTheFieldClampsToTheLimits) {
    struct Case {
        const char* typed;
        const char* shown;
    };
    for (Case c : {Case{"300", "250"}, Case{"5", "10"}, Case{"120", "120"}}) {
        TypeAndLeave(c.typed);
        EXPECT_EQ(form->ActiveControl(), next);
        EXPECT_EQ(eOmjer->Text(), c.shown) << c.typed;
    }
    eOmjer->SetText("abc");
    EXPECT_EQ(eOmjer->Value(), 10); // text that is no number reads as MinValue
}

TEST_F(SpinForm, ArrowKeysStepWithinTheLimitsAndChangeFiresOncePerStep) {
    QTest::keyClick(eOmjer, Qt::Key_Up);
    EXPECT_EQ(eOmjer->Text(), "60");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(eOmjer->isModified());
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(eOmjer, Qt::Key_Up);
    EXPECT_EQ(eOmjer->Text(), "250");
    const int atTop = changes;
    QTest::keyClick(eOmjer, Qt::Key_Up); // nothing changes at the limit
    EXPECT_EQ(changes, atTop);
    QTest::keyClick(eOmjer, Qt::Key_Down);
    EXPECT_EQ(eOmjer->Text(), "240");
    EXPECT_EQ(form->ActiveControl(), eOmjer); // the arrows stay with the edit
}

TEST_F(SpinForm, OnlyNumberCharactersAreTyped) {
    eOmjer->selectAll();
    fwtest::Type(eOmjer, "1a2");
    EXPECT_EQ(eOmjer->Text(), "12");
    EXPECT_EQ(recorder.Beeps.size(), 1u);
    eOmjer->EditorEnabled = false;
    fwtest::Type(eOmjer, "3");
    QTest::keyClick(eOmjer, Qt::Key_Backspace);
    EXPECT_EQ(eOmjer->Text(), "12");
    QTest::keyClick(eOmjer, Qt::Key_Up); // the arrows still step
    EXPECT_EQ(eOmjer->Text(), "22");
}

TEST_F(SpinForm, EnterPressesTheDefaultButtonAndIsNotTyped) {
    QTest::keyClick(eOmjer, Qt::Key_Return);
    EXPECT_EQ(okPresses, 1);
    EXPECT_EQ(eOmjer->Text(), "50");
}

TEST_F(SpinForm, ReadOnlyBeepsAndKeepsTheValue) {
    eOmjer->SetReadOnly(true);
    eOmjer->UpClick();
    eOmjer->DownClick();
    EXPECT_EQ(eOmjer->Text(), "50");
    EXPECT_EQ(recorder.Beeps, (std::vector<unsigned>{0, 0}));
    EXPECT_EQ(changes, 0);
}

TEST_F(SpinForm, TheButtonHalvesStepUpAndDown) {
    controls::TPlSpinButton& button = eOmjer->Button();
    EXPECT_EQ(button.height(), eOmjer->height() - 4);
    EXPECT_EQ(button.geometry().right(), eOmjer->width() - 3);
    const int s = button.width();
    EXPECT_FALSE(button.InBottomHalf(QPoint(2, 2)));
    EXPECT_TRUE(button.InBottomHalf(QPoint(s - 2, s - 2)));
    EXPECT_FALSE(button.InBottomHalf(QPoint(s / 2 - 1, s / 2 - 1)));
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(eOmjer->Text(), "60");
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(s - 2, s - 2));
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(s - 2, s - 2));
    EXPECT_EQ(eOmjer->Text(), "40");
    EXPECT_EQ(button.State(), controls::TSpinButtonState::sbNotDown);
}

TEST_F(SpinForm, HoldingAnArrowRepeats) {
    controls::TPlSpinButton& button = eOmjer->Button();
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(eOmjer->Text(), "60"); // at once
    QTRY_VERIFY_WITH_TIMEOUT(eOmjer->Value() >= 80, 5000);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(2, 2));
    const double released = eOmjer->Value();
    QTest::qWait(250);
    EXPECT_EQ(eOmjer->Value(), released);
}

TEST(SpinEdit, EqualLimitsMeanNoLimitAndFloatsUseTheDecimalComma) {
    TPlSpinEdit edit(nullptr);
    EXPECT_EQ(edit.Text(), "0");
    edit.SetValue(-12345);
    EXPECT_EQ(edit.Value(), -12345);
    edit.SetValue(2.5);
    EXPECT_EQ(edit.Text(), "2"); // whole numbers round half to even
    edit.SetValueType(controls::TValueType::vtFloat);
    edit.SetValue(1234.567);
    EXPECT_EQ(edit.Text(), "1234,57");
    EXPECT_DOUBLE_EQ(edit.Value(), 1234.57);
    EXPECT_TRUE(edit.IsValidChar(','));
    EXPECT_FALSE(edit.IsValidChar('.'));
}

} // namespace
