#pragma once
// The table engine calls that the table checks make, behind an interface so that a check can run on
// another implementation (a test double that records and fails on demand).

#include "engine/Engine.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace app {

class TableEngine {
public:
    virtual ~TableEngine() = default;
    virtual bool TableExists(const std::filesystem::path& folder, const std::string& name) = 0;
    virtual void CreateTable(const std::filesystem::path& folder, const std::string& name,
                             const std::vector<engine::FieldDesc>& fields) = 0;
    virtual void DeleteTable(const std::filesystem::path& folder, const std::string& name) = 0;
    virtual void RenameTable(const std::filesystem::path& folder, const std::string& name,
                             const std::string& newName) = 0;
    virtual engine::TableInfo ReadTableInfo(const std::filesystem::path& folder, const std::string& name) = 0;
    virtual std::unique_ptr<engine::Table> OpenTable(const std::filesystem::path& folder,
                                                     const std::string& name, engine::OpenMode mode) = 0;
    // The rows that can still be read from a table too damaged to open.
    virtual engine::SalvagedTable SalvageTable(const std::filesystem::path& folder, const std::string& name) {
        return engine::SalvageTable(folder, name);
    }
};

// The engine the table checks use; set once at start-up.
void SetTableEngine(TableEngine* tableEngine);
// Raises when none was set.
TableEngine& CurrentTableEngine();

} // namespace app
