#include "registers/Artikli.h"

#include "app/data/WBegin.h"
#include "app/shell/CodeListOpeners.h"
#include "base/Exceptions.h"
#include "engine/TableImage.h"
#include "fw/db/FieldClasses.h"
#include "kit/RecordMade.h"
#include "registers/Atomi.h"
#include "registers/Openers.h"
#include "tests/registers/RegisterFixture.h"

#include <algorithm>

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
        // A unit labelled in both languages, a packing mode labelled only in Croatian.
        Add("Global", "JEDINICE.DB", {"Sifra"}, {{"KOM"}});
        Add("Global", "MJERE.DB", {"Jedinica", "Govor", "Naziv"}, {{"1", "1", "komad"}, {"1", "2", "Stück"}});
        Add("Global", "PAKUNG.DB", {"Jedinica", "Sifra"}, {{"1", "KUTIJA"}});
        Add("Global", "IME_PAK.DB", {"Pakung", "Govor", "Naziv"}, {{"1", "1", "kutija"}});
    }
    // The supplier WEKA's register with a new article A100 made by keys, its unit typed: pieces.
    TSifarnikArtikli* NewArticleInPieces() {
        registers::PrikaziArtikle(caller.get(), 1, 2);
        TSifarnikArtikli* f = Track(Artikli.SifarnikArtikli);
        if (!f) return nullptr;
        Press(*f, Qt::Key_End, Qt::ControlModifier);
        Press(*f, Qt::Key_Return);
        NewCode(*f, "A100", "WEKA");
        f->cJedMj->SetFocus();
        Type(*f, "kom");
        Press(*f, Qt::Key_Return);
        return f;
    }
    Strings Codes() {
        return Rows("Global", "SIF_ROBE.DB", {"Partner", "Sifra", "Code", "Proizvodi", "Naziv"});
    }
    Strings Articles() { return Rows("Global", "ROBA.DB", {"Code", "Sifra", "Proizvodi", "Naziv"}); }
    Strings Names() { return Rows("Global", "IME_ROBE.DB", {"Roba", "Govor", "Naziv"}); }
    Strings Texts() {
        return Rows("Global", "ROBA.DB", {"Code", "JedMj", "Pakiranje", "Opis", "Deklaracija"});
    }
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
// at once, names typed in the supplier's and the company's languages fill the linked rows, the unit and the
// packing mode show their labels in the supplier's language, the description and our own code go with the
// save; the code is found by code and by name, renamed and deleted.
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
    EXPECT_EQ(ActiveName(*f), "ZapisiButton2") << "the save of a foreign supplier's page";
    Press(*f, Qt::Key_Return);
    NewCode(*f, "A100", "WEKA");
    EXPECT_EQ(Articles(), Strings{"1|A100|2|"}) << "the supplier makes it: the article is made at once";
    EXPECT_FALSE(f->cOznaka->Enabled());
    EXPECT_EQ(f->lProizvodi->FontColor(), fw::clGray);
    EXPECT_TRUE(f->eSifra->Enabled());
    EXPECT_EQ(ActiveName(*f), "eNaziv");
    Type(*f, "Fenster");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*f), "eNaziv2");
    Type(*f, "Prozor");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Names(), (Strings{"1|1|Prozor", "1|2|Fenster"}));
    EXPECT_EQ(Articles(), Strings{"1|A100|2|Fenster"}) << "the first name fills the empty ones";
    EXPECT_EQ(Codes(), Strings{"2|A100|1|2|Fenster"});

    // Unit and packing: their labels in German; the packing's missing one is typed here and kept in German.
    f->cJedMj->SetFocus();
    Type(*f, "kom");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*f), "cPakiranje");
    Type(*f, "kutija");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*f), "eMjera");
    EXPECT_EQ(f->eMjera->Text(), "Stück");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*f), "ePakiranje");
    EXPECT_EQ(f->ePakiranje->Text(), "");
    Type(*f, "Karton");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "IME_PAK.DB", {"Pakung", "Govor", "Naziv"}),
              (Strings{"1|1|kutija", "1|2|Karton"}));
    // Not a distributor's row: the declaration stays shut, the characteristics are typed.
    EXPECT_FALSE(f->xDeklaracije->Enabled());
    EXPECT_EQ(ActiveName(*f), "mOpis");
    Type(*f, "Rahmen aus PVC");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*f), "eSifra");
    Type(*f, "N-100");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*f), "ZapisiButton2");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(ActiveName(*f), "cSifra");
    EXPECT_EQ(Texts(), Strings{"1|1|1|Rahmen aus PVC|"});
    EXPECT_EQ(Codes(), (Strings{"1|N-100|1|2|Prozor", "2|A100|1|2|Fenster"}))
        << "our own code, named in ours";

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
    EXPECT_EQ(Codes(), (Strings{"1|N-100|1|2|Prozor", "2|A101|1|2|Fensterrahmen", "2|B200|2|2|Tuer"}));
    f->cSifra->SetFocus();
    dialogs.Answer(true);
    Press(*f, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Codes(), (Strings{"1|N-100|1|2|Prozor", "2|B200|2|2|Tuer"}));
    Press(*f, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
}

