#include "app/tables/TableCheck.h"

#include "app/tables/RestructureValues.h"
#include "app/tables/TableEngine.h"
#include "app/tables/TableFiles.h"
#include "app/tables/TableSchema.h"
#include "base/FileIo.h"
#include "base/Files.h"
#include "base/FileSystem.h"
#include "base/ProgramState.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"

#include <cerrno>
#include <exception>
#include <functional>

namespace app {

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------------------------------------- journal

// Written completely (and to disk) before the first rename of a swap, removed after the last step.
void WriteJournal(const fs::path& folder, const std::string& fileName) {
    base::ReplaceFile(folder / SwapJournalName, fileName);
}

void RemoveJournal(const fs::path& folder) {
    const fs::path journal = base::ResolveFile(folder, SwapJournalName);
    if (base::Fs().Unlink(journal.c_str()) != 0 && errno != ENOENT) base::ThrowWriteError(journal, errno);
    if (const int error = base::SyncFolder(folder)) base::ThrowWriteError(journal, error);
}

void RecoverSwap(Folder folder, const fs::path& path);

// ---------------------------------------------------------------------------------------------- the check

class TableCheck {
public:
    TableCheck(Folder folder, const fs::path& path, const TableDefinition& table, bool thorough)
        : folder_(folder), path_(path), table_(table), base_(TableBaseName(table.FileName)),
          thorough_(thorough), engine_(CurrentTableEngine()) {}

    void Run();

private:
    // The check proper: true when the table ended sound under its name, false when the check gave up.
    bool Repair();
    bool Exists(const std::string& name) { return engine_.TableExists(path_, name); }
    void Show(const std::string& text);
    bool StoredIndexesMatch();
    bool StoredFieldsMatch();
    bool VerifyIndexes();
    bool CheckRecordCount();
    void AddIndexes(const std::string& name);
    bool Reindex();
    void MakeOrders() noexcept;
    void Create();
    void EnsureNotBusy();
    bool Restructure();
    void SetIndexFilesAside();
    std::vector<int> SourceFields(const std::vector<engine::FieldDesc>& oldFields) const;
    engine::Row CopiedRow(const engine::Row& old, const std::vector<engine::FieldDesc>& oldFields,
                          const std::vector<int>& source) const;
    bool KeepsAutoInc(const std::vector<engine::FieldDesc>& oldFields, const std::vector<int>& source) const;
    bool CopyRows();
    bool CopiedAny();
    bool CopySalvagedRows();
    void KeepCounter(engine::Table& newTable, engine::Cursor& cursor, std::int64_t oldCounter);
    void Swap();

