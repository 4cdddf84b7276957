#include "app/data/DataSetServices.h"
#include "base/Finally.h"

#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/tables/TableCheck.h"
#include "app/tables/TableFiles.h"
#include "base/Files.h"
#include "base/Text.h"
#include "base/Told.h"
#include "fw/db/DatabaseError.h"
#include "fw/db/DataSource.h"

#include <vector>

namespace app {

namespace {

using base::TryFinally;

// PostInProgress set (and the controls disabled, when asked) for the duration of body.
template <class Body> void AsPostHelper(fw::TDataSet& dataSet, bool disableControls, Body&& body) {
    const bool wasPosting = DBMine.PostInProgress;
    DBMine.PostInProgress = true;
    if (disableControls) dataSet.DisableControls();
    TryFinally(body, [&] {
        if (disableControls) dataSet.EnableControls();
        DBMine.PostInProgress = wasPosting;
    });
}

// Something may be retried only while there is still a record to post.
bool RetryPossible(const std::exception& e, fw::TDataSet& dataSet) {
    return !base::IsSilent(e) && IsEditing(&dataSet);
}

// Runs op until it succeeds: 21 silent tries, then the question; true when it succeeded, false after "Ne".
// A silent cancel, or a failure after which there is nothing left to post, passes on at once.
template <class Op>
bool WithRetry(fw::TDataSet& dataSet, Op&& op, bool (*retryPossible)(const std::exception&, fw::TDataSet&)) {
    int tries = 0;
    for (;;) {
        ++tries;
        try {
            op();
            return true;
        } catch (const std::exception& e) {
            if (!retryPossible(e, dataSet)) throw;
            if (tries < SilentPostTries) continue;
            // The question names the cause: the cause is told.
            base::RememberTold(e.what());
            if (!AskYesNo(std::string(e.what()) + "\r\n" + RetryQuestion)) return false;
            tries = 0;
        }
    }
}

bool PostWithRetry(fw::TDataSet& dataSet) {
    bool posted = false;
    AsPostHelper(dataSet, false, [&] {
        posted = WithRetry(
            dataSet, [&] { dataSet.Post(); }, RetryPossible);
    });
    return posted;
}

// What is needed to recognise the row an insert added: the record count before it and the values posted
// (auto-increment fields get their number only when posted, so they are not compared).
struct InsertMark {
    long long CountBefore = 0;
    std::vector<std::pair<fw::TField*, engine::Value>> Values;
};

InsertMark MarkInsert(fw::TDataSet& dataSet) {
    InsertMark mark;
    mark.CountBefore = dataSet.RecordCount();
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        fw::TField& field = dataSet.Fields(i);
        if (field.FieldKind() != fw::fkData || field.DataType() == fw::ftAutoInc) continue;
        mark.Values.emplace_back(&field, field.Value());
    }
    return mark;
}

bool IsInsertedRow(fw::TDataSet& dataSet, const InsertMark& mark) {
    if (dataSet.State() != fw::dsBrowse || dataSet.IsEmpty()) return false;
    if (dataSet.RecordCount() <= mark.CountBefore) return false;
    for (const auto& [field, value] : mark.Values)
        if (!(field->Value() == value)) return false;
    return true;
}

// Posts once on a control's entry; false when refused. The refusal is told unless it was told since the
// user's last key (where the post was asked for: the close, the move, the save that led to this entry).
// Another station's lock is waited for as any post waits for it, asking after the silent tries.
bool PostOnEntry(fw::TDataSet& dataSet) {
    try {
        if (DBMine.MultiUser) return PostWithRetry(dataSet);
        AsPostHelper(dataSet, false, [&] { dataSet.Post(); });
        return true;
    } catch (const std::exception& e) {
        TellRefusal(e);
        return false;
    }
}

// Undoes an insert whose post failed: the record is dropped, and the row it added, if it was written before
// the failure, is deleted. An existing row is never deleted.
void UndoInsert(fw::TDataSet& dataSet, const InsertMark& mark) {
    try {
        if (IsEditing(&dataSet)) dataSet.Cancel();
        if (IsInsertedRow(dataSet, mark)) dataSet.Delete();
    } catch (const std::exception&) {
        // The refresh below shows what is really stored.
    }
    try {
        dataSet.Refresh();
    } catch (const std::exception&) {
    }
}

// Posts an insert once; a failure is undone and its message shown. True when posted.
bool PostInsertOrUndo(fw::TDataSet& dataSet) {
    const InsertMark mark = MarkInsert(dataSet);
    try {
        AsPostHelper(dataSet, false, [&] { dataSet.Post(); });
        return true;
    } catch (const std::exception& e) {
        UndoInsert(dataSet, mark);
        TellRefusal(e);
        return false;
    }
}

// Leaves the record as the key search and the save action do: a changed edit posted with retry, a changed
// insert posted when allowed (undone on failure) or dropped, an unchanged record dropped. False when the
// record could not be left.
bool LeaveRecord(fw::TDataSet& dataSet) {
    const fw::TDataSetState state = dataSet.State();
    if (state == fw::dsEdit && dataSet.Modified()) return PostWithRetry(dataSet);
    if (state == fw::dsInsert && dataSet.Modified() && InsertPostAllowed(&dataSet))
        return PostInsertOrUndo(dataSet);
    if (state == fw::dsEdit || state == fw::dsInsert) dataSet.Cancel();
    return true;
}

// The edit of a browsed record on behalf of the program: idle call first in multi-user mode, controls
// disabled, PostInProgress set. A failure cancels; true when the record is now in edit.
// A refusal by another station's lock is noted in locked.
bool EditRecord(fw::TDataSet& dataSet, bool cancelAfterwards, bool* locked = nullptr) {
    bool edited = false;
    AsPostHelper(dataSet, true, [&] {
        try {
            if (DBMine.MultiUser) EngineIdle();
            dataSet.Edit();
            edited = IsEditing(&dataSet);
        } catch (const std::exception& e) {
            if (locked) *locked = IsLock(e);
            CancelEditSafe(&dataSet);
            edited = false;
            return;
        }
        if (cancelAfterwards) dataSet.Cancel();
    });
    return edited;
}

// Inactive, calc-fields or set-key: the common start of the edit routines. False when there is nothing to
// edit.
bool ReadyForEdit(fw::TDataSet& dataSet) {
    const fw::TDataSetState state = dataSet.State();
    if (state == fw::dsInactive || state == fw::dsCalcFields) return false;
    if (state == fw::dsSetKey) dataSet.Cancel();
    return true;
}

fw::TDataSet* MasterDataSet(fw::TTable& table) {
    fw::TDataSource* source = table.MasterSource();
    return source ? source->DataSet() : nullptr;
}

bool ModifiedEdit(fw::TDataSet* dataSet) {
    return dataSet && dataSet->State() == fw::dsEdit && dataSet->Modified();
}

// Calls f(first word, second word) for each pair of words of the two lists, until either runs out.
template <class F> void ForEachPair(std::string first, std::string second, F&& f) {
    for (;;) {
        const std::string a = NextWord(first);
        const std::string b = NextWord(second);
        if (a.empty() || b.empty()) return;
        f(a, b);
    }
}

Folder RequireFolder(const std::string& databaseName) {
    const auto folder = FolderOfDatabase(databaseName);
    if (!folder) throw base::Exception("Nepoznata baza podataka \"" + databaseName + "\"");
    return *folder;
}

} // namespace

