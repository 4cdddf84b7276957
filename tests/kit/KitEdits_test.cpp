#include "tests/kit/DataFormFixture.h"

namespace kittest {
namespace {

class KitEditTest : public DataFormTest {
protected:
    KitEditTest() {
        Fill({{"A1", "Prvi", 250, "D"}, {"A2", "", 300, "K"}, {"A3", "Treći", 200, ""}});
        Show();
    }
    // Records each OnExitChanged call: the edit's field text and the kit values at that moment.
    void Watch(kit::TKitEdit& edit, const char* field, bool refuse = false) {
        edit.OnExitChanged = [this, field, refuse](fw::Component&) {
            calls.push_back(F(field) + "|" + (kit::Kit.ValueUnchanged ? "same" : "changed") + "|" +
                            kit::Kit.OldText);
            if (refuse) throw base::Exception("refused");
        };
    }
    std::vector<std::string> calls;
};

TEST_F(KitEditTest, TypedTextStaysInTheEditUntilItIsLeft) {
    // Enter on an untouched edit writes nothing and moves on.
    Watch(*form->eSifra, "Sifra");
    Press(Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), form->eCijena) << "the locked name edit is passed over";
    EXPECT_TRUE(calls.empty());
    // Typing puts the record into edit through the link; the field gets the text only when the edit is left.
    form->eSifra->SetFocus();
    Type("B7");
    EXPECT_EQ(T().State(), fw::dsEdit);
    EXPECT_EQ(F("Sifra"), "A1");
    EXPECT_TRUE(form->eSifra->Modified());
    Press(Qt::Key_Tab);
    EXPECT_EQ(F("Sifra"), "B7") << "a focus change writes through the link";
    EXPECT_TRUE(calls.empty()) << "only a leave by key runs OnExitChanged";
    // Enter after an edit: the handler sees the new text in the field, the old one in OldText.
    form->eSifra->SetFocus();
    Type("C9");
    Press(Qt::Key_Return);
    EXPECT_EQ(calls, (std::vector<std::string>{"C9|changed|B7"}));
    EXPECT_EQ(form->ActiveControl(), form->eCijena);
    // Typed and typed back: the handler runs with the value unchanged and nothing is written.
    form->eSifra->SetFocus();
    Type("X");
    Press(Qt::Key_Backspace);
    Type("C9");
    Press(Qt::Key_Return);
    EXPECT_EQ(calls.back(), "C9|same|C9");
    // Escape before leaving shows the field's value again.
    form->eSifra->SetFocus();
    Type("ZZ");
    std::uint8_t esc = 27;
    form->eSifra->KeyPress(esc);
    EXPECT_EQ(form->eSifra->Text(), "C9");
}

TEST_F(KitEditTest, ARefusedValueRollsTheRecordBackAndKeepsTheFocus) {
    Watch(*form->eSifra, "Sifra", true);
    Type("Q1");
    Press(Qt::Key_Return);
    EXPECT_EQ(calls, (std::vector<std::string>{"Q1|changed|A1"}));
    EXPECT_EQ(form->ActiveControl(), form->eSifra);
    EXPECT_EQ(form->eSifra->Text(), "A1");
    EXPECT_EQ(form->eSifra->SelLength(), 2) << "the whole text is selected for a new try";
    EXPECT_EQ(T().State(), fw::dsBrowse) << "the entry text is posted back";
    EXPECT_EQ(F("Sifra"), "A1");
    EXPECT_EQ(kit::Kit.OldText, "A1");
    EXPECT_TRUE(recorder.Messages.empty()) << "the edit shows nothing of its own";
    // A new visit has begun: Enter without a change moves on.
    Press(Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), form->eCijena);
    // Refused with the text unchanged: the record is cancelled, and Enter stays.
    form->eSifra->SetFocus();
    Type("A");
    Press(Qt::Key_Backspace);
    Type("A1");
    Press(Qt::Key_Return);
    EXPECT_EQ(calls.back(), "A1|same|A1");
    EXPECT_EQ(form->ActiveControl(), form->eSifra);
    EXPECT_EQ(T().State(), fw::dsBrowse);
}

TEST_F(KitEditTest, ATextTheFieldRefusesCanBeCorrectedInPlace) {
    form->eCijena->SetFocus();
    form->eCijena->OnExitChanged = [](fw::Component&) {};
    Type("1,2,3");
    Press(Qt::Key_Return);
    EXPECT_EQ(recorder.Messages.size() + dialogs.Texts().size(), 1u) << "the field's error is shown";
    std::vector<std::string> told = recorder.Messages;
    for (const std::string& t : dialogs.Texts())
        told.push_back(t);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], "'1,2,3' nije ispravan broj") << "in the words of the other field errors";
    EXPECT_EQ(form->ActiveControl(), form->eCijena);
    EXPECT_TRUE(form->eCijena->Entered) << "still entered: typing goes on";
    Press(Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->eCijena) << "the link refuses to leave with that text";
    EXPECT_EQ(form->eCijena->SelLength(), 5) << "and selects it";
    Type("12*2");
    Press(Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), form->eRabat);
    EXPECT_DOUBLE_EQ(Num("Cijena"), 24);
    // Without a leave handler the field takes the text when Enter leaves; refused, typing still goes on.
    form->eCijena->OnExitChanged = nullptr;
    form->eCijena->SetFocus();
    Type("4,5,6");
    Press(Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), form->eCijena);
    EXPECT_TRUE(form->eCijena->Entered);
    Type("7");
    EXPECT_EQ(form->eCijena->Text(), "7");
    Press(Qt::Key_Return);
    EXPECT_EQ(form->ActiveControl(), form->eRabat);
    EXPECT_DOUBLE_EQ(Num("Cijena"), 7);
}

