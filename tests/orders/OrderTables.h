#pragma once
// A work order's tables written straight into a program folder, as the order tests and the orders
// benchmark set them up: the window system with its constants and a colour's profile articles, articles
// with their bar or sheet sizes, the order, its items, the window an item's copy is drawn from, and the
// order's rows read back as text. Free of any test framework, so the benchmark builds on it too.

#include "app/data/DataSetServices.h"
#include "engine/Engine.h"
#include "orders/optima/Komadi.h"
#include "orders/optima/RadniNalog.h"
#include "windows/model/ModelProzora.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ordertables {

using engine::Value;
using Fields = std::vector<std::pair<std::string, Value>>;

inline std::filesystem::path FolderOf(const std::filesystem::path& root, const std::string& database) {
    return root / (database == "Global" ? "global" : "lokal");
}

// Appends a row to a table of the "Global" or "Lokal" database, making the table first when it is missing.
inline void AddRow(const std::filesystem::path& root, const std::string& database, const std::string& table,
                   const Fields& fields) {
    const auto folder = FolderOf(root, database);
    if (!engine::TableExists(folder, table)) app::CheckTablesOf(table, database, false);
    auto t = engine::Table::Open(folder, table, engine::OpenMode::Shared);
    engine::Row r(t->Fields().size());
    for (const auto& [name, v] : fields)
        for (std::size_t i = 0; i < r.size(); ++i)
            if (t->Fields()[i].Name == name) r[i] = v;
    t->OpenCursor()->Insert(r);
}

// Sets fields of the row with that primary key; throws when there is none.
inline void ChangeRow(const std::filesystem::path& root, const std::string& database,
                      const std::string& table, const std::vector<Value>& key, const Fields& fields) {
    auto t = engine::Table::Open(FolderOf(root, database), table, engine::OpenMode::Shared);
    auto c = t->OpenCursor();
    if (!c->FindKey(key)) throw std::runtime_error("no such row in " + table);
    engine::Row r = c->Read();
    for (const auto& [name, v] : fields)
        for (std::size_t i = 0; i < r.size(); ++i)
            if (t->Fields()[i].Name == name) r[i] = v;
    c->Modify(r);
}

// Deletes the row with that primary key; throws when there is none.
inline void DeleteRow(const std::filesystem::path& root, const std::string& database,
                      const std::string& table, const std::vector<Value>& key) {
    auto t = engine::Table::Open(FolderOf(root, database), table, engine::OpenMode::Shared);
    auto c = t->OpenCursor();
    if (!c->FindKey(key)) throw std::runtime_error("no such row in " + table);
    c->Delete();
}

// Deletes every row of the table.
inline void EmptyTable(const std::filesystem::path& root, const std::string& database,
                       const std::string& table) {
    auto t = engine::Table::Open(FolderOf(root, database), table, engine::OpenMode::Shared);
    auto c = t->OpenCursor();
    for (c->First(); c->OnRow();)
        c->Delete();
}

// The rows whose `key` field holds `value`, each as its listed fields' values joined by blanks (numbers
// and texts as they are, "-" for anything else).
inline std::vector<std::string> RowsOf(const std::filesystem::path& root, const std::string& table,
                                       const std::string& key, std::int64_t value,
                                       const std::vector<std::string>& fields) {
    auto t = engine::Table::Open(root / "lokal", table, engine::OpenMode::Shared);
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < t->Fields().size(); ++i)
        index[t->Fields()[i].Name] = i;
    std::vector<std::string> out;
    auto c = t->OpenCursor();
    for (c->First(); c->OnRow(); c->Next()) {
        const engine::Row& r = c->Read();
        const Value& k = r[index.at(key)];
        if (!k.IsInt() || k.AsInt() != value) continue;
        std::ostringstream s;
        for (const std::string& f : fields) {
            const Value& v = r[index.at(f)];
            s << (f == fields.front() ? "" : " ")
              << (v.IsInt()    ? std::to_string(v.AsInt())
                  : v.IsText() ? v.AsText()
                               : "-");
        }
        out.push_back(s.str());
    }
    return out;
}

// --- the test system: number 3 in colour 4 unless said otherwise

// Gap 10, overlap 8, glass reduction 5 per edge, kerf 2, welding 3, mullion allowance 10.
inline orders::KonstanteSistema Constants() {
    return {10, 8, 5, 2, 3, 10};
}