// The description and the declaration typed on the full page go with each page's save button and come back
// when the register is opened again; a distributor's row alone may change the declaration.
TEST_F(ArtikliTest, DescriptionAndDeclarationGoWithEverySaveButton) {
    struct Case {
        std::int32_t Partner;
        const char* Manufacturer;
        bool ShortPage;
        const char* Save;
        const char* KeyEdit;
    };
    const Case cases[] = {{1, "LUMENO", false, "ZapisiButton", "cSifra"},
                          {1, "LUMENO", true, "ZapisiButton3", "cSifra3"},
                          {2, "WEKA", true, "ZapisiButton4", "cSifra3"}};
    for (int i = 0; i < 3; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.Save);
        const QString n = QString::number(i + 1);
        registers::PrikaziArtikle(caller.get(), 1, c.Partner);
        TSifarnikArtikli* f = Artikli.SifarnikArtikli;
        ASSERT_NE(f, nullptr);
        if (i == 0) Track(f);
        Press(*f, Qt::Key_End, Qt::ControlModifier);
        Press(*f, Qt::Key_Return);
        NewCode(*f, "C" + n, c.Manufacturer);
        if (i == 0) {
            // The own company's language is the supplier's: the second name edit shows the same name table,
            // and the unit's label is the Croatian one.
            EXPECT_EQ(f->eNaziv2->DataSet(), f->tImeRobe);
            Type(*f, "Prozor");
            Press(*f, Qt::Key_Return);
            EXPECT_EQ(f->eNaziv2->Text(), "Prozor");
            f->cJedMj->SetFocus();
            Type(*f, "kom");
            Press(*f, Qt::Key_Return);
            EXPECT_EQ(f->eMjera->Text(), "komad");
        }
        f->mOpis->SetFocus();
        Type(*f, "Opis " + n);
        EXPECT_FALSE(f->xDeklaracije->Enabled());
        f->xDistributer->SetFocus();
        Press(*f, Qt::Key_Space);
        ASSERT_TRUE(f->xDeklaracije->Enabled()) << "a distributor's row";
        f->xDeklaracije->SetFocus();
        Press(*f, Qt::Key_Space);
        EXPECT_EQ(f->DekBook->PageIndex(), 1);
        Press(*f, Qt::Key_Return);
        EXPECT_EQ(ActiveName(*f), "mDeklaracija");
        Type(*f, "CE " + n);
        if (c.ShortPage) {
            f->xSifarnik->SetFocus();
            Press(*f, Qt::Key_Space);
            EXPECT_EQ(f->MainBook->PageIndex(), 1);
        }
        Press(*f, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(ActiveName(*f), c.Save);
        Press(*f, Qt::Key_Return);
        EXPECT_EQ(ActiveName(*f), c.KeyEdit) << "saved: a new code is waiting";
        Press(*f, Qt::Key_Escape);
        EXPECT_FALSE(f->isVisible());
        // New articles repeat the unit last chosen.
        const std::string k = std::to_string(i + 1);
        EXPECT_EQ(Texts().back(), k + "|1||Opis " + k + "|CE " + k);
    }
    ASSERT_EQ(Texts().size(), 3u);

    // Opened again, each code shows its texts; unchecking the distributor shuts the declaration again.
    registers::PrikaziArtikle(caller.get(), 1, 1);
    TSifarnikArtikli* f = Artikli.SifarnikArtikli;
    f->cSifra->SetFocus();
    Type(*f, "C2");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(f->mOpis->Text(), "Opis 2");
    EXPECT_EQ(f->mDeklaracija->Text(), "CE 2");
    EXPECT_TRUE(f->xDistributer->Checked());
    f->xDistributer->SetFocus();
    Press(*f, Qt::Key_Space);
    EXPECT_FALSE(f->xDeklaracije->Enabled());
    EXPECT_FALSE(f->xDeklaracije->Checked());
    EXPECT_EQ(f->DekBook->PageIndex(), 0);
    f->Close();
}

