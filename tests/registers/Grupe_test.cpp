#include "base/FileSystem.h"
#include "base/Text.h"
#include "registers/Grupe.h"
#include "tests/registers/RegisterFixture.h"

#include <cerrno>
#include <fcntl.h>

namespace regtest {
namespace {

using registers::Grupe;

class GrupeTest : public RegisterTest {
protected:
    GrupeTest() {
        app::WBegin.PodaciPoduzeca.OwnPartner = 20;
        app::WBegin.PodaciPoduzeca.NazivKratki = "Lumeno";
        app::WBegin.PodaciPoduzeca.Mjesto = "Zagreb";
        Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Partner"},
            {{"DOB1", "D", "10"}, {"DOB2", "D", "20"}, {"KUP", "K", "30"}});
        Add("Global", "GRUPE.DB", {"Partner", "Sifra", "Naziv"},
            {{"10", "G1", "Prva"}, {"20", "P1", "Profili"}, {"20", "S1", "Stakla"}});
        Add("Global", "PODGRUPE.DB", {"Partner", "Grupa", "Sifra", "Naziv"},
            {{"20", "3", "A", "Aluminij"}, {"20", "3", "P", "PVC"}, {"20", "2", "X", "Iks"}});
    }
    std::vector<std::string> Groups() { return Rows("Global", "GRUPE.DB", {"Partner", "Sifra", "Naziv"}); }
};

// A file the user may not write: every open of it for writing, and every change of its name, is refused.
class ReadOnlyFile : public base::FileSystem {
public:
    explicit ReadOnlyFile(std::string stem) : stem_(base::UpperCase(stem)) {}
    int Open(const char* path, int flags, mode_t mode) override {
        if ((flags & O_ACCMODE) != O_RDONLY && Refused(path)) return -1;
        return base::FileSystem::Open(path, flags, mode);
    }
    int Rename(const char* from, const char* to) override {
        if (Refused(from) || Refused(to)) return -1;
        return base::FileSystem::Rename(from, to);
    }
    int Unlink(const char* path) override { return Refused(path) ? -1 : base::FileSystem::Unlink(path); }

private:
    bool Refused(const char* path) {
        const std::string name = base::UpperCase(std::filesystem::path(path).filename().string());
        if (name.rfind(stem_ + ".", 0) != 0) return false;
        errno = EACCES;
        return true;
    }
    std::string stem_;
};

// The own company's groups: only suppliers listed, the caller's text found among the supplier's groups, a new
// group created by keys belongs to the supplier shown.
TEST_F(GrupeTest, GroupsFollowTheSupplierAndNewOnesBelongToIt) {
    caller->eNaziv->SetFocus();
    caller->eNaziv->SetText("s");
    registers::PrikaziGrupeArtikala(caller.get(), 0);
    registers::TSifarnikGrupaArtikli* form = Track(Grupe.SifarnikGrupaArtikli);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), "Lumeno Zagreb - Šifarnik grupa artikli");
    EXPECT_EQ(form->Partner, 20) << "partner 0 stands for the own company";
    EXPECT_EQ(form->tMain->FieldByName("Sifra").AsString(), "DOB2");
    EXPECT_EQ(form->tMain->RecordCount(), 2) << "customers are not listed";
    EXPECT_EQ(form->tTable->RecordCount(), 2);
    EXPECT_EQ(form->tTable->FieldByName("Sifra").AsString(), "S1");

    form->eSifra->SetFocus();
    dialogs.Answer(true);
    Type(*form, "Z9");
    Press(*form, Qt::Key_Return);
    form->eNaziv->SetFocus();
    Type(*form, "Okovi");
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Groups(),
              (std::vector<std::string>{"10|G1|Prva", "20|P1|Profili", "20|S1|Stakla", "20|Z9|Okovi"}));
    Press(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());

    // Another supplier given to the opener: its groups, and the range starts afresh.
    caller->eNaziv->SetText("");
    registers::PrikaziGrupeArtikala(caller.get(), 10);
    EXPECT_EQ(form->tMain->FieldByName("Sifra").AsString(), "DOB1");
    EXPECT_EQ(form->tTable->FieldByName("Sifra").AsString(), "G1");
    EXPECT_EQ(form->tTable->RecordCount(), 1);
}

