#pragma once
// The routines every data form and kit control uses on its datasets: state tests, posting and cancelling
// with retries and a question to the user, key fields filled from a master dataset, a table's changes
// written to disk, a table's files deleted or re-dated, and the way from a table's database name to its
// folder's table set (the checks on opening).
//
// Datasets are passed by pointer: a control without a dataset passes none, and the routines then do nothing
// (or answer false).

#include "app/tables/TableDefinitions.h"
#include "app/tables/TableFiles.h"

#include <exception>
#include <optional>
#include <string>

namespace fw {
class TDataSet;
class TDataSource;
class TTable;
} // namespace fw

namespace app {

class TMyTableX;

// --- the folder of a database name

// "LOKAL"/"LOKAL2", "GLOBAL"/"GLOBAL2" and "LINK"/"LINK2" (any case) select a folder; other names none.
std::optional<Folder> FolderOfDatabase(const std::string& databaseName);
// The folder's path: LokalFolder, GlobalFolder or LinkFolder. The link folder is refused while it is not set.
std::string FolderPath(Folder folder);
// A table's file name as the program compares it: upper case, with ".DB" when it was named without extension.
std::string TableFileKey(const std::string& tableName);

// --- state tests

bool HasRecords(fw::TDataSet* dataSet);
bool IsEditing(fw::TDataSet* dataSet);
// A table's InsertPost flag; true for any other dataset.
bool InsertPostAllowed(fw::TDataSet* dataSet);

// --- posting and cancelling

// A failing post is tried 21 times silently, then the user is asked whether to go on; "Da" gives another 21
// tries, "Ne" leaves the record unposted in its edit or insert state.
inline constexpr int SilentPostTries = 21;
inline constexpr const char* RetryQuestion = "Želite li da pokušam ponovno ?";

// Posts a changed insert (when allowed; else drops it), then puts the record into edit as StartEdit does.
bool PostInsertAndEdit(fw::TDataSet* dataSet);
// Puts a browsed record into edit; false when another station holds it.
bool StartEdit(fw::TDataSet* dataSet);
// Whether the record could be put into edit now (a trial edit, cancelled again).
bool CanEdit(fw::TDataSet* dataSet);
// Why a browsed record cannot be put into edit now, in the engine's words (a trial edit); empty when it can,
// when the refusal was silent or the record is not browsed.
std::string EditRefusal(fw::TDataSet* dataSet);
// Whether another station holds the record. Changes of this station's edit are posted first (a refusal
// told, the changes kept in the edit); files that refuse every write make no record busy.
bool RecordBusy(fw::TDataSet* dataSet);
// Posts a changed edit of the table's master and of the table; a refusal is told and the record stays in
// edit.
void PostPendingEdits(fw::TDataSet* dataSet);
// Leaves the record (posting or dropping it) and starts a key search on the source's table.
bool PostAndSetKey(fw::TDataSource* dataSource);
// Posts or cancels the record; true when the dataset browses afterwards. A refused post is told and undone.
bool PostOrCancel(fw::TDataSet* dataSet);
// The save action of the code lists: leaves the record and starts a new one.
bool PostAndAppend(fw::TDataSet* dataSet);
void PostEditAutoSave(fw::TDataSet* dataSet);
void PostEditFlush(fw::TDataSet* dataSet);
// Tells the user why a write was refused (the failure's own text, which names the file and the cause); a
// silent failure, or one told since the user's last key or click, says nothing more.
void TellRefusal(const std::exception& e);
// The refusal is another station's hold of a record or of the table (not files refusing the write).
bool IsLock(const std::exception& e);
void TellRefusal(const std::string& text);
// Posts an edit (an insert stays open); a refused post is told and the record stays in edit.
void PostEditKeepInsert(fw::TDataSet* dataSet);
// Posts the record with the table's insert permission; a failed post is undone and raised again.
void PostRecordAutoSave(fw::TDataSet* dataSet);
void CancelEditSafe(fw::TDataSet* dataSet);
void CancelEdit(fw::TDataSet* dataSet);

// --- key fields from a master dataset. Lists are words separated by blanks and ";".

// The next word of a list (consumed from the front), or "" when the list is used up.
std::string NextWord(std::string& list);
// Sets the table's index fields, in order, from the master's fields named in the list.
bool SetKeyFromMaster(fw::TTable* table, const std::string& masterFieldList);
bool CopyMasterFieldList(fw::TTable* table, const std::string& fieldList, const std::string& masterFieldList);
// Fills the link fields of a new detail record from the master record.
bool CopyMasterFields(fw::TTable* table);
// Every master field of the link has a value.
bool MasterValuesPresent(fw::TTable* table);

// --- table files and disk

// Writes a changed table's buffered changes to disk.
void FlushTable(fw::TDataSet* dataSet);
// Deletes a table's index files (.PX, .VAL, .X??, .Y??) in its database's folder.
void DeleteTableIndexFiles(const std::string& tableName, const std::string& databaseName);
// DeleteTableIndexFiles, then the table's .DB.
void DeleteTableFilesOf(const std::string& tableName, const std::string& databaseName);
// StampTableFiles (app/tables/TableFiles.h) for a table of Lokal or Global; nothing for other databases.
void SetTableFilesDate(fw::TTable* table);

// --- the folder's table set

// The folder's new-record defaults and field set-up of the table; none for no folder or no routine.
DataSetRoutine TableDefaultsOf(fw::TTable* table);
DataSetRoutine TableFieldSetupOf(fw::TTable* table);
// The checks on opening a table (nothing while another dataset of the program has it open).
void CheckTableFull(TMyTableX* table);
void CheckTableQuick(TMyTableX* table);
// Checks the named table ("" every table) of the database's folder.
void CheckTablesOf(const std::string& tableName, const std::string& databaseName, bool thorough);

} // namespace app
