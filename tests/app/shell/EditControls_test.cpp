#include "app/shell/EditControls.h"
#include "app/shell/FocusNavigation.h"
#include "FormTesting.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

TEST(EditControls, ADisabledEditIsGreyedAndSkippedByTheKeyboard) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(300, 200);
    auto* a = new fw::Edit(form.get());
    a->SetBounds(10, 10, 80, 20);
    auto* b = new fw::Edit(form.get());
    b->SetBounds(10, 40, 80, 20);
    auto* c = new fw::Edit(form.get());
    c->SetBounds(10, 70, 80, 20);
    fwtest::ShowActive(*form);

    app::DisableEdit(*b);
    EXPECT_FALSE(b->TabStop());
    EXPECT_FALSE(b->Enabled());
    EXPECT_EQ(b->Color(), fw::FromQColor(fw::ToQColor(fw::clBtnFace)));
    a->SetFocus();
    app::MoveFocus(a, true);
    EXPECT_EQ(form->ActiveControl(), c);

    app::EnableEdit(*b);
    EXPECT_TRUE(b->TabStop());
    EXPECT_EQ(b->Color(), fw::FromQColor(fw::ToQColor(fw::clWindow)));
    a->SetFocus();
    app::MoveFocus(a, true);
    EXPECT_EQ(form->ActiveControl(), b);
}

TEST(EditControls, CheckBoxesKeepTheirColour) {
    auto form = fw::MakeForm<fw::Form>();
    auto* check = new fw::CheckBox(form.get());
    const fw::TColor before = check->Color();
    app::DisableCheck(*check);
    EXPECT_FALSE(check->Enabled());
    EXPECT_FALSE(check->TabStop());
    EXPECT_EQ(check->Color(), before);
    app::EnableCheck(*check);
    EXPECT_TRUE(check->Enabled());
    EXPECT_TRUE(check->TabStop());
}

TEST(EditControls, LookupsSwitchLikeEdits) {
    auto form = fw::MakeForm<fw::Form>();
    auto* lookup = new fw::Edit(form.get());
    app::DisableLookup(*lookup);
    EXPECT_EQ(lookup->Color(), fw::FromQColor(fw::ToQColor(fw::clBtnFace)));
    EXPECT_FALSE(lookup->Enabled());
    app::EnableLookup(*lookup);
    EXPECT_EQ(lookup->Color(), fw::FromQColor(fw::ToQColor(fw::clWindow)));
    EXPECT_TRUE(lookup->TabStop());
}

} // namespace