// Frame 101 (reinforcement 105), sash 102 (106), mullion 103 (108), door leaf 104 (107), sliding sash 109
// (110), with their reinforcement insets.
inline orders::BojaSistema Profiles() {
    orders::BojaSistema b;
    b.Stok = 101, b.ZStoka = 105, b.ZSM = 10;
    b.Vrata = 104, b.ZVrata = 107, b.ZVM = 20;
    b.Okvir = 102, b.ZOkvira = 106, b.ZOM = 15;
    b.KlizniOkvir = 109, b.ZKlizniOkvir = 110, b.ZKOM = 12;
    b.Precka = 103, b.ZPrecka = 108, b.ZPM = 5;
    return b;
}

struct System {
    std::int32_t Code = 3;
    std::string Sifra = "S3";
    std::int32_t Proizvodi = 0; // the producer; 0 leaves it empty
    orders::KonstanteSistema Constants = ordertables::Constants();
};

inline void AddSystem(const std::filesystem::path& root, const System& s) {
    Fields f{{"Code", Value::Int(s.Code)},
             {"Sifra", Value::Text(s.Sifra)},
             {"Razmak", Value::Int(s.Constants.Razmak)},
             {"Preklapanje", Value::Int(s.Constants.Preklapanje)},
             {"SmanjenjeStakla", Value::Int(s.Constants.SmanjenjeStakla)},
             {"ReznaPila", Value::Int(s.Constants.ReznaPila)},
             {"Varenje", Value::Int(s.Constants.Varenje)},
             {"DodatakNaPrecku", Value::Int(s.Constants.DodatakNaPrecku)}};
    if (s.Proizvodi) f.emplace_back("Proizvodi", Value::Int(s.Proizvodi));
    AddRow(root, "Lokal", "WSYSTEM.DB", f);
}

// The system's profiles in one colour ("WSYSBOJE").
inline void AddSystemColour(const std::filesystem::path& root, std::int32_t sistem, std::int32_t boja,
                            const orders::BojaSistema& b = Profiles()) {
    AddRow(root, "Lokal", "WSYSBOJE.DB",
           {{"Sistem", Value::Int(sistem)},
            {"Boja", Value::Int(boja)},
            {"Stok", Value::Int(b.Stok)},
            {"ZStoka", Value::Int(b.ZStoka)},
            {"ZSM", Value::Int(b.ZSM)},
            {"Vrata", Value::Int(b.Vrata)},
            {"ZVrata", Value::Int(b.ZVrata)},
            {"ZVM", Value::Int(b.ZVM)},
            {"Okvir", Value::Int(b.Okvir)},
            {"ZOkvira", Value::Int(b.ZOkvira)},
            {"ZOM", Value::Int(b.ZOM)},
            {"KlizniOkvir", Value::Int(b.KlizniOkvir)},
            {"ZKlizniOkvir", Value::Int(b.ZKlizniOkvir)},
            {"ZKOM", Value::Int(b.ZKOM)},
            {"Precka", Value::Int(b.Precka)},
            {"ZPrecka", Value::Int(b.ZPrecka)},
            {"ZPM", Value::Int(b.ZPM)}});
}

// An article of the own company (partner 1) with the code "A" + its Code, and its "WROBA" row: profile
// face width and bar length, or a glass sheet's width and height. A length below 0: no "WROBA" row; an
// empty name or a producer of 0: none.
inline void AddArticle(const std::filesystem::path& root, std::int32_t code, std::int32_t grupa, int debljina,
                       int duzina, const std::string& naziv = {}, std::int32_t proizvodi = 0) {
    Fields f{{"Partner", Value::Int(1)},
             {"Sifra", Value::Text("A" + std::to_string(code))},
             {"Code", Value::Int(code)},
             {"Grupa", Value::Int(grupa)}};
    if (!naziv.empty()) f.emplace_back("Naziv", Value::Text(naziv));
    if (proizvodi) f.emplace_back("Proizvodi", Value::Int(proizvodi));
    AddRow(root, "Global", "SIF_ROBE.DB", f);
    if (duzina >= 0)
        AddRow(root, "Global", "WROBA.DB",
               {{"Code", Value::Int(code)},
                {"DebljinaProfila", Value::Int(debljina)},
                {"DuzinaProfila", Value::Int(duzina)}});
}

// An order header ("RADNINAL"); a Code of 0 lets the table number it, an empty Sifra stays empty.
struct Order {
    std::int32_t Code = 0;
    std::string Sifra;
    std::int32_t Broj = 1;
    std::int32_t Sistem = 3;
    std::int32_t Boja = 4;
};

