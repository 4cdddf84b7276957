#include "app/shell/FocusNavigation.h"
#include "app/shell/ScriptedDialogs.h"
#include "base/CroatianFormat.h"
#include "FormTesting.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

using fwtest::ShowActive;

fw::Edit* editAt(fw::Control* parent, int x, int y, int w = 60, int h = 20) {
    auto* e = new fw::Edit(parent);
    e->SetBounds(x, y, w, h);
    return e;
}

class TabMoves : public ::testing::Test {
protected:
    void SetUp() override {
        form = fw::MakeForm<fw::Form>();
        form->resize(400, 300);
        a = editAt(form.get(), 10, 10);
        panel = new fw::Panel(form.get());
        panel->SetBounds(10, 40, 200, 100);
        b = editAt(panel, 5, 5);
        c = editAt(panel, 5, 35);
        d = editAt(form.get(), 10, 200);
        ShowActive(*form);
    }
    std::unique_ptr<fw::Form> form;
    fw::Edit *a, *b, *c, *d;
    fw::Panel* panel;
};

TEST_F(TabMoves, ForwardWrapsFromTheLastAndBackFromTheFirst) {
    app::MoveFocus(a, true);
    EXPECT_EQ(form->ActiveControl(), b);
    d->SetFocus();
    app::MoveFocus(d, true);
    EXPECT_EQ(form->ActiveControl(), a);
    app::MoveFocus(a, false);
    EXPECT_EQ(form->ActiveControl(), d);
}

TEST_F(TabMoves, PassesOverDisabledNonTabStopAndHiddenContainers) {
    b->SetEnabled(false);
    app::MoveFocus(a, true);
    EXPECT_EQ(form->ActiveControl(), c);
    b->SetEnabled(true);
    b->SetTabStop(false);
    a->SetFocus();
    app::MoveFocus(a, true);
    EXPECT_EQ(form->ActiveControl(), c);
    panel->Hide();
    a->SetFocus();
    app::MoveFocus(a, true);
    EXPECT_EQ(form->ActiveControl(), d);
}

TEST_F(TabMoves, TheControlKeepsTheFocusWhenNothingElseQualifies) {
    for (fw::Control* x : std::vector<fw::Control*>{b, c, d})
        x->SetEnabled(false);
    app::MoveFocus(a, true);
    EXPECT_EQ(form->ActiveControl(), a);
    app::MoveFocus(nullptr, true); // harmless
}

TEST(SpatialMoves, NearestInTheDirectionWithOverlapAcross) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(400, 300);
    auto* c = editAt(form.get(), 10, 10);
    auto* near = editAt(form.get(), 100, 15);
    auto* far = editAt(form.get(), 200, 10);
    auto* below = editAt(form.get(), 10, 100);
    // Nearer ones that cannot take the focus are passed over.
    editAt(form.get(), 80, 10, 15, 20)->Hide();
    editAt(form.get(), 10, 50)->SetEnabled(false);
    editAt(form.get(), 170, 10, 20, 20)->SetTabStop(false);
    ShowActive(*form);
    c->SetFocus();
    app::MoveFocusRight(c);
    EXPECT_EQ(form->ActiveControl(), near);
    app::MoveFocusRight(near);
    EXPECT_EQ(form->ActiveControl(), far);
    app::MoveFocusLeft(far);
    EXPECT_EQ(form->ActiveControl(), near);
    app::MoveFocusDown(c);
    EXPECT_EQ(form->ActiveControl(), below);
    app::MoveFocusUp(below);
    EXPECT_EQ(form->ActiveControl(), c);
    app::MoveFocusRight(nullptr);
}

TEST(SpatialMoves, AControlEntirelyBelowTheRightEdgeIsNotToTheRight) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(400, 300);
    auto* c = editAt(form.get(), 10, 10, 60, 20);
    editAt(form.get(), 100, 30, 60, 20); // its top is C's bottom: no overlap
    ShowActive(*form);
    c->SetFocus();
    app::MoveFocusRight(c);
    EXPECT_EQ(form->ActiveControl(), c);
}