// Our own code is a name field: unique among our codes, written without a question; one our other article
// has is refused with a beep and stored nowhere.
TEST_F(ArtikliTest, OurOwnCodeIsUniqueAmongOurCodes) {
    registers::PrikaziArtikle(caller.get(), 1, 2);
    TSifarnikArtikli* f = Track(Artikli.SifarnikArtikli);
    ASSERT_NE(f, nullptr);
    for (const char* code : {"A100", "B200"}) {
        Press(*f, Qt::Key_End, Qt::ControlModifier);
        Press(*f, Qt::Key_Return);
        NewCode(*f, code, "WEKA");
        f->eSifra->SetFocus();
        Type(*f, "N-100");
        Press(*f, Qt::Key_Return);
    }
    EXPECT_EQ(ActiveName(*f), "eSifra") << "the taken code keeps the cursor";
    EXPECT_FALSE(recorder.Beeps.empty());
    const Strings rows = Rows("Global", "SIF_ROBE.DB", {"Partner", "Sifra"});
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "1|N-100"), 1) << ::testing::PrintToString(rows);
    EXPECT_EQ(Asked(), (Strings{"Novo A100", "Novo B200"})) << "no question for our own code";
}

// The own company has no language yet: its name edit refuses a name and says why once, with the text kept
// in the edit; the same text given again is left behind and the cursor goes on, so nothing typed next lands
// in the refusing edit. Nothing is stored in a language nobody set.
TEST_F(ArtikliTest, ANameInTheCompanysMissingLanguageIsRefusedAloudAndLeftOnTheSecondTry) {
    app::WBegin.PodaciPoduzeca.Jezik = 0;
    registers::PrikaziArtikle(caller.get(), 1, 2);
    TSifarnikArtikli* f = Track(Artikli.SifarnikArtikli);
    ASSERT_NE(f, nullptr);
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    NewCode(*f, "A100", "WEKA");
    ASSERT_EQ(ActiveName(*f), "eNaziv");
    Type(*f, "Fenster");
    Press(*f, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*f), "eNaziv2");
    dialogs.Calls.clear();
    Type(*f, "Prozor");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(dialogs.Texts(), Strings{registers::NoOwnLanguageText});
    EXPECT_EQ(ActiveName(*f), "eNaziv2");
    EXPECT_EQ(f->eNaziv2->Text(), "Prozor") << "kept for the user to correct or leave";
    EXPECT_EQ(Names(), Strings{"1|2|Fenster"});
    // Given again: no second message, the cursor goes on and the edit shows what is stored.
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_NE(ActiveName(*f), "eNaziv2");
    EXPECT_EQ(f->eNaziv2->Text(), "");
    const std::string next = ActiveName(*f);
    Type(*f, "X");
    EXPECT_EQ(ActiveName(*f), next);
    EXPECT_EQ(f->eNaziv2->Text(), "") << "typing on goes to the next field";
    EXPECT_EQ(Names(), Strings{"1|2|Fenster"});
    EXPECT_EQ(Articles(), Strings{"1|A100|2|Fenster"});
}

