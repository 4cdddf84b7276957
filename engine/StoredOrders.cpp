// The secondary orders of large tables, kept after their definitions in the .Y files (the twins of the .X
// files, which are read only when an .X is damaged, so older builds never meet them): a station that opens
// such a table reads its order from there instead of reading the whole table to sort it, as long as the
// table is in the state the order names, and searches it by the stored keys, one page of them a search. An
// edit in place that leaves an order's keys states the new state over it; any other write cuts it off
// first, and the next station that needs it makes it again and stores it.
#include "engine/TableImage.h"

#include "base/FileIo.h"
#include "base/Files.h"
#include "base/FileSystem.h"
#include "engine/codec/Bytes.h"

#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace engine {
namespace {

std::int64_t SizeOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

// The apply lock held shared while an order is read or stored: no other open's write is half done then, and
// every write cuts the stored orders off under it before it changes the table. So an order in the file is
// always one made in the table's present state. Never waited for (a write of this process may hold it).
struct OrdersLocked {
    explicit OrdersLocked(const fs::path& db) {
        try {
            lock.emplace(db);
            held = lock->TryLock(lockspace::Apply, 1, LockKind::Shared);
        } catch (const std::exception&) {
            held = false;
        }
    }
    std::optional<LockFile> lock; // closing it lets the lock go
    bool held = false;
};

// Only our own definitions with a .Y twin, read as they stand, carry an order after them.
bool CanHoldOrder(const codec::SecondaryDef& def) {
    return !def.Foreign && !def.Rebuilt && !def.YFile.empty();
}

} // namespace

codec::TableState TableImage::State() const {
    return {stamp_.Generation, stamp_.Size, stamp_.MTime, static_cast<std::uint32_t>(primary_.Size())};
}

std::unique_ptr<TableImage::StoredKeys> TableImage::LoadStoredOrder(int index) {
    const codec::SecondaryDef& def = secondaries_[index];
    if (!IdsAreRanks() || !CanHoldOrder(def)) return nullptr;
    const OrdersLocked locked(dbPath_);
    if (!locked.held || ChangedOnDisk()) return nullptr;
    auto s = std::make_unique<StoredKeys>();
    s->File = base::FileHandle::Open(dbPath_.parent_path() / def.YFile, O_RDONLY);
    if (!s->File) return nullptr; // made again; the definition's own reader reports a file that went
    const int fd = s->File.Get();
    const std::int64_t size = SizeOf(fd);
    const std::string head = codec::EncodeIndexDef(def, 'Y');
    std::string bytes(head.size() + codec::StoredOrderStart::Bytes, '\0');
    if (size < static_cast<std::int64_t>(bytes.size()) ||
        !base::ReadExactlyAt(fd, bytes.data(), bytes.size(), 0) || bytes.compare(0, head.size(), head) != 0)
        return nullptr;
    s->At = head.size();
    s->Parts = SortParts(index);
    std::size_t width = 0;
    for (const SortPart& k : s->Parts)
        width += static_cast<std::size_t>(k.Bytes);
    const auto start = codec::ReadStoredOrderStart(std::string_view(bytes).substr(s->At));
    if (!start || !(start->State == State()) || start->Width != width ||
        start->PerPage != StoredKeysPerPage || static_cast<std::uint64_t>(size) < s->At + start->HeadBytes)
        return nullptr;
    bytes.resize(start->HeadBytes);
    if (!base::ReadExactlyAt(fd, bytes.data(), bytes.size(), s->At)) return nullptr;
    auto order = codec::DecodeStoredOrder(bytes, static_cast<std::uint64_t>(size) - s->At);
    if (!order) return nullptr;
    s->Order = std::move(*order);
    return s;
}

bool TableImage::StoreOrder(int index, const std::vector<RowId>& all, const std::string& keys) noexcept {
    const codec::SecondaryDef& def = secondaries_[index];
    if (!IdsAreRanks() || !CanHoldOrder(def) || ReadOnly()) return false;
    try {
        const OrdersLocked locked(dbPath_);
        if (!locked.held || ChangedOnDisk() || keys.empty()) return false;
        const fs::path y = dbPath_.parent_path() / def.YFile;
        const std::string head = codec::EncodeIndexDef(def, 'Y');
        const std::string order =
            codec::EncodeStoredOrderHead(State(), keys.size() / all.size(), StoredKeysPerPage, all, keys);
        base::FileHandle fd = base::FileHandle::Open(y, O_RDWR);
        if (!fd) return false;
        std::string found(head.size(), '\0');
        if (!base::ReadExactlyAt(fd.Get(), found.data(), found.size(), 0) || found != head) return false;
        // The file keeps its date: the table check compares the dates of a table's files.
        const std::int64_t time = base::FileTime(y);
        const auto put = [&](const std::string& b, std::uint64_t at) {
            const base::IoResult r = base::WriteAt(fd.Get(), b.data(), b.size(), at);
            return r.Error == 0 && r.Done == b.size();
        };
        const bool stored = put(order, head.size()) && put(keys, head.size() + order.size());
        base::Fs().Truncate(fd.Get(),
                            static_cast<off_t>(head.size() + (stored ? order.size() + keys.size() : 0)));
        fd.Close();
        base::SetFileTime(y, time);
        return stored;
    } catch (const std::exception&) {
        return false; // storing the order only spares the next open the sorting
    }
}

