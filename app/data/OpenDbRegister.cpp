#include "app/data/OpenDbRegister.h"

#include "base/Finally.h"
#include "base/ProgramState.h"

#include "app/data/DataSetServices.h"
#include "app/data/Settings.h"
#include "app/tables/TableFiles.h"
#include "base/Text.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace app {

OpenDbRegisterState OpenDbRegister;

namespace {

std::unique_ptr<TMyTableX> ownGlobal, ownLokal;
int registrations = 0;

[[maybe_unused]] const bool stateResetRegistered = base::RegisterStateReset(base::StateLayer::App, [] {
    OpenDbRegister = OpenDbRegisterState();
    ownGlobal.reset();
    ownLokal.reset();
    registrations = 0;
});

constexpr int MaxKeyChars = 12; // the size of the register's "File" field

using base::TryFinally;

// What a routine needs of one register: the table, its lock and the numbers and codes of the routines.
struct Register {
    TMyTableX* (*Table)();
    TLock& Lock;
    std::int16_t RegisterNo, UnregisterNo, MarkNo, CountNo;
    int ClosedCode, RowMissingCode, MarkRowMissingCode, RowHeldCode;
    Folder Where;
};

const Register lokalRegister{[] { return OpenDbRegister.OpenDbLokal; },
                             DBMine.OpenDbLokalLock,
                             LockNo::RegisterLokal,
                             LockNo::UnregisterLokal,
                             LockNo::MarkChangedLokal,
                             LockNo::CheckOpenLokal,
                             OpenDbError::LokalClosed,
                             OpenDbError::LokalRowMissing,
                             OpenDbError::LokalMarkRowMissing,
                             OpenDbError::LokalRowHeld,
                             Folder::Lokal};
const Register globalRegister{[] { return OpenDbRegister.OpenDbGlobal; },
                              DBMine.OpenDbGlobalLock,
                              LockNo::RegisterGlobal,
                              LockNo::UnregisterGlobal,
                              LockNo::MarkChangedGlobal,
                              LockNo::CheckOpenGlobal,
                              OpenDbError::GlobalClosed,
                              OpenDbError::GlobalRowMissing,
                              OpenDbError::GlobalMarkRowMissing,
                              OpenDbError::GlobalRowHeld,
                              Folder::Global};

enum class Kind { None, Lokal, Global, Link };

Kind KindOf(const TMyTableX& table) {
    const std::string db = base::UpperCase(table.DatabaseName());
    if (db == "LOKAL" || db == "LOKAL2") return Kind::Lokal;
    if (db == "GLOBAL" || db == "GLOBAL2") return Kind::Global;
    if (db == "LINK") return Kind::Link;
    return Kind::None;
}

const Register& RegisterOf(Kind kind) {
    return kind == Kind::Lokal ? lokalRegister : globalRegister;
}

std::string RowKey(const TMyTableX& table) {
    std::string key = TableFileKey(table.TableName());
    if (key.empty() || base::CharCount(key) > MaxKeyChars)
        throw base::Exception("Ime tablice \"" + key + "\" ne stane u OPEN.DB.");
    return key;
}

// A register that cannot be used because its data folder went away (the program was removed while it
// ran) says so; anything else is the register's damage.
void TellFolderGone(const Register& reg) {
    const std::string folder = FolderPath(reg.Where);
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
        AbortWithMessage("Mapa s podacima " + folder +
                         " više ne postoji: program je možda uklonjen dok je radio. Zatvorite program.");
}

[[noreturn]] void RegisterFailed(const Register& reg, int code) {
    TellFolderGone(reg);
    OpenDbCorrupt(code);
}

// The register read afresh; its files gone with their folder is told as the folder's absence.
void RefreshRegister(const Register& reg, TMyTableX& table) {
    try {
        table.Refresh();
    } catch (const std::exception& e) {
        if (!base::IsSilent(e)) TellFolderGone(reg);
        throw;
    }
}

// The register, open and up to date. A closed register is opened, or (unregistration) reported.
TMyTableX& UseRegister(const Register& reg, bool openIfClosed) {
    TMyTableX* table = reg.Table();
    if (!table || !table->Active()) {
        if (!table || !openIfClosed) RegisterFailed(reg, reg.ClosedCode);
        OpenQuietly(*table);
    } else {
        RefreshRegister(reg, *table);
    }
    return *table;
}

bool FindRow(TMyTableX& reg, const std::string& key) {
    return reg.FindKey({engine::Value::Text(key)});
}

void Pause(int tries) {
    if (tries > 0 && OpenDbRegister.OpenDbEditPauseMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(OpenDbRegister.OpenDbEditPauseMs));
}

// Puts the row into edit, refreshing and trying again while another station holds it. The row must exist
// (rowMissingCode otherwise); `wanted` may decline the edit of the row as it is now. True when in edit.
template <class Wanted>
bool EditRow(const Register& reg, TMyTableX& table, const std::string& key, int rowMissingCode,
             Wanted&& wanted) {
    for (int tries = 0; tries < OpenDbRegister.OpenDbEditTries; ++tries) {
        Pause(tries);
        RefreshRegister(reg, table);
        if (!FindRow(table, key)) RegisterFailed(reg, rowMissingCode);
        if (!wanted(table)) return false;
        try {
            table.Edit();
            if (table.State() == fw::dsEdit) return true;
        } catch (const std::exception& e) {
            if (base::IsSilent(e)) throw;
        }
        CancelEditSafe(&table);
    }
    RegisterFailed(reg, reg.RowHeldCode);
}

bool Always(TMyTableX&) {
    return true;
}

int OpenOf(const TMyTableX& reg) {
    return static_cast<int>(reg.FieldByName("Open").AsInteger());
}

// Finds the row of the key or appends it; true when this station appended it.
bool FindOrAppendRow(const Register& reg, TMyTableX& table, const std::string& key) {
    for (int tries = 0; tries < OpenDbRegister.OpenDbEditTries; ++tries) {
        Pause(tries);
        if (FindRow(table, key)) return false;
        try {
            table.Append();
            table.FieldByName("File").SetAsString(key);
            table.Post();
            return true;
        } catch (const std::exception& e) {
            if (base::IsSilent(e)) throw;
            // Another station may have added the row meanwhile.
            CancelEditSafe(&table);
            table.Refresh();
        }
    }
    RegisterFailed(reg, reg.RowHeldCode);
}

struct Registration {
    bool NewRow = false;
    bool FirstOpener = false;
};

Registration RegisterRow(const Register& reg, TMyTableX& table) {
    const std::string key = RowKey(table);
    Registration result;
    LockScope lock(reg.Lock, reg.RegisterNo, !table.RegistryHeld);
    TMyTableX& regTable = UseRegister(reg, true);
    try {
        result.NewRow = FindOrAppendRow(reg, regTable, key);
        EditRow(reg, regTable, key, reg.RowMissingCode, Always);
        regTable.FieldByName("Open").SetAsInteger(OpenOf(regTable) + 1);
        regTable.Post();
        result.FirstOpener = OpenOf(regTable) == 1;
        if (result.FirstOpener && !result.NewRow &&
            EditRow(reg, regTable, key, reg.RowMissingCode, [](TMyTableX& t) { return OpenOf(t) == 1; })) {
            regTable.FieldByName("Changed").SetAsBoolean(false);
            regTable.Post();
        }
        PostEditFlush(&regTable);
    } catch (...) {
        // A row left in edit would hold its record lock against every other station.
        CancelEditSafe(&regTable);
        throw;
    }
    return result;
}

void RegisterLinkTable(TMyTableX& table) {
    FolderPath(Folder::Link); // refuses an unset link folder
    TryFinally(
        [&] {
            // Files under a table another dataset of the program has open are left alone.
            if (GetTablesOpen(table) > 0) return;
            DeleteTableFilesOf(TableFileKey(table.TableName()), table.DatabaseName());
            CheckTableFull(&table);
        },
        [] { IncOpenCount(); });
}

void UnregisterRow(const Register& reg, TMyTableX& table) {
    const std::string key = RowKey(table);
    LockScope lock(reg.Lock, reg.UnregisterNo, !table.RegistryHeld);
    TMyTableX& regTable = UseRegister(reg, false);
    try {
        EditRow(reg, regTable, key, reg.RowMissingCode, Always);
        const int open = OpenOf(regTable);
        if (open == 1) SetTableFilesDate(&table);
        // A count that is already 0 stays there: below it no opener would ever be the last one again.
        regTable.FieldByName("Open").SetAsInteger(open > 0 ? open - 1 : 0);
        regTable.Post();
        PostEditFlush(&regTable);
    } catch (...) {
        CancelEditSafe(&regTable);
        throw;
    }
}

void MarkRow(const Register& reg, TMyTableX& table) {
    const std::string key = RowKey(table);
    LockScope lock(reg.Lock, reg.MarkNo, !table.RegistryHeld);
    TMyTableX& regTable = UseRegister(reg, true);
    try {
        EditRow(reg, regTable, key, reg.MarkRowMissingCode, Always);
        regTable.FieldByName("Changed").SetAsBoolean(true);
        regTable.Post();
        PostEditFlush(&regTable);
    } catch (...) {
        CancelEditSafe(&regTable);
        throw;
    }
}

void MarkRegisterChanged(fw::TDataSet& dataSet) {
    static_cast<TMyTableX&>(dataSet).Changed = true;
}

std::unique_ptr<TMyTableX> MakeRegisterTable(const std::string& databaseName) {
    auto table = std::make_unique<TMyTableX>();
    table->SetDatabaseName(databaseName);
    table->SetTableName("OPEN.DB");
    table->BeforeOpen = [](fw::TDataSet& dataSet) { CheckTableQuick(&static_cast<TMyTableX&>(dataSet)); };
    table->AfterPost = MarkRegisterChanged;
    table->AfterDelete = MarkRegisterChanged;
    return table;
}

} // namespace