inline void AddOrder(const std::filesystem::path& root, const Order& o) {
    Fields f{{"Broj", Value::Int(o.Broj)}, {"Sistem", Value::Int(o.Sistem)}, {"Boja", Value::Int(o.Boja)}};
    if (o.Code) f.emplace_back("Code", Value::Int(o.Code));
    if (!o.Sifra.empty()) f.emplace_back("Sifra", Value::Text(o.Sifra));
    AddRow(root, "Lokal", "RADNINAL.DB", f);
}

// An item of an order ("STAVKERN"); a type or glass of 0 stays empty.
struct Item {
    std::int32_t RN = 0;
    int Stavka = 0;
    std::int32_t Tip = 0;
    std::int32_t Staklo = 0;
    int Kolicina = 1;
    int Sirina = 0;
    int Visina = 0;
    std::optional<double> Cijena;
};

// An item's type must be in the catalogue ("WINGL") for the item to be cut: a type the caller did not
// put there itself is given a bare header (no system yet) with the code "T" + its Code.
inline void AddItem(const std::filesystem::path& root, const Item& s) {
    if (s.Tip) {
        const auto folder = FolderOf(root, "Lokal");
        if (!engine::TableExists(folder, "WINGL.DB")) app::CheckTablesOf("WINGL.DB", "Lokal", false);
        auto t = engine::Table::Open(folder, "WINGL.DB", engine::OpenMode::Shared);
        std::size_t code = 0;
        while (t->Fields()[code].Name != "Code")
            ++code;
        bool ima = false;
        auto c = t->OpenCursor();
        for (c->First(); c->OnRow() && !ima; c->Next())
            ima = c->Read()[code].IsInt() && c->Read()[code].AsInt() == s.Tip;
        if (!ima)
            AddRow(root, "Lokal", "WINGL.DB",
                   {{"Sifra", Value::Text("T" + std::to_string(s.Tip))}, {"Code", Value::Int(s.Tip)}});
    }
    Fields f{{"BrojRN", Value::Int(s.RN)},
             {"Stavka", Value::Int(s.Stavka)},
             {"Kolicina", Value::Int(s.Kolicina)},
             {"Sirina", Value::Int(s.Sirina)},
             {"Visina", Value::Int(s.Visina)}};
    if (s.Tip) f.emplace_back("Tip", Value::Int(s.Tip));
    if (s.Staklo) f.emplace_back("Staklo", Value::Int(s.Staklo));
    if (s.Cijena) f.emplace_back("Cijena", Value::Float(*s.Cijena));
    AddRow(root, "Lokal", "STAVKERN.DB", f);
}

// The model emptied and given a plain window: the outer frame of that size, 60 mm of the given article,
// with the test system's overlap.
inline void PlainWindow(windows::ModelProzora& m, int sirina, int visina, std::int32_t stok = 101,
                        std::int32_t sistem = 3) {
    m.OslobodiMemoriju();
    m.PostaviOkvirProzora(sirina, visina, 60);
    m.Preklapanje = static_cast<std::int16_t>(Constants().Preklapanje);
    m.ArtiklStoka = stok;
    m.Sistem = sistem;
}

// --- the three-item order: two fixed lights 1000 x 800 (item 1, quantity 2, glass 201), a 1200 x 1400
// window with one sash (item 2, glass 201) and an 1800 x 1200 window split by a vertical mullion (item 3,
// glass 202); frames 60 mm, sash 70 mm, mullion 80 mm, profiles on 6500 mm bars, the frame's reinforcement
// on 16000 mm ones, glass on 2000 x 3000 sheets.

// The window of item 1, 2 or 3 in the model; false when it cannot be built.
inline bool ThreeItemWindow(int stavka, windows::ModelProzora& m) {
    static const int mjere[][2] = {{1000, 800}, {1200, 1400}, {1800, 1200}};
    PlainWindow(m, mjere[stavka - 1][0], mjere[stavka - 1][1]);
    if (stavka == 2) return m.DodajOkvir(600, 700, 70, 102, 0) != nullptr;
    if (stavka == 3) return m.DodajPrecku(900, 600, false, 80, 103) != nullptr;
    return true;
}

