#include "controls/BtChkBox.h"

#include "../fw/ui/FormTesting.h"

#include <gtest/gtest.h>
#include <QPainter>
#include <QTest>

namespace {

using controls::TBitCheckBox;
using fw::CheckBoxState;

struct CheckBoxForm : ::testing::Test {
    std::unique_ptr<fw::Form> form = fw::MakeForm<fw::Form>();
    TBitCheckBox* chVrata = nullptr;
    int clicks = 0;
    void SetUp() override {
        form->resize(200, 80);
        chVrata = new TBitCheckBox(form.get());
        chVrata->setGeometry(10, 10, 85, 17);
        chVrata->SetCaption("Ulaze krila");
        chVrata->OnClick = [this](fw::Component&) { ++clicks; };
        new fw::Edit(form.get());
        fwtest::ShowActive(*form);
    }
};

TEST_F(CheckBoxForm, ClicksCycleThroughTheStates) {
    const QPoint inside(40, 8);
    QTest::mouseClick(chVrata, Qt::LeftButton, {}, inside);
    EXPECT_EQ(chVrata->State(), CheckBoxState::cbChecked);
    EXPECT_EQ(form->ActiveControl(), chVrata); // a click takes the focus
    QTest::mouseClick(chVrata, Qt::LeftButton, {}, inside);
    EXPECT_EQ(chVrata->State(), CheckBoxState::cbUnchecked);
    chVrata->AllowGrayed = true;
    std::vector<CheckBoxState> seen;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(chVrata, Qt::LeftButton, {}, inside);
        seen.push_back(chVrata->State());
    }
    EXPECT_EQ(seen,
              (std::vector{CheckBoxState::cbGrayed, CheckBoxState::cbChecked, CheckBoxState::cbUnchecked}));
    EXPECT_EQ(clicks, 5);
}

TEST_F(CheckBoxForm, SpaceClicksAndTheProgramSetsTheStateSilently) {
    chVrata->SetFocus();
    QTest::keyClick(chVrata, Qt::Key_Space);
    EXPECT_TRUE(chVrata->Checked());
    EXPECT_EQ(clicks, 1);
    chVrata->SetState(CheckBoxState::cbUnchecked);
    chVrata->SetChecked(true);
    EXPECT_EQ(clicks, 1);
}

TEST_F(CheckBoxForm, AcceleratorFocusesAndTogglesWithoutClick) {
    chVrata->SetCaption("&Vrata");
    EXPECT_FALSE(chVrata->DialogChar('x'));
    EXPECT_TRUE(chVrata->DialogChar('v'));
    EXPECT_EQ(form->ActiveControl(), chVrata);
    EXPECT_TRUE(chVrata->Checked());
    EXPECT_EQ(clicks, 0);
}

TEST(BitCheckBox, GlyphCountsFollowThePictures) {
    TBitCheckBox box(nullptr);
    EXPECT_EQ(box.width(), 97);
    EXPECT_EQ(box.height(), 17);
    EXPECT_EQ(box.CheckedNumGlyphs(), 1);
    QPixmap two(26, 13), odd(20, 13);
    two.fill(Qt::red);
    odd.fill(Qt::red);
    box.SetCheckedGlyph(two);
    EXPECT_EQ(box.CheckedNumGlyphs(), 2);
    box.SetCheckedNumGlyphs(1);
    box.SetCheckedGlyph(odd);
    EXPECT_EQ(box.CheckedNumGlyphs(), 1);
    box.SetCheckedNumGlyphs(5);
    EXPECT_EQ(box.CheckedNumGlyphs(), 2);
    box.SetCheckedNumGlyphs(0);
    EXPECT_EQ(box.CheckedNumGlyphs(), 1);
    box.SetCheckedGlyph(QPixmap()); // back to the built-in box
    EXPECT_EQ(box.CheckedGlyph().size(), QSize(14, 14));
}

TEST(BitCheckBox, PaintsTheGlyphOfItsStateWithTheGroundSeeThrough) {
    TBitCheckBox box(nullptr);
    box.resize(97, 17);
    box.SetCaption("Ulaze krila");
    box.SetBoxColor(fw::clWhite);
    QPixmap checked(28, 14), unchecked(14, 14);
    checked.fill(QColor(255, 0, 255)); // the bottom-left colour is transparent
    unchecked.fill(QColor(255, 0, 255));
    QPainter(&checked).fillRect(2, 2, 8, 8, Qt::red);
    QPainter(&checked).fillRect(16, 2, 8, 8, Qt::blue); // the disabled cell
    QPainter(&unchecked).fillRect(2, 2, 8, 8, Qt::green);
    box.SetCheckedGlyph(checked);
    box.SetUncheckedGlyph(unchecked);
    QImage image = box.grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 5), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(255, 255, 255));
    box.SetChecked(true);
    EXPECT_EQ(box.grab().toImage().pixelColor(5, 5), QColor(255, 0, 0));
    box.SetEnabled(false);
    EXPECT_EQ(box.grab().toImage().pixelColor(5, 5), QColor(0, 0, 255));
    box.SetAlignment(fw::Alignment::taLeftJustify); // the box goes to the right end
    box.SetEnabled(true);
    image = box.grab().toImage();
    EXPECT_EQ(image.pixelColor(97 - 14 + 5, 5), QColor(255, 0, 0));
    image.save(QStringLiteral(PLOM_BINARY_DIR) + "/screenshot-bitcheckbox.png");
}

} // namespace
