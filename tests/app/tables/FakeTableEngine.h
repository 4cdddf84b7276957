#pragma once
// An in-memory table engine for the table-check tests. Table contents live in memory; each table also has
// its files in the real folder (.DB, .MB, .PX and one X and one Y file per secondary index, empty), so the
// checks' file scans and deletes act on real files. The stored index list follows the index files on disk.
// Faults can be injected: failing index builds, inserts, renames and unwalkable rows.

#include "app/tables/TableEngine.h"

#include <map>
#include <set>

namespace testsupport {

// Thrown to stand for the process being killed: no handler of the code under test catches it.
struct Killed {};

struct FakeTableData {
    std::string Name; // as created (or renamed to)
    std::vector<engine::FieldDesc> Fields;
    bool Keyed = false;
    engine::IndexDesc Primary;
    std::vector<engine::IndexDesc> Secondary;
    std::vector<engine::Row> Rows; // in primary-key order when keyed
    std::int64_t Counter = 0;
    int Opens = 0;
    bool ExclusiveOpen = false;
};

class FakeTableEngine : public app::TableEngine {
public:
    bool TableExists(const std::filesystem::path& folder, const std::string& name) override;
    void CreateTable(const std::filesystem::path& folder, const std::string& name,
                     const std::vector<engine::FieldDesc>& fields) override;
    void DeleteTable(const std::filesystem::path& folder, const std::string& name) override;
    void RenameTable(const std::filesystem::path& folder, const std::string& name,
                     const std::string& newName) override;
    engine::TableInfo ReadTableInfo(const std::filesystem::path& folder, const std::string& name) override;
    std::unique_ptr<engine::Table> OpenTable(const std::filesystem::path& folder, const std::string& name,
                                             engine::OpenMode mode) override;

    // The table's data (it must exist).
    FakeTableData& Data(const std::filesystem::path& folder, const std::string& name);
    std::vector<engine::IndexDesc> StoredIndexes(const std::filesystem::path& folder,
                                                 const std::string& name);

    // Faults, by upper-case table file name.
    std::set<std::string> FailAddIndex;
    std::map<std::string, int> FailInsertAfter;  // inserts that succeed before the next one fails
    std::map<std::string, int> HiddenRows;       // rows a walk does not reach although they are counted
    int FailRenameAt = 0;                        // the n-th rename from now fails (0: none)
    std::set<std::string> FailDeleteOf;          // deleting that table fails
    std::map<std::string, int> KillAfterInserts; // the process "dies" (Killed) after that many inserts

    // Calls made.
    int Creates = 0;
    int IndexBuilds = 0;
    int Renames = 0;

private:
    friend class FakeTable;
    friend class FakeCursor;
    std::string Key(const std::filesystem::path& folder, const std::string& name) const;
    void WriteIndexFiles(const std::filesystem::path& folder, FakeTableData& data);
    void ForgetDeletedIndexes(const std::filesystem::path& folder, FakeTableData& data);
    std::map<std::string, FakeTableData> tables_; // by folder + upper-case name
};

// Sets every file of the folder to one modification time, as the last closer of a table stamps them.
void StampAll(const std::filesystem::path& folder, std::int64_t time = 1'600'000'000'000'000'000);

// Names and modification times of every file of the folder.
std::map<std::string, std::int64_t> FolderState(const std::filesystem::path& folder);

} // namespace testsupport
