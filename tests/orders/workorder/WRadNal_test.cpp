// The work-order form driven with keys only: an order whose customer, system, colour and types are chosen in
// lookups (by code or with F2 from the registers), with items of three window types fitted to their sizes
// (one re-coloured), a dud item that disappears and renumbers the rest with their copies, both cutting runs,
// and the lists they leave on disk.

#include "orders/workorder/IspisiNaloga.h"
#include "orders/workorder/PrilagodbaStavke.h"
#include "orders/workorder/ProgresOptimizacije.h"
#include "orders/workorder/WRadNal.h"

#include "app/data/DataSetServices.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/CodeListOpeners.h"
#include "app/shell/FormOpener.h"
#include "app/shell/ScriptedDialogs.h"
#include "base/CroatianFormat.h"
#include "base/Exceptions.h"
#include "controls/PrintPreviewForm.h"
#include "kit/MyTable.h"
#include "kit/O_Plom.h"
#include "tests/app/data/ServicesFixture.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/orders/OrderTables.h"
#include "tests/windows/designer/ModalDesigner.h"
#include "windows/designer/EditWindow.h"
#include "windows/storage/StoredTable.h"
#include "windows/storage/WindowTypeStore.h"
#include "windows/typelist/PEWin.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <map>
#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <set>
#include <sstream>

namespace {

using engine::Value;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

// The code dialogs answered by script; what another station does while a question is open runs first.
class Kodovi : public app::ScriptedDialogs {
public:
    std::function<void()> DokPita;
    bool AskNovo(const std::string& caption, const std::string& code) override {
        if (DokPita) DokPita();
        return app::ScriptedDialogs::AskNovo(caption, code);
    }
};

class WRadNal : public apptest::ServicesTest {
protected:
    using Polja = ordertables::Fields;

    WRadNal() {
        kit::InitializeKit();
        app::Settings.CommonSettings.Resources.LoadMode = 1;
        app::WBegin.PodaciPoduzeca.OwnPartner = 1;
        app::FormOpener.FlushTableProc = [](fw::TDataSet&) {};
        kit::TableServices& s = kit::KitTableServices;
        s.RegisterTableOpen = [this](fw::TDataSet&) { ++opens; };
        s.UnregisterTableOpen = [this](fw::TDataSet&) { --opens; };
        s.MarkTableChanged = [](fw::TDataSet&) {};
        s.TableOpenCount = [this](fw::TDataSet&) { return opens; };
    }
    ~WRadNal() override {
        delete orders::RadniNaloziForm.WRadniNalozi;
        delete windows::EditWindowForm.EditWindow;
        delete windows::PEditWindowForm.PEditWindow; // the type list the form prepares
    }

    void Upisi(const char* baza, const std::string& tablica, const Polja& polja) {
        ordertables::AddRow(root, baza, tablica, polja);
    }

    // The test system (see ordertables) of producer 7; colour 4 is the order's, colour 5 another colour of
    // the same system (frame 111, mullion 113).
    void Sustav() {
        ordertables::System sustav;
        sustav.Proizvodi = 7;
        ordertables::AddSystem(root, sustav);
        orders::BojaSistema boja5 = ordertables::Profiles();
        for (std::int32_t* a :
             {&boja5.Stok, &boja5.ZStoka, &boja5.Vrata, &boja5.ZVrata, &boja5.Okvir, &boja5.ZOkvira,
              &boja5.KlizniOkvir, &boja5.ZKlizniOkvir, &boja5.Precka, &boja5.ZPrecka})
            *a += 10;
        ordertables::AddSystemColour(root, 3, 4);
        ordertables::AddSystemColour(root, 3, 5, boja5);
        // The producer's colours: black has no profiles in the system.
        for (const auto& [code, sifra] : {std::pair{4, "BIJ"}, std::pair{5, "SME"}, std::pair{6, "CRN"}})
            Upisi("Global", "SIF_BOJA.DB",
                  {{"Partner", Value::Int(1)},
                   {"Proizvodi", Value::Int(7)},
                   {"Code", Value::Int(code)},
                   {"Sifra", Value::Text(sifra)}});
        const std::int32_t artikli[][4] = {
            {101, 1, 60, 6500},   {102, 2, 70, 6500},  {103, 3, 80, 6500}, // frame, sash, mullion
            {105, 5, 0, 16000},   {106, 5, 0, 6500},   {108, 5, 0, 6500},  // reinforcements
            {111, 1, 60, 6500},   {113, 3, 80, 6500},                      // colour 5's frame and mullion
            {201, 6, 2000, 3000}, {202, 6, 2000, 3000}};                   // glass sheets
        for (const auto& a : artikli)
            ordertables::AddArticle(root, a[0], a[1], a[2], a[3], {}, 7);
    }

    // A 1000 x 1000 catalogue type with a 60 mm frame, built by the caller.
    void Tip(std::int32_t code, const char* sifra, int boja, std::int32_t stok,
             const std::function<void(windows::ModelProzora&)>& gradi) {
        Upisi("Lokal", "WINGL.DB",
              {{"Sifra", Value::Text(sifra)},
               {"Code", Value::Int(code)},
               {"Sistem", Value::Int(3)},
               {"Boja", Value::Int(boja)}});
        windows::ModelProzora m;
        ordertables::PlainWindow(m, 1000, 1000, stok);
        gradi(m);
        ASSERT_TRUE(windows::SpremiProzor(m, code));
    }

    // The rows of a table of the order with Code 1, each as its listed fields ("-" for a null).
    std::vector<std::string> Redovi(const std::string& tablica, const char* kljuc,
                                    const std::vector<std::string>& polja) {
        return ordertables::RowsOf(root, tablica, kljuc, 1, polja);
    }

    // A grid's column titles, and the texts of one of its rows.
    static std::vector<std::string> Naslovi(fw::DBGrid& g) {
        std::vector<std::string> t;
        for (int c = 0; c < g.model()->columnCount(); ++c)
            t.push_back(g.model()->headerData(c, Qt::Horizontal).toString().toStdString());
        return t;
    }
    static std::vector<std::string> Redak(fw::DBGrid& g, int red) {
        std::vector<std::string> t;
        for (int c = 0; c < g.model()->columnCount(); ++c)
            t.push_back(g.model()->index(red, c).data().toString().toStdString());
        return t;
    }

