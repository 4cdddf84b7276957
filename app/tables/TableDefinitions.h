#pragma once
// The built-in definitions of every table of the three database folders (Global, Lokal and the link folder):
// fields, indexes and new-record defaults, and the per-folder hook record through which the rest of the
// program reaches a folder's table set.

#include "fw/db/FieldType.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fw {
class TDataSet;
}

namespace app {

struct FieldDefinition {
    std::string Name; // as stored, at most 30 characters
    fw::TFieldType DataType = fw::ftUnknown;
    bool CopyValue = true;  // false only for memo fields: those are copied as a whole
    std::string Default;    // text for a new record and for a field a restructure cannot fill
    std::uint16_t Size = 0; // characters of a string, bytes kept in the record of a memo
    bool Required = false;
};

struct IndexDefinition {
    std::string Name;   // empty for the primary index
    std::string Fields; // field names separated by ";", stored exactly as written
    fw::TIndexOptions Options = 0;
};

struct TableDefinition {
    std::string FileName; // upper case with its extension
    int FieldCount = 0;
    int IndexFileCount = 0; // .PX plus one X and one Y file per secondary index; 0 without indexes
    int IndexCount = 0;
    std::vector<FieldDefinition> Fields;
    std::vector<IndexDefinition> Indexes; // primary first
};

// The table lists of the three folders, in table-number order.
const std::vector<TableDefinition>& GlobalTables();
const std::vector<TableDefinition>& LokalTables();
const std::vector<TableDefinition>& LinkTables();

// The definition with exactly this file name in the list, or none.
const TableDefinition* FindTableDefinition(const std::vector<TableDefinition>& tables,
                                           const std::string& fileName);

// One new-record default: the field is set through its text form.
struct FieldDefault {
    std::string Field;
    std::string Text;
};
// The defaults of a table in field order (empty when it has none).
std::vector<FieldDefault> DefaultsOf(const TableDefinition& table);

// A routine run on a table's dataset: the new-record defaults, or the field set-up on opening.
using DataSetRoutine = std::function<void(fw::TDataSet& dataSet)>;

// The control that shows a folder's maintenance steps.
class ProgressText {
public:
    virtual ~ProgressText() = default;
    // Shows the text at once (repainted before the next step starts).
    virtual void ShowText(const std::string& text) = 0;
};

// The process-wide hook record of one folder. Before the folder's table set installs itself every routine
// does nothing and every lookup answers none.
struct FolderHooks {
    ProgressText* ProgressLabel = nullptr;
    int TableCount = 0;
    std::function<void(const std::string& folder, const std::string& fileName, bool thorough)> CheckTables =
        [](const std::string&, const std::string&, bool) {};
    std::function<DataSetRoutine(const std::string& fileName)> TableDefaults = [](const std::string&) {
        return DataSetRoutine();
    };
    std::function<DataSetRoutine(const std::string& fileName)> TableFieldSetup = [](const std::string&) {
        return DataSetRoutine();
    };
    std::function<std::string(int number)> TableNameByIndex = [](int) { return std::string(); };
};

enum class Folder { Global, Lokal, Link };

FolderHooks& HooksOf(Folder folder);

// The option flags of a folder's table checks, set by the caller immediately before each check.
struct FolderOptions {
    bool ShowProgress = false;  // show the maintenance steps on the folder's ProgressLabel
    bool NoRestructure = false; // never restructure: a table that would need it is only re-indexed
};
FolderOptions& OptionsOf(Folder folder);
const std::vector<TableDefinition>& TablesOf(Folder folder);

// Fills the folder's hook record with its defaults (keeping ProgressLabel), then installs the folder's table
// set: its table count and its routines.
void InstallTableSet(Folder folder);
void InstallTableSets();

// The routines a table set installs, usable directly.
std::string TableNameByIndex(Folder folder, int number);
DataSetRoutine TableDefaults(Folder folder, const std::string& fileName);
DataSetRoutine TableFieldSetup(Folder folder, const std::string& fileName);
// The float fields the field set-up gives the rounding Tag -11 (only Lokal tables have them).
std::vector<std::string> FieldSetupFields(Folder folder, const std::string& fileName);

// The Tag the field set-up gives to its fields: rounding slot 1, set on opening.
inline constexpr int FieldSetupTag = -11;

} // namespace app