std::vector<int> TableImage::DropStoredOrders(bool rowsMoved, const std::set<int>& keysChanged) noexcept {
    std::vector<int> kept;
    for (std::size_t i = 0; i < secondaries_.size(); ++i) {
        const codec::SecondaryDef& def = secondaries_[i];
        if (!CanHoldOrder(def)) continue;
        try {
            const fs::path y = dbPath_.parent_path() / def.YFile;
            const std::size_t head = codec::EncodeIndexDef(def, 'Y').size();
            struct stat st {};
            if (::stat(y.c_str(), &st) != 0 || static_cast<std::size_t>(st.st_size) <= head) continue;
            // An order this write leaves as it is (every row in its place, every key of the index the same)
            // only needs to name the table's new state afterwards.
            if (!rowsMoved && keysChanged.count(static_cast<int>(i)) == 0) {
                kept.push_back(static_cast<int>(i));
                continue;
            }
            base::FileHandle fd = base::FileHandle::Open(y, O_WRONLY);
            if (!fd || base::Fs().Truncate(fd.Get(), static_cast<off_t>(head)) != 0) continue;
            base::SyncFileData(fd.Get());
        } catch (const std::exception&) {
            // An order left behind names the state it was made in, which this write changes.
        }
    }
    return kept;
}

void TableImage::RestampStoredOrders(const std::vector<int>& kept, const codec::TableState& before,
                                     const codec::TableState& after) noexcept {
    for (int i : kept) {
        const codec::SecondaryDef& def = secondaries_[i];
        if (!CanHoldOrder(def)) continue;
        try {
            const fs::path y = dbPath_.parent_path() / def.YFile;
            const std::size_t at = codec::EncodeIndexDef(def, 'Y').size();
            base::FileHandle fd = base::FileHandle::Open(y, O_RDWR);
            if (!fd) continue;
            std::string start(codec::StoredOrderStart::Bytes, '\0');
            if (!base::ReadExactlyAt(fd.Get(), start.data(), start.size(), at)) continue;
            const auto s = codec::ReadStoredOrderStart(start);
            std::string sum(8, '\0');
            // Only an order of the state this write started from describes the table now.
            if (!s || !(s->State == before) ||
                !base::ReadExactlyAt(fd.Get(), sum.data(), 8, at + s->HeadBytes - 8))
                continue;
            const std::uint64_t headSum = codec::GetU64(codec::Bytes(sum));
            if (!codec::StoredStateFits(start, headSum)) continue;
            const std::string state = codec::EncodeStoredState(after, headSum);
            const std::int64_t time = base::FileTime(y); // kept, as when the order was stored
            base::WriteAt(fd.Get(), state.data(), state.size(), at);
            fd.Close();
            base::SetFileTime(y, time);
        } catch (const std::exception&) {
            // Left naming the state before the write: it is made again when next needed.
        }
    }
}

TableImage::StoredKeys* TableImage::StoredFor(int index) {
    if (static_cast<std::size_t>(index) >= std::min(storedKeys_.size(), secondaryOrders_.size()))
        return nullptr;
    StoredKeys* s = storedKeys_[index].get();
    const ChunkedOrder* order = secondaryOrders_[index].get();
    return s != nullptr && order != nullptr && order->Stamp() == s->OrderStamp ? s : nullptr;
}

const std::string* TableImage::StoredPage(int index, std::size_t page) {
    StoredKeys& s = *storedKeys_[index];
    if (s.PageIndex == page) return &s.Page;
    std::string keys(s.Order.PageRows(page) * s.Order.Start.Width, '\0');
    std::string state(codec::StoredStateBytes, '\0');
    // Another station's write may have stated a new state over it since: the state read after the keys still
    // names this one only when the keys are still this state's.
    const bool fits =
        base::ReadExactlyAt(s.File.Get(), keys.data(), keys.size(), s.At + s.Order.PageAt(page)) &&
        codec::StoredPageFits(s.Order, page, keys) &&
        base::ReadExactlyAt(s.File.Get(), state.data(), state.size(), s.At) &&
        state == codec::EncodeStoredState(s.Order.Start.State, s.Order.HeadSum);
    if (!fits) {
        storedKeys_[index].reset(); // searched by the rows from here on
        return nullptr;
    }
    s.Page = std::move(keys);
    s.PageIndex = page;
    return &s.Page;
}

} // namespace engine
