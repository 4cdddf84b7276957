#include "registers/Openers.h"
#include "registers/PlainRegisters.h"
#include "tests/registers/RegisterFixture.h"

namespace regtest {
namespace {

using registers::PlainForms;

struct PlainCase {
    void (*Opener)(fw::Form*);
    registers::TCodeListForm* (*Form)();
    const char* Table;
    const char* Key;
    const char* Caption;
    const char* Noun;
    bool HasName;
};
// Listings name a case by its table, not by its bytes.
void PrintTo(const PlainCase& c, std::ostream* os) {
    *os << c.Table;
}

template <class T> registers::TCodeListForm* Of(T* form) {
    return form;
}

const PlainCase plainCases[] = {
    {registers::PrikaziGovore, [] { return Of(PlainForms.SifarnikGovora); }, "GOVOR.DB", "Sifra",
     "Šifarnik govornih područja (jezika)", "Govor", true},
    {registers::PrikaziDjelatnosti, [] { return Of(PlainForms.SifarnikDjelatnosti); }, "DJELATNO.DB", "Sifra",
     "Šifarnik djelatnosti", "Djelatnost", true},
    {registers::PrikaziVrsteArtikala, [] { return Of(PlainForms.SifarnikVrstaArtikli); }, "VRSTE.DB", "Sifra",
     "Šifarnik vrsta artikli (proizvoda)", "Vrsta", true},
    {registers::PrikaziGrupeAmortizacije, [] { return Of(PlainForms.SifarnikGrupaAmortizacije); },
     "GR_AMORT.DB", "Sifra", "Šifarnik grupa amortizacije", "Grupa", true},
    {registers::PrikaziGrupeRevalorizacije, [] { return Of(PlainForms.SifarnikGrupaRevalorizacije); },
     "GR_REVAL.DB", "Sifra", "Šifarnik grupa revalorizacije", "Grupa", true},
    {registers::PrikaziJedinice, [] { return Of(PlainForms.SifarnikJedinica); }, "JEDINICE.DB", "Sifra",
     "Jedinice mjera", "Jedinica", false},
    {registers::PrikaziZemlje, [] { return Of(PlainForms.SifarnikZemalja); }, "ZEMLJA.DB", "Sifra",
     "Šifarnik zemalja", "Zemlja", false},
    {registers::PrikaziPoste, [] { return Of(PlainForms.SifarnikPosti); }, "POSTA.DB", "Sifra",
     "Šifarnik pošti", "Pošta", false},
    {registers::PrikaziZiroRacune, [] { return Of(PlainForms.SifarnikZiroRn); }, "ZIRO_RN.DB", "Sifra",
     "Šifarnik žiro-računa", "Žiro-račun", true},
    {registers::PrikaziValute, [] { return Of(PlainForms.SifarnikValuta); }, "VALUTA.DB", "Sifra",
     "Šifarnik valuta", "Valuta", true},
    {registers::PrikaziGrupePoreza, [] { return Of(PlainForms.SifarnikGrupaPoreza); }, "T_POREZA.DB",
     "Tarifa", "Šifarnik tarifnih grupa poreza", "Tarifa", true},
    {registers::PrikaziGrupeCarine, [] { return Of(PlainForms.SifarnikGrupaCarine); }, "T_CARINE.DB",
     "Tarifa", "Šifarnik tarifnih grupa carine", "Tarifa", true},
};

class PlainRegisterTest : public RegisterTest, public ::testing::WithParamInterface<PlainCase> {};

// One visit by keys: the first code from an empty register, a second one, a search, a rename and a delete.
TEST_P(PlainRegisterTest, CodesAreCreatedFoundRenamedAndDeletedByKeys) {
    const PlainCase& c = GetParam();
    c.Opener(caller.get());
    registers::TCodeListForm* form = Track(c.Form());
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), c.Caption);
    EXPECT_EQ(form->ZapisiButton->Caption(), c.Noun);
    EXPECT_EQ(form->Caller, caller.get());
    EXPECT_EQ(form->BrowseTable, form->tTable);
    EXPECT_EQ(ActiveName(*form), "gTable");
    auto rows = [&] {
        return Rows("Global", c.Table,
                    c.HasName ? std::vector<std::string>{c.Key, "Naziv"} : std::vector<std::string>{c.Key},
                    c.Key);
    };
    auto add = [&](const QString& code, const QString& name) {
        dialogs.Answer(true);
        Type(*form, code);
        Press(*form, Qt::Key_Return);
        if (c.HasName) {
            dynamic_cast<fw::Control*>(form->FindComponent("eNaziv"))->SetFocus();
            Type(*form, name);
        }
        Press(*form, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(ActiveName(*form), "ZapisiButton");
        Press(*form, Qt::Key_Return);
        EXPECT_EQ(ActiveName(*form), "eSifra") << "the save appends a record and waits for its code";
    };

    // Save on the empty register appends the first record and goes to the key edit.
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*form), "eSifra");
    add("B2", "Beta");
    add("A1", "Alfa");
    const std::vector<std::string> created =
        c.HasName ? std::vector<std::string>{"A1|Alfa", "B2|Beta"} : std::vector<std::string>{"A1", "B2"};
    EXPECT_EQ(rows(), created);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo B2", "Novo A1"}));

    // A code that exists is found without a question.
    Type(*form, "b2");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(form->tTable->FieldByName(c.Key).AsString(), "B2");
    EXPECT_EQ(Asked().size(), 2u);

    // Renamed: creation declined, the change accepted.
    form->eSifra->SetFocus();
    dialogs.Answer(false);
    dialogs.Answer(true);
    Type(*form, "C3");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Asked().back(), "Staro B2>C3");
    EXPECT_EQ(rows(), c.HasName ? std::vector<std::string>({"A1|Alfa", "C3|Beta"})
                                : std::vector<std::string>({"A1", "C3"}));

    // Deleted by Ctrl+Del after the question.
    form->eSifra->SetFocus();
    dialogs.Answer(true);
    Press(*form, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Asked().back(), "Brisi C3");
    EXPECT_EQ(rows(), c.HasName ? std::vector<std::string>({"A1|Alfa"}) : std::vector<std::string>({"A1"}));

    // Esc closes the form and brings the caller back.
    Press(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(caller->isVisible());
}

