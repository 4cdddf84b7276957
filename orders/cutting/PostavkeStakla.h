#pragma once

namespace base {
class IniFile;
}

namespace orders {

// The switches of the sheet cutting engine, kept in section "Staklo" of "PLOM.INI".
struct PostavkeStakla {
    bool PDolje = false;        // push placements towards the sheet's bottom edge (y = 0)
    bool PLijevo = false;       // push placements towards the sheet's left edge (x = 0)
    bool Popuni = true;         // fill the free space above placed panes
    bool Umetni = true;         // insert panes beside the last strip of a finished sheet
    bool SvePoSirini = false;   // lay the whole job out across the sheet
    bool ZadnjaPoSirini = true; // lay the last sheet out once more across (when SvePoSirini is off)
};

// Reads the switches; a missing key keeps its default.
PostavkeStakla GetIniStakla(const base::IniFile& ini);

} // namespace orders
