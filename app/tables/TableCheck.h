#pragma once
// The check that runs when a table is opened: a missing table is created from its definition, a table whose
// index files are missing, stale or differ from the definition is re-indexed, and a table whose stored
// fields differ, or whose rows cannot be walked, is rebuilt by copying its rows into a new table. A check
// that gives up (no row of the table can be read, restructuring is off) leaves every file of the table as it
// found it; only a partial copy that holds rows is kept beside it.

#include "app/tables/TableDefinitions.h"

#include <string>

namespace app {

// Working files of a restructure.
inline constexpr const char* NewTableName = "_NEW_.DB";
inline constexpr const char* OldTableName = "_OLD_.DB";
inline constexpr const char* RestructuredPrefix = "Restructured_";
// A damaged table whose rebuilt copy lacks rows it counted is kept under this prefix until someone removes
// it.
inline constexpr const char* DamagedPrefix = "Damaged_";
// Names the table whose rebuilt copy is being put in place; a check finding it finishes or undoes the swap.
inline constexpr const char* SwapJournalName = "_SWAP_.TXT";

// Checks the table of that exact file name in the folder, or every table of the folder in list order when
// the name is empty; a name outside the folder's list does nothing. Returns at once when a check of the
// same folder is already running. The folder's option flags (ShowProgress, NoRestructure) apply. A table
// that another open holds is not changed: its busy error reaches the caller. An empty folder path is refused.
void CheckTables(Folder folder, const std::string& folderPath, const std::string& fileName, bool thorough);

} // namespace app
