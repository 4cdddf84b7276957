#pragma once
// Process-wide values of the main window's unit: the installation record, the own company, the data
// folders, and the split of a company name at its legal form.

#include <cstdint>
#include <string>

namespace app {

// The installation record, read from "Link.DB" when the main window is created.
struct TPodaciInstalacije {
    std::string Opis;   // at most 30 characters
    std::string Mjesto; // at most 50
    std::string Vrsta;  // at most 1
    std::string Sifra;  // at most 40
};

// The installation's own company, found through "SIF_PART.DB" and "PARTNER.DB" when the main window first
// shows; the default partner of every form, the captions and the print headers use it.
struct TPodaciPoduzeca {
    std::int32_t OwnPartner = 0;
    std::string Sifra; // at most 40 characters
    std::string NazivKratki;
    std::string PravniOblik;
    std::string NazivPuni;
    std::string Mjesto;    // at most 80
    std::string UlicaBroj; // at most 80
    std::int32_t Zemlja = 0;
    std::int32_t Valuta = 0;
    std::int32_t Jezik = 0;
    std::int32_t ZiroRN = 0;
    std::string Telefon;      // at most 20
    std::string Telefax;      // at most 20
    std::string Modem;        // at most 20
    std::string KontaktOsoba; // at most 40
    std::int32_t Banka = 0;
    std::int32_t InoBanka = 0;
};

struct WBeginState {
    // The installation record, read from "Link.DB" when the main window is created.
    TPodaciInstalacije PodaciInstalacije;
    // The own company, found when the main window first shows.
    TPodaciPoduzeca PodaciPoduzeca;
    // The data folders: "global/" and "lokal/" beside the program, and the folder of the "LINK" database
    // (from "QK.INI", emptied again when the main window is created).
    std::string GlobalFolder;
    std::string LokalFolder;
    std::string LinkFolder;
};
// Reset with the program's state.
extern WBeginState WBegin;

// Splits a company name at its legal form (" d.o.o.", " d.d.", " s p.o.", " s.p.o.", " obrt", found
// whatever their case): the name before it, the legal form with the rest of the name, and the name up to
// and including the legal form. Without a legal form (or with one at the very start) the short name is the
// whole name and the legal form is empty. Positions count characters.
void SplitCompanyName(const std::string& Name, std::string& NazivKratki, std::string& PravniOblik,
                      std::string& NazivPuni);

} // namespace app
