#include "controls/NonVCContainer.h"

#include "fw/ui/Form.h"

#include <gtest/gtest.h>

namespace {

// A form whose description carries a container with every property the program's forms store.
class FormWithContainer : public fw::Form {
public:
    explicit FormWithContainer(fw::Component* owner) : fw::Form(owner) {
        auto* c = new controls::TNonVCContainer(this, this);
        c->SetName("NonVCContainer1");
        c->Columns = 6;
        c->GridWidth = 32;
        c->GridHeight = 30;
        c->SetNameFontHeight(-9);
        c->NameFontName = "Arial";
        c->NameBonus = 30;
        EXPECT_FALSE(c->isVisible());
        EXPECT_FALSE(c->Enabled());
        EXPECT_EQ(c->NameFontSize, 7);
    }
};

TEST(NonVCContainer, FormLoadsAndHoldsNoContainerAfterwards) {
    auto form = fw::MakeForm<FormWithContainer>();
    EXPECT_EQ(form->FindComponent("NonVCContainer1"), nullptr);
    EXPECT_EQ(form->ComponentCount(), 0);
    EXPECT_TRUE(form->Controls().empty());
    EXPECT_TRUE(form->findChildren<controls::TNonVCContainer*>().isEmpty());
}

} // namespace
