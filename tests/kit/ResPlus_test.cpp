#include "tests/kit/KitFixture.h"

#include "app/shell/FormOpener.h"

#include "tests/fw/ui/FormTesting.h"

namespace kittest {
namespace {

// A kit form with as many edits as asked.
class BulkForm : public kit::TMyForm {
public:
    BulkForm(fw::Component* owner, int edits) : kit::TMyForm(owner) {
        for (int i = 0; i < edits; ++i)
            new fw::Edit(this, this);
    }
};

int lowReading() {
    return 10;
}

class ResPlusTest : public KitTest {
protected:
    ~ResPlusTest() override {
        for (BulkForm*& f : forms)
            delete f;
    }
    void MakeReleased(int count, int edits) {
        forms.assign(static_cast<std::size_t>(count), nullptr);
        for (BulkForm*& f : forms) {
            f = fw::CreateForm<BulkForm>(nullptr, edits);
            app::FormOpener.ReleasableRegistry.push_back(app::FormVariable(f));
        }
    }
    int Alive() const {
        return static_cast<int>(
            std::count_if(forms.begin(), forms.end(), [](BulkForm* f) { return f != nullptr; }));
    }
    std::vector<BulkForm*> forms;
};

TEST_F(ResPlusTest, ReadersAnswerUnknown) {
    EXPECT_EQ(app::ResPlus.FreeSystemPercent(), 200);
    EXPECT_EQ(app::ResPlus.FreeGDIPercent(), 200);
    EXPECT_EQ(app::ResPlus.FreeUserPercent(), 200);
}

TEST_F(ResPlusTest, ReleaseLowersTheLimitsAndFreesDownToTheTargets) {
    MakeReleased(10, 100);
    EXPECT_EQ(app::ResPlus.ResourceGuard.ControlTotal, 1000);
    app::ResPlus.ResourceGuard.ComponentTotal += 1000; // components of other forms
    EXPECT_TRUE(app::ReleaseResources(nullptr));
    EXPECT_EQ(app::ResPlus.ResourceGuard.ControlLimit, 800);
    EXPECT_EQ(app::ResPlus.ResourceGuard.ComponentLimit, 1600);
    EXPECT_EQ(Alive(), 2);
    EXPECT_EQ(app::ResPlus.ResourceGuard.ControlTotal, 200);
    EXPECT_EQ(app::ResPlus.ResourceGuard.ComponentTotal, 1200);
    EXPECT_EQ(app::FormOpener.ReleasableRegistry.size(), 2u);
    app::ResPlus.ResourceGuard.ComponentTotal -= 1000;
}

TEST_F(ResPlusTest, SparesTheExceptedForm) {
    MakeReleased(2, 1);
    EXPECT_TRUE(app::ReleaseResources(forms[0]));
    EXPECT_NE(forms[0], nullptr);
    EXPECT_EQ(forms[1], nullptr);
    EXPECT_FALSE(app::ReleaseResources(forms[0]));
}

TEST_F(ResPlusTest, DropsEntriesWhoseFormIsGoneAndFreesTheNext) {
    MakeReleased(2, 1);
    delete forms[0]; // its destructor leaves the registry; put a stale entry back
    forms[0] = nullptr;
    app::FormOpener.ReleasableRegistry.insert(app::FormOpener.ReleasableRegistry.begin(),
                                              app::FormVariable(forms[0]));
    EXPECT_TRUE(app::FreeRegisteredObject(nullptr));
    EXPECT_EQ(forms[1], nullptr);
    EXPECT_TRUE(app::FormOpener.ReleasableRegistry.empty());
}

TEST_F(ResPlusTest, NeverFreesAFormInUse) {
    MakeReleased(2, 1);
    fwtest::ShowActive(*forms[0]);
    fw::SetTagState(*forms[1], app::TagHiddenForOther);
    EXPECT_FALSE(app::FreeRegisteredObject(nullptr));
    EXPECT_EQ(Alive(), 2);
    EXPECT_EQ(app::FormOpener.ReleasableRegistry.size(), 2u);
    forms[0]->Hide();
    fw::SetTagState(*forms[1], app::TagShown);
    EXPECT_TRUE(app::FreeRegisteredObject(nullptr));
    EXPECT_TRUE(app::FreeRegisteredObject(nullptr));
    EXPECT_EQ(Alive(), 0);
}

TEST_F(ResPlusTest, LowUserResourcesCloseAndFreeAnOpenFormBeforeANewOneIsBuilt) {
    MakeTable("Global", "PARTNER.DB");
    std::unique_ptr<kit::TMyForm> caller(fw::CreateForm<kit::TMyForm>(nullptr));
    fwtest::ShowActive(*caller);
    app::Settings.CommonSettings.Resources.LoadMode = 2;
    DataForm* open = nullptr;
    app::OpenForm<DataForm>(open, caller.get());
    ASSERT_TRUE(open && open->isVisible());

    app::Settings.CommonSettings.Resources.Usage = 4;
    app::ResPlus.FreeUserPercent = &lowReading;
    std::unique_ptr<BulkForm> quiet(fw::CreateForm<BulkForm>(nullptr, 1));
    EXPECT_NE(open, nullptr) << "with Usage 4 the checks are off";

    app::Settings.CommonSettings.Resources.Usage = 1;
    std::unique_ptr<BulkForm> fresh(fw::CreateForm<BulkForm>(nullptr, 1));
    EXPECT_EQ(open, nullptr);
    EXPECT_TRUE(app::FormOpener.FormRegistry.empty());
    EXPECT_TRUE(caller->isVisible());
}

TEST_F(ResPlusTest, HiddenKitFormsGiveUpTheirWindows) {
    app::InstallResourceGuard();
    MakeReleased(1, 1);
    fwtest::ShowActive(*forms[0]);
    const int before = app::ResPlus.DroppedWindowCount;
    forms[0]->Hide();
    EXPECT_EQ(app::ResPlus.DroppedWindowCount, before + 1);
    EXPECT_EQ(static_cast<fw::Edit&>(*forms[0]->Components(0)).Text(), "") << "the widgets are kept";
    fw::Hooks() = fw::ControlHooks();
}

} // namespace
} // namespace kittest
