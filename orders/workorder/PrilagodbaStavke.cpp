#include "orders/workorder/PrilagodbaStavke.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "base/Exceptions.h"
#include "orders/optima/ArtikliRobe.h"
#include "orders/optima/PrenesiProzor2.h"
#include "orders/workorder/PromjenaArtikala.h"
#include "windows/storage/StoredTable.h"
#include "windows/storage/WindowTypeStore.h"

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

} // namespace

std::int32_t PrilagodiStavku(windows::ModelProzora& model, const StavkaZaPrilagodbu& s,
                             FaktoriPrilagodbe* faktori) {
    model.OslobodiMemoriju();
    windows::RedoviTipa tip;
    if (!windows::CitajTip(s.Tip, tip)) {
        app::ShowInfo("Tip prozora " + std::to_string(s.Tip) + " nije pronađen !!!");
        return 0;
    }
    try {
        const SustavNaloga sustav = CitajSustav(s.Sistem, s.Boja);
        // A type not yet given to a system is drawn in the order's.
        if (tip.Zaglavlje.Sistem == 0) {
            tip.Zaglavlje.Sistem = s.Sistem;
            tip.Zaglavlje.ArtiklOkvira = sustav.Boja.Stok;
        }
        Razmjer r = RazmjerStavke(tip.Zaglavlje, s.Sirina, s.Visina);
        r.Preklapanje = sustav.Preklapanje;
        r.Razmak = sustav.Razmak;
        if (faktori) *faktori = {r.FaktorSirine, r.FaktorVisine};
        const windows::RedoviTipa kopija = PrenesiProzor2(tip, r);
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
