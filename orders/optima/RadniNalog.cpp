#include "orders/optima/RadniNalog.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "base/Exceptions.h"
#include "orders/optima/ArtikliRobe.h"
#include "orders/optima/Optima.h"
#include "orders/optima/RezanjeStavke.h"
#include "windows/storage/StoredTable.h"
#include "windows/storage/WindowTypeStore.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

namespace orders {

namespace {

namespace fs = std::filesystem;
using engine::Value;
using windows::StoredTable;

fs::path Lokal() {
    return app::FolderPath(app::Folder::Lokal);
}

// What the lists are cut from, as a run read it: the header's system and colour, every item's fields
// that make its pieces, and the Code of every item's copy (a saved copy always gets a new Code).
struct UlazNaloga {
    std::int64_t Sistem = 0, Boja = 0;
    std::vector<std::array<std::int64_t, 6>> Stavke; // Stavka, Tip, Staklo, Kolicina, Sirina, Visina
    std::vector<std::int32_t> Kopije;                // by item, 0 for none

    bool operator==(const UlazNaloga&) const = default;
};

struct Nalog {
    std::int32_t Sistem = 0, Boja = 0;
    KonstanteSistema Konstante;
    BojaSistema Clanci;
    std::vector<StavkaNaloga> Stavke;
    std::vector<std::int32_t> Tipovi; // by item
    UlazNaloga Ulaz;
};

std::array<std::int64_t, 6> UlazStavke(StoredTable& t, const engine::Row& r) {
    return {t.Int(r, "Stavka"),   t.Int(r, "Tip"),    t.Int(r, "Staklo"),
            t.Int(r, "Kolicina"), t.Int(r, "Sirina"), t.Int(r, "Visina")};
}

// The order's header row, its items' rows and their copies' Codes as they are stored now.
UlazNaloga CitajUlaz(std::int32_t rn, const engine::Row& glava, StoredTable& glave) {
    UlazNaloga u;
    u.Sistem = glave.Int(glava, "Sistem");
    u.Boja = glave.Int(glava, "Boja");
    StoredTable stavke(Lokal(), "STAVKERN.DB");
    for (const engine::Row& r : stavke.Rows({Value::Int(rn)})) {
        u.Stavke.push_back(UlazStavke(stavke, r));
        u.Kopije.push_back(windows::KodKopije({rn, static_cast<std::int32_t>(u.Stavke.back()[0])}));
    }
    return u;
}

// Runs `f` on the order's header row with its record lock held: a station that holds it is waited for a
// little, then the row is written anyway (a lock only ever guards a moment's write here).
template <class F> void PodBravomNaloga(StoredTable& glava, std::int32_t rn, F&& f) {
    glava.Cursor().SetIndex(-1);
    if (!glava.Cursor().FindKey({Value::Int(rn)})) throw base::Exception("Radni nalog nije pronađen!!!");
    bool zakljucan = false;
    for (int pokusaj = 0; pokusaj < 100 && !zakljucan; ++pokusaj) {
        try {
            glava.Cursor().LockRecord();
            zakljucan = true;
        } catch (const engine::RecordLocked&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    try {
        glava.Table().Refresh();
        if (!glava.Cursor().FindKey({Value::Int(rn)})) throw base::Exception("Radni nalog nije pronađen!!!");
        f(glava.Cursor().Read());
    } catch (...) {
        if (zakljucan) glava.Cursor().UnlockRecord();
        throw;
    }
    if (zakljucan) glava.Cursor().UnlockRecord();
}

bool trajeRad = false;

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
    const std::optional<BojaSistema> clanci = CitajBojuSistema(n.Sistem, n.Boja);
    if (!clanci) {
        app::ShowInfo("Boja Naloga nije pronađena!!!\n\rUnesite boju naloga!!!");
        return std::nullopt;
    }
    n.Clanci = *clanci;
    const std::optional<KonstanteSistema> konstante = CitajKonstanteSistema(n.Sistem);
    if (!konstante) {
        app::ShowInfo("Sistem naloga nije pronađen!!!");
        return std::nullopt;
    }
    n.Konstante = *konstante;
    n.Ulaz.Sistem = n.Sistem;
    n.Ulaz.Boja = n.Boja;
    StoredTable stavke(Lokal(), "STAVKERN.DB");
    for (const engine::Row& r : stavke.Rows({Value::Int(rn)})) {
        n.Stavke.push_back({stavke.Short(r, "Stavka"), stavke.Short(r, "Kolicina"),
                            static_cast<std::int32_t>(stavke.Int(r, "Staklo"))});
        n.Tipovi.push_back(static_cast<std::int32_t>(stavke.Int(r, "Tip")));
        n.Ulaz.Stavke.push_back(UlazStavke(stavke, r));
    }
    if (n.Stavke.empty()) {
        app::ShowInfo("Niti jedan tip prozora nije uključen za proces optimizacije!!!");
        return std::nullopt;
    }
    return n;
}

// The Codes of the catalogue types of a system (and of those not yet given one).
std::set<std::int32_t> TipoviSustava(std::int32_t sistem) {
    StoredTable t(Lokal(), "WINGL.DB");
    std::set<std::int32_t> kodovi;
    for (t.Cursor().First(); t.Cursor().OnRow(); t.Cursor().Next()) {
        const engine::Row& r = t.Cursor().Read();
        const std::int64_t s = t.Int(r, "Sistem");
        if (s == sistem || s == 0) kodovi.insert(static_cast<std::int32_t>(t.Int(r, "Code")));
    }
    return kodovi;
}

// Every profile piece keeps a length after the saw's and the welding's allowances.
struct Prikupljeno {
    ListeKomada Liste;
    std::vector<std::int32_t> Kopije; // by item: the Code of the copy read, 0 for none
    bool Potpun = true;
    bool Prekinut = false;
};

// Every item's copy turned into pieces, in item order.
Prikupljeno PrebaciTip(std::int32_t rn, const Nalog& n, const std::map<std::int32_t, Artikl>& artikli,
                       const Napredak& napredak) {
    const OkolnostiNaloga o = Okolnosti(n.Konstante, n.Clanci, artikli);
    const windows::ZadaneVrijednosti zadano{n.Sistem, n.Clanci.Stok,
                                            static_cast<std::int16_t>(n.Konstante.Preklapanje)};
    Prikupljeno p;
    p.Kopije.assign(n.Stavke.size(), 0);
    const std::set<std::int32_t> tipovi = TipoviSustava(n.Sistem);
    windows::ModelProzora model;
    const int ukupno = static_cast<int>(n.Stavke.size());
    for (int i = 0; i < ukupno; ++i) {
        if (napredak && napredak("Prebacivanje...", i, ukupno)) {
            p.Prekinut = true;
            return p;
        }
        const StavkaNaloga& s = n.Stavke[static_cast<std::size_t>(i)];
        const windows::KopijaStavke kopija{rn, s.Stavka};
        // The Code read here is the copy the pieces come from.
        const std::int32_t kod = windows::KodKopije(kopija);
        p.Kopije[static_cast<std::size_t>(i)] = kod;
        // An item is cut from its copy only while its type is in the catalogue.
        if (kod == 0 || !tipovi.contains(n.Tipovi[static_cast<std::size_t>(i)])) {
            app::ShowInfo("Stavka " + std::to_string(s.Stavka) + " nema vezu ka tipu prozora !!!");
            p.Potpun = false;
            continue;
        }
        if (!windows::PrenesiKopiju(model, kopija, zadano)) {
            p.Potpun = false;
            continue;
        }
        // A copy stored before its size was refused at entry is told of here.
        for (const std::string& t : KomadiStavke(model, s, o, p.Liste)) {
            app::ShowInfo(t);
            p.Potpun = false;
        }
    }
    model.OslobodiMemoriju();
    return p;
}

std::vector<engine::Row> RedoviOptime(StoredTable& optima, std::int32_t rn, const IshodOptime& ishod) {
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
    return redovi;
}

std::vector<engine::Row> RedoviStakla(StoredTable& staklo, std::int32_t rn,
                                      const std::vector<TKomad>& stakla) {
    std::vector<engine::Row> komadi;
    komadi.reserve(stakla.size());
    std::int16_t rbr = 0;
    for (const TKomad& k : stakla) {
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
    return komadi;
}

void PostaviOptimizaciju(StoredTable& glava, const engine::Row& red, bool gotovo) {
    if (glava.Bool(red, "Optimizacija") == gotovo) return;
    engine::Row r = red;
    glava.SetBool(r, "Optimizacija", gotovo);
    glava.Cursor().Modify(r);
}

const char* const PromijenjenZaVrijemeRada = "Stavke naloga su promijenjene za vrijeme optimizacije!!!\r\n"
                                             "Liste nisu ažurne: pokrenite ponovo OPTIMIZACIJU I !!!";

// Replaces the order's two lists. The flag is cleared first and set only once both lists are whole and
// the order is still what the run read, so a run that fails on the way never leaves a list that passes for
// complete; a failure puts the old lists and flag back.
IshodRada ZapisiListe(std::int32_t rn, const Nalog& n, const Prikupljeno& p, const IshodOptime& ishod,
                      bool potpun) {
    StoredTable glava(Lokal(), "RADNINAL.DB");
    StoredTable optima(Lokal(), "RNOPTIMA.DB");
    StoredTable staklo(Lokal(), "RNOPTST.DB");
    std::vector<engine::Row> stariOptima, stariStakla;
    bool staraZastavica = false;
    bool promijenjeno = false;
    try {
        stariOptima = optima.Rows({Value::Int(rn)});
        stariStakla = staklo.Rows({Value::Int(rn)});
        PodBravomNaloga(glava, rn, [&](const engine::Row& r) {
            staraZastavica = glava.Bool(r, "Optimizacija");
            PostaviOptimizaciju(glava, r, false);
        });
        promijenjeno = true;
        // Each list goes in one write: the old rows out and the new ones in, all or nothing.
        optima.ReplaceRows({Value::Int(rn)}, RedoviOptime(optima, rn, ishod));
        staklo.ReplaceRows({Value::Int(rn)}, RedoviStakla(staklo, rn, p.Liste[V_Staklo]));
        bool zastarjelo = false;
        PodBravomNaloga(glava, rn, [&](const engine::Row& r) {
            UlazNaloga procitano = n.Ulaz;
            procitano.Kopije = p.Kopije;
            zastarjelo = !(CitajUlaz(rn, r, glava) == procitano);
            if (potpun && !zastarjelo) PostaviOptimizaciju(glava, r, true);
        });
        if (zastarjelo) {
            app::ShowInfo(PromijenjenZaVrijemeRada);
            return IshodRada::Zastarjelo;
        }
        return potpun ? IshodRada::Gotovo : IshodRada::Nepotpuno;
    } catch (const std::exception& e) {
        app::ShowInfo(std::string("Greška: Ne mogu spremiti podatke u novi slog!!!\r\n") + e.what());
        if (promijenjeno) {
            // The old lists and flag back: a half list is worse than the last whole one.
            try {
                optima.ReplaceRows({Value::Int(rn)}, stariOptima);
                staklo.ReplaceRows({Value::Int(rn)}, stariStakla);
                PodBravomNaloga(glava, rn,
                                [&](const engine::Row& r) { PostaviOptimizaciju(glava, r, staraZastavica); });
            } catch (const std::exception&) {
            }
        }
        return IshodRada::Neuspjelo;
    }
}

// One message for every piece and pane that the run leaves out.
void JaviIzostavljene(const std::vector<IzostavljeniKomad>& izostavljeni) {
    if (izostavljeni.empty()) return;
    std::string t = "Komadi koji nisu na listi (artikl, stavka, dužina):";
    for (const IzostavljeniKomad& k : izostavljeni)
        t += "\r\n" + k.Sifra + ", stavka " + std::to_string(k.Prozor) + ", " + std::to_string(k.Duzina) +
             " mm: " + k.Razlog;
    app::ShowInfo(t);
}

IshodRada Optimiraj(std::int32_t radniNalog, const Napredak& napredak) {
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
    JaviIzostavljene(ishod.Izostavljeni);
    if (p.Liste[V_Staklo].size() > 32767) {
        app::ShowInfo("Greška: Lista stakla ima previše redova!!!");
        return IshodRada::Neuspjelo;
    }
    // A list that cannot hold every row is no list: the old one stays.
    if (ishod.Preljev) return IshodRada::Neuspjelo;
    const bool potpun = p.Potpun && ishod.Potpun;
    // The last point a stop leaves the old lists as they were.
    if (napredak && napredak("Brisanje stare optimizirane liste profila...", 0, 1))
        return IshodRada::Prekinuto;
    return ZapisiListe(radniNalog, *n, p, ishod, potpun);
}

} // namespace

const char* const ListeNisuAzurne = "Stavke naloga su promijenjene nakon optimizacije!!!\r\n"
                                    "Liste rezanja nisu ažurne: pokrenite ponovo OPTIMIZACIJU I !!!";

bool RadTece() {
    return trajeRad;
}

JedanRad::JedanRad() : odbijen_(trajeRad) {
    if (odbijen_)
        app::ShowInfo("Optimizacija je već u tijeku!!!\r\nPričekajte da završi ili je prekinite (Opoziv).");
    trajeRad = true;
}

JedanRad::~JedanRad() {
    if (!odbijen_) trajeRad = false;
}

IshodRada OptimizacijaI(std::int32_t radniNalog, const Napredak& napredak) {
    const JedanRad rad;
    if (rad.Odbijen()) return IshodRada::Odbijeno;
    return Optimiraj(radniNalog, napredak);
}

void OznaciNeoptimiziran(std::int32_t radniNalog) {
    if (radniNalog == 0) return;
    try {
        StoredTable glava(Lokal(), "RADNINAL.DB");
        PodBravomNaloga(glava, radniNalog,
                        [&](const engine::Row& r) { PostaviOptimizaciju(glava, r, false); });
    } catch (const base::Exception&) {
        // no such order (yet): nothing is optimised
    } catch (const std::exception& e) {
        app::ShowInfo(std::string("Greška: Ne mogu označiti nalog neoptimiziranim!!!\r\n") + e.what());
    }
}

bool Optimiziran(std::int32_t radniNalog) {
    StoredTable glava(Lokal(), "RADNINAL.DB");
    glava.Cursor().SetIndex(-1);
    return glava.Cursor().FindKey({Value::Int(radniNalog)}) &&
           glava.Bool(glava.Cursor().Read(), "Optimizacija");
}

} // namespace orders