    Folder folder_;
    fs::path path_;
    const TableDefinition& table_;
    std::string base_;
    bool thorough_;
    TableEngine& engine_;
    bool memoDamage_ = false;
    bool keepDamaged_ = false; // the salvage lost rows: the swap keeps the damaged table
    bool aside_ = false;       // the table's index files are set aside
};

void TableCheck::Show(const std::string& text) {
    ProgressText* label = HooksOf(folder_).ProgressLabel;
    if (OptionsOf(folder_).ShowProgress && label) label->ShowText(text);
}

// True when the step ran through and answered true. A failure is an answer (false), except that a table
// someone else holds is left alone: its busy error goes on to the caller.
template <class Step> bool Succeeds(Step step) {
    try {
        return step();
    } catch (const engine::TableBusy&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
}

// Walks the rows in the cursor's order and proves that exactly `count` of them are reachable.
bool WalkRows(engine::Cursor& cursor, std::int64_t count) {
    cursor.First();
    if (count <= 0) return cursor.Bof() && cursor.Eof();
    if (!cursor.OnRow() || cursor.MoveBy(count - 1) != count - 1) return false;
    if (cursor.Eof() || !cursor.OnRow()) return false;
    return !cursor.Next() && cursor.Eof();
}

// A check that gives up, or fails on the way, leaves every file of the table as it found it: the index files
// it set aside to rebuild them come back.
void TableCheck::Run() {
    if (!Exists(table_.FileName)) {
        Create();
        return;
    }
    PutIndexFilesBack(path_, base_); // a check cut short left them aside
    bool sound = false;
    try {
        sound = Repair();
    } catch (const std::exception&) {
        if (aside_) {
            try {
                PutIndexFilesBack(path_, base_);
            } catch (const std::exception&) {
                // the next check puts them back
            }
        }
        throw;
    }
    if (aside_ && sound) DropIndexFilesAside(path_, base_);
    if (aside_ && !sound) PutIndexFilesBack(path_, base_);
}

void TableCheck::SetIndexFilesAside() {
    if (aside_) return;
    aside_ = true;
    app::SetIndexFilesAside(path_, base_);
}

bool TableCheck::Repair() {
    const IndexFileScan scan = ScanIndexFiles(path_, table_.FileName, thorough_);
    bool reindex = scan.Reindex || scan.Found != table_.IndexFileCount;
    if (thorough_ && !reindex) reindex = !StoredIndexesMatch();
    if (thorough_ && !reindex) reindex = !VerifyIndexes();
    if (reindex) {
        EnsureNotBusy();
        SetIndexFilesAside();
    }
    bool restructure = (reindex || thorough_) && !StoredFieldsMatch();
    restructure = restructure || memoDamage_;
    if (reindex && !restructure) restructure = !CheckRecordCount();
    const bool noRestructure = OptionsOf(folder_).NoRestructure;
    if (restructure && !noRestructure) return Restructure();
    if (!reindex || Reindex()) return true;
    return !noRestructure && Restructure();
}

bool TableCheck::StoredIndexesMatch() {
    return Succeeds(
        [&] { return SameIndexes(engine_.ReadTableInfo(path_, table_.FileName).Indexes, table_); });
}

bool TableCheck::StoredFieldsMatch() {
    return Succeeds([&] { return SameFields(engine_.ReadTableInfo(path_, table_.FileName).Fields, table_); });
}

// Every stored index reaches every row, walked from the last index to the first.
bool TableCheck::VerifyIndexes() {
    return Succeeds([&] {
        auto table = engine_.OpenTable(path_, table_.FileName, engine::OpenMode::Exclusive);
        const auto indexes = table->Indexes();
        const std::int64_t count = table->RecordCount();
        auto cursor = table->OpenCursor();
        bool sound = true;
        for (auto index = indexes.rbegin(); sound && index != indexes.rend(); ++index) {
            const int number = index->Primary ? -1 : cursor->FindIndexByFields(index->FieldsText);
            sound = number != -2;
            if (!sound) break;
            cursor->SetIndex(number);
            cursor->First();
            sound = cursor->RecordCount() == count && WalkRows(*cursor, count);
        }
        // Texts the memo file no longer gives: the rebuilt table keeps what could be read, with its mark. (A
        // large table finds them as the walk reads its rows.)
        memoDamage_ = !table->DamageReport().empty();
        return sound;
    });
}

bool TableCheck::CheckRecordCount() {
    return Succeeds([&] {
        auto table = engine_.OpenTable(path_, table_.FileName, engine::OpenMode::Exclusive);
        auto cursor = table->OpenCursor();
        cursor->SetIndex(-1);
        return WalkRows(*cursor, table->RecordCount());
    });
}

void TableCheck::AddIndexes(const std::string& name) {
    if (table_.Indexes.empty()) return;
    auto table = engine_.OpenTable(path_, name, engine::OpenMode::Exclusive);
    // On a keyed table the primary index writes its index file anew; the key itself stays in the table.
    for (const auto& index : table_.Indexes)
        table->AddIndex(EngineIndex(index));
}

bool TableCheck::Reindex() {
    Show("- reindeksiranje -");
    const bool done = Succeeds([&] {
        AddIndexes(table_.FileName);
        return true;
    });
    if (done) MakeOrders();
    Show("");
    return done;
}

// A large table keeps each secondary order after its index definition, made by the order's first use: the
// check makes them now, not the first station that searches the table.
void TableCheck::MakeOrders() noexcept {
    try {
        auto table = engine_.OpenTable(path_, table_.FileName, engine::OpenMode::Exclusive);
        auto cursor = table->OpenCursor();
        for (const auto& index : table->Indexes()) {
            const int number = index.Primary ? -2 : cursor->FindIndexByFields(index.FieldsText);
            if (number < 0) continue;
            cursor->SetIndex(number);
            cursor->First();
        }
    } catch (const std::exception&) {
        // the first search makes them instead
    }
}

void TableCheck::Create() {
    Show("- kreiranje -");
    DeleteTableFiles(path_, base_);
    DropIndexFilesAside(path_, base_);
    // A journal left without its table must not be replayed onto the new one.
    if (const auto journal = base::FindFile(path_, base_ + ".JNL")) base::Fs().Unlink(journal->c_str());
    engine_.CreateTable(path_, table_.FileName, EngineFields(table_));
    AddIndexes(table_.FileName);
    Show("");
}

// Index files are deleted and tables rebuilt only while nobody else has the table open.
void TableCheck::EnsureNotBusy() {
    // Damaged index files do not keep the table busy: they are about to be rebuilt.
    Succeeds(
        [&] { return engine_.OpenTable(path_, table_.FileName, engine::OpenMode::Exclusive) != nullptr; });
}

// A failed copy leaves the old table as it was and keeps a partial copy that holds rows (one already kept
// stays instead); a copy that got no row is no copy.
bool TableCheck::Restructure() {
    EnsureNotBusy();
    // A swap could not start: nothing is changed for it.
    if (Exists(OldTableName))
        throw base::Exception("Tablica " + table_.FileName + " nije restrukturirana: u mapi " +
                              path_.string() + " već postoji " + OldTableName);
    Show("- restrukturiranje -");
    SetIndexFilesAside();
    bool copied = false;
    try {
        engine_.CreateTable(path_, NewTableName, EngineFields(table_));
        copied = CopyRows();
        // The new table gets its indexes before it takes the table's name, so whatever is under that name
        // is always a complete table.
        if (copied) AddIndexes(NewTableName);
    } catch (const std::exception&) {
        try {
            engine_.DeleteTable(path_, NewTableName);
        } catch (const std::exception&) {
            // The next check starts the copy afresh over whatever is left.
        }
        throw;
    }
    if (copied) {
        // The old index files go with the old table.
        DropIndexFilesAside(path_, base_);
        aside_ = false;
        Swap();
    } else if (!Exists(RestructuredPrefix + table_.FileName) && CopiedAny()) {
        engine_.RenameTable(path_, NewTableName, RestructuredPrefix + table_.FileName);
    } else {
        engine_.DeleteTable(path_, NewTableName);
    }
    Show("");
    return copied;
}

bool TableCheck::CopiedAny() {
    return Succeeds([&] {
        return engine_.OpenTable(path_, NewTableName, engine::OpenMode::Exclusive)->RecordCount() > 0;
    });
}

// Where each defined field takes its value from: the old field of the same name, or -1.
std::vector<int> TableCheck::SourceFields(const std::vector<engine::FieldDesc>& oldFields) const {
    std::vector<int> source(table_.Fields.size(), -1);
    for (std::size_t i = 0; i < table_.Fields.size(); ++i)
        for (std::size_t j = 0; j < oldFields.size() && source[i] < 0; ++j)
            if (base::SameText(oldFields[j].Name, table_.Fields[i].Name)) source[i] = int(j);
    return source;
}

engine::Row TableCheck::CopiedRow(const engine::Row& old, const std::vector<engine::FieldDesc>& oldFields,
                                  const std::vector<int>& source) const {
    engine::Row row;
    for (std::size_t i = 0; i < table_.Fields.size(); ++i) {
        const int j = source[i];
        row.push_back(
            j < 0 ? MissingFieldValue(table_.Fields[i])
                  : CopiedValue(old.at(std::size_t(j)), oldFields[std::size_t(j)].Type, table_.Fields[i]));
    }
    return row;
}

// The old numbers carry over only from an auto-increment field into the defined one.
bool TableCheck::KeepsAutoInc(const std::vector<engine::FieldDesc>& oldFields,
                              const std::vector<int>& source) const {
    return !table_.Fields.empty() && table_.Fields[0].DataType == fw::ftAutoInc && source[0] >= 0 &&
           oldFields[std::size_t(source[0])].Type == engine::FieldType::AutoInc;
}

// Copies every row of the old table, in primary-key order, field by field by name. A table too damaged to
// open gives the rows that can still be read instead. Rows that cannot be read or taken make the answer
// false; a write into the new table that the system refuses (a full disk, a failing medium) is an error of
// the check: the partial copy goes (the old table holds every row) and the error goes on to the caller.
bool TableCheck::CopyRows() {
    std::exception_ptr writeFailure;
    auto write = [&](const std::function<void()>& step) {
        try {
            step();
        } catch (const engine::IoError&) {
            writeFailure = std::current_exception();
            throw;
        }
    };
    const bool copied = Succeeds([&] {
        std::unique_ptr<engine::Table> oldTable;
        try {
            oldTable = engine_.OpenTable(path_, table_.FileName, engine::OpenMode::Exclusive);
        } catch (const engine::DamagedFile&) {
            bool salvaged = false;
            write([&] { salvaged = CopySalvagedRows(); });
            return salvaged;
        }
        auto newTable = engine_.OpenTable(path_, NewTableName, engine::OpenMode::Exclusive);
        const auto& oldFields = oldTable->Fields();
        const std::vector<int> source = SourceFields(oldFields);

        auto from = oldTable->OpenCursor();
        auto to = newTable->OpenCursor();
        from->SetIndex(-1);
        from->First();
        const std::int64_t count = oldTable->RecordCount();
        for (std::int64_t copied = 0; from->OnRow(); ++copied) {
            if (copied >= count) return false; // more rows than the table counts: not walkable
            const engine::Row row = CopiedRow(from->Read(), oldFields, source);
            write([&] { to->Insert(row); });
            from->Next();
        }
        if (to->RecordCount() != count) return false; // rows the walk did not reach would be lost
        if (KeepsAutoInc(oldFields, source))
            write([&] { KeepCounter(*newTable, *to, oldTable->LastAutoIncValue()); });
        return true;
    });
    if (writeFailure) std::rethrow_exception(writeFailure); // the restructure lets the partial copy go
    return copied;
}

bool TableCheck::CopySalvagedRows() {
    const engine::SalvagedTable old = engine_.SalvageTable(path_, table_.FileName);
    const auto& r = old.Report;
    Show("- spašeno " + std::to_string(r.RowsKept) + " slogova, odbačeno " +
         std::to_string(r.RowsDropped + r.DuplicateKeys) + " slogova i " + std::to_string(r.BlocksDropped) +
         " blokova -");
    // Rows counted but none read (a table cut back to its header): a rebuilt table would be an empty one.
    // The table stays as it is, reported damaged at every open, for its rows to be brought back.
    if (r.RowsKept == 0 && r.RowsCounted > 0) {
        Show("- tablica " + table_.FileName + " je oštećena: nijedan od " + std::to_string(r.RowsCounted) +
             " slogova nije čitljiv -");
        return false;
    }
    keepDamaged_ = r.RowsKept < r.RowsCounted || r.RowsDropped + r.DuplicateKeys + r.BlocksDropped > 0;
    auto newTable = engine_.OpenTable(path_, NewTableName, engine::OpenMode::Exclusive);
    auto to = newTable->OpenCursor();
    const std::vector<int> source = SourceFields(old.Fields);
    for (const auto& row : old.Rows)
        to->Insert(CopiedRow(row, old.Fields, source));
    if (KeepsAutoInc(old.Fields, source)) KeepCounter(*newTable, *to, old.LastAutoIncValue);
    return true;
}

// Numbers the old table handed out and then deleted are never handed out again.
void TableCheck::KeepCounter(engine::Table& newTable, engine::Cursor& cursor, std::int64_t oldCounter) {
    if (newTable.LastAutoIncValue() >= oldCounter) return;
    engine::Row filler(table_.Fields.size());
    filler[0] = engine::Value::Int(oldCounter);
    cursor.Insert(std::move(filler));
    cursor.Delete();
}

void TableCheck::Swap() {
    WriteJournal(path_, table_.FileName);
    try {
        engine_.RenameTable(path_, table_.FileName, OldTableName);
        engine_.RenameTable(path_, NewTableName, table_.FileName);
        if (keepDamaged_) {
            // The newest damaged table is the one worth keeping: it holds the latest rows.
            const std::string damaged = DamagedPrefix + table_.FileName;
            if (Exists(damaged)) engine_.DeleteTable(path_, damaged);
            engine_.RenameTable(path_, OldTableName, damaged);
            Show("- oštećena tablica sačuvana je kao " + damaged + " -");
        } else {
            engine_.DeleteTable(path_, OldTableName);
        }
        RemoveJournal(path_);
    } catch (const std::exception& e) {
        if (base::IsSilent(e)) throw;
        // The journal is on disk: finishing the swap from it now, as the next check would, leaves the table
        // whole under its name; only a second failure is reported.
        RecoverSwap(folder_, path_);
    }
}

// ---------------------------------------------------------------------------------------------- recovery

std::string ReadJournal(const fs::path& file) {
    return base::Trim(base::ReadWholeFile(file));
}

// Finishes a swap that was cut short: the rebuilt table takes the table's name if it is complete, otherwise
// the old table gets its name back. Never leaves the name without a table while either copy exists.
void RecoverSwap(Folder folder, const fs::path& path) {
    const auto journal = base::FindFile(path, SwapJournalName);
    if (!journal) return;
    const std::string name = ReadJournal(*journal);
    if (!IsPlainTableName(name) || !FindTableDefinition(TablesOf(folder), name)) {
        RemoveJournal(path);
        return;
    }
    TableEngine& engine = CurrentTableEngine();
    auto exists = [&](const std::string& n) { return engine.TableExists(path, n); };
    if (exists(NewTableName)) {
        if (exists(name) && exists(OldTableName))
            throw base::Exception("Tablica " + name + " nije restrukturirana do kraja: u mapi " +
                                  path.string() + " su " + name + ", " + NewTableName + " i " + OldTableName);
        if (exists(name)) engine.RenameTable(path, name, OldTableName);
        engine.RenameTable(path, NewTableName, name);
    }
    if (exists(OldTableName)) {
        if (exists(name))
            engine.DeleteTable(path, OldTableName);
        else
            engine.RenameTable(path, OldTableName, name);
    }
    RemoveJournal(path);
}

// A check of each folder under way.
bool checking[3] = {false, false, false};
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { checking[0] = checking[1] = checking[2] = false; });

// The busy flag of each folder: a nested check of the same folder returns at once.
class BusyFlag {
public:
    explicit BusyFlag(Folder folder) : flag_(Flags()[static_cast<int>(folder)]) {
        taken_ = !flag_;
        flag_ = true;
    }
    ~BusyFlag() {
        if (taken_) flag_ = false;
    }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;
    bool Taken() const { return taken_; }

private:
    static bool* Flags() { return checking; }
    bool& flag_;
    bool taken_ = false;
};

} // namespace

void CheckTables(Folder folder, const std::string& folderPath, const std::string& fileName, bool thorough) {
    // An empty path would mean the working folder, whose files are none of ours.
    if (folderPath.empty()) throw base::Exception("Mapa baze podataka nije zadana");
    BusyFlag busy(folder);
    if (!busy.Taken()) return;
    const fs::path path(folderPath);
    RecoverSwap(folder, path);
    if (fileName.empty()) {
        for (const auto& table : TablesOf(folder))
            TableCheck(folder, path, table, thorough).Run();
    } else if (const TableDefinition* table = FindTableDefinition(TablesOf(folder), fileName)) {
        TableCheck(folder, path, *table, thorough).Run();
    }
}

} // namespace app
