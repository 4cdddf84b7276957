#include "app/tables/EngineTables.h"

namespace app {

namespace {

class FileEngine : public TableEngine {
public:
    bool TableExists(const std::filesystem::path& folder, const std::string& name) override {
        return engine::TableExists(folder, name);
    }
    void CreateTable(const std::filesystem::path& folder, const std::string& name,
                     const std::vector<engine::FieldDesc>& fields) override {
        engine::CreateTable(folder, name, fields);
    }
    void DeleteTable(const std::filesystem::path& folder, const std::string& name) override {
        engine::DeleteTable(folder, name);
    }
    void RenameTable(const std::filesystem::path& folder, const std::string& name,
                     const std::string& newName) override {
        engine::RenameTable(folder, name, newName);
    }
    engine::TableInfo ReadTableInfo(const std::filesystem::path& folder, const std::string& name) override {
        return engine::ReadTableInfo(folder, name);
    }
    std::unique_ptr<engine::Table> OpenTable(const std::filesystem::path& folder, const std::string& name,
                                             engine::OpenMode mode) override {
        return engine::Table::Open(folder, name, mode);
    }
};

} // namespace

TableEngine& FileTableEngine() {
    static FileEngine instance;
    return instance;
}

} // namespace app
