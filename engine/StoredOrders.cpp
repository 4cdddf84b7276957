// The secondary orders of large tables, kept after their definitions in the .X files: a station that opens
// such a table reads its order from there instead of reading the whole table to sort it, as long as the
// table is in the state the order was made in, and searches it by the stored keys, one chunk of them a
// search. A write cuts the stored orders off first; the next station that needs one makes it again and
// stores it.
#include "engine/TableImage.h"

#include "base/FileIo.h"
#include "base/Files.h"
#include "base/FileSystem.h"

#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace engine {
namespace {

std::int64_t SizeOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

// The head of a stored order, long enough for StoredOrderHeadBytes.
constexpr std::size_t StoredHead = 64;

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

} // namespace

codec::TableState TableImage::State() const {
    return {stamp_.Size, stamp_.MTime, static_cast<std::uint32_t>(primary_.Size())};
}

std::unique_ptr<TableImage::StoredKeys> TableImage::LoadStoredOrder(int index) {
    const codec::SecondaryDef& def = secondaries_[index];
    if (!IdsAreRanks() || def.Foreign || def.Rebuilt) return nullptr;
    const OrdersLocked locked(dbPath_);
    if (!locked.held || ChangedOnDisk()) return nullptr;
    auto s = std::make_unique<StoredKeys>();
    s->File = base::FileHandle::Open(dbPath_.parent_path() / def.XFile, O_RDONLY);
    if (!s->File) return nullptr; // made again; the definition's own reader reports a file that went
    const int fd = s->File.Get();
    const std::int64_t size = SizeOf(fd);
    const std::string head = codec::EncodeIndexDef(def, 'X');
    std::string bytes(head.size() + StoredHead, '\0');
    if (size < static_cast<std::int64_t>(bytes.size()) ||
        !base::ReadExactlyAt(fd, bytes.data(), bytes.size(), 0) || bytes.compare(0, head.size(), head) != 0)
        return nullptr;
    s->At = head.size();
    const codec::TableState state = State();
    s->Parts = SortParts(index);
    std::size_t width = 0;
    for (const SortPart& k : s->Parts)
        width += static_cast<std::size_t>(k.Bytes);
    const std::size_t headBytes =
        codec::StoredOrderHeadBytes(std::string_view(bytes).substr(s->At), state, width, StoredKeysPerPage);
    if (headBytes == 0 || static_cast<std::uint64_t>(size) < s->At + headBytes) return nullptr;
    bytes.resize(headBytes);
    if (!base::ReadExactlyAt(fd, bytes.data(), headBytes, s->At)) return nullptr;
    auto order = codec::DecodeStoredOrder(bytes, static_cast<std::uint64_t>(size) - s->At, state, width,
                                          StoredKeysPerPage);
    if (!order) return nullptr;
    s->Order = std::move(*order);
    return s;
}

bool TableImage::StoreOrder(int index, const std::vector<RowId>& all, const std::string& keys) noexcept {
    const codec::SecondaryDef& def = secondaries_[index];
    if (!IdsAreRanks() || def.Foreign || def.Rebuilt || ReadOnly()) return false;
    try {
        const OrdersLocked locked(dbPath_);
        if (!locked.held || ChangedOnDisk() || keys.empty()) return false;
        const fs::path x = dbPath_.parent_path() / def.XFile;
        const std::string head = codec::EncodeIndexDef(def, 'X');
        const std::string order =
            codec::EncodeStoredOrderHead(State(), keys.size() / all.size(), StoredKeysPerPage, all, keys);
        base::FileHandle fd = base::FileHandle::Open(x, O_RDWR);
        if (!fd) return false;
        std::string found(head.size(), '\0');
        if (!base::ReadExactlyAt(fd.Get(), found.data(), found.size(), 0) || found != head) return false;
        // The file keeps its date: the table check compares the dates of a table's files.
        const std::int64_t time = base::FileTime(x);
        const auto put = [&](const std::string& b, std::uint64_t at) {
            const base::IoResult r = base::WriteAt(fd.Get(), b.data(), b.size(), at);
            return r.Error == 0 && r.Done == b.size();
        };
        const bool stored = put(order, head.size()) && put(keys, head.size() + order.size());
        base::Fs().Truncate(fd.Get(),
                            static_cast<off_t>(head.size() + (stored ? order.size() + keys.size() : 0)));
        fd.Close();
        base::SetFileTime(x, time);
        return stored;
    } catch (const std::exception&) {
        return false; // storing the order only spares the next open the sorting
    }
}

void TableImage::DropStoredOrders() noexcept {
    for (const auto& def : secondaries_) {
        if (def.Foreign || def.Rebuilt) continue;
        try {
            const fs::path x = dbPath_.parent_path() / def.XFile;
            const std::size_t head = codec::EncodeIndexDef(def, 'X').size();
            struct stat st {};
            if (::stat(x.c_str(), &st) != 0 || static_cast<std::size_t>(st.st_size) <= head) continue;
            base::FileHandle fd = base::FileHandle::Open(x, O_WRONLY);
            if (!fd || base::Fs().Truncate(fd.Get(), static_cast<off_t>(head)) != 0) continue;
            base::SyncFileData(fd.Get());
        } catch (const std::exception&) {
            // An order left behind names the state it was made in, which this write changes.
        }
    }
}

TableImage::StoredKeys* TableImage::StoredFor(int index) {
    if (static_cast<std::size_t>(index) >= storedKeys_.size()) return nullptr;
    StoredKeys* s = storedKeys_[index].get();
    const ChunkedOrder* order = secondaryOrders_[index].get();
    return s != nullptr && order != nullptr && order->Stamp() == s->OrderStamp ? s : nullptr;
}

const std::string* TableImage::StoredPage(int index, std::size_t page) {
    StoredKeys& s = *storedKeys_[index];
    if (s.PageIndex == page) return &s.Page;
    const std::size_t w = s.Order.Width;
    std::string keys(s.Order.PageRows(page) * w, '\0');
    std::string head(StoredHead, '\0');
    // Another station may have stored the order of another state over it since: the head read after the
    // keys still names this one only when the keys are this one's.
    const bool fits = base::ReadExactlyAt(s.File.Get(), keys.data(), keys.size(),
                                          s.At + s.Order.KeysAt + page * s.Order.PerPage * w) &&
                      codec::StoredPageFits(s.Order, page, keys) &&
                      base::ReadExactlyAt(s.File.Get(), head.data(), head.size(), s.At) &&
                      codec::StoredOrderHeadBytes(head, s.Order.State, w, s.Order.PerPage) == s.Order.KeysAt;
    if (!fits) {
        storedKeys_[index].reset(); // searched by the rows from here on
        return nullptr;
    }
    s.Page = std::move(keys);
    s.PageIndex = page;
    return &s.Page;
}

} // namespace engine
