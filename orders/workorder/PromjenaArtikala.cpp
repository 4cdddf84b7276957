#include "orders/workorder/PromjenaArtikala.h"

#include "base/Int16.h"
#include "windows/model/Mjerilo.h"

namespace orders {

namespace {

using windows::ModelProzora;

// The profile thickness of an article, 0 when its parameters are not kept.
int Debljina(const std::map<std::int32_t, Artikl>& artikli, std::int32_t artikl) {
    const auto it = artikli.find(artikl);
    return it != artikli.end() && it->second.UWRobi ? it->second.Debljina : 0;
}

std::int32_t Grupa(const std::map<std::int32_t, Artikl>& artikli, std::int32_t artikl) {
    const auto it = artikli.find(artikl);
    return it == artikli.end() ? 0 : it->second.Grupa;
}

void PromijeniStok(ModelProzora& m, const BojaSistema& boja, const std::map<std::int32_t, Artikl>& artikli) {
    if (boja.Stok == m.ArtiklStoka) return;
    m.ArtiklStoka = boja.Stok;
    const int nova = Debljina(artikli, boja.Stok);
    const int stara = m.WinLeft;
    if (nova <= 0 || nova == stara) return;
    const std::int16_t deb = m.DebStoka, desno = m.WinRight, dolje = m.WinBottom;
    const std::int16_t lijevo = m.WinLeft, gore = m.WinTop;
    try {
        m.DebStoka = static_cast<std::int16_t>(nova);
        m.WinLeft = m.WinTop = m.DebStoka;
        m.WinRight = base::Sub16(m.Sirina, nova);
        // A door without a bottom frame keeps its inner bottom on the floor.
        if (m.WinBottom == m.Visina - stara) m.WinBottom = base::Sub16(m.Visina, nova);
        m.ReCalcProzor(stara - nova);
    } catch (...) {
        m.DebStoka = deb, m.WinLeft = lijevo, m.WinTop = gore, m.WinRight = desno, m.WinBottom = dolje;
        throw;
    }
}

void PromijeniOkvire(ModelProzora& m, const BojaSistema& boja, const std::map<std::int32_t, Artikl>& artikli,
                     const GrupeArtikala& grupe, const windows::Mjerilo& mj) {
    if (m.Okviri.empty() || m.Okviri.front().ArtiklOkvira == boja.Okvir) return;
    for (windows::TOkvir& f : m.Okviri) {
        const std::int32_t g = Grupa(artikli, f.ArtiklOkvira);
        f.ArtiklOkvira = g == grupe.GrupaVrata           ? boja.Vrata
                         : g == grupe.GrupaKliznogOkvira ? boja.KlizniOkvir
                                                         : boja.Okvir;
        const int nova = Debljina(artikli, f.ArtiklOkvira);
        if (nova <= 0) continue;
        const int rast = nova - f.DebProfila;
        if (rast != 0 && rast <= m.MaxPomakDebljineOkvira(&f, mj)) m.RePaintPomakDebljineOkvira(&f, rast);
    }
}

void PromijeniPrecke(ModelProzora& m, const BojaSistema& boja, const std::map<std::int32_t, Artikl>& artikli,
                     const GrupeArtikala& grupe, const windows::Mjerilo& mj) {
    if (m.Precke.empty() || m.Precke.front().ArtiklPrecke == boja.Precka) return;
    for (windows::TPrecka& p : m.Precke) {
        p.ArtiklPrecke = Grupa(artikli, p.ArtiklPrecke) == grupe.GrupaStoka ? boja.Stok : boja.Precka;
        const int nova = Debljina(artikli, p.ArtiklPrecke);
        if (nova > 0 && nova != p.Debljina) m.PromijeniDebljinuPrecke(nullptr, &p, nova, mj);
    }
}

} // namespace

void PromjenaArtikala(ModelProzora& model, const BojaSistema& boja,
                      const std::map<std::int32_t, Artikl>& artikli, const GrupeArtikala& grupe) {
    PromijeniStok(model, boja, artikli);
    const windows::Mjerilo mj = windows::Mjerilo::ZaVelicinu(model.Sirina, model.Visina);
    PromijeniOkvire(model, boja, artikli, grupe, mj);
    PromijeniPrecke(model, boja, artikli, grupe, mj);
}

} // namespace orders
