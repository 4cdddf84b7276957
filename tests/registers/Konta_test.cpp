#include "registers/Gkonta.h"
#include "registers/Konta.h"
#include "tests/registers/RegisterFixture.h"

namespace regtest {
namespace {

class KontaTest : public RegisterTest {
protected:
    KontaTest() {
        Add("Global", "KONTA1.DB", {"Klasa", "Naziv"}, {{"1", "Imovina"}, {"4", "Troškovi"}});
        Add("Global", "KONTA2.DB", {"Grupa", "Naziv"}, {{"12", "Potraživanja"}, {"41", "Materijal"}});
        Add("Global", "KONTA3.DB", {"Sintetika", "Naziv"}, {{"120", "Kupci"}, {"410", "Sirovine"}});
        Add("Global", "KONTA4.DB", {"Podgrupa", "Naziv"}, {{"1200", "Kupci u zemlji"}, {"4101", "Profili"}});
    }
    static std::vector<std::string> Names(const registers::TGKontniPlan& form) {
        std::vector<std::string> names;
        for (const registers::ChartLevelField* t : form.LevelNames)
            names.push_back(t->Text());
        return names;
    }
};

// An account created by keys gets its link key from its number and shows the levels it begins with.
TEST_F(KontaTest, OwnAccountsShowTheLevelsTheirNumberBeginsWith) {
    registers::PrikaziGKontniPlan(caller.get());
    registers::TGKontniPlan* form = Track(registers::Gkonta.GKontniPlan);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption().toStdString(), "Kontni plan - UNOS");
    EXPECT_EQ(ActiveName(*form), "gKonta");
    const struct {
        QString Konto;
        QString Naziv;
    } accounts[] = {{"1200", "Kupci HR"}, {"12", "Grupa 12"}};
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    for (const auto& a : accounts) {
        ASSERT_EQ(ActiveName(*form), "eKonto");
        dialogs.Answer(true);
        Type(*form, a.Konto);
        Press(*form, Qt::Key_Return);
        form->eNaziv->SetFocus();
        Type(*form, a.Naziv);
        Press(*form, Qt::Key_End, Qt::ControlModifier);
        Press(*form, Qt::Key_Return);
    }
    EXPECT_EQ(Rows("Global", "KONTA.DB", {"Konto", "Code", "Naziv"}),
              (std::vector<std::string>{"12|112|Grupa 12", "1200|11200|Kupci HR"}));
    form->eKonto()->SetFocus();
    Type(*form, "1200");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Names(*form), (std::vector<std::string>{"Imovina", "Potraživanja", "Kupci", "Kupci u zemlji"}));
    form->eKonto()->SetFocus();
    Type(*form, "12");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Names(*form), (std::vector<std::string>{"Imovina", "Potraživanja", "", ""}));
}

// The prescribed chart: the deepest level with rows has the focus, the grids keep to one branch, nothing is
// deleted, the arrows move between the grids and Esc closes.
TEST_F(KontaTest, ThePrescribedChartKeepsItsGridsOnOneBranch) {
    Add("Lokal", "S_KONTA4.DB", {"OrgJed", "Konto", "Saldo"}, {{"0", "4101", "5"}});
    registers::PrikaziKontniPlan(caller.get());
    registers::TKontniPlan* form = Track(registers::Konta.KontniPlan);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption().toStdString(), "Državni kontni plan");
    EXPECT_EQ(form->ActiveControl(), form->gPodGrupe);
    auto codes = [&] {
        std::string s;
        for (int i = 0; i < 4; ++i)
            s += (i ? " " : "") + form->Levels[i]->Fields(0).AsString();
        return s;
    };
    auto balance = [&] { return dynamic_cast<fw::DBText*>(form->FindComponent("lKonto4"))->Caption(); };
    EXPECT_EQ(codes(), "1 12 120 1200");
    EXPECT_EQ(balance(), "");
    Press(*form, Qt::Key_Down);
    EXPECT_EQ(codes(), "4 41 410 4101");
    EXPECT_EQ(balance(), "4101");
    // Up in the classes moves the lower levels to the first code of the class.
    Press(*form, Qt::Key_Left);
    Press(*form, Qt::Key_Left);
    Press(*form, Qt::Key_Left);
    EXPECT_EQ(form->ActiveControl(), form->gKlase);
    Press(*form, Qt::Key_Up);
    EXPECT_EQ(codes(), "1 12 120 1200");
    Press(*form, Qt::Key_Right);
    EXPECT_EQ(form->ActiveControl(), form->gGrupe);

    // No row of the chart goes, whichever way it is asked.
    dialogs.DefaultAnswer = true;
    Press(*form, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Rows("Global", "KONTA2.DB", {"Grupa"}), (std::vector<std::string>{"12", "41"}));
    EXPECT_THROW(form->Levels[1]->Delete(), base::Abort);
    EXPECT_EQ(Rows("Global", "KONTA2.DB", {"Grupa"}), (std::vector<std::string>{"12", "41"}));

    Press(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
}

