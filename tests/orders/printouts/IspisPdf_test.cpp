// A three-item order printed to PDF through Qt's printer and read back with poppler's pdftotext: the
// work order with its pictures, head and both lists; the offer with prices, total and instructions and no
// lists; the glass cutting lists, one page per sheet with its box.

#include "orders/printouts/IspisNaloga.h"

#include "fw/print/PrinterDevice.h"
#include "tests/orders/printouts/IspisFixture.h"
#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <filesystem>
#include <gmock/gmock.h>
#include <QStandardPaths>

namespace {

using namespace orders;

class IspisPdf : public ispistest::IspisTest {
protected:
    void SetUp() override {
        pdftotext = QStandardPaths::findExecutable("pdftotext").toStdString();
        if (pdftotext.empty()) GTEST_SKIP() << "poppler-utils is not installed";
        IspisTest::SetUp();
        old = fw::SetCurrentPrinter(&device);
    }
    void TearDown() override {
        if (pdftotext.empty()) return;
        IspisTest::TearDown();
        fw::SetCurrentPrinter(old);
    }

    // Prints straight to a PDF file and reads its text back.
    std::string UPdf(const std::string& ime, const std::function<bool(const NacinIspisa&)>& ispis) {
        const std::string pdf = (root / ime).string();
        device.SetPdfFile(pdf);
        NacinIspisa nacin;
        nacin.PregledIspisa = false;
        nacin.OznakaIspisa = [this](bool v) { oznaka.push_back(v); };
        EXPECT_TRUE(ispis(nacin)) << ime;
        EXPECT_EQ(preview->Prn->PageCount(), 0) << "printed pages are dropped";
        // The user is told where the pages went, and nothing else.
        EXPECT_THAT(shown, ::testing::ElementsAre("Ispis je spremljen u datoteku \"" + pdf + "\"."));
        shown.clear();
        return Tekst(pdf);
    }
    // The text of a PDF file: every run of blanks and line ends is one blank; pages end with a form feed.
    std::string Tekst(const std::string& pdf) {
        testsupport::ChildProcess tool(pdftotext, {"-layout", pdf, "-"});
        const std::string sirovi = tool.ReadAll(std::chrono::minutes(1));
        if (!tool.Wait(std::chrono::minutes(1))) tool.Kill();
        std::string tekst;
        for (char c : sirovi) {
            if (c == '\f') {
                tekst += "\f";
                continue;
            }
            const bool razmak = c == ' ' || c == '\n' || c == '\r' || c == '\t';
            if (!razmak)
                tekst += c;
            else if (!tekst.empty() && tekst.back() != ' ' && tekst.back() != '\f')
                tekst += ' ';
        }
        return tekst;
    }
    static int Strane(const std::string& t) { return static_cast<int>(std::count(t.begin(), t.end(), '\f')); }
    // The text of page n (from 1).
    static std::string Strana(const std::string& t, int n) {
        std::size_t od = 0;
        for (int i = 1; i < n; ++i)
            od = t.find('\f', od) + 1;
        return t.substr(od, t.find('\f', od) - od);
    }