// ------------------------------------------------------------------------------------------- folders

std::optional<Folder> FolderOfDatabase(const std::string& databaseName) {
    const std::string db = base::UpperCase(databaseName);
    if (db == "LOKAL" || db == "LOKAL2") return Folder::Lokal;
    if (db == "GLOBAL" || db == "GLOBAL2") return Folder::Global;
    if (db == "LINK" || db == "LINK2") return Folder::Link;
    return std::nullopt;
}

std::string FolderPath(Folder folder) {
    switch (folder) {
    case Folder::Lokal:
        return WBegin.LokalFolder;
    case Folder::Global:
        return WBegin.GlobalFolder;
    case Folder::Link:
        break;
    }
    // An empty folder would mean the working directory: nothing of the link database is done there.
    if (WBegin.LinkFolder.empty()) throw base::Exception("Mapa baze LINK nije zadana.");
    return WBegin.LinkFolder;
}

std::string TableFileKey(const std::string& tableName) {
    std::string key = base::UpperCase(tableName);
    if (!key.empty() && key.find('.') == std::string::npos) key += ".DB";
    return key;
}

// ------------------------------------------------------------------------------------------- state tests

bool HasRecords(fw::TDataSet* dataSet) {
    return dataSet && dataSet->Active() && dataSet->RecordCount() > 0;
}

