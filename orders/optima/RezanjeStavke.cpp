#include "orders/optima/RezanjeStavke.h"

#include "app/data/DataSetServices.h"
#include "app/data/Settings.h"
#include "base/Exceptions.h"
#include "windows/storage/StoredTable.h"

namespace orders {

namespace {

using engine::Value;
using windows::StoredTable;

// Every profile piece keeps a length once the saw (and, for welded frames, the weld) has taken its share.
bool MjereRezive(const ListeKomada& liste, const KonstanteSistema& k) {
    for (int v = V_Stok; v < static_cast<int>(liste.size()); ++v) {
        if (v == V_Staklo) continue;
        const bool varena = v == V_Stok || v == V_Okvir || v == V_Vrata || v == V_KlizniOkvir;
        const int dodatak = 2 * k.ReznaPila + (varena ? 2 * k.Varenje : 0);
        for (const TKomad& komad : liste[static_cast<std::size_t>(v)])
            if (komad.Duzina - dodatak <= 0) return false;
    }
    return true;
}

} // namespace

std::optional<KonstanteSistema> CitajKonstanteSistema(std::int32_t sistem) {
    StoredTable t(app::FolderPath(app::Folder::Lokal), "WSYSTEM.DB");
    t.Cursor().SetIndex(-1);
    if (!t.Cursor().FindKey({Value::Int(sistem)})) return std::nullopt;
    const engine::Row r = t.Cursor().Read();
    return KonstanteSistema{t.Short(r, "Razmak"),          t.Short(r, "Preklapanje"),
                            t.Short(r, "SmanjenjeStakla"), t.Short(r, "ReznaPila"),
                            t.Short(r, "Varenje"),         t.Short(r, "DodatakNaPrecku")};
}

std::optional<BojaSistema> CitajBojuSistema(std::int32_t sistem, std::int32_t boja) {
    StoredTable t(app::FolderPath(app::Folder::Lokal), "WSYSBOJE.DB");
    t.Cursor().SetIndex(-1);
    if (!t.Cursor().FindKey({Value::Int(sistem), Value::Int(boja)})) return std::nullopt;
    const engine::Row r = t.Cursor().Read();
    const auto a = [&](const char* ime) { return static_cast<std::int32_t>(t.Int(r, ime)); };
    BojaSistema b;
    b.Stok = a("Stok"), b.ZStoka = a("ZStoka"), b.ZSM = a("ZSM");
    b.Vrata = a("Vrata"), b.ZVrata = a("ZVrata"), b.ZVM = a("ZVM");
    b.Okvir = a("Okvir"), b.ZOkvira = a("ZOkvira"), b.ZOM = a("ZOM");
    b.KlizniOkvir = a("KlizniOkvir"), b.ZKlizniOkvir = a("ZKlizniOkvir"), b.ZKOM = a("ZKOM");
    b.Precka = a("Precka"), b.ZPrecka = a("ZPrecka"), b.ZPM = a("ZPM");
    return b;
}

OkolnostiNaloga Okolnosti(const KonstanteSistema& sistem, const BojaSistema& boja,
                          const std::map<std::int32_t, Artikl>& artikli) {
    OkolnostiNaloga o;
    o.Sistem = sistem;
    o.Boja = boja;
    o.GrupaStoka = app::Settings.PostavkePrograma.GrupaStoka;
    o.GrupaKliznogOkvira = app::Settings.PostavkePrograma.GrupaKliznogOkvira;
    o.GrupaArtikla = [&artikli](std::int32_t artikl) {
        const auto it = artikli.find(artikl);
        return it == artikli.end() ? 0 : it->second.Grupa;
    };
    return o;
}

std::vector<std::string> KomadiStavke(const windows::ModelProzora& model, const StavkaNaloga& s,
                                      const OkolnostiNaloga& okolnosti, ListeKomada& liste) {
    std::vector<std::string> poruke;
    ListeKomada stavke;
    try {
        DodajKomadeStavke(model, s, okolnosti, stavke, poruke);
    } catch (const base::Overflow&) {
        poruke.push_back("Stavka " + std::to_string(s.Stavka) +
                         ": mjere prozora su prevelike za rezanje, stavka nije u listi!!!");
        return poruke;
    }
    if (!MjereRezive(stavke, okolnosti.Sistem)) {
        poruke.push_back("Stavka " + std::to_string(s.Stavka) +
                         ": mjere prozora su premale za njegove profile, stavka nije u listi!!!");
        return poruke;
    }
    for (std::size_t v = 0; v < stavke.size(); ++v)
        liste[v].insert(liste[v].end(), stavke[v].begin(), stavke[v].end());
    return poruke;
}

} // namespace orders
