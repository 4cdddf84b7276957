#include "tests/kit/KitFixture.h"

#include "tests/fw/ui/FormTesting.h"

namespace kittest {
namespace {

// The calling window: a kit form with two edits.
class CallerForm : public kit::TMyForm {
public:
    explicit CallerForm(fw::Component* owner) : kit::TMyForm(owner) {
        resize(300, 120);
        eA = new fw::Edit(this, this);
        eA->SetBounds(10, 10, 100, 24);
        eB = new fw::Edit(this, this);
        eB->SetBounds(10, 50, 100, 24);
    }
    fw::Edit* eA;
    fw::Edit* eB;
};

// A form whose creation fails as often as asked.
class FailingForm : public kit::TMyForm {
public:
    static int failures;
    explicit FailingForm(fw::Component* owner) : kit::TMyForm(owner) {
        if (failures > 0) {
            --failures;
            throw base::Exception("Nema resursa");
        }
    }
};
int FailingForm::failures = 0;

DataForm* Podaci = nullptr;
DataForm* Drugi = nullptr;
DataForm* Treci = nullptr;
FailingForm* Neuspjeh = nullptr;

class FormOpenerTest : public KitTest {
protected:
    FormOpenerTest() {
        MakeTable("Global", "PARTNER.DB");
        caller.reset(fw::CreateForm<CallerForm>(nullptr));
        fwtest::ShowActive(*caller);
        caller->eB->SetFocus();
        Podaci = Drugi = Treci = nullptr;
        Neuspjeh = nullptr;
    }
    ~FormOpenerTest() override {
        for (fw::Form* f : std::vector<fw::Form*>{Podaci, Drugi, Treci, Neuspjeh})
            delete f;
        Podaci = Drugi = Treci = nullptr;
        Neuspjeh = nullptr;
    }
    // Opens the data form modally through its opener and closes it with Esc once it shows.
    void Visit(DataForm*& variable = Podaci) {
        app::OpenForm<DataForm>(variable, caller.get(), [this](DataForm& f) {
            f.OnShow = [this, &f](fw::Component&) {
                ++shows;
                seenCallerVisible = caller->isVisible();
                seenTableActive = f.tPartner->Active();
                Later([&f] { Key(f, Qt::Key_Escape); });
            };
        });
    }
    std::unique_ptr<CallerForm> caller;
    bool seenCallerVisible = true;
    bool seenTableActive = false;
    int shows = 0;
    // Outlives the forms, which the fixture frees (flushing their tables) after the test body.
    std::vector<std::string> calls;
};

TEST_F(FormOpenerTest, ShowsTheFormOverAHiddenCallerAndBringsTheCallerBackWithItsFocus) {
    Visit();
    ASSERT_NE(Podaci, nullptr);
    EXPECT_FALSE(seenCallerVisible);
    EXPECT_TRUE(seenTableActive);
    EXPECT_FALSE(Podaci->isVisible());
    EXPECT_TRUE(caller->isVisible());
    EXPECT_EQ(caller->ActiveControl(), caller->eB);
    // Closed: flushed, closed softly, released for the resource guard.
    EXPECT_FALSE(Podaci->tPartner->Active());
    EXPECT_FALSE(flushed.empty());
    EXPECT_TRUE(app::FormOpener.FormRegistry.empty());
    ASSERT_EQ(app::FormOpener.ReleasableRegistry.size(), 1u);
    EXPECT_EQ(app::FormOpener.ReleasableRegistry[0].Get(), Podaci);
    EXPECT_FALSE(app::Progress.Splash && app::Progress.Splash->isVisible());
}

TEST_F(FormOpenerTest, RunsTheDesignersHandlersInTheKitsOrder) {
    app::FormOpener.FlushTableProc = [&](fw::TDataSet&) { calls.push_back("flush"); };
    app::OpenForm<DataForm>(Podaci, caller.get(), [&](DataForm& f) {
        f.OnShow = [&](fw::Component&) {
            calls.push_back(f.tPartner->Active() ? "OnShow open" : "OnShow closed");
            Later([&f] { Key(f, Qt::Key_Escape); });
        };
        f.OnKeyDown = [&](fw::Component&, std::uint16_t& key, fw::Shift) {
            calls.push_back("OnKeyDown " + std::to_string(key));
        };
        f.OnCloseQuery = [&](fw::Component&, bool&) { calls.push_back("OnCloseQuery"); };
        f.OnClose = [&](fw::Component&, fw::CloseAction&) {
            calls.push_back(f.tPartner->Active() ? "OnClose open" : "OnClose closed");
        };
    });
    // Close query: the designer's first, then the kit's flush; close: the kit's release (flush all, soft
    // close) first, then the designer's; ShowForm releases the form once more after its loop.
    EXPECT_EQ(calls, (std::vector<std::string>{"OnShow open", "OnKeyDown 27", "OnCloseQuery", "flush",
                                               "flush", "OnClose closed", "flush"}));
}

TEST_F(FormOpenerTest, ManyVisitsKeepTheRegistriesSmall) {
    for (int i = 0; i < 300; ++i)
        Visit();
    EXPECT_EQ(shows, 300);
    EXPECT_TRUE(app::FormOpener.FormRegistry.empty());
    EXPECT_EQ(app::FormOpener.ReleasableRegistry.size(), 1u);
    EXPECT_TRUE(caller->isVisible());
    EXPECT_EQ(reg.Open["PARTNER.DB"], 1);
}

TEST_F(FormOpenerTest, TheCallerComesBackThroughItsStatesInTurn) {
    int activations = 0;
    caller->OnActivate = [&](fw::Component&) { ++activations; };
    Visit();
    EXPECT_EQ(fw::TagState(*caller), 2);
    EXPECT_EQ(activations, 0);
    Visit();
    EXPECT_EQ(fw::TagState(*caller), 4);
    EXPECT_EQ(activations, 1);
    Visit();
    EXPECT_EQ(fw::TagState(*caller), 2);
    EXPECT_EQ(activations, 1);
}

TEST_F(FormOpenerTest, AFailingShowBringsTheCallerBackAndSaysWhy) {
    app::OpenForm<DataForm>(Podaci, caller.get(), [](DataForm& f) {
        f.OnShow = [](fw::Component&) { throw base::Exception("Kvar"); };
    });
    EXPECT_FALSE(Podaci->isVisible());
    EXPECT_TRUE(caller->isVisible());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Kvar"}));
    EXPECT_EQ(recorder.Beeps, (std::vector<unsigned>{0}));
}

TEST_F(FormOpenerTest, ACancelInTheShowIsSilent) {
    app::OpenForm<DataForm>(Podaci, caller.get(),
                            [](DataForm& f) { f.OnShow = [](fw::Component&) { base::RaiseCancel(); }; });
    EXPECT_TRUE(caller->isVisible());
    EXPECT_TRUE(Shown().empty());
}

TEST_F(FormOpenerTest, ATableThatCannotOpenKeepsTheFormHidden) {
    kit::KitTableServices.CheckTablesOf = [](const std::string&, const std::string&, bool) {};
    app::OpenForm<DataForm>(Podaci, caller.get(), [](DataForm& f) { f.tPartner->SetTableName("NEMA.DB"); });
    ASSERT_NE(Podaci, nullptr);
    EXPECT_FALSE(Podaci->isVisible());
    EXPECT_TRUE(caller->isVisible());
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].find("NEMA"), std::string::npos) << Shown()[0];
    EXPECT_TRUE(app::FormOpener.FormRegistry.empty());
    EXPECT_EQ(reg.Open["NEMA.DB"], 0);
}