bool IsEditing(fw::TDataSet* dataSet) {
    return dataSet && (dataSet->State() == fw::dsEdit || dataSet->State() == fw::dsInsert);
}

bool InsertPostAllowed(fw::TDataSet* dataSet) {
    if (auto* table = dynamic_cast<TMyTableX*>(dataSet)) return table->InsertPost;
    return true;
}

// ------------------------------------------------------------------------------------------- posting

bool PostInsertAndEdit(fw::TDataSet* dataSet) {
    if (!dataSet || !ReadyForEdit(*dataSet)) return false;
    if (dataSet->State() == fw::dsInsert && dataSet->Modified()) {
        if (!InsertPostAllowed(dataSet))
            dataSet->Cancel();
        else if (!PostWithRetry(*dataSet))
            return false;
    }
    if (dataSet->State() != fw::dsBrowse) return false;
    return EditRecord(*dataSet, false);
}

bool StartEdit(fw::TDataSet* dataSet) {
    if (IsEditing(dataSet)) return true;
    if (!dataSet || !ReadyForEdit(*dataSet)) return false;
    return EditRecord(*dataSet, false);
}

bool CanEdit(fw::TDataSet* dataSet) {
    if (IsEditing(dataSet)) return true;
    if (!dataSet || !ReadyForEdit(*dataSet)) return false;
    return EditRecord(*dataSet, true);
}

std::string EditRefusal(fw::TDataSet* dataSet) {
    if (!dataSet || dataSet->State() != fw::dsBrowse) return {};
    try {
        dataSet->Edit();
        dataSet->Cancel();
    } catch (const std::exception& e) {
        CancelEditSafe(dataSet);
        if (!base::IsSilent(e)) return e.what();
    }
    return {};
}

bool RecordBusy(fw::TDataSet* dataSet) {
    if (!dataSet) return true;
    if (auto* table = dynamic_cast<fw::TTable*>(dataSet)) {
        fw::TDataSet* master = MasterDataSet(*table);
        if (ModifiedEdit(master) && !PostOnEntry(*master)) return false;
    }
    switch (dataSet->State()) {
    case fw::dsInsert:
        return false;
    case fw::dsInactive:
        return true;
    case fw::dsEdit:
        // The record is this station's: changes the files refuse (told) stay in it, and what is typed next
        // joins them on screen.
        if (dataSet->Modified()) PostOnEntry(*dataSet);
        return false;
    case fw::dsBrowse: {
        // Only another station's hold makes the record busy: files that refuse every write (read-only,
        // deleted under the open) are told at the first key, which stays on screen.
        bool locked = false;
        return !EditRecord(*dataSet, true, &locked) && locked;
    }
    default:
        return false;
    }
}

void PostPendingEdits(fw::TDataSet* dataSet) {
    auto* table = dynamic_cast<fw::TTable*>(dataSet);
    if (!table) return;
    // A master the files refused keeps its detail unposted too.
    for (fw::TDataSet* target : {MasterDataSet(*table), static_cast<fw::TDataSet*>(table)})
        if (ModifiedEdit(target) && !PostOnEntry(*target)) return;
}