// A row of the supplier coded under a manufacturer's code that names an article already takes that article
// and its name in the supplier's language; the company as manufacturer has no separate "our code".
TEST_F(ArtikliTest, AManufacturersExistingCodeLinksItsArticle) {
    Add("Global", "ROBA.DB", {"Sifra", "Proizvodi", "Naziv"}, {{"L1", "1", "Prozor"}});
    Add("Global", "IME_ROBE.DB", {"Roba", "Govor", "Naziv"}, {{"1", "1", "Prozor"}, {"1", "2", "Fenster"}});
    Add("Global", "SIF_ROBE.DB", {"Partner", "Sifra", "Code", "Proizvodi", "Naziv"},
        {{"1", "L1", "1", "1", "Prozor"}});
    registers::PrikaziArtikle(caller.get(), 1, 2);
    TSifarnikArtikli* f = Track(Artikli.SifarnikArtikli);
    ASSERT_NE(f, nullptr);
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    NewCode(*f, "W1", "LUMENO");
    EXPECT_EQ(Articles(), Strings{"1|L1|1|Prozor"}) << "another's make: no article yet";
    EXPECT_TRUE(f->cOznaka->Enabled());
    EXPECT_EQ(f->lProizvodi->FontColor(), fw::clBlack);
    EXPECT_FALSE(f->eSifra->Enabled()) << "our own make: our code is the manufacturer's";
    EXPECT_EQ(f->lSifra->FontColor(), fw::clGray);
    EXPECT_EQ(ActiveName(*f), "cOznaka");
    Type(*f, "L1");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Codes(), (Strings{"1|L1|1|1|Prozor", "2|W1|1|1|Fenster"}));
    EXPECT_EQ(f->eNaziv->Text(), "Fenster");
    EXPECT_EQ(f->eNaziv2->Text(), "Prozor");
    EXPECT_TRUE(dialogs.Texts().empty());
}

// An article table that refuses every new row: the creation gives up after a few tries with a message and
// leaves the supplier's row without an article, instead of holding the user in the form for ever.
TEST_F(ArtikliTest, ACreationTheTableRefusesStopsWithAMessage) {
    registers::PrikaziArtikle(caller.get(), 1, 2);
    TSifarnikArtikli* f = Track(Artikli.SifarnikArtikli);
    ASSERT_NE(f, nullptr);
    int tries = 0;
    f->tRoba->BeforePost = [&](fw::TDataSet&) {
        ++tries;
        throw base::Abort();
    };
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    NewCode(*f, "A1", "WEKA");
    EXPECT_EQ(tries, registers::ArticleCreationTries);
    EXPECT_EQ(dialogs.Texts(), Strings{registers::ArticleNotCreatedText});
    EXPECT_TRUE(Articles().empty());
    EXPECT_EQ(Codes(), Strings{"2|A1||2|"});
    EXPECT_NE(f->tRoba->MasterSource(), nullptr) << "the article table follows its master again";
}

// A form with an article field: F2 opens the short register of the own company's codes on the field's code;
// the code chosen there comes back into the field, and Enter stores its article.
class ArticleUser : public kit::TMyForm {
public:
    explicit ArticleUser(fw::Component* owner) : kit::TMyForm(owner) {
        resize(400, 200);
        cArtikl = new kit::TDBJustLookup(this, this);
        cArtikl->SetName("cArtikl");
        cArtikl->SetBounds(10, 10, 200, 24);
        cArtikl->SetDataSource(&profiles);
        cArtikl->SetDataField("Code");
        cArtikl->SetLookupSource(&codes);
        cArtikl->SetLookupField("Code");
        cArtikl->SetLookupDisplay("Sifra");
        cArtikl->OnF2Press = [this](fw::Component&) { app::OpenCodeListOf("SIF_ROBE.DB", this); };
        tWRoba = new kit::TMyTable(this);
        tWRoba->SetDatabaseName("Global");
        tWRoba->SetTableName("WROBA.DB");
        tWRoba->FreeToModify = true;
        tWRoba->AddField(std::make_unique<fw::TIntegerField>(), "Code");
        tWRoba->AddField(std::make_unique<fw::TSmallintField>(), "DebljinaProfila");
        tWRoba->AddField(std::make_unique<fw::TSmallintField>(), "DuzinaProfila");
        tWRoba->AddField(std::make_unique<fw::TIntegerField>(), "Partner", fw::fkCalculated);
        tWRoba->OnCalcFields = [](fw::TDataSet& ds) {
            ds.FieldByName("Partner").SetAsInteger(app::WBegin.PodaciPoduzeca.OwnPartner);
        };
        profiles.SetDataSet(tWRoba);
        tArtikl = new kit::TMyTable(this);
        tArtikl->SetDatabaseName("Global");
        tArtikl->SetTableName("SIF_ROBE.DB");
        tArtikl->SetIndexFieldNames("Partner;Code");
        tArtikl->SetMasterSource(&profiles);
        tArtikl->SetMasterFields("Partner;Code");
        codes.SetDataSet(tArtikl);
        SetActiveControl(cArtikl);
    }
    fw::TDataSource profiles, codes;
    kit::TDBJustLookup* cArtikl;
    kit::TMyTable* tWRoba;
    kit::TMyTable* tArtikl;
};