// ------------------------------------------------------------------------------------------- tables

void CreateOpenDbTables() {
    ownGlobal = MakeRegisterTable("Global");
    ownLokal = MakeRegisterTable("Lokal");
    OpenDbRegister.OpenDbGlobal = ownGlobal.get();
    OpenDbRegister.OpenDbLokal = ownLokal.get();
}

void DestroyOpenDbTables() {
    if (OpenDbRegister.OpenDbGlobal == ownGlobal.get()) OpenDbRegister.OpenDbGlobal = nullptr;
    if (OpenDbRegister.OpenDbLokal == ownLokal.get()) OpenDbRegister.OpenDbLokal = nullptr;
    ownGlobal.reset();
    ownLokal.reset();
}

// ------------------------------------------------------------------------------------------- routines

void RegisterTableOpen(TMyTableX& table) {
    const Kind kind = KindOf(table);
    if (kind == Kind::None) return;
    if (kind == Kind::Link) return RegisterLinkTable(table);
    Registration done;
    TryFinally([&] { done = RegisterRow(RegisterOf(kind), table); }, [] { IncOpenCount(); });
    if (!done.FirstOpener) return;
    if (table.CheckOnFirstRegistration)
        CheckTableFull(&table);
    else if (done.NewRow)
        Settings.CommonSettings.Safety.AutoCheck ? CheckTableFull(&table) : CheckTableQuick(&table);
}

