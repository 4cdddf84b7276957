// A type laid out in the designer with the mouse and keys only, saved on closing, loaded again and
// opened again: it comes back as it was saved.

#include "windows/designer/EditWindow.h"
#include "windows/storage/WindowTypeStore.h"

#include "tests/fw/ui/FormTesting.h"
#include "tests/windows/storage/StorageFixture.h"

#include <memory>
#include <QTest>

namespace {

class DesignerRoundTrip : public storagetest::StorageTest {
protected:
    void Klik(int x, int y) { QTest::mouseClick(forma->PaintBox, Qt::LeftButton, {}, QPoint(x, y)); }
    void Alat(fw::SpeedButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
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

} // namespace
