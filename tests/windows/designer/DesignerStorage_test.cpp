// A type laid out in the designer with the mouse and keys only, saved on closing, loaded again and
// opened again: it comes back as it was saved. A stored type whose articles are now of other thicknesses
// opens as it was saved, keeps so while the user passes through every field, and keeps so in a later save.

#include "windows/designer/EditWindow.h"
#include "windows/storage/WindowTypeStore.h"

#include "tests/fw/ui/FormTesting.h"
#include "tests/windows/designer/Katalog.h"
#include "tests/windows/storage/StorageFixture.h"

#include <memory>
#include <QTest>

namespace {

class DesignerRoundTrip : public storagetest::StorageTest {
protected:
    void Klik(int x, int y) { QTest::mouseClick(forma->PaintBox, Qt::LeftButton, {}, QPoint(x, y)); }
    void Alat(fw::SpeedButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    // A click at a point of the window in millimetres.
    void KlikMm(int x, int y) { Klik(x * 400 / forma->D.Mjerilo, y * 400 / forma->D.Mjerilo); }
    windows::ModelProzora m;
    std::unique_ptr<windows::TEditWindow> forma;
};

TEST_F(DesignerRoundTrip, ATypeBuiltWithMouseAndKeysComesBackAsSaved) {
    DodajTip("T1", 501);
    m.PostaviOkvirProzora(2400, 1800, 60);
    m.Sistem = 3;
    m.ArtiklStoka = 1001;
    forma.reset(fw::CreateForm<windows::TEditWindow>(nullptr, m));
    forma->ArtikliSustava = [](windows::TEditWindow&) {
        windows::SystemArticles s;
        s.Preklapanje = 5;
        s.Razmak = 10;
        return s;
    };
    std::string spremljeni;
    bool spremljeno = false;
    forma->SpremiProzor = [&](windows::TEditWindow& f) {
        spremljeni = storagetest::Opis(f.D.Model);
        spremljeno = windows::SpremiProzor(f.D.Model, 501);
        return spremljeno;
    };
    fwtest::ShowActive(*forma);

    Klik(200, 150); // a vertical window mullion
    Alat(forma->bOkvir);
    Klik(100, 150); // a sash left of it
    Alat(forma->bDupOkvir);
    Klik(300, 150); // a double sash right of it
    Alat(forma->bHorzPrecka);
    Klik(100, 100); // a transom in the sash
    Alat(forma->bOznaci);
    Klik(17, 200); // select the sash on its band
    Alat(forma->O_gore);
    Alat(forma->O_lijevo); // tilt and turn to the left
    QTest::mousePress(forma->PaintBox, Qt::LeftButton, {}, QPoint(200, 250));
    QTest::mouseMove(forma->PaintBox, QPoint(196, 250));
    QTest::mouseRelease(forma->PaintBox, Qt::LeftButton, {}, QPoint(196, 250)); // the mullion 24 mm left
    QTest::mouseClick(forma->bUkljuciRoletne, Qt::LeftButton);
    ASSERT_EQ(m.BrojOkvira(), 3);
    ASSERT_EQ(m.Precke.front().L, 1160 - 24);

    answers.push_back(true);
    forma->Close();
    EXPECT_EQ(asked, std::vector<std::string>{"Želite li sačuvati promjene ?"});
    ASSERT_TRUE(spremljeno) << (shown.empty() ? std::string() : shown.back());
    EXPECT_EQ(m.BrojOkvira(), 0);

    ASSERT_TRUE(windows::PrenesiProzor(m, 501, {3, 999, 5}));
    EXPECT_EQ(storagetest::Opis(m, true), spremljeni);
    EXPECT_TRUE(m.Roletne);

    // Opened again, the designer shows the stored sizes and nothing changed yet.
    fwtest::ShowActive(*forma);
    EXPECT_EQ(forma->eWidth->Text(), "2400");
    EXPECT_EQ(forma->eHeight->Text(), "1800");
    EXPECT_EQ(forma->eDebPrecke->Text(), "60");
    EXPECT_FALSE(forma->D.Izmijenjeno);
    EXPECT_EQ(storagetest::Opis(m, true), spremljeni);
    forma->Close();
}

// A door whose frame was saved 76 mm wide while its article is now 66, a leaf on a 20 mm sill (the sill
// box offers 45 and 25), a sash of an article the register no longer has and mullions whose articles are
// of other widths than stored.
TEST_F(DesignerRoundTrip, AStoredTypeOpensAsSavedAndPassingThroughEveryFieldChangesNothing) {
    DodajTip("BVN", 502);
    m.PostaviOkvirProzora(1200, 2200, 76);
    m.Preklapanje = 5;
    m.Vrata = true;
    m.Sistem = 3;
    m.ArtiklStoka = 1001;
    ASSERT_NE(m.DodajPrecku(600, 1000, false, 80, 2001), nullptr);
    ASSERT_NE(m.DodajPrecku(900, 1400, true, 60, 2001), nullptr);
    windows::TOkvir* krilo = m.DodajOkvir(300, 1000, 70, 3001, 20);
    ASSERT_NE(krilo, nullptr);
    ASSERT_EQ(krilo->Lajsna, 20);
    ASSERT_NE(m.DodajOkvir(900, 700, 70, 3999, 0), nullptr);
    ASSERT_TRUE(windows::SpremiProzor(m, 502));
    ASSERT_TRUE(windows::PrenesiProzor(m, 502, {3, 1001, 5}));
    const std::string spremljeni = storagetest::Opis(m);
    ASSERT_EQ(m.DebStoka, 76);

    designertest::Katalog katalog{
        {1001, "ST66", "Štok", 66}, {2001, "PR50", "Prečka", 50}, {3001, "VR90", "Vrata", 90}};
    forma.reset(fw::CreateForm<windows::TEditWindow>(nullptr, m));
    forma->Artikli = &katalog;
    forma->ArtikliSustava = [&](windows::TEditWindow&) {
        windows::SystemArticles s;
        s.Vrata = katalog.BySifra("VR90");
        s.Precka = katalog.BySifra("PR50");
        s.Preklapanje = 5;
        return s;
    };
    forma->SpremiProzor = [](windows::TEditWindow& f) { return windows::SpremiProzor(f.D.Model, 502); };
    fwtest::ShowActive(*forma);
    EXPECT_EQ(forma->eDebPrecke->Text(), "76");
    EXPECT_EQ(forma->cSif_stoka->Text(), "ST66 : Štok");
    EXPECT_EQ(storagetest::Opis(m), spremljeni);
    EXPECT_FALSE(forma->D.Izmijenjeno);

    // Each element selected in turn, then Tab through the whole form and round again.
    Alat(forma->bOznaci);
    std::vector<std::pair<std::string, std::pair<int, int>>> elementi{{"nothing", {-1, -1}}};
    for (const windows::TOkvir& o : m.Okviri)
        elementi.push_back({o.Lajsna > 0 ? "leaf" : "sash", {(o.L1 + o.L2) / 2, (o.T2 + o.B2) / 2}});
    for (const windows::TPrecka& p : m.Precke)
        elementi.push_back({"mullion " + std::to_string(p.L), {(p.L + p.R) / 2, (p.T + p.B) / 2}});
    for (const auto& [ime, tocka] : elementi) {
        if (tocka.first >= 0) {
            KlikMm(tocka.first, tocka.second);
            ASSERT_TRUE(forma->D.OznaceniOkvir || forma->D.OznacenaPrecka) << ime;
        }
        if (ime == "leaf") {
            EXPECT_EQ(forma->cLajsna->Text(), "20") << "the sill box shows the leaf's own sill";
        }
        for (int i = 0; i < 40; ++i)
            QTest::keyClick(fwtest::FocusTarget(*forma), Qt::Key_Tab);
        EXPECT_EQ(storagetest::Opis(m), spremljeni) << ime;
        EXPECT_FALSE(forma->D.Izmijenjeno) << ime;
        EXPECT_TRUE(shown.empty()) << ime << ": " << (shown.empty() ? "" : shown.back());
    }

    // A change elsewhere saves the frame, the leaf and the rest as they were.
    Alat(forma->bUkljuciRoletne);
    answers.push_back(true);
    forma->Close();
    ASSERT_EQ(m.BrojOkvira(), 0) << "saved";
    ASSERT_TRUE(windows::PrenesiProzor(m, 502, {3, 1001, 5}));
    std::string ocekivano = spremljeni;
    ocekivano.replace(ocekivano.find("roletne 0"), 9, "roletne 1");
    EXPECT_EQ(storagetest::Opis(m, true), ocekivano);
}

} // namespace
