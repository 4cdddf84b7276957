#include "orders/optima/RadniNalog.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "base/Exceptions.h"
#include "orders/optima/ArtikliRobe.h"
#include "orders/optima/Optima.h"
#include "windows/storage/StoredTable.h"
#include "windows/storage/WindowTypeStore.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace orders {

namespace {

namespace fs = std::filesystem;
using engine::Value;
using windows::StoredTable;

fs::path Lokal() {
    return app::FolderPath(app::Folder::Lokal);
}

struct Nalog {
    std::int32_t Sistem = 0, Boja = 0;
    KonstanteSistema Konstante;
    BojaSistema Clanci;
    std::vector<StavkaNaloga> Stavke;
};

KonstanteSistema CitajSistem(StoredTable& t, const engine::Row& r) {
    return {t.Short(r, "Razmak"),    t.Short(r, "Preklapanje"), t.Short(r, "SmanjenjeStakla"),
            t.Short(r, "ReznaPila"), t.Short(r, "Varenje"),     t.Short(r, "DodatakNaPrecku")};
}

BojaSistema CitajBoju(StoredTable& t, const engine::Row& r) {
    const auto a = [&](const char* ime) { return static_cast<std::int32_t>(t.Int(r, ime)); };
    BojaSistema b;
    b.Stok = a("Stok"), b.ZStoka = a("ZStoka"), b.ZSM = a("ZSM");
    b.Vrata = a("Vrata"), b.ZVrata = a("ZVrata"), b.ZVM = a("ZVM");
    b.Okvir = a("Okvir"), b.ZOkvira = a("ZOkvira"), b.ZOM = a("ZOM");
    b.KlizniOkvir = a("KlizniOkvir"), b.ZKlizniOkvir = a("ZKlizniOkvir"), b.ZKOM = a("ZKOM");
    b.Precka = a("Precka"), b.ZPrecka = a("ZPrecka"), b.ZPM = a("ZPM");
    return b;
}

// The order's header, system and items; nothing (told) when it cannot be run.
std::optional<Nalog> CitajNalog(std::int32_t rn) {
    StoredTable glava(Lokal(), "RADNINAL.DB");
    glava.Cursor().SetIndex(-1);
    if (!glava.Cursor().FindKey({Value::Int(rn)})) {
        app::ShowInfo("Radni nalog nije pronađen!!!");
        return std::nullopt;
    }
    const engine::Row g = glava.Cursor().Read();
    Nalog n;
    n.Sistem = static_cast<std::int32_t>(glava.Int(g, "Sistem"));
    n.Boja = static_cast<std::int32_t>(glava.Int(g, "Boja"));
    if (n.Sistem == 0) {
        app::ShowInfo("Da biste pokrenuli optimizaciju,\n\rpolje \"sistem\" mora biti popunjeno !!!");
        return std::nullopt;
    }
    if (n.Boja == 0) {
        app::ShowInfo("Da biste pokrenuli optimizaciju,\n\rpolje \"boja\" mora biti popunjeno !!!");
        return std::nullopt;
    }
    StoredTable boje(Lokal(), "WSYSBOJE.DB");
    boje.Cursor().SetIndex(-1);
    if (!boje.Cursor().FindKey({Value::Int(n.Sistem), Value::Int(n.Boja)})) {
        app::ShowInfo("Boja Naloga nije pronađena!!!\n\rUnesite boju naloga!!!");
        return std::nullopt;
    }
    n.Clanci = CitajBoju(boje, boje.Cursor().Read());
    StoredTable sistemi(Lokal(), "WSYSTEM.DB");
    sistemi.Cursor().SetIndex(-1);
    if (!sistemi.Cursor().FindKey({Value::Int(n.Sistem)})) {
        app::ShowInfo("Sistem naloga nije pronađen!!!");
        return std::nullopt;
    }
    n.Konstante = CitajSistem(sistemi, sistemi.Cursor().Read());
    StoredTable stavke(Lokal(), "STAVKERN.DB");
    for (const engine::Row& r : stavke.Rows({Value::Int(rn)}))
        n.Stavke.push_back({stavke.Short(r, "Stavka"), stavke.Short(r, "Kolicina"),
                            static_cast<std::int32_t>(stavke.Int(r, "Staklo"))});
    if (n.Stavke.empty()) {
        app::ShowInfo("Niti jedan tip prozora nije uključen za proces optimizacije!!!");
        return std::nullopt;
    }
    return n;
}

struct Prikupljeno {
    ListeKomada Liste;
    bool Potpun = true;
    bool Prekinut = false;
};

// Every item's copy turned into pieces, in item order.
Prikupljeno PrebaciTip(std::int32_t rn, const Nalog& n, const std::map<std::int32_t, Artikl>& artikli,
                       const Napredak& napredak) {
    OkolnostiNaloga o;
    o.Sistem = n.Konstante;
    o.Boja = n.Clanci;
    o.GrupaStoka = app::Settings.PostavkePrograma.GrupaStoka;
    o.GrupaKliznogOkvira = app::Settings.PostavkePrograma.GrupaKliznogOkvira;
    o.GrupaArtikla = [&](std::int32_t artikl) {
        const auto it = artikli.find(artikl);
        return it == artikli.end() ? 0 : it->second.Grupa;
    };
    const windows::ZadaneVrijednosti zadano{n.Sistem, n.Clanci.Stok,
                                            static_cast<std::int16_t>(n.Konstante.Preklapanje)};
    Prikupljeno p;
    windows::ModelProzora model;
    const int ukupno = static_cast<int>(n.Stavke.size());
    for (int i = 0; i < ukupno; ++i) {
        if (napredak && napredak("Prebacivanje...", i, ukupno)) {
            p.Prekinut = true;
            return p;
        }
        const StavkaNaloga& s = n.Stavke[static_cast<std::size_t>(i)];
        const windows::KopijaStavke kopija{rn, s.Stavka};
        if (windows::KodKopije(kopija) == 0) {
            app::ShowInfo("Stavka " + std::to_string(s.Stavka) + " nema vezu ka tipu prozora !!!");
            p.Potpun = false;
            continue;
        }
        if (!windows::PrenesiKopiju(model, kopija, zadano)) {
            p.Potpun = false;
            continue;
        }
        std::vector<std::string> poruke;
        // An item whose pieces cannot all be measured adds none, rather than some.
        ListeKomada stavke;
        try {
            DodajKomadeStavke(model, s, o, stavke, poruke);
        } catch (const base::Overflow&) {
            poruke.push_back("Stavka " + std::to_string(s.Stavka) +
                             ": mjere prozora su prevelike za rezanje, stavka nije u listi!!!");
            stavke = {};
        }
        for (const std::string& t : poruke) {
            app::ShowInfo(t);
            p.Potpun = false;
        }
        for (std::size_t v = 0; v < stavke.size(); ++v)
            p.Liste[v].insert(p.Liste[v].end(), stavke[v].begin(), stavke[v].end());
    }
    model.OslobodiMemoriju();
    return p;
}

// Replaces the order's two lists. The flag is cleared first and set only once both lists are whole, so a
// run that fails on the way never leaves a list that passes for complete.
bool ZapisiListe(std::int32_t rn, const IshodOptime& ishod, const std::vector<TKomad>& stakla, bool potpun) {
    StoredTable glava(Lokal(), "RADNINAL.DB");
    const auto postaviZastavicu = [&](bool gotovo) {
        glava.Cursor().SetIndex(-1);
        if (!glava.Cursor().FindKey({Value::Int(rn)})) throw base::Exception("Radni nalog nije pronađen!!!");
        engine::Row r = glava.Cursor().Read();
        glava.SetBool(r, "Optimizacija", gotovo);
        glava.Cursor().Modify(r);
    };
    StoredTable optima(Lokal(), "RNOPTIMA.DB");
    StoredTable staklo(Lokal(), "RNOPTST.DB");
    try {
        postaviZastavicu(false);
        // Each list goes in one write: the old rows out and the new ones in, all or nothing.
        std::vector<engine::Row> redovi;
        redovi.reserve(ishod.Redovi.size());
        for (const RedOptime& red : ishod.Redovi) {
            engine::Row r = optima.EmptyRow();
            optima.Set(r, "RadniNalog", rn);
            optima.Set(r, "Rbr", red.Rbr);
            optima.Set(r, "Prozor", red.Prozor);
            if (!red.Razdjelnik) {
                optima.Set(r, "Artikl", red.Artikl);
                optima.Set(r, "Duzina", red.Duzina);
                optima.Set(r, "Duzina1", red.Duzina1);
                optima.Set(r, "Duzina2", red.Duzina2);
                optima.Set(r, "KutL", red.KutL);
                optima.Set(r, "KutD", red.KutD);
            }
            redovi.push_back(std::move(r));
        }
        optima.ReplaceRows({Value::Int(rn)}, redovi);
        if (stakla.size() > 32767) {
            app::ShowInfo("Greška: Lista stakla ima previše redova!!!");
            potpun = false;
        }
        std::vector<engine::Row> komadi;
        komadi.reserve(std::min<std::size_t>(stakla.size(), 32767));
        std::int16_t rbr = 0;
        for (const TKomad& k : stakla) {
            if (rbr == 32767) break;
            engine::Row r = staklo.EmptyRow();
            staklo.Set(r, "RadniNalog", rn);
            staklo.Set(r, "Rbr", ++rbr);
            staklo.Set(r, "Artikl", k.Artikl);
            staklo.Set(r, "Kolicina", k.Kolicina);
            staklo.Set(r, "Prozor", k.Prozor);
            staklo.Set(r, "Duzina", k.Duzina);
            staklo.Set(r, "Sirina", k.Sirina);
            komadi.push_back(std::move(r));
        }
        staklo.ReplaceRows({Value::Int(rn)}, komadi);
        if (potpun) postaviZastavicu(true);
        return potpun;
    } catch (const std::exception& e) {
        app::ShowInfo(std::string("Greška: Ne mogu spremiti podatke u novi slog!!!\r\n") + e.what());
        // Take away what was written: a half list is worse than none.
        try {
            optima.ReplaceRows({Value::Int(rn)}, {});
            staklo.ReplaceRows({Value::Int(rn)}, {});
        } catch (const std::exception&) {
        }
        return false;
    }
}

} // namespace

