#pragma once
// The program's table class and the process-wide bookkeeping of open tables: the slot registry (one slot per
// table file of the counted databases, with its open and in-use counts and the queue of idle slots the
// open-table limit closes from), the list of tables parked with their cursor kept, the eight lock words
// that catch re-entry on the one GUI thread, and the program's abort, memory-error and name-check routines.

#include "fw/db/Table.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>

namespace app {

class TMyTableX;
using OpenTableList = std::list<TMyTableX*>;

// Tag bits of a dataset used by the changed dataset layer.
inline constexpr int TagApplyingRange = 0x40;  // the open path is re-applying the master range
inline constexpr int TagLinkIncomplete = 0x80; // the last master link could not be set up completely
inline constexpr int TagFinalClose = 0x400;    // the final close of a parked table

// The table under the kit's TMyTable: its registry state and the changed open, close, parking, range and
// record-count behaviour (the overrides are the changed dataset layer).
class TMyTableX : public fw::TTable {
public:
    TMyTableX() = default;
    ~TMyTableX() override;

    // --- how the cursor handle was last created
    bool IndexOnOpen = false; // opened directly on the index (else switched to it after opening)
    std::string SavedIndexName;
    std::string SavedIndexTag; // the index's field list when it was chosen by fields
    // The table's place in the open-table list while it is parked.
    std::optional<OpenTableList::iterator> ListNode;
    bool KeepHandle = false; // closing keeps the engine cursor
    bool HandleKept = false; // the table has a cursor (an inactive one with it is parked)
    bool SoftClose = false;  // closing an open table only disables it
    bool CheckOption = false;
    bool CheckOnFirstRegistration = false;
    bool IsOpen = false;    // counted open on its slot
    bool IsEnabled = false; // counted in use on its slot
    bool RetryOpen = false; // set before the before-open handler runs again after a failed open
    bool Changed = false;
    bool InsertPost = false;
    bool NoLimit = false;
    bool RegistryHeld = false; // the registry lock is held on the table's behalf already
    // -1: not looked up yet; 0: the database is not counted; above: the registry slot.
    int Slot = -1;
    long long LastRecordCount = 0;
    long long ReportedRecordCount = 0;
    fw::TDataSetNotifyEvent OnNewLastRecord;
    bool AutoOpen = false;
    bool AutoFlush = false;
    bool FreeToModify = false;
    bool FreeToDelete = false;
    bool FreeToInsert = false;

    // A soft-closed table (open but not in use) reads as closed.
    bool Active() const override;
    void SetActive(bool value) override;
    // Inactive and holding its cursor.
    bool Parked() const { return State() == fw::dsInactive && HandleKept; }

