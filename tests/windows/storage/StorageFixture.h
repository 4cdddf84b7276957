#pragma once
// A program folder with its "lokal/" tables for the window-type storage tests, models built with the
// designer's own operations, and a text form of a model that names every stored field of every node.

#include "app/data/DataSetServices.h"
#include "engine/Engine.h"
#include "tests/app/data/ServicesFixture.h"
#include "windows/model/ModelProzora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace storagetest {

using windows::ModelProzora;
using windows::TOkvir;
using windows::TPrecka;

// A 2400 x 2100 door type: a window mullion splits it; the left opening holds a door leaf on the sill, the
// right one a transom with a double sash above (a mullion in one leaf) and a sash below carrying a
// vertical and a horizontal mullion; every leaf has its own opening mode.
inline void BogatiModel(ModelProzora& m) {
    m.OslobodiMemoriju();
    m.PostaviOkvirProzora(2400, 2100, 60);
    m.Preklapanje = 5;
    m.Vrata = true;
    m.Roletne = true;
    m.ArtiklStoka = 1001;
    m.Sistem = 3;
    ASSERT_NE(m.DodajPrecku(800, 1000, false, 80, 2001), nullptr);
    ASSERT_NE(m.DodajPrecku(1500, 700, true, 60, 2002), nullptr);
    TOkvir* vrata = m.DodajOkvir(400, 1000, 70, 3001, 45);
    ASSERT_NE(vrata, nullptr);
    ASSERT_GT(vrata->Lajsna, 0);
    m.NacinOtvaranja(vrata, windows::O_lijevo);
    TOkvir* desni = m.DodajDvostrukiOkvir(1500, 300, 70, 10, 3002, 0);
    ASSERT_NE(desni, nullptr);
    m.NacinOtvaranja(desni, windows::O_gore);
    m.NacinOtvaranja(desni, windows::O_desno);
    ASSERT_NE(m.DodajPrecku(desni->L2 + 20, 300, false, 40, 2003), nullptr);
    TOkvir* donji = m.DodajOkvir(1500, 1500, 70, 3003, 25);
    ASSERT_NE(donji, nullptr);
    m.NacinOtvaranja(donji, windows::K_lijevo);
    ASSERT_NE(m.DodajPrecku(1500, 1500, false, 50, 2004), nullptr);
    ASSERT_NE(m.DodajPrecku(1200, 1500, true, 30, 2005), nullptr);
    ASSERT_EQ(m.BrojOkvira(), 4);
}

// A small window: one sash with a mullion, and a window mullion.
inline void MaliModel(ModelProzora& m, int sirina) {
    m.OslobodiMemoriju();
    m.PostaviOkvirProzora(sirina, 1000, 50);
    m.Preklapanje = 5;
    m.Vrata = false;
    m.Roletne = false;
    m.ArtiklStoka = 11;
    m.Sistem = 2;
    ASSERT_NE(m.DodajPrecku(sirina / 2, 500, false, 60, 21), nullptr);
    TOkvir* s = m.DodajOkvir(sirina / 4, 500, 60, 31, 0);
    ASSERT_NE(s, nullptr);
    m.NacinOtvaranja(s, windows::O_lijevo);
    ASSERT_NE(m.DodajPrecku(sirina / 4, 500, true, 40, 22), nullptr);
}

// Every stored field of every node and the globals a load sets, lists walked from the head (or from the
// tail: a load reverses them). The load's own numbering (Rbr, mullion RedniBroj) is left out.
inline std::string Opis(const ModelProzora& m, bool odRepa = false) {
    std::ostringstream o;
    o << "prozor " << m.Sirina << "x" << m.Visina << " stok " << m.DebStoka << " max " << m.MaxRight << ","
      << m.MaxBottom << " unutra " << m.WinLeft << "," << m.WinTop << "," << m.WinRight << "," << m.WinBottom
      << " vrata " << m.Vrata << " artikl " << m.ArtiklStoka << " roletne " << m.Roletne << " sistem "
      << m.Sistem << " brojac " << m.BrojacOkvira << "\n";
    const auto precke = [&](const windows::ListaPrecki& lista) {
        std::vector<const TPrecka*> p;
        for (const TPrecka& x : lista)
            p.push_back(&x);
        if (odRepa) std::reverse(p.begin(), p.end());
        for (const TPrecka* x : p)
            o << "  precka " << x->ArtiklPrecke << " " << x->L << "," << x->T << "," << x->R << "," << x->B
              << " vodoravna " << int(x->Vodoravna) << " debljina " << x->Debljina << "\n";
    };
    std::vector<const TOkvir*> okviri;
    for (const TOkvir& x : m.Okviri)
        okviri.push_back(&x);
    if (odRepa) std::reverse(okviri.begin(), okviri.end());
    for (const TOkvir* s : okviri) {
        o << "okvir " << s->RedniBroj << " artikl " << s->ArtiklOkvira << " " << s->L1 << "," << s->T1 << ","
          << s->R1 << "," << s->B1 << " / " << s->L2 << "," << s->T2 << "," << s->R2 << "," << s->B2
          << " kvaka " << s->K << "," << s->Q << " otvaranje " << int(s->Otvaranje) << " profil "
          << s->DebProfila << " lajsna " << s->Lajsna << " par "
          << (s->Par ? std::to_string(s->Par->ArtiklOkvira) + "/" + std::to_string(s->Par->L1) : "-") << "\n";
        precke(s->Precke);
    }
    o << "prozorske:\n";
    precke(m.Precke);
    return o.str();
}

class StorageTest : public apptest::ServicesTest {
protected:
    std::filesystem::path Lokal() const { return root / "lokal"; }

    // A header row of the list: the type's code, name and sale article's Code.
    void DodajTip(const std::string& sifra, std::int32_t code, std::int32_t sistem = 3) {
        DodajTipU(Lokal(), sifra, code, sistem);
    }
    static void DodajTipU(const std::filesystem::path& lokal, const std::string& sifra, std::int32_t code,
                          std::int32_t sistem) {
        if (!engine::TableExists(lokal, "WINGL.DB")) app::CheckTablesOf("WINGL.DB", "Lokal", false);
        auto t = engine::Table::Open(lokal, "WINGL.DB", engine::OpenMode::Shared);
        engine::Row row(t->Fields().size());
        row[0] = engine::Value::Text(sifra);
        row[1] = engine::Value::Text("Tip " + sifra);
        row[2] = engine::Value::Int(code);
        row[3] = engine::Value::Int(sistem);
        t->OpenCursor()->Insert(row);
    }

    // The rows of a table with this WTip (and RN, RNS of a copy), each as "field=value ..." text.
    std::vector<std::string> Redovi(const std::string& tablica, std::int64_t wtip) {
        auto t = engine::Table::Open(Lokal(), tablica, engine::OpenMode::Shared);
        auto c = t->OpenCursor();
        std::vector<std::string> out;
        int polje = -1;
        for (std::size_t i = 0; i < t->Fields().size(); ++i)
            if (t->Fields()[i].Name == "WTip") polje = static_cast<int>(i);
        for (c->First(); c->OnRow(); c->Next()) {
            const engine::Row& r = c->Read();
            if (r[static_cast<std::size_t>(polje)].AsInt() != wtip) continue;
            std::string s;
            for (std::size_t i = 0; i < r.size(); ++i)
                s += t->Fields()[i].Name + "=" +
                     (r[i].IsInt()    ? std::to_string(r[i].AsInt())
                      : r[i].IsBool() ? std::to_string(r[i].AsBool())
                                      : std::string("?")) +
                     " ";
            out.push_back(s);
        }
        return out;
    }
};

} // namespace storagetest
