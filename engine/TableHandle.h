#pragma once
// One open of a table: its own lock description (shared or exclusive open, table lock, record locks) over the
// process's shared image of the table.

#include "engine/Engine.h"
#include "engine/FileLock.h"
#include "engine/TableImage.h"

#include <functional>
#include <memory>

namespace engine {

class TableHandle : public Table {
public:
    TableHandle(fs::path dbPath, OpenMode mode);
    ~TableHandle() override;

    const fs::path& FilePath() const override { return path_; }
    OpenMode Mode() const override { return mode_; }
    const std::vector<FieldDesc>& Fields() const override { return image_->Fields(); }
    int KeyFieldCount() const override { return image_->KeyFields(); }
    std::vector<IndexDesc> Indexes() const override { return image_->Indexes(); }
    std::int64_t RecordCount() const override { return image_->RecordCount(); }
    std::int64_t LastAutoIncValue() const override { return image_->LastAutoInc(); }

    void AddIndex(const IndexDesc& index) override;
    void DeleteIndex(const std::string& name) override;
    void Empty() override;
    void ReplaceRows(const Key& from, const Key& to, const std::vector<Row>& rows) override;
    void LockTable() override;
    void UnlockTable() override;
    void SaveChanges() override;
    bool Refresh() override;
    std::unique_ptr<Cursor> OpenCursor() override;
    std::string DamageReport() const override { return image_->DamageReport(); }

    TableImage& Image() { return *image_; }
    const std::shared_ptr<TableImage>& SharedImage() const { return image_; }
    LockFile& Locks() { return *lock_; }
    // A cursor may outlive its table: it keeps the lock description for its record lock, and knows when the
    // table is gone.
    const std::shared_ptr<LockFile>& SharedLocks() const { return lock_; }
    std::weak_ptr<char> AliveToken() const { return alive_; }
    // Runs a change of the table under the write lock, on an image that is current with the files.
    void Write(const std::function<void()>& change);

private:
    // The count of finished writes by any process, for the lock waits.
    std::function<std::uint64_t()> Changes();

    fs::path path_;
    OpenMode mode_;
    std::shared_ptr<LockFile> lock_;
    std::shared_ptr<char> alive_ = std::make_shared<char>(0);
    std::shared_ptr<TableImage> image_;
    bool tableLocked_ = false;
};

// The .DB file of a table name inside a folder ("ROBA" = "ROBA.DB"), found case-insensitively.
std::optional<fs::path> FindTableFile(const fs::path& folder, const std::string& name);
std::string TableFileName(const std::string& name);

} // namespace engine
