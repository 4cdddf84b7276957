#pragma once
#include "windows/model/Mjerilo.h"

#include <cstdint>
#include <list>

namespace windows {

// One mullion (vertical) or transom (horizontal), in millimetres from the outer frame's top-left.
struct TPrecka {
    std::int16_t RedniBroj = 0;
    std::int32_t ArtiklPrecke = 0;
    std::int16_t L = 0, T = 0, B = 0, R = 0;
    std::uint8_t Vodoravna = 0; // 1 horizontal, 0 vertical
    std::int16_t Debljina = 0;
};

// Newest node first: everything that walks a list (hit test, numbering, saving, painting) relies on it.
using ListaPrecki = std::list<TPrecka>;

// Opening-mode bits of TOkvir::Otvaranje.
inline constexpr std::uint8_t O_gore = 1;
inline constexpr std::uint8_t O_lijevo = 2;
inline constexpr std::uint8_t O_desno = 4;
inline constexpr std::uint8_t K_lijevo = 8;
inline constexpr std::uint8_t K_desno = 16;

// One sash or door leaf, lying in one opening.
struct TOkvir {
    TOkvir() = default;
    TOkvir(const TOkvir&) = delete;
    TOkvir& operator=(const TOkvir&) = delete;

    std::int16_t Rbr = 0;
    std::int32_t ArtiklOkvira = 0;
    std::int16_t L1 = 0, T1 = 0, B1 = 0, R1 = 0; // outer rectangle
    std::int16_t L2 = 0, T2 = 0, B2 = 0, R2 = 0; // glazing rectangle
    std::int16_t K = 0;                          // handle position, 0 = none
    std::int16_t Q = 0;                          // handle side: 0 none, 1 left, 2 top, 3 right, 4 bottom
    ListaPrecki Precke;
    TOkvir* Par = nullptr; // the other leaf of a double sash; not owned
    std::uint8_t Otvaranje = 0;
    std::int16_t DebProfila = 0;
    std::int16_t Lajsna = 0; // sill strip height; above 0 only for a door leaf standing on the sill
    std::int16_t RedniBroj = 0;

    std::int16_t BrojPrecki() const { return static_cast<std::int16_t>(Precke.size()); }
};

using ListaOkvira = std::list<TOkvir>;

// A rectangle in millimetres (an opening).
struct Pravokutnik {
    std::int16_t L = 0, T = 0, R = 0, B = 0;
};

struct Pogodak {
    TOkvir* Okvir = nullptr;
    TPrecka* Precka = nullptr;
};

struct Otvor {
    TOkvir* Okvir = nullptr; // the sash whose glazing holds the opening, or none for the window
    Pravokutnik Rub;
};

// The in-memory window type: outer frame, sashes and mullions. Every geometry change either completes
// or, when a 16-bit result overflows (base::Overflow), leaves the model exactly as it was.
class ModelProzora {
public:
    ModelProzora() = default;
    ModelProzora(const ModelProzora&) = delete;
    ModelProzora& operator=(const ModelProzora&) = delete;

    ListaOkvira Okviri;
    ListaPrecki Precke;
    std::int16_t Sirina = 0, Visina = 0;
    std::int16_t DebStoka = 0;
    std::int16_t MaxRight = 0, MaxBottom = 0;
    std::int16_t WinLeft = 0, WinTop = 0, WinRight = 0, WinBottom = 0;
    bool Vrata = false;
    std::int32_t ArtiklStoka = 0;
    bool Roletne = false;
    std::int32_t Sistem = 0;
    std::int16_t BrojacOkvira = 0;
    std::int16_t Preklapanje = 0;

    static constexpr int NajvecaVelicina = 9999;

    std::int16_t BrojOkvira() const { return static_cast<std::int16_t>(Okviri.size()); }
    std::int16_t BrojPrecki() const { return static_cast<std::int16_t>(Precke.size()); }

    // --- nodes ---
    TOkvir& NewOkvir();
    TPrecka& NewPrecka(TOkvir* vlasnik);
    void DelPrecka(TOkvir* vlasnik, TPrecka* precka);
    // Removes one sash with its mullions and renumbers. A remaining partner leaf loses its link.
    void DelOkvir(TOkvir* okvir);
    // Removes a sash together with its partner leaf (one command deletes a whole double sash).
    void ObrisiOkvirSParom(TOkvir* okvir);
    void Prenumeriraj();
    void OslobodiMemoriju();
    ListaPrecki& ListaZa(TOkvir* vlasnik) { return vlasnik ? vlasnik->Precke : Precke; }
    const ListaPrecki& ListaZa(const TOkvir* vlasnik) const { return vlasnik ? vlasnik->Precke : Precke; }
    // The sash whose list holds the mullion, or none for a window mullion or one not in the model.
    TOkvir* VlasnikPrecke(const TPrecka* precka);

    // Sets Sirina, Visina and DebStoka and derives MaxRight, MaxBottom and the frame's inner rectangle.
    void PostaviOkvirProzora(int sirina, int visina, int debStoka);
    void IzracunajRubove();

