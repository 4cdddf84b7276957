#pragma once
// A program folder holding one work order: its system, the system's colour, the articles with their bars
// and sheets, and items whose copies are saved through the window-type storage.

#include "app/data/DataSetServices.h"
#include "engine/Engine.h"
#include "tests/app/data/ServicesFixture.h"
#include "windows/model/ModelProzora.h"
#include "windows/storage/WindowTypeStore.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace nalogtest {

using engine::Value;

constexpr std::int32_t RN = 7, Sistem = 3, Boja = 4;

class NalogTest : public apptest::ServicesTest {
protected:
    using Polja = std::vector<std::pair<std::string, Value>>;

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

    void Artikl(std::int32_t code, std::int32_t grupa, int debljina = -1, int duzina = -1) {
        Upisi("Global", "SIF_ROBE.DB",
              {{"Partner", Value::Int(1)},
               {"Sifra", Value::Text("A" + std::to_string(code))},
               {"Code", Value::Int(code)},
               {"Grupa", Value::Int(grupa)}});
        if (duzina >= 0)
            Upisi("Global", "WROBA.DB",
                  {{"Code", Value::Int(code)},
                   {"DebljinaProfila", Value::Int(debljina)},
                   {"DuzinaProfila", Value::Int(duzina)}});
    }

    // System 3 in colour 4: kerf 2, welding 3, overlap 8, gap 10, glass reduction 5, mullion allowance 10.
    void Sustav() {
        Upisi("Lokal", "WSYSTEM.DB",
              {{"Code", Value::Int(Sistem)},
               {"Sifra", Value::Text("S3")},
               {"Razmak", Value::Int(10)},
               {"Preklapanje", Value::Int(8)},
               {"SmanjenjeStakla", Value::Int(5)},
               {"ReznaPila", Value::Int(2)},
               {"Varenje", Value::Int(3)},
               {"DodatakNaPrecku", Value::Int(10)}});
        Polja boja{{"Sistem", Value::Int(Sistem)}, {"Boja", Value::Int(Boja)}};
        const std::pair<const char*, int> clanci[] = {
            {"Stok", 101},         {"ZStoka", 105}, {"ZSM", 10},      {"Vrata", 104},   {"ZVrata", 107},
            {"ZVM", 20},           {"Okvir", 102},  {"ZOkvira", 106}, {"ZOM", 15},      {"KlizniOkvir", 109},
            {"ZKlizniOkvir", 110}, {"ZKOM", 12},    {"Precka", 103},  {"ZPrecka", 108}, {"ZPM", 5}};
        for (const auto& [ime, v] : clanci)
            boja.emplace_back(ime, Value::Int(v));
        Upisi("Lokal", "WSYSBOJE.DB", boja);
        Upisi("Lokal", "RADNINAL.DB",
              {{"Code", Value::Int(RN)},
               {"Sifra", Value::Text("RN7")},
               {"Broj", Value::Int(1)},
               {"Sistem", Value::Int(Sistem)},
               {"Boja", Value::Int(Boja)}});
    }

    // An item and its copy, the window built by the caller at the item's size.
    void Stavka(int stavka, int kolicina, std::int32_t staklo, windows::ModelProzora& m) {
        Upisi("Lokal", "STAVKERN.DB",
              {{"BrojRN", Value::Int(RN)},
               {"Stavka", Value::Int(stavka)},
               {"Tip", Value::Int(1)},
               {"Staklo", Value::Int(staklo)},
               {"Kolicina", Value::Int(kolicina)},
               {"Sirina", Value::Int(m.Sirina)},
               {"Visina", Value::Int(m.Visina)}});
        ASSERT_GT(windows::SpremiKopiju(m, {RN, stavka}, Sistem, Boja), 0);
    }

    static void Prozor(windows::ModelProzora& m, int sirina, int visina) {
        m.OslobodiMemoriju();
        m.PostaviOkvirProzora(sirina, visina, 60);
        m.Preklapanje = 8;
        m.ArtiklStoka = 101;
        m.Sistem = Sistem;
    }

    // The order's rows of a table, each as its listed fields' values ("-" for a null) joined by blanks.
    std::vector<std::string> Redovi(const std::string& tablica, const std::vector<std::string>& polja) {
        auto t = engine::Table::Open(root / "lokal", tablica, engine::OpenMode::Shared);
        std::map<std::string, std::size_t> indeks;
        for (std::size_t i = 0; i < t->Fields().size(); ++i)
            indeks[t->Fields()[i].Name] = i;
        std::vector<std::string> out;
        auto c = t->OpenCursor();
        for (c->First(); c->OnRow(); c->Next()) {
            const engine::Row& r = c->Read();
            if (r[indeks.at("RadniNalog")].AsInt() != RN) continue;
            std::ostringstream s;
            for (const std::string& p : polja) {
                const Value& v = r[indeks.at(p)];
                s << (p == polja.front() ? "" : " ") << (v.IsInt() ? std::to_string(v.AsInt()) : "-");
            }
            out.push_back(s.str());
        }
        return out;
    }

    bool Optimizacija() {
        auto t = engine::Table::Open(root / "lokal", "RADNINAL.DB", engine::OpenMode::Shared);
        auto c = t->OpenCursor();
        if (!c->FindKey({Value::Int(RN)})) return false;
        for (std::size_t i = 0; i < t->Fields().size(); ++i)
            if (t->Fields()[i].Name == "Optimizacija") return c->Read()[i].IsBool() && c->Read()[i].AsBool();
        return false;
    }

    windows::ModelProzora m;
};

} // namespace nalogtest
