// The printouts on a recording printer, measured on their pages: where pictures, rests and rules land,
// how the glass sheets are drawn, and what every refusal or failure leaves behind (nothing to print, no
// open document, no page head).

#include "orders/printouts/IspisListeStakla.h"
#include "orders/printouts/IspisNaloga.h"

#include "tests/controls/PrintTesting.h"
#include "tests/orders/printouts/IspisFixture.h"
#include "windows/designer/Canvas.h"
#include "windows/designer/WindowPrinting.h"
#include <gmock/gmock.h>

namespace {

using namespace orders;
using printtest::Texts;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class IspisStrane : public ispistest::IspisTest {
protected:
    void SetUp() override {
        old = fw::SetCurrentPrinter(&printer);
        IspisTest::SetUp();
        Prn().SetMeasurer(printtest::Measurer());
    }
    void TearDown() override {
        IspisTest::TearDown();
        fw::SetCurrentPrinter(old);
    }
    controls::TPagePrinter& Prn() { return *preview->Prn; }
    int Px(double mm) { return Prn().UnitsToPixelsX(mm); }
    // Horizontal lines of the page that are `duzina` mm long.
    std::vector<int> Crte(const fw::Page& p, double duzina) {
        std::vector<int> y;
        for (const fw::PageCommand* c : printtest::LinesOf(p))
            if (c->Points[0].y() == c->Points[1].y() &&
                std::abs(c->Points[1].x() - c->Points[0].x() - Px(duzina)) <= 1)
                y.push_back(c->Points[0].y());
        return y;
    }
    std::vector<const fw::PageCommand*> Pravokutnici(const fw::Page& p) {
        std::vector<const fw::PageCommand*> out;
        for (const fw::PageCommand& c : p.Commands())
            if (c.Kind == fw::CommandKind::Rectangle) out.push_back(&c);
        return out;
    }

    fw::RecordingPrinter printer = fw::RecordingPrinter::A4(600);
    fw::PrinterDevice* old = nullptr;
};

TEST_F(IspisStrane, WorkOrderPicturesInARowAndEveryBarRuledUnderItsRest) {
    narucioc = "Građevinski obrt Ivan Kovač i sinovi, Ulica kneza Branimira 12";
    TriStavke();
    ASSERT_TRUE(IspisNaloga(ispistest::RN, false, {}));
    // Shown in the preview, nothing sent to the printer yet.
    EXPECT_TRUE(preview->isVisible());
    EXPECT_THAT(printer.Sheets, IsEmpty());
    EXPECT_FALSE(Prn().Printing());
    EXPECT_FALSE(static_cast<bool>(controls::PrnNewPageProc));
    ASSERT_GE(Prn().PageCount(), 3);

    // The customer wraps onto a second line: the colour goes beside it, not below.
    const auto glava = Texts(Prn().Pages(1));
    const auto* kupac = printtest::Find(glava, "Naručioc:");
    const auto* boja = printtest::Find(glava, "Boja:");
    ASSERT_TRUE(kupac && boja);
    EXPECT_EQ(boja->Y, kupac->Y + Prn().LineHeight());

    // The three captions side by side 15 mm (at the page printer's whole pixels per millimetre) above the
    // pictures' tops, which lie 70 mm down the page.
    std::vector<printtest::PlacedText> naslovi;
    for (const auto& t : Texts(Prn().Pages(1)))
        if (t.Text.find(". tip: ") != std::string::npos) naslovi.push_back(t);
    ASSERT_EQ(naslovi.size(), 3u);
    EXPECT_EQ(naslovi[0].Text, "1. tip: T-11  kom: 2");
    for (const auto& t : naslovi)
        EXPECT_EQ(t.Y, Prn().UnitsToPixelsY(70 - Prn().MinMarginTop()) - 15 * Prn().UnitsToPixelsY(1))
            << t.Text;
    EXPECT_LT(naslovi[0].X, naslovi[1].X);
    EXPECT_LT(naslovi[1].X, naslovi[2].X);

    // Every rest stands in the last column, and a 180 mm rule lies right under it.
    const int ostatak = Prn().MarginLeftPixels() + Px(155);
    std::vector<std::string> ostaci;
    for (int n = 2; n <= Prn().PageCount(); ++n) {
        const fw::Page& p = Prn().Pages(n);
        const std::vector<int> crte = Crte(p, 180);
        for (const auto& t : Texts(p)) {
            // Past the page's head and the column's own heading.
            if (t.X < ostatak || t.Y < Prn().MarginTopPixels() || t.Text == "Ostatak") continue;
            ostaci.push_back(t.Text);
            EXPECT_EQ(std::count_if(crte.begin(), crte.end(),
                                    [&](int y) { return y > t.Y && y <= t.Y + Prn().LineHeight(); }),
                      1)
                << t.Text;
        }
    }
    EXPECT_THAT(ostaci, ElementsAre("60", "40", "840", "1676", "5396", "800", "2380", "5426"));
}

// Wherever the page turns in the lists, an article's heading goes to the next page with its first row
// rather than stand alone at the foot of the page.
TEST_F(IspisStrane, AListHeadingNeverStandsAloneAtThePagesFoot) {
    TriStavke();
    std::vector<std::string> sami;
    int stranica = 0;
    for (double dno = 20; dno <= 200; dno += 1.5) {
        Prn().SetMarginBottom(dno);
        ASSERT_TRUE(IspisNaloga(ispistest::RN, false, {}));
        const int tijelo = Prn().MarginTopPixels() + Prn().PageBottomPixels();
        for (int n = 2; n < Prn().PageCount(); ++n, ++stranica) {
            // The body's last line: its texts left to right.
            int zadnji = -1;
            std::string tekst;
            for (const auto& t : Texts(Prn().Pages(n))) {
                if (t.Y >= tijelo || t.Y < zadnji) continue;
                if (t.Y > zadnji) tekst.clear();
                zadnji = t.Y;
                tekst += t.Text + "|";
            }
            if (tekst.rfind("Artikl: ", 0) == 0 || tekst.rfind("***", 0) == 0)
                sami.push_back(std::to_string(dno) + " mm, page " + std::to_string(n) + ": " + tekst);
        }
        preview->Close();
        Prn().Clear();
    }
    EXPECT_GT(stranica, 100);
    EXPECT_THAT(sami, IsEmpty());
}

// Two small fixed lights after the three windows start a second row: each caption, wider than its picture,
// starts where its picture does (not left of the pictures' area) and the next picture's place begins past
// it, so no caption runs into another's.
TEST_F(IspisStrane, ASmallWindowsCaptionStaysInItsOwnPlace) {
    TriStavke();
    for (int stavka : {4, 5}) {
        ordertables::PlainWindow(m, 300, 300);
        Stavka(stavka, 1, 201, 100);
    }
    ASSERT_EQ(orders::OptimizacijaI(ispistest::RN), orders::IshodRada::Gotovo);
    ASSERT_TRUE(IspisNaloga(ispistest::RN, false, {}));
    const auto tekstovi = Texts(Prn().Pages(1));
    const auto* cetvrti = printtest::Find(tekstovi, "4. tip: T-14  kom: 1");
    const auto* peti = printtest::Find(tekstovi, "5. tip: T-15  kom: 1");
    ASSERT_TRUE(cetvrti && peti);
    ASSERT_EQ(cetvrti->Y, peti->Y) << "side by side in the second row";
    EXPECT_EQ(cetvrti->X, Prn().UnitsToPixelsX(20 - Prn().MinMarginLeft())) << "at the pictures' left edge";
    Prn().Canvas().SetFont(Prn().Font());
    windows::PageCanvasTarget platno(Prn().Canvas());
    platno.SetFont("Arial CE", 9);
    EXPECT_GE(peti->X, cetvrti->X + platno.TextWidth(cetvrti->Text)) << "the captions do not overlap";
}

TEST_F(IspisStrane, OfferPricesUnderTheCaptionsAndTotalBelowThePictures) {
    TriStavke();
    std::vector<std::vector<printtest::PlacedText>> ispisano;
    printer.OnDraw = [&](const fw::Page& p) { ispisano.push_back(Texts(p)); };
    ASSERT_TRUE(IspisNaloga(ispistest::RN, true, {false, {}}));
    // Printed at once: the printer got the one page and the page list is empty again.
    ASSERT_EQ(ispisano.size(), 1u);
    EXPECT_EQ(Prn().PageCount(), 0);
    const auto& tekstovi = ispisano[0];
    const auto* naslov = printtest::Find(tekstovi, "2. tip: T-12  kom: 1");
    const auto* cijena = printtest::Find(tekstovi, "1.499,25 DEM");
    const auto* ukupno = printtest::Find(tekstovi, "Ukupno: 5.749,50 DEM");
    ASSERT_TRUE(naslov && cijena && ukupno);
    EXPECT_EQ(cijena->Y - naslov->Y, Prn().UnitsToPixelsY(1) * 5);
    // Below the tallest picture's row: 55 mm + 1400 / 50 + 32 mm.
    EXPECT_GE(ukupno->Y, Prn().UnitsToPixelsY(55 + 28 + 32 - Prn().MinMarginTop()));
    EXPECT_LT(ukupno->Y, Prn().UnitsToPixelsY(55 + 28 + 32 - Prn().MinMarginTop()) + 2 * Prn().LineHeight());
    EXPECT_NE(printtest::Find(tekstovi, "Plaćanje po predračunu."), nullptr);
}

TEST_F(IspisStrane, RefusalsAndFailuresLeaveNothingOpen) {
    TriStavke();
    NacinIspisa nacin;
    std::vector<bool> oznaka;
    nacin.OznakaIspisa = [&](bool v) { oznaka.push_back(v); };

    // A document still being built: refused, and that document is left alone.
    Prn().BeginDoc();
    EXPECT_FALSE(IspisNaloga(ispistest::RN, true, nacin));
    EXPECT_FALSE(PrijenosPodatakaStakla(ispistest::RN, {}, nacin));
    EXPECT_TRUE(Prn().Printing());
    Prn().EndDoc();
    Prn().Clear();
    EXPECT_THAT(shown, ElementsAre(windows::PrintBusyMessage, windows::PrintBusyMessage));
    shown.clear();

    EXPECT_FALSE(IspisNaloga(4711, false, nacin));
    EXPECT_THAT(shown, ElementsAre("Radni nalog nije pronađen!!!"));
    shown.clear();

    // A bar article gone from "WROBA": the work order stops before a page is built; the offer, which
    // needs no bars, still prints.
    {
        auto t = engine::Table::Open(root / "global", "WROBA.DB", engine::OpenMode::Shared);
        auto c = t->OpenCursor();
        ASSERT_TRUE(c->FindKey({engine::Value::Int(102)}));
        c->Delete();
    }
    EXPECT_FALSE(IspisNaloga(ispistest::RN, false, nacin));
    EXPECT_THAT(shown,
                ElementsAre("Artikl 102 nije pronađen u \"WRoba\"!!!", "Obustavljen nastavak Ispisa!!!"));
    EXPECT_FALSE(Prn().Printing());
    EXPECT_EQ(Prn().PageCount(), 0);
    EXPECT_FALSE(static_cast<bool>(controls::PrnNewPageProc));
    EXPECT_THAT(oznaka, IsEmpty());
    EXPECT_TRUE(IspisNaloga(ispistest::RN, true, nacin));
    EXPECT_THAT(oznaka, ElementsAre(true, false));
    // The page printer's own settings are back once the document is done.
    EXPECT_TRUE(Prn().Header.empty());
    EXPECT_EQ(Prn().HeaderFormat(), "^180,05");
    EXPECT_EQ(Prn().Font().Name, "Arial CE");
    EXPECT_FALSE(Prn().Font().Bold);

    // No glass list: told, nothing printed.
    shown.clear();
    {
        auto t = engine::Table::Open(root / "lokal", "RNOPTST.DB", engine::OpenMode::Shared);
        auto c = t->OpenCursor();
        for (c->First(); c->OnRow();)
            c->Delete();
    }
    preview->Hide();
    EXPECT_FALSE(PrijenosPodatakaStakla(ispistest::RN, {}, nacin));
    EXPECT_THAT(shown,
                ElementsAre("Nema liste stakla za optimizaciju!!!\r\nPokrenite prvo OPTIMIZACIJU I !!!"));
    EXPECT_FALSE(preview->isVisible());
}

// One article on two sheets, then a second article: each sheet a page of its own, drawn to scale with
// the panes counted from the sheet's bottom edge.
TEST_F(IspisStrane, GlassSheetsEachOnAPageDrawnFromTheBottomEdge) {
    ListaStakla prva;
    prva.Artikl = 201;
    prva.Raspored.SirinaPloce = 2000;
    prva.Raspored.VisinaPloce = 3000;
    prva.Raspored.BrojPloca = 2;
    prva.Raspored.Izresci = {{1, 1, 0, 0, 1000, 1500}, {2, 1, 1000, 0, 20, 20}, {3, 2, 0, 0, 2000, 3000}};
    ListaStakla druga = prva;
    druga.Raspored.BrojPloca = 1;
    druga.Raspored.Izresci = {{4, 1, 0, 1500, 2000, 1500}};
    const ArtiklIspisa artikl{true, "A201", "Float 4 mm", true, 2000, 3000};
    const PodaciListeStakla podaci{"Stolarija", "Zagreb", false, 3};

    Prn().BeginDoc();
    IspisListeStakla(Prn(), prva, artikl, podaci, true);
    IspisListeStakla(Prn(), druga, artikl, podaci, false);
    Prn().EndDoc();
    ASSERT_EQ(Prn().PageCount(), 3);

    // Scale: the smaller of 175 mm / 2000 and 0.8 x 257 mm / 3000.
    const double s = std::min((Prn().UsableWidth() - 5) / 2000, 0.8 * Prn().UsableHeight() / 3000);
    const int l = Prn().MarginLeftPixels(), t = Prn().MarginTopPixels();
    const fw::Page& p1 = Prn().Pages(1);
    const auto r = Pravokutnici(p1);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0]->Points[0], QPoint(l, t));
    EXPECT_EQ(r[0]->Points[1], QPoint(l + Px(2000 * s) + 1, t + Prn().UnitsToPixelsY(3000 * s) + 1));
    // The first pane lies on the sheet's bottom edge, the tiny one beside it.
    EXPECT_EQ(r[1]->Points[0], QPoint(l, t + Prn().UnitsToPixelsY(1500 * s)));
    EXPECT_EQ(r[1]->Points[1], r[0]->Points[1] - QPoint(Px(2000 * s) - Px(1000 * s), 0));
    EXPECT_NE(p1.BrushOf(*r[0]), p1.BrushOf(*r[1]));

    // The item number in bold, the width along the top, the height turned along the side; a size longer
    // than its edge in the narrow face.
    std::map<std::string, fw::PageFont> pisma;
    for (const fw::PageCommand& c : p1.Commands())
        if (c.Kind == fw::CommandKind::Text) pisma.emplace(c.Text, p1.FontOf(c));
    EXPECT_TRUE(pisma.at("1").Bold);
    EXPECT_EQ(pisma.at("1500").Escapement, 900);
    EXPECT_EQ(pisma.at("1000").Escapement, 0);
    EXPECT_EQ(pisma.at("20").Family, "Liberation Sans Narrow");
    EXPECT_EQ(pisma.at("1000").Family, "Liberation Sans");

    const auto tekst = [&](int n) {
        std::string s;
        for (const auto& x : Texts(Prn().Pages(n)))
            s += x.Text + "|";
        return s;
    };
    EXPECT_NE(tekst(1).find("Iskorištenje:|25,0066666666667 %|"), std::string::npos) << tekst(1);
    EXPECT_NE(tekst(1).find("Elemenata:|2 od 3|"), std::string::npos);
    EXPECT_NE(tekst(1).find("Okretno:|NE|Rezna ploča:|3 mm|"), std::string::npos);
    EXPECT_NE(tekst(2).find("Iskorištenje:|100 %|"), std::string::npos);
    EXPECT_NE(tekst(2).find("Elemenata:|1 od 3|"), std::string::npos);
    EXPECT_NE(tekst(3).find("Iskorištenje:|50 %|"), std::string::npos);
    // The upper half of the second article's sheet.
    const auto r3 = Pravokutnici(Prn().Pages(3));
    ASSERT_EQ(r3.size(), 2u);
    EXPECT_EQ(r3[1]->Points[0], QPoint(l, t));
}

