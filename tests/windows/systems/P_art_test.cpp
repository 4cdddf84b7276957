#include "tests/windows/systems/SystemsFixture.h"
#include "windows/systems/P_art.h"

#include "fw/ui/DataSetModel.h"

#include <algorithm>

namespace systemstest {
namespace {

using windows::SifArtikliForm;
using windows::TSif_artikli;
using Lines = std::vector<std::string>;

class SifArtikliTest : public SystemsTest {
protected:
    TSif_artikli* Open() {
        windows::PrikaziParametreArtikala(caller.get());
        TSif_artikli* form = SifArtikliForm.Sif_artikli;
        if (form && std::find(opened.begin(), opened.end(), form) == opened.end()) Track(form);
        return form;
    }
    // Moves the article grid to the code.
    void Choose(TSif_artikli& form, const std::string& sifra) {
        form.gSif_Robe->SetFocus();
        for (form.tSifRobe->First(); !form.tSifRobe->Eof(); form.tSifRobe->Next())
            if (form.tSifRobe->FieldByName("Sifra").AsString() == sifra) return;
        ADD_FAILURE() << sifra << " is not listed";
    }
    // The grid's titles, then its rows, each as "a|b|c".
    static Lines GridLines(kit::TMyDBGrid& grid) {
        fw::DataSetModel& m = grid.Model();
        Lines lines;
        for (int r = -1; r < m.rowCount(); ++r) {
            std::string line;
            for (int c = 0; c < m.columnCount(); ++c) {
                const QVariant v = r < 0 ? m.headerData(c, Qt::Horizontal, Qt::DisplayRole)
                                         : m.data(m.index(r, c), Qt::DisplayRole);
                line += (c ? "|" : "") + v.toString().toStdString();
            }
            lines.push_back(line);
        }
        return lines;
    }
    std::vector<std::string> Listed(TSif_artikli& form) {
        std::vector<std::string> codes;
        for (form.tSifRobe->First(); !form.tSifRobe->Eof(); form.tSifRobe->Next())
            codes.push_back(form.tSifRobe->FieldByName("Sifra").AsString());
        return codes;
    }
};

// Only the own articles of the seven profile groups are listed; the bound articles show for frame, sash and
// mullion profiles only, the group numbers compared whole.
TEST_F(SifArtikliTest, ListsTheProfileGroupsAndShowsBoundArticlesForThreeKinds) {
    TSif_artikli* form = Open();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), "Šifarnik artikala:");
    EXPECT_EQ(ActiveName(*form), "gSif_Robe");
    EXPECT_EQ(Listed(*form), (Lines{"G4", "K70", "P70", "S70", "S80", "V70", "Z1"}))
        << "other companies' articles and other groups are left out";
    const struct {
        const char* Sifra;
        bool Panel;
    } kinds[] = {{"S70", true}, {"K70", true}, {"P70", true}, {"V70", false}, {"Z1", false}, {"G4", false}};
    for (const auto& k : kinds) {
        Choose(*form, k.Sifra);
        EXPECT_EQ(form->pWRoba_d->Visible(), k.Panel) << k.Sifra;
    }
    form->Close();

    // A group number past 255 is its own number, not the number modulo 256.
    Add("Global", "SIF_ROBE.DB", {"Partner", "Proizvodi", "Grupa", "Code", "Sifra"},
        {{"20", "1", "300", "300", "VELIKA"}, {"20", "1", "44", "44", "MALA"}});
    app::Settings.PostavkePrograma.GrupaStoka = 300;
    Open();
    EXPECT_EQ(Listed(*form), (Lines{"G4", "K70", "P70", "V70", "VELIKA", "Z1"}));
    Choose(*form, "VELIKA");
    EXPECT_TRUE(form->pWRoba_d->Visible());
}

