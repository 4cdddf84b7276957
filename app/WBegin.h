#pragma once
// Process-wide values of the main window's unit that the settings and the data layer use.

#include <string>

namespace app {

// The installation record, read from "Link.DB" when the main window is created.
struct TPodaciInstalacije {
    std::string Opis;   // at most 30 characters
    std::string Mjesto; // at most 50
    std::string Vrsta;  // at most 1
    std::string Sifra;  // at most 40
};
extern TPodaciInstalacije PodaciInstalacije;

// The data folders: "global/" and "lokal/" beside the program, and the folder of the "LINK" database
// (from "QK.INI", emptied again when the main window is created).
extern std::string GlobalFolder;
extern std::string LokalFolder;
extern std::string LinkFolder;

} // namespace app
