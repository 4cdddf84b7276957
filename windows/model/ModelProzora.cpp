#include "windows/model/ModelProzora.h"

#include "base/Exceptions.h"
#include "base/Int16.h"
#include "base/ProgramState.h"

#include <algorithm>
#include <limits>

namespace windows {

namespace {

constexpr std::size_t NajviseCvorova = std::numeric_limits<std::int16_t>::max();

template <class Lista> auto NadjiCvor(Lista& lista, const void* cvor) {
    return std::find_if(lista.begin(), lista.end(), [cvor](const auto& c) { return &c == cvor; });
}

bool ImaBit(std::uint8_t skup, int bit) {
    return (skup & bit) != 0;
}

} // namespace

ModelProzora& SharedModel() {
    static ModelProzora model;
    return model;
}

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { base::Reinitialise(SharedModel()); });
} // namespace

TOkvir& ModelProzora::NewOkvir() {
    if (Okviri.size() >= NajviseCvorova) throw base::Overflow();
    return Okviri.emplace_front();
}

TPrecka& ModelProzora::NewPrecka(TOkvir* vlasnik) {
    ListaPrecki& lista = ListaZa(vlasnik);
    if (lista.size() >= NajviseCvorova) throw base::Overflow();
    return lista.emplace_front();
}

void ModelProzora::DelPrecka(TOkvir* vlasnik, TPrecka* precka) {
    if (!precka) throw base::Exception("DelPrecka: nije definiran el");
    ListaPrecki& lista = ListaZa(vlasnik);
    const auto it = NadjiCvor(lista, precka);
    if (it == lista.end()) throw base::Exception("DelPrecka: nije definiran el");
    lista.erase(it);
}

void ModelProzora::DelOkvir(TOkvir* okvir) {
    if (!okvir) throw base::Exception("DelOkvir: Nije definiran el");
    const auto it = NadjiCvor(Okviri, okvir);
    if (it == Okviri.end()) throw base::Exception("DelOkvir: Nije definiran el");
    // The survivor must never point at the freed leaf (renumbering reads the partner).
    if (okvir->Par) okvir->Par->Par = nullptr;
    Okviri.erase(it);
    Prenumeriraj();
}

void ModelProzora::ObrisiOkvirSParom(TOkvir* okvir) {
    if (!okvir) throw base::Exception("DelOkvir: Nije definiran el");
    if (NadjiCvor(Okviri, okvir) == Okviri.end()) throw base::Exception("DelOkvir: Nije definiran el");
    if (TOkvir* par = okvir->Par) {
        okvir->Par = nullptr;
        par->Par = nullptr;
        Okviri.erase(NadjiCvor(Okviri, par));
    }
    DelOkvir(okvir);
}

void ModelProzora::Prenumeriraj() {
    std::int16_t brojac = 0;
    for (TOkvir& o : Okviri)
        o.RedniBroj = 0;
    for (TOkvir& o : Okviri) {
        if (!o.Par) {
            brojac = base::Add16(brojac, 1);
            o.RedniBroj = brojac;
        } else if (o.RedniBroj == 0) {
            if (o.Par->RedniBroj == 0) {
                brojac = base::Add16(brojac, 1);
                o.RedniBroj = o.Par->RedniBroj = brojac;
            } else {
                o.RedniBroj = o.Par->RedniBroj;
            }
        }
    }
    BrojacOkvira = brojac;
}

void ModelProzora::OslobodiMemoriju() {
    Okviri.clear();
    Precke.clear();
    BrojacOkvira = 0;
    Sirina = Visina = MaxRight = MaxBottom = 0;
    WinLeft = WinTop = WinRight = WinBottom = 0;
}

TOkvir* ModelProzora::VlasnikPrecke(const TPrecka* precka) {
    for (TOkvir& o : Okviri)
        if (NadjiCvor(o.Precke, precka) != o.Precke.end()) return &o;
    return nullptr;
}

