#include "orders/printouts/PodaciNaloga.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/WBegin.h"
#include "base/Text.h"
#include "engine/Engine.h"
#include "windows/storage/StoredTable.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace orders {

namespace {

namespace fs = std::filesystem;
using engine::Value;
using windows::StoredTable;

// A table of the "Global" folder read row by row with its fields by name; a missing table holds nothing.
class GlobalnaTablica {
public:
    explicit GlobalnaTablica(const std::string& ime) {
        const fs::path mapa = app::FolderPath(app::Folder::Global);
        if (!engine::TableExists(mapa, ime)) return;
        table_ = engine::Table::Open(mapa, ime, engine::OpenMode::Shared);
        for (std::size_t i = 0; i < table_->Fields().size(); ++i)
            polja_[base::UpperCase(table_->Fields()[i].Name)] = i;
    }
    template <class F> void Svi(F&& red) {
        if (!table_) return;
        auto c = table_->OpenCursor();
        for (c->First(); c->OnRow(); c->Next())
            red(c->Read());
    }
    const Value& Polje(const engine::Row& r, const std::string& ime) const {
        static const Value nista;
        const auto it = polja_.find(base::UpperCase(ime));
        return it == polja_.end() ? nista : r[it->second];
    }
    std::int64_t Broj(const engine::Row& r, const std::string& ime) const {
        const Value& v = Polje(r, ime);
        return v.IsInt() ? v.AsInt() : 0;
    }
    std::string Tekst(const engine::Row& r, const std::string& ime) const {
        const Value& v = Polje(r, ime);
        return v.IsText() ? v.AsText() : std::string();
    }

private:
    std::unique_ptr<engine::Table> table_;
    std::map<std::string, std::size_t> polja_;
};

std::string Tekst(StoredTable& t, const engine::Row& r, const std::string& ime) {
    const Value& v = r.at(static_cast<std::size_t>(t.Field(ime)));
    return v.IsText() ? v.AsText() : std::string();
}

double Realni(StoredTable& t, const engine::Row& r, const std::string& ime) {
    const Value& v = r.at(static_cast<std::size_t>(t.Field(ime)));
    if (v.IsFloat()) return v.AsFloat();
    return v.IsInt() ? static_cast<double>(v.AsInt()) : 0.0;
}

fs::path Lokal() {
    return app::FolderPath(app::Folder::Lokal);
}

std::int32_t Vlastiti() {
    return app::WBegin.PodaciPoduzeca.OwnPartner;
}

// The order's system: its code and overlap; the colour of the system: the outer-frame article.
void CitajSistem(std::int32_t sistem, std::int32_t boja, NalogZaIspis& n) {
    n.Zadano.Sistem = sistem;
    StoredTable sistemi(Lokal(), "WSYSTEM.DB");
    sistemi.Cursor().SetIndex(-1);
    if (sistem != 0 && sistemi.Cursor().FindKey({Value::Int(sistem)})) {
        const engine::Row r = sistemi.Cursor().Read();
        n.SifraSistema = Tekst(sistemi, r, "Sifra");
        n.Zadano.Preklapanje = sistemi.Short(r, "Preklapanje");
    }
    StoredTable boje(Lokal(), "WSYSBOJE.DB");
    boje.Cursor().SetIndex(-1);
    if (boje.Cursor().FindKey({Value::Int(sistem), Value::Int(boja)}))
        n.Zadano.Stok = static_cast<std::int32_t>(boje.Int(boje.Cursor().Read(), "Stok"));
}

std::string SifraBoje(std::int32_t boja) {
    std::string nadena;
    bool vlastita = false;
    GlobalnaTablica t("SIF_BOJA.DB");
    t.Svi([&](const engine::Row& r) {
        if (vlastita || t.Broj(r, "Code") != boja) return;
        if (nadena.empty() || t.Broj(r, "Partner") == Vlastiti()) {
            nadena = t.Tekst(r, "Sifra");
            vlastita = t.Broj(r, "Partner") == Vlastiti();
        }
    });
    return nadena;
}

// The codes of the items' types, from the types of the order's system first.
std::map<std::int32_t, std::string> SifreTipova(std::int32_t sistem) {
    std::map<std::int32_t, std::string> sifre;
    std::set<std::int32_t> izSistema;
    StoredTable t(Lokal(), "WINGL.DB");
    auto& c = t.Cursor();
    for (c.First(); c.OnRow(); c.Next()) {
        const engine::Row r = c.Read();
        const auto code = static_cast<std::int32_t>(t.Int(r, "Code"));
        const bool svoj = t.Int(r, "Sistem") == sistem;
        if (izSistema.count(code) || (sifre.count(code) && !svoj)) continue;
        sifre[code] = Tekst(t, r, "Sifra");
        if (svoj) izSistema.insert(code);
    }
    return sifre;
}

void CitajStavke(std::int32_t rn, std::int32_t sistem, NalogZaIspis& n) {
    StoredTable stavke(Lokal(), "STAVKERN.DB");
    const std::vector<engine::Row> redovi = stavke.Rows({Value::Int(rn)});
    if (redovi.empty()) return;
    const std::map<std::int32_t, std::string> tipovi = SifreTipova(sistem);
    for (const engine::Row& r : redovi) {
        StavkaIspisa s;
        s.Stavka = stavke.Short(r, "Stavka");
        s.Kolicina = stavke.Short(r, "Kolicina");
        s.Sirina = stavke.Short(r, "Sirina");
        s.Visina = stavke.Short(r, "Visina");
        s.Cijena = Realni(stavke, r, "Cijena");
        const auto tip = tipovi.find(static_cast<std::int32_t>(stavke.Int(r, "Tip")));
        if (tip != tipovi.end()) s.Tip = tip->second;
        n.Stavke.push_back(std::move(s));
    }
}

void CitajListe(std::int32_t rn, NalogZaIspis& n) {
    StoredTable optima(Lokal(), "RNOPTIMA.DB");
    for (const engine::Row& r : optima.Rows({Value::Int(rn)})) {
        RedOptime red;
        red.Rbr = optima.Short(r, "Rbr");
        red.Artikl = static_cast<std::int32_t>(optima.Int(r, "Artikl"));
        red.Prozor = optima.Short(r, "Prozor");
        red.Duzina = optima.Short(r, "Duzina");
        red.Duzina1 = optima.Short(r, "Duzina1");
        red.Duzina2 = optima.Short(r, "Duzina2");
        red.KutL = optima.Short(r, "KutL");
        red.KutD = optima.Short(r, "KutD");
        red.Razdjelnik = red.Prozor == 0;
        n.Optima.push_back(red);
    }
    StoredTable staklo(Lokal(), "RNOPTST.DB");
    for (const engine::Row& r : staklo.Rows({Value::Int(rn)}))
        n.Stakla.push_back({staklo.Short(r, "Rbr"), static_cast<std::int32_t>(staklo.Int(r, "Artikl")),
                            staklo.Short(r, "Kolicina"), staklo.Short(r, "Prozor"), staklo.Short(r, "Duzina"),
                            staklo.Short(r, "Sirina")});
}

} // namespace

