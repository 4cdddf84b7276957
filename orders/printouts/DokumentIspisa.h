#pragma once
// One printout's document on the shared page printer of the print-preview form: the page head is the
// printout's only for the length of its document, what the printout changes on the page printer (header,
// footer, formats, font, grid) is given back afterwards (the title stays: the pages are printed under it),
// and a document that does not come to its end is closed and its pages dropped, so the next printout is never
// refused. From the start the busy cursor shows, and a layout that takes longer than a moment shows the
// progress window with "Opoziv" (controls::LayoutProgress): the printout calls Korak for each part it lays
// out, and a cancel ends the document as any other failure would, without a word.

#include "controls/LayoutProgress.h"
#include "controls/PagePrinter.h"
#include "orders/printouts/IspisNaloga.h"

#include <functional>
#include <memory>
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

    // Opens the document with the page head (none: no head of the printout's own); koraka: how many
    // parts (items, rows, sheets) it will lay out.
    void Pocni(std::function<void()> glava, int koraka);
    // One part laid out: throws base::Abort when the user cancelled.
    void Korak() { napredak_->Step(); }
    // Closes it and shows the pages in the preview, or prints them and drops them.
    void Zavrsi();

private:
    void Zatvori();

    controls::TPagePrinter& prn_;
    const NacinIspisa& nacin_;
    bool pocet_ = false;
    bool zavrsen_ = false;
    std::string header_, footer_, headerFormat_, tableFormat_;
    fw::FontSpec font_;
    bool grid_;
    std::unique_ptr<controls::LayoutProgress> napredak_;
};

// Splits a memo into its lines (CR LF, LF or CR end a line).
std::vector<std::string> RedoviTeksta(const std::string& tekst);

} // namespace orders