// A refused account number leaves the key edit ready for a new one: what is typed next replaces the text.
TEST_F(KontaTest, AnAccountTypedAfterARefusedOneIsTheTypedOne) {
    Add("Global", "KONTA.DB", {"Konto", "Naziv"}, {{"2600", "Dobavljači"}});
    registers::PrikaziGKontniPlan(caller.get());
    registers::TGKontniPlan* form = Track(registers::Gkonta.GKontniPlan);
    ASSERT_NE(form, nullptr);
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*form), "eKonto");
    dialogs.DefaultAnswer = true;
    Type(*form, "12a");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*form), "eKonto");
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo 12A", "Text " + std::string(kit::KontaRefusedText)}));
    Type(*form, "1200");
    EXPECT_EQ(form->eKonto()->Text(), "1200");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "KONTA.DB", {"Konto"}), (std::vector<std::string>{"1200", "2600"}));
    form->eKonto()->SetFocus();
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    dialogs.DefaultAnswer = false;
    Type(*form, "1300");
    Press(*form, Qt::Key_Return);
    dialogs.DefaultAnswer = true;
    Type(*form, "1400");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "KONTA.DB", {"Konto"}), (std::vector<std::string>{"1200", "1400", "2600"}));
}

// F2 on a level of an account opens the prescribed chart on the account's branch in that level's grid; the
// code chosen there replaces that level of the number in the key edit, and Enter makes the account.
TEST_F(KontaTest, F2OnALevelPicksItFromThePrescribedChart) {
    Add("Global", "KONTA.DB", {"Konto", "Naziv"}, {{"1200", "Kupci HR"}});
    registers::PrikaziGKontniPlan(caller.get());
    registers::TGKontniPlan* form = Track(registers::Gkonta.GKontniPlan);
    ASSERT_NE(form, nullptr);
    dialogs.DefaultAnswer = true;
    auto pick = [&](int level, int downs) -> registers::TKontniPlan* {
        form->LevelNames[static_cast<std::size_t>(level)]->SetFocus();
        EXPECT_EQ(form->ActiveControl(), form->LevelNames[static_cast<std::size_t>(level)]);
        Press(*form, Qt::Key_F2);
        registers::TKontniPlan* chart = registers::Konta.KontniPlan;
        if (!chart || !chart->isVisible()) return nullptr;
        for (int i = 0; i < downs; ++i)
            Press(*chart, Qt::Key_Down);
        return chart;
    };
    auto codes = [](registers::TKontniPlan& chart) {
        std::string s;
        for (int i = 0; i < 4; ++i)
            s += (i ? " " : "") + chart.Levels[i]->Fields(0).AsString();
        return s;
    };

    // The subgroup: the chart starts on 1200 in its subgroups' grid; 4101 is chosen.
    registers::TKontniPlan* chart = pick(3, 0);
    ASSERT_NE(chart, nullptr);
    Track(chart);
    EXPECT_EQ(chart->ActiveControl(), chart->gPodGrupe);
    EXPECT_EQ(codes(*chart), "1 12 120 1200");
    Press(*chart, Qt::Key_Down);
    EXPECT_EQ(codes(*chart), "4 41 410 4101");
    Press(*chart, Qt::Key_Escape);
    EXPECT_FALSE(chart->isVisible());
    EXPECT_EQ(ActiveName(*form), "eKonto");
    EXPECT_EQ(form->eKonto()->Text(), "4101");
    EXPECT_EQ(form->eKonto()->selectedText().toStdString(), "4101");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Novo 4101"}));
    EXPECT_EQ(Rows("Global", "KONTA.DB", {"Konto"}), (std::vector<std::string>{"1200", "4101"}));
    EXPECT_EQ(Names(*form), (std::vector<std::string>{"Troškovi", "Materijal", "Sirovine", "Profili"}));

    // The group of 1200, in the groups' grid: 41 replaces its first two digits, the rest stays.
    form->eKonto()->SetFocus();
    Type(*form, "1200");
    Press(*form, Qt::Key_Return);
    ASSERT_EQ(form->tTable->FieldByName("Konto").AsString(), "1200");
    ASSERT_EQ(pick(1, 1), chart);
    EXPECT_EQ(chart->ActiveControl(), chart->gGrupe);
    EXPECT_EQ(chart->Levels[1]->Fields(0).AsString(), "41");
    Press(*chart, Qt::Key_Escape);
    EXPECT_EQ(form->eKonto()->Text(), "4100");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "KONTA.DB", {"Konto"}), (std::vector<std::string>{"1200", "4100", "4101"}));

    // Opened to look at, the chart writes nothing back.
    form->LevelNames[0]->SetFocus();
    registers::PrikaziKontniPlan(form);
    ASSERT_TRUE(chart->isVisible());
    Press(*chart, Qt::Key_Down);
    Press(*chart, Qt::Key_Escape);
    EXPECT_EQ(form->ActiveControl(), form->LevelNames[0]);
    EXPECT_EQ(form->eKonto()->Text(), "4100");

    // Shown modally over this form, which hides meanwhile: the class is taken once the form is back.
    app::Settings.CommonSettings.Resources.LoadMode = 1;
    kittest::When([&] { return chart->isVisible(); },
                  [&] {
                      EXPECT_EQ(chart->ActiveControl(), chart->gKlase);
                      EXPECT_FALSE(form->isVisible());
                      Press(*chart, Qt::Key_Up);
                      Press(*chart, Qt::Key_Escape);
                  });
    Press(*form, Qt::Key_F2);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(ActiveName(*form), "eKonto");
    EXPECT_EQ(form->eKonto()->Text(), "1100");
}

} // namespace
} // namespace regtest
