#include "Gradnja.h"

#include "windows/model/ModelFaults.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

#include <vector>

using namespace windows;
using namespace gradnja;

namespace {

std::vector<int> Brojevi(const ModelProzora& m) {
    std::vector<int> v;
    for (const TOkvir& s : m.Okviri)
        v.push_back(s.RedniBroj);
    return v;
}

std::vector<int> Artikli(const ModelProzora& m) {
    std::vector<int> v;
    for (const TOkvir& s : m.Okviri)
        v.push_back(s.ArtiklOkvira);
    return v;
}

} // namespace

TEST(NodeOps, NewNodesAreZeroedAndGoToTheHead) {
    ModelProzora m;
    TOkvir& prvi = m.NewOkvir();
    prvi.ArtiklOkvira = 1;
    prvi.K = 5;
    TOkvir& drugi = m.NewOkvir();
    EXPECT_EQ(&m.Okviri.front(), &drugi);
    EXPECT_EQ(m.BrojOkvira(), 2);
    EXPECT_EQ(drugi.K, 0);
    EXPECT_EQ(drugi.ArtiklOkvira, 0);
    EXPECT_EQ(drugi.RedniBroj, 0);
    EXPECT_EQ(drugi.Par, nullptr);
    EXPECT_EQ(drugi.BrojPrecki(), 0);

    TPrecka& a = m.NewPrecka(nullptr);
    TPrecka& b = m.NewPrecka(nullptr);
    TPrecka& c = m.NewPrecka(&prvi);
    EXPECT_EQ(&m.Precke.front(), &b);
    EXPECT_EQ(&m.Precke.back(), &a);
    EXPECT_EQ(m.BrojPrecki(), 2);
    EXPECT_EQ(prvi.BrojPrecki(), 1);
    EXPECT_EQ(&prvi.Precke.front(), &c);
    EXPECT_EQ(c.L + c.T + c.R + c.B + c.Debljina + c.Vodoravna, 0);
}

TEST(NodeOps, DelPreckaUnlinksFromItsListAndRefusesNone) {
    ModelProzora m;
    TOkvir& s = m.NewOkvir();
    TPrecka& a = m.NewPrecka(&s);
    a.ArtiklPrecke = 1;
    TPrecka& b = m.NewPrecka(&s);
    b.ArtiklPrecke = 2;
    TPrecka& c = m.NewPrecka(&s);
    c.ArtiklPrecke = 3;
    m.DelPrecka(&s, &c); // the head
    EXPECT_EQ(s.Precke.front().ArtiklPrecke, 2);
    m.DelPrecka(&s, &a); // the tail
    ASSERT_EQ(s.BrojPrecki(), 1);
    EXPECT_EQ(s.Precke.front().ArtiklPrecke, 2);

    try {
        m.DelPrecka(&s, nullptr);
        FAIL();
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "DelPrecka: nije definiran el");
    }
    // A mullion of another list is not removed from this one.
    TPrecka& prozorska = m.NewPrecka(nullptr);
    EXPECT_THROW(m.DelPrecka(&s, &prozorska), base::Exception);
    EXPECT_EQ(m.BrojPrecki(), 1);
    EXPECT_EQ(s.BrojPrecki(), 1);
}

TEST(NodeOps, DelOkvirRenumbersFromTheHead) {
    ModelProzora m;
    m.PostaviOkvirProzora(3000, 1000, 60);
    TOkvir& prvi = Krilo(m, 60, 60, 1000, 940, 80);
    prvi.ArtiklOkvira = 1;
    TOkvir& drugi = Krilo(m, 1000, 60, 2000, 940, 80);
    drugi.ArtiklOkvira = 2;
    TOkvir& treci = Krilo(m, 2000, 60, 2940, 940, 80);
    treci.ArtiklOkvira = 3;
    Okomita(m, &drugi, 1400, 1420, drugi.T2, drugi.B2);
    EXPECT_EQ(Brojevi(m), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(Artikli(m), (std::vector<int>{3, 2, 1}));

    m.DelOkvir(&drugi);
    EXPECT_EQ(Artikli(m), (std::vector<int>{3, 1}));
    EXPECT_EQ(Brojevi(m), (std::vector<int>{1, 2}));
    EXPECT_EQ(m.BrojacOkvira, 2);
    EXPECT_EQ(m.BrojOkvira(), 2);

    try {
        m.DelOkvir(nullptr);
        FAIL();
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "DelOkvir: Nije definiran el");
    }
    EXPECT_EQ(m.BrojOkvira(), 2);
}