bool PostAndSetKey(fw::TDataSource* dataSource) {
    auto* table = dynamic_cast<fw::TTable*>(dataSource ? dataSource->DataSet() : nullptr);
    if (!table || !table->Active()) return false;
    if (!LeaveRecord(*table)) return false;
    if (table->State() == fw::dsBrowse) {
        auto setKeyPossible = [](const std::exception& e, fw::TDataSet& ds) {
            return !base::IsSilent(e) && ds.State() == fw::dsBrowse;
        };
        if (!WithRetry(
                *table, [&] { table->SetKey(); }, setKeyPossible))
            return false;
    }
    return table->State() == fw::dsSetKey;
}

bool PostOrCancel(fw::TDataSet* dataSet) {
    if (!dataSet || dataSet->State() == fw::dsInactive) return false;
    if (IsEditing(dataSet)) {
        const bool inserting = dataSet->State() == fw::dsInsert;
        const InsertMark mark = inserting ? MarkInsert(*dataSet) : InsertMark();
        try {
            AsPostHelper(*dataSet, false, [&] { dataSet->Post(); });
        } catch (const std::exception& e) {
            TellRefusal(e);
            if (inserting)
                UndoInsert(*dataSet, mark);
            else
                CancelEditSafe(dataSet);
            return false;
        }
    }
    return dataSet->State() == fw::dsBrowse;
}

bool PostAndAppend(fw::TDataSet* dataSet) {
    if (!dataSet || !ReadyForEdit(*dataSet)) return false;
    if (!LeaveRecord(*dataSet)) return false;
    if (dataSet->State() != fw::dsBrowse) return false;
    dataSet->DisableControls();
    TryFinally([&] { dataSet->Append(); }, [&] { dataSet->EnableControls(); });
    return dataSet->State() == fw::dsInsert;
}

namespace {
// Posts an edit, cancels any other state but browse (an insert only when asked).
void PostEditCancelOthers(fw::TDataSet& dataSet, bool keepInsert) {
    switch (dataSet.State()) {
    case fw::dsEdit:
        AsPostHelper(dataSet, false, [&] { dataSet.Post(); });
        break;
    case fw::dsBrowse:
    case fw::dsInactive:
        break;
    case fw::dsInsert:
        if (keepInsert) break;
        [[fallthrough]];
    default:
        dataSet.Cancel();
    }
}
} // namespace

void PostEditAutoSave(fw::TDataSet* dataSet) {
    if (!dataSet) return;
    PostEditCancelOthers(*dataSet, false);
    if (Settings.CommonSettings.Safety.AutoSave) FlushTable(dataSet);
}

void PostEditFlush(fw::TDataSet* dataSet) {
    if (!dataSet) return;
    PostEditCancelOthers(*dataSet, false);
    FlushTable(dataSet);
}

bool IsLock(const std::exception& e) {
    const auto* db = dynamic_cast<const fw::EDatabaseError*>(&e);
    return db && (db->ErrorKind() == fw::EDatabaseError::Kind::RecordLocked ||
                  db->ErrorKind() == fw::EDatabaseError::Kind::TableBusy);
}

void TellRefusal(const std::exception& e) {
    if (!base::IsSilent(e)) TellRefusal(std::string(e.what()));
}

void TellRefusal(const std::string& text) {
    if (!base::ToldSinceInput(text)) ShowInfo(text);
}

void PostEditKeepInsert(fw::TDataSet* dataSet) {
    if (!dataSet) return;
    try {
        PostEditCancelOthers(*dataSet, true);
    } catch (const std::exception& e) {
        // The record stays in edit with what was typed; the user hears why it was not stored.
        TellRefusal(e);
    }
}

void PostRecordAutoSave(fw::TDataSet* dataSet) {
    if (!dataSet) return;
    const bool inserting = dataSet->State() == fw::dsInsert;
    const InsertMark mark = inserting ? MarkInsert(*dataSet) : InsertMark();
    auto* table = dynamic_cast<TMyTableX*>(dataSet);
    try {
        if (IsEditing(dataSet)) {
            const bool insertPost = table && table->InsertPost;
            if (table) table->InsertPost = true;
            TryFinally([&] { AsPostHelper(*dataSet, false, [&] { dataSet->Post(); }); },
                       [&] {
                           if (table) table->InsertPost = insertPost;
                       });
        } else if (dataSet->State() != fw::dsBrowse && dataSet->State() != fw::dsInactive) {
            dataSet->Cancel();
        }
        if (Settings.CommonSettings.Safety.AutoSave) FlushTable(dataSet);
    } catch (const std::exception&) {
        // The record is dropped; the caller hears why, so nothing the user typed vanishes unnoticed.
        const bool insertPost = table && table->InsertPost;
        if (table) table->InsertPost = true;
        if (inserting)
            UndoInsert(*dataSet, mark);
        else {
            CancelEditSafe(dataSet);
            try {
                dataSet->Refresh();
            } catch (const std::exception&) {
            }
        }
        if (table) table->InsertPost = insertPost;
        throw;
    }
}

