#include "registers/OwnedKey.h"
#include "registers/Pakiranja.h"
#include "tests/registers/RegisterFixture.h"

namespace regtest {
namespace {

using registers::Pakiranja;

class PackingTest : public RegisterTest {
protected:
    PackingTest() {
        Add("Global", "GOVOR.DB", {"Sifra", "Naziv"},
            {{"HR", "Hrvatski"}, {"EN", "Engleski"}, {"DE", "Njemački"}});
        Add("Global", "JEDINICE.DB", {"Sifra"}, {{"KOM"}, {"M"}});
        Add("Global", "PAKUNG.DB", {"Jedinica", "Sifra"}, {{"1", "KUTIJA"}});
        Add("Global", "ATOMI.DB", {"Pakung", "Kolicina"}, {{"1", "10"}});
    }
};

// The packing modes open on the unit given to the opener; a new one is made by keys under that unit and
// found again by the caller's text.
TEST_F(PackingTest, PackingModesBelongToTheUnitShown) {
    registers::PrikaziPakiranja(caller.get(), 2);
    registers::TSifarnikPakiranja* form = Track(Pakiranja.SifarnikPakiranja);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), "Šifarnik načina pakiranja proizvoda");
    EXPECT_EQ(form->tMain->FieldByName("Sifra").AsString(), "M");
    EXPECT_EQ(form->tTable->RecordCount(), 0);

    form->eSifra->SetFocus();
    dialogs.Answer(true);
    Type(*form, "pak10");
    Press(*form, Qt::Key_Return);
    dynamic_cast<fw::Control*>(form->FindComponent("eMinKolicina"))->SetFocus();
    Type(*form, "10");
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "PAKUNG.DB", {"Jedinica", "Sifra", "MinKolicina"}, "Jedinica;Sifra"),
              (std::vector<std::string>{"1|KUTIJA|", "2|PAK10|10"}));
    Press(*form, Qt::Key_Escape);

    // Opened on the other unit from a caller that typed "ku": its packing mode is found.
    caller->eNaziv->SetFocus();
    caller->eNaziv->SetText("ku");
    registers::PrikaziPakiranja(caller.get(), 1);
    EXPECT_EQ(form->tMain->FieldByName("Sifra").AsString(), "KOM");
    EXPECT_EQ(form->tTable->FieldByName("Sifra").AsString(), "KUTIJA");
}

struct LabelCase {
    void (*Opener)(fw::Form*);
    registers::TLabelList* (*Form)();
    const char* Caption;
    const char* Code; // the labelled row, found by its key
    const char* Table;
    const char* Link;
    const char* LinkValue;
};
void PrintTo(const LabelCase& c, std::ostream* os) {
    *os << c.Table;
}

const LabelCase labelCases[] = {
    {registers::PrikaziMjere, [] { return static_cast<registers::TLabelList*>(Pakiranja.SifarnikMjera); },
     "Oznake za jedinice mjera", "M", "MJERE.DB", "Jedinica", "2"},
    {registers::PrikaziImenaPakiranja,
     [] { return static_cast<registers::TLabelList*>(Pakiranja.SifarnikImenaPakiranja); },
     "Oznake za načine pakiranja", "KUTIJA", "IME_PAK.DB", "Pakung", "1"},
    {registers::PrikaziImenaAtoma,
     [] { return static_cast<registers::TLabelList*>(Pakiranja.SifarnikImenaAtoma); },
     "Oznake za načine pakiranja", "10", "IME_ATOM.DB", "Pakung", "1"},
};

class LabelTest : public PackingTest, public ::testing::WithParamInterface<LabelCase> {};

// A label per language: each save posts the label and moves to the next language, the last one to the
// languages' grid; the grid shows the labels; a changed label is written when its edit is left by Enter.
TEST_P(LabelTest, LabelsAreTypedLanguageAfterLanguage) {
    const LabelCase& c = GetParam();
    c.Opener(caller.get());
    registers::TLabelList* form = Track(c.Form());
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), c.Caption);
    form->eSifra->SetFocus();
    Type(*form, c.Code);
    Press(*form, Qt::Key_Return);
    ASSERT_EQ(form->eSifra->Field()->AsString(), c.Code);
    EXPECT_TRUE(Asked().empty());

    form->tGovor->First();
    form->eNaziv->SetFocus();
    for (const char* label : {"Prvi", "Second", "Dritte"}) {
        ASSERT_EQ(ActiveName(*form), "eNaziv") << label;
        Type(*form, label);
        Press(*form, Qt::Key_End, Qt::ControlModifier);
        Press(*form, Qt::Key_Return);
    }
    EXPECT_EQ(ActiveName(*form), "gGovor") << "past the last language";
    const std::string l = c.LinkValue;
    EXPECT_EQ(Rows("Global", c.Table, {c.Link, "Govor", "Naziv"}),
              (std::vector<std::string>{l + "|1|Prvi", l + "|2|Second", l + "|3|Dritte"}));
    form->tGovor->First();
    EXPECT_EQ(form->tGovor->FieldByName("Oznaka").AsString(), "Prvi");

    // Changed and left by Enter: written at once.
    form->eNaziv->SetFocus();
    Type(*form, "Drugi");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", c.Table, {"Naziv"}), (std::vector<std::string>{"Drugi", "Second", "Dritte"}));
    EXPECT_EQ(form->tGovor->FieldByName("Oznaka").AsString(), "Drugi");
}