TEST(NodeOps, DoubleSashLeavesStayAdjacentAndAreRemovedTogether) {
    ModelProzora m;
    m.PostaviOkvirProzora(3000, 1000, 60);
    m.Preklapanje = 5;
    Okomita(m, nullptr, 1000, 1040, 60, 940);
    Okomita(m, nullptr, 2000, 2040, 60, 940);
    ASSERT_NE(m.DodajOkvir(500, 500, 80, 1, 45), nullptr);
    TOkvir* desni = m.DodajDvostrukiOkvir(1500, 500, 80, 10, 2, 45);
    ASSERT_NE(desni, nullptr);
    ASSERT_NE(m.DodajOkvir(2500, 500, 80, 3, 45), nullptr);
    TOkvir* lijevi = desni->Par;
    ASSERT_NE(lijevi, nullptr);
    EXPECT_EQ(lijevi->Par, desni);
    EXPECT_EQ(Artikli(m), (std::vector<int>{3, 2, 2, 1}));
    EXPECT_EQ(Brojevi(m), (std::vector<int>{3, 2, 2, 1}));
    EXPECT_TRUE(ModelFaults(m).empty());

    m.ObrisiOkvirSParom(lijevi);
    EXPECT_EQ(m.BrojOkvira(), 2);
    EXPECT_EQ(Artikli(m), (std::vector<int>{3, 1}));
    EXPECT_EQ(Brojevi(m), (std::vector<int>{1, 2}));
    EXPECT_TRUE(ModelFaults(m).empty());
}

TEST(NodeOps, RemovingOneLeafLeavesTheOtherUnlinked) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1000, 60);
    TOkvir* desni = m.DodajDvostrukiOkvir(1000, 500, 80, 10, 7, 45);
    ASSERT_NE(desni, nullptr);
    TOkvir* lijevi = desni->Par;
    m.DelOkvir(desni);
    ASSERT_EQ(m.BrojOkvira(), 1);
    EXPECT_EQ(lijevi->Par, nullptr);
    EXPECT_EQ(lijevi->RedniBroj, 1);
    EXPECT_EQ(m.BrojacOkvira, 1);
}

TEST(NodeOps, FreeingEmptiesTheModelAndZeroesItsSize) {
    ModelProzora m;
    m.PostaviOkvirProzora(2000, 1000, 60);
    TOkvir& s = Krilo(m, 60, 60, 1940, 940, 80);
    Okomita(m, &s, 900, 950, s.T2, s.B2);
    m.OslobodiMemoriju();
    EXPECT_EQ(m.BrojOkvira(), 0);
    EXPECT_EQ(m.BrojPrecki(), 0);
    EXPECT_EQ(m.MaxRight, 0);
    EXPECT_EQ(m.MaxBottom, 0);
    EXPECT_EQ(m.WinRight, 0);
    EXPECT_EQ(m.BrojacOkvira, 0);
}

TEST(NodeOps, ModelsAreIndependent) {
    ModelProzora a, b;
    a.PostaviOkvirProzora(1000, 1000, 60);
    b.PostaviOkvirProzora(2000, 800, 70);
    ASSERT_NE(a.DodajOkvir(500, 500, 80, 1, 45), nullptr);
    EXPECT_EQ(a.BrojOkvira(), 1);
    EXPECT_EQ(b.BrojOkvira(), 0);
    EXPECT_EQ(b.WinRight, 1930);
    EXPECT_TRUE(ModelFaults(a).empty());
    EXPECT_EQ(&SharedModel(), &SharedModel());
    EXPECT_NE(&SharedModel(), &a);
}

TEST(NodeOps, WindowSizeIsCheckedWhenSet) {
    ModelProzora m;
    EXPECT_THROW(m.PostaviOkvirProzora(10000, 1000, 60), base::Exception);
    EXPECT_THROW(m.PostaviOkvirProzora(1000, 0, 60), base::Exception);
    EXPECT_THROW(m.PostaviOkvirProzora(100, 100, 51), base::Exception);
    m.PostaviOkvirProzora(2400, 1200, 60);
    EXPECT_EQ(m.WinLeft, 60);
    EXPECT_EQ(m.WinTop, 60);
    EXPECT_EQ(m.WinRight, 2340);
    EXPECT_EQ(m.WinBottom, 1140);
    EXPECT_EQ(m.MaxRight, 2400);
    EXPECT_EQ(m.MaxBottom, 1200);
}
