#include "windows/storage/WindowTypeStore.h"

#include "tests/windows/storage/StorageFixture.h"
#include "windows/model/ModelFaults.h"

#include <gmock/gmock.h>

using namespace windows;
using storagetest::Opis;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

namespace {

const ZadaneVrijednosti sustav{3, 999, 5};

class WindowTypeStore : public storagetest::StorageTest {
protected:
    // No swap note and no row under a scratch key is left anywhere.
    void ExpectNothingLeftOver() {
        for (const auto& e : fs::directory_iterator(Lokal()))
            EXPECT_NE(e.path().extension(), ".zamjena") << e.path();
        for (const char* t : {"WINO.DB", "WINPO.DB", "WINP.DB"})
            for (std::int64_t wtip = -1; wtip >= -10; --wtip)
                EXPECT_THAT(Redovi(t, wtip), IsEmpty()) << t << " " << wtip;
    }
    std::vector<std::string> SviRedovi(std::int64_t wtip) {
        std::vector<std::string> out;
        for (const char* t : {"WINO.DB", "WINPO.DB", "WINP.DB"})
            for (const std::string& r : Redovi(t, wtip))
                out.push_back(std::string(t) + ": " + r);
        return out;
    }
    ModelProzora m;
};

TEST_F(WindowTypeStore, TypesGoThroughTheirTablesWholeAndApart) {
    DodajTip("A", 7);
    DodajTip("B", 8, 2); // the small model's system: a save leaves the header's system as the list set it
    storagetest::BogatiModel(m);
    const std::string bogati = Opis(m);
    ASSERT_TRUE(SpremiProzor(m, 7));
    EXPECT_EQ(m.BrojOkvira(), 0);
    EXPECT_EQ(m.BrojPrecki(), 0);
    const std::vector<std::string> prviRedovi = SviRedovi(7);
    EXPECT_EQ(prviRedovi.size(), 4u + 3u + 2u); // frames, sash mullions, window mullions
    storagetest::MaliModel(m, 1200);
    const std::string mali = Opis(m);
    ASSERT_TRUE(SpremiProzor(m, 8));

    // A load reverses the lists and numbers the nodes by their rows.
    ASSERT_TRUE(PrenesiProzor(m, 7, sustav));
    EXPECT_EQ(Opis(m, true), bogati);
    EXPECT_THAT(ModelFaults(m), IsEmpty());
    std::vector<int> rbr;
    for (const TOkvir& o : m.Okviri)
        rbr.push_back(o.Rbr);
    EXPECT_THAT(rbr, ElementsAre(4, 3, 2, 1));

    // Saved again in reversed order, loaded back in the first order; a third save writes the first rows.
    ASSERT_TRUE(SpremiProzor(m, 7));
    EXPECT_NE(SviRedovi(7), prviRedovi);
    ASSERT_TRUE(PrenesiProzor(m, 7, sustav));
    EXPECT_EQ(Opis(m), bogati);
    ASSERT_TRUE(SpremiProzor(m, 7));
    EXPECT_EQ(SviRedovi(7), prviRedovi);

    ASSERT_TRUE(PrenesiProzor(m, 8, sustav));
    EXPECT_EQ(Opis(m, true), mali);

    // Deleting one type's elements leaves the other's; the header alone loads as an empty frame.
    ASSERT_TRUE(ObrisiElementeTipa(7));
    EXPECT_THAT(SviRedovi(7), IsEmpty());
    EXPECT_FALSE(TipImaElemente(7));
    EXPECT_TRUE(TipImaElemente(8));
    ASSERT_TRUE(PrenesiProzor(m, 7, sustav));
    EXPECT_EQ(m.BrojOkvira(), 0);
    EXPECT_EQ(m.BrojPrecki(), 0);
    EXPECT_EQ(m.MaxRight, 2400);
    EXPECT_EQ(m.MaxBottom, 2100);
    EXPECT_EQ(m.WinRight, 2340);
    ASSERT_TRUE(PrenesiProzor(m, 8, sustav));
    EXPECT_EQ(Opis(m, true), mali);
    EXPECT_THAT(shown, IsEmpty());
    ExpectNothingLeftOver();
}

TEST_F(WindowTypeStore, ARefusedSaveChangesNothing) {
    DodajTip("A", 7);
    DodajTip("C", 7); // a second type sold under the same article
    DodajTip("B", 8);
    EXPECT_TRUE(KodTipaZauzet(7, "A"));
    EXPECT_FALSE(KodTipaZauzet(8, "B"));
    EXPECT_TRUE(KodTipaZauzet(8, "A"));
    EXPECT_FALSE(KodTipaZauzet(9, "A"));

    storagetest::MaliModel(m, 1000);
    const std::string prije = Opis(m);
    EXPECT_FALSE(SpremiProzor(m, 7));
    EXPECT_FALSE(SpremiProzor(m, 99));
    EXPECT_FALSE(SpremiProzor(m, -3));
    EXPECT_EQ(Opis(m), prije); // the edits are still there to save elsewhere
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_NE(shown[0].find("drugi tip"), std::string::npos) << shown[0];
    EXPECT_NE(shown[1].find("nije pronađen"), std::string::npos) << shown[1];
    EXPECT_THAT(SviRedovi(7), IsEmpty());

    // Deleting one of the two leaves the rows the other still has.
    ASSERT_TRUE(SpremiProzor(m, 8));
    EXPECT_TRUE(ObrisiElementeTipa(7));
    EXPECT_TRUE(TipImaElemente(8));

    // While another station holds the header, a save tries again and then asks ("Ne": refused), a delete
    // is refused; a load still reads.
    {
        auto gl = engine::Table::Open(Lokal(), "WINGL.DB", engine::OpenMode::Shared);
        auto c = gl->OpenCursor();
        ASSERT_TRUE(c->FindKey({engine::Value::Text("B")}));
        c->LockRecord();
        storagetest::MaliModel(m, 1600);
        EXPECT_FALSE(SpremiProzor(m, 8));
        EXPECT_EQ(asked,
                  std::vector<std::string>{"Slog je zaključan (WINGL.DB)\r\nŽelite li da pokušam ponovno ?"});
        EXPECT_EQ(m.BrojOkvira(), 1);
        EXPECT_FALSE(ObrisiElementeTipa(8));
        ASSERT_EQ(shown.size(), 4u);
        ASSERT_TRUE(PrenesiProzor(m, 8, sustav));
        EXPECT_EQ(m.MaxRight, 1000);
    }

    m.Roletne = true;
    EXPECT_FALSE(PrenesiProzor(m, 99, sustav));
    EXPECT_FALSE(m.Roletne);
    EXPECT_EQ(shown.size(), 4u);
}

TEST_F(WindowTypeStore, ALoadFillsInWhatTheRowsLeaveOpen) {
    DodajTip("A", 7, 0);
    {
        auto gl = engine::Table::Open(Lokal(), "WINGL.DB", engine::OpenMode::Shared);
        auto c = gl->OpenCursor();
        c->First();
        engine::Row r = c->Read();
        // MaxRight, MaxBottom, WinLeft, WinTop, WinRight, WinBottom: only the right inset counts.
        for (auto [i, v] : {std::pair{8, 1000}, {9, 800}, {10, 1}, {11, 2}, {12, 940}, {13, 3}})
            r[static_cast<std::size_t>(i)] = engine::Value::Int(v);
        c->Modify(r);
    }
    ASSERT_TRUE(PrenesiProzor(m, 7, sustav)); // makes the detail tables
    {
        auto o = engine::Table::Open(Lokal(), "WINO.DB", engine::OpenMode::Shared);
        auto c = o->OpenCursor();
        // WTip, Rbr, RedniBroj, ArtiklOkvira, DebProfila, L1, T1, R1, B1, L2, T2, R2, B2, K, Q, Otvaranje
        for (int rbr : {1, 2, 3}) {
            engine::Row r(o->Fields().size());
            const std::vector<int> v{7, rbr, 1, 40, 0, 60, 60, 500, 740, 115, 120, 445, 685, 0, 0, 0x105};
            for (std::size_t i = 0; i < v.size(); ++i)
                r[i] = engine::Value::Int(v[i]);
            c->Insert(r);
        }
        auto p = engine::Table::Open(Lokal(), "WINP.DB", engine::OpenMode::Shared);
        engine::Row r(p->Fields().size());
        const std::vector<int> v{7, 1, 50, 100, 60, 120, 740};
        for (std::size_t i = 0; i < v.size(); ++i)
            r[i] = engine::Value::Int(v[i]);
        r[7] = engine::Value::Bool(true);
        p->OpenCursor()->Insert(r);
    }
    ASSERT_TRUE(PrenesiProzor(m, 7, sustav));
    EXPECT_EQ(m.WinLeft, 60);
    EXPECT_EQ(m.WinTop, 60);
    EXPECT_EQ(m.WinRight, 940);
    EXPECT_EQ(m.WinBottom, 740);
    EXPECT_EQ(m.Sistem, 3);
    EXPECT_EQ(m.ArtiklStoka, 999);
    ASSERT_EQ(m.BrojOkvira(), 3);
    for (const TOkvir& o : m.Okviri) {
        EXPECT_EQ(o.DebProfila, 120 - 60 + 5);
        EXPECT_EQ(o.Otvaranje, 5); // the low byte
        EXPECT_EQ(o.RedniBroj, 1);
    }
    // Rows 1 and 2 pair; the third row with the same number stays a single sash.
    const TOkvir& treci = m.Okviri.front();
    EXPECT_EQ(treci.Par, nullptr);
    const TOkvir& drugi = *std::next(m.Okviri.begin());
    ASSERT_NE(drugi.Par, nullptr);
    EXPECT_EQ(drugi.Par->Par, &drugi);
    EXPECT_EQ(drugi.Par->Rbr, 1);
    EXPECT_EQ(m.BrojacOkvira, 2);
    ASSERT_EQ(m.BrojPrecki(), 1);
    EXPECT_EQ(m.Precke.front().Debljina, 20);
    EXPECT_EQ(m.Precke.front().Vodoravna, 0);

    // The header without a system took the current one and its frame article, in the table too.
    auto gl = engine::Table::Open(Lokal(), "WINGL.DB", engine::OpenMode::Shared);
    auto c = gl->OpenCursor();
    c->First();
    EXPECT_EQ(c->Read()[3].AsInt(), 3);
    EXPECT_EQ(c->Read()[6].AsInt(), 999);
    EXPECT_THAT(shown, IsEmpty());
}

TEST_F(WindowTypeStore, AnItemKeepsOneCopyAndItsOwnRows) {
    storagetest::MaliModel(m, 1200);
    const std::int32_t prvi = SpremiKopiju(m, {5, 1}, 4, 10);
    ASSERT_GT(prvi, 0);
    EXPECT_EQ(m.BrojOkvira(), 0);
    storagetest::BogatiModel(m);
    m.Sistem = 4;
    const std::string bogati = Opis(m);
    const std::int32_t drugaStavka = SpremiKopiju(m, {5, 2}, 4, 10);
    ASSERT_GT(drugaStavka, prvi);

    storagetest::MaliModel(m, 1600);
    m.Sistem = 4; // the order's system
    const std::string mali = Opis(m);
    const std::int32_t novi = SpremiKopiju(m, {5, 1}, 4, 10);
    ASSERT_GT(novi, drugaStavka);
    EXPECT_EQ(KodKopije({5, 1}), novi);
    EXPECT_THAT(Redovi("NWINO.DB", prvi), IsEmpty());
    EXPECT_EQ(Redovi("NWINO.DB", novi).size(), 1u);

    ASSERT_TRUE(PrenesiKopiju(m, {5, 1}, sustav));
    EXPECT_EQ(Opis(m, true), mali);
    ASSERT_TRUE(PrenesiKopiju(m, {5, 2}, sustav));
    EXPECT_EQ(Opis(m, true), bogati);
    EXPECT_THAT(ModelFaults(m), IsEmpty());

    ASSERT_TRUE(ObrisiKopiju({5, 1}));
    EXPECT_EQ(KodKopije({5, 1}), 0);
    for (const char* t : {"NWINO.DB", "NWINPO.DB", "NWINP.DB"})
        EXPECT_THAT(Redovi(t, novi), IsEmpty()) << t;
    EXPECT_FALSE(PrenesiKopiju(m, {5, 1}, sustav));
    EXPECT_EQ(KodKopije({5, 2}), drugaStavka);
    EXPECT_EQ(Redovi("NWINP.DB", drugaStavka).size(), 2u);
    EXPECT_THAT(shown, IsEmpty());
}

// A reader that keeps the copy tables open (a printout of a whole order) reads what PrenesiKopiju reads,
// and sees a copy saved after it opened them.
TEST_F(WindowTypeStore, AReaderOfManyCopiesSeesEachAsItIsStoredNow) {
    storagetest::MaliModel(m, 1200);
    m.Sistem = 4;
    const std::string mali = Opis(m);
    ASSERT_GT(SpremiKopiju(m, {5, 1}, 4, 10), 0);
    storagetest::BogatiModel(m);
    m.Sistem = 4;
    const std::string bogati = Opis(m);
    ASSERT_GT(SpremiKopiju(m, {5, 2}, 4, 10), 0);

    CitacKopija citac;
    ASSERT_TRUE(citac.Prenesi(m, {5, 1}, sustav));
    EXPECT_EQ(Opis(m, true), mali);
    ASSERT_TRUE(citac.Prenesi(m, {5, 2}, sustav));
    EXPECT_EQ(Opis(m, true), bogati);
    EXPECT_FALSE(citac.Prenesi(m, {5, 3}, sustav));
    EXPECT_EQ(m.BrojOkvira(), 0);

    // Item 1 saved anew meanwhile, item 2 deleted.
    storagetest::MaliModel(m, 1600);
    m.Sistem = 4;
    const std::string veci = Opis(m);
    ASSERT_GT(SpremiKopiju(m, {5, 1}, 4, 10), 0);
    ASSERT_TRUE(ObrisiKopiju({5, 2}));
    ASSERT_TRUE(citac.Prenesi(m, {5, 1}, sustav));
    EXPECT_EQ(Opis(m, true), veci);
    EXPECT_FALSE(citac.Prenesi(m, {5, 2}, sustav));
    EXPECT_THAT(shown, IsEmpty());
}

} // namespace

