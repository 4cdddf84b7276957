#pragma once
// The cutting list of one glass article, sheet by sheet: the sheet drawn with its panes, and under it a
// boxed table with the user, the article, the sheet's size, how much of it is used, and how it was cut.

#include "controls/PagePrinter.h"
#include "orders/optima/RadniNalog.h"
#include "orders/printouts/PodaciNaloga.h"

#include <functional>
#include <string>

namespace orders {

// What the box under every sheet says besides the sheet itself.
struct PodaciListeStakla {
    std::string Poduzece; // the own company's name
    std::string Mjesto;   // and its place
    bool Okretno = true;  // panes were free to turn
    int Rez = 0;          // the saw's kerf, mm
};

// How much of the sheet its cut-outs cover, as a percentage in the program's plain number format
// ("87,5", "100").
std::string Iskoristenje(const SheetLayout& raspored, int ploca);

// Draws every sheet of the article into the open document. Every sheet but the very first of the
// document starts a new page (prviUDokumentu: this is the document's first article). korak runs after each
// sheet.
void IspisListeStakla(controls::TPagePrinter& prn, const ListaStakla& lista, const ArtiklIspisa& artikl,
                      const PodaciListeStakla& podaci, bool prviUDokumentu,
                      const std::function<void()>& korak = {});

} // namespace orders