// The cutting lists print a glass run's sheets as the run laid them out, and nothing else: the glass list
// is gone by the time they print, yet every page carries its sheet's panes and the box counts them.
TEST_F(IspisStrane, GlassListsPrintTheSheetsOfTheRunTheyAreGiven) {
    TriStavke();
    // A smaller sheet for the first article: its three panes need two.
    ordertables::ChangeRow(
        root, "Global", "WROBA.DB", {engine::Value::Int(201)},
        {{"DebljinaProfila", engine::Value::Int(1200)}, {"DuzinaProfila", engine::Value::Int(1800)}});
    const auto liste = OptimizacijaStakla(ispistest::RN, PostavkeStakla{});
    ASSERT_TRUE(liste.has_value());
    ASSERT_EQ(liste->size(), 2u);
    ASSERT_EQ((*liste)[0].Raspored.BrojPloca, 2);
    ordertables::EmptyTable(root, "Lokal", "RNOPTST.DB");

    ASSERT_TRUE(IspisStakla(ispistest::RN, *liste, {}));
    EXPECT_THAT(shown, IsEmpty());
    EXPECT_FALSE(Prn().Printing());
    int strana = 0;
    for (const ListaStakla& l : *liste) {
        // Item 1's two panes and item 2's one in the first glass, item 3's two in the second.
        const std::string svih = l.Artikl == 201 ? "3" : "2";
        for (int ploca = 1; ploca <= l.Raspored.BrojPloca; ++ploca) {
            ASSERT_LE(++strana, Prn().PageCount());
            const auto tekstovi = Texts(Prn().Pages(strana));
            const auto* kutija = printtest::Find(tekstovi, "Aplikacija:");
            ASSERT_NE(kutija, nullptr) << strana;
            // The figures on the sheet's picture: each pane's item number, width and height.
            std::vector<std::string> slika, ocekivano;
            for (const auto& t : tekstovi)
                if (t.Y < kutija->Y && t.Y > Prn().MarginTopPixels() &&
                    t.Text.find_first_not_of("0123456789") == std::string::npos)
                    slika.push_back(t.Text);
            int naPloci = 0;
            for (const TIzrezak& i : l.Raspored.Izresci)
                if (i.Ploca == ploca) {
                    ++naPloci;
                    for (int v : {int{i.Broj}, int{i.Sirina}, int{i.Visina}})
                        ocekivano.push_back(std::to_string(v));
                }
            std::sort(slika.begin(), slika.end());
            std::sort(ocekivano.begin(), ocekivano.end());
            EXPECT_EQ(slika, ocekivano) << l.Sifra << " sheet " << ploca;
            // The box beside each label.
            const auto uz = [&](const std::string& oznaka) {
                for (std::size_t i = 0; i + 1 < tekstovi.size(); ++i)
                    if (tekstovi[i].Text == oznaka) return tekstovi[i + 1].Text;
                return std::string("?");
            };
            EXPECT_EQ(uz("Elemenata:"), std::to_string(naPloci) + " od " + svih);
            EXPECT_EQ(uz("Iskorištenje:"), Iskoristenje(l.Raspored, ploca) + " %");
            EXPECT_EQ(uz("Dimenzija:"), std::to_string(l.Raspored.SirinaPloce) + " x " +
                                            std::to_string(l.Raspored.VisinaPloce) + " mm");
            EXPECT_EQ(uz("Artikl:"), l.Sifra + (l.Artikl == 201 ? " Float 4 mm" : " Float 6 mm"));
        }
    }
    EXPECT_EQ(strana, Prn().PageCount());
    EXPECT_EQ(strana, 3);
}

} // namespace