void ModelProzora::PostaviOkvirProzora(int sirina, int visina, int debStoka) {
    if (sirina < 1 || sirina > NajvecaVelicina || visina < 1 || visina > NajvecaVelicina)
        throw base::Exception("Dimenzije prozora moraju biti između 1 i 9999 mm");
    if (debStoka < 1 || 2 * debStoka > std::min(sirina, visina))
        throw base::Exception("Debljina štoka ne odgovara dimenzijama prozora");
    Sirina = static_cast<std::int16_t>(sirina);
    Visina = static_cast<std::int16_t>(visina);
    DebStoka = static_cast<std::int16_t>(debStoka);
    IzracunajRubove();
}

void ModelProzora::IzracunajRubove() {
    MaxRight = Sirina;
    MaxBottom = Visina;
    WinLeft = WinTop = DebStoka;
    WinRight = base::Sub16(Sirina, DebStoka);
    WinBottom = base::Sub16(Visina, DebStoka);
}

bool ModelProzora::NacinOtvaranja(TOkvir* s, int bit) {
    if (!s) return false;
    constexpr std::uint8_t Strane = O_lijevo | O_desno | K_lijevo | K_desno;
    if (bit == O_gore) {
        s->Otvaranje ^= O_gore;
    } else if (bit == O_lijevo || bit == O_desno || bit == K_lijevo || bit == K_desno) {
        const bool bio = ImaBit(s->Otvaranje, bit);
        s->Otvaranje &= static_cast<std::uint8_t>(~Strane);
        if (!bio) s->Otvaranje |= static_cast<std::uint8_t>(bit);
    } else {
        return false;
    }
    const auto sredinaVisine = static_cast<std::int16_t>((s->T2 + s->B2) / 2);
    if (s->Otvaranje == O_gore) s->Q = 2, s->K = static_cast<std::int16_t>((s->L2 + s->R2) / 2);
    if (ImaBit(s->Otvaranje, O_lijevo) || ImaBit(s->Otvaranje, K_lijevo)) s->Q = 1, s->K = sredinaVisine;
    if (ImaBit(s->Otvaranje, O_desno) || ImaBit(s->Otvaranje, K_desno)) s->Q = 3, s->K = sredinaVisine;
    if (s->Otvaranje == 0) s->K = s->Q = 0;
    // A double sash carries one handle.
    if (s->Par && (s->Par->K > 0 || s->Par->Q > 0)) {
        s->Par->K = s->Par->Q = 0;
        return true;
    }
    return false;
}

bool ModelProzora::PostaviKvaku(TOkvir* s, int x, int y, const Mjerilo& mj) {
    if (!s) return false;
    const int tol = mj.Tolerancija2();
    const bool uzVisinu = s->T2 + tol <= y && y <= s->B2 - tol;
    const bool uzSirinu = s->L2 + tol <= x && x <= s->R2 - tol;
    int q = 0, k = 0;
    if (s->L1 <= x && x <= s->L2 && uzVisinu) q = 1, k = y;
    if (uzSirinu && s->T1 <= y && y <= s->T2) q = 2, k = x;
    if (s->R2 <= x && x <= s->R1 && uzVisinu) q = 3, k = y;
    if (uzSirinu && s->B2 <= y && y <= s->B1) q = 4, k = x;
    if (q == 0) return false;
    s->Q = static_cast<std::int16_t>(q);
    s->K = static_cast<std::int16_t>(k);
    if (s->Par) s->Par->K = s->Par->Q = 0;
    return true;
}

bool ModelProzora::MozeBrisatiPrecku(const TOkvir* vlasnik, const TPrecka* m) const {
    if (!m) return false;
    const bool okomita = m->Vodoravna == 0;
    auto dodiruje = [&](int lo, int hi) {
        return okomita ? (m->L == hi || lo == m->R) : (m->T == hi || lo == m->B);
    };
    for (const TPrecka& o : ListaZa(vlasnik)) {
        if (&o == m || o.Vodoravna == m->Vodoravna) continue;
        if (okomita ? dodiruje(o.L, o.R) : dodiruje(o.T, o.B)) return false;
    }
    if (vlasnik) return true;
    for (const TOkvir& s : Okviri)
        if (okomita ? dodiruje(s.L1, s.R1) : dodiruje(s.T1, s.B1)) return false;
    return true;
}

bool ModelProzora::MozeBrisatiOkvir(const TOkvir* s) const {
    if (!s || !s->Precke.empty()) return false;
    return !s->Par || s->Par->Precke.empty();
}

} // namespace windows