TEST(SpatialMoves, OfEqualGapsTheLaterInTheScanWins) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(400, 300);
    auto* c = editAt(form.get(), 10, 40, 60, 40);
    auto* first = new fw::Panel(form.get());
    first->SetBounds(100, 0, 80, 60);
    editAt(first, 0, 30, 60, 20);
    auto* second = new fw::Panel(form.get());
    second->SetBounds(100, 60, 80, 60);
    auto* later = editAt(second, 0, 5, 60, 20);
    ShowActive(*form);
    c->SetFocus();
    app::MoveFocusRight(c);
    EXPECT_EQ(form->ActiveControl(), later);
}

TEST(SpatialMoves, AContainerWithChildrenIsSearchedNeverTaken) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(400, 300);
    auto* c = editAt(form.get(), 10, 10);
    auto* box = new fw::Panel(form.get());
    box->SetBounds(90, 0, 200, 100);
    box->SetTabStop(true);
    auto* inside = editAt(box, 100, 10);
    auto* empty = new fw::Panel(form.get()); // no children: a candidate only with TabStop
    empty->SetBounds(10, 120, 60, 20);
    ShowActive(*form);
    c->SetFocus();
    EXPECT_EQ(app::SpatialTarget(c, app::Direction::Right), inside);
    EXPECT_EQ(app::SpatialTarget(c, app::Direction::Down), nullptr);
    empty->SetTabStop(true);
    EXPECT_EQ(app::SpatialTarget(c, app::Direction::Down), empty);
    empty->SetEnabled(false);
    EXPECT_EQ(app::SpatialTarget(c, app::Direction::Down), nullptr);
}

TEST(Conversions, StrToDateDMYReadsThreeDigitGroups) {
    EXPECT_EQ(base::FromDateTime(app::StrToDateDMY("7/3/01")), (base::Date{2001, 3, 7}));
    EXPECT_EQ(base::FromDateTime(app::StrToDateDMY("31.12.99")), (base::Date{1999, 12, 31}));
    EXPECT_EQ(base::FromDateTime(app::StrToDateDMY(" 1. 2. 2024.")), (base::Date{2024, 2, 1}));
    EXPECT_THROW(app::StrToDateDMY("7.3."), base::Exception);
    EXPECT_THROW(app::StrToDateDMY("31.2.2001"), base::Exception);
    EXPECT_THROW(app::StrToDateDMY(""), base::Exception);
}

TEST(Conversions, StrToCodeKeepsLeadingZeros) {
    EXPECT_EQ(app::StrToCode("0042"), 10042);
    EXPECT_EQ(app::StrToCode(""), 1);
    EXPECT_EQ(app::StrToCode("147483647"), 1147483647);
    EXPECT_THROW(app::StrToCode("12a"), base::Exception);
    EXPECT_THROW(app::StrToCode("0123456789"), base::Exception);
    EXPECT_THROW(app::StrToCode("-5"), base::Exception);
    try {
        app::StrToCode("12a");
        ADD_FAILURE();
    } catch (const base::Exception& e) {
        EXPECT_STREQ(e.what(), "'112a' nije ispravan cijeli broj");
    }
    try {
        app::StrToDateDMY("31.2.2001");
        ADD_FAILURE();
    } catch (const base::Exception& e) {
        EXPECT_STREQ(e.what(), "'31.2.2001' nije ispravan datum");
    }
}

TEST(Conversions, ConfirmAsksTheYesNoQuestion) {
    app::ScriptedDialogs script;
    script.Answer(true);
    EXPECT_TRUE(app::Confirm("Želite li da pokušam ponovno ?"));
    EXPECT_FALSE(app::Confirm("Opet ?"));
    EXPECT_EQ(script.Texts().size(), 2u);
}

TEST(Yields, TheWaitSwitchAndTheLockWaitPermission) {
    EXPECT_TRUE(app::YieldIfAllowed());
    app::FocusNavigation.WaitSwitch = 0;
    EXPECT_FALSE(app::YieldIfAllowed());
    app::FocusNavigation.WaitSwitch = 1;
    EXPECT_FALSE(app::LockWaitAllowed());
    app::FocusNavigation.LockWaitSwitch = 1;
    app::FocusNavigation.BackgroundPriority = [] { return 6; };
    EXPECT_FALSE(app::LockWaitAllowed());
    app::FocusNavigation.BackgroundPriority = [] { return 3; };
    EXPECT_TRUE(app::LockWaitAllowed());
    app::FocusNavigation.LockWaitSwitch = 0;
    app::FocusNavigation.BackgroundPriority = nullptr;
}

} // namespace