    void Tipka(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(fwtest::FocusTarget(*f), key, mods);
    }
    // Types into the focused edit and leaves it with Enter; "@code" picks the code with F2 instead.
    void Unesi(const QString& tekst) {
        if (tekst.startsWith('@')) {
            izbor = tekst.mid(1).toStdString();
            Tipka(Qt::Key_F2);
        } else {
            fwtest::Type(fwtest::FocusTarget(*f), tekst);
        }
        Tipka(Qt::Key_Return);
    }
    // The registers as pickers: each notes itself and hands `izbor` back into the caller's lookup.
    void Registri() {
        for (const char* t : {"SIF_PART.DB", "WSYSTEM.DB", "SIF_BOJA.DB", "WINGL.DB", "SIF_ROBE.DB"})
            app::RegisterCodeListOpener(t, [this, t](fw::Form* caller) {
                registri.push_back(t);
                ASSERT_EQ(caller, f);
                dynamic_cast<kit::LookupControl&>(*caller->ActiveControl()).SetText(izbor);
            });
    }
    std::string Aktivna() { return f->ActiveControl() ? f->ActiveControl()->Name() : "-"; }
    // One item from its number edit on: type, glass, quantity, width, height, price.
    void Stavka(const char* tip, const char* staklo, const char* kolicina, const char* sirina,
                const char* visina, const char* cijena) {
        ASSERT_EQ(Aktivna(), "eStavka");
        Tipka(Qt::Key_Return);
        for (const char* v : {tip, staklo, kolicina, sirina, visina, cijena})
            Unesi(v);
    }

    // The three catalogue types: a fixed light, a window with one sash, and one split by a vertical mullion
    // drawn in colour 5.
    void Tipovi() {
        Tip(501, "FIKS", 4, 101, [](windows::ModelProzora&) {});
        Tip(502, "KRILO", 4, 101,
            [](windows::ModelProzora& m) { ASSERT_NE(m.DodajOkvir(500, 500, 70, 102, 0), nullptr); });
        Tip(503, "PRECKA", 5, 111,
            [](windows::ModelProzora& m) { ASSERT_NE(m.DodajPrecku(500, 500, false, 80, 113), nullptr); });
    }

    // The form on the screen, its order list focused.
    void Otvori() {
        orders::PrikaziRadneNaloge(nullptr);
        f = orders::RadniNaloziForm.WRadniNalozi;
        ASSERT_NE(f, nullptr);
        fwtest::ShowActive(*f);
        ASSERT_EQ(Aktivna(), "gRadniNal");
    }

    int opens = 0;
    // The key fields' questions (new number, change of number, delete); the message boxes stay with the
    // fixture's `asked` and `shown`.
    Kodovi kodovi;
    orders::TWRadniNalozi* f = nullptr;
    std::string izbor;
    std::vector<std::string> registri;
};

TEST_F(WRadNal, AnOrderEnteredByKeysIsFittedRenumberedAndCut) {
    Sustav();
    // PRECKA is stored in colour 5: the order's colour gives it 101 and 103 (same thicknesses).
    Tipovi();
    std::vector<orders::ListaStakla> ispisano;
    orders::IspisiNaloga.IspisStakla = [&](std::int32_t rn, const std::vector<orders::ListaStakla>& l, bool) {
        EXPECT_EQ(rn, 1);
        ispisano = l;
    };

    Upisi("Lokal", "SIF_PART.DB", {{"Sifra", Value::Text("KUP")}, {"Partner", Value::Int(9)}});
    Registri();
    Otvori();
    EXPECT_EQ(f->Caption().toStdString(), "Ponude / Radni nalozi za izradu prozora");

    // The header: a new order is offered number 1, made after the key field's question and dated today.
    Tipka(Qt::Key_Insert);
    Tipka(Qt::Key_Return);
    ASSERT_EQ(Aktivna(), "eBroj");
    EXPECT_EQ(f->eBroj->Text(), "1");
    kodovi.Answer(true);
    Tipka(Qt::Key_Return);
    EXPECT_THAT(kodovi.Asked(), ElementsAre("Novo 1"));
    EXPECT_EQ(kodovi.Calls[0].Caption, "Broj naloga");
    EXPECT_THAT(Redovi("RADNINAL.DB", "Code", {"Broj"}), ElementsAre("1"));
    EXPECT_EQ(f->tRadniNal->FieldByName("Datum").AsDateTime(), base::ToDateTime(base::Today()));
    ASSERT_EQ(Aktivna(), "eSifra");
    Unesi("RN-1");
    Tipka(Qt::Key_Return); // the date
    // The customer from the partners' register, the system by its code (capitalised).
    ASSERT_EQ(Aktivna(), "eKupac");
    Unesi("@KUP");
    EXPECT_EQ(f->eKupac->Text(), "KUP");
    Unesi("Kupac d.o.o.");
    Unesi("s3");
    ASSERT_EQ(Aktivna(), "eBoja");
    // The colour from the producer's register.
    Unesi("@BIJ");
    ASSERT_EQ(Aktivna(), "BitBtn1");
    ASSERT_THAT(shown, IsEmpty());
    Tipka(Qt::Key_Return);
    ASSERT_EQ(f->Book->PageIndex(), 1);
    ASSERT_EQ(Aktivna(), "gStavkeRN");

    // Four items; the second has no quantity and goes when the page is left.
    Tipka(Qt::Key_Insert);
    Tipka(Qt::Key_Return);
    // Types and glass by their codes, two of them picked with F2.
    Stavka("@FIKS", "A201", "2", "1000", "800", "100");
    for (const auto& s : {std::array<const char*, 6>{"fiks", "A201", "0", "900", "900", "50"},
                          std::array<const char*, 6>{"KRILO", "A201", "1", "1200", "1400", "200"},
                          std::array<const char*, 6>{"PRECKA", "@A202", "1", "1800", "1200", "300"}}) {
        Tipka(Qt::Key_Return, Qt::ControlModifier);
        Stavka(s[0], s[1], s[2], s[3], s[4], s[5]);
    }
    ASSERT_THAT(shown, IsEmpty());
    EXPECT_THAT(registri, ElementsAre("SIF_PART.DB", "SIF_BOJA.DB", "WINGL.DB", "SIF_ROBE.DB"));
    // Each item is made when its number is confirmed and takes each value as it is left; a quantity of 0
    // is stored empty.
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Stavka", "Tip", "Kolicina", "Sirina", "Visina"}),
                ElementsAre("1 501 2 1000 800", "2 501 - 900 900", "3 502 1 1200 1400", "4 503 1 1800 1200"));
    // Every item has its copy at its size; the last is drawn.
    EXPECT_THAT(Redovi("NWINGL.DB", "RN", {"RNS", "MaxRight", "MaxBottom", "WinRight", "WinBottom", "Boja"}),
                UnorderedElementsAre("1 1000 800 940 740 4", "2 900 900 840 840 4", "3 1200 1400 1140 1340 4",
                                     "4 1800 1200 1740 1140 4"));
    // The fitted copies: the sash follows the right and bottom edges; the mullion's centre scales from 500
    // to 900 across, keeps its 80 mm and takes the order colour's article.
    EXPECT_THAT(Redovi("NWINO.DB", "RN", {"RNS", "ArtiklOkvira", "L1", "T1", "R1", "B1", "R2", "B2"}),
                ElementsAre("3 102 60 60 1140 1340 1078 1278"));
    EXPECT_THAT(Redovi("NWINP.DB", "RN", {"RNS", "ArtiklPrecke", "L", "T", "R", "B"}),
                ElementsAre("4 103 860 60 940 1140"));