void CitajPoduzece(std::string& naziv, std::string& mjesto) {
    const app::TPodaciPoduzeca& p = app::WBegin.PodaciPoduzeca;
    naziv = p.NazivPuni.empty() ? p.NazivKratki : p.NazivPuni;
    mjesto = p.Mjesto;
    GlobalnaTablica t("PARTNER.DB");
    t.Svi([&](const engine::Row& r) {
        if (t.Broj(r, "Code") != p.OwnPartner) return;
        naziv = t.Tekst(r, "Naziv");
        if (mjesto.empty()) mjesto = t.Tekst(r, "Mjesto");
    });
}

std::map<std::int32_t, ArtiklIspisa> CitajArtikleIspisa(const std::vector<std::int32_t>& kodovi) {
    std::map<std::int32_t, ArtiklIspisa> artikli;
    const std::set<std::int32_t> trazeni(kodovi.begin(), kodovi.end());
    std::set<std::int32_t> vlastiti;
    GlobalnaTablica roba("SIF_ROBE.DB");
    roba.Svi([&](const engine::Row& r) {
        const auto code = static_cast<std::int32_t>(roba.Broj(r, "Code"));
        if (!trazeni.count(code) || vlastiti.count(code)) return;
        const bool svoj = roba.Broj(r, "Partner") == Vlastiti();
        ArtiklIspisa& a = artikli[code];
        if (a.USifRobe && !svoj) return;
        a.USifRobe = true;
        a.Sifra = roba.Tekst(r, "Sifra");
        a.Naziv = roba.Tekst(r, "Naziv");
        if (svoj) vlastiti.insert(code);
    });
    GlobalnaTablica wroba("WROBA.DB");
    wroba.Svi([&](const engine::Row& r) {
        const auto code = static_cast<std::int32_t>(wroba.Broj(r, "Code"));
        if (!trazeni.count(code)) return;
        ArtiklIspisa& a = artikli[code];
        a.UWRobi = true;
        a.Debljina = static_cast<int>(wroba.Broj(r, "DebljinaProfila"));
        a.Duzina = static_cast<int>(wroba.Broj(r, "DuzinaProfila"));
    });
    return artikli;
}

std::optional<NalogZaIspis> CitajNalogZaIspis(std::int32_t radniNalog) {
    StoredTable glava(Lokal(), "RADNINAL.DB");
    glava.Cursor().SetIndex(-1);
    if (!glava.Cursor().FindKey({Value::Int(radniNalog)})) {
        app::ShowInfo("Radni nalog nije pronađen!!!");
        return std::nullopt;
    }
    const engine::Row g = glava.Cursor().Read();
    NalogZaIspis n;
    n.Code = radniNalog;
    n.Broj = static_cast<std::int32_t>(glava.Int(g, "Broj"));
    n.Sifra = Tekst(glava, g, "Sifra");
    const Value& datum = g.at(static_cast<std::size_t>(glava.Field("Datum")));
    if (datum.IsDate() && datum.AsDate() > 0) n.Datum = base::FromDayNumber(datum.AsDate());
    n.Narucioc = Tekst(glava, g, "Narucioc");
    n.Iznos = Realni(glava, g, "Iznos");
    n.Naputak = Tekst(glava, g, "Naputak");
    const auto sistem = static_cast<std::int32_t>(glava.Int(g, "Sistem"));
    const auto boja = static_cast<std::int32_t>(glava.Int(g, "Boja"));
    CitajSistem(sistem, boja, n);
    n.SifraBoje = SifraBoje(boja);
    CitajPoduzece(n.Poduzece, n.Mjesto);
    CitajStavke(radniNalog, sistem, n);
    CitajListe(radniNalog, n);
    std::vector<std::int32_t> kodovi;
    for (const RedOptime& r : n.Optima)
        if (!r.Razdjelnik) kodovi.push_back(r.Artikl);
    for (const RedStaklaIspisa& r : n.Stakla)
        kodovi.push_back(r.Artikl);
    n.Artikli = CitajArtikleIspisa(kodovi);
    return n;
}

} // namespace orders