IshodRada OptimizacijaI(std::int32_t radniNalog, const Napredak& napredak) {
    std::optional<Nalog> n;
    std::map<std::int32_t, Artikl> artikli;
    try {
        n = CitajNalog(radniNalog);
        if (!n) return IshodRada::Odbijeno;
        artikli = CitajArtikle();
    } catch (const std::exception& e) {
        app::ShowInfo(e.what());
        return IshodRada::Odbijeno;
    }
    Prikupljeno p = PrebaciTip(radniNalog, *n, artikli, napredak);
    if (p.Prekinut) return IshodRada::Prekinuto;

    TokOptime tok;
    tok.Sipka = [&](std::int32_t artikl) {
        PodaciSipke s;
        const auto it = artikli.find(artikl);
        if (it == artikli.end()) return s;
        s.UWRobi = it->second.UWRobi;
        s.Duzina = it->second.Duzina;
        s.USifRobe = it->second.USifRobe;
        s.Sifra = it->second.Sifra;
        return s;
    };
    tok.Napredak = napredak;
    const IshodOptime ishod = Optima(p.Liste, n->Konstante, n->Clanci, tok);
    if (ishod.Prekinut) return IshodRada::Prekinuto;
    for (const std::string& t : ishod.Poruke)
        app::ShowInfo(t);
    const bool potpun = p.Potpun && ishod.Potpun;
    // The last point a stop leaves the old lists as they were.
    if (napredak && napredak("Brisanje stare optimizirane liste profila...", 0, 1))
        return IshodRada::Prekinuto;
    return ZapisiListe(radniNalog, ishod, p.Liste[V_Staklo], potpun) ? IshodRada::Gotovo
                                                                     : IshodRada::Nepotpuno;
}

} // namespace orders