    // Leaving the items: the dud goes with its copy, the rest close up with theirs, the total is kept.
    Tipka(Qt::Key_Escape);
    ASSERT_EQ(f->Book->PageIndex(), 0);
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Stavka", "Tip"}), ElementsAre("1 501", "2 502", "3 503"));
    EXPECT_THAT(Redovi("NWINGL.DB", "RN", {"RNS", "MaxRight", "MaxBottom"}),
                UnorderedElementsAre("1 1000 800", "2 1200 1400", "3 1800 1200"));
    EXPECT_THAT(Redovi("NWINO.DB", "RN", {"RNS", "R1"}), ElementsAre("2 1140"));
    EXPECT_THAT(Redovi("NWINP.DB", "RN", {"RNS", "L"}), ElementsAre("3 860"));
    EXPECT_EQ(f->tRadniNal->FieldByName("Iznos").AsFloat(), 2 * 100.0 + 200 + 300);
    // The items' grid: the types and glass by their codes, not their stored integers.
    EXPECT_THAT(Naslovi(*f->gStavkeRN),
                ElementsAre("Stavka", "Količina", "Širina", "Visina", "Cijena", "Tip prozora", "Staklo"));
    EXPECT_THAT(Redak(*f->gStavkeRN, 0), ElementsAre("1", "2", "1000", "800", "100", "FIKS", "A201"));
    EXPECT_FALSE(f->bIspisNaloga->Enabled());

