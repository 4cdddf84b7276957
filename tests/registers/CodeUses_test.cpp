#include "app/data/CodeUses.h"
#include "app/tables/TableDefinitions.h"
#include "base/Text.h"
#include "registers/Grupe.h"
#include "registers/Sif_Boja.h"
#include "tests/registers/RegisterFixture.h"

#include <set>

namespace regtest {
namespace {

using Lines = std::vector<std::string>;

const app::TableDefinition* Definition(const std::string& database, const std::string& table) {
    const bool lokal = base::UpperCase(database) == "LOKAL";
    return app::FindTableDefinition(lokal ? app::LokalTables() : app::GlobalTables(), table);
}

bool HasField(const app::TableDefinition& d, const std::string& name) {
    for (const app::FieldDefinition& f : d.Fields)
        if (base::UpperCase(f.Name) == base::UpperCase(name)) return true;
    return false;
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> out;
    std::string word;
    for (char c : list + ";") {
        if (c != ';') {
            word += c;
        } else if (!word.empty()) {
            out.push_back(word);
            word.clear();
        }
    }
    return out;
}

// Every register and every use names tables and fields the program defines, and every register is looked up
// by at least one table: a misspelt name would leave a code deletable while others store it.
TEST(CodeUses, NameTablesAndFieldsThatTheProgramDefines) {
    std::set<std::string> used;
    for (const app::CodeUse& use : app::CodeUses()) {
        used.insert(use.Register);
        const app::TableDefinition* d = Definition(use.Database, use.Table);
        ASSERT_NE(d, nullptr) << use.Table;
        for (const std::string& f : Split(use.Fields))
            EXPECT_TRUE(HasField(*d, f)) << use.Table << "." << f;
        if (*use.NameField) {
            EXPECT_TRUE(HasField(*d, use.NameField)) << use.Table << "." << use.NameField;
        }
        if (*use.NameTable) {
            const app::TableDefinition* n = Definition(use.Database, use.NameTable);
            ASSERT_NE(n, nullptr) << use.NameTable;
            EXPECT_TRUE(HasField(*n, use.NameTableKey) && HasField(*n, use.NameTableField)) << use.NameTable;
        }
    }
    for (const app::CodeRegister& r : app::CodeRegisters()) {
        const app::TableDefinition* d = Definition(r.Database, r.Table);
        ASSERT_NE(d, nullptr) << r.Table;
        EXPECT_TRUE(HasField(*d, r.Key)) << r.Table;
        for (const std::string& f : Split(r.Scope))
            EXPECT_TRUE(HasField(*d, f)) << r.Table << "." << f;
        EXPECT_TRUE(used.count(r.Table)) << r.Table << " has no uses";
    }
    for (const std::string& r : used) {
        bool known = false;
        for (const app::CodeRegister& reg : app::CodeRegisters())
            known = known || r == reg.Table;
        EXPECT_TRUE(known) << r << " is used but not a register";
    }
}

TEST(CodeUses, NumbersTakeTheNounsCroatianForm) {
    const app::CountedNoun artikl{"artikl", "artikla", "artikala"};
    EXPECT_EQ(app::CountedText(1, artikl), "1 artikl");
    EXPECT_EQ(app::CountedText(3, artikl), "3 artikla");
    EXPECT_EQ(app::CountedText(5, artikl), "5 artikala");
    EXPECT_EQ(app::CountedText(11, artikl), "11 artikala");
    EXPECT_EQ(app::CountedText(13, artikl), "13 artikala");
    EXPECT_EQ(app::CountedText(21, artikl), "21 artikl");
    EXPECT_EQ(app::CountedText(24, artikl), "24 artikla");
}

class CodeUsesTest : public RegisterTest {
protected:
    CodeUsesTest() {
        app::WBegin.PodaciPoduzeca.OwnPartner = 20;
        Add("Global", "PARTNER.DB", {"Sifra", "Naziv"}, {{"REHAU", "Rehau d.o.o."}});
        Add("Global", "FIRME.DB", {"Sifra", "Partner"}, {{"REH", "1"}});
        Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Drzava", "Partner"},
            {{"LUMENO", "D", "J", "20"}, {"REHAU", "D", "T", "1"}});
        // Groups 1 and 2 of the own company; group 1 holds three articles and one subgroup.
        Add("Global", "GRUPE.DB", {"Partner", "Sifra", "Naziv"},
            {{"20", "PROF", "Profili"}, {"20", "SLOB", "Slobodna"}});
        Add("Global", "PODGRUPE.DB", {"Partner", "Grupa", "Sifra", "Naziv"},
            {{"20", "1", "PVC", "PVC profili"}});
        Add("Global", "SIF_ROBE.DB", {"Partner", "Proizvodi", "Grupa", "Code", "Sifra"},
            {{"20", "1", "1", "101", "S70"}, {"20", "1", "1", "102", "K70"}, {"20", "1", "1", "103", "P70"}});
        // The own company's colours of the producer; the window system ALU70 has profiles in white.
        Add("Global", "SIF_BOJA.DB", {"Partner", "Proizvodi", "Sifra", "Code", "Naziv"},
            {{"20", "1", "BIJELA", "11", "Bijela"},
             {"20", "1", "SMEĐA", "12", "Smeđa"},
             {"1", "1", "RAL9016", "11", "Bijela"}});
        Add("Lokal", "WSYSTEM.DB", {"Sifra", "Proizvodi"}, {{"ALU70", "1"}});
        Add("Lokal", "WSYSBOJE.DB", {"Sistem", "Boja", "Stok"}, {{"1", "11", "101"}});
    }
    // Ctrl+Del on the grid, the question answered yes.
    void DeleteInGrid(fw::Form& form, fw::Control& grid) {
        grid.SetFocus();
        dialogs.DefaultAnswer = true;
        Press(form, Qt::Key_Delete, Qt::ControlModifier);
    }
    bool MoveTo(fw::TDataSet& ds, const std::string& sifra) {
        for (ds.First(); !ds.Eof(); ds.Next())
            if (ds.FieldByName("Sifra").AsString() == sifra) return true;
        return false;
    }
};

// A group that articles and a subgroup store is not deleted, and the message, shown before any question,
// names them; a group nothing uses is deleted after the question.
TEST_F(CodeUsesTest, AUsedGroupRefusesDeletionNamingItsUses) {
    registers::PrikaziGrupeArtikala(caller.get(), 20);
    registers::TSifarnikGrupaArtikli* form = Track(registers::Grupe.SifarnikGrupaArtikli);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    ASSERT_TRUE(MoveTo(*form->tTable, "PROF"));
    DeleteInGrid(*form, *form->gTable);
    EXPECT_EQ(dialogs.Texts(),
              (Lines{"Nije dozvoljeno brisanje šifre PROF,\r\njer je koriste: 3 artikla (K70, P70, "
                     "S70), 1 podgrupa (PVC)."}));
    EXPECT_EQ(Rows("Global", "GRUPE.DB", {"Sifra"}), (Lines{"PROF", "SLOB"}));

    ASSERT_TRUE(MoveTo(*form->tTable, "SLOB"));
    DeleteInGrid(*form, *form->gTable);
    EXPECT_EQ(Rows("Global", "GRUPE.DB", {"Sifra"}), (Lines{"PROF"}));
    EXPECT_EQ(dialogs.Texts().back(), "Želite li obrisati slog ?") << "a free code: only the question";
    EXPECT_EQ(dialogs.Texts().size(), 2u);
}

// The own company's colour that a window system uses is not deleted (the system is named); a supplier's code
// of the same colour and an unused colour are.
TEST_F(CodeUsesTest, AColourOfAWindowSystemRefusesDeletionNamingTheSystem) {
    registers::PrikaziBoje(caller.get(), 20, 1);
    registers::TSifarnikBoja* form = Track(registers::SifBoja.SifarnikBoja);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible()) << ::testing::PrintToString(dialogs.Texts());
    ASSERT_EQ(form->tSifPart->FieldByName("Partner").AsInteger(), 20);
    ASSERT_TRUE(MoveTo(*form->tSifBoje, "BIJELA"));
    DeleteInGrid(*form, *form->gSifBoje);
    EXPECT_EQ(dialogs.Texts(),
              (Lines{"Nije dozvoljeno brisanje šifre BIJELA,\r\njer je koriste: 1 sistem (ALU70)."}));
    ASSERT_TRUE(MoveTo(*form->tSifBoje, "SMEĐA"));
    DeleteInGrid(*form, *form->gSifBoje);
    EXPECT_EQ(Rows("Global", "SIF_BOJA.DB", {"Partner", "Sifra"}), (Lines{"1|RAL9016", "20|BIJELA"}));
    Press(*form, Qt::Key_Escape);