    // --- opening modes and removal ---
    // Returns true when the partner leaf lost its handle.
    bool NacinOtvaranja(TOkvir* okvir, int bit);
    // The handle tool: a point on one of the sash's bands, at least Tolerancija2 from the glazing's
    // corners, puts the handle there (the partner leaf loses its own). False when no band takes it.
    bool PostaviKvaku(TOkvir* okvir, int x, int y, const Mjerilo& mj);
    bool MozeBrisatiPrecku(const TOkvir* vlasnik, const TPrecka* precka) const;
    bool MozeBrisatiOkvir(const TOkvir* okvir) const;

    // --- openings and new elements ---
    // The element at a point in mm: window mullions first, then sashes, newest first, edges included.
    Pogodak Pogodi(int x, int y);
    // The opening around a point: a sash's glazing or the frame's inner area, narrowed by the mullions.
    Otvor OtvorNaTocki(int x, int y);
    // Strictly inside the frame's inner area: only such points take new elements.
    bool UnutarOkvira(int x, int y) const;
    // New elements at a point on empty space; none when the point or the opening does not take them.
    // A sash in a door type that reaches the frame's bottom becomes a door leaf with a sill strip of
    // `lajsna` mm. The double sash returns its right leaf (the new head); Par is the left one.
    TOkvir* DodajOkvir(int x, int y, int debljina, std::int32_t artikl, int lajsna);
    TOkvir* DodajDvostrukiOkvir(int x, int y, int debljina, int razmak, std::int32_t artikl, int lajsna);
    TPrecka* DodajPrecku(int x, int y, bool vodoravna, int debljina, std::int32_t artikl);

    // --- limits and moves (directions: 1 left, 2 up, 3 right, 4 down) ---
    int MaxPomakPrecke(const TOkvir* vlasnik, const TPrecka* precka, int smjer, const Mjerilo& mj) const;
    // Moves a mullion by delta (negative: left or up) with everything resting on it; the caller keeps
    // delta within MaxPomakPrecke.
    void RePaintPomak(TOkvir* vlasnik, TPrecka* precka, int smjer, int delta);
    // Moves a mullion by at most its limit; returns the distance moved.
    int PomakniPrecku(TOkvir* vlasnik, TPrecka* precka, int smjer, int zeljeno, const Mjerilo& mj);
    // After the caller set a new Debljina: the mullion's near side moves by -delta, its far side to
    // near side + Debljina, and what rests on either side follows.
    void RepaintDebljinePrecke(TOkvir* vlasnik, TPrecka* precka, int delta);
    // Gives a mullion a new thickness, growth limited so nothing is crushed; returns the thickness set.
    int PromijeniDebljinuPrecke(TOkvir* vlasnik, TPrecka* precka, int debljina, const Mjerilo& mj);

    // Which: -1 the width, 1 the height.
    int MaxPomak(int staraVelicina, int koja, const Mjerilo& mj) const;
    // After Sirina or Visina changed from staraVelicina: what lay on the moving frame edge follows it.
    void PrilagodiRubove(int staraVelicina, int koja);
    // The width and height edits: refuse sizes outside 1..9999 (base::Abort), cut a shrink to the
    // limit, re-fit. Return the size accepted.
    int PostaviSirinu(int sirina, const Mjerilo& mj);
    int PostaviVisinu(int visina, const Mjerilo& mj);

    int MaxDebljinaStoka(const Mjerilo& mj) const;
    // After DebStoka changed: delta = old - new thickness; what lay on the frame follows its inner edge.
    void ReCalcProzor(int delta);
    // The outer-frame thickness edit: below 1 refused (base::Abort), growth cut to the limit.
    int PostaviDebStoka(int debljina, const Mjerilo& mj);

    // Side 0: the meeting line moves into this leaf from its right; side 1: from its left.
    int MaxPomakSredineOkvira(const TOkvir* okvir, int strana, const Mjerilo& mj) const;
    // Moves the meeting line of a double sash by at most its limit; returns the distance moved.
    int PomakniSredinuOkvira(TOkvir* okvir, int delta, const Mjerilo& mj);
    int MaxPomakDebljineOkvira(const TOkvir* okvir, const Mjerilo& mj) const;
    // A profile grown by delta: both leaves' glazings shrink on every side, the mullions ending on them
    // follow, and DebProfila of both leaves grows by delta.
    void RePaintPomakDebljineOkvira(TOkvir* okvir, int delta);
    // Gives a sash (and its partner) a new profile thickness; returns the thickness set.
    int PromijeniDebljinuOkvira(TOkvir* okvir, int debljina, const Mjerilo& mj);

private:
    template <class F> void Atomicno(F&& izmjena);
    int PostaviVelicinu(int nova, int koja, const Mjerilo& mj);
};

// The one model the designer, the type list and the work orders share. Everything in this library
// works on a model passed to it, so other models (tests, previews) can live beside this one.
ModelProzora& SharedModel();

} // namespace windows
