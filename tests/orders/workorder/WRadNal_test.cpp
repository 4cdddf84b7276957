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
#include "kit/MyTable.h"
#include "kit/O_Plom.h"
#include "tests/app/data/ServicesFixture.h"
#include "tests/fw/ui/FormTesting.h"
#include "windows/storage/WindowTypeStore.h"
#include "windows/typelist/PEWin.h"

#include <gmock/gmock.h>

#include <map>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <sstream>

namespace {

using engine::Value;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class WRadNal : public apptest::ServicesTest {
protected:
    using Polja = std::vector<std::pair<std::string, Value>>;

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
        delete windows::PEditWindowForm.PEditWindow; // the type list the form prepares
    }

    void Upisi(const char* baza, const std::string& tablica, const Polja& polja) {
        const auto mapa = root / (std::string(baza) == "Global" ? "global" : "lokal");
        if (!engine::TableExists(mapa, tablica)) app::CheckTablesOf(tablica, baza, false);
        auto t = engine::Table::Open(mapa, tablica, engine::OpenMode::Shared);
        engine::Row r(t->Fields().size());
        for (const auto& [ime, v] : polja)
            for (std::size_t i = 0; i < r.size(); ++i)
                if (t->Fields()[i].Name == ime) r[i] = v;
        t->OpenCursor()->Insert(r);
    }

    void Artikl(std::int32_t code, std::int32_t grupa, int debljina, int duzina) {
        Upisi("Global", "SIF_ROBE.DB",
              {{"Partner", Value::Int(1)},
               {"Sifra", Value::Text("A" + std::to_string(code))},
               {"Code", Value::Int(code)},
               {"Proizvodi", Value::Int(7)},
               {"Grupa", Value::Int(grupa)}});
        Upisi("Global", "WROBA.DB",
              {{"Code", Value::Int(code)},
               {"DebljinaProfila", Value::Int(debljina)},
               {"DuzinaProfila", Value::Int(duzina)}});
    }

    // System 3: kerf 2, welding 3, overlap 8, gap 10, glass reduction 5, mullion allowance 10. Colour 4 is
    // the order's; colour 5 is another colour of the same system (frame 111, mullion 113).
    void Sustav() {
        Upisi("Lokal", "WSYSTEM.DB",
              {{"Code", Value::Int(3)},
               {"Sifra", Value::Text("S3")},
               {"Proizvodi", Value::Int(7)},
               {"Razmak", Value::Int(10)},
               {"Preklapanje", Value::Int(8)},
               {"SmanjenjeStakla", Value::Int(5)},
               {"ReznaPila", Value::Int(2)},
               {"Varenje", Value::Int(3)},
               {"DodatakNaPrecku", Value::Int(10)}});
        const std::pair<const char*, int> boja4[] = {
            {"Stok", 101},         {"ZStoka", 105}, {"ZSM", 10},      {"Vrata", 104},   {"ZVrata", 107},
            {"ZVM", 20},           {"Okvir", 102},  {"ZOkvira", 106}, {"ZOM", 15},      {"KlizniOkvir", 109},
            {"ZKlizniOkvir", 110}, {"ZKOM", 12},    {"Precka", 103},  {"ZPrecka", 108}, {"ZPM", 5}};
        for (int boja : {4, 5}) {
            Polja red{{"Sistem", Value::Int(3)}, {"Boja", Value::Int(boja)}};
            for (const auto& [ime, v] : boja4)
                red.emplace_back(ime, Value::Int(boja == 5 && v > 100 ? v + 10 : v));
            Upisi("Lokal", "WSYSBOJE.DB", red);
        }
        // The producer's colours: black has no profiles in the system.
        for (const auto& [code, sifra] : {std::pair{4, "BIJ"}, std::pair{5, "SME"}, std::pair{6, "CRN"}})
            Upisi("Global", "SIF_BOJA.DB",
                  {{"Partner", Value::Int(1)},
                   {"Proizvodi", Value::Int(7)},
                   {"Code", Value::Int(code)},
                   {"Sifra", Value::Text(sifra)}});
        Artikl(101, 1, 60, 6500); // frame
        Artikl(102, 2, 70, 6500); // sash
        Artikl(103, 3, 80, 6500); // mullion
        Artikl(105, 5, 0, 16000); // reinforcements
        Artikl(106, 5, 0, 6500);
        Artikl(108, 5, 0, 6500);
        Artikl(111, 1, 60, 6500); // colour 5's frame and mullion
        Artikl(113, 3, 80, 6500);
        Artikl(201, 6, 2000, 3000); // glass sheets
        Artikl(202, 6, 2000, 3000);
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
        m.PostaviOkvirProzora(1000, 1000, 60);
        m.Preklapanje = 8;
        m.ArtiklStoka = stok;
        m.Sistem = 3;
        gradi(m);
        ASSERT_TRUE(windows::SpremiProzor(m, code));
    }