namespace {

// Two stations open one type; the second to save is asked before it replaces what the first saved, and
// "Ne" keeps both the stored type and its own drawing.
TEST_F(WindowTypeStore, ASaveOverATypeAnotherStationSavedSinceAsksFirst) {
    DodajTip("A", 7, 2);
    storagetest::MaliModel(m, 1000);
    ASSERT_TRUE(SpremiProzor(m, 7));
    ModelProzora a, b;
    OtisakTipa stanjeA = 0, stanjeB = 1;
    ASSERT_TRUE(PrenesiProzor(a, 7, sustav, &stanjeA));
    ASSERT_TRUE(PrenesiProzor(b, 7, sustav, &stanjeB));
    EXPECT_EQ(stanjeA, stanjeB);
    TOkvir& sashA = a.Okviri.front();
    ASSERT_NE(a.DodajPrecku(sashA.L2 + 100, 250, true, 40, 23), nullptr);
    TOkvir& sashB = b.Okviri.front();
    ASSERT_NE(b.DodajPrecku(sashB.L2 + 100, 750, true, 40, 24), nullptr);
    const std::string crtezA = Opis(a, true), crtezB = Opis(b, true);

    ASSERT_TRUE(SpremiProzor(a, 7, &stanjeA));
    EXPECT_THAT(asked, IsEmpty()) << "the type had not changed since it was loaded";

    EXPECT_FALSE(SpremiProzor(b, 7, &stanjeB));
    EXPECT_THAT(asked, ElementsAre(TipPromijenjenPitanje));
    EXPECT_EQ(Opis(b, true), crtezB) << "the drawing is kept";
    ASSERT_TRUE(PrenesiProzor(m, 7, sustav));
    EXPECT_EQ(Opis(m), crtezA) << "the first station's type is kept whole";

    // "Da" overwrites it with the second station's drawing.
    answers.push_back(true);
    ASSERT_TRUE(SpremiProzor(b, 7, &stanjeB));
    EXPECT_EQ(asked.size(), 2u);
    ASSERT_TRUE(PrenesiProzor(m, 7, sustav));
    EXPECT_EQ(Opis(m), crtezB);
    ExpectNothingLeftOver();
}

// Another station holds the type's header while this one saves: the save tries again and asks; "Da" once
// the lock is gone saves.
TEST_F(WindowTypeStore, ASaveThatMeetsALockTriesAgainThenAsks) {
    DodajTip("A", 7, 2);
    storagetest::MaliModel(m, 1000);
    ASSERT_TRUE(SpremiProzor(m, 7));
    OtisakTipa stanje = 0;
    ASSERT_TRUE(PrenesiProzor(m, 7, sustav, &stanje));
    m.Roletne = true;
    auto gl = engine::Table::Open(Lokal(), "WINGL.DB", engine::OpenMode::Shared);
    auto c = gl->OpenCursor();
    ASSERT_TRUE(c->FindKey({engine::Value::Text("A")}));
    c->LockRecord();
    onAsk = [&] { c->UnlockRecord(); };
    answers.push_back(true);
    ASSERT_TRUE(SpremiProzor(m, 7, &stanje));
    EXPECT_THAT(asked, ElementsAre("Slog je zaključan (WINGL.DB)\r\nŽelite li da pokušam ponovno ?"));
    EXPECT_THAT(shown, IsEmpty());
    ASSERT_TRUE(PrenesiProzor(m, 7, sustav));
    EXPECT_TRUE(m.Roletne);
}

// A save that died before its note left rows under a scratch key: the folder's opening takes them away,
// except those of a type another station is saving now.
TEST_F(WindowTypeStore, OpeningTheFolderRemovesScratchRowsNoNoteNames) {
    DodajTip("A", 7, 2);
    DodajTip("B", 8, 2);
    storagetest::MaliModel(m, 1000);
    ASSERT_TRUE(SpremiProzor(m, 7));
    storagetest::MaliModel(m, 1200);
    ASSERT_TRUE(SpremiProzor(m, 8));
    const std::vector<std::string> redovi7 = SviRedovi(7);
    for (const std::int64_t wtip : {-8, -9}) {
        auto o = engine::Table::Open(Lokal(), "WINO.DB", engine::OpenMode::Shared);
        engine::Row r(o->Fields().size());
        r[0] = engine::Value::Int(wtip);
        r[1] = engine::Value::Int(1);
        o->OpenCursor()->Insert(r);
        auto p = engine::Table::Open(Lokal(), "WINP.DB", engine::OpenMode::Shared);
        engine::Row q(p->Fields().size());
        q[0] = engine::Value::Int(wtip);
        q[1] = engine::Value::Int(1);
        p->OpenCursor()->Insert(q);
    }
    {
        // Type B is being saved by another station: its scratch rows are that station's.
        auto gl = engine::Table::Open(Lokal(), "WINGL.DB", engine::OpenMode::Shared);
        auto c = gl->OpenCursor();
        ASSERT_TRUE(c->FindKey({engine::Value::Text("B")}));
        c->LockRecord();
        DovrsiZapoceteZamjene();
        EXPECT_THAT(SviRedovi(-8), IsEmpty());
        EXPECT_EQ(SviRedovi(-9).size(), 2u);
    }
    DovrsiZapoceteZamjene();
    EXPECT_THAT(SviRedovi(-9), IsEmpty());
    EXPECT_EQ(SviRedovi(7), redovi7);
    EXPECT_THAT(shown, IsEmpty());
    ExpectNothingLeftOver();
}

} // namespace
