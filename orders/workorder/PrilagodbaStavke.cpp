#include "orders/workorder/PrilagodbaStavke.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "orders/optima/ArtikliRobe.h"
#include "orders/optima/PrenesiProzor2.h"
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

struct SustavNaloga {
    int Preklapanje = 0, Razmak = 0;
    BojaSistema Boja;
    bool ImaBoju = false;
};

SustavNaloga CitajSustav(std::int32_t sistem, std::int32_t boja) {
    const auto lokal = app::FolderPath(app::Folder::Lokal);
    SustavNaloga s;
    StoredTable sistemi(lokal, "WSYSTEM.DB");
    sistemi.Cursor().SetIndex(-1);
    if (sistemi.Cursor().FindKey({Value::Int(sistem)})) {
        const engine::Row r = sistemi.Cursor().Read();
        s.Preklapanje = sistemi.Short(r, "Preklapanje");
        s.Razmak = sistemi.Short(r, "Razmak");
    }
    StoredTable boje(lokal, "WSYSBOJE.DB");
    boje.Cursor().SetIndex(-1);
    if (boje.Cursor().FindKey({Value::Int(sistem), Value::Int(boja)})) {
        const engine::Row r = boje.Cursor().Read();
        const auto a = [&](const char* ime) { return static_cast<std::int32_t>(boje.Int(r, ime)); };
        s.Boja.Stok = a("Stok"), s.Boja.Okvir = a("Okvir"), s.Boja.Vrata = a("Vrata");
        s.Boja.KlizniOkvir = a("KlizniOkvir"), s.Boja.Precka = a("Precka");
        s.ImaBoju = true;
    }
    return s;
}

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

// The catalogue type ready for fitting in the order's system.
struct TipZaPrilagodbu {
    windows::RedoviTipa Tip;
    SustavNaloga Sustav;
};

std::optional<TipZaPrilagodbu> CitajTipZaPrilagodbu(const StavkaZaPrilagodbu& s) {
    TipZaPrilagodbu t;
    if (!windows::CitajTip(s.Tip, t.Tip)) return std::nullopt;
    t.Sustav = CitajSustav(s.Sistem, s.Boja);
    // A type not yet given to a system is drawn in the order's.
    if (t.Tip.Zaglavlje.Sistem == 0) {
        t.Tip.Zaglavlje.Sistem = s.Sistem;
        t.Tip.Zaglavlje.ArtiklOkvira = t.Sustav.Boja.Stok;
    }
    return t;
}

Razmjer RazmjerZa(const TipZaPrilagodbu& t, int sirina, int visina) {
    Razmjer r = RazmjerStavke(t.Tip.Zaglavlje, sirina, visina);
    r.Preklapanje = t.Sustav.Preklapanje;
    r.Razmak = t.Sustav.Razmak;
    return r;
}

bool Izvedivo(const TipZaPrilagodbu& t, int sirina, int visina) {
    try {
        return MjereIzvedive(PrenesiProzor2(t.Tip, RazmjerZa(t, sirina, visina)));
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
        const windows::RedoviTipa& tip = t->Tip;
        const SustavNaloga& sustav = t->Sustav;
        const Razmjer r = RazmjerZa(*t, s.Sirina, s.Visina);
        if (faktori) *faktori = {r.FaktorSirine, r.FaktorVisine};
        const windows::RedoviTipa kopija = PrenesiProzor2(tip, r);
        // A size the type cannot take is never stored as a copy to be cut.
        if (!MjereIzvedive(kopija)) {
            app::ShowInfo(Odbijenica(*t, s));
            return 0;
        }
        windows::ModelIzRedova(model, kopija, windows::VrstaTipa::Kopija,
                               {s.Sistem, sustav.Boja.Stok, static_cast<std::int16_t>(sustav.Preklapanje)});
        if (tip.Zaglavlje.Boja != s.Boja && sustav.ImaBoju) {
            const auto& p = app::Settings.PostavkePrograma;
            PromjenaArtikala(model, sustav.Boja, CitajArtikle(),
                             {p.GrupaStoka, p.GrupaVrata, p.GrupaKliznogOkvira});
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
