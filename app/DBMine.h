#pragma once
// Process-wide values of the open-table registry's unit that the settings set.

namespace app {

// Most table files open at once before an idle one is closed ("QK.INI" "OtvoreneBaze" "Max").
extern int MaxOpenTables;

} // namespace app
