#pragma once
// A program folder holding one work order: its system, the system's colour, the articles with their bars
// and sheets, and items whose copies are saved through the window-type storage.

#include "engine/Engine.h"
#include "tests/app/data/ServicesFixture.h"
#include "tests/orders/OrderTables.h"
#include "windows/model/ModelProzora.h"
#include "windows/storage/WindowTypeStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nalogtest {

using engine::Value;

constexpr std::int32_t RN = 7, Sistem = 3, Boja = 4;

class NalogTest : public apptest::ServicesTest {
protected:
    using Polja = ordertables::Fields;

    void Upisi(const char* baza, const std::string& tablica, const Polja& polja) {
        ordertables::AddRow(root, baza, tablica, polja);
    }

    void Artikl(std::int32_t code, std::int32_t grupa, int debljina = -1, int duzina = -1) {
        ordertables::AddArticle(root, code, grupa, debljina, duzina);
    }

    // System 3 in colour 4 (see ordertables), and order 7 in it.
    void Sustav() {
        ordertables::AddSystem(root, {});
        ordertables::AddSystemColour(root, Sistem, Boja);
        ordertables::AddOrder(root, {RN, "RN7", 1, Sistem, Boja});
    }

    // An item and its copy, the window built by the caller at the item's size.
    void Stavka(int stavka, int kolicina, std::int32_t staklo, windows::ModelProzora& m) {
        ordertables::AddItem(root, {RN, stavka, 1, staklo, kolicina, m.Sirina, m.Visina, {}});
        ASSERT_GT(windows::SpremiKopiju(m, {RN, stavka}, Sistem, Boja), 0);
    }

    static void Prozor(windows::ModelProzora& m, int sirina, int visina) {
        ordertables::PlainWindow(m, sirina, visina);
    }

    // The order's rows of a table, each as its listed fields' values ("-" for a null) joined by blanks.
    std::vector<std::string> Redovi(const std::string& tablica, const std::vector<std::string>& polja) {
        return ordertables::RowsOf(root, tablica, "RadniNalog", RN, polja);
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
