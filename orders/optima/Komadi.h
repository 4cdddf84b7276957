#pragma once
// The pieces of a work order's items: profile pieces to saw, sorted by kind, and the glass panes. No
// tables here: the run hands in each item's copy of its window type and the order's system data.

#include "orders/cutting/Kombinacija.h"
#include "windows/model/ModelProzora.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orders {

// The kinds of pieces; each has its own list and its own bars.
enum Vrsta : int {
    V_Stok = 1,
    V_Okvir = 2,
    V_Precka = 3,
    V_Vrata = 4,
    V_ZStoka = 5,
    V_ZOkvira = 6,
    V_ZVrata = 7,
    V_ZPrecka = 8,
    V_KlizniOkvir = 9,
    V_Staklo = 10,
    V_ZKlizniOkvir = 11, // a sliding sash's reinforcements, when its steel is not the sashes' one
};

// Every kind's pieces in the order they were made (index = kind; 0 unused).
using ListeKomada = std::array<std::vector<TKomad>, 12>;

// The millimetre constants of the order's window system ("WSYSTEM").
struct KonstanteSistema {
    int Razmak = 0;
    int Preklapanje = 0;
    int SmanjenjeStakla = 0;
    int ReznaPila = 0;
    int Varenje = 0;
    int DodatakNaPrecku = 0;
};

// The profile and reinforcement articles of the order's system and colour ("WSYSBOJE"), with the
// reinforcement insets.
struct BojaSistema {
    std::int32_t Stok = 0, ZStoka = 0;
    int ZSM = 0;
    std::int32_t Vrata = 0, ZVrata = 0;
    int ZVM = 0;
    std::int32_t Okvir = 0, ZOkvira = 0;
    int ZOM = 0;
    std::int32_t KlizniOkvir = 0, ZKlizniOkvir = 0;
    int ZKOM = 0;
    std::int32_t Precka = 0, ZPrecka = 0;
    int ZPM = 0;
};

// One item of the order as the pieces need it.
struct StavkaNaloga {
    std::int16_t Stavka = 0;
    std::int16_t Kolicina = 0;
    std::int32_t Staklo = 0; // glass article
};

// What piece generation needs besides the window: the system, its colour and the article groups.
struct OkolnostiNaloga {
    KonstanteSistema Sistem;
    BojaSistema Boja;
    std::int32_t GrupaStoka = 0;
    std::int32_t GrupaKliznogOkvira = 0;
    std::function<std::int32_t(std::int32_t artikl)> GrupaArtikla; // 0 for an unknown article
};

// Adds the pieces of one item's window (its copy, loaded) to the kind lists: sashes, door leaves,
// outer frame, window mullions and glass panes, each Kolicina times. A pane too small to exist is left
// out and described in `poruke`. Raises base::Overflow when a length leaves the 16-bit range.
void DodajKomadeStavke(const windows::ModelProzora& model, const StavkaNaloga& stavka,
                       const OkolnostiNaloga& okolnosti, ListeKomada& liste,
                       std::vector<std::string>& poruke);

// The glass panes of one window (width, height in mm), one per opening; `sm` is the reduction per edge.
struct Okno {
    int Sirina = 0;
    int Duzina = 0;
};
std::vector<Okno> NaciniListuStakla(const windows::ModelProzora& model, int sm, int preklapanje);

} // namespace orders
