#pragma once
// Saving, loading and deleting window types ("WINGL", "WINO", "WINPO", "WINP") and work-order items' copies
// of them ("NWINGL", "NWINO", "NWINPO", "NWINP") in the "Lokal" table folder. No form holds these tables,
// so nothing frees them behind a caller's back.
//
// A type's detail rows carry its Code as "WTip" (a copy's: RN, RNS and its NWINGL Code). A save writes the
// whole new set of rows beside the old one and then swaps it in; it is done wholly or not at all, also when
// the process dies on the way (the next save, load or delete of that type finishes a swap it finds begun).
// On failure the stored type and the model stay as they were and the user is told why (app::ShowInfo).

#include "windows/model/ModelProzora.h"
#include "windows/storage/TypeRows.h"

#include <cstdint>
#include <memory>
#include <string>

namespace windows {

// --- types of the catalogue, identified by their Code (the sale article's Code)

// The stored state of a type as a save finds it: its frames, mullions and the header fields a save writes.
// Any save that changes them gives another value.
using OtisakTipa = std::uint64_t;

// Writes the model into the type with that Code: its header's sizes, flags and frame article, and all its
// frames and mullions. True when saved: the model is then empty. A Code no header has, or that two headers
// share, is refused. Another station's lock is tried again, silently a number of times and then with the
// question whether to go on. With `ucitano` (the state the model was loaded from) a type another station
// has saved since is overwritten only when the user says so. False: nothing changed, the model is kept.
bool SpremiProzor(ModelProzora& model, std::int32_t code, const OtisakTipa* ucitano = nullptr);

// Loads the type with that Code into the model (emptied first). The current system fills in what the rows
// leave open; a header without a system is given the current one (and its outer-frame article), also in
// the table. False when there is no such type (then Roletne is cleared) or it cannot be read (told).
// `otisak` receives the stored state that was loaded.
bool PrenesiProzor(ModelProzora& model, std::int32_t code, const ZadaneVrijednosti& zadano,
                   OtisakTipa* otisak = nullptr);

// The stored rows of the type with that Code, as the catalogue holds them (its colour included). False
// when there is no such type, or (told) when it cannot be read.
bool CitajTip(std::int32_t code, RedoviTipa& redovi);

// Deletes the type's frame and mullion rows (the header is the list's to delete). False (told) when they
// cannot be deleted: the caller then keeps the header.
bool ObrisiElementeTipa(std::int32_t code);

// Whether a header other than the one with this Sifra has the Code: such a sale article cannot be given
// to a second type.
bool KodTipaZauzet(std::int32_t code, const std::string& sifra);
// Whether a header has the Code.
bool TipPostoji(std::int32_t code);
// Whether any frame or mullion row carries the Code (a type's Code cannot change under its rows).
bool TipImaElemente(std::int32_t code);

// --- copies of work-order items, identified by the order (RN) and the item (RNS)

struct KopijaStavke {
    std::int32_t RN = 0;
    std::int32_t RNS = 0;
};

// Replaces the item's copy with the model: a new NWINGL row (new Code) with the order's system and colour
// and the model's working size, and its rows. Returns the new Code (the model is then empty), or 0 when
// nothing was saved (told; the old copy and the model stay).
std::int32_t SpremiKopiju(ModelProzora& model, const KopijaStavke& stavka, std::int32_t sistem,
                          std::int32_t boja);
// Loads the item's copy into the model (emptied first), not scaled. False when the item has no copy or it
// cannot be read (told).
bool PrenesiKopiju(ModelProzora& model, const KopijaStavke& stavka, const ZadaneVrijednosti& zadano);

// Loads many items' copies, each as PrenesiKopiju does, with the copy tables opened once: a whole order
// read item by item costs what its items cost, not its items times the size of the tables.
class CitacKopija {
public:
    CitacKopija();
    ~CitacKopija();
    CitacKopija(const CitacKopija&) = delete;
    CitacKopija& operator=(const CitacKopija&) = delete;
    bool Prenesi(ModelProzora& model, const KopijaStavke& stavka, const ZadaneVrijednosti& zadano);

private:
    struct Otvorene;
    std::unique_ptr<Otvorene> t_;
};
// Deletes the item's copy, header and rows. False (told) when it cannot.
bool ObrisiKopiju(const KopijaStavke& stavka);
// Gives the item's copy (header and rows) the item number noviRNS, after taking away whatever copy was
// left under that number. False (told) when it cannot; the copy is then where it was or already moved.
bool PrenumerirajKopiju(const KopijaStavke& stavka, std::int32_t noviRNS);
// The Code of the item's copy, or 0 when it has none.
std::int32_t KodKopije(const KopijaStavke& stavka);

// When the "Lokal" folder opens: finishes every swap found begun in the folder (a station that died while
// saving) and takes away the rows a save left under a scratch key before it wrote its note.
void DovrsiZapoceteZamjene();

// The question a save over a type changed by another station asks.
inline constexpr const char* TipPromijenjenPitanje =
    "Tip je u međuvremenu promijenio drugi korisnik.\r\nŽelite li ga prepisati ?";

} // namespace windows