    void First() override;
    void Last() override;
    void Refresh() override;
    void UpdateFieldDefs() override;
    void CreateTable() override;
    void AddIndex(const std::string& name, const std::string& fields, fw::TIndexOptions options) override;
    void ApplyRange() override;
    void Disconnect() override;

protected:
    void SetState(fw::TDataSetState value) override;
    void InternalOpen() override;
    void CloseCursor() override;
    std::unique_ptr<engine::Cursor> CreateHandle() override;
    void SwitchToIndexAfterOpen() override;
    void SetLinkRanges(const std::vector<fw::TField*>& masterFields) override;
    void CheckMasterRange() override;
    void MasterChanged() override;
    void DoAfterWrite() override;
    fw::TDatabase& OpenDatabase() override;

private:
    void OpenTable();
    void ReEnable();
    void CloseTable();
    void LimitAfterClose();
    void ApplyMasterRangeOnOpen();
    bool SetMasterRange();
    void CheckRecordCount(bool fromFirst);
};

// --- locks

// One lock word: A.a 0 free / 1 taken, A.b the holder's number, A.c the number of the last asker.
struct TLock {
    struct {
        std::atomic<std::int32_t> a{0};
        std::int16_t b = 0;
        std::int16_t c = 0;
    } A;
};

// The numbers callers take and release the locks with, so that a deadlock report names the routines.
namespace LockNo {
inline constexpr std::int16_t ResetRegistry = 5, GetTablesOpen = 8, NewTableClosed = 9, NewTableOpened = 10,
                              NewTableEnabled = 11, NewTableDisabled = 12;
inline constexpr std::int16_t CloseOneOpenTable = 31, LoadFormTables = 32, CloseAllFormTables = 34,
                              CloseAllDatabases = 37;
inline constexpr std::int16_t FullCheckLokal = 53, FullCheckGlobal = 54, FullCheckLink = 55,
                              QuickCheckLokal = 56, QuickCheckGlobal = 57, QuickCheckLink = 58,
                              CheckByNameLokal = 59, CheckByNameGlobal = 60, CheckByNameLink = 61;
inline constexpr std::int16_t IncOpenCount = 62, DecOpenCount = 63;
inline constexpr std::int16_t RegisterLokal = 64, RegisterGlobal = 65, UnregisterLokal = 67,
                              UnregisterGlobal = 68, MarkChangedLokal = 69, MarkChangedGlobal = 70,
                              CheckOpenLokal = 73, CheckOpenGlobal = 74, CheckOpenLink = 75;
} // namespace LockNo

// Takes the lock; a lock found taken is re-entry on the one thread: WaitForLock reports it and raises.
void AcquireLock(TLock& lock, std::int16_t id);
// Frees the lock when this caller holds it; otherwise reports "Thread error: ..." and raises "ESC".
void ReleaseLock(TLock& lock, std::int16_t id);
// Shows "DeathLock_..." with the holder's and the asker's numbers and raises "Deathlock !?".
[[noreturn]] void WaitForLock(TLock& lock);

// Takes a lock for a scope (when `take` is set) and releases it at the end of the scope.
class LockScope {
public:
    LockScope(TLock& lock, std::int16_t id, bool take = true);
    ~LockScope();
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

private:
    TLock& lock_;
    std::int16_t id_;
    bool held_;
};

// --- the slot registry

// Sets the table's slot: 0 for a database that is not counted, otherwise the slot of its kind and name
// (a new one for a name not seen yet).
void LookupSlot(TMyTableX& table);
// The slot's open count (1 for slot 0); "Table_Open index out of bounds" for a slot that does not exist.
int Table_Open(TMyTableX& table);
// As Table_Open under the registry lock, but 0 for a table not looked up yet.
int GetTablesOpen(TMyTableX& table);
void NewTable_Opened(TMyTableX& table);
void NewTable_Closed(TMyTableX& table);
void NewTable_Enabled(TMyTableX& table);
void NewTable_Disabled(TMyTableX& table);
// The slot idle longest, -1 when none is idle; its database kind (1 Lokal, 2 Global, 3 link), 0 when none.
int IdleHeadSlot();
std::uint8_t IdleHeadKind();
void RegisterOpenTable(TMyTableX& table);
void UnregisterOpenTable(TMyTableX& table);
// Forgets every slot (start-up).
void ResetRegistry();

int SlotCount();
std::uint8_t SlotKind(int slot);
const std::string& SlotName(int slot);
int TablesOpen(int slot);
int EnabledCount(int slot);
// Slots with an open table.
int DistinctOpen();
// Slots with an open table none of which is in use.
int IdleCount();
const OpenTableList& OpenTables();
int OpenListCount();

// --- closing and opening on the registry's behalf

// A real close that frees the cursor, without taking the registry lock.
void CloseQuietly(fw::TDataSet& dataSet);
// Closes but keeps the cursor: the table is parked.
void CloseKeepingHandle(fw::TDataSet& dataSet);
void OpenQuietly(fw::TDataSet& dataSet);
// Really closes every parked table (shutdown).
void CloseAllListed();

bool CallOpenTableLimit(fw::TDataSet& dataSet);
// Calls RaiseLastError; raises the stored message itself when there is no such routine or it returns.
[[noreturn]] void RaiseStoredError();

// --- the unit's process-wide values

struct DBMineState {
    // Most table files open at once before an idle one is closed ("QK.INI" "OtvoreneBaze" "Max").
    int MaxOpenTables = 100;
    // Asked to close an idle table so that another can open; true when one was closed. Start-up installs
    // the form layer's routine; the initial one closes nothing.
    std::function<bool(fw::TDataSet& dataSet)> OpenTableLimitProc = [](fw::TDataSet&) { return false; };
    // Message of the last failed open or index operation, and the routine that raises it again.
    std::string LastErrorMessage;
    std::function<void()> RaiseLastError;
    bool MultiUser = false;
    bool PostInProgress = false;
    fw::TDataSet* PostingDataSet = nullptr;
    // The eight lock words.
    TLock OpenDbLokalLock;
    TLock OpenDbGlobalLock;
    TLock OpenDbLinkLock;
    TLock OpenCountLock;
    TLock CheckLokalLock;
    TLock CheckGlobalLock;
    TLock CheckLinkLock;
    TLock RegistryLock;
};
// Reset with the program's state, together with the slot registry and the open-table list.
extern DBMineState DBMine;

// --- other services

// Shows the text (unless it is "ESC") and raises the program's cancel exception "ESC".
[[noreturn]] void AbortWithMessage(const std::string& message);
// Raises "Memory error No. " + number + " !".
[[noreturn]] void MemoryError(int number);
void EnableInsertPost(fw::TDataSet& dataSet);
void DisableInsertPost(fw::TDataSet& dataSet);
// 1 to 50 characters, each a digit, "A"-"Z", "a"-"z", "@" or "_".
bool IsValidName(const std::string& name);

// The lookup combo's key search for its current value runs only when the lookup field's name, the lookup
// table's index field names and the key field found by them are all plain names (IsValidName).
bool LookupKeySearchAllowed(const std::string& lookupField, const std::string& indexFieldNames,
                            const std::string& keyField);
// The field a lookup combo displays: the lookup-display text when it is one plain name; "" otherwise (a
// list of names or a name with other letters), and the combo then shows its value field.
std::string LookupDisplayField(const std::string& lookupDisplay);

// The database engine's idle call before browsing in multi-user mode.
void EngineIdle();

// Installs the changed field layer and the master-link filter of the post helpers (done at start-up).
void InstallDataLayers();

} // namespace app