TEST_F(FormOpenerTest, CancellingTheTableOpeningShowsNothingAndBringsTheCallerBack) {
    MakeTable("Global", "ROBA.DB");
    bool shown = false;
    app::OpenForm<DataForm>(Podaci, caller.get(), [&](DataForm& f) {
        f.OnShow = [&](fw::Component&) {
            shown = true;
            Later([&f] { Key(f, Qt::Key_Escape); });
        };
        // The tables open from the last one: the user cancels while the first of them opens.
        auto* roba = new kit::TMyTable(&f);
        roba->SetDatabaseName("Global");
        roba->SetTableName("ROBA.DB");
        roba->AfterOpen = [](fw::TDataSet&) { app::Progress.CancelRequested = true; };
    });
    EXPECT_FALSE(shown);
    EXPECT_FALSE(Podaci->isVisible());
    EXPECT_TRUE(caller->isVisible());
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(app::FormOpener.FormRegistry.empty());
}

TEST_F(FormOpenerTest, LoadModeZeroFreesTheFormAfterItsVisit) {
    app::Settings.CommonSettings.Resources.LoadMode = 0;
    Visit();
    EXPECT_EQ(Podaci, nullptr);
    EXPECT_TRUE(app::FormOpener.ReleasableRegistry.empty());
    EXPECT_TRUE(caller->isVisible());
}

TEST_F(FormOpenerTest, AnOpenModelessFormIsBroughtForwardNotOpenedAgain) {
    app::Settings.CommonSettings.Resources.LoadMode = 2;
    app::OpenForm<DataForm>(Podaci, caller.get());
    ASSERT_TRUE(Podaci && Podaci->isVisible());
    EXPECT_TRUE(caller->isVisible());
    ASSERT_EQ(app::FormOpener.FormRegistry.size(), 1u);
    app::OpenForm<DataForm>(Podaci, caller.get());
    EXPECT_EQ(app::FormOpener.FormRegistry.size(), 1u);
    EXPECT_TRUE(Podaci->isVisible());
    // Closing releases it.
    Podaci->Close();
    EXPECT_TRUE(app::FormOpener.FormRegistry.empty());
    EXPECT_EQ(app::FormOpener.ReleasableRegistry.size(), 1u);
    // Shown again, it is no longer releasable.
    app::OpenForm<DataForm>(Podaci, caller.get());
    EXPECT_TRUE(app::FormOpener.ReleasableRegistry.empty());
    Podaci->Close();
}