void CancelEditSafe(fw::TDataSet* dataSet) {
    try {
        CancelEdit(dataSet);
    } catch (const std::exception&) {
    }
}

void CancelEdit(fw::TDataSet* dataSet) {
    if (dataSet && dataSet->State() != fw::dsBrowse && dataSet->State() != fw::dsInactive) dataSet->Cancel();
}

// ------------------------------------------------------------------------------------------- keys

std::string NextWord(std::string& list) {
    const std::size_t end = list.find_first_of(" ;");
    std::string word = list.substr(0, end);
    if (end == std::string::npos) {
        list.clear();
        return word;
    }
    const std::size_t next = list.find_first_not_of(" ;", end);
    list.erase(0, next == std::string::npos ? list.size() : next);
    return word;
}

bool SetKeyFromMaster(fw::TTable* table, const std::string& masterFieldList) {
    if (!table || masterFieldList.empty()) return false;
    fw::TDataSet* master = MasterDataSet(*table);
    if (!master) return false;
    ForEachPair(table->IndexFieldNames(), masterFieldList, [&](const std::string& own, const std::string& m) {
        table->FieldByName(own).SetAsString(master->FieldByName(m).AsString());
    });
    return true;
}

bool CopyMasterFieldList(fw::TTable* table, const std::string& fieldList,
                         const std::string& masterFieldList) {
    if (!table || fieldList.empty() || masterFieldList.empty()) return false;
    fw::TDataSet* master = MasterDataSet(*table);
    if (!master) return false;
    ForEachPair(fieldList, masterFieldList, [&](const std::string& own, const std::string& m) {
        try {
            table->FieldByName(own).Assign(&master->FieldByName(m));
        } catch (const std::exception&) {
            // that pair is skipped
        }
    });
    return true;
}

bool CopyMasterFields(fw::TTable* table) {
    if (!table) return false;
    fw::TDataSet* master = MasterDataSet(*table);
    if (!master) return false;
    ForEachPair(table->MasterFields(), table->IndexFieldNames(),
                [&](const std::string& m, const std::string& own) {
                    table->FieldByName(own).Assign(&master->FieldByName(m));
                });
    return true;
}

bool MasterValuesPresent(fw::TTable* table) {
    if (!table) return false;
    try {
        fw::TDataSet* master = MasterDataSet(*table);
        if (!master) return false;
        bool present = true;
        ForEachPair(table->MasterFields(), table->IndexFieldNames(),
                    [&](const std::string& m, const std::string&) {
                        if (present && master->FieldByName(m).AsString().empty()) present = false;
                    });
        return present;
    } catch (const std::exception&) {
        return false;
    }
}

// ------------------------------------------------------------------------------------------- files

void FlushTable(fw::TDataSet* dataSet) {
    auto* table = dynamic_cast<fw::TTable*>(dataSet);
    if (!table) return;
    auto* mine = dynamic_cast<TMyTableX*>(table);
    if (!mine) return table->SaveChanges();
    if (!mine->Changed || base::UpperCase(mine->DatabaseName()) == "LINK") return;
    // Writes go through to the files at once; saving makes sure they are on disk.
    mine->SaveChanges();
    mine->Changed = false;
}

void DeleteTableIndexFiles(const std::string& tableName, const std::string& databaseName) {
    DeleteIndexFiles(FolderPath(RequireFolder(databaseName)), TableBaseName(tableName));
}