// Enter after a created code goes through the record's own fields, in order, to the save button; the grid
// is not on the way.
TEST_P(PlainRegisterTest, EnterAfterTheCodeWalksEveryFieldOfTheRecordToTheSaveButton) {
    const PlainCase& c = GetParam();
    c.Opener(caller.get());
    registers::TCodeListForm* form = Track(c.Form());
    ASSERT_NE(form, nullptr);
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*form), "eSifra");
    dialogs.Answer(true);
    Type(*form, "B2");
    std::vector<std::string> visited;
    for (int i = 0; i < 40 && ActiveName(*form) != "ZapisiButton"; ++i) {
        Press(*form, Qt::Key_Return);
        visited.push_back(ActiveName(*form));
    }
    EXPECT_EQ(ActiveName(*form), "ZapisiButton") << ::testing::PrintToString(visited);
    std::vector<fw::Control*> all;
    form->GetTabOrderList(all);
    std::vector<std::string> fields;
    for (fw::Control* control : all)
        if (control != form->eSifra && control->TabStop() && control->CanFocus() && !control->HasChildren() &&
            !dynamic_cast<fw::Grid*>(control) && !dynamic_cast<fw::Button*>(control))
            fields.push_back(control->Name());
    EXPECT_EQ(std::vector<std::string>(visited.begin(), visited.end() - 1), fields)
        << "every field once, in the form's reading order, and no grid";
    EXPECT_EQ(Rows("Global", c.Table, {c.Key}, c.Key), (std::vector<std::string>{"B2"}));
}

