#include "app/data/DBMine.h"

#include "app/data/ChangedFields.h"
#include "app/data/Dialogs.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/DataSource.h"

#include <exception>
#include <vector>

namespace app {

DBMineState DBMine;

// ------------------------------------------------------------------------------------------- services

void AbortWithMessage(const std::string& message) {
    if (message != base::CancelText) ShowInfo(message);
    base::RaiseCancel();
}

void MemoryError(int number) {
    throw base::Exception("Memory error No. " + std::to_string(number) + " !");
}

void EnableInsertPost(fw::TDataSet& dataSet) {
    if (auto* table = dynamic_cast<TMyTableX*>(&dataSet)) table->InsertPost = true;
}

void DisableInsertPost(fw::TDataSet& dataSet) {
    if (auto* table = dynamic_cast<TMyTableX*>(&dataSet)) table->InsertPost = false;
}

bool IsValidName(const std::string& name) {
    if (name.empty() || name.size() > 50) return false;
    for (char c : name) {
        bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '@' ||
                  c == '_';
        if (!ok) return false;
    }
    return true;
}

void EngineIdle() {
    // Nothing to do: our engine writes every change through to the files at once, and a table changed by
    // another process is read again on Refresh.
}

void RaiseStoredError() {
    if (DBMine.RaiseLastError) DBMine.RaiseLastError();
    throw base::Exception(DBMine.LastErrorMessage);
}

bool CallOpenTableLimit(fw::TDataSet& dataSet) {
    return DBMine.OpenTableLimitProc && DBMine.OpenTableLimitProc(dataSet);
}

// ------------------------------------------------------------------------------------------- locks

void WaitForLock(TLock& lock) {
    ShowInfo("DeathLock_" + std::to_string(lock.A.a.load()) + " at " + std::to_string(lock.A.c) + ",\r\n" +
             "waiting for " + std::to_string(lock.A.b) + ".");
    throw base::Exception("Deathlock !?");
}

void AcquireLock(TLock& lock, std::int16_t id) {
    lock.A.c = id;
    if (lock.A.a.exchange(1) != 0) WaitForLock(lock);
    lock.A.b = id;
}

void ReleaseLock(TLock& lock, std::int16_t id) {
    if (lock.A.a.load() == 1 && lock.A.b == id) {
        lock.A.b = 0;
        lock.A.a.store(0);
        return;
    }
    AbortWithMessage("Thread error: A.a=" + std::to_string(lock.A.a.load()) +
                     ", A.b=" + std::to_string(lock.A.b) + ", A.c=" + std::to_string(lock.A.c) +
                     ", b=" + std::to_string(id));
}

LockScope::LockScope(TLock& lock, std::int16_t id, bool take) : lock_(lock), id_(id), held_(false) {
    if (!take) return;
    AcquireLock(lock, id);
    held_ = true;
}

LockScope::~LockScope() {
    if (!held_) return;
    // A release by the wrong holder has told its "Thread error" already; its cancel cannot leave here.
    try {
        ReleaseLock(lock_, id_);
    } catch (...) {
    }
}

// ------------------------------------------------------------------------------------------- registry

namespace {

struct IdleNode {
    std::uint8_t Kind;
    int Slot;
};
using IdleQueue = std::list<IdleNode>;

struct SlotRecord {
    std::uint8_t Kind = 0;
    std::string Name;
    int TablesOpen = 0;
    int EnabledCount = 0;
    std::optional<IdleQueue::iterator> Idle;
};

// Element 0 stands for the tables of databases that are not counted: always one open, one in use.
std::vector<SlotRecord> slots;
IdleQueue idleQueue;
int distinctOpen = 0;
OpenTableList openTables;

void ClearSlots() {
    slots.assign(1, SlotRecord{});
    slots[0].TablesOpen = 1;
    slots[0].EnabledCount = 1;
    idleQueue.clear();
    distinctOpen = 0;
}

struct RegistryInit {
    RegistryInit() { ClearSlots(); }
} registryInit;

void QueueIdle(int slot) {
    SlotRecord& s = slots[static_cast<std::size_t>(slot)];
    if (s.Idle) return;
    s.Idle = idleQueue.insert(idleQueue.end(), IdleNode{s.Kind, slot});
}

void DequeueIdle(int slot) {
    SlotRecord& s = slots[static_cast<std::size_t>(slot)];
    if (!s.Idle) return;
    idleQueue.erase(*s.Idle);
    s.Idle.reset();
}

std::uint8_t KindOf(const std::string& databaseName) {
    std::string db = base::UpperCase(databaseName);
    if (db == "LOKAL" || db == "LOKAL2") return 1;
    if (db == "GLOBAL" || db == "GLOBAL2") return 2;
    if (db == "LINK") return 3;
    return 0;
}

SlotRecord& SlotOf(const TMyTableX& table, const char* routine) {
    if (table.Slot < 0 || table.Slot > SlotCount())
        AbortWithMessage(std::string(routine) + ": slot out of bounds");
    return slots[static_cast<std::size_t>(table.Slot)];
}

} // namespace

int SlotCount() {
    return static_cast<int>(slots.size()) - 1;
}
std::uint8_t SlotKind(int slot) {
    return slots.at(static_cast<std::size_t>(slot)).Kind;
}
const std::string& SlotName(int slot) {
    return slots.at(static_cast<std::size_t>(slot)).Name;
}
int TablesOpen(int slot) {
    return slots.at(static_cast<std::size_t>(slot)).TablesOpen;
}
int EnabledCount(int slot) {
    return slots.at(static_cast<std::size_t>(slot)).EnabledCount;
}
int DistinctOpen() {
    return distinctOpen;
}
int IdleCount() {
    return static_cast<int>(idleQueue.size());
}
const OpenTableList& OpenTables() {
    return openTables;
}
int OpenListCount() {
    return static_cast<int>(openTables.size());
}

int IdleHeadSlot() {
    return idleQueue.empty() ? -1 : idleQueue.front().Slot;
}

std::uint8_t IdleHeadKind() {
    return idleQueue.empty() ? 0 : idleQueue.front().Kind;
}

void LookupSlot(TMyTableX& table) {
    std::uint8_t kind = KindOf(table.DatabaseName());
    if (kind == 0) {
        table.Slot = 0;
        return;
    }
    // The full name: names longer than 8 characters keep their own slot.
    std::string name = base::UpperCase(table.TableName());
    if (auto dot = name.find('.'); dot != std::string::npos) name.erase(dot);
    for (int i = 1; i <= SlotCount(); ++i)
        if (slots[static_cast<std::size_t>(i)].Kind == kind &&
            slots[static_cast<std::size_t>(i)].Name == name) {
            table.Slot = i;
            return;
        }
    SlotRecord record;
    record.Kind = kind;
    record.Name = name;
    slots.push_back(std::move(record));
    table.Slot = SlotCount();
}

int Table_Open(TMyTableX& table) {
    if (table.Slot == -1) LookupSlot(table);
    if (table.Slot < 0 || table.Slot > SlotCount()) AbortWithMessage("Table_Open index out of bounds");
    return slots[static_cast<std::size_t>(table.Slot)].TablesOpen;
}

int GetTablesOpen(TMyTableX& table) {
    LockScope lock(DBMine.RegistryLock, LockNo::GetTablesOpen, !table.RegistryHeld);
    if (table.Slot == -1) {
        LookupSlot(table);
        return 0;
    }
    if (table.Slot < 0 || table.Slot > SlotCount()) AbortWithMessage("TablesOpen index out of bounds");
    return slots[static_cast<std::size_t>(table.Slot)].TablesOpen;
}

void NewTable_Opened(TMyTableX& table) {
    LockScope lock(DBMine.RegistryLock, LockNo::NewTableOpened, !table.RegistryHeld);
    if (table.Slot == -1) LookupSlot(table);
    if (table.IsOpen) AbortWithMessage("NewTable_Opened - 2");
    if (table.Slot == 0) {
        table.IsOpen = true;
        table.IsEnabled = true;
        return;
    }
    SlotRecord& s = SlotOf(table, "NewTable_Opened");
    if (s.TablesOpen == 0) {
        ++distinctOpen;
        if (s.EnabledCount == 0) QueueIdle(table.Slot);
    }
    ++s.TablesOpen;
    table.IsOpen = true;
    if (table.IsEnabled) AbortWithMessage("NewTable_Opened - 1");
    table.IsEnabled = true;
    if (s.EnabledCount == 0) DequeueIdle(table.Slot);
    ++s.EnabledCount;
}

void NewTable_Closed(TMyTableX& table) {
    LockScope lock(DBMine.RegistryLock, LockNo::NewTableClosed, !table.RegistryHeld);
    if (table.Slot == -1) return;
    if (!table.IsOpen) AbortWithMessage("NewTable_Closed");
    if (table.Slot == 0) {
        table.IsOpen = false;
        table.IsEnabled = false;
        return;
    }
    SlotRecord& s = SlotOf(table, "NewTable_Closed");
    table.IsOpen = false;
    if (table.IsEnabled) {
        table.IsEnabled = false;
        if (--s.EnabledCount == 0) QueueIdle(table.Slot);
    }
    if (--s.TablesOpen == 0) {
        --distinctOpen;
        if (s.EnabledCount == 0) DequeueIdle(table.Slot);
    }
}

void NewTable_Enabled(TMyTableX& table) {
    LockScope lock(DBMine.RegistryLock, LockNo::NewTableEnabled, !table.RegistryHeld);
    if (table.Slot == -1) AbortWithMessage("NewTable_Enabled: Table not defined!");
    if (!table.IsOpen) AbortWithMessage("NewTable_Enabled - Error 2");
    if (table.IsEnabled) return;
    table.IsEnabled = true;
    if (table.Slot == 0) return;
    SlotRecord& s = SlotOf(table, "NewTable_Enabled");
    if (s.EnabledCount == 0) DequeueIdle(table.Slot);
    ++s.EnabledCount;
}

void NewTable_Disabled(TMyTableX& table) {
    LockScope lock(DBMine.RegistryLock, LockNo::NewTableDisabled, !table.RegistryHeld);
    if (table.Slot == -1) AbortWithMessage("NewTable_Disabled: Table not defined!");
    if (!table.IsOpen) AbortWithMessage("NewTable_Disabled - Error 2");
    if (!table.IsEnabled) return;
    table.IsEnabled = false;
    if (table.Slot == 0) return;
    SlotRecord& s = SlotOf(table, "NewTable_Disabled");
    if (--s.EnabledCount == 0) QueueIdle(table.Slot);
}

void RegisterOpenTable(TMyTableX& table) {
    if (table.ListNode) return;
    table.ListNode = openTables.insert(openTables.end(), &table);
}

void UnregisterOpenTable(TMyTableX& table) {
    if (!table.ListNode) return;
    openTables.erase(*table.ListNode);
    table.ListNode.reset();
}

void ResetRegistry() {
    LockScope lock(DBMine.RegistryLock, LockNo::ResetRegistry);
    ClearSlots();
}

namespace {
// The lock words start free again (a lock word keeps its last asker's number, which the reports show), the
// registry starts empty. Every table has gone by now: the layers above reset first. The data layers go
// back into the framework's reset hooks.
[[maybe_unused]] const bool stateResetRegistered = base::RegisterStateReset(
    base::StateLayer::App,
    [] {
        base::Reinitialise(DBMine);
        ClearSlots();
        openTables.clear();
    },
    [] { InstallDataLayers(); });
} // namespace

// ------------------------------------------------------------------------------------------- quiet
// open/close

namespace {
struct SavedFlags {
    TMyTableX& table;
    bool registryHeld, keepHandle, softClose;
    explicit SavedFlags(TMyTableX& t)
        : table(t), registryHeld(t.RegistryHeld), keepHandle(t.KeepHandle), softClose(t.SoftClose) {}
    ~SavedFlags() {
        table.RegistryHeld = registryHeld;
        table.KeepHandle = keepHandle;
        table.SoftClose = softClose;
    }
};
} // namespace

void CloseQuietly(fw::TDataSet& dataSet) {
    auto* table = dynamic_cast<TMyTableX*>(&dataSet);
    if (!table) return dataSet.Close();
    SavedFlags saved(*table);
    table->RegistryHeld = true;
    table->KeepHandle = false;
    table->SoftClose = false;
    table->Close();
}

void CloseKeepingHandle(fw::TDataSet& dataSet) {
    auto* table = dynamic_cast<TMyTableX*>(&dataSet);
    if (!table) return dataSet.Close();
    SavedFlags saved(*table);
    table->RegistryHeld = true;
    table->KeepHandle = true;
    table->SoftClose = false;
    table->Close();
}

void OpenQuietly(fw::TDataSet& dataSet) {
    auto* table = dynamic_cast<TMyTableX*>(&dataSet);
    if (!table) return dataSet.Open();
    SavedFlags saved(*table);
    table->RegistryHeld = true;
    table->Open();
}

void CloseAllListed() {
    while (!openTables.empty()) {
        TMyTableX& table = *openTables.front();
        table.Tag |= TagFinalClose;
        try {
            CloseQuietly(table);
        } catch (...) {
            table.Tag &= ~TagFinalClose;
            throw;
        }
        table.Tag &= ~TagFinalClose;
        // A table that stayed listed would be taken again for ever.
        UnregisterOpenTable(table);
    }
}

// ------------------------------------------------------------------------------------------- data links

void InstallDataLayers() {
    InstallChangedFieldLayer();
    auto& hooks = fw::DataLinkHooks();
    hooks.AroundNotify = [](fw::TDataSet& dataSet, const std::function<void()>& notify) {
        if (!DBMine.PostInProgress || DBMine.PostingDataSet) return notify();
        DBMine.PostingDataSet = &dataSet;
        try {
            notify();
        } catch (...) {
            DBMine.PostingDataSet = nullptr;
            throw;
        }
        DBMine.PostingDataSet = nullptr;
    };
    hooks.MasterMayFollow = [](fw::TMasterDataLink& link) {
        return !(DBMine.PostInProgress && DBMine.PostingDataSet &&
                 DBMine.PostingDataSet != &link.DetailDataSet());
    };
}

namespace {
struct UnitInit {
    UnitInit() { InstallDataLayers(); }
} unitInit;
} // namespace

} // namespace app
