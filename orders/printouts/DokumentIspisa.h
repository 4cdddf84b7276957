#pragma once
// One printout's document on the shared page printer of the print-preview form: the page head is the
// printout's only for the length of its document, what the printout changes on the page printer (header,
// footer, formats, font, grid) is given back afterwards (the title stays: the pages are printed under it),
// and a document that does not come to its end is closed and its pages dropped, so the next printout is never
// refused.

#include "controls/PagePrinter.h"
#include "orders/printouts/IspisNaloga.h"

#include <functional>
#include <string>

namespace orders {

// The page printer of the preview form (made first when the program has none yet).
controls::TPagePrinter& PisacIspisa();

// False, with the user told so, while an earlier printout's document is still open.
bool MozeIspis(controls::TPagePrinter& prn);

class DokumentIspisa {
public:
    DokumentIspisa(controls::TPagePrinter& prn, const NacinIspisa& nacin);
    ~DokumentIspisa();
    DokumentIspisa(const DokumentIspisa&) = delete;
    DokumentIspisa& operator=(const DokumentIspisa&) = delete;

    // Opens the document with the page head (none: no head of the printout's own).
    void Pocni(std::function<void()> glava);
    // Closes it and shows the pages in the preview, or prints them and drops them.
    void Zavrsi();

private:
    void Zatvori();

    controls::TPagePrinter& prn_;
    const NacinIspisa& nacin_;
    bool zavrsen_ = false;
    std::string header_, footer_, headerFormat_, tableFormat_;
    fw::FontSpec font_;
    bool grid_;
};

// Splits a memo into its lines (CR LF, LF or CR end a line).
std::vector<std::string> RedoviTeksta(const std::string& tekst);

} // namespace orders