// A label belongs to the packing mode chosen in the grids: after the units' grid moves on to another unit's
// packing mode of the same code, the label typed is that packing mode's; under a unit without packing modes
// a label has nothing to belong to and is not stored.
TEST_F(PackingTest, ALabelBelongsToThePackingModeChosen) {
    Add("Global", "PAKUNG.DB", {"Jedinica", "Sifra"}, {{"2", "KUTIJA"}});
    Add("Global", "JEDINICE.DB", {"Sifra"}, {{"N"}});
    registers::PrikaziImenaPakiranja(caller.get());
    registers::TLabelList* form = Track(Pakiranja.SifarnikImenaPakiranja);
    ASSERT_NE(form, nullptr);
    auto label = [&](const char* text) {
        form->tGovor->First();
        form->eNaziv->SetFocus();
        Type(*form, text);
        Press(*form, Qt::Key_Return);
    };
    auto nextUnit = [&] {
        form->gMain->SetFocus();
        Press(*form, Qt::Key_Down);
    };
    ASSERT_EQ(form->tMain->FieldByName("Sifra").AsString(), "KOM");
    label("Kutija");
    nextUnit(); // M: its own KUTIJA
    EXPECT_EQ(form->tTable->FieldByName("Code").AsInteger(), 2);
    EXPECT_EQ(form->eNaziv->Text(), "") << "the other unit's label is not shown as this one's";
    label("Karton");
    nextUnit(); // N: no packing modes
    label("Nešto");
    EXPECT_EQ(Rows("Global", "IME_PAK.DB", {"Pakung", "Govor", "Naziv"}),
              (std::vector<std::string>{"1|1|Kutija", "2|1|Karton"}));
    form->gMain->SetFocus();
    Press(*form, Qt::Key_Up);
    Press(*form, Qt::Key_Up);
    form->tGovor->First();
    EXPECT_EQ(form->tGovor->FieldByName("Oznaka").AsString(), "Kutija");
    EXPECT_EQ(form->eNaziv->Text(), "Kutija");
    // A label still being typed when the rows move on is the row's it was typed for.
    form->eNaziv->SetFocus();
    form->eNaziv->SelectAll();
    Type(*form, "Sanduk");
    form->tMain->Next();
    EXPECT_EQ(Rows("Global", "IME_PAK.DB", {"Pakung", "Govor", "Naziv"}),
              (std::vector<std::string>{"1|1|Sanduk", "2|1|Karton"}));
}

// A quantity that is no number, or one typed while the unit has no packing mode, is refused with a word and
// stores no row.
TEST_F(PackingTest, AQuantityNeedsItsPackingModeAndANumber) {
    Add("Global", "JEDINICE.DB", {"Sifra"}, {{"L"}});
    registers::PrikaziImenaAtoma(caller.get());
    registers::TLabelList* form = Track(Pakiranja.SifarnikImenaAtoma);
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(form->tPakung->FieldByName("Sifra").AsString(), "KUTIJA");
    auto typeKey = [&](registers::TCodeListForm& f, const char* text) {
        f.eSifra->SetFocus();
        Type(f, text);
        Press(f, Qt::Key_Return);
    };
    typeKey(*form, "SNOP");
    form->gMain->SetFocus();
    Press(*form, Qt::Key_Down); // L: no packing modes
    typeKey(*form, "5");
    EXPECT_EQ(dialogs.Texts(),
              (std::vector<std::string>{registers::NotANumberText("Količina"), registers::NoPackingText}));
    EXPECT_EQ(Rows("Global", "ATOMI.DB", {"Pakung", "Kolicina"}), std::vector<std::string>{"1|10"});
}

INSTANTIATE_TEST_SUITE_P(Registers, LabelTest, ::testing::ValuesIn(labelCases),
                         [](const ::testing::TestParamInfo<LabelCase>& info) {
                             std::string name = info.param.Table;
                             name = name.substr(0, name.find('.'));
                             std::erase(name, '_');
                             return name;
                         });

} // namespace
} // namespace regtest