void UnregisterTableOpen(TMyTableX& table) {
    const Kind kind = KindOf(table);
    if (kind == Kind::None) return;
    if (kind == Kind::Link) return DecOpenCount();
    TryFinally([&] { UnregisterRow(RegisterOf(kind), table); }, [] { DecOpenCount(); });
}

void MarkTableChanged(TMyTableX& table) {
    const Kind kind = KindOf(table);
    if (kind != Kind::Lokal && kind != Kind::Global) return;
    if (TableFileKey(table.TableName()) == "OPEN.DB") return;
    MarkRow(RegisterOf(kind), table);
}

int TableOpenCount(TMyTableX& table) {
    const Kind kind = KindOf(table);
    if (kind != Kind::Lokal && kind != Kind::Global) {
        LockScope lock(DBMine.OpenDbLinkLock, LockNo::CheckOpenLink, !table.RegistryHeld);
        return table.Active() ? 1 : 0;
    }
    const Register& reg = RegisterOf(kind);
    const std::string key = RowKey(table);
    LockScope lock(reg.Lock, reg.CountNo, !table.RegistryHeld);
    TMyTableX& regTable = UseRegister(reg, true);
    return FindRow(regTable, key) ? OpenOf(regTable) : 0;
}

bool OpenDbAlone(const TMyTableX& reg) {
    fw::TTable probe;
    probe.SetSessionName(reg.SessionName());
    probe.SetDatabaseName(reg.DatabaseName());
    probe.SetTableName(reg.TableName());
    probe.SetExclusive(true);
    try {
        probe.Open();
        probe.Close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

namespace {
// The index files of a table the row says was left open after changes.
void DropIndexFilesOfRow(TMyTableX& reg) {
    if (!reg.FieldByName("Changed").AsBoolean() || OpenOf(reg) == 0) return;
    const std::string name = reg.FieldByName("File").AsString();
    if (!IsPlainTableName(name)) return;
    try {
        DeleteTableIndexFiles(name, reg.DatabaseName());
    } catch (const std::exception&) {
        // The row goes anyway: a table whose files cannot be deleted is no reason to keep the register full.
    }
}
} // namespace

bool SweepOpenDb(TMyTableX& reg) {
    try {
        reg.LockTable();
    } catch (const std::exception&) {
        return false;
    }
    TryFinally(
        [&] {
            reg.First();
            // Each pass deletes a row; the bound only matters if a delete keeps failing silently.
            for (long long rows = reg.RecordCount(); rows >= 0 && !reg.IsEmpty(); --rows) {
                DropIndexFilesOfRow(reg);
                reg.Delete();
            }
        },
        [&] { reg.UnlockTable(); });
    FlushTable(&reg);
    return true;
}

void OpenDbCorrupt(int code) {
    AbortWithMessage("User error " + std::to_string(code) + ":\r\n" + "Table \"OPEN.DB\" corrupt.");
}

void IncOpenCount() {
    LockScope lock(DBMine.OpenCountLock, LockNo::IncOpenCount);
    ++registrations;
}

void DecOpenCount() {
    int code = 0;
    {
        LockScope lock(DBMine.OpenCountLock, LockNo::DecOpenCount);
        if (registrations == 0)
            code = OpenDbError::CounterZero;
        else if (--registrations < 0)
            code = OpenDbError::CounterNegative;
    }
    if (code) OpenDbCorrupt(code);
}

int OpenCount() {
    return registrations;
}

} // namespace app
