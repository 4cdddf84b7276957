#pragma once
// One table of the window-type set, opened on the engine in the table folder, with its fields by name and
// the row runs of one key prefix ("WTip", or "RN;RNS;WTip" of the copies) on the primary index.

#include "engine/Engine.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace windows {

class StoredTable {
public:
    // A table missing from the folder is made from the program's definitions first.
    StoredTable(const std::filesystem::path& folder, const std::string& name);

    engine::Table& Table() { return *table_; }
    engine::Cursor& Cursor() { return *cursor_; }
    const std::string& Name() const { return name_; }

    int Field(const std::string& name) const; // raises when the table has no such field
    engine::Row EmptyRow() const { return engine::Row(table_->Fields().size()); }
    // Integer and logical values; a null reads 0 / false.
    std::int64_t Int(const engine::Row& row, const std::string& name) const;
    std::int16_t Short(const engine::Row& row, const std::string& name) const;
    bool Bool(const engine::Row& row, const std::string& name) const;
    void Set(engine::Row& row, const std::string& name, std::int64_t value) const;
    void SetBool(engine::Row& row, const std::string& name, bool value) const;

    // The rows whose leading primary-key fields equal the prefix, in key order.
    std::vector<engine::Row> Rows(const engine::Key& prefix);
    void DeleteRows(const engine::Key& prefix);
    // Puts `rows` in place of the rows of one prefix, as one write (all of it or nothing).
    void ReplaceRows(const engine::Key& prefix, const std::vector<engine::Row>& rows);
    // Gives every row of one prefix another value of one key field (a row at a time, each moved whole).
    void MoveRows(const engine::Key& prefix, const std::string& field, std::int64_t value);

private:
    std::string name_;
    std::unique_ptr<engine::Table> table_;
    std::unique_ptr<engine::Cursor> cursor_;
    std::map<std::string, int> fields_;
};

} // namespace windows
