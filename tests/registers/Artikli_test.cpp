#include "registers/Artikli.h"

#include "app/data/WBegin.h"
#include "fw/db/FieldClasses.h"
#include "registers/Openers.h"
#include "tests/registers/RegisterFixture.h"

namespace regtest {
namespace {

using registers::Artikli;
using registers::TSifarnikArtikli;
using Strings = std::vector<std::string>;

// The own company (partner 1, Croatian) and a German supplier (partner 2) that makes what it sells.
class ArtikliTest : public RegisterTest {
protected:
    ArtikliTest() {
        app::WBegin.PodaciPoduzeca.OwnPartner = 1;
        app::WBegin.PodaciPoduzeca.Jezik = 1;
        app::WBegin.PodaciPoduzeca.NazivKratki = "Lumeno";
        app::WBegin.PodaciPoduzeca.Mjesto = "Zagreb";
        Add("Global", "GOVOR.DB", {"Sifra", "Naziv"}, {{"HR", "hrvatski"}, {"DE", "njemački"}});
        Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Drzava", "Partner", "Govor"},
            {{"LUMENO", "D", "J", "1", "1"}, {"WEKA", "D", "S", "2", "2"}});
        Add("Global", "FIRME.DB", {"Sifra", "Partner"}, {{"LUMENO", "1"}, {"WEKA", "2"}});
    }
    Strings Codes() {
        return Rows("Global", "SIF_ROBE.DB", {"Partner", "Sifra", "Code", "Proizvodi", "Naziv"});
    }
    Strings Articles() { return Rows("Global", "ROBA.DB", {"Code", "Sifra", "Proizvodi", "Naziv"}); }
    Strings Names() { return Rows("Global", "IME_ROBE.DB", {"Roba", "Govor", "Naziv"}); }
    // Enters a code and its manufacturer on the empty record the save left, as the user types them.
    void NewCode(TSifarnikArtikli& f, const QString& code, const QString& manufacturer) {
        EXPECT_EQ(ActiveName(f), "cSifra");
        dialogs.Answer(true);
        Type(f, code);
        Press(f, Qt::Key_Return);
        EXPECT_EQ(ActiveName(f), "cProizvodi");
        Type(f, manufacturer);
        Press(f, Qt::Key_Return);
    }
};

// The whole life of an article by keys: the save starts a code, the supplier that makes it gets an article
// at once, names typed in the supplier's and the company's languages fill the linked rows, the code is found
// by code and by name, renamed and deleted.
TEST_F(ArtikliTest, AnArticleIsCreatedNamedFoundRenamedAndDeletedByKeys) {
    registers::PrikaziArtikle(caller.get(), 1, 2);
    TSifarnikArtikli* f = Track(Artikli.SifarnikArtikli);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->isVisible());
    EXPECT_EQ(f->Caption().toStdString(), "Lumeno Zagreb - Šifarnik artikli");
    ASSERT_TRUE(f->tSifPart->Active()) << ::testing::PrintToString(dialogs.Texts());
    EXPECT_TRUE(f->xSifarnik->Checked());
    EXPECT_EQ(f->MainBook->PageIndex(), 0);
    EXPECT_EQ(f->tSifPart->FieldByName("Sifra").AsString(), "WEKA");
    EXPECT_EQ(f->Book->PageIndex(), 1) << "a foreign supplier's page asks for our own code";
    EXPECT_EQ(f->GovorLabel->Caption(), "(njemački)");
    EXPECT_EQ(f->GovorLabel2->Caption(), "(hrvatski)");
    EXPECT_EQ(f->eNaziv2->DataSet(), f->tImeRobe2);

    // Save on the empty register: a new record, the cursor in the key edit.
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(ActiveName(*f), "ZapisiButton");
    Press(*f, Qt::Key_Return);
    NewCode(*f, "A100", "WEKA");
    EXPECT_EQ(Articles(), Strings{"1|A100|2|"}) << "the supplier makes it: the article is made at once";
    EXPECT_FALSE(f->cOznaka->Enabled());
    EXPECT_EQ(f->lProizvodi->FontColor(), fw::clGray);
    EXPECT_TRUE(f->eSifra->Enabled());
    EXPECT_EQ(ActiveName(*f), "eSifra");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*f), "eNaziv");
    Type(*f, "Fenster");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*f), "eNaziv2");
    Type(*f, "Prozor");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Names(), (Strings{"1|1|Prozor", "1|2|Fenster"}));
    EXPECT_EQ(Articles(), Strings{"1|A100|2|Fenster"}) << "the first name fills the empty ones";
    EXPECT_EQ(Codes(), Strings{"2|A100|1|2|Fenster"});

    // A second article; then the names of the first change: linked names that still held the old one follow.
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    NewCode(*f, "B200", "WEKA");
    f->eNaziv->SetFocus();
    Type(*f, "Tuer");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Articles(), (Strings{"1|A100|2|Fenster", "2|B200|2|Tuer"}));

    // Found by code in the key edit.
    f->cSifra->SetFocus();
    Type(*f, "A100");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(f->tSifRobe->FieldByName("Sifra").AsString(), "A100");
    EXPECT_EQ(f->eNaziv->Text(), "Fenster");
    EXPECT_EQ(f->eNaziv2->Text(), "Prozor");
    // Found by name in the grid: F2 sorts by name, letters search it.
    Press(*f, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(ActiveName(*f), "gSifRobe");
    Press(*f, Qt::Key_F2);
    Type(*f, "TU");
    EXPECT_EQ(f->tSifRobe->FieldByName("Sifra").AsString(), "B200");
    Type(*f, "");
    Press(*f, Qt::Key_Backspace);
    Press(*f, Qt::Key_Backspace);
    Type(*f, "FE");
    EXPECT_EQ(f->tSifRobe->FieldByName("Sifra").AsString(), "A100");

    // Renaming the name in the supplier's language: names that held the old one follow.
    f->eNaziv->SetFocus();
    Type(*f, "Fensterrahmen");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Articles(), (Strings{"1|A100|2|Fensterrahmen", "2|B200|2|Tuer"}));
    EXPECT_EQ(Names(), (Strings{"1|1|Prozor", "1|2|Fensterrahmen", "2|2|Tuer"}));

    // Renaming the code keeps the article; Ctrl+Del deletes the code after the question.
    f->cSifra->SetFocus();
    dialogs.Answer(false); // not a new code: the old one renamed
    dialogs.Answer(true);
    Type(*f, "A101");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Codes(), (Strings{"2|A101|1|2|Fensterrahmen", "2|B200|2|2|Tuer"}));
    f->cSifra->SetFocus();
    dialogs.Answer(true);
    Press(*f, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Codes(), (Strings{"2|B200|2|2|Tuer"}));
    Press(*f, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
}

} // namespace
} // namespace regtest
