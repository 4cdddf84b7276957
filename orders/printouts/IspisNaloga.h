#pragma once
// The printouts of a work order, built on the page printer of the print-preview form (controls::Ispis):
// the work order (the items' pictures, the profile cutting list and the glass list), the offer (the
// pictures with their prices, the total and the instructions) and the glass cutting lists (every glass
// article's sheets drawn with their panes). Each one then shows in the preview or goes straight to the
// printer. Every fault is told to the user (app::ShowInfo); the page printer is never left inside a
// document and the page-head routine never outlives its document.

#include "orders/cutting/PostavkeStakla.h"
#include "orders/optima/RadniNalog.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orders {

// How a printout leaves the form.
struct NacinIspisa {
    // Show the pages in the preview form; off: print them at once and clear the page list.
    bool PregledIspisa = true;
    // The form's "Ispisujem..." label: shown (true) while the document is built, hidden (false) after.
    std::function<void(bool vidljivo)> OznakaIspisa;
};

// The work order (ponuda false: "Is&pis naloga...") or the offer (ponuda true: "Ispis po&nuda...") of the
// order with the given RADNINAL Code. False when nothing was printed (the user was told why: a printout
// still being built, a missing order or a bar article missing from the article tables).
bool IspisNaloga(std::int32_t radniNalog, bool ponuda, const NacinIspisa& nacin = {});

// "Ispis &Stakla": lays the order's glass list ("RNOPTST") out on stock sheets, one glass article at a
// time, and prints the cutting list of every article in one document. False when nothing was printed
// (told: a printout still being built, no glass list, an article without a usable sheet, or stopped).
bool PrijenosPodatakaStakla(std::int32_t radniNalog, const PostavkeStakla& postavke,
                            const NacinIspisa& nacin = {}, const Napredak& napredak = {});

// The cutting lists of a glass run of that order, one document: every sheet exactly as the run laid it
// out (the glass list is not read again, so paper and run cannot differ). False when nothing was printed
// (told: a printout still being built, or a missing order).
bool IspisStakla(std::int32_t radniNalog, const std::vector<ListaStakla>& liste,
                 const NacinIspisa& nacin = {});

} // namespace orders
