#include "orders/workorder/PrilagodbaStavke.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "orders/optima/ArtikliRobe.h"
#include "orders/optima/PrenesiProzor2.h"
#include "orders/optima/RezanjeStavke.h"
#include "orders/workorder/PromjenaArtikala.h"
#include "windows/storage/StoredTable.h"
#include "windows/storage/WindowTypeStore.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace orders {

namespace {

using engine::Value;
using windows::StoredTable;

// The order's system as the fitting and the cutting take it; a system or colour not stored leaves its part
// empty (nothing to re-colour, nothing to cut by).
struct SustavNaloga {
    std::optional<KonstanteSistema> Konstante;
    std::optional<BojaSistema> Boja;
    int Preklapanje() const { return Konstante ? Konstante->Preklapanje : 0; }
};

// Every element of the fitted rows keeps room inside its profiles.
bool MjereIzvedive(const windows::RedoviTipa& k) {
    const auto otvoren = [](int lo, int hi) { return hi > lo; };
    const windows::ZaglavljeTipa& z = k.Zaglavlje;
    if (!otvoren(z.WinLeft, z.WinRight) || !otvoren(z.WinTop, z.WinBottom)) return false;
    for (const windows::RedOkvira& o : k.Okviri)
        if (!otvoren(o.L1, o.R1) || !otvoren(o.T1, o.B1) || !otvoren(o.L2, o.R2) || !otvoren(o.T2, o.B2) ||
            o.L2 < o.L1 || o.R2 > o.R1 || o.T2 < o.T1 || o.B2 > o.B1)
            return false;
    for (const auto* lista : {&k.Precke, &k.PreckeOkvira})
        for (const windows::RedPrecke& p : *lista)
            if (!otvoren(p.L, p.R) || !otvoren(p.T, p.B)) return false;
    return true;
}

// The catalogue type ready for fitting in the order's system, with the articles it is re-coloured and cut by.
struct TipZaPrilagodbu {
    windows::RedoviTipa Tip;
    SustavNaloga Sustav;
    std::map<std::int32_t, Artikl> Artikli;
    std::int32_t Sistem = 0, Boja = 0; // the order's
};

std::optional<TipZaPrilagodbu> CitajTipZaPrilagodbu(const StavkaZaPrilagodbu& s) {
    TipZaPrilagodbu t;
    if (!windows::CitajTip(s.Tip, t.Tip)) return std::nullopt;
    t.Sustav = {CitajKonstanteSistema(s.Sistem), CitajBojuSistema(s.Sistem, s.Boja)};
    t.Artikli = CitajArtikle();
    t.Sistem = s.Sistem;
    t.Boja = s.Boja;
    // A type not yet given to a system is drawn in the order's.
    if (t.Tip.Zaglavlje.Sistem == 0) {
        t.Tip.Zaglavlje.Sistem = s.Sistem;
        t.Tip.Zaglavlje.ArtiklOkvira = t.Sustav.Boja ? t.Sustav.Boja->Stok : 0;
    }
    return t;
}

Razmjer RazmjerZa(const TipZaPrilagodbu& t, int sirina, int visina) {
    Razmjer r = RazmjerStavke(t.Tip.Zaglavlje, sirina, visina);
    r.Preklapanje = t.Sustav.Preklapanje();
    r.Razmak = t.Sustav.Konstante ? t.Sustav.Konstante->Razmak : 0;
    return r;
}

// The type fitted to a size and re-coloured to the order's colour, in the model; false when the size leaves
// an element without room inside its profiles. Raises base::Overflow past the 16-bit range.
bool Prilagodi(windows::ModelProzora& model, const TipZaPrilagodbu& t, int sirina, int visina) {
    const windows::RedoviTipa kopija = PrenesiProzor2(t.Tip, RazmjerZa(t, sirina, visina));
    if (!MjereIzvedive(kopija)) return false;
    windows::ModelIzRedova(model, kopija, windows::VrstaTipa::Kopija,
                           {t.Sistem, t.Sustav.Boja ? t.Sustav.Boja->Stok : 0,
                            static_cast<std::int16_t>(t.Sustav.Preklapanje())});
    if (t.Tip.Zaglavlje.Boja != t.Boja && t.Sustav.Boja) {
        const auto& p = app::Settings.PostavkePrograma;
        PromjenaArtikala(model, *t.Sustav.Boja, t.Artikli,
                         {p.GrupaStoka, p.GrupaVrata, p.GrupaKliznogOkvira});
    }
    return true;
}

// A size the copy takes and the cutting run cuts: the one limit of an item's size.
bool Izvedivo(const TipZaPrilagodbu& t, int sirina, int visina) {
    try {
        windows::ModelProzora m;
        if (!Prilagodi(m, t, sirina, visina)) return false;
        if (!t.Sustav.Konstante || !t.Sustav.Boja) return true; // the run refuses such an order itself
        ListeKomada liste;
        return KomadiStavke(m, {1, 1, 0}, Okolnosti(*t.Sustav.Konstante, *t.Sustav.Boja, t.Artikli), liste)
            .empty();
    } catch (const base::Overflow&) {
        return false;
    }
}

// The smallest value of one dimension (the other held) at which the type still fits, up to `do_`.
int Najmanja(int do_, const std::function<bool(int)>& izvedivo) {
    int lo = 1, hi = do_;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (izvedivo(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

std::string SifraTipa(std::int32_t code) {
    StoredTable t(app::FolderPath(app::Folder::Lokal), "WINGL.DB");
    const int index = t.Cursor().FindIndexByFields("Code");
    if (index >= 0) {
        t.Cursor().SetIndex(index);
        if (t.Cursor().FindKey({Value::Int(code)})) {
            const engine::Row& r = t.Cursor().Read();
            const engine::Value& v = r[static_cast<std::size_t>(t.Field("Sifra"))];
            if (v.IsText()) return base::Trim(v.AsText());
        }
    }
    return std::to_string(code);
}

std::string Odbijenica(const TipZaPrilagodbu& t, const StavkaZaPrilagodbu& s) {
    if (Izvedivo(t, s.Sirina, s.Visina)) return {};
    // Each dimension at the larger of the item's and the type's other one.
    const int W = std::max<int>(s.Sirina, t.Tip.Zaglavlje.MaxRight);
    const int H = std::max<int>(s.Visina, t.Tip.Zaglavlje.MaxBottom);
    const int sirina = Najmanja(W, [&](int w) { return Izvedivo(t, w, H); });
    const int visina = Najmanja(H, [&](int h) { return Izvedivo(t, W, h); });
    return "Tip prozora " + SifraTipa(s.Tip) + " ne može se izraditi u mjeri " + std::to_string(s.Sirina) +
           " x " + std::to_string(s.Visina) + " mm!!!\r\nNajmanja mjera je " + std::to_string(sirina) +
           " x " + std::to_string(visina) + " mm.";
}

} // namespace

std::string ProvjeriMjere(const StavkaZaPrilagodbu& s) {
    if (s.Tip == 0 || s.Sirina <= 0 || s.Visina <= 0) return {};
    try {
        const std::optional<TipZaPrilagodbu> t = CitajTipZaPrilagodbu(s);
        return t ? Odbijenica(*t, s) : std::string();
    } catch (const std::exception&) {
        return {}; // what cannot be read is told by the fitting
    }
}

std::int32_t PrilagodiStavku(windows::ModelProzora& model, const StavkaZaPrilagodbu& s,
                             FaktoriPrilagodbe* faktori) {
    model.OslobodiMemoriju();
    try {
        const std::optional<TipZaPrilagodbu> t = CitajTipZaPrilagodbu(s);
        if (!t) {
            app::ShowInfo("Tip prozora " + std::to_string(s.Tip) + " nije pronađen !!!");
            return 0;
        }
        const Razmjer r = RazmjerZa(*t, s.Sirina, s.Visina);
        if (faktori) *faktori = {r.FaktorSirine, r.FaktorVisine};
        // A size the type cannot take, or the run could not cut, is never stored as a copy to be cut.
        if (!Izvedivo(*t, s.Sirina, s.Visina) || !Prilagodi(model, *t, s.Sirina, s.Visina)) {
            model.OslobodiMemoriju();
            app::ShowInfo(Odbijenica(*t, s));
            return 0;
        }
    } catch (const base::Overflow&) {
        model.OslobodiMemoriju();
        app::ShowInfo("Mjere stavke " + std::to_string(s.Stavka) + " su prevelike za tip prozora !!!");
        return 0;
    } catch (const std::exception& e) {
        model.OslobodiMemoriju();
        app::ShowInfo(e.what());
        return 0;
    }
    const std::int32_t code = windows::SpremiKopiju(model, {s.RN, s.Stavka}, s.Sistem, s.Boja);
    model.OslobodiMemoriju();
    return code;
}

} // namespace orders