INSTANTIATE_TEST_SUITE_P(Registers, PlainRegisterTest, ::testing::ValuesIn(plainCases),
                         [](const ::testing::TestParamInfo<PlainCase>& info) {
                             std::string name = info.param.Table;
                             name = name.substr(0, name.find('.'));
                             std::erase(name, '_');
                             return name;
                         });

} // namespace
} // namespace regtest

namespace regtest {
namespace {

// F2 on a lookup opens the looked-up register as a picker on the lookup's code; the code chosen there is
// written back into the lookup when the picker closes, and the lookup's Enter settles it into the record.
TEST_F(RegisterTest, APickerWritesTheChosenCodeBackIntoTheCallersLookup) {
    registers::InstallCodeListOpeners();
    Add("Global", "GOVOR.DB", {"Sifra", "Naziv"},
        {{"EN", "Engleski"}, {"HR", "Hrvatski"}, {"DE", "Njemački"}});
    Add("Global", "ZEMLJA.DB", {"Sifra", "Govor"}, {{"HRVATSKA", "2"}});
    registers::PrikaziZemlje(caller.get());
    registers::TSifarnikZemalja* zemlje = Track(PlainForms.SifarnikZemalja);
    ASSERT_NE(zemlje, nullptr);
    ASSERT_EQ(zemlje->Lookups.size(), 1u);
    kit::LookupControl& cGovor = *zemlje->Lookups[0];
    EXPECT_EQ(cGovor.Text(), "HR");

    cGovor.SetFocus();
    Press(*zemlje, Qt::Key_F2);
    registers::TSifarnikGovora* govor = Track(PlainForms.SifarnikGovora);
    ASSERT_NE(govor, nullptr);
    ASSERT_TRUE(govor->isVisible());
    EXPECT_EQ(govor->Caller, zemlje);
    EXPECT_EQ(govor->tTable->FieldByName("Sifra").AsString(), "HR")
        << "the picker starts on the caller's code";
    EXPECT_EQ(ActiveName(*govor), "gTable");

    // Up in the grid (DE, EN, HR by code), then Esc: the chosen code goes into the lookup, selected whole.
    Press(*govor, Qt::Key_Up);
    EXPECT_EQ(govor->tTable->FieldByName("Sifra").AsString(), "EN");
    Press(*govor, Qt::Key_Escape);
    EXPECT_FALSE(govor->isVisible());
    EXPECT_EQ(cGovor.Text(), "EN");
    EXPECT_EQ(cGovor.selectedText().toStdString(), "EN");
    Press(*zemlje, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "ZEMLJA.DB", {"Sifra", "Govor"}), (std::vector<std::string>{"HRVATSKA|1"}));
}

// A picker started from a caller's typed text searches its first 40 characters, then the nearest code.
TEST_F(RegisterTest, APickerStartsOnTheNearestCodeToTheCallersText) {
    Add("Global", "DJELATNO.DB", {"Sifra", "Naziv"}, {{"AA", "x"}, {"ABC", "y"}, {"B", "z"}});
    caller->eNaziv->SetFocus();
    const struct {
        std::string Typed;
        std::string Expected;
    } cases[] = {{"", "AA"}, {"ab", "ABC"}, {"ABC", "ABC"}, {"AZ", "B"}, {"ABC" + std::string(40, 'Z'), "B"}};
    for (const auto& c : cases) {
        caller->eNaziv->SetText(c.Typed);
        registers::PrikaziDjelatnosti(caller.get());
        registers::TSifarnikDjelatnosti* form = PlainForms.SifarnikDjelatnosti;
        ASSERT_NE(form, nullptr);
        if (opened.empty()) Track(form);
        EXPECT_EQ(form->tTable->FieldByName("Sifra").AsString(), c.Expected) << c.Typed;
        EXPECT_EQ(base::CharCount(form->CallerText()), std::min<std::size_t>(c.Typed.size(), 40));
        form->Close();
        EXPECT_EQ(caller->eNaziv->Text(), c.Typed) << "nothing is written back into a plain edit";
    }
}

} // namespace
} // namespace regtest