void DeleteTableFilesOf(const std::string& tableName, const std::string& databaseName) {
    DeleteTableFiles(FolderPath(RequireFolder(databaseName)), TableBaseName(tableName));
}

void SetTableFilesDate(fw::TTable* table) {
    if (!table) return;
    const auto folder = FolderOfDatabase(table->DatabaseName());
    if (folder != Folder::Lokal && folder != Folder::Global) return;
    StampTableFiles(FolderPath(*folder), TableFileKey(table->TableName()));
}

// ------------------------------------------------------------------------------------------- checks

DataSetRoutine TableDefaultsOf(fw::TTable* table) {
    const auto folder = table ? FolderOfDatabase(table->DatabaseName()) : std::nullopt;
    if (!folder) return {};
    return HooksOf(*folder).TableDefaults(TableFileKey(table->TableName()));
}

DataSetRoutine TableFieldSetupOf(fw::TTable* table) {
    const auto folder = table ? FolderOfDatabase(table->DatabaseName()) : std::nullopt;
    if (!folder) return {};
    return HooksOf(*folder).TableFieldSetup(TableFileKey(table->TableName()));
}

namespace {

TLock& CheckLockOf(Folder folder) {
    switch (folder) {
    case Folder::Lokal:
        return DBMine.CheckLokalLock;
    case Folder::Global:
        return DBMine.CheckGlobalLock;
    case Folder::Link:
        break;
    }
    return DBMine.CheckLinkLock;
}

// The lock numbers of the full check, the quick check and the check by name, by folder.
std::int16_t CheckLockNumber(Folder folder, int routine) {
    static const std::int16_t numbers[3][3] = {
        {LockNo::FullCheckGlobal, LockNo::QuickCheckGlobal, LockNo::CheckByNameGlobal},
        {LockNo::FullCheckLokal, LockNo::QuickCheckLokal, LockNo::CheckByNameLokal},
        {LockNo::FullCheckLink, LockNo::QuickCheckLink, LockNo::CheckByNameLink},
    };
    return numbers[static_cast<int>(folder)][routine];
}

void CheckOnOpening(TMyTableX* table, bool thorough) {
    if (!table) return;
    const auto folder = FolderOfDatabase(table->DatabaseName());
    if (!folder) return;
    // A table not looked up yet would count as closed however many datasets have it open.
    if (table->Slot == -1) LookupSlot(*table);
    if (GetTablesOpen(*table) > 0) return;
    const std::string path = FolderPath(*folder);
    const std::string name = TableFileKey(table->TableName());
    // Each success of the limit routine closes a table, so more tries than slots would mean a limit
    // routine that answers wrongly.
    for (int tries = 0;; ++tries) {
        try {
            LockScope lock(CheckLockOf(*folder), CheckLockNumber(*folder, thorough ? 0 : 1),
                           !table->RegistryHeld);
            OptionsOf(*folder).NoRestructure = table->CheckOption;
            OptionsOf(*folder).ShowProgress = table->NoLimit;
            HooksOf(*folder).CheckTables(path, name, thorough);
            return;
        } catch (const std::exception& e) {
            if (base::IsSilent(e)) throw;
            DBMine.LastErrorMessage = e.what();
        }
        if (tries > SlotCount() + 100 || !CallOpenTableLimit(*table)) RaiseStoredError();
    }
}

} // namespace

void CheckTableFull(TMyTableX* table) {
    CheckOnOpening(table, true);
}

void CheckTableQuick(TMyTableX* table) {
    CheckOnOpening(table, false);
}

void CheckTablesOf(const std::string& tableName, const std::string& databaseName, bool thorough) {
    const auto folder = FolderOfDatabase(databaseName);
    if (!folder) return;
    const std::string path = FolderPath(*folder);
    LockScope lock(CheckLockOf(*folder), CheckLockNumber(*folder, 2));
    OptionsOf(*folder).ShowProgress = false;
    OptionsOf(*folder).NoRestructure = false;
    HooksOf(*folder).CheckTables(path, tableName.empty() ? std::string() : TableFileKey(tableName), thorough);
}

} // namespace app
