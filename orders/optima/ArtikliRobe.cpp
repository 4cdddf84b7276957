#include "orders/optima/ArtikliRobe.h"

#include "app/data/DataSetServices.h"
#include "engine/Engine.h"

#include <filesystem>

namespace orders {

namespace {

using engine::Value;

// Reads a "Global" table whole; a missing table holds nothing.
template <class F> void SviRedovi(const std::string& ime, F&& red) {
    const std::filesystem::path mapa = app::FolderPath(app::Folder::Global);
    if (!engine::TableExists(mapa, ime)) return;
    auto t = engine::Table::Open(mapa, ime, engine::OpenMode::Shared);
    std::map<std::string, std::size_t> polja;
    for (std::size_t i = 0; i < t->Fields().size(); ++i)
        polja[t->Fields()[i].Name] = i;
    const auto vrijednost = [&](const engine::Row& r, const std::string& ime) -> const Value& {
        static const Value nista;
        const auto it = polja.find(ime);
        return it == polja.end() ? nista : r[it->second];
    };
    auto c = t->OpenCursor();
    for (c->First(); c->OnRow(); c->Next())
        red(c->Read(), vrijednost);
}

std::int64_t Broj(const Value& v) {
    return v.IsInt() ? v.AsInt() : 0;
}

} // namespace

std::map<std::int32_t, Artikl> CitajArtikle() {
    std::map<std::int32_t, Artikl> artikli;
    SviRedovi("SIF_ROBE.DB", [&](const engine::Row& r, const auto& v) {
        Artikl& a = artikli[static_cast<std::int32_t>(Broj(v(r, "Code")))];
        if (a.USifRobe) return; // the first row of a code is the one looked up
        a.USifRobe = true;
        a.Sifra = v(r, "Sifra").IsText() ? v(r, "Sifra").AsText() : "";
        a.Grupa = static_cast<std::int32_t>(Broj(v(r, "Grupa")));
    });
    SviRedovi("WROBA.DB", [&](const engine::Row& r, const auto& v) {
        Artikl& a = artikli[static_cast<std::int32_t>(Broj(v(r, "Code")))];
        a.UWRobi = true;
        a.Debljina = static_cast<int>(Broj(v(r, "DebljinaProfila")));
        a.Duzina = static_cast<int>(Broj(v(r, "DuzinaProfila")));
    });
    return artikli;
}

} // namespace orders
