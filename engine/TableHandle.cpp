#include "engine/TableHandle.h"

#include "base/Files.h"
#include "engine/BlockCache.h"
#include "engine/Cursor.h"
#include "engine/Errors.h"

namespace engine {
namespace {

// Writers take turns; a wait gives up only when the holder has not changed the table for this long (it is
// stuck, or keeps the table locked).
constexpr int StuckMillis = 2000;
constexpr int OpenWaitMillis = 100;

} // namespace

std::string TableFileName(const std::string& name) {
    const fs::path p(name);
    if (p.has_extension()) return name;
    return name + ".DB";
}

std::optional<fs::path> FindTableFile(const fs::path& folder, const std::string& name) {
    return base::FindFile(folder, TableFileName(name));
}

std::unique_ptr<Table> Table::Open(const fs::path& folder, const std::string& name, OpenMode mode) {
    const auto path = FindTableFile(folder, name);
    if (!path) ThrowMissing(TableFileName(name));
    return std::make_unique<TableHandle>(*path, mode);
}

TableHandle::TableHandle(fs::path dbPath, OpenMode mode) : path_(std::move(dbPath)), mode_(mode) {
    lock_ = std::make_shared<LockFile>(path_);
    const LockKind kind = mode == OpenMode::Exclusive ? LockKind::Exclusive : LockKind::Shared;
    // A closing open may hold the table exclusively for a moment while it tidies up.
    if (!lock_->LockWithin(lockspace::Table, 1, kind, OpenWaitMillis)) ThrowBusy(path_.filename().string());
    const BlockCache::Step step;
    image_ = TableImage::Get(path_);
    image_->Sync(*lock_);
}

TableHandle::~TableHandle() {
    // The last open anywhere removes the idle journal, so the folder holds only the table's own files.
    if (image_ && lock_->CanWrite() && lock_->TryLock(lockspace::Table, 1, LockKind::Exclusive) &&
        lock_->TryLock(lockspace::Write, 2, LockKind::Exclusive))
        image_->DropJournal();
    // A cursor may outlive its table and keeps this lock description for its own sake: the open's table,
    // write and record locks end here all the same.
    lock_->Unlock(lockspace::Table, lockspace::Records + lockspace::RecordSpan - lockspace::Table);
}

std::function<std::uint64_t()> TableHandle::Changes() {
    return [image = image_] { return image->WrittenGeneration(); };
}

void TableHandle::Write(const std::function<void()>& change) {
    // The write lock (unless LockTable holds it already) and the apply lock together.
    const std::int64_t start = tableLocked_ ? lockspace::Apply : lockspace::Write;
    const std::int64_t len = tableLocked_ ? 1 : 2;
    // Under our own table lock only readers of the files can be in the way, for a moment.
    const bool locked = tableLocked_ ? lock_->LockWithin(start, len, LockKind::Exclusive, StuckMillis)
                                     : lock_->LockInTurn(start, len, StuckMillis, Changes());
    if (!locked) {
        if (!lock_->CanWrite()) ThrowReadOnly(path_.filename().string());
        ThrowBusy(path_.filename().string());
    }
    const BlockCache::Step step;
    try {
        image_->PrepareWrite();
        change();
    } catch (...) {
        image_->RecoverAfterFailure();
        lock_->Unlock(start, len);
        throw;
    }
    lock_->Unlock(start, len);
}

void TableHandle::AddIndex(const IndexDesc& index) {
    if (mode_ != OpenMode::Exclusive)
        throw Error("Za promjenu indeksa tablica " + path_.filename().string() +
                    " mora biti otvorena isključivo");
    Write([&] { image_->AddIndex(index); });
}

void TableHandle::DeleteIndex(const std::string& name) {
    if (mode_ != OpenMode::Exclusive)
        throw Error("Za promjenu indeksa tablica " + path_.filename().string() +
                    " mora biti otvorena isključivo");
    Write([&] { image_->DeleteIndex(name); });
}

void TableHandle::Empty() {
    Write([&] { image_->Empty(); });
}

void TableHandle::ReplaceRows(const Key& from, const Key& to, const std::vector<Row>& rows) {
    Write([&] { image_->ReplaceRows(from, to, rows); });
}

void TableHandle::LockTable() {
    if (tableLocked_) return;
    if (!lock_->LockInTurn(lockspace::Write, 1, StuckMillis, Changes())) ThrowBusy(path_.filename().string());
    tableLocked_ = true;
}

void TableHandle::UnlockTable() {
    if (!tableLocked_) return;
    lock_->Unlock(lockspace::Write, 1);
    tableLocked_ = false;
}

// Every write already went through to the files behind the journal; a kill of the process loses nothing.
void TableHandle::SaveChanges() {}

bool TableHandle::Refresh() {
    const BlockCache::Step step;
    // Another station's restore or delete is seen here too, before the user starts to change a record.
    image_->RequireOwnFile();
    return image_->Sync(*lock_);
}

std::unique_ptr<Cursor> TableHandle::OpenCursor() {
    return std::make_unique<CursorImpl>(*this);
}

} // namespace engine
