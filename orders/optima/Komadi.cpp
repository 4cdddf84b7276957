#include "orders/optima/Komadi.h"

#include "base/Int16.h"

#include <algorithm>
#include <tuple>

namespace orders {

namespace {

using windows::ModelProzora;
using windows::TOkvir;
using windows::TPrecka;

struct Izrada {
    const OkolnostiNaloga& o;
    ListeKomada& liste;
    std::int16_t prozor;
    int kolicina;
    long long RP = 0, VR = 0;

    TKomad& Novi(int vrsta, std::int32_t artikl, long long duzina, std::uint8_t kut) {
        TKomad k;
        k.Prozor = prozor;
        k.Artikl = artikl;
        k.Duzina = base::Checked16(duzina);
        k.KutL = k.KutD = kut;
        auto& lista = liste[static_cast<std::size_t>(vrsta)];
        lista.push_back(k);
        return lista.back();
    }
    std::int32_t Grupa(std::int32_t artikl) const { return o.GrupaArtikla ? o.GrupaArtikla(artikl) : 0; }
};

// A sash of a double sash meets its pair over the gap only, so its horizontal piece is shorter.
long long VodoravnoKrila(const TOkvir& f, const Izrada& iz) {
    const long long P = iz.o.Sistem.Preklapanje;
    const long long sirina = f.R1 - f.L1;
    if (f.L2 - f.L1 == f.R1 - f.R2) return sirina + 2 * P + iz.VR + iz.RP;
    return sirina + P - iz.o.Sistem.Razmak + iz.VR + iz.RP;
}

// Sashes, sliding sashes and door leaves with their reinforcements. Returns whether the window has a door.
bool Krila(const ModelProzora& m, Izrada& iz, std::vector<std::pair<int, int>>& krajeviVrata) {
    const long long P = iz.o.Sistem.Preklapanje;
    const BojaSistema& b = iz.o.Boja;
    bool vrata = false;
    for (const TOkvir& f : m.Okviri) {
        const bool leaf = f.Lajsna != 0;
        if (leaf) {
            vrata = true;
            krajeviVrata.emplace_back(f.L1, f.R1);
        }
        const bool klizno = !leaf && iz.Grupa(f.ArtiklOkvira) == iz.o.GrupaKliznogOkvira;
        int vrsta = V_Okvir, vrstaZ = V_ZOkvira;
        std::int32_t zeljezo = b.ZOkvira;
        long long umetak = b.ZOM;
        if (leaf)
            std::tie(vrsta, vrstaZ, zeljezo, umetak) = std::make_tuple(V_Vrata, V_ZVrata, b.ZVrata, b.ZVM);
        else if (klizno)
            // A sliding sash's steel is cut from its own bars, or with the sashes' when it is the same.
            std::tie(vrsta, vrstaZ, zeljezo, umetak) =
                std::make_tuple(V_KlizniOkvir, b.ZKlizniOkvir == b.ZOkvira ? V_ZOkvira : V_ZKlizniOkvir,
                                b.ZKlizniOkvir, b.ZKOM);
        const long long vodoravno = VodoravnoKrila(f, iz);
        // A leaf stands on the sill: one overlap only on its height.
        const long long okomito = (f.B1 - f.T1) + (leaf ? P : 2 * P) + iz.VR + iz.RP;
        for (int q = 0; q < iz.kolicina; ++q)
            for (int strana = 0; strana < 2; ++strana)
                for (long long duzina : {vodoravno, okomito}) {
                    iz.Novi(vrsta, f.ArtiklOkvira, duzina, 45);
                    iz.Novi(vrstaZ, zeljezo, duzina - 2LL * f.DebProfila - iz.VR - 2 * umetak, 90);
                }
    }
    return vrata;
}

void Stok(const ModelProzora& m, Izrada& iz, bool vrata,
          const std::vector<std::pair<int, int>>& krajeviVrata) {
    const BojaSistema& b = iz.o.Boja;
    const long long W = m.Sirina, H = m.Visina;
    // A leaf reaching the frame's side gets a square, welded bottom end on that side's piece.
    const bool doStrane = vrata && std::any_of(krajeviVrata.begin(), krajeviVrata.end(), [&](const auto& k) {
                              return k.first == m.WinLeft || k.second == m.WinRight;
                          });
    const long long zOkomito = H - 2 * ((H - m.WinBottom) + m.WinTop) - 2LL * b.ZSM;
    const long long zVodoravno = W - 2 * (W - m.WinRight) - 2LL * b.ZSM;
    for (int q = 0; q < iz.kolicina; ++q) {
        for (int n = 0; n < 2; ++n) {
            TKomad& k =
                iz.Novi(V_Stok, m.ArtiklStoka, H + iz.VR + iz.RP + (doStrane ? iz.o.Sistem.Varenje : 0), 45);
            if (doStrane) k.KutD = 90;
            iz.Novi(V_ZStoka, b.ZStoka, zOkomito, 90);
        }
        // A door has no sill piece.
        for (int n = 0; n < (vrata ? 1 : 2); ++n) {
            iz.Novi(V_Stok, m.ArtiklStoka, W + iz.VR + iz.RP, 45);
            iz.Novi(V_ZStoka, b.ZStoka, zVodoravno, 90);
        }
    }
}

void Precke(const ModelProzora& m, Izrada& iz) {
    const BojaSistema& b = iz.o.Boja;
    const long long dodatak = iz.o.Sistem.DodatakNaPrecku;
    for (const TPrecka& p : m.Precke) {
        const bool okomita = p.Vodoravna == 0;
        const long long duzina = okomita ? p.B - p.T : p.R - p.L;
        if (iz.Grupa(p.ArtiklPrecke) == iz.o.GrupaStoka) {
            // A frame-profile mullion standing on the sill runs down through the frame's bottom.
            const bool naDnu = okomita && p.B == m.WinBottom;
            for (int q = 0; q < iz.kolicina; ++q) {
                if (naDnu) {
                    TKomad& k = iz.Novi(V_Stok, m.ArtiklStoka,
                                        (m.Visina - m.WinBottom) + duzina + iz.RP + iz.o.Sistem.Varenje, 90);
                    k.KutL = 45;
                } else {
                    iz.Novi(V_Stok, m.ArtiklStoka, duzina + iz.RP, 90);
                }
                iz.Novi(V_ZStoka, b.ZStoka, duzina + iz.VR + iz.RP - 2LL * b.ZSM, 90);
            }
        } else {
            const long long komad = duzina + 2 * dodatak + iz.RP;
            for (int q = 0; q < iz.kolicina; ++q) {
                iz.Novi(V_Precka, p.ArtiklPrecke, komad, 90);
                iz.Novi(V_ZPrecka, b.ZPrecka, komad - 2 * dodatak - 2LL * b.ZPM, 90);
            }
        }
    }
}

} // namespace

void DodajKomadeStavke(const windows::ModelProzora& model, const StavkaNaloga& stavka,
                       const OkolnostiNaloga& okolnosti, ListeKomada& liste,
                       std::vector<std::string>& poruke) {
    Izrada iz{okolnosti, liste, stavka.Stavka, stavka.Kolicina};
    iz.RP = 2LL * okolnosti.Sistem.ReznaPila;
    iz.VR = 2LL * okolnosti.Sistem.Varenje;
    // Door leaves are looked at per item: an earlier item's door must not change this one's frame.
    std::vector<std::pair<int, int>> krajeviVrata;
    const bool vrata = Krila(model, iz, krajeviVrata);
    Stok(model, iz, vrata, krajeviVrata);
    Precke(model, iz);
    for (const Okno& o :
         NaciniListuStakla(model, okolnosti.Sistem.SmanjenjeStakla, okolnosti.Sistem.Preklapanje)) {
        if (o.Sirina <= 0 || o.Duzina <= 0) {
            poruke.push_back("Stavka " + std::to_string(stavka.Stavka) + ": staklo " +
                             std::to_string(o.Sirina) + " x " + std::to_string(o.Duzina) +
                             " mm nema mjesta i nije uključeno u listu!!!");
            continue;
        }
        TKomad k;
        k.Prozor = stavka.Stavka;
        k.Artikl = stavka.Staklo;
        k.Kolicina = stavka.Kolicina;
        k.Sirina = base::Checked16(o.Sirina);
        k.Duzina = base::Checked16(o.Duzina);
        k.KutL = k.KutD = 0;
        liste[V_Staklo].push_back(k);
    }
}

} // namespace orders