TEST_F(ArtikliTest, F2OnAnArticleFieldPicksFromTheShortRegister) {
    registers::InstallCodeListOpeners();
    Add("Global", "SIF_ROBE.DB", {"Partner", "Sifra", "Code", "Proizvodi"},
        {{"1", "P100", "5", "1"}, {"1", "P200", "6", "1"}, {"2", "P150", "7", "2"}});
    Add("Global", "WROBA.DB", {"Code", "DebljinaProfila"}, {{"5", "70"}});
    std::unique_ptr<ArticleUser> user(fw::CreateForm<ArticleUser>(nullptr));
    fwtest::ShowActive(*user);
    ASSERT_EQ(user->cArtikl->Text(), "P100");
    user->cArtikl->SetFocus();
    Press(*user, Qt::Key_F2);
    TSifarnikArtikli* f = Track(Artikli.SifarnikArtikli);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->isVisible());
    EXPECT_EQ(f->Caller, user.get());
    EXPECT_FALSE(f->xSifarnik->Checked());
    EXPECT_EQ(f->MainBook->PageIndex(), 1) << "pickers show the short register";
    EXPECT_EQ(f->tSifPart->FieldByName("Sifra").AsString(), "LUMENO");
    EXPECT_EQ(f->Book2->PageIndex(), 0) << "the own company's page";
    EXPECT_EQ(f->tSifRobe->FieldByName("Sifra").AsString(), "P100");
    EXPECT_EQ(ActiveName(*f), "gSifRobe3");
    Press(*f, Qt::Key_Down);
    EXPECT_EQ(f->tSifRobe->FieldByName("Sifra").AsString(), "P200");
    Press(*f, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(user->cArtikl->Text(), "P200");
    Press(*user, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "WROBA.DB", {"Code", "DebljinaProfila"}), Strings{"6|70"});
    // The menu's opener shows the full register again on the same form.
    registers::PrikaziArtikle(caller.get(), 1, 0);
    EXPECT_EQ(f->MainBook->PageIndex(), 0);
    EXPECT_TRUE(f->xSifarnik->Checked());
    f->Close();
}

// A register read by block (as a large one is) opens on the supplier's codes with the grid in hand, and
// letters typed into it find the code.
TEST_F(ArtikliTest, ALargeRegisterOpensWithTheGridInHandAndFindsWhatIsTyped) {
    std::vector<std::vector<std::string>> codes;
    for (int i = 0; i < 6000; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "A%05d", i);
        codes.push_back({"1", code, std::to_string(i + 1), "Artikl " + std::to_string(i)});
    }
    Add("Global", "SIF_ROBE.DB", {"Partner", "Sifra", "Code", "Naziv"}, codes);
    engine::SetReadByBlockFrom(0);
    registers::PrikaziArtikle(caller.get(), 1, 1);
    TSifarnikArtikli* f = Track(Artikli.SifarnikArtikli);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->isVisible()) << ::testing::PrintToString(dialogs.Texts());
    EXPECT_EQ(f->tSifPart->FieldByName("Sifra").AsString(), "LUMENO");
    EXPECT_EQ(ActiveName(*f), "gSifRobe");
    Type(*f, "A0015");
    EXPECT_EQ(f->tSifRobe->FieldByName("Sifra").AsString(), "A00150");
    f->Close();
}

// A packing belongs to its unit: changing the article's unit clears a packing of the old unit and keeps one
// that the new unit has.
TEST_F(ArtikliTest, AChangedUnitClearsAPackingOfTheOldUnit) {
    Add("Global", "JEDINICE.DB", {"Sifra"}, {{"M"}});
    Add("Global", "PAKUNG.DB", {"Jedinica", "Sifra"}, {{"2", "ROLA"}});
    TSifarnikArtikli* f = NewArticleInPieces();
    ASSERT_NE(f, nullptr);
    Type(*f, "kutija");
    Press(*f, Qt::Key_Return);
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    ASSERT_EQ(Rows("Global", "ROBA.DB", {"JedMj", "Pakiranje"}), Strings{"1|1"});

    ASSERT_TRUE(f->tSifRobe->FindKey({engine::Value::Int(2), engine::Value::Text("A100")}));
    f->cJedMj->SetFocus();
    f->cJedMj->SelectAll();
    Type(*f, "m");
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(f->cPakiranje->Text(), "") << "KUTIJA is a packing of pieces";
    Type(*f, "rola");
    Press(*f, Qt::Key_Return);
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "ROBA.DB", {"JedMj", "Pakiranje"}), Strings{"2|2"});

    // Back to pieces: the roll goes too; unchanged, the packing stays.
    ASSERT_TRUE(f->tSifRobe->FindKey({engine::Value::Int(2), engine::Value::Text("A100")}));
    f->cJedMj->SetFocus();
    f->cJedMj->SelectAll();
    Type(*f, "kom");
    Press(*f, Qt::Key_Return);
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "ROBA.DB", {"JedMj", "Pakiranje"}), Strings{"1|"});
}