    // "OPTIMIZACIJA I" from the header page.
    Tipka(Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(Aktivna(), "Optimizacija");
    Tipka(Qt::Key_Space);
    // The progress window has gone: the form is active again.
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    ASSERT_THAT(shown, IsEmpty());
    EXPECT_EQ(Aktivna(), "Optimizacija");
    EXPECT_THAT(f->FazeZadnjegRada, ElementsAre("Prebacivanje...", "Optimizacija...",
                                                "Brisanje stare optimizirane liste profila..."));
    EXPECT_TRUE(f->bIspisNaloga->Enabled());
    EXPECT_THAT(Redovi("RADNINAL.DB", "Code", {"Broj", "Sifra", "Kupac", "Sistem", "Boja"}),
                ElementsAre("1 RN-1 9 3 4"));
    // The same lists as the three-item order entered straight into the tables.
    EXPECT_THAT(Redovi("RNOPTIMA.DB", "RadniNalog",
                       {"Rbr", "Artikl", "Prozor", "Duzina", "Duzina1", "Duzina2", "KutL", "KutD"}),
                ElementsAreArray(ordertables::ThreeItemCuttingList()));
    EXPECT_THAT(
        Redovi("RNOPTST.DB", "RadniNalog", {"Rbr", "Artikl", "Kolicina", "Prozor", "Duzina", "Sirina"}),
        ElementsAreArray(ordertables::ThreeItemGlassList()));

    // The glass run, one button on: each article's panes on its 2000 x 3000 sheets.
    Tipka(Qt::Key_Tab);
    ASSERT_EQ(Aktivna(), "bOptimaStakla");
    Tipka(Qt::Key_Space);
    ASSERT_THAT(shown, IsEmpty());
    EXPECT_THAT(f->FazeZadnjegRada, ElementsAre("Optimizacija stakla..."));
    ASSERT_EQ(ispisano.size(), 2u);
    for (const orders::ListaStakla& l : ispisano)
        EXPECT_EQ(l.Raspored.BrojPloca, 1) << l.Sifra;
    EXPECT_THAT(ordertables::PanesOf(ispisano), UnorderedElementsAreArray(ordertables::ThreeItemPanes()));

    // F5 shows both lists under the order's number; Esc goes back to the header.
    Tipka(Qt::Key_F5);
    EXPECT_EQ(f->Book->PageIndex(), 2);
    EXPECT_EQ(f->NaslovPrikaza->Caption(), "OPTIMIZIRANA LISTA PROFILA NALOGA BROJ 1");
    EXPECT_EQ(f->tRNOptima->RecordCount(), 43);
    EXPECT_EQ(f->tRNOptSt->RecordCount(), 4);
    // The lists' grids name their columns as the printouts do and show the articles by their codes.
    EXPECT_THAT(Naslovi(*f->gRNOptima),
                ElementsAre("Rbr", "Prozor", "Dužina", "Dužina 1", "Kut L", "Kut D", "Dužina 2", "Artikl"));
    EXPECT_THAT(Redak(*f->gRNOptima, 0), ElementsAre("1", "3", "1810", "1806", "45", "45", "1800", "A101"));
    EXPECT_THAT(Naslovi(*f->gStaklo), ElementsAre("Rbr", "Količina", "Prozor", "Dužina", "Širina", "Artikl"));
    EXPECT_EQ(Redak(*f->gStaklo, 0).back().substr(0, 3), "A20");
    Tipka(Qt::Key_Escape);
    EXPECT_EQ(f->Book->PageIndex(), 0);
    // The order list has the focus: its search column (the number) keeps its title.
    EXPECT_THAT(Naslovi(*f->gRadniNal),
                ElementsAre("Šifra naloga", "Optimizacija", "Broj naloga", "Datum", "Iznos", "Naručioc"));
    EXPECT_EQ(Redak(*f->gRadniNal, 0)[1], "Da") << "the order is cut: said in the program's language";
    f->eNaputak->SetFocus();
    EXPECT_EQ(Naslovi(*f->gRadniNal)[2], "Broj naloga");

    // The instructions: Shift+Enter breaks their line, Ctrl+Enter saves the header on the way to the items.
    f->eNaputak->SetFocus();
    fwtest::Type(fwtest::FocusTarget(*f), QString::fromUtf8("Ugradnja na gradilištu."));
    Tipka(Qt::Key_Return, Qt::ShiftModifier);
    fwtest::Type(fwtest::FocusTarget(*f), QString::fromUtf8("Plaćanje po predračunu, žica"));
    ASSERT_EQ(Aktivna(), "eNaputak");
    Tipka(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(f->Book->PageIndex(), 1);
    EXPECT_THAT(Redovi("RADNINAL.DB", "Broj", {"Naputak"}),
                ElementsAre("Ugradnja na gradilištu.\r\nPlaćanje po predračunu, žica"));
}

TEST_F(WRadNal, AStoppedRunChangesNothingAndDeletesTakeCopiesAndListsAlong) {
    Sustav();
    Tipovi();
    ordertables::AddOrder(root, {});
    const int mjere[][3] = {{501, 1000, 800}, {502, 1200, 1400}};
    for (int i = 0; i < 2; ++i) {
        ordertables::AddItem(root, {1, i + 1, mjere[i][0], 201, 1, mjere[i][1], mjere[i][2], {}});
        windows::ModelProzora m;
        ASSERT_GT(orders::PrilagodiStavku(m, {1, i + 1, mjere[i][0], mjere[i][1], mjere[i][2], 3, 4}), 0);
    }
    Otvori();

    // "&Opoziv" on the progress window stops the run before anything is written.
    QTimer opoziv;
    QObject::connect(&opoziv, &QTimer::timeout, [&] {
        auto* p = dynamic_cast<orders::ProgresOptimizacije*>(f->findChild<QWidget*>("ProgresOptimizacije"));
        if (p && p->isVisible()) {
            opoziv.stop();
            p->Opoziv()->click();
        }
    });
    opoziv.start(0);
    Tipka(Qt::Key_End, Qt::ControlModifier);
    Tipka(Qt::Key_Space);
    ASSERT_FALSE(opoziv.isActive());
    EXPECT_THAT(f->FazeZadnjegRada, ElementsAre("Prebacivanje..."));
    EXPECT_THAT(Redovi("RNOPTIMA.DB", "RadniNalog", {"Rbr"}), IsEmpty());
    EXPECT_FALSE(f->bIspisNaloga->Enabled());
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    Tipka(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    // frames 4 + 4, the sash 4, the separator, reinforcements 8 + 4
    EXPECT_EQ(Redovi("RNOPTIMA.DB", "RadniNalog", {"Rbr"}).size(), 25u);
    EXPECT_EQ(Redovi("RNOPTST.DB", "RadniNalog", {"Prozor", "Duzina", "Sirina"}),
              (std::vector<std::string>{"1 670 870", "2 1156 956"}));
    EXPECT_TRUE(f->bIspisNaloga->Enabled());

    // The first item deleted from the grid goes with its copy; leaving the page gives the second its
    // number with its copy.
    Tipka(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(f->Book->PageIndex(), 1);
    ASSERT_EQ(Aktivna(), "gStavkeRN");
    Tipka(Qt::Key_Home, Qt::ControlModifier);
    Tipka(Qt::Key_Up);
    answers.push_back(true);
    Tipka(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_THAT(Redovi("NWINGL.DB", "RN", {"RNS", "MaxRight"}), ElementsAre("2 1200"));
    EXPECT_THAT(Redovi("NWINO.DB", "RN", {"RNS"}), ElementsAre("2"));
    Tipka(Qt::Key_Escape);
    ASSERT_EQ(f->Book->PageIndex(), 0);
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Stavka", "Tip"}), ElementsAre("1 502"));
    EXPECT_THAT(Redovi("NWINGL.DB", "RN", {"RNS", "MaxRight"}), ElementsAre("1 1200"));
    EXPECT_THAT(Redovi("NWINO.DB", "RN", {"RNS"}), ElementsAre("1"));

    // The order deleted from its grid takes its items, their copies and its cutting list along; its glass
    // list stays.
    ASSERT_EQ(Aktivna(), "gRadniNal");
    answers.push_back(true);
    Tipka(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_THAT(Redovi("RADNINAL.DB", "Code", {"Broj"}), IsEmpty());
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Stavka"}), IsEmpty());
    EXPECT_THAT(Redovi("NWINGL.DB", "RN", {"RNS"}), IsEmpty());
    EXPECT_THAT(Redovi("NWINO.DB", "RN", {"RNS"}), IsEmpty());
    EXPECT_THAT(Redovi("RNOPTIMA.DB", "RadniNalog", {"Rbr"}), IsEmpty());
    EXPECT_EQ(Redovi("RNOPTST.DB", "RadniNalog", {"Rbr"}).size(), 2u);
    EXPECT_THAT(shown, IsEmpty());
}

// After a run, every change of what the lists are cut from leaves the order not optimised: the work order's
// printout and the glass list are refused until the next run, the offer still prints; a price is no such
// change.
TEST_F(WRadNal, AChangedItemLeavesTheListsOutOfDateAndTheirPrintoutRefused) {
    Sustav();
    Tipovi();
    ordertables::AddOrder(root, {});
    const int mjere[][3] = {{501, 1200, 800}, {502, 1200, 1400}};
    for (int i = 0; i < 2; ++i) {
        ordertables::AddItem(root, {1, i + 1, mjere[i][0], 201, 1, mjere[i][1], mjere[i][2], 100.0});
        windows::ModelProzora m;
        ASSERT_GT(orders::PrilagodiStavku(m, {1, i + 1, mjere[i][0], mjere[i][1], mjere[i][2], 3, 4}), 0);
    }
    std::vector<bool> ispisi; // ponuda of every printout started
    orders::IspisiNaloga.IspisNaloga = [&](std::int32_t, bool ponuda, bool) { ispisi.push_back(ponuda); };
    int stakla = 0;
    orders::IspisiNaloga.IspisStakla = [&](std::int32_t, const std::vector<orders::ListaStakla>&, bool) {
        ++stakla;
    };
    Registri();
    Otvori();
    const auto optimiziraj = [&] {
        ASSERT_EQ(f->Book->PageIndex(), 0);
        Tipka(Qt::Key_End, Qt::ControlModifier);
        ASSERT_EQ(Aktivna(), "Optimizacija");
        QTest::qWait(0);
        Tipka(Qt::Key_Space);
        ASSERT_TRUE(QTest::qWaitForWindowActive(f));
        ASSERT_TRUE(f->bIspisNaloga->Enabled()) << ::testing::PrintToString(shown);
    };
    // Item 1's field reached with Enter from the grid, typed over and left; then back to the header.
    const auto promijeni = [&](int polje, const QString& tekst) {
        Tipka(Qt::Key_Return, Qt::ControlModifier);
        ASSERT_EQ(f->Book->PageIndex(), 1);
        Tipka(Qt::Key_Home, Qt::ControlModifier);
        Tipka(Qt::Key_Up);
        ASSERT_EQ(f->tStavkeRN->FieldByName("Stavka").AsInteger(), 1);
        Tipka(Qt::Key_Return);
        for (int i = 0; i < polje; ++i)
            Tipka(Qt::Key_Return);
        Unesi(tekst);
        Tipka(Qt::Key_Escape);
        ASSERT_EQ(f->Book->PageIndex(), 0);
    };
    const auto odbijeno = [&](const std::string& sto) {
        SCOPED_TRACE(sto);
        EXPECT_FALSE(orders::Optimiziran(1));
        EXPECT_FALSE(f->bIspisNaloga->Enabled());
        shown.clear();
        ispisi.clear();
        f->IspisNaloga(false);
        f->bOptimaStaklaClick();
        f->IspisNaloga(true);
        EXPECT_THAT(shown, ElementsAre(orders::ListeNisuAzurne, orders::ListeNisuAzurne));
        EXPECT_THAT(ispisi, ElementsAre(true)) << "only the offer prints";
        shown.clear();
    };

    optimiziraj();
    const int stakloPrije = stakla;
    f->IspisNaloga(false);
    f->bOptimaStaklaClick();
    EXPECT_THAT(ispisi, ElementsAre(false));
    EXPECT_EQ(stakla, stakloPrije + 1);
    ASSERT_THAT(shown, IsEmpty());

    // The width 1200 -> 1300: the printout would show the new picture beside the old cutting list.
    promijeni(4, "1300");
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Sirina"}), ElementsAre("1300", "1200"));
    odbijeno("width");
    Tipka(Qt::Key_F5);
    EXPECT_EQ(f->NaslovPrikaza->Caption(),
              "OPTIMIZIRANA LISTA PROFILA NALOGA BROJ 1 - NIJE AŽURNA, pokrenite ponovo OPTIMIZACIJU I");
    Tipka(Qt::Key_Escape);
    optimiziraj();
    EXPECT_THAT(Redovi("RNOPTIMA.DB", "RadniNalog", {"Prozor", "Duzina"}), Contains("1 1310"));
    ispisi.clear();
    f->IspisNaloga(false);
    EXPECT_THAT(ispisi, ElementsAre(false));

    // A price changes no list.
    promijeni(6, "150");
    EXPECT_TRUE(f->bIspisNaloga->Enabled());
    EXPECT_TRUE(orders::Optimiziran(1));

    const std::pair<int, const char*> izmjene[] = {{1, "KRILO"}, {2, "A202"}, {3, "3"}, {5, "900"}};
    for (const auto& [polje, tekst] : izmjene) {
        promijeni(polje, QString::fromUtf8(tekst));
        odbijeno(tekst);
        optimiziraj();
    }
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Tip", "Staklo", "Kolicina", "Visina"}),
                ElementsAre("502 202 3 900", "502 201 1 1400"));

    // An item added, an item deleted.
    Tipka(Qt::Key_Return, Qt::ControlModifier);
    Tipka(Qt::Key_Insert);
    Tipka(Qt::Key_Return);
    Stavka("FIKS", "A201", "1", "1000", "800", "10");
    Tipka(Qt::Key_Escape);
    odbijeno("added");
    optimiziraj();
    Tipka(Qt::Key_Return, Qt::ControlModifier);
    answers.push_back(true);
    Tipka(Qt::Key_Delete, Qt::ControlModifier);
    Tipka(Qt::Key_Escape);
    odbijeno("deleted");
    optimiziraj();

    // Another station's change of an item, made beside this form, counts too.
    ordertables::ChangeRow(root, "Lokal", "STAVKERN.DB", {Value::Int(1), Value::Int(1)},
                           {{"Sirina", Value::Int(1250)}});
    orders::OznaciNeoptimiziran(1);
    EXPECT_TRUE(f->bIspisNaloga->Enabled()) << "the form has not looked yet";
    shown.clear();
    f->IspisNaloga(false);
    EXPECT_THAT(shown, ElementsAre(orders::ListeNisuAzurne));
    EXPECT_FALSE(f->bIspisNaloga->Enabled());

    // The order's colour, from the header page's field, saved on the way to the items.
    optimiziraj();
    f->eBoja->SetFocus();
    Unesi("SME");
    Tipka(Qt::Key_Return, Qt::ControlModifier);
    Tipka(Qt::Key_Escape);
    EXPECT_THAT(Redovi("RADNINAL.DB", "Code", {"Boja"}), ElementsAre("5"));
    odbijeno("colour");
}

// The item number is the items' key: a new number makes its item at once, without a question; a number in
// use goes to its item. The price is written when it is left by Enter, whether or not the form listens.
TEST_F(WRadNal, TheItemNumberFindsOrMakesItsItemAndThePriceIsWrittenOnEnter) {
    Sustav();
    Tipovi();
    ordertables::AddOrder(root, {});
    Otvori();
    Tipka(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(f->Book->PageIndex(), 1);
    Tipka(Qt::Key_Insert);
    Tipka(Qt::Key_Return);
    ASSERT_EQ(Aktivna(), "eStavka");
    Unesi("7");
    EXPECT_THAT(shown, IsEmpty());
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Stavka"}), ElementsAre("7"));
    ASSERT_EQ(Aktivna(), "eTip");
    Unesi("FIKS");
    f->eCijena->SetFocus();
    Unesi("12,5");
    EXPECT_EQ(f->tStavkeRN->FieldByName("Cijena").AsFloat(), 12.5);
    // The number of another item: the form goes to it.
    Tipka(Qt::Key_Return, Qt::ControlModifier);
    {
        auto t = engine::Table::Open(root / "lokal", "STAVKERN.DB", engine::OpenMode::Shared);
        auto c = t->OpenCursor();
        c->First();
        ASSERT_TRUE(c->OnRow());
        std::size_t cijena = 0;
        while (t->Fields()[cijena].Name != "Cijena")
            ++cijena;
        ASSERT_TRUE(c->Read()[cijena].IsFloat());
        EXPECT_EQ(c->Read()[cijena].AsFloat(), 12.5) << "the price as stored";
    }
    ASSERT_EQ(Aktivna(), "eStavka");
    Unesi("3");
    f->eStavka->SetFocus();
    Unesi("7");
    EXPECT_EQ(f->tStavkeRN->FieldByName("Stavka").AsInteger(), 7);
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Stavka"}), ElementsAre("3", "7"));
    // Numbers past 999 (orders of thousands of items) are shown and typed whole, up to the largest item
    // number.
    f->eStavka->SetFocus();
    Unesi("1234");
    EXPECT_EQ(f->tStavkeRN->FieldByName("Stavka").AsInteger(), 1234);
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Stavka"}), ElementsAre("3", "7", "1234"));
    f->eStavka->SetFocus();
    EXPECT_EQ(f->eStavka->Text(), "1234");
    EXPECT_EQ(Redak(*f->gStavkeRN, 2).at(0), "1234");
    fwtest::Type(fwtest::FocusTarget(*f), "123456");
    EXPECT_EQ(f->eStavka->Text(), "12345");
    EXPECT_THAT(shown, IsEmpty());
}

// The order number is the orders' key: a number in use goes to its order without a word, a new number
// makes an order after the question, and a number typed over an order's is never written without the
// change question.
TEST_F(WRadNal, TheOrderNumberFindsOrMakesItsOrderByKeys) {
    Sustav();
    ordertables::AddOrder(root, {0, "PRVI", 1});
    ordertables::AddOrder(root, {0, "DRUGI", 2});
    // Every stored order as its number and code.
    const auto nalozi = [this] {
        std::vector<std::string> r;
        for (std::int32_t code = 1; code <= 3; ++code)
            for (const std::string& n :
                 ordertables::RowsOf(root, "RADNINAL.DB", "Code", code, {"Broj", "Sifra"}))
                r.push_back(n);
        return r;
    };
    Otvori();
    Tipka(Qt::Key_Return);
    ASSERT_EQ(Aktivna(), "eBroj");
    EXPECT_EQ(f->eBroj->Text(), "2");

    // An existing number: to its order, no question, on to the next field.
    Unesi("1");
    EXPECT_THAT(kodovi.Calls, IsEmpty());
    EXPECT_EQ(Aktivna(), "eSifra");
    EXPECT_EQ(f->eSifra->Text(), "PRVI");
    EXPECT_THAT(nalozi(), ElementsAre("1 PRVI", "2 DRUGI"));

    // A new number: asked, then made with the number stored and today's date.
    f->eBroj->SetFocus();
    kodovi.Answer(true);
    Unesi("7");
    EXPECT_THAT(kodovi.Asked(), ElementsAre("Novo 7"));
    EXPECT_EQ(Aktivna(), "eSifra");
    EXPECT_EQ(f->eSifra->Text(), "");
    EXPECT_THAT(nalozi(), ElementsAre("1 PRVI", "2 DRUGI", "7 -"));
    EXPECT_EQ(f->tRadniNal->FieldByName("Datum").AsDateTime(), base::ToDateTime(base::Today()));
    Unesi("TRECI");
    EXPECT_THAT(nalozi(), ElementsAre("1 PRVI", "2 DRUGI", "7 TRECI"));

    // Another new number on that order, neither made nor taken as its new number: the order keeps its own.
    f->eBroj->SetFocus();
    Unesi("9");
    EXPECT_THAT(kodovi.Asked(), ElementsAre("Novo 7", "Novo 9", "Staro 7>9"));
    EXPECT_EQ(f->eBroj->Text(), "7");
    EXPECT_THAT(nalozi(), ElementsAre("1 PRVI", "2 DRUGI", "7 TRECI"));
    // Taken as its new number: the order is renumbered.
    f->eBroj->SetFocus();
    kodovi.Answer(false);
    kodovi.Answer(true);
    Unesi("9");
    EXPECT_EQ(kodovi.Asked().back(), "Staro 7>9");
    EXPECT_THAT(nalozi(), ElementsAre("1 PRVI", "2 DRUGI", "9 TRECI"));
    EXPECT_EQ(Aktivna(), "eSifra");
    EXPECT_THAT(asked, IsEmpty()) << "no number-taken question on the way";
    EXPECT_THAT(shown, IsEmpty());

    // Ctrl+Del in the number deletes its order, with its items, after the question.
    ordertables::AddItem(root, {3, 1, 0, 0, 1, 900, 900, {}});
    f->eBroj->SetFocus();
    kodovi.Answer(true);
    Tipka(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(kodovi.Asked().back(), "Brisi 9");
    EXPECT_THAT(nalozi(), ElementsAre("1 PRVI", "2 DRUGI"));
    EXPECT_THAT(ordertables::RowsOf(root, "STAVKERN.DB", "BrojRN", 3, {"Stavka"}), IsEmpty());
}

// Another station stores the new number while the question is open: the next free number offered and
// taken is the order's number, and the typed one is not written back over it.
TEST_F(WRadNal, ANewNumberTakenWhileAskedBecomesTheFreeNumberTaken) {
    Sustav();
    ordertables::AddOrder(root, {0, "PRVI", 1});
    Otvori();
    Tipka(Qt::Key_Return);
    ASSERT_EQ(Aktivna(), "eBroj");
    kodovi.DokPita = [this] { ordertables::AddOrder(root, {0, "DRUGA", 5}); };
    kodovi.Answer(true);
    answers.push_back(true);
    Unesi("5");
    EXPECT_THAT(kodovi.Asked(), ElementsAre("Novo 5"));
    EXPECT_THAT(asked,
                ElementsAre("Nalog broj 5 već postoji!!!\r\nŽelite li uzeti sljedeći slobodni broj 6?"));
    std::vector<std::string> brojevi;
    for (std::int32_t code = 1; code <= 3; ++code)
        for (const std::string& r : ordertables::RowsOf(root, "RADNINAL.DB", "Code", code, {"Broj", "Sifra"}))
            brojevi.push_back(r);
    EXPECT_THAT(brojevi, ElementsAre("1 PRVI", "5 DRUGA", "6 -"));
    EXPECT_EQ(f->eBroj->Text(), "6");
    EXPECT_EQ(f->eBroj->OldCode, "6");
    EXPECT_EQ(Aktivna(), "eSifra");
}

// The work orders open in the middle of the screen, as every form does.
TEST_F(WRadNal, TheFormOpensCentred) {
    Sustav();
    Otvori();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((f->frameGeometry().center() - screen.center()).manhattanLength(), 4)
        << f->frameGeometry().x() << "," << f->frameGeometry().y();
}

// Ctrl+P and Ctrl+F1 choose where the printouts go in the program's own printer setup, as the preview
// does; a toolkit dialog that would open instead is closed, so it is counted as a failure, not waited for.
TEST_F(WRadNal, CtrlPAndCtrlF1OpenTheProgramsPrinterSetup) {
    Sustav();
    Otvori();
    std::vector<QWidget*> parents;
    controls::PrinterSetupProc = [&](QWidget* parent) {
        parents.push_back(parent);
        return true;
    };
    QTimer strani;
    QObject::connect(&strani, &QTimer::timeout, [] {
        if (QWidget* m = QApplication::activeModalWidget()) m->close();
    });
    strani.start(200);
    Tipka(Qt::Key_P, Qt::ControlModifier);
    Tipka(Qt::Key_F1, Qt::ControlModifier);
    ASSERT_EQ(parents.size(), 2u);
    EXPECT_EQ(f->ActiveControl()->Name(), "gRadniNal");
}

// A size its type cannot be made in (a 60 mm frame around 100 x 100, a sash turned inside out) is refused
// where it is typed, naming the smallest size; the refused value is not stored, the old copy stays.
TEST_F(WRadNal, AnItemTooSmallForItsTypeIsRefusedAtEntry) {
    Sustav();
    Tipovi();
    ordertables::AddOrder(root, {});
    // The fixed light is made down to where its frame's reinforcements keep a length after the saw.
    EXPECT_EQ(
        orders::ProvjeriMjere({1, 1, 501, 100, 100, 3, 4}),
        "Tip prozora FIKS ne može se izraditi u mjeri 100 x 100 mm!!!\r\nNajmanja mjera je 145 x 265 mm.");
    EXPECT_EQ(orders::ProvjeriMjere({1, 1, 501, 145, 265, 3, 4}), "");
    windows::ModelProzora m;
    EXPECT_EQ(orders::PrilagodiStavku(m, {1, 1, 502, 100, 100, 3, 4}), 0);
    ASSERT_EQ(shown.size(), 1u);
    const std::string krilo = shown[0];
    EXPECT_EQ(
        krilo.rfind("Tip prozora KRILO ne može se izraditi u mjeri 100 x 100 mm!!!\r\nNajmanja mjera je ", 0),
        0u)
        << krilo;
    EXPECT_EQ(windows::KodKopije({1, 1}), 0);
    shown.clear();

    Otvori();
    Tipka(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(f->Book->PageIndex(), 1);
    Tipka(Qt::Key_Insert);
    Tipka(Qt::Key_Return);
    ASSERT_EQ(Aktivna(), "eStavka");
    Tipka(Qt::Key_Return);
    for (const char* v : {"KRILO", "A201", "1", "100", "100"})
        Unesi(v);
    EXPECT_THAT(shown, ElementsAre(krilo));
    EXPECT_EQ(Aktivna(), "eVisina");
    // The new item's row is made when its number is confirmed and takes the values left before; the
    // refused height is not stored.
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Stavka", "Tip", "Sirina", "Visina"}),
                ElementsAre("1 502 100 -"));
    EXPECT_EQ(windows::KodKopije({1, 1}), 0);
}

// The entry and the run hold one limit: at the smallest width (and height) the entry names for each type,
// the run cuts the item whole; a millimetre less is refused at entry.
TEST_F(WRadNal, TheSmallestSizeTheEntryTakesIsOneTheRunCuts) {
    Sustav();
    Tipovi();
    ordertables::AddOrder(root, {});
    int stavka = 0;
    for (std::int32_t tip : {501, 502, 503}) {
        const std::string odbijeno = orders::ProvjeriMjere({1, 1, tip, 10, 10, 3, 4});
        int w = 0, h = 0;
        ASSERT_EQ(std::sscanf(odbijeno.substr(odbijeno.find("je ")).c_str(), "je %d x %d", &w, &h), 2)
            << odbijeno;
        for (auto [sirina, visina] : {std::pair{w, 1000}, std::pair{1000, h}}) {
            EXPECT_EQ(orders::ProvjeriMjere({1, 1, tip, sirina, visina, 3, 4}), "") << tip;
            const int manja = sirina == w ? w - 1 : sirina, niza = sirina == w ? visina : h - 1;
            EXPECT_NE(orders::ProvjeriMjere({1, 1, tip, manja, niza, 3, 4}), "") << tip;
            ordertables::AddItem(root, {1, ++stavka, tip, 201, 1, sirina, visina, {}});
            windows::ModelProzora m;
            ASSERT_GT(orders::PrilagodiStavku(m, {1, stavka, tip, sirina, visina, 3, 4}), 0) << tip;
        }
    }
    ASSERT_THAT(shown, IsEmpty());
    EXPECT_EQ(orders::OptimizacijaI(1), orders::IshodRada::Gotovo);
    EXPECT_THAT(shown, IsEmpty());
}

// The items page draws what the current item has: a roller shutter's hatched box exactly over the drawn
// frame, and nothing for a new item until it has a type. The header page gives each mnemonic one button,
// and the progress window shows each phase in its colour.
TEST_F(WRadNal, ThePagesShowWhatTheItemHasAndOneButtonPerMnemonic) {
    Sustav();
    Tipovi();
    ordertables::AddOrder(root, {});
    ordertables::AddItem(root, {1, 1, 501, 201, 1, 1500, 1000, {}});
    windows::ModelProzora m;
    ordertables::PlainWindow(m, 1500, 1000);
    m.Roletne = true;
    ASSERT_GT(windows::SpremiKopiju(m, {1, 1}, 3, 4), 0);
    Otvori();

    std::map<QChar, std::vector<std::string>> mnemonici;
    for (QPushButton* b : f->findChildren<QPushButton*>()) {
        if (!f->Book->Page(0).isAncestorOf(b)) continue;
        const qsizetype i = b->text().indexOf('&');
        if (i >= 0 && i + 1 < b->text().size())
            mnemonici[b->text()[i + 1].toUpper()].push_back(b->text().toStdString());
    }
    for (const auto& [slovo, gumbi] : mnemonici)
        EXPECT_EQ(gumbi.size(), 1u) << ::testing::PrintToString(gumbi);
    EXPECT_TRUE(mnemonici.contains('S'));

    Tipka(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(f->Book->PageIndex(), 1);
    ASSERT_FALSE(f->PaintBox->pixmap().isNull());
    ASSERT_TRUE(f->Roletna->isVisibleTo(f));
    // The drawn frame's extent across the middle of the picture.
    const QImage slika = f->PaintBox->pixmap().toImage();
    const QRgb pozadina = slika.pixel(slika.width() - 1, slika.height() - 1);
    int prvi = -1, zadnji = -1;
    for (int x = 0; x < slika.width(); ++x)
        if (slika.pixel(x, 40) != pozadina) {
            if (prvi < 0) prvi = x;
            zadnji = x;
        }
    ASSERT_GE(prvi, 0);
    EXPECT_NEAR(f->Roletna->x(), f->PaintBox->x() + prvi, 1);
    EXPECT_NEAR(f->Roletna->width(), zadnji - prvi + 1, 2);
    EXPECT_LT(f->Roletna->width(), 200);
    const QImage r = f->Roletna->pixmap().toImage();
    std::set<QRgb> boje;
    for (int x = 1; x + 1 < r.width(); ++x)
        boje.insert(r.pixel(x, 4));
    EXPECT_GE(boje.size(), 2u) << "hatched, not plain";

    Tipka(Qt::Key_Insert);
    EXPECT_TRUE(f->PaintBox->pixmap().isNull());
    EXPECT_FALSE(f->Roletna->isVisibleTo(f));

    orders::ProgresOptimizacije p(QString("OPTIMIZACIJA I"), f);
    for (const auto& [faza, boja] :
         {std::pair{"Brisanje stare optimizirane liste profila...", QColor(255, 0, 0)},
          std::pair{"Prebacivanje...", QColor(0, 128, 0)},
          std::pair{"Sortiranje listi...", QColor(0, 128, 0)},
          std::pair{"Optimizacija...", QColor(0, 0, 255)}}) {
        p.Javi(faza, 0, 1);
        EXPECT_EQ(p.BojaTeksta(), boja) << faza;
    }
}

// Two stations that both took the proposed number: the second is asked to take the next free one.
TEST_F(WRadNal, ANumberAnotherOrderTookIsNotStoredWithoutAWord) {
    Sustav();
    ordertables::AddOrder(root, {0, "", 1});
    Otvori();
    Tipka(Qt::Key_Insert);
    EXPECT_EQ(f->eBroj->Text(), "2");
    ordertables::AddOrder(root, {0, "", 2}); // another station stores its order 2 meanwhile
    answers.push_back(true);
    ASSERT_TRUE(app::PostOrCancel(f->tRadniNal));
    EXPECT_THAT(asked,
                ElementsAre("Nalog broj 2 već postoji!!!\r\nŽelite li uzeti sljedeći slobodni broj 3?"));
    const auto brojeva = [&](int broj) {
        return ordertables::RowsOf(root, "RADNINAL.DB", "Broj", broj, {"Broj"}).size();
    };
    EXPECT_EQ(brojeva(2), 1u);
    EXPECT_EQ(brojeva(3), 1u);

    // A number typed over with another order's is asked about too; kept when the user says so.
    f->tRadniNal->Edit();
    f->tRadniNal->FieldByName("Broj").SetAsInteger(1);
    answers.push_back(false);
    EXPECT_TRUE(app::PostOrCancel(f->tRadniNal));
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(brojeva(1), 2u);
    EXPECT_EQ(brojeva(3), 0u);
}

// A customer another station deleted while this header was being typed (no stored order used it yet): the
// header's post says so and keeps the header for another choice, which then posts.
TEST_F(WRadNal, ACustomerDeletedMeanwhileIsNotStoredWithTheOrder) {
    Sustav();
    Upisi("Lokal", "SIF_PART.DB", {{"Sifra", Value::Text("KUPAC")}, {"Partner", Value::Int(9)}});
    Upisi("Lokal", "SIF_PART.DB", {{"Sifra", Value::Text("DRUGI")}, {"Partner", Value::Int(8)}});
    Otvori();
    Tipka(Qt::Key_Insert);
    f->tRadniNal->FieldByName("Kupac").SetAsInteger(9);
    f->tRadniNal->FieldByName("Sistem").SetAsInteger(3);
    {
        // Another station deletes the customer.
        windows::StoredTable partneri(app::FolderPath(app::Folder::Lokal), "SIF_PART.DB");
        engine::Cursor& c = partneri.Cursor();
        for (c.First(); c.OnRow() && partneri.Int(c.Read(), "Partner") != 9;)
            c.Next();
        ASSERT_TRUE(c.OnRow());
        c.Delete();
    }
    EXPECT_THROW(f->tRadniNal->Post(), base::Abort);
    EXPECT_THAT(shown, ElementsAre("Kupac kojeg ste izabrali više ne postoji u šifarniku partnera!!!\r\n\r\n"
                                   "Ponovite odabir kupca!!!"));
    EXPECT_EQ(f->tRadniNal->State(), fw::dsInsert) << "the header typed is kept";
    EXPECT_TRUE(ordertables::RowsOf(root, "RADNINAL.DB", "Kupac", 9, {"Broj"}).empty());
    f->tRadniNal->FieldByName("Kupac").SetAsInteger(8);
    f->tRadniNal->Post();
    EXPECT_EQ(ordertables::RowsOf(root, "RADNINAL.DB", "Kupac", 8, {"Broj"}).size(), 1u);
    EXPECT_EQ(shown.size(), 1u);
}

// "Promjena tipa" opens the designer on the item's own copy; what is drawn there goes into the copy, in the
// order colour's articles, and the catalogue type stays as it was.
TEST_F(WRadNal, PromjenaTipaChangesTheItemsCopyAndNotTheCatalogueType) {
    Sustav();
    Tipovi();
    ordertables::AddOrder(root, {});
    ordertables::AddItem(root, {1, 1, 501, 0, 1, 1000, 800, {}});
    ordertables::AddItem(root, {1, 2, 0, 0, 1, 900, 900, {}});
    windows::ModelProzora m;
    ASSERT_GT(orders::PrilagodiStavku(m, {1, 1, 501, 1000, 800, 3, 4}), 0);
    const auto katalog = [this] {
        std::vector<std::string> r = Redovi("WINGL.DB", "Code", {"MaxRight", "MaxBottom", "WinRight"});
        for (const char* t : {"WINO.DB", "WINPO.DB", "WINP.DB"})
            r.push_back(t + std::string(" ") + std::to_string(Redovi(t, "WTip", {"WTip"}).size()));
        return r;
    };
    const std::vector<std::string> prije = katalog();
    Otvori();
    Tipka(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(f->Book->PageIndex(), 1);
    // From the last item up to the first, then on through its fields to the box.
    Tipka(Qt::Key_Home, Qt::ControlModifier);
    Tipka(Qt::Key_Up);
    ASSERT_EQ(f->tStavkeRN->FieldByName("Stavka").AsInteger(), 1);
    for (int i = 0; i < 12 && Aktivna() != "cPromjena"; ++i)
        Tipka(Qt::Key_Tab);
    ASSERT_EQ(Aktivna(), "cPromjena");

    // The designer runs modally: it is driven from inside its loop.
    std::string naslov, sirina, visina, precka;
    int debljinaStoka = 0;
    const int otvaranja = designertest::WhileDesignerOpen(
        [&] { Tipka(Qt::Key_Space); },
        [&](windows::TEditWindow& d) {
            naslov = d.Caption().toStdString();
            sirina = d.eWidth->Text();
            visina = d.eHeight->Text();
            precka = d.CNoviArtiklPrecke->Text();
            debljinaStoka = d.D.Model.DebStoka;
            QTest::mouseClick(d.PaintBox, Qt::LeftButton, {}, QPoint(200, 150)); // a vertical mullion
            answers.push_back(true);
            d.Close();
        });
    ASSERT_EQ(otvaranja, 1);
    EXPECT_EQ(naslov, "-> Promjena tipa RADNOG NALOGA: FIKS - sistem: S3");
    EXPECT_EQ(sirina, "1000");
    EXPECT_EQ(visina, "800");
    EXPECT_EQ(debljinaStoka, 60);
    EXPECT_EQ(precka, "A103 : ") << "new mullions take the order colour's article";
    EXPECT_EQ(asked, std::vector<std::string>{"Želite li sačuvati promjene ?"});
    EXPECT_THAT(shown, IsEmpty());
    EXPECT_FALSE(f->cPromjena->Checked());
    EXPECT_EQ(Aktivna(), "cPromjena");

    // The copy keeps its size and frame and gains the mullion across its whole height.
    EXPECT_THAT(
        Redovi("NWINGL.DB", "RN", {"RNS", "MaxRight", "MaxBottom", "WinRight", "WinBottom", "ArtiklOkvira"}),
        ElementsAre("1 1000 800 940 740 101"));
    EXPECT_THAT(Redovi("NWINP.DB", "RN", {"RNS", "ArtiklPrecke", "T", "B"}), ElementsAre("1 103 60 740"));
    EXPECT_EQ(f->KodKopije, windows::KodKopije({1, 1}));
    EXPECT_NE(f->KodKopije, 0);
    EXPECT_EQ(katalog(), prije);

    // On an item without a type the box only unticks (a designer that opened would be closed and counted).
    Tipka(Qt::Key_Home, Qt::ControlModifier);
    Tipka(Qt::Key_Down);
    ASSERT_EQ(f->tStavkeRN->FieldByName("Stavka").AsInteger(), 2);
    ASSERT_EQ(f->eTip->Text(), "");
    f->cPromjena->SetFocus();
    const int ponovo = designertest::WhileDesignerOpen(
        [&] {
            Tipka(Qt::Key_Space);
            EXPECT_FALSE(f->cPromjena->Checked());
            QTest::qWait(50);
        },
        [](windows::TEditWindow& d) { d.Close(); });
    EXPECT_EQ(ponovo, 0);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_THAT(shown, IsEmpty());
}

} // namespace
