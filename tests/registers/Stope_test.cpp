#include "registers/Openers.h"
#include "registers/Stope.h"
#include "tests/registers/RegisterFixture.h"

namespace regtest {
namespace {

using registers::Stope;

struct RateCase {
    void (*Opener)(fw::Form*);
    registers::TRateList* (*Form)();
    const char* Groups;
    const char* Rates;
    const char* Caption;
    const char* Rate; // the first rate field
};
void PrintTo(const RateCase& c, std::ostream* os) {
    *os << c.Groups;
}

const RateCase rateCases[] = {
    {registers::PrikaziStopePoreza,
     [] { return static_cast<registers::TRateList*>(Stope.SifarnikStopaPoreza); }, "T_POREZA.DB",
     "S_POREZA.DB", "Šifarnik stopa poreza po tarifnim grupama", "StopaRoba"},
    {registers::PrikaziStopeCarine,
     [] { return static_cast<registers::TRateList*>(Stope.SifarnikStopaCarine); }, "T_CARINE.DB",
     "S_CARINE.DB", "Šifarnik stopa carine po tarifnim grupama", "StopaCarine"},
};

class RateListTest : public RegisterTest, public ::testing::WithParamInterface<RateCase> {
protected:
    std::vector<std::string> Rates() {
        return Rows("Global", GetParam().Rates, {"Tarifa", "Datum", GetParam().Rate});
    }
};

// A rate is made by typing its date in any of the usual ways; the date survives the save, closing and
// opening the register again, and is renamed and deleted through the same key.
TEST_P(RateListTest, TypedDatesAreStoredRenamedAndDeleted) {
    const RateCase& c = GetParam();
    Add("Global", c.Groups, {"Tarifa", "Naziv"}, {{"OPP", "Opći porez"}, {"PDV", "Dodana vrijednost"}});
    Make("Global", c.Rates);
    auto open = [&] {
        c.Opener(caller.get());
        registers::TRateList* form = c.Form();
        EXPECT_NE(form, nullptr);
        if (opened.empty()) Track(form);
        return form;
    };
    registers::TRateList* form = open();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), c.Caption);
    EXPECT_EQ(ActiveName(*form), "gTable");

    // The group is found by its code (never created here).
    form->eSifra->SetFocus();
    Type(*form, "pdv");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(form->tTable->FieldByName("Tarifa").AsString(), "PDV");
    EXPECT_EQ(form->lNaziv->Caption(), "Dodana vrijednost");
    form->eSifra->SetFocus();
    Type(*form, "XYZ");
    Press(*form, Qt::Key_Return);
    EXPECT_TRUE(Asked().empty()) << "no group is offered for creation";
    EXPECT_EQ(Rows("Global", c.Groups, {"Tarifa"}).size(), 2u);
    form->eSifra->SetFocus();
    Type(*form, "PDV");
    Press(*form, Qt::Key_Return);

    // Dates typed as day, month and year groups with any separators.
    const struct {
        const char* Typed;
        const char* Rate;
        const char* Stored;
    } dates[] = {{"1.7.24", "25", "2|1.7.2024|25"}, {"15/3/1999", "22", "2|15.3.1999|22"}};
    for (const auto& d : dates) {
        form->cDatum->SetFocus();
        dialogs.Answer(true);
        Type(*form, d.Typed);
        Press(*form, Qt::Key_Return);
        EXPECT_EQ(Asked().back(), std::string("Novo ") + d.Typed);
        dynamic_cast<fw::Control*>(form->FindComponent(std::string("e") + c.Rate))->SetFocus();
        Type(*form, d.Rate);
        Press(*form, Qt::Key_End, Qt::ControlModifier);
        Press(*form, Qt::Key_Return);
        EXPECT_EQ(ActiveName(*form), "gMain") << "the save posts and goes to the rates";
    }
    EXPECT_EQ(Rates(), (std::vector<std::string>{"2|15.3.1999|22", "2|1.7.2024|25"}));

    // Closed and opened again: the rates are there, shown by their dates.
    Press(*form, Qt::Key_Escape);
    ASSERT_FALSE(form->isVisible());
    form = open();
    form->eSifra->SetFocus();
    Type(*form, "PDV");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(form->tMain->RecordCount(), 2);
    // Enter after the group goes on to its first rate's date: the rates are scrolled from their grid.
    EXPECT_EQ(ActiveName(*form), "cDatum");
    form->gMain->SetFocus();
    form->tMain->Last();
    EXPECT_EQ(form->cDatum->Text(), "1.7.2024");

    // A rate moved to another date: creation declined, the change accepted.
    form->cDatum->SetFocus();
    dialogs.Answer(false);
    dialogs.Answer(true);
    Type(*form, "1 1 2025");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Asked().back(), "Staro 1.7.2024>1 1 2025");
    EXPECT_EQ(Rates(), (std::vector<std::string>{"2|15.3.1999|22", "2|1.1.2025|25"}));

    // A date that is no date, or lacks its year, is refused and nothing is written.
    for (const char* typed : {"31.2.24", "1.7"}) {
        form->cDatum->SetFocus();
        const std::size_t asked = Asked().size();
        Type(*form, typed);
        Press(*form, Qt::Key_Return);
        EXPECT_EQ(Asked().size(), asked) << typed;
        EXPECT_EQ(ActiveName(*form), "cDatum") << typed;
        EXPECT_EQ(Rates(), (std::vector<std::string>{"2|15.3.1999|22", "2|1.1.2025|25"})) << typed;
        form->gMain->SetFocus();
    }

    // Deleted by Ctrl+Del after the question.
    form->tMain->First();
    form->cDatum->SetFocus();
    dialogs.Answer(true);
    Press(*form, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Asked().back(), "Brisi 15.3.1999");
    EXPECT_EQ(Rates(), (std::vector<std::string>{"2|1.1.2025|25"}));
}

INSTANTIATE_TEST_SUITE_P(Registers, RateListTest, ::testing::ValuesIn(rateCases),
                         [](const ::testing::TestParamInfo<RateCase>& info) {
                             std::string name = info.param.Rates;
                             name = name.substr(0, name.find('.'));
                             std::erase(name, '_');
                             return name;
                         });

} // namespace
} // namespace regtest