// F2 on the packing opens the quantities as a picker of packing modes: the packing mode chosen there is
// written back and settled, never one of its quantities.
TEST_F(ArtikliTest, ThePackingPickedAmongTheQuantitiesIsThePackingMode) {
    registers::InstallCodeListOpeners();
    Add("Global", "PAKUNG.DB", {"Jedinica", "Sifra"}, {{"1", "SNOP"}});
    Add("Global", "ATOMI.DB", {"Pakung", "Kolicina"}, {{"1", "6"}, {"2", "50"}});
    TSifarnikArtikli* f = NewArticleInPieces();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(ActiveName(*f), "cPakiranje");
    Press(*f, Qt::Key_F2);
    registers::TSifarnikAtoma* atomi = Track(registers::Atomi.SifarnikAtoma);
    Track(registers::Atomi.DSifarnikAtoma);
    ASSERT_NE(atomi, nullptr);
    ASSERT_TRUE(atomi->isVisible());
    atomi->gTable->SetFocus();
    Press(*atomi, Qt::Key_Down);
    ASSERT_EQ(atomi->Module().tPakung->FieldByName("Sifra").AsString(), "SNOP");
    Press(*atomi, Qt::Key_Escape);
    EXPECT_FALSE(atomi->isVisible());
    EXPECT_EQ(f->cPakiranje->Text(), "SNOP");
    Press(*f, Qt::Key_Return);
    EXPECT_TRUE(dialogs.Texts().empty()) << ::testing::PrintToString(dialogs.Texts());
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    EXPECT_EQ(Rows("Global", "ROBA.DB", {"JedMj", "Pakiranje"}), Strings{"1|2"});
}

} // namespace
} // namespace regtest

namespace regtest {
namespace {

// A new article before its supplier code is typed: every edit of the article, its names and its supplier's
// row takes no key and says why; nothing is written anywhere, and the code made next gets the only article.
TEST_F(ArtikliTest, NothingTypedBeforeTheCodeGoesIntoARecordThatDoesNotExist) {
    registers::PrikaziArtikle(caller.get(), 1, 2);
    TSifarnikArtikli* f = Track(Artikli.SifarnikArtikli);
    ASSERT_NE(f, nullptr);
    Press(*f, Qt::Key_End, Qt::ControlModifier);
    Press(*f, Qt::Key_Return);
    ASSERT_EQ(ActiveName(*f), "cSifra");
    for (kit::TDBVar* edit : {f->eNazivRobe, f->eBarKod, f->eTezina, f->eNaziv, f->eNaziv2}) {
        SCOPED_TRACE(edit->Name());
        dialogs.Calls.clear();
        edit->SetFocus();
        ASSERT_EQ(ActiveName(*f), edit->Name());
        Type(*f, "12");
        EXPECT_EQ(dialogs.Texts(), Strings{kit::NoRecordYetText}) << "told once in a visit";
        EXPECT_EQ(edit->Text(), "");
        Press(*f, Qt::Key_Return);
    }
    EXPECT_TRUE(Articles().empty());
    EXPECT_TRUE(Names().empty());
    f->cSifra->SetFocus();
    NewCode(*f, "A100", "WEKA");
    EXPECT_EQ(Articles(), Strings{"1|A100|2|"});
    // Now the record exists: the edits take what is typed.
    ASSERT_EQ(ActiveName(*f), "eNaziv");
    dialogs.Calls.clear();
    Type(*f, "Fenster");
    Press(*f, Qt::Key_Return);
    EXPECT_TRUE(dialogs.Texts().empty());
    EXPECT_EQ(Names(), Strings{"1|2|Fenster"});
}

} // namespace
} // namespace regtest
