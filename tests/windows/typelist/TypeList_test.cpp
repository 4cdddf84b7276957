// The type list driven with keys over real registers: a new type gets its code, sale article (also through
// F2), system and colour; the system colour is checked before the designer opens on the type with the
// system's profiles; it is laid out, saved on closing, drawn in the preview with its roller shutter; a sale
// article another type has, or a new one for a type with rows, is refused; deleted with its rows.

#include "windows/designer/EditWindow.h"
#include "windows/designer/ProfileTables.h"
#include "windows/storage/WindowTypeStore.h"
#include "windows/typelist/PEWin.h"

#include "app/data/Settings.h"
#include "app/shell/CodeListOpeners.h"
#include "app/shell/FormOpener.h"
#include "app/shell/ScriptedDialogs.h"
#include "fw/ui/Guard.h"
#include "kit/Mycombo.h"
#include "kit/MyTable.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/windows/designer/ModalDesigner.h"
#include "tests/windows/storage/StorageFixture.h"

#include <algorithm>
#include <functional>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

namespace {

using engine::Value;

class TypeListTest : public storagetest::StorageTest {
protected:
    TypeListTest() {
        app::CheckTablesOf("WINGL.DB", "Lokal", false);
        kit::InitializeKit();
        app::Settings.CommonSettings.Resources.LoadMode = 1;
        app::FormOpener.FlushTableProc = [](fw::TDataSet&) {};
        // No open-tables register in this folder: count the opens here.
        kit::TableServices& s = kit::KitTableServices;
        s.RegisterTableOpen = [this](fw::TDataSet&) { ++opens; };
        s.UnregisterTableOpen = [this](fw::TDataSet&) { --opens; };
        s.MarkTableChanged = [](fw::TDataSet&) {};
        s.TableOpenCount = [this](fw::TDataSet&) { return opens; };
        codes.DefaultAnswer = true;
        app::WBegin.PodaciPoduzeca.OwnPartner = 1;
        // The own company's articles: what a type is sold as, and the profiles (never offered for sale).
        for (auto [code, sifra, naziv, grupa, deb] :
             std::vector<std::tuple<int, const char*, const char*, int, int>>{{501, "P-501", "Prozor", 10, 0},
                                                                              {502, "P-502", "Balkon", 10, 0},
                                                                              {11, "ST60", "Štok", 1, 60},
                                                                              {21, "PR60", "Prečka", 3, 50},
                                                                              {31, "OK70", "Krilo", 2, 70},
                                                                              {41, "VR90", "Vrata", 4, 90}}) {
            Red("Global", "SIF_ROBE.DB",
                {{"Partner", Value::Int(1)},
                 {"Sifra", Value::Text(sifra)},
                 {"Code", Value::Int(code)},
                 {"Naziv", Value::Text(naziv)},
                 {"Grupa", Value::Int(grupa)}});
            if (deb)
                Red("Global", "WROBA.DB", {{"Code", Value::Int(code)}, {"DebljinaProfila", Value::Int(deb)}});
        }
        for (auto [code, sifra] :
             std::vector<std::pair<int, const char*>>{{5, "BIJ"}, {6, "SME"}, {7, "CRN"}})
            Red("Global", "SIF_BOJA.DB",
                {{"Partner", Value::Int(1)},
                 {"Proizvodi", Value::Int(9)},
                 {"Sifra", Value::Text(sifra)},
                 {"Code", Value::Int(code)},
                 {"Naziv", Value::Text(std::string("Boja ") + sifra)}});
        Red("Lokal", "WSYSTEM.DB",
            {{"Code", Value::Int(3)},
             {"Sifra", Value::Text("S3")},
             {"Proizvodi", Value::Int(9)},
             {"Preklapanje", Value::Int(8)},
             {"Razmak", Value::Int(4)}});
        // White has every profile; brown lacks its door; black has no row.
        Red("Lokal", "WSYSBOJE.DB",
            {{"Sistem", Value::Int(3)},
             {"Boja", Value::Int(5)},
             {"Stok", Value::Int(11)},
             {"Vrata", Value::Int(41)},
             {"Okvir", Value::Int(31)},
             {"Precka", Value::Int(21)}});
        Red("Lokal", "WSYSBOJE.DB",
            {{"Sistem", Value::Int(3)},
             {"Boja", Value::Int(6)},
             {"Stok", Value::Int(11)},
             {"Okvir", Value::Int(31)},
             {"Precka", Value::Int(21)}});
    }
    ~TypeListTest() override {
        delete windows::EditWindowForm.EditWindow;
        delete windows::PEditWindowForm.PEditWindow;
    }
    void Red(const char* baza, const char* tablica, std::vector<std::pair<const char*, Value>> polja) {
        app::CheckTablesOf(tablica, baza, false);
        auto t = engine::Table::Open(root / (std::string(baza) == "Global" ? "global" : "lokal"), tablica,
                                     engine::OpenMode::Shared);
        engine::Row row(t->Fields().size());
        for (auto& [ime, v] : polja)
            for (std::size_t i = 0; i < row.size(); ++i)
                if (t->Fields()[i].Name == ime) row[i] = v;
        t->OpenCursor()->Insert(row);
    }
    void Press(fw::Form& f, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(fwtest::FocusTarget(f), key, mods);
    }
    // Types the text into the control and settles it with Enter.
    void Upisi(fw::Form& f, fw::Control& c, const char* tekst) {
        c.SetFocus();
        if (auto* e = dynamic_cast<QLineEdit*>(&c.Widget())) e->selectAll();
        fwtest::Type(fwtest::FocusTarget(f), QString::fromUtf8(tekst));
        Press(f, Qt::Key_Return);
    }
    // Types of system S3 (code, Code, colour) with a header of 1000 x 1000; sale article 503 for a third.
    void TipoviListe(const std::vector<std::tuple<const char*, int, int>>& types) {
        Red("Global", "SIF_ROBE.DB",
            {{"Partner", Value::Int(1)},
             {"Sifra", Value::Text("P-503")},
             {"Code", Value::Int(503)},
             {"Grupa", Value::Int(10)}});
        for (auto [sifra, code, boja] : types)
            Red("Lokal", "WINGL.DB",
                {{"Sifra", Value::Text(sifra)},
                 {"Naziv", Value::Text(std::string("Tip ") + sifra)},
                 {"Code", Value::Int(code)},
                 {"Sistem", Value::Int(3)},
                 {"Boja", Value::Int(boja)},
                 {"ArtiklOkvira", Value::Int(11)},
                 {"MaxRight", Value::Int(1000)},
                 {"MaxBottom", Value::Int(1000)}});
    }
    // The list as one of several stations shows it, its grid on the second type.
    windows::TPEditWindow* ListaNaDrugomTipu() {
        app::DBMine.MultiUser = true;
        windows::PrikaziTipove(nullptr);
        windows::TPEditWindow* l = windows::PEditWindowForm.PEditWindow;
        if (!l) return nullptr;
        fwtest::ShowActive(*l);
        l->gWinGL2->SetFocus();
        Press(*l, Qt::Key_Down);
        return l;
    }
    // Station B deletes a type through its own open of the list's table.
    void ObrisiNaDrugojStanici(const char* sifra) {
        auto t = engine::Table::Open(root / "lokal", "WINGL.DB", engine::OpenMode::Shared);
        auto c = t->OpenCursor();
        ASSERT_TRUE(c->FindKey({Value::Text(sifra)}));
        c->Delete();
    }
    int opens = 0;
    app::ScriptedDialogs codes;
    bool PreviewDrawn(windows::TPEditWindow& l) {
        const QImage img = l.PaintBox->pixmap().toImage();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != qRgb(255, 255, 255)) return true;
        return false;
    }
    std::vector<std::string> Poruke() {
        std::vector<std::string> p = codes.Texts();
        p.insert(p.end(), shown.begin(), shown.end());
        codes.Calls.clear();
        shown.clear();
        return p;
    }
};

