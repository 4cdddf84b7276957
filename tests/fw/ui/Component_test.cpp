#include "fw/ui/Application.h"
#include "fw/ui/Color.h"
#include "fw/ui/Component.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Form.h"
#include "fw/ui/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

struct Counted : fw::Component {
    explicit Counted(fw::Component* owner, int* alive) : Component(owner), alive_(alive) { ++*alive_; }
    ~Counted() override { --*alive_; }
    int* alive_;
};

struct Recorder : fw::Component {
    Recorder(fw::Component* owner, std::vector<std::string>& log, std::string name)
        : Component(owner), log_(log) {
        SetName(std::move(name));
        wasReading = Reading();
    }
    void Loaded() override {
        Component::Loaded();
        log_.push_back(Name());
    }
    std::vector<std::string>& log_;
    bool wasReading = false;
};

struct BuiltForm : fw::Form {
    explicit BuiltForm(fw::Component* owner, std::vector<std::string>& log) : Form(owner), log_(log) {
        first = new Recorder(this, log, "first");
        second = new Recorder(this, log, "second");
        edit = new fw::Edit(this);
        edit->SetName("eSifra");
        OnCreate = [this](fw::Component&) { log_.push_back("OnCreate"); };
    }
    void AfterCreate() override { log_.push_back("AfterCreate"); }
    std::vector<std::string>& log_;
    Recorder* first;
    Recorder* second;
    fw::Edit* edit;
};

TEST(ComponentTree, OwnerFreesItsComponentsAndForgetsFreedOnes) {
    int alive = 0;
    {
        fw::Component owner(nullptr);
        auto* a = new Counted(&owner, &alive);
        new Counted(&owner, &alive);
        EXPECT_EQ(owner.ComponentCount(), 2);
        EXPECT_EQ(a->ComponentIndex(), 0);
        delete a;
        EXPECT_EQ(owner.ComponentCount(), 1);
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(ComponentTree, FormConstructionReadsThenLoadsInCreationOrder) {
    std::vector<std::string> log;
    auto form = fw::MakeForm<BuiltForm>(log);
    EXPECT_TRUE(form->first->wasReading);
    EXPECT_FALSE(form->first->Reading());
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second", "AfterCreate", "OnCreate"}));
    EXPECT_EQ(form->FindComponent("ESIFRA"), form->edit);
    EXPECT_EQ(form->edit->Owner(), form.get());
    EXPECT_EQ(form->edit->Parent(), form.get());
}

TEST(ComponentTree, ComponentsMadeOutsideAFormAreNotReading) {
    std::vector<std::string> log;
    Recorder r(nullptr, log, "x");
    EXPECT_FALSE(r.wasReading);
}

TEST(ComponentTree, ScopedTagBitsRestoreOnEveryPath) {
    fw::Component c(nullptr);
    c.SetTag(0x2001);
    try {
        fw::ScopedTagBits bits(c, fw::TagTablesOpening | 0x400);
        EXPECT_EQ(c.Tag(), 0x2401);
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(c.Tag(), 0x2001);
    fw::SetTagState(c, 3);
    EXPECT_EQ(fw::TagState(c), 3);
    EXPECT_EQ(c.Tag(), 0x2003);
}

TEST(ComponentTree, WidgetsFreedByTheirParentLeaveNoDanglingControls) {
    auto form = fw::MakeForm<fw::Form>();
    auto* panel = new fw::Panel(form.get());
    auto* edit = new fw::Edit(panel);
    EXPECT_EQ(edit->Owner(), form.get());
    EXPECT_EQ(panel->ControlCount(), 1);
    delete edit;
    EXPECT_EQ(panel->ControlCount(), 0);
    EXPECT_EQ(form->ComponentCount(), 1);
    form.reset(); // panel freed by the widget tree, not twice by its owner
}

// A form whose members its controls' events reach: deleted, by any pointer type, its whole tree counts as
// being freed before its own destructor runs, so no event of a control reaches it while it goes.
struct WatchedForm : fw::Form {
    explicit WatchedForm(std::vector<std::string>& log) : Form(nullptr), log_(log) {
        edit = new fw::Edit(this, this);
        edit->OnChange = [this](fw::Component&) { log_.push_back("change " + edit->Text()); };
    }
    ~WatchedForm() override {
        log_.push_back(edit->InDestruction() ? "freeing" : "live");
        edit->SetText("gone");
    }
    std::vector<std::string>& log_;
    fw::Edit* edit;
};

TEST(ComponentTree, ADeletedComponentsTreeIsBeingFreedBeforeItsDestructorsRun) {
    std::vector<std::string> log;
    auto* form = new WatchedForm(log);
    form->edit->SetText("a");
    EXPECT_FALSE(form->edit->InDestruction());
    delete form;
    auto* widget = static_cast<QWidget*>(new WatchedForm(log));
    delete widget;
    EXPECT_EQ(log, (std::vector<std::string>{"change a", "freeing", "freeing"}));
}

TEST(Colors, StoredColoursHaveRedInTheLowByte) {
    EXPECT_EQ(fw::ToQColor(fw::clNavy), QColor(0, 0, 128));
    EXPECT_EQ(fw::ToQColor(fw::clMaroon), QColor(128, 0, 0));
    EXPECT_EQ(fw::ToQColor(fw::clRed), QColor(255, 0, 0));
    EXPECT_EQ(fw::ToQColor(0xFF00), QColor(0, 255, 0));
    EXPECT_EQ(fw::ToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(fw::FromQColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
}

TEST(Colors, ArialIsLiberationSans) {
    EXPECT_EQ(fw::FontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(fw::FontFamily("arial ce"), "Liberation Sans");
    EXPECT_EQ(fw::FontFamily("DejaVu Sans"), "DejaVu Sans");
}

} // namespace