    std::string pdftotext;
    fw::QtPrinterDevice device;
    fw::PrinterDevice* old = nullptr;
    std::vector<bool> oznaka;
};

#define EXPECT_HAS(tekst, dio) EXPECT_NE((tekst).find(dio), std::string::npos) << "missing: " << (dio)
#define EXPECT_HAS_NOT(tekst, dio) EXPECT_EQ((tekst).find(dio), std::string::npos) << "unexpected: " << (dio)

TEST_F(IspisPdf, WorkOrderOfferAndGlassListsOfAThreeItemOrder) {
    TriStavke();

    const std::string nalog =
        UPdf("nalog.pdf", [](const NacinIspisa& n) { return IspisNaloga(ispistest::RN, false, n); });
    EXPECT_THAT(shown, ::testing::IsEmpty());
    EXPECT_EQ(oznaka, (std::vector<bool>{true, false}));
    // The pictures' page, the profile list (two pages of it) and the glass list.
    ASSERT_EQ(Strane(nalog), 4) << nalog;
    const std::string slike = Strana(nalog, 1), stakla = Strana(nalog, 4);
    const std::string profili = Strana(nalog, 2) + Strana(nalog, 3);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_HAS(Strana(nalog, n), "RADNI NALOG RN7");
        EXPECT_HAS(Strana(nalog, n), "Strana: " + std::to_string(n));
    }
    // The order's head only above the pictures, the list's column head on each page of the list.
    EXPECT_HAS(slike, "Datum: 9.12.2026 Poduzeće: Stolarija Horvat d.o.o.");
    EXPECT_HAS(slike, "Naručioc: Ivan Kovač Sistem: S3");
    EXPECT_HAS(slike, "Boja: BIJELA");
    EXPECT_HAS_NOT(profili, "Datum:");
    for (int n = 2; n <= 3; ++n)
        EXPECT_HAS(Strana(nalog, n), "Prozor Artikl Boja Dužina1 Kut L Kut D Dužina 2 Ostatak");
    EXPECT_HAS(slike, "1. tip: T-11 kom: 2");
    EXPECT_HAS(slike, "2. tip: T-12 kom: 1");
    EXPECT_HAS(slike, "3. tip: T-13 kom: 1");
    EXPECT_HAS_NOT(slike, "DEM");
    EXPECT_HAS_NOT(nalog, "Ukupno");
    // The pictures' dimension figures.
    EXPECT_HAS(slike, "1800");

    EXPECT_HAS(profili, "Artikl: A101 - Štok 60 -> o. m. = 6500");
    EXPECT_HAS(profili, "3 A101 BIJELA 1806 45 45 1800 3 A101");
    // Each bar's last piece carries the bar's rest; the list's very last bar too.
    for (const char* kraj : {"2 A101 BIJELA 1406 45 45 1400 60", "1 A101 BIJELA 806 45 45 800 40",
                             "1 A101 BIJELA 806 45 45 800 840", "2 A102 BIJELA 1102 45 45 1096 1676",
                             "3 A103 BIJELA 1100 90 90 1100 5396", "1 A105 BIJELA 536 90 90 536 800",
                             "2 A106 BIJELA 926 90 90 926 2380", "3 A108 BIJELA 1070 90 90 1070 5426"})
        EXPECT_HAS(profili, kraj);
    EXPECT_HAS(profili, "Artikl: A102 - Krilo 70 -> o. m. = 6500");
    EXPECT_HAS(profili, "*** Pojačanja Profila ***");
    EXPECT_HAS(profili, "Artikl: A105 - Željezo štoka -> o. m. = 16000");

    EXPECT_HAS(stakla, "Prozor Artikl Količina Dužina Širina");
    EXPECT_HAS(stakla, "Artikl: A201 - Float 4 mm -> o. m. = 2000 x 3000");
    EXPECT_HAS(stakla, "1 A201 2 kom 670 870");
    EXPECT_HAS(stakla, "2 A201 1 kom 1156 956");
    EXPECT_HAS(stakla, "Artikl: A202 - Float 6 mm -> o. m. = 2000 x 3000");
    EXPECT_HAS(stakla, "3 A202 1 kom 1070 790 3 A202 1 kom 1070 790");

    const std::string ponuda =
        UPdf("ponuda.pdf", [](const NacinIspisa& n) { return IspisNaloga(ispistest::RN, true, n); });
    ASSERT_EQ(Strane(ponuda), 1) << ponuda;
    EXPECT_HAS(ponuda, "PONUDA br. 1 RN7");
    EXPECT_HAS(ponuda, "1. tip: T-11 kom: 2");
    for (const char* cijena : {"1.250,50 DEM", "1.499,25 DEM", "1.749,25 DEM"})
        EXPECT_HAS(ponuda, cijena);
    EXPECT_HAS(ponuda, "Ukupno: 5.749,50 DEM Naputak: Ugradnja na gradilištu. Plaćanje po predračunu.");
    EXPECT_HAS_NOT(ponuda, "Ostatak");
    EXPECT_HAS_NOT(ponuda, "o. m.");