TEST_F(TypeListTest, CreatesChecksDesignsListsAndDeletesATypeByKeys) {
    fw::Form* pozivatelj = nullptr;
    app::RegisterCodeListOpener("SIF_ROBE.DB", [&](fw::Form* caller) {
        // The article register as a picker: it hands the chosen code back into the lookup.
        pozivatelj = caller;
        windows::PEditWindowForm.PEditWindow->eArtikl->SetText("P-501");
    });
    windows::PrikaziTipove(nullptr);
    windows::TPEditWindow* l = windows::PEditWindowForm.PEditWindow;
    ASSERT_NE(l, nullptr);
    fwtest::ShowActive(*l);
    EXPECT_EQ(l->Caption().toStdString(), "Pregled tipova prozora");
    // Every edit of the type stands under its caption.
    std::vector<std::string> captions;
    for (QLabel* label : l->findChildren<QLabel*>())
        if (!label->text().isEmpty()) captions.push_back(label->text().toStdString());
    for (const char* caption :
         {"Tip prozora:", "Naziv tipa prozora:", "Šifra artikla prozora:", "Sistem:", "Boja:"})
        EXPECT_NE(std::find(captions.begin(), captions.end(), caption), captions.end()) << caption;
    EXPECT_TRUE(l->tWinGL2->Active());

    // A new type: its code created in the key field, the rest typed into the edits.
    Upisi(*l, *l->eSifra, "P1");
    ASSERT_EQ(l->tWinGL2->RecordCount(), 1);
    EXPECT_EQ(l->tWinGL2->FieldByName("Sifra").AsString(), "P1");
    Upisi(*l, *l->eNaziv, "Prozor jednokrilni");
    // Without its sale article the type opens nothing and says nothing.
    Press(*l, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(windows::EditWindowForm.EditWindow, nullptr);
    // A profile is not sold as a type: the lookup does not know it.
    Upisi(*l, *l->eArtikl, "ST60");
    EXPECT_EQ(l->tWinGL2->FieldByName("Code").AsInteger(), 0);
    codes.Calls.clear();
    // F2 opens the article register over the list; its choice is settled with Enter.
    l->eArtikl->SetFocus();
    Press(*l, Qt::Key_F2);
    EXPECT_EQ(pozivatelj, l);
    Press(*l, Qt::Key_Return);
    EXPECT_EQ(l->tWinGL2->FieldByName("Code").AsInteger(), 501);
    Upisi(*l, *l->eSistem, "S3");
    EXPECT_EQ(l->tWinGL2->FieldByName("Sistem").AsInteger(), 3);
    EXPECT_TRUE(Poruke().empty());

    // Ctrl+Enter opens the designer only once the system colour is complete.
    Press(*l, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Poruke(), std::vector<std::string>{windows::NoColourText});
    EXPECT_EQ(l->ActiveControl(), l->cBoja);
    Upisi(*l, *l->cBoja, "CRN"); // no profiles for black: the colour is refused
    EXPECT_EQ(Poruke(), std::vector<std::string>{windows::NoSystemColourText});
    EXPECT_EQ(l->tWinGL2->FieldByName("Boja").AsInteger(), 0);
    Upisi(*l, *l->cBoja, "SME");
    EXPECT_EQ(l->tWinGL2->FieldByName("Boja").AsInteger(), 6);
    EXPECT_EQ(l->lBoja->Caption(), "Boja SME");
    Press(*l, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Poruke(), std::vector<std::string>{windows::MissingColourDataText});
    EXPECT_EQ(windows::EditWindowForm.EditWindow, nullptr);
    Upisi(*l, *l->cBoja, "BIJ");
    ASSERT_TRUE(Poruke().empty());
    Upisi(*l, *l->cBoja, "CRN"); // refused again: the colour chosen before stays
    EXPECT_EQ(Poruke(), std::vector<std::string>{windows::NoSystemColourText});
    EXPECT_EQ(l->tWinGL2->FieldByName("Boja").AsInteger(), 5);
    EXPECT_EQ(l->cBoja->Text(), "BIJ");
    // The system again: the header takes its colour's outer frame.
    Upisi(*l, *l->eSistem, "S3");
    EXPECT_EQ(l->tWinGL2->FieldByName("ArtiklOkvira").AsInteger(), 11);

    // The designer runs modally: it is driven from inside its loop.
    std::string caption, stok, novaPrecka;
    std::vector<std::string> noviOkviri;
    std::size_t mullions = 0;
    l->eNaziv->SetFocus();
    const int otvaranja = designertest::WhileDesignerOpen(
        [&] { Press(*l, Qt::Key_Return, Qt::ControlModifier); },
        [&](windows::TEditWindow& d) {
            caption = d.Caption().toStdString();
            stok = d.cSif_stoka->Text();
            novaPrecka = d.CNoviArtiklPrecke->Text();
            noviOkviri = d.CNoviArtiklOkvira->Items();
            QTest::mouseClick(d.PaintBox, Qt::LeftButton, {}, QPoint(200, 150)); // a vertical mullion
            QTest::mouseClick(d.bUkljuciRoletne, Qt::LeftButton);
            mullions = d.D.Model.Precke.size();
            answers.push_back(true);
            d.Close();
        });
    EXPECT_EQ(otvaranja, 1) << "Ctrl+Enter opens the designer once";
    EXPECT_EQ(caption, "Kreiranje tipa: P1 - sistem: S3");
    EXPECT_EQ(stok, "ST60 : Štok");
    EXPECT_EQ(novaPrecka, "PR60 : Prečka");
    EXPECT_EQ(noviOkviri, (std::vector<std::string>{"OK70 : Krilo", "VR90 : Vrata"}))
        << "white has no sliding sash";
    EXPECT_EQ(mullions, 1u);
    EXPECT_EQ(asked, std::vector<std::string>{"Želite li sačuvati promjene ?"});
    ASSERT_TRUE(Poruke().empty());

    // Listed, stored with its mullion, and drawn in the preview under its shutter bar as wide as the frame.
    EXPECT_EQ(l->tWinGL2->RecordCount(), 1);
    EXPECT_EQ(l->tWinGL2->FieldByName("Naziv").AsString(), "Prozor jednokrilni");
    const auto precke = Redovi("WINP.DB", 501);
    ASSERT_EQ(precke.size(), 1u);
    EXPECT_NE(precke[0].find("ArtiklPrecke=21"), std::string::npos) << precke[0];
    EXPECT_TRUE(PreviewDrawn(*l));
    EXPECT_TRUE(l->Roletna->isVisible());
    EXPECT_TRUE(l->Roletna->DiagCross());
    EXPECT_EQ(l->Roletna->x(), l->PaintBox->x());
    EXPECT_LT(l->Roletna->y(), l->PaintBox->y());
    {
        windows::ModelProzora m;
        ASSERT_TRUE(windows::PrenesiProzor(m, 501, {}));
        EXPECT_EQ(l->Roletna->width(), m.MaxRight * 400 / windows::PreviewScale(m) + 1);
    }

    // A second type cannot be sold under the first one's article.
    Upisi(*l, *l->eSifra, "P2");
    ASSERT_EQ(l->tWinGL2->RecordCount(), 2);
    EXPECT_FALSE(l->Roletna->isVisible()) << "a new type has no shutter";
    Upisi(*l, *l->eArtikl, "P-501");
    EXPECT_EQ(Poruke(), std::vector<std::string>{windows::ArticleTakenText});
    EXPECT_EQ(l->tWinGL2->FieldByName("Code").AsInteger(), 0);
    Upisi(*l, *l->eArtikl, "P-502");
    EXPECT_EQ(l->tWinGL2->FieldByName("Code").AsInteger(), 502);
    ASSERT_TRUE(Poruke().empty());
    // The first type keeps its article while rows carry it.
    l->gWinGL2->SetFocus();
    Press(*l, Qt::Key_Home, Qt::ControlModifier);
    l->tWinGL2->First();
    ASSERT_EQ(l->tWinGL2->FieldByName("Sifra").AsString(), "P1");
    Upisi(*l, *l->eArtikl, "P-502");
    EXPECT_EQ(Poruke(), std::vector<std::string>{windows::TypeHasElementsText});
    l->tWinGL2->First();
    EXPECT_EQ(l->tWinGL2->FieldByName("Code").AsInteger(), 501);
    EXPECT_EQ(Redovi("WINP.DB", 501).size(), 1u);

    // Deleted from the grid with its rows; the preview is cleared.
    l->gWinGL2->SetFocus();
    answers.push_back(true);
    Press(*l, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(l->tWinGL2->RecordCount(), 1);
    EXPECT_TRUE(Redovi("WINP.DB", 501).empty());
    EXPECT_FALSE(l->Roletna->isVisible());
    answers.push_back(true);
    Press(*l, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(l->tWinGL2->RecordCount(), 0);
    EXPECT_FALSE(PreviewDrawn(*l));
    EXPECT_FALSE(l->Roletna->isVisible());
}

// A type that work-order items use is not deleted, by no road: the grid refuses before its question, the
// list's table refuses any other delete, and neither its Code (the sale article) nor its system changes under
// them, each naming the orders and items; once no item uses it, it goes.
TEST_F(TypeListTest, ATypeThatOrderItemsUseIsNotDeleted) {
    TipoviListe({{"K1", 501, 5}, {"K1R", 502, 5}});
    windows::ModelProzora m;
    storagetest::MaliModel(m, 1000);
    ASSERT_TRUE(windows::SpremiProzor(m, 502));
    Red("Lokal", "RADNINAL.DB", {{"Code", Value::Int(1)}, {"Sifra", Value::Text("1/2026")}});
    Red("Lokal", "RADNINAL.DB", {{"Code", Value::Int(2)}, {"Sifra", Value::Text("2/2026")}});
    for (auto [rn, stavka, tip] :
         std::vector<std::tuple<int, int, int>>{{1, 4, 501}, {1, 5, 502}, {2, 12, 502}})
        Red("Lokal", "STAVKERN.DB",
            {{"BrojRN", Value::Int(rn)}, {"Stavka", Value::Int(stavka)}, {"Tip", Value::Int(tip)}});
    windows::PrikaziTipove(nullptr);
    windows::TPEditWindow* l = windows::PEditWindowForm.PEditWindow;
    ASSERT_NE(l, nullptr);
    fwtest::ShowActive(*l);
    const std::string refused = "Nije dozvoljeno brisanje šifre K1R,\r\njer je koriste: 2 stavke naloga "
                                "(1/2026 stavka 5, 2/2026 stavka 12).";
    const std::vector<std::pair<const char*, std::function<void()>>> roads{
        {"Ctrl+Delete in the grid",
         [&] {
             l->gWinGL2->SetFocus();
             Press(*l, Qt::Key_Delete, Qt::ControlModifier);
         }},
        {"the list's own delete", [&] { fw::Guarded([&] { l->tWinGL2->Delete(); }); }},
    };
    for (const auto& [road, brisi] : roads) {
        l->tWinGL2->Last();
        ASSERT_EQ(l->tWinGL2->FieldByName("Sifra").AsString(), "K1R");
        brisi();
        EXPECT_EQ(Poruke(), std::vector<std::string>{refused}) << road;
        EXPECT_EQ(l->tWinGL2->RecordCount(), 2) << road;
        EXPECT_EQ(Redovi("WINP.DB", 502).size(), 1u) << road << ": the type keeps its rows";
    }
    // Nor does a new sale article take the type away from its items.
    l->tWinGL2->First();
    ASSERT_EQ(l->tWinGL2->FieldByName("Sifra").AsString(), "K1");
    Upisi(*l, *l->eArtikl, "P-503");
    EXPECT_EQ(Poruke(), std::vector<std::string>{std::string(windows::TypeUsedText) +
                                                 "1 stavka naloga (1/2026 stavka 4)."});
    l->tWinGL2->First();
    EXPECT_EQ(l->tWinGL2->FieldByName("Code").AsInteger(), 501);
    // Nor another system, in which its items' orders would not find it.
    Red("Lokal", "WSYSTEM.DB",
        {{"Code", Value::Int(4)}, {"Sifra", Value::Text("S4")}, {"Proizvodi", Value::Int(9)}});
    Upisi(*l, *l->eSistem, "S4");
    EXPECT_EQ(Poruke(), std::vector<std::string>{std::string(windows::TypeSystemUsedText) +
                                                 "1 stavka naloga (1/2026 stavka 4)."});
    l->tWinGL2->First();
    EXPECT_EQ(l->tWinGL2->FieldByName("Sistem").AsInteger(), 3);

    // The items moved to another type: the type goes with its rows.
    auto stavke = engine::Table::Open(root / "lokal", "STAVKERN.DB", engine::OpenMode::Shared);
    for (auto c = stavke->OpenCursor(); c->First(), c->OnRow();)
        c->Delete();
    l->gWinGL2->SetFocus();
    l->tWinGL2->Last();
    ASSERT_EQ(l->tWinGL2->FieldByName("Sifra").AsString(), "K1R") << ::testing::PrintToString(Poruke());
    answers.push_back(true);
    Press(*l, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(l->tWinGL2->RecordCount(), 1);
    EXPECT_TRUE(Redovi("WINP.DB", 502).empty());
}

// The designer's catalogue over the tables: codes, Sifra and the nearest Sifra of the own company's
// articles with their profile widths, and a system colour's profiles.
TEST_F(TypeListTest, TheDesignersArticlesComeFromTheRegisters) {
    Red("Global", "SIF_ROBE.DB",
        {{"Partner", Value::Int(4)}, {"Sifra", Value::Text("ZZ")}, {"Code", Value::Int(99)}});
    windows::TableArticleCatalog k(1);
    ASSERT_TRUE(k.ByCode(31));
    EXPECT_EQ(k.ByCode(31)->Tekst(), "OK70 : Krilo");
    EXPECT_EQ(k.ByCode(31)->Debljina, 70);
    EXPECT_FALSE(k.ByCode(99)) << "another partner's article";
    EXPECT_EQ(k.BySifra("PR60")->Code, 21);
    EXPECT_FALSE(k.BySifra("PR6"));
    const std::pair<const char*, int> najblizi[] = {
        {"PR", 21}, {"A", 31}, {"VR9", 41}, {"ZZZ", 41}, {"ST", 11}};
    for (auto [tekst, code] : najblizi)
        EXPECT_EQ(k.NearestSifra(tekst)->Code, code) << tekst;
    const windows::SystemArticles s = windows::ProfiliSustava(k, 3, 5);
    EXPECT_EQ(s.Preklapanje, 8);
    EXPECT_EQ(s.Razmak, 4);
    ASSERT_TRUE(s.Okvir && s.Vrata && s.Precka);
    EXPECT_EQ(s.Vrata->Debljina, 90);
    EXPECT_FALSE(s.KlizniOkvir);
    EXPECT_FALSE(windows::ProfiliSustava(k, 3, 7).Okvir) << "no row for the colour";
    EXPECT_FALSE(windows::TableArticleCatalog(8).NearestSifra("A")) << "a partner without articles";
}

// Another station deletes the type this list stands on: "Obrada prozora" reads the list again and does not
// open the deleted type; the fields, the colour and the preview follow the row that took its place, which
// then opens. Back in the grid, the list is read again too.
TEST_F(TypeListTest, ATypeAnotherStationDeletedIsNotOfferedAndTheFieldsFollowTheGrid) {
    TipoviListe({{"T1", 501, 5}, {"T5", 502, 5}, {"T50", 503, 6}});
    windows::TPEditWindow* l = ListaNaDrugomTipu();
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(l->eSifra->Text(), "T5");
    ASSERT_EQ(l->lBoja->Caption(), "Boja BIJ");

    ObrisiNaDrugojStanici("T5");
    l->gWinGL2->viewport()->repaint();
    int opened = designertest::WhileDesignerOpen([&] { Press(*l, Qt::Key_Return, Qt::ControlModifier); },
                                                 [&](windows::TEditWindow& d) { d.Close(); });
    EXPECT_EQ(opened, 0) << "the deleted type is not opened";
    EXPECT_EQ(Poruke(), std::vector<std::string>{kit::RecordDeletedText});
    EXPECT_EQ(l->eSifra->Text(), "T50");
    EXPECT_EQ(l->eNaziv->Text(), "Tip T50");
    EXPECT_EQ(l->lBoja->Caption(), "Boja SME");
    EXPECT_EQ(l->CurrentCode(), 503);
    EXPECT_EQ(l->gWinGL2->model()->index(l->gWinGL2->currentIndex().row(), 0).data().toString(), "T50");

    // The row shown now opens (its colour lacks the door: the check of the row, not of the deleted one).
    std::string caption;
    opened = designertest::WhileDesignerOpen([&] { Press(*l, Qt::Key_Return, Qt::ControlModifier); },
                                             [&](windows::TEditWindow& d) {
                                                 caption = d.Caption().toStdString();
                                                 d.Close();
                                             });
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(Poruke(), std::vector<std::string>{windows::MissingColourDataText});

    // Deleted while the user is in another field: entering the grid again shows what it stands on.
    l->eNaziv->SetFocus();
    ObrisiNaDrugojStanici("T50");
    Press(*l, Qt::Key_Home, Qt::ControlModifier);
    ASSERT_EQ(l->ActiveControl(), l->gWinGL2);
    EXPECT_EQ(l->eSifra->Text(), "T1");
    EXPECT_EQ(l->lBoja->Caption(), "Boja BIJ");
    EXPECT_EQ(l->tWinGL2->RecordCount(), 1);
    opened = designertest::WhileDesignerOpen([&] { Press(*l, Qt::Key_Return, Qt::ControlModifier); },
                                             [&](windows::TEditWindow& d) {
                                                 caption = d.Caption().toStdString();
                                                 d.Close();
                                             });
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(caption, "Kreiranje tipa: T1 - sistem: S3");
}

// Another station deletes the type shown while the user is in its fields: the edit begun there re-reads the
// list, and the colour and the preview then follow the row that took the deleted one's place.
TEST_F(TypeListTest, ATypeDeletedUnderTheFieldsLeavesNothingOfItShown) {
    TipoviListe({{"T1", 501, 5}, {"T5", 502, 6}});
    windows::ModelProzora m;
    storagetest::MaliModel(m, 1000);
    m.Roletne = true;
    ASSERT_TRUE(windows::SpremiProzor(m, 502));
    windows::TPEditWindow* l = ListaNaDrugomTipu();
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(l->eSifra->Text(), "T5");
    ASSERT_EQ(l->lBoja->Caption(), "Boja SME");
    ASSERT_TRUE(PreviewDrawn(*l));
    ASSERT_TRUE(l->Roletna->isVisible());

    l->eNaziv->SetFocus();
    ObrisiNaDrugojStanici("T5");
    fwtest::Type(fwtest::FocusTarget(*l), "X");
    EXPECT_EQ(Poruke(), std::vector<std::string>{kit::RecordDeletedText});
    EXPECT_EQ(l->eSifra->Text(), "T1");
    EXPECT_EQ(l->eNaziv->Text(), "Tip T1");
    EXPECT_EQ(l->lBoja->Caption(), "Boja BIJ");
    EXPECT_FALSE(l->Roletna->isVisible());
    const QImage preview = l->PaintBox->pixmap().toImage();
    l->Nacrtaj(501);
    EXPECT_EQ(preview, l->PaintBox->pixmap().toImage()) << "the preview is T1's";
}

// The list's columns: the type's code and name under their titles, no stored link or size; while the grid
// has the focus, the code's title shows what is typed to search.
TEST_F(TypeListTest, TheListShowsCodeAndNameUnderTheirTitles) {
    Red("Lokal", "WINGL.DB",
        {{"Sifra", Value::Text("T1")}, {"Naziv", Value::Text("Prvi")}, {"Code", Value::Int(501)}});
    windows::PrikaziTipove(nullptr);
    windows::TPEditWindow* l = windows::PEditWindowForm.PEditWindow;
    ASSERT_NE(l, nullptr);
    fwtest::ShowActive(*l);
    auto titles = [&] {
        std::vector<std::string> t;
        for (int c = 0; c < l->gWinGL2->model()->columnCount(); ++c)
            t.push_back(l->gWinGL2->model()->headerData(c, Qt::Horizontal).toString().toStdString());
        return t;
    };
    ASSERT_EQ(l->ActiveControl(), l->gWinGL2);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Tip prozora", "Naziv tipa prozora"}));
    Press(*l, Qt::Key_T);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Tip prozora: T", "Naziv tipa prozora"}));
    l->eNaziv->SetFocus();
    EXPECT_EQ(titles(), (std::vector<std::string>{"Tip prozora", "Naziv tipa prozora"}));
    EXPECT_EQ(l->gWinGL2->model()->index(0, 0).data().toString().toStdString(), "T1");
}

} // namespace
