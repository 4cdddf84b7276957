#include "windows/designer/ProfileTables.h"

#include "app/data/DataSetServices.h"
#include "base/Text.h"
#include "engine/Engine.h"

#include <memory>

namespace windows {

namespace {

using engine::Value;

// One table opened for reading, its fields found by name.
class Citac {
public:
    Citac(app::Folder folder, const std::string& name) {
        const std::filesystem::path mapa(app::FolderPath(folder));
        if (!engine::TableExists(mapa, name)) return;
        table_ = engine::Table::Open(mapa, name, engine::OpenMode::Shared);
        cursor_ = table_->OpenCursor();
    }
    explicit operator bool() const { return cursor_ != nullptr; }
    engine::Cursor& Cursor() { return *cursor_; }
    // The index with exactly these fields; a table without it is not one the program made.
    void Index(const std::string& fields) {
        const int i = cursor_->FindIndexByFields(fields);
        if (i < -1) throw engine::Error("Tablica nema indeks " + fields);
        cursor_->SetIndex(i);
    }
    const Value& Polje(const std::string& name) const {
        const auto& defs = table_->Fields();
        for (std::size_t i = 0; i < defs.size(); ++i)
            if (base::SameText(defs[i].Name, name)) return cursor_->Read().at(i);
        throw engine::Error("Tablica nema polje " + name);
    }
    std::int64_t Int(const std::string& name) const {
        const Value& v = Polje(name);
        return v.IsInt() ? v.AsInt() : 0;
    }
    std::string Text(const std::string& name) const {
        const Value& v = Polje(name);
        return v.IsText() ? v.AsText() : std::string();
    }

private:
    std::unique_ptr<engine::Table> table_;
    std::unique_ptr<engine::Cursor> cursor_;
};

// A key value as the data layer stores it: a 0 is kept as an empty field.
Value Kljuc(std::int64_t v) {
    return v == 0 ? Value() : Value::Int(v);
}

int Debljina(std::int32_t code) {
    Citac t(app::Folder::Global, "WROBA.DB");
    if (!t) return 0;
    t.Index("Code");
    return t.Cursor().FindKey({Value::Int(code)}) ? static_cast<int>(t.Int("DebljinaProfila")) : 0;
}

ProfileArticle Procitaj(const Citac& t) {
    ProfileArticle a;
    a.Code = static_cast<std::int32_t>(t.Int("Code"));
    a.Sifra = t.Text("Sifra");
    a.Naziv = t.Text("Naziv");
    a.Debljina = Debljina(a.Code);
    return a;
}

} // namespace

std::optional<ProfileArticle> TableArticleCatalog::ByCode(std::int32_t code) {
    if (code == 0) return std::nullopt;
    Citac t(app::Folder::Global, "SIF_ROBE.DB");
    if (!t) return std::nullopt;
    t.Index("Partner;Code");
    if (!t.Cursor().FindKey({Kljuc(partner_), Value::Int(code)})) return std::nullopt;
    return Procitaj(t);
}

std::optional<ProfileArticle> TableArticleCatalog::BySifra(const std::string& sifra) {
    Citac t(app::Folder::Global, "SIF_ROBE.DB");
    if (!t) return std::nullopt;
    t.Index("Partner;Sifra");
    if (!t.Cursor().FindKey({Kljuc(partner_), Value::Text(sifra)})) return std::nullopt;
    return Procitaj(t);
}

std::optional<ProfileArticle> TableArticleCatalog::NearestSifra(const std::string& sifra) {
    Citac t(app::Folder::Global, "SIF_ROBE.DB");
    if (!t) return std::nullopt;
    t.Index("Partner;Sifra");
    engine::Cursor& c = t.Cursor();
    c.SetRange({Kljuc(partner_)}, {Kljuc(partner_)});
    c.FindNearest({Kljuc(partner_), Value::Text(sifra)});
    // Past the partner's last code: its last article.
    if (!c.OnRow()) c.Last();
    if (!c.OnRow()) return std::nullopt;
    return Procitaj(t);
}

std::optional<SystemRow> ReadSystem(std::int32_t sistem) {
    if (sistem == 0) return std::nullopt;
    Citac t(app::Folder::Lokal, "WSYSTEM.DB");
    if (!t) return std::nullopt;
    t.Index("Code");
    if (!t.Cursor().FindKey({Value::Int(sistem)})) return std::nullopt;
    SystemRow s;
    s.Code = sistem;
    s.Sifra = t.Text("Sifra");
    s.Proizvodi = static_cast<std::int32_t>(t.Int("Proizvodi"));
    s.Razmak = static_cast<int>(t.Int("Razmak"));
    s.Preklapanje = static_cast<int>(t.Int("Preklapanje"));
    return s;
}

std::optional<SystemColourRow> ReadSystemColour(std::int32_t sistem, std::int32_t boja) {
    if (sistem == 0) return std::nullopt;
    Citac t(app::Folder::Lokal, "WSYSBOJE.DB");
    if (!t) return std::nullopt;
    t.Index("Sistem;Boja");
    if (!t.Cursor().FindKey({Value::Int(sistem), Value::Int(boja)})) return std::nullopt;
    SystemColourRow r;
    r.Stok = static_cast<std::int32_t>(t.Int("Stok"));
    r.Vrata = static_cast<std::int32_t>(t.Int("Vrata"));
    r.Okvir = static_cast<std::int32_t>(t.Int("Okvir"));
    r.KlizniOkvir = static_cast<std::int32_t>(t.Int("KlizniOkvir"));
    r.Precka = static_cast<std::int32_t>(t.Int("Precka"));
    return r;
}

SystemArticles ProfiliSustava(ArticleCatalog& artikli, std::int32_t sistem, std::int32_t boja) {
    SystemArticles s;
    if (const auto sys = ReadSystem(sistem)) {
        s.Preklapanje = sys->Preklapanje;
        s.Razmak = sys->Razmak;
    }
    if (const auto boje = ReadSystemColour(sistem, boja)) {
        s.Okvir = artikli.ByCode(boje->Okvir);
        s.KlizniOkvir = artikli.ByCode(boje->KlizniOkvir);
        s.Vrata = artikli.ByCode(boje->Vrata);
        s.Precka = artikli.ByCode(boje->Precka);
    }
    return s;
}

} // namespace windows