    // The rows of a table of the order with Code 1, each as its listed fields ("-" for a null).
    std::vector<std::string> Redovi(const std::string& tablica, const char* kljuc,
                                    const std::vector<std::string>& polja) {
        auto t = engine::Table::Open(root / "lokal", tablica, engine::OpenMode::Shared);
        std::map<std::string, std::size_t> indeks;
        for (std::size_t i = 0; i < t->Fields().size(); ++i)
            indeks[t->Fields()[i].Name] = i;
        std::vector<std::string> out;
        auto c = t->OpenCursor();
        for (c->First(); c->OnRow(); c->Next()) {
            const engine::Row& r = c->Read();
            if (r[indeks.at(kljuc)].AsInt() != 1) continue;
            std::ostringstream s;
            for (const std::string& p : polja) {
                const Value& v = r[indeks.at(p)];
                s << (p == polja.front() ? "" : " ")
                  << (v.IsInt()    ? std::to_string(v.AsInt())
                      : v.IsText() ? v.AsText()
                                   : "-");
            }
            out.push_back(s.str());
        }
        return out;
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
    orders::TWRadniNalozi* f = nullptr;
    std::string izbor;
    std::vector<std::string> registri;
};

TEST_F(WRadNal, AnOrderEnteredByKeysIsFittedRenumberedAndCut) {
    Sustav();
    Tip(501, "FIKS", 4, 101, [](windows::ModelProzora&) {});
    Tip(502, "KRILO", 4, 101,
        [](windows::ModelProzora& m) { ASSERT_NE(m.DodajOkvir(500, 500, 70, 102, 0), nullptr); });
    // Stored in colour 5: the order's colour gives it 101 and 103 (same thicknesses).
    Tip(503, "PRECKA", 5, 111,
        [](windows::ModelProzora& m) { ASSERT_NE(m.DodajPrecku(500, 500, false, 80, 113), nullptr); });
    std::vector<orders::ListaStakla> ispisano;
    orders::IspisiNaloga.IspisStakla = [&](std::int32_t rn, const std::vector<orders::ListaStakla>& l, bool) {
        EXPECT_EQ(rn, 1);
        ispisano = l;
    };

    Upisi("Lokal", "SIF_PART.DB", {{"Sifra", Value::Text("KUP")}, {"Partner", Value::Int(9)}});
    Registri();
    Otvori();
    EXPECT_EQ(f->Caption().toStdString(), "Ponude / Radni nalozi za izradu prozora");

    // The header: a new order gets number 1 and today's date.
    Tipka(Qt::Key_Insert);
    Tipka(Qt::Key_Return);
    ASSERT_EQ(Aktivna(), "eBroj");
    EXPECT_EQ(f->eBroj->Text(), "1");
    Tipka(Qt::Key_Return);
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
    // Each item is posted when the next one begins (the last is still being entered); a quantity of 0
    // is stored empty.
    EXPECT_THAT(Redovi("STAVKERN.DB", "BrojRN", {"Stavka", "Tip", "Kolicina", "Sirina", "Visina"}),
                ElementsAre("1 501 2 1000 800", "2 501 - 900 900", "3 502 1 1200 1400"));
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
    // Frames (Duzina = side + 2 x 3 welding + 2 x 2 kerf; Duzina1 without the kerf; Duzina2 the side):
    // item 1 twice 1000 + 1000 + 800 + 800, item 2 1200 + 1200 + 1400 + 1400, item 3 1800 + 1800 + 1200 +
    // 1200, longest first on 6500 mm bars.
    const std::vector<std::string> optima{
        "1 101 3 1810 1806 1800 45 45", "2 101 3 1810 1806 1800 45 45", "3 101 2 1410 1406 1400 45 45",
        "4 101 2 1410 1406 1400 45 45", "5 101 3 1210 1206 1200 45 45", "6 101 2 1210 1206 1200 45 45",
        "7 101 2 1210 1206 1200 45 45", "8 101 1 1010 1006 1000 45 45", "9 101 1 1010 1006 1000 45 45",
        "10 101 1 810 806 800 45 45", "11 101 3 1210 1206 1200 45 45", "12 101 1 1010 1006 1000 45 45",
        "13 101 1 1010 1006 1000 45 45", "14 101 1 810 806 800 45 45", "15 101 1 810 806 800 45 45",
        "16 101 1 810 806 800 45 45",
        // the sash 1080 x 1280 outside, plus 2 x 8 overlap and the allowances
        "17 102 2 1306 1302 1296 45 45", "18 102 2 1306 1302 1296 45 45", "19 102 2 1106 1102 1096 45 45",
        "20 102 2 1106 1102 1096 45 45",
        // the mullion: the 1080 mm opening + 2 x 10 + 2 x 2, square ends
        "21 103 3 1104 1100 1100 90 90", "22 - 0 - - - - -",
        // frame reinforcements
        "23 105 3 1660 1656 1656 90 90", "24 105 3 1660 1656 1656 90 90", "25 105 2 1140 1136 1136 90 90",
        "26 105 2 1140 1136 1136 90 90", "27 105 2 1060 1056 1056 90 90", "28 105 2 1060 1056 1056 90 90",
        "29 105 3 940 936 936 90 90", "30 105 3 940 936 936 90 90", "31 105 1 860 856 856 90 90",
        "32 105 1 860 856 856 90 90", "33 105 1 860 856 856 90 90", "34 105 1 860 856 856 90 90",
        "35 105 1 540 536 536 90 90", "36 105 1 540 536 536 90 90", "37 105 1 540 536 536 90 90",
        "38 105 1 540 536 536 90 90",
        // sash and mullion reinforcements
        "39 106 2 1130 1126 1126 90 90", "40 106 2 1130 1126 1126 90 90", "41 106 2 930 926 926 90 90",
        "42 106 2 930 926 926 90 90", "43 108 3 1074 1070 1070 90 90"};
    EXPECT_THAT(Redovi("RNOPTIMA.DB", "RadniNalog",
                       {"Rbr", "Artikl", "Prozor", "Duzina", "Duzina1", "Duzina2", "KutL", "KutD"}),
                ElementsAreArray(optima));
    // Glass: the fixed light 880 x 680 inside less 2 x 5; the sash's glazing 956 x 1156 unreduced; the
    // two 800 x 1080 openings beside the mullion less 2 x 5.
    EXPECT_THAT(
        Redovi("RNOPTST.DB", "RadniNalog", {"Rbr", "Artikl", "Kolicina", "Prozor", "Duzina", "Sirina"}),
        ElementsAre("1 201 2 1 670 870", "2 201 1 2 1156 956", "3 202 1 3 1070 790", "4 202 1 3 1070 790"));

    // The glass run, one button on: each article's panes on its 2000 x 3000 sheets.
    Tipka(Qt::Key_Tab);
    ASSERT_EQ(Aktivna(), "bOptimaStakla");
    Tipka(Qt::Key_Space);
    ASSERT_THAT(shown, IsEmpty());
    EXPECT_THAT(f->FazeZadnjegRada, ElementsAre("Optimizacija stakla..."));
    ASSERT_EQ(ispisano.size(), 2u);
    std::vector<std::string> komadi;
    for (const orders::ListaStakla& l : ispisano) {
        EXPECT_EQ(l.Raspored.BrojPloca, 1) << l.Sifra;
        for (const orders::TIzrezak& i : l.Raspored.Izresci)
            komadi.push_back(l.Sifra + " " + std::to_string(i.Broj) + " " +
                             std::to_string(std::min(i.Sirina, i.Visina)) + "x" +
                             std::to_string(std::max(i.Sirina, i.Visina)));
    }
    EXPECT_THAT(komadi, UnorderedElementsAre("A201 1 670x870", "A201 1 670x870", "A201 2 956x1156",
                                             "A202 3 790x1070", "A202 3 790x1070"));

    // F5 shows both lists under the order's number; Esc goes back to the header.
    Tipka(Qt::Key_F5);
    EXPECT_EQ(f->Book->PageIndex(), 2);
    EXPECT_EQ(f->NaslovPrikaza->Caption(), "OPTIMIZIRANA LISTA PROFILA NALOGA BROJ 1");
    EXPECT_EQ(f->tRNOptima->RecordCount(), 43);
    EXPECT_EQ(f->tRNOptSt->RecordCount(), 4);
    Tipka(Qt::Key_Escape);
    EXPECT_EQ(f->Book->PageIndex(), 0);

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
    Upisi("Lokal", "RADNINAL.DB",
          {{"Broj", Value::Int(1)}, {"Sistem", Value::Int(3)}, {"Boja", Value::Int(4)}});
    const int mjere[][3] = {{501, 1000, 800}, {502, 1200, 1400}};
    for (int i = 0; i < 2; ++i) {
        Upisi("Lokal", "STAVKERN.DB",
              {{"BrojRN", Value::Int(1)},
               {"Stavka", Value::Int(i + 1)},
               {"Tip", Value::Int(mjere[i][0])},
               {"Staklo", Value::Int(201)},
               {"Kolicina", Value::Int(1)},
               {"Sirina", Value::Int(mjere[i][1])},
               {"Visina", Value::Int(mjere[i][2])}});
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

} // namespace
