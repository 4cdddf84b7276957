// The designer driven as the user drives it: tools, clicks and drags on the paint box, Alt+arrows,
// Ctrl+Delete, right clicks, the size edits and closing with the save question; the model is checked
// after each step.

#include "windows/designer/EditWindow.h"

#include "app/shell/ScriptedDialogs.h"
#include "fw/ui/Guard.h"
#include "tests/fw/ui/FormTesting.h"

#include <gtest/gtest.h>
#include <memory>
#include <QApplication>
#include <QTest>

namespace {

using windows::ModelProzora;
using windows::TEditWindow;
using windows::TOkvir;
using windows::TPrecka;

// 2400 x 2400 with a 60 mm frame: at the designer's scale 2400 one pixel is 6 mm.
class EditWindowTest : public ::testing::Test {
protected:
    EditWindowTest() {
        m.PostaviOkvirProzora(2400, 2400, 60);
        forma.reset(fw::CreateForm<TEditWindow>(nullptr, m));
        forma->SpremiProzor = [this](TEditWindow&) { return ++spremljeno > 0; };
        forma->Nacrtaj = [this](TEditWindow&) { ++nacrtano; };
        fwtest::ShowActive(*forma);
    }
    QWidget* Box() { return forma->PaintBox; }
    void Klik(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseClick(Box(), b, {}, QPoint(x, y));
    }
    void Alat(fw::SpeedButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    void Tipka(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(fwtest::FocusTarget(*forma), key, mods);
    }
    void Upisi(fw::Edit* e, const char* tekst) {
        e->SetFocus();
        e->SelectAll();
        fwtest::Type(&e->Widget(), tekst);
        Tipka(Qt::Key_Tab);
    }
    TOkvir* Okvir(int redniBroj) {
        for (TOkvir& s : m.Okviri)
            if (s.RedniBroj == redniBroj) return &s;
        return nullptr;
    }

    ModelProzora m;
    app::ScriptedDialogs dialogs;
    fw::MessageRecorder recorder;
    std::unique_ptr<TEditWindow> forma;
    int spremljeno = 0, nacrtano = 0;
};

TEST_F(EditWindowTest, OpensWithTheVerticalMullionToolAndTheScaleOfTheType) {
    EXPECT_EQ(forma->D.Alat, windows::AlatOkomitaPrecka);
    EXPECT_TRUE(forma->bVertPrecka->isChecked());
    EXPECT_EQ(forma->D.Mjerilo, 2400);
    // The rulers read millimetres: a number at every tenth tick of 24 mm.
    EXPECT_EQ(forma->RH->RulNumStepSize(), 240);
    EXPECT_EQ(forma->RH->Brojevi(), (std::vector<int>{240, 480, 720, 960, 1200, 1440, 1680, 1920, 2160}));
    EXPECT_EQ(forma->RV->Brojevi(), forma->RH->Brojevi());
    EXPECT_EQ(forma->eWidth->Text(), "2400");
    EXPECT_EQ(forma->eDebPrecke->Text(), "60");
    EXPECT_FALSE(forma->D.Izmijenjeno);
    EXPECT_TRUE(forma->eWidth->Focused());
    EXPECT_FALSE(forma->O_lijevo->isEnabled());
}

TEST_F(EditWindowTest, BuildsATypeWithTheMouseAndKeys) {
    // A vertical window mullion through the middle, selected at once.
    Klik(200, 200);
    ASSERT_EQ(m.Precke.size(), 1u);
    TPrecka* srednja = &m.Precke.front();
    EXPECT_EQ((std::vector<int>{srednja->L, srednja->T, srednja->R, srednja->B}),
              (std::vector<int>{1160, 60, 1240, 2340}));
    EXPECT_EQ(forma->D.OznacenaPrecka, srednja);
    EXPECT_EQ(forma->OOkomito->Text(), "1200");
    EXPECT_TRUE(forma->D.Izmijenjeno);

    // A sash left of it, a double sash right of it.
    Alat(forma->bOkvir);
    Klik(100, 200);
    ASSERT_EQ(m.BrojOkvira(), 1);
    TOkvir* lijevo = &m.Okviri.front();
    EXPECT_EQ((std::vector<int>{lijevo->L1, lijevo->T1, lijevo->R1, lijevo->B1, lijevo->L2, lijevo->R2}),
              (std::vector<int>{60, 60, 1160, 2340, 140, 1080}));
    EXPECT_EQ(forma->D.OznaceniOkvir, lijevo);
    EXPECT_EQ(forma->nOznaceni->PageIndex(), 0);
    Alat(forma->bDupOkvir);
    Klik(300, 200);
    ASSERT_EQ(m.BrojOkvira(), 3);
    TOkvir* par = Okvir(2);
    ASSERT_NE(par, nullptr);
    ASSERT_NE(par->Par, nullptr);
    EXPECT_EQ(par->Par->RedniBroj, 2);
    EXPECT_EQ(par->Par->Par, par);

    // A transom inside the left sash, 10 mm below the glazing's top: it rests on the top.
    Alat(forma->bHorzPrecka);
    Klik(100, 25); // 150 mm
    ASSERT_EQ(lijevo->Precke.size(), 1u);
    EXPECT_EQ((std::vector<int>{lijevo->Precke.front().T, lijevo->Precke.front().B}),
              (std::vector<int>{140, 220}));
    EXPECT_EQ(forma->D.AktivniOkvir, lijevo);

    // Select the left sash on its band and open it to the left; the handle tool then moves the handle.
    Alat(forma->bOznaci);
    Klik(17, 300);
    ASSERT_EQ(forma->D.OznaceniOkvir, lijevo);
    ASSERT_TRUE(forma->O_lijevo->isEnabled());
    Alat(forma->O_lijevo);
    EXPECT_EQ(lijevo->Otvaranje, windows::O_lijevo);
    EXPECT_EQ(lijevo->Q, 1);
    EXPECT_TRUE(forma->O_lijevo->isChecked());
    Alat(forma->bKvaka);
    Klik(100, 17); // the top band at x = 600 mm
    EXPECT_EQ(lijevo->Q, 2);
    EXPECT_EQ(lijevo->K, 600);
    // With the handle tool a second click on the selected sash keeps it selected.
    EXPECT_EQ(forma->D.OznaceniOkvir, lijevo);

    // Drag the middle mullion 5 pixels right: it and the sashes resting on it follow by 30 mm.
    Alat(forma->bOznaci);
    QTest::mousePress(Box(), Qt::LeftButton, {}, QPoint(200, 300));
    QTest::mouseMove(Box(), QPoint(203, 300));
    QTest::mouseMove(Box(), QPoint(205, 300));
    ASSERT_TRUE(forma->D.Duh().has_value());
    QTest::mouseRelease(Box(), Qt::LeftButton, {}, QPoint(205, 300));
    EXPECT_FALSE(forma->D.Duh().has_value());
    EXPECT_EQ(srednja->L, 1190);
    EXPECT_EQ(lijevo->R1, 1190);
    EXPECT_EQ(lijevo->Precke.front().R, 1110) << "the transom follows the sash's glazing";
    EXPECT_EQ(par->Par->L1 == 1270 || par->L1 == 1270, true);
    EXPECT_EQ(forma->D.OznacenaPrecka, srednja);

    // Alt+Right: one pixel (6 mm) more.
    Tipka(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(srednja->L, 1196);
    EXPECT_EQ(lijevo->R1, 1196);

    // Sashes rest on the middle mullion: Ctrl+Delete leaves it. The transom goes.
    Tipka(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(m.Precke.size(), 1u);
    Klik(100, 30);
    ASSERT_EQ(forma->D.OznacenaPrecka, &lijevo->Precke.front());
    Tipka(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(lijevo->Precke.empty());
    EXPECT_EQ(forma->D.OznacenaPrecka, nullptr);

    // A right click deletes only the element that is selected: both leaves of the double sash.
    Klik(385, 300, Qt::RightButton);
    EXPECT_EQ(m.BrojOkvira(), 3) << "nothing selected";
    Klik(385, 300);
    ASSERT_NE(forma->D.OznaceniOkvir, nullptr);
    Klik(385, 300, Qt::RightButton);
    EXPECT_EQ(m.BrojOkvira(), 1);
    EXPECT_EQ(lijevo->RedniBroj, 1);

    // Press and release on the selected sash deselects it.
    Klik(17, 300);
    EXPECT_EQ(forma->D.OznaceniOkvir, lijevo);
    Klik(17, 300);
    EXPECT_EQ(forma->D.OznaceniOkvir, nullptr);
    EXPECT_EQ(forma->OLijevo->Caption(), "");

    // Closing asks to save; "Da" hands the model to the opener.
    dialogs.Answer(true);
    Tipka(Qt::Key_Escape);
    EXPECT_FALSE(forma->isVisible());
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Želite li sačuvati promjene ?"});
    EXPECT_EQ(spremljeno, 1);
    EXPECT_EQ(nacrtano, 0);
    EXPECT_EQ(forma->D.OznaceniOkvir, nullptr);
}

TEST_F(EditWindowTest, SizeEditsRefuseBadNumbersAndCutShrinksToTheLimit) {
    Upisi(forma->eWidth, "10000");
    EXPECT_EQ(recorder.Beeps, std::vector<unsigned>{0});
    EXPECT_EQ(forma->eWidth->Text(), "2400");
    EXPECT_TRUE(forma->eWidth->Focused());
    EXPECT_EQ(m.Sirina, 2400);
    Upisi(forma->eWidth, "x1");
    EXPECT_EQ(recorder.Beeps.size(), 2u);
    // The height has the same upper limit.
    Upisi(forma->eHeight, "10000");
    EXPECT_EQ(recorder.Beeps.size(), 3u);
    EXPECT_EQ(m.Visina, 2400);

    // A vertical mullion 500 mm from the right frame edge, then a thicker frame: the mullion's ends follow.
    Klik(300, 200); // 1800 mm: the mullion 1760..1840
    ASSERT_EQ(m.Precke.size(), 1u);
    Upisi(forma->eDebPrecke, "70");
    EXPECT_EQ(m.DebStoka, 70);
    EXPECT_EQ(m.Precke.front().T, 70);
    EXPECT_EQ(m.WinRight, 2330);
    // The width shrinks by at most what the mullion leaves.
    Upisi(forma->eWidth, "1000");
    EXPECT_EQ(m.Sirina, 2400 - (2330 - 1840));
    EXPECT_EQ(forma->eWidth->Text(), std::to_string(m.Sirina));
    EXPECT_EQ(m.MaxRight, m.Sirina);
    Upisi(forma->eHeight, "1200");
    EXPECT_EQ(m.Visina, 1200);
    EXPECT_EQ(m.Precke.front().B, 1130) << "the mullion follows the frame's bottom";
    EXPECT_EQ(forma->D.Mjerilo, 2000);
    EXPECT_EQ(forma->RV->RulNumStepSize(), 200);
    EXPECT_EQ(forma->RV->Brojevi().back(), 1800);
    // The 1 mm arrows.
    QTest::mouseClick(forma->bDown, Qt::LeftButton);
    EXPECT_EQ(m.Visina, 1201);
    EXPECT_EQ(forma->eHeight->Text(), "1201");
    QTest::mouseClick(forma->bLeft, Qt::LeftButton);
    EXPECT_EQ(m.Sirina, 1910) << "the mullion already touches the frame";

    // Closing without saving redraws the caller's picture from what is stored.
    dialogs.Answer(false);
    forma->Close();
    EXPECT_EQ(spremljeno, 0);
    EXPECT_EQ(nacrtano, 1);
    EXPECT_EQ(m.Preklapanje, 0);
}

TEST_F(EditWindowTest, TheCrossHairAndTheGhostNeverChangeThePlan) {
    Klik(200, 200);
    const QImage plan = forma->PaintBox->Plan().copy();
    // A move to where the cursor already is (a test before may have left it there) gives no event: go
    // elsewhere first.
    QTest::mouseMove(Box(), QPoint(130, 90));
    QTest::mouseMove(Box(), QPoint(120, 80));
    EXPECT_EQ(forma->Xpos->Caption(), "720");
    EXPECT_EQ(forma->Ypos->Caption(), "480");
    const QImage slika = forma->PaintBox->Picture();
    EXPECT_TRUE(forma->PaintBox->CrossHairShown());
    // The cross-hair crosses the whole box at the mouse, in exclusive-or over the plan.
    for (int x : {0, 60, 400})
        EXPECT_EQ(slika.pixel(x, 80) ^ plan.pixel(x, 80), qRgb(255, 255, 0) & 0xFFFFFF) << x;
    EXPECT_EQ(slika.pixel(300, 300), plan.pixel(300, 300));
    EXPECT_EQ(forma->PaintBox->Plan(), plan);
}

TEST_F(EditWindowTest, TypingTheMeetingLineOfADoubleSashMovesItWithinItsLimit) {
    // A double sash over the whole opening, meeting at 1200; a transom in the left leaf ends on its glazing.
    Alat(forma->bDupOkvir);
    Klik(200, 200);
    ASSERT_EQ(m.BrojOkvira(), 2);
    TOkvir* lijevi = forma->D.OznaceniOkvir;
    ASSERT_TRUE(lijevi && lijevi->Par);
    if (lijevi->R1 != lijevi->Par->L1) lijevi = lijevi->Par;
    TOkvir* desni = lijevi->Par;
    ASSERT_EQ((std::vector<int>{lijevi->L2, lijevi->R2, lijevi->R1, desni->L1, desni->L2}),
              (std::vector<int>{140, 1120, 1200, 1200, 1280}));
    Alat(forma->bHorzPrecka);
    Klik(100, 100);
    ASSERT_EQ(lijevi->Precke.size(), 1u);
    const TPrecka& prijecka = lijevi->Precke.front();
    ASSERT_EQ(prijecka.R, lijevi->R2);
    Alat(forma->bOznaci);
    Klik(17, 300);
    ASSERT_EQ(forma->D.OznaceniOkvir, lijevi);
    ASSERT_EQ(forma->OOkomito->Text(), "1200");
    forma->D.Izmijenjeno = false;

    // Typed and left with Tab: the line moves by the difference, the focus goes on to the next field.
    Upisi(forma->OOkomito, "1000");
    EXPECT_EQ((std::vector<int>{lijevi->R2, lijevi->R1, desni->L1, desni->L2, prijecka.R}),
              (std::vector<int>{920, 1000, 1000, 1080, 920}));
    EXPECT_TRUE(forma->D.Izmijenjeno);
    EXPECT_EQ(forma->OOkomito->Text(), "1000");
    EXPECT_EQ(forma->ODesno->Caption(), "1000");
    EXPECT_EQ(forma->ActiveControl(), forma->bBrisi);

    // Far past the left leaf's glazing: the move stops where the transom keeps its length.
    Upisi(forma->OOkomito, "100");
    EXPECT_EQ((std::vector<int>{lijevi->R2, lijevi->R1, desni->L1, desni->L2, prijecka.R}),
              (std::vector<int>{170, 250, 250, 330, 170}))
        << "the transom keeps 30 mm (five pixels) of its length";
    EXPECT_EQ(forma->OOkomito->Text(), "250");
    // And right, up to the right leaf's limit.
    Upisi(forma->OOkomito, "3000");
    EXPECT_EQ(desni->L2, desni->R2 - 1);
    EXPECT_EQ(lijevi->R1, desni->L1);
    EXPECT_EQ(forma->OOkomito->Text(), std::to_string(lijevi->R1));
}

// What the fields of the selected element show follows every change that moves it.
TEST_F(EditWindowTest, TheSelectedElementsDataFollowSizeAndFrameChanges) {
    // A vertical window mullion, selected: its ends follow the frame and the height.
    Klik(300, 200); // 1760..1840
    ASSERT_NE(forma->D.OznacenaPrecka, nullptr);
    Upisi(forma->eDebPrecke, "70");
    EXPECT_EQ(forma->OGore->Caption(), "70");
    Upisi(forma->eHeight, "2000");
    EXPECT_EQ(forma->ODolje->Caption(), "1930");
    EXPECT_EQ(forma->OOkomito->Text(), "1800");

    // A sash left of it, selected: its edges follow the frame, the height and the arrows.
    Alat(forma->bOkvir);
    Klik(100, 200);
    TOkvir* s = forma->D.OznaceniOkvir;
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(forma->OLijevo->Caption(), "70");
    Upisi(forma->eDebPrecke, "80");
    EXPECT_EQ(s->L1, 80);
    EXPECT_EQ(forma->OLijevo->Caption(), "80");
    EXPECT_EQ(forma->OGore->Caption(), "80");
    EXPECT_EQ(forma->ODolje->Caption(), "1920");
    EXPECT_EQ(forma->ODesno->Caption(), "1760");
    QTest::mouseClick(forma->bDown, Qt::LeftButton);
    EXPECT_EQ(s->B1, 1921);
    EXPECT_EQ(forma->ODolje->Caption(), "1921");
}

} // namespace

namespace {

TEST_F(EditWindowTest, UpAndDownStepTheScaleWithinItsLimitsAndKeepTheFocus) {
    forma->eOmjer->SetFocus();
    ASSERT_TRUE(forma->eOmjer->Focused());
    const struct {
        Qt::Key key;
        int times;
        int value;
    } steps[] = {{Qt::Key_Up, 1, 60}, {Qt::Key_Down, 3, 30}, {Qt::Key_Down, 5, 10}, {Qt::Key_Up, 30, 250}};
    for (const auto& s : steps) {
        for (int i = 0; i < s.times; ++i)
            Tipka(s.key);
        EXPECT_EQ(forma->eOmjer->Value(), s.value);
        EXPECT_EQ(forma->eOmjer->Text(), std::to_string(s.value));
        EXPECT_TRUE(forma->eOmjer->Focused()) << "the keys stepped the scale, not the focus";
    }
    // The plain edits beside it still move the focus with the arrows.
    forma->eWidth->SetFocus();
    Tipka(Qt::Key_Down);
    EXPECT_FALSE(forma->eWidth->Focused());
}

} // namespace

namespace {

// The thickness of new elements is shown, never typed: a "0" typed at it goes nowhere and the focus moves.
TEST_F(EditWindowTest, TheNewElementsThicknessIsDisplayOnly) {
    const std::string prije = forma->eNovaDebljina->Text();
    forma->eNovaDebljina->SetFocus();
    forma->eNovaDebljina->SelectAll();
    fwtest::Type(&forma->eNovaDebljina->Widget(), "0");
    Tipka(Qt::Key_Tab);
    EXPECT_EQ(forma->eNovaDebljina->Text(), prije);
    EXPECT_FALSE(forma->eNovaDebljina->Focused());
    EXPECT_EQ(forma->D.NovaDebljina, std::stoi(prije));
    for (int i = 0; i < 40; ++i) {
        Tipka(Qt::Key_Tab);
        EXPECT_FALSE(forma->eNovaDebljina->Focused()) << "not a stop of the Tab key";
    }
}

} // namespace
