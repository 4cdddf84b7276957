#pragma once
// The "OPEN.DB" register of the databases "Global" and "Lokal": one row per table file with the number of
// its openers on all stations ("Open") and whether it was written since its first opener opened it
// ("Changed"). The first opener of a new row checks the table, the last closer gives all the table's files
// the .DB file's date (so that the next thorough check finds its index files current), and a station that
// finds rows of tables changed and never closed knows whose index files to rebuild.

#include "app/data/DBMine.h"

#include <memory>
#include <string>

namespace app {

struct OpenDbRegisterState {
    // The two register tables, on "OPEN.DB" of the databases "Global" and "Lokal". The kit's start-up
    // creates them (CreateOpenDbTables, or its own tables assigned here) and keeps them for the whole run.
    TMyTableX* OpenDbGlobal = nullptr;
    TMyTableX* OpenDbLokal = nullptr;
    // A register row that another station holds is waited for by refreshing and editing again: this many
    // times, with this pause between, before the register is reported as held (codes 9 and 10).
    int OpenDbEditTries = 300;
    int OpenDbEditPauseMs = 10;
};
// Reset with the program's state, together with the tables CreateOpenDbTables made and the count of
// registrations.
extern OpenDbRegisterState OpenDbRegister;

// Creates both register tables, inactive. Before a register opens it is checked (created when missing), and
// each post or delete marks it for the flush that follows.
void CreateOpenDbTables();
// Closes and frees the tables CreateOpenDbTables made.
void DestroyOpenDbTables();

// Before a table opens: its row is found or appended and "Open" raised; the first opener of a new row
// checks the table. A "LINK" table's files are deleted and the table made anew from its definition.
void RegisterTableOpen(TMyTableX& table);
// After a table closed: "Open" lowered; the last closer stamps the table's files.
void UnregisterTableOpen(TMyTableX& table);
// After the first post or delete of an opening: "Changed" set.
void MarkTableChanged(TMyTableX& table);
// The table's "Open" (0 without a row); for other databases 1 while the table is open, else 0.
int TableOpenCount(TMyTableX& table);

// Recovery after a station stopped without closing its tables (the kit's open of a register uses these):
// OpenDbAlone tells, before the register is opened, whether no other open of it exists on any station;
// SweepOpenDb then deletes the index files of every table whose row says it was changed and never closed
// (the next check rebuilds them) and empties the register: call it only when OpenDbAlone said so before the
// register was opened. Only plain table file names of the folder are used for deletes. False when the
// register could not be locked for the sweep.
bool OpenDbAlone(const TMyTableX& reg);
bool SweepOpenDb(TMyTableX& reg);

// Shows "User error " + code + ":\r\nTable "OPEN.DB" corrupt." and raises the cancel exception.
[[noreturn]] void OpenDbCorrupt(int code);

// The count of this station's registrations.
void IncOpenCount();
void DecOpenCount();
int OpenCount();

// Error codes of a register that cannot be used.
namespace OpenDbError {
inline constexpr int CounterZero = 1, CounterNegative = 2, LokalClosed = 3, LokalRowMissing = 4,
                     GlobalClosed = 5, GlobalRowMissing = 6, LokalMarkRowMissing = 7,
                     GlobalMarkRowMissing = 8, LokalRowHeld = 9, GlobalRowHeld = 10;
}

} // namespace app