    registers::PrikaziBoje(caller.get(), 1, 1);
    ASSERT_EQ(form->tSifPart->FieldByName("Partner").AsInteger(), 1);
    ASSERT_TRUE(MoveTo(*form->tSifBoje, "RAL9016"));
    DeleteInGrid(*form, *form->gSifBoje);
    EXPECT_EQ(Rows("Global", "SIF_BOJA.DB", {"Partner", "Sifra"}), (Lines{"20|BIJELA"}));
    EXPECT_EQ(dialogs.Texts().size(), 3u) << "the refusal, and the questions for the two free codes";
}

// The producer that a window system and articles name is not deleted from the manufacturers; the system,
// its colours and articles are named through their own tables.
TEST_F(CodeUsesTest, UsesAreCountedAcrossTablesAndNamedThroughTheirOwners) {
    auto row = [](std::map<std::string, engine::Value> values) {
        return [values](const std::string& f) {
            auto it = values.find(base::UpperCase(f));
            return it == values.end() ? engine::Value() : it->second;
        };
    };
    using engine::Value;
    EXPECT_EQ(app::UsesOfRow("FIRME.DB", "Global", row({{"PARTNER", Value::Int(1)}})),
              (Lines{"3 artikla (K70, P70, S70)", "3 boje (BIJELA, RAL9016, SMEĐA)", "1 sistem (ALU70)"}));
    EXPECT_EQ(app::UsesOfRow("SIF_ROBE.DB", "Global",
                             row({{"PARTNER", Value::Int(20)}, {"CODE", Value::Int(101)}})),
              (Lines{"1 sistem (ALU70)"}));
    EXPECT_TRUE(
        app::UsesOfRow("SIF_ROBE.DB", "Global", row({{"PARTNER", Value::Int(7)}, {"CODE", Value::Int(101)}}))
            .empty())
        << "a supplier's code of the article is not what the system stores";
    EXPECT_EQ(app::UsesOfRow("WSYSTEM.DB", "Lokal", row({{"CODE", Value::Int(1)}})),
              (Lines{"1 boja sistema"}));
    EXPECT_TRUE(app::UsesOfRow("WSYSTEM.DB", "Lokal", row({{"CODE", Value::Int(0)}})).empty());
    // Another own row for the colour keeps it known to the system.
    Add("Global", "SIF_BOJA.DB", {"Partner", "Proizvodi", "Sifra", "Code"}, {{"20", "1", "BIJELA2", "11"}});
    EXPECT_TRUE(
        app::UsesOfRow("SIF_BOJA.DB", "Global", row({{"PARTNER", Value::Int(20)}, {"CODE", Value::Int(11)}}))
            .empty());
}

} // namespace
} // namespace regtest