TEST_F(GrupeTest, SubgroupsOpenOnTheGivenGroupAndItsNearestSubgroup) {
    caller->eNaziv->SetFocus();
    caller->eNaziv->SetText("Q");
    registers::PrikaziPodGrupeArtikala(caller.get(), 20, 3); // group 3 is "S1" of supplier 20
    registers::TSifarnikPodGrupaArtikli* form = Track(Grupe.SifarnikPodGrupaArtikli);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption().toStdString(), "Lumeno Zagreb - Šifarnik podgrupa artikli");
    EXPECT_EQ(form->tTable->FieldByName("Sifra").AsString(), "S1");
    EXPECT_EQ(form->tPodGrupe->RecordCount(), 2);
    EXPECT_EQ(form->tPodGrupe->FieldByName("Sifra").AsString(), "P") << "nearest to Q within the group";
    EXPECT_EQ(ActiveName(*form), "gPodGrupe");

    // F2 on the group key opens the groups of the same supplier over this form.
    form->eSifra->SetFocus();
    Press(*form, Qt::Key_F2);
    registers::TSifarnikGrupaArtikli* groups = Track(Grupe.SifarnikGrupaArtikli);
    ASSERT_NE(groups, nullptr);
    EXPECT_TRUE(groups->isVisible());
    EXPECT_EQ(groups->Caller, form);
    EXPECT_EQ(groups->Partner, 20);
    EXPECT_EQ(groups->tTable->FieldByName("Sifra").AsString(), "S1");
}

// The subgroups' form lists the suppliers, the chosen supplier's groups and the group's subgroups, each in
// its own grid.
TEST_F(GrupeTest, TheSubgroupsFormShowsTheGroupsInTheMiddleGrid) {
    registers::PrikaziPodGrupeArtikala(caller.get(), 20, 3);
    registers::TSifarnikPodGrupaArtikli* form = Track(Grupe.SifarnikPodGrupaArtikli);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->gMain->DataSource()->DataSet(), form->tMain);
    EXPECT_EQ(form->gTable->DataSource()->DataSet(), form->tTable) << "the groups, not the subgroups again";
    EXPECT_EQ(form->gTable->model()->rowCount(), 2);
    EXPECT_EQ(form->gPodGrupe->DataSource()->DataSet(), form->tPodGrupe);
    EXPECT_EQ(form->gPodGrupe->model()->rowCount(), 2);
    // Each grid names its columns for the user; the supplier and group links are the rows chosen above.
    const auto titles = [](kit::TMyDBGrid& g) {
        std::vector<std::string> t;
        for (int c = 0; c < g.model()->columnCount(); ++c)
            t.push_back(g.model()->headerData(c, Qt::Horizontal).toString().toStdString());
        return t;
    };
    form->eNaziv2->SetFocus();
    EXPECT_EQ(titles(*form->gMain), std::vector<std::string>{"Dobavljač"});
    for (kit::TMyDBGrid* g : {form->gTable, form->gPodGrupe})
        for (const std::string& t : titles(*g)) {
            EXPECT_NE(t, "Partner");
            EXPECT_NE(t, "Grupa");
        }
}

} // namespace
} // namespace regtest

namespace regtest {
namespace {

// On a folder whose partners hold no supplier yet, a typed group code is refused with a message saying why.
TEST_F(RegisterTest, AGroupTypedWithoutAnySupplierIsRefusedWithAMessage) {
    Make("Lokal", "SIF_PART.DB");
    Make("Global", "GRUPE.DB");
    registers::PrikaziGrupeArtikala(caller.get(), 0);
    registers::TSifarnikGrupaArtikli* form = Track(registers::Grupe.SifarnikGrupaArtikli);
    ASSERT_NE(form, nullptr);
    form->eSifra->SetFocus();
    EXPECT_TRUE(Asked().empty()) << "entering the key says nothing yet";
    Type(*form, "P1");

    Press(*form, Qt::Key_Return);
    // The message only: no code is offered for creation.
    EXPECT_EQ(Asked(), std::vector<std::string>{std::string("Text ") + registers::NoSupplierText});
    EXPECT_EQ(ActiveName(*form), "eSifra");
    EXPECT_TRUE(Rows("Global", "GRUPE.DB", {"Sifra"}).empty());
}

} // namespace
} // namespace regtest

namespace regtest {
namespace {

// A group file the user may not write: "Da" to a new group stores nothing and says why, in Croatian; the
// typed code stays in the edit.
TEST_F(GrupeTest, ACodeTheFileRefusesIsToldWithItsCause) {
    ReadOnlyFile readOnly("GRUPE");
    base::ScopedFileSystem scoped(readOnly);
    registers::PrikaziGrupeArtikala(caller.get(), 0);
    registers::TSifarnikGrupaArtikli* form = Track(Grupe.SifarnikGrupaArtikli);
    ASSERT_NE(form, nullptr);
    // A new group from the save button: typing a code over an empty new record needs no lock.
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*form), "eSifra");
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{});
    dialogs.Answer(true);
    Type(*form, "Z9");
    Press(*form, Qt::Key_Return);
    const std::vector<std::string> told = dialogs.Texts();
    ASSERT_EQ(told.size(), 1u) << "the refusal is told once";
    EXPECT_EQ(told.back(), "Tablica GRUPE.DB je samo za čitanje");
    EXPECT_EQ(form->eSifra->Text(), "Z9");
    EXPECT_EQ(ActiveName(*form), "eSifra");
    EXPECT_EQ(Groups(), (std::vector<std::string>{"10|G1|Prva", "20|P1|Profili", "20|S1|Stakla"}));
}

} // namespace
} // namespace regtest