// Its profile cutting list ("RNOPTIMA": Rbr, Artikl, Prozor, Duzina, Duzina1, Duzina2, KutL, KutD).
inline const std::vector<std::string>& ThreeItemCuttingList() {
    static const std::vector<std::string> rows{
        // Frames (Duzina = side + 2 x 3 welding + 2 x 2 kerf; Duzina1 without the kerf; Duzina2 the
        // side): 2 x (810 + 810 + 1010 + 1010), 1410 + 1410 + 1210 + 1210, 1210 + 1210 + 1810 + 1810,
        // longest first; the second bar trades its first 1210 for 1010 + 810.
        "1 101 3 1810 1806 1800 45 45", "2 101 3 1810 1806 1800 45 45", "3 101 2 1410 1406 1400 45 45",
        "4 101 2 1410 1406 1400 45 45", "5 101 3 1210 1206 1200 45 45", "6 101 2 1210 1206 1200 45 45",
        "7 101 2 1210 1206 1200 45 45", "8 101 1 1010 1006 1000 45 45", "9 101 1 1010 1006 1000 45 45",
        "10 101 1 810 806 800 45 45", "11 101 3 1210 1206 1200 45 45", "12 101 1 1010 1006 1000 45 45",
        "13 101 1 1010 1006 1000 45 45", "14 101 1 810 806 800 45 45", "15 101 1 810 806 800 45 45",
        "16 101 1 810 806 800 45 45",
        // the sash 1080 x 1280 outside: 1080 + 2 x 8 overlap + 6 + 4 across, 1280 + 26 down
        "17 102 2 1306 1302 1296 45 45", "18 102 2 1306 1302 1296 45 45", "19 102 2 1106 1102 1096 45 45",
        "20 102 2 1106 1102 1096 45 45",
        // the mullion: the 1080 mm opening + 2 x 10 + 2 x 2, square ends; then the reinforcements' separator
        "21 103 3 1104 1100 1100 90 90", "22 - 0 - - - - -",
        // frame reinforcements: H - 4 x 60 - 20 down, W - 2 x 60 - 20 across
        "23 105 3 1660 1656 1656 90 90", "24 105 3 1660 1656 1656 90 90", "25 105 2 1140 1136 1136 90 90",
        "26 105 2 1140 1136 1136 90 90", "27 105 2 1060 1056 1056 90 90", "28 105 2 1060 1056 1056 90 90",
        "29 105 3 940 936 936 90 90", "30 105 3 940 936 936 90 90", "31 105 1 860 856 856 90 90",
        "32 105 1 860 856 856 90 90", "33 105 1 860 856 856 90 90", "34 105 1 860 856 856 90 90",
        "35 105 1 540 536 536 90 90", "36 105 1 540 536 536 90 90", "37 105 1 540 536 536 90 90",
        "38 105 1 540 536 536 90 90",
        // sash reinforcements: the piece less 2 x 70, 6 and 2 x 15
        "39 106 2 1130 1126 1126 90 90", "40 106 2 1130 1126 1126 90 90", "41 106 2 930 926 926 90 90",
        "42 106 2 930 926 926 90 90",
        // the mullion's: 1104 - 20 - 10
        "43 108 3 1074 1070 1070 90 90"};
    return rows;
}

// Its glass list ("RNOPTST": Rbr, Artikl, Kolicina, Prozor, Duzina, Sirina): the fixed light's 880 x 680
// opening less 2 x 5; the sash's glazing 956 x 1156 unreduced; the two 800 x 1080 openings beside the
// mullion less 2 x 5.
inline const std::vector<std::string>& ThreeItemGlassList() {
    static const std::vector<std::string> rows{"1 201 2 1 670 870", "2 201 1 2 1156 956",
                                               "3 202 1 3 1070 790", "4 202 1 3 1070 790"};
    return rows;
}

// Its panes as a glass run lays them out on the sheets (see PanesOf), in any order.
inline const std::vector<std::string>& ThreeItemPanes() {
    static const std::vector<std::string> panes{"A201 1 670x870", "A201 1 670x870", "A201 2 956x1156",
                                                "A202 3 790x1070", "A202 3 790x1070"};
    return panes;
}

// The panes a glass run laid out, each as its article's code, item number and sides (shorter first).
inline std::vector<std::string> PanesOf(const std::vector<orders::ListaStakla>& liste) {
    std::vector<std::string> out;
    for (const orders::ListaStakla& l : liste)
        for (const orders::TIzrezak& i : l.Raspored.Izresci)
            out.push_back(l.Sifra + " " + std::to_string(i.Broj) + " " +
                          std::to_string(std::min(i.Sirina, i.Visina)) + "x" +
                          std::to_string(std::max(i.Sirina, i.Visina)));
    return out;
}

} // namespace ordertables