TEST_F(FormOpenerTest, ACallerOpeningAnotherFormClosesTheOneItOpenedBefore) {
    app::Settings.CommonSettings.Resources.LoadMode = 2;
    app::OpenForm<DataForm>(Podaci, caller.get());
    app::OpenForm<DataForm>(Drugi, Podaci);
    ASSERT_TRUE(Drugi->isVisible());
    ASSERT_EQ(app::FormOpener.FormRegistry.size(), 2u);
    EXPECT_EQ(app::FormOpener.FormRegistry[0].CompanionForm.Get(), Drugi);
    app::OpenForm<DataForm>(Treci, Podaci);
    EXPECT_FALSE(Drugi->isVisible());
    EXPECT_TRUE(Treci->isVisible());
    ASSERT_EQ(app::FormOpener.FormRegistry.size(), 2u);
    EXPECT_EQ(app::FormOpener.FormRegistry[1].Form.Get(), Treci);
    EXPECT_EQ(app::FormOpener.FormRegistry[0].CompanionForm.Get(), Treci);
    Treci->Close();
    EXPECT_EQ(app::FormOpener.FormRegistry[0].CompanionForm.Get(), nullptr);
    Podaci->Close();
    EXPECT_TRUE(app::FormOpener.FormRegistry.empty());
}

TEST_F(FormOpenerTest, AHiddenOpenFormBeeps) {
    app::Settings.CommonSettings.Resources.LoadMode = 2;
    app::OpenForm<DataForm>(Podaci, caller.get());
    Podaci->setVisible(false);
    recorder.Beeps.clear();
    app::OpenForm<DataForm>(Podaci, caller.get());
    EXPECT_EQ(recorder.Beeps, (std::vector<unsigned>{0}));
    EXPECT_FALSE(Podaci->isVisible());
}

TEST_F(FormOpenerTest, AFormThatCannotShowBesideAnotherHidesItAndShowsItAgainAfterwards) {
    app::Settings.CommonSettings.Resources.LoadMode = 2;
    app::OpenForm<DataForm>(Podaci, caller.get());
    ASSERT_TRUE(Podaci->isVisible());
    int activations = 0;
    Podaci->OnActivate = [&](fw::Component&) { ++activations; };
    app::OpenForm<DataForm>(Drugi, caller.get(), [](DataForm& f) {
        f.OnShow = [](fw::Component&) {
            if (Podaci->isVisible()) throw base::Exception("Nema mjesta");
        };
    });
    ASSERT_TRUE(Drugi->isVisible());
    EXPECT_FALSE(Podaci->isVisible());
    EXPECT_EQ(fw::TagState(*Podaci), 2);
    EXPECT_TRUE(Shown().empty()) << "the show succeeded in the end";
    Drugi->Close();
    EXPECT_TRUE(Podaci->isVisible());
    EXPECT_EQ(fw::TagState(*Podaci), 4);
    EXPECT_EQ(activations, 1);
    Podaci->Close();
}

TEST_F(FormOpenerTest, AKitFormRunsItsOnCloseAfterHidingAPlainFormBefore) {
    app::Settings.CommonSettings.Resources.LoadMode = 2;
    std::unique_ptr<fw::Form> plain(fw::CreateForm<fw::Form>(nullptr));
    bool plainVisibleInOnClose = false, kitVisibleInOnClose = true;
    plain->OnClose = [&](fw::Component&, fw::CloseAction&) { plainVisibleInOnClose = plain->isVisible(); };
    fwtest::ShowActive(*plain);
    plain->Close();
    app::OpenForm<DataForm>(Podaci, caller.get());
    Podaci->OnClose = [&](fw::Component&, fw::CloseAction&) { kitVisibleInOnClose = Podaci->isVisible(); };
    Podaci->Close();
    EXPECT_TRUE(plainVisibleInOnClose);
    EXPECT_FALSE(kitVisibleInOnClose);
}

TEST_F(FormOpenerTest, AFailedCreationFreesAReleasedFormAndTriesAgain) {
    Visit();
    ASSERT_NE(Podaci, nullptr);
    FailingForm::failures = 1;
    app::Settings.CommonSettings.Resources.LoadMode = 2;
    app::OpenForm<FailingForm>(Neuspjeh, caller.get());
    EXPECT_EQ(Podaci, nullptr) << "the released form was freed";
    ASSERT_NE(Neuspjeh, nullptr);
    EXPECT_TRUE(Neuspjeh->isVisible());
    EXPECT_TRUE(Shown().empty());
    Neuspjeh->Close();
}

TEST_F(FormOpenerTest, ACreationThatKeepsFailingIsReportedAndTheCallerStays) {
    FailingForm::failures = 2;
    app::OpenForm<FailingForm>(Neuspjeh, caller.get());
    EXPECT_EQ(Neuspjeh, nullptr);
    EXPECT_TRUE(caller->isVisible());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Nema resursa"}));
    FailingForm::failures = 0;
}

} // namespace
} // namespace kittest