TEST_F(KitEditTest, ArrowsLeaveAnEmptyEditAndPageKeysBrowseTheTable) {
    form->BrowseTable = form->tArtikl;
    Press(Qt::Key_Right);
    EXPECT_EQ(form->ActiveControl(), form->eSifra) << "with text the arrows move the caret";
    Press(Qt::Key_Down);
    EXPECT_EQ(form->ActiveControl(), form->eCijena);
    Press(Qt::Key_Up);
    EXPECT_EQ(form->ActiveControl(), form->eSifra);
    Press(Qt::Key_Delete);
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Left);
    EXPECT_NE(form->ActiveControl(), form->eSifra) << "an empty edit is left by Left";
    T().Cancel();
    // PgDn writes the edited text, moves to the next record and starts a new visit there.
    form->eSifra->SetFocus();
    Watch(*form->eSifra, "Sifra");
    Type("N1");
    Press(Qt::Key_PageDown);
    EXPECT_EQ(calls, (std::vector<std::string>{"N1|changed|A1"}));
    EXPECT_EQ(form->ActiveControl(), form->eSifra);
    EXPECT_EQ(form->eSifra->Text(), "A2");
    EXPECT_EQ(form->eSifra->EntryText, "A2");
    Press(Qt::Key_PageUp);
    EXPECT_EQ(form->eSifra->Text(), "N1") << "the first record kept the new text";
    Press(Qt::Key_PageUp);
    EXPECT_EQ(form->eSifra->Text(), "N1") << "PgUp on the first record stays";
    EXPECT_TRUE(form->eSifra->Entered);
}

TEST_F(KitEditTest, TheNameEditOpensOnlyForARecordWithoutAName) {
    kit::TDBName& name = *form->eNaziv;
    EXPECT_EQ(name.Tag(), kit::NameEditTag);
    EXPECT_FALSE(name.TabStop()) << "\"Prvi\" is there";
    EXPECT_EQ(name.Color(), fw::FromQColor(fw::ToQColor(fw::clBtnFace)));
    T().Next();
    EXPECT_TRUE(name.TabStop()) << "the second record has no name";
    EXPECT_EQ(name.Color(), fw::FromQColor(fw::ToQColor(fw::clWindow)));
    T().Append();
    EXPECT_FALSE(name.TabStop()) << "an empty name on a new record still locks";
    T().Cancel();
    // The name can be typed while it is open.
    T().First();
    T().Next();
    name.SetFocus();
    Type("Drugi");
    Press(Qt::Key_Return);
    EXPECT_EQ(F("Naziv"), "Drugi");
}

TEST_F(KitEditTest, TheDetailNameEditOpensOnANewRecordWhoseMasterHasItsKey) {
    // The form's own table is the master here; a detail on the same rows follows its "Naziv".
    fw::TTable detail;
    Setup(detail, "Global", "ARTIKL.DB");
    detail.SetIndexFieldNames("Naziv");
    detail.SetMasterSource(&form->sArtikl);
    detail.SetMasterFields("Naziv");
    detail.Open();
    fw::TDataSource source(&detail);
    auto* name = new kit::TDBName2(form.get(), form.get());
    name->SetDataSource(&source);
    name->SetDataField("Sifra");
    name->Loaded();
    EXPECT_FALSE(name->TabStop()) << "\"A1\" is there";
    detail.Append();
    EXPECT_TRUE(name->TabStop()) << "the master's \"Prvi\" keys the new record";
    detail.Cancel();
    T().Next();
    detail.Append();
    EXPECT_FALSE(name->TabStop()) << "the master's name is empty";
    detail.Cancel();
    name->SetDataSource(nullptr);
}

class PercentEditTest : public DataFormTest {
protected:
    PercentEditTest() {
        app::SetRoundingPrecision1(2);
        Fill({{"P1", "Prvi", 250, ""}, {"P2", "Drugi", 300, ""}});
        Show();
    }
};

