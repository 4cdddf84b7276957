#include "app/tables/TableDefinitions.h"

#include "app/tables/TableCheck.h"
#include "app/tables/TableSchema.h"
#include "base/ProgramState.h"
#include "engine/Engine.h"
#include "fw/db/DataSet.h"
#include "fw/db/Field.h"

#include <map>

namespace app {

const TableDefinition* FindTableDefinition(const std::vector<TableDefinition>& tables,
                                           const std::string& fileName) {
    for (const auto& table : tables)
        if (table.FileName == fileName) return &table;
    return nullptr;
}

std::vector<FieldDefault> DefaultsOf(const TableDefinition& table) {
    std::vector<FieldDefault> defaults;
    for (const auto& field : table.Fields)
        if (!field.Default.empty()) defaults.push_back({field.Name, field.Default});
    return defaults;
}

namespace {

// Float fields that get the rounding Tag of slot 1 when their table is opened.
const std::map<std::string, std::vector<std::string>>& LokalFieldSetup() {
    static const std::map<std::string, std::vector<std::string>> setup = {
        {"RADNINAL.DB", {"Iznos"}},
        {"STAVKERN.DB", {"Cijena"}},
        {"S_PART.DB", {"Duguje", "Potrazuje", "Saldo"}},
    };
    return setup;
}

} // namespace

namespace {

// The folder hooks and options of the three table sets.
struct TableSetsState {
    FolderHooks Hooks[3];
    FolderOptions Options[3];
};
TableSetsState& TableSets() {
    static TableSetsState state;
    return state;
}
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { TableSets() = TableSetsState(); });

} // namespace

FolderHooks& HooksOf(Folder folder) {
    return TableSets().Hooks[static_cast<int>(folder)];
}

FolderOptions& OptionsOf(Folder folder) {
    return TableSets().Options[static_cast<int>(folder)];
}

const std::vector<TableDefinition>& TablesOf(Folder folder) {
    switch (folder) {
    case Folder::Global:
        return GlobalTables();
    case Folder::Lokal:
        return LokalTables();
    case Folder::Link:
        break;
    }
    return LinkTables();
}

std::string TableNameByIndex(Folder folder, int number) {
    const auto& tables = TablesOf(folder);
    if (number < 1 || number > int(tables.size())) return {};
    return tables[std::size_t(number - 1)].FileName;
}

DataSetRoutine TableDefaults(Folder folder, const std::string& fileName) {
    const TableDefinition* table = FindTableDefinition(TablesOf(folder), fileName);
    if (!table) return {};
    auto defaults = DefaultsOf(*table);
    if (defaults.empty()) return {};
    // Set through the text form, so "True" sets a logical field and "13" a number.
    return [defaults = std::move(defaults)](fw::TDataSet& dataSet) {
        for (const auto& d : defaults)
            if (fw::TField* field = dataSet.FindField(d.Field)) field->SetAsString(d.Text);
    };
}

std::vector<std::string> FieldSetupFields(Folder folder, const std::string& fileName) {
    if (folder != Folder::Lokal) return {};
    const auto& setup = LokalFieldSetup();
    const auto it = setup.find(fileName);
    return it == setup.end() ? std::vector<std::string>() : it->second;
}

DataSetRoutine TableFieldSetup(Folder folder, const std::string& fileName) {
    auto fields = FieldSetupFields(folder, fileName);
    if (fields.empty()) return {};
    return [fields = std::move(fields)](fw::TDataSet& dataSet) {
        for (const auto& name : fields) {
            fw::TField* field = dataSet.FindField(name);
            if (field && field->Tag == 0) field->Tag = FieldSetupTag;
        }
    };
}

void InstallTableSet(Folder folder) {
    FolderHooks& hooks = HooksOf(folder);
    ProgressText* label = hooks.ProgressLabel;
    hooks = FolderHooks();
    hooks.ProgressLabel = label;
    hooks.TableCount = int(TablesOf(folder).size());
    hooks.CheckTables = [folder](const std::string& path, const std::string& fileName, bool thorough) {
        CheckTables(folder, path, fileName, thorough);
    };
    hooks.TableDefaults = [folder](const std::string& fileName) { return TableDefaults(folder, fileName); };
    hooks.TableFieldSetup = [folder](const std::string& fileName) {
        return TableFieldSetup(folder, fileName);
    };
    hooks.TableNameByIndex = [folder](int number) { return TableNameByIndex(folder, number); };
    // The engine rebuilds a damaged index definition from these when a table opens.
    for (const auto& table : TablesOf(folder)) {
        std::vector<engine::IndexDesc> indexes;
        for (const auto& index : table.Indexes)
            indexes.push_back(EngineIndex(index));
        engine::RegisterIndexDefinitions(table.FileName, std::move(indexes));
    }
}

void InstallTableSets() {
    InstallTableSet(Folder::Global);
    InstallTableSet(Folder::Lokal);
    InstallTableSet(Folder::Link);
}

} // namespace app
