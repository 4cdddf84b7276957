#pragma once
// The rows a window type is stored as, and the rules between them and the model's nodes. No tables here:
// the storage reads and writes these rows, so the rules can be checked on their own.

#include "windows/model/ModelProzora.h"

#include <cstdint>
#include <vector>

namespace windows {

// The header row ("WINGL" or "NWINGL") as far as the model gives or takes it.
struct ZaglavljeTipa {
    std::int16_t MaxRight = 0, MaxBottom = 0;
    std::int16_t WinLeft = 0, WinTop = 0, WinRight = 0, WinBottom = 0;
    bool Vrata = false;
    bool Roletne = false;
    std::int32_t ArtiklOkvira = 0;
    std::int32_t Sistem = 0;
    std::int32_t Boja = 0; // the colour the type's articles are of
};

// A "WINO"/"NWINO" row.
struct RedOkvira {
    std::int16_t Rbr = 0, RedniBroj = 0;
    std::int32_t ArtiklOkvira = 0;
    std::int16_t DebProfila = 0;
    std::int16_t L1 = 0, T1 = 0, R1 = 0, B1 = 0;
    std::int16_t L2 = 0, T2 = 0, R2 = 0, B2 = 0;
    std::int16_t K = 0, Q = 0, Otvaranje = 0, Lajsna = 0;
};

// A "WINP"/"NWINP" row (RedniBrojOkvira 0) or a "WINPO"/"NWINPO" row (the frame row's Rbr).
struct RedPrecke {
    std::int16_t RedniBrojOkvira = 0, RedniBroj = 0;
    std::int32_t Artikl = 0;
    std::int16_t L = 0, T = 0, R = 0, B = 0;
    bool Tip = false; // vertical
};

struct RedoviTipa {
    ZaglavljeTipa Zaglavlje;
    std::vector<RedOkvira> Okviri;       // in Rbr order
    std::vector<RedPrecke> PreckeOkvira; // each frame's in RedniBroj order
    std::vector<RedPrecke> Precke;       // in RedniBroj order
};

// Which header the rows belong to: a type of the catalogue or a work-order item's copy. A copy stores the
// working size (Sirina, Visina) and reads back its own inner bottom.
enum class VrstaTipa { Katalog, Kopija };

// The rows of a model: every list walked from its head, positions counted from 1.
RedoviTipa RedoviIzModela(const ModelProzora& model, VrstaTipa vrsta);

// What the loader takes from the current system where the stored rows leave a value open.
struct ZadaneVrijednosti {
    std::int32_t Sistem = 0;      // the type list's current system
    std::int32_t Stok = 0;        // the current system colour's outer-frame article
    std::int16_t Preklapanje = 0; // the current system's overlap
};

// Fills an emptied model from rows: each row a new node at the head of its list (so the lists run in the
// reverse order of the rows), two neighbouring frame rows with one RedniBroj a double sash. The inset of
// the outer frame is MaxRight - WinRight on every side (a copy keeps its own inner bottom). Raises
// base::Overflow on values that leave the 16-bit range; the model is then emptied.
void ModelIzRedova(ModelProzora& model, const RedoviTipa& redovi, VrstaTipa vrsta,
                   const ZadaneVrijednosti& zadano);

} // namespace windows