// The thickness and length of a profile typed in; its bound articles added through the lookup (starting a
// row on entry) and the add button; everything on disk afterwards.
TEST_F(SifArtikliTest, AProfilesParametersAndBoundArticlesAreSetByKeys) {
    TSif_artikli* form = Open();
    ASSERT_NE(form, nullptr);
    Choose(*form, "G4");
    form->eDebljinaProfila->SetFocus();
    Type(*form, "4");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*form), "eDuzinaProfila");
    Type(*form, "3210");
    Press(*form, Qt::Key_Return);

    Choose(*form, "K70");
    form->eDebljinaProfila->SetFocus();
    Type(*form, "70");
    Press(*form, Qt::Key_Return);
    Type(*form, "6500");
    Press(*form, Qt::Key_Return);
    // Entering the bound article of a profile without any starts a row at once.
    form->eArtikl->SetFocus();
    EXPECT_EQ(form->tWRoba_d->State(), fw::dsInsert);
    Type(*form, "S80");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(form->lArtiklNaziv->Caption(), "Štok 80");
    EXPECT_EQ(ActiveName(*form), "eKolicina");
    Type(*form, "2,5");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*form), "BitBtn1");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*form), "eArtikl");
    Type(*form, "Z1");
    Press(*form, Qt::Key_Return);
    Type(*form, "1");
    Press(*form, Qt::Key_Return);
    Press(*form, Qt::Key_Return);
    // An article that is not the own company's is refused.
    Type(*form, "TUĐI");
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(dialogs.Asked(), Lines{"Nema TUĐI"});
    Press(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());

    EXPECT_EQ(Rows("Global", "WROBA.DB", {"Code", "DebljinaProfila", "DuzinaProfila"}),
              (Lines{"102|70|6500", "106|4|3210"}));
    EXPECT_EQ(Rows("Global", "WROBA_D.DB", {"Code", "Artikl", "Kolicina"}),
              (Lines{"102|105|1", "102|201|2,5"}));

    // Shown again on the next opening.
    Open();
    Choose(*form, "K70");
    EXPECT_EQ(form->eDuzinaProfila->Text(), "6500");
    EXPECT_EQ(form->tWRoba_d->RecordCount(), 2);
    // Each bound row names its article by code and name beside its quantity.
    EXPECT_EQ(GridLines(*form->gWRoba_d),
              (Lines{"Količina/omjer|Artikl|Naziv artikla", "1|Z1|Željezo 1", "2,5|S80|Štok 80"}));
}

// After a bound article is added, a click on another article in the grid takes the panel, its bound rows
// and every edit to that article: what is typed next lands on its row, not on the previous article's.
TEST_F(SifArtikliTest, EditsFollowTheArticleClickedAfterAddingABoundArticle) {
    Add("Global", "WROBA.DB", {"Code", "DebljinaProfila", "DuzinaProfila"}, {{"102", "70", "6500"}});
    TSif_artikli* form = Open();
    ASSERT_NE(form, nullptr);
    Choose(*form, "K70");
    form->eArtikl->SetFocus();
    Type(*form, "Z1");
    Press(*form, Qt::Key_Return);
    Type(*form, "2");
    Press(*form, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*form), "BitBtn1");
    Press(*form, Qt::Key_Return); // "Dodavanje artikla u listu": a new bound row waits for its article
    ASSERT_EQ(form->tWRoba_d->State(), fw::dsInsert);

    // A click on "P70" (the third listed row after G4 and K70), which has no parameters yet.
    QTableView& grid = *form->gSif_Robe;
    const QRect cell = grid.visualRect(grid.model()->index(2, 0));
    // A press gives the grid the focus before it moves the current row.
    fwtest::ShowActive(*form);
    grid.setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(form->tSifRobe->FieldByName("Sifra").AsString(), "P70");
    EXPECT_TRUE(form->tWRoba->IsEmpty()) << "the parameters follow the article";
    EXPECT_EQ(form->tWRoba_d->RecordCount(), 0) << "the bound rows follow the article";
    EXPECT_TRUE(form->pWRoba_d->Visible());

    form->eDebljinaProfila->SetFocus();
    Type(*form, "76");
    Press(*form, Qt::Key_Return);
    Press(*form, Qt::Key_Escape);

    EXPECT_EQ(Rows("Global", "WROBA.DB", {"Code", "DebljinaProfila", "DuzinaProfila"}),
              (Lines{"102|70|6500", "103|76|"}));
    EXPECT_EQ(Rows("Global", "WROBA_D.DB", {"Code", "Artikl", "Kolicina"}), (Lines{"102|105|2"}));
}

} // namespace
} // namespace systemstest