    const std::string rezna =
        UPdf("staklo.pdf", [](const NacinIspisa& n) { return PrijenosPodatakaStakla(ispistest::RN, {}, n); });
    EXPECT_THAT(shown, ::testing::IsEmpty());
    // One sheet per glass article, each on its own page.
    ASSERT_EQ(Strane(rezna), 2) << rezna;
    for (int n = 1; n <= 2; ++n) {
        const std::string s = Strana(rezna, n);
        EXPECT_HAS(s, "Rezna Lista RN: RN7");
        EXPECT_HAS(s, "Aplikacija: Lumeno Autor:");
        EXPECT_HAS(s, "Korisnik: Stolarija Horvat d.o.o. Mjesto: Zagreb");
        EXPECT_HAS(s, "Dimenzija: 2000 x 3000 mm Elemenata:");
        EXPECT_HAS(s, "Okretno: DA Rezna ploča: 0 mm");
        EXPECT_HAS(s, "Strana: " + std::to_string(n));
    }
    EXPECT_HAS(Strana(rezna, 1), "Artikl: A201 Float 4 mm Iskorištenje: 37,8489333333333 %");
    EXPECT_HAS(Strana(rezna, 1), "Elemenata: 3 od 3");
    EXPECT_HAS(Strana(rezna, 2), "Artikl: A202 Float 6 mm Iskorištenje: 28,1766666666667 %");
    EXPECT_HAS(Strana(rezna, 2), "Elemenata: 2 od 2");
    // The panes' item numbers and sizes on the sheet pictures.
    EXPECT_HAS(Strana(rezna, 1), "956");
    EXPECT_HAS(Strana(rezna, 2), "790");
}

TEST_F(IspisPdf, EveryPrintoutItsOwnFileNamedAfterItNeverOverwritten) {
    TriStavke();
    const std::filesystem::path mapa = root / "ispisi";
    std::filesystem::create_directories(mapa);
    device.SetPdfFolder(mapa.string());
    NacinIspisa nacin;
    nacin.PregledIspisa = false;
    ASSERT_TRUE(IspisNaloga(ispistest::RN, true, nacin));
    ASSERT_TRUE(IspisNaloga(ispistest::RN, false, nacin));
    ASSERT_TRUE(PrijenosPodatakaStakla(ispistest::RN, {}, nacin));
    ASSERT_TRUE(IspisNaloga(ispistest::RN, true, nacin)); // the same offer again
    const std::string ponuda = (mapa / "PONUDA br. 1 RN7.pdf").string();
    const std::string nalog = (mapa / "RADNI NALOG RN7.pdf").string();
    const std::string staklo = (mapa / "Rezna Lista RN RN7.pdf").string();
    const std::string ponuda2 = (mapa / "PONUDA br. 1 RN7 (2).pdf").string();
    std::vector<std::string> poruke;
    for (const std::string& f : {ponuda, nalog, staklo, ponuda2})
        poruke.push_back("Ispis je spremljen u datoteku \"" + f + "\".");
    EXPECT_EQ(shown, poruke);
    std::size_t datoteka = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(mapa))
        ++datoteka;
    EXPECT_EQ(datoteka, 4u);
    // Each file whole, with its own printout's pages.
    const std::string p1 = Tekst(ponuda), p2 = Tekst(ponuda2), n = Tekst(nalog), s = Tekst(staklo);
    EXPECT_EQ(Strane(p1), 1);
    EXPECT_HAS(p1, "PONUDA br. 1 RN7");
    EXPECT_HAS(p1, "Ukupno: 5.749,50 DEM");
    EXPECT_EQ(p2, p1);
    ASSERT_EQ(Strane(n), 4);
    EXPECT_HAS(Strana(n, 1), "RADNI NALOG RN7");
    EXPECT_HAS(Strana(n, 4), "Prozor Artikl Količina Dužina Širina");
    EXPECT_HAS_NOT(n, "PONUDA");
    ASSERT_EQ(Strane(s), 2);
    EXPECT_HAS(Strana(s, 2), "Rezna Lista RN: RN7");
    EXPECT_HAS_NOT(s, "RADNI NALOG");
}

} // namespace
