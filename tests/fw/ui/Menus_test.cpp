#include "FormTesting.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Guard.h"
#include "fw/ui/Menus.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

TEST(Menus, ItemsSubmenusSeparatorsAndClicks) {
    auto form = fw::MakeForm<fw::Form>();
    form->resize(300, 200);
    auto* menu = new fw::MainMenu(form.get());
    fw::MenuItem& sifarnik = menu->Add("&Šifarnik", "mSifarnik");
    int clicks = 0;
    sifarnik.Add("&Artikala", "mArtikli").OnClick = [&](fw::Component& s) {
        EXPECT_EQ(s.Name(), "mArtikli");
        ++clicks;
    };
    sifarnik.Add("-");
    fw::MenuItem& nalozi = sifarnik.Add("&Nalozi", "mP_Naloga");
    nalozi.SetVisible(false);
    ASSERT_EQ(sifarnik.Items().size(), 3u);
    EXPECT_TRUE(sifarnik.Items()[1]->IsSeparator());
    EXPECT_FALSE(nalozi.Visible());
    EXPECT_EQ(form->FindComponent("mArtikli"), sifarnik.Items()[0]);
    sifarnik.Items()[0]->Action()->trigger();
    EXPECT_EQ(clicks, 1);
    nalozi.SetVisible(true);
    EXPECT_TRUE(nalozi.Visible());
    // The bar lies along the top; an aligned panel takes the rest.
    auto* client = new fw::Panel(form.get());
    client->SetAlign(fw::Align::alClient);
    form->Show();
    EXPECT_EQ(menu->Widget().y(), 0);
    EXPECT_EQ(client->Top(), menu->Height());
    std::vector<fw::Control*> tabList;
    form->GetTabOrderList(tabList);
    EXPECT_EQ(std::find(tabList.begin(), tabList.end(), menu), tabList.end());
}

TEST(Menus, AFailingMenuHandlerIsShownNotThrown) {
    fw::MessageRecorder recorder;
    auto form = fw::MakeForm<fw::Form>();
    auto* menu = new fw::MainMenu(form.get());
    fw::MenuItem& item = menu->Add("&Arhiva");
    item.OnClick = [](fw::Component&) { throw base::Exception("Greška kod arhiviranja!!!"); };
    item.Action()->trigger();
    EXPECT_EQ(recorder.Messages, std::vector<std::string>{"Greška kod arhiviranja!!!"});
}

TEST(ControlHooks, CreationWindowAndHidingAreReported) {
    std::vector<std::string> log;
    fw::Hooks().Creating = [&](fw::Component* owner) { log.push_back(owner ? "create owned" : "create"); };
    fw::Hooks().WindowCreating = [&](fw::Control& c) { log.push_back("window " + c.Name()); };
    fw::Hooks().Hidden = [&](fw::Control& c) { log.push_back("hidden " + c.Name()); };
    {
        auto form = fw::MakeForm<fw::Form>();
        form->SetName("f");
        auto* edit = new fw::Edit(form.get());
        edit->SetName("e");
        form->Show();
        form->Hide();
        form->Show();
        // Shown again: the windows exist, no second "window".
        EXPECT_EQ(log, (std::vector<std::string>{"create", "create owned", "window e", "window f", "hidden f",
                                                 "hidden e"}));
    }
    fw::Hooks() = fw::ControlHooks{};
}

struct RefusingEdit : fw::Edit {
    using Edit::Edit;
    void ExitCheck() override {
        if (refuse) throw base::Exception("Morate unijeti šifru");
    }
    bool refuse = true;
};

TEST(ButtonClicks, AClickIsDroppedWhenTheFocusedControlKeepsTheFocus) {
    fw::MessageRecorder recorder;
    auto form = fw::MakeForm<fw::Form>();
    form->resize(200, 100);
    auto* edit = new RefusingEdit(form.get());
    edit->SetBounds(10, 10, 100, 24);
    auto* save = new fw::Button(form.get());
    save->SetBounds(10, 50, 80, 28);
    int saves = 0;
    save->OnClick = [&](fw::Component&) { ++saves; };
    fwtest::ShowActive(*form);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(form->ActiveControl(), edit);
    EXPECT_EQ(recorder.Messages, std::vector<std::string>{"Morate unijeti šifru"});
    edit->refuse = false;
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(form->ActiveControl(), save);
}

} // namespace

namespace {

TEST(Menus, KeysForTheMenuBarStayWithIt) {
    auto form = fw::MakeForm<fw::Form>();
    form->KeyPreview = true;
    int formKeys = 0;
    form->OnKeyDown = [&](fw::Component&, std::uint16_t&, fw::Shift) { ++formKeys; };
    auto* menu = new fw::MainMenu(form.get());
    menu->Add("&Šifarnik").Add("&Artikala");
    auto* edit = new fw::Edit(form.get());
    edit->SetBounds(10, 40, 100, 24);
    fwtest::ShowActive(*form);
    QTest::keyClick(menu, Qt::Key_Right);
    EXPECT_EQ(formKeys, 0);
    EXPECT_EQ(form->ActiveControl(), edit);
    QTest::keyClick(edit, Qt::Key_Right);
    EXPECT_EQ(formKeys, 1);
}

} // namespace