TEST_F(PercentEditTest, PercentageAndAmountComputeEachOther) {
    // 8 % of 250 is 20.00.
    form->eRabat->SetFocus();
    Type("8");
    Press(Qt::Key_Return);
    EXPECT_DOUBLE_EQ(Num("Rabat"), 8);
    EXPECT_DOUBLE_EQ(Num("Iznos"), 20);
    EXPECT_EQ(form->ActiveControl(), form->eIznos);
    // 100 of 300 is 33.333 %: the fewest decimals that give the amount back.
    form->eSifra->SetFocus();
    T().Next();
    form->eIznos->SetFocus();
    Type("100");
    Press(Qt::Key_Return);
    EXPECT_DOUBLE_EQ(Num("Iznos"), 100);
    EXPECT_DOUBLE_EQ(Num("Rabat"), 33.333);
    // Left with Tab after a change: the value is written, the result is not computed again.
    form->eRabat->SetFocus();
    Type("10");
    Press(Qt::Key_Tab);
    EXPECT_DOUBLE_EQ(Num("Rabat"), 10);
    EXPECT_DOUBLE_EQ(Num("Iznos"), 100);
}

TEST_F(PercentEditTest, ARefusalRestoresTheValueAndTheResult) {
    form->eRabat->SetFocus();
    Type("8");
    Press(Qt::Key_Return);
    form->eRabat->SetFocus();
    double seen = 0;
    form->eRabat->OnExitChanged = [&](fw::Component&) {
        seen = Num("Iznos");
        throw base::Exception("ne");
    };
    Type("50");
    Press(Qt::Key_Return);
    EXPECT_DOUBLE_EQ(seen, 125) << "the handler sees the new result";
    EXPECT_EQ(form->ActiveControl(), form->eRabat);
    EXPECT_EQ(T().State(), fw::dsBrowse);
    EXPECT_DOUBLE_EQ(Num("Rabat"), 8);
    EXPECT_DOUBLE_EQ(Num("Iznos"), 20);
}

class CheckerTest : public DataFormTest {
protected:
    CheckerTest() {
        Fill({{"C1", "a", 1, "da"}, {"C2", "b", 1, "K"}, {"C3", "c", 1, "X"}, {"C4", "d", 1, ""}});
        Show();
        form->cAktivan->OnChange = [this](fw::Component&) { ++changes; };
    }
    // Closing the form changes the box once more: close it while the counter still exists.
    ~CheckerTest() override { form.reset(); }
    std::pair<fw::CheckBoxState, fw::TColor> Shown() const {
        return {form->cAktivan->State(), form->cAktivan->FontColor()};
    }
    int changes = 0;
};

TEST_F(CheckerTest, ShowsEachValueByStateAndColour) {
    using S = fw::CheckBoxState;
    EXPECT_EQ(Shown(), std::make_pair(S::cbGrayed, fw::clRed)) << "unknown while the form opened its tables";
    T().First();
    const std::vector<std::pair<S, fw::TColor>> expected{{S::cbChecked, fw::clNavy},
                                                         {S::cbUnchecked, fw::clMaroon},
                                                         {S::cbGrayed, fw::clRed},
                                                         {S::cbUnchecked, fw::clMaroon}};
    for (std::size_t i = 0; i < expected.size(); ++i, T().Next())
        EXPECT_EQ(Shown(), expected[i]) << "row " << i + 1;
    EXPECT_EQ(changes, 4) << "one change per different state";
}

TEST_F(CheckerTest, AToggleWritesTheFirstWordWhenTheBoxIsLeft) {
    T().Next();
    T().Next();
    changes = 0;
    form->cAktivan->SetFocus();
    Press(Qt::Key_Space);
    EXPECT_EQ(Shown(), std::make_pair(fw::CheckBoxState::cbChecked, fw::clNavy)) << "grayed goes to checked";
    EXPECT_EQ(F("Aktivan"), "X") << "written only when the record is updated";
    Press(Qt::Key_Tab);
    EXPECT_EQ(F("Aktivan"), "D");
    form->cAktivan->SetFocus();
    Press(Qt::Key_Space);
    T().Post();
    EXPECT_EQ(F("Aktivan"), "K");
    EXPECT_EQ(changes, 4) << "each toggle and each write";
    // A record that cannot be edited ignores the toggle.
    form->tArtikl->ReadOnly = true;
    form->cAktivan->SetFocus();
    Press(Qt::Key_Space);
    EXPECT_EQ(Shown(), std::make_pair(fw::CheckBoxState::cbUnchecked, fw::clMaroon));
    form->tArtikl->ReadOnly = false;
}

TEST_F(CheckerTest, AFailingWriteKeepsTheFocus) {
    form->cAktivan->SetFocus();
    Press(Qt::Key_Space);
    form->tArtikl->FieldByName("Aktivan").OnValidate = [](fw::TField&) { throw base::Exception("ne može"); };
    Press(Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->cAktivan);
    form->tArtikl->FieldByName("Aktivan").OnValidate = nullptr;
    Press(Qt::Key_Tab);
    EXPECT_NE(form->ActiveControl(), form->cAktivan);
    EXPECT_EQ(F("Aktivan"), "K");
}

} // namespace
} // namespace kittest
