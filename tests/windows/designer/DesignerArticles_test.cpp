// The article boxes of the designer over a catalogue: the system's profiles fill the boxes and give new
// elements their article and thickness; typed codes find their article; a profile too thick for its
// room is refused with the model untouched.

#include "windows/designer/EditWindow.h"

#include "app/shell/ScriptedDialogs.h"
#include "base/Text.h"
#include "fw/ui/Guard.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/windows/designer/Katalog.h"

#include <gtest/gtest.h>
#include <memory>
#include <QTest>

namespace {

class DesignerArticlesTest : public ::testing::Test {
protected:
    DesignerArticlesTest() {
        m.PostaviOkvirProzora(2400, 2400, 60);
        m.ArtiklStoka = 1;
        forma.reset(fw::CreateForm<windows::TEditWindow>(nullptr, m));
        forma->Artikli = &katalog;
        forma->ArtikliSustava = [this](windows::TEditWindow&) {
            windows::SystemArticles s;
            s.Okvir = katalog.BySifra("OK70");
            s.KlizniOkvir = katalog.BySifra("KL70");
            s.Vrata = katalog.BySifra("VR90");
            s.Precka = katalog.BySifra("PR60");
            s.Preklapanje = 8;
            s.Razmak = 10;
            return s;
        };
        fwtest::ShowActive(*forma);
    }
    void Upisi(fw::Control& c, const char* tekst) {
        c.SetFocus();
        if (auto* combo = dynamic_cast<QComboBox*>(&c.Widget())) combo->lineEdit()->selectAll();
        fwtest::Type(&c.Widget(), QString::fromUtf8(tekst));
        QTest::keyClick(fwtest::FocusTarget(*forma), Qt::Key_Tab);
    }

    designertest::Katalog katalog{{1, "ST60", "Štok", 60},         {7, "ST80", "Štok 80", 80},
                                  {2, "OK70", "Krilo", 70},        {3, "KL70", "Klizno", 70},
                                  {4, "VR90", "Vrata", 90},        {5, "PR60", "Prečka", 60},
                                  {6, "OK99", "Krilo teško", 1500}};
    windows::ModelProzora m;
    app::ScriptedDialogs dialogs;
    fw::MessageRecorder recorder;
    std::unique_ptr<windows::TEditWindow> forma;
};

TEST_F(DesignerArticlesTest, TheSystemsProfilesGiveNewElementsTheirArticleAndThickness) {
    EXPECT_EQ(forma->cSif_stoka->Text(), "ST60 : Štok");
    EXPECT_EQ(forma->cOznArtiklOkvira->Items(),
              (std::vector<std::string>{"OK70 : Krilo", "KL70 : Klizno", "VR90 : Vrata"}));
    EXPECT_EQ(forma->CNoviArtiklPrecke->Text(), "PR60 : Prečka");
    EXPECT_EQ(m.Preklapanje, 8);
    EXPECT_EQ(forma->D.NovaDebljina, 60);
    EXPECT_EQ(forma->D.NoviArtiklPrecke, 5);

    // The sash tool takes the ordinary sash of a window.
    QTest::mouseClick(forma->bOkvir, Qt::LeftButton);
    EXPECT_EQ(forma->D.NovaDebljina, 70);
    EXPECT_EQ(forma->CNoviArtiklOkvira->Text(), "OK70 : Krilo");
    QTest::mouseClick(forma->PaintBox, Qt::LeftButton, {}, QPoint(200, 200));
    ASSERT_EQ(m.BrojOkvira(), 1);
    const windows::TOkvir& s = m.Okviri.front();
    EXPECT_EQ(s.ArtiklOkvira, 2);
    EXPECT_EQ(s.DebProfila, 70);
    EXPECT_EQ(s.L2, 60 + 70 - 8);
    EXPECT_EQ(forma->cOznArtiklOkvira->Text(), "OK70 : Krilo") << "the selected sash shows its article";
    EXPECT_TRUE(forma->cOznArtiklOkvira->Focused());

    // A profile far too thick for the sash: refused, the old article comes back, the sash unchanged.
    Upisi(*forma->cOznArtiklOkvira, "ok9");
    EXPECT_EQ(dialogs.Texts(),
              std::vector<std::string>{"Debljina artikla koji ste odabrali za okvir je prevelika !!!"});
    EXPECT_EQ(forma->cOznArtiklOkvira->Text(), "OK70 : Krilo");
    EXPECT_TRUE(forma->cOznArtiklOkvira->Focused());
    EXPECT_EQ(s.DebProfila, 70);
    EXPECT_EQ(s.ArtiklOkvira, 2);
    // The sliding sash, picked by its full text, fits.
    Upisi(*forma->cOznArtiklOkvira, "KL70 : Klizno");
    EXPECT_EQ(s.ArtiklOkvira, 3);

    // A frame code typed in lower case finds the nearest article; the frame grows and the sash follows.
    Upisi(*forma->cSif_stoka, "st7");
    EXPECT_EQ(forma->cSif_stoka->Text(), "ST80 : Štok 80");
    EXPECT_EQ(m.ArtiklStoka, 7);
    EXPECT_EQ(m.DebStoka, 80);
    EXPECT_EQ(forma->eDebPrecke->Text(), "80");
    EXPECT_EQ(s.L1, 80);
}

TEST_F(DesignerArticlesTest, ADoorTakesTheDoorLeafAndItsSill) {
    QTest::mouseClick(forma->chVrata, Qt::LeftButton);
    EXPECT_TRUE(m.Vrata);
    EXPECT_EQ(forma->chVrata->Caption(), "Ulaze vrata");
    QTest::mouseClick(forma->bOkvir, Qt::LeftButton);
    EXPECT_EQ(forma->D.NoviArtiklOkvira, 4);
    QTest::mouseClick(forma->PaintBox, Qt::LeftButton, {}, QPoint(200, 200));
    ASSERT_EQ(m.BrojOkvira(), 1);
    const windows::TOkvir& s = m.Okviri.front();
    EXPECT_EQ(s.Lajsna, 45);
    EXPECT_EQ(s.B1, 2400 - 45 + 8);
    EXPECT_TRUE(forma->cLajsna->isVisible());
    // A leaf stands on the sill: the option no longer changes.
    QTest::mouseClick(forma->chVrata, Qt::LeftButton);
    EXPECT_TRUE(m.Vrata);
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_EQ(dialogs.Texts()[0].rfind("Promjena opcije je dopuštena samo", 0), 0u);
    // The lower sill strip lowers the leaf's bottom.
    Upisi(*forma->cLajsna, "25");
    EXPECT_EQ(s.Lajsna, 25);
    EXPECT_EQ(s.B1, 2400 - 25 + 8);
    EXPECT_EQ(s.B2, s.B1 - s.DebProfila);
}

} // namespace
