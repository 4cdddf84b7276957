// The secondary orders of large tables, kept after their definitions in the .Y files (the twins of the .X
// files, which are read only when an .X is damaged, so older builds never meet them): a station that opens
// such a table reads its order from there instead of reading the whole table to sort it, as long as the
// table is in the state the order names, and searches it by the stored keys, one page of them a search. A
// write logs its steps after the order it changes (rows put in, taken out, keys changed) with the new state;
// an edit in place that leaves an order's keys only states the new state over it. A write that lays the
// table out anew, or would log too many steps, cuts the order off first, and the next station that needs
// it makes it again and stores it.
#include "engine/SecondaryOrders.h"

#include "engine/TableImage.h"

#include "base/FileIo.h"
#include "base/Files.h"
#include "base/FileSystem.h"
#include "engine/codec/Bytes.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace engine {
namespace {

std::int64_t SizeOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

// The apply lock held shared while an order is read or stored: no other open's write is half done then (a
// write holds it for its whole change of the table and of the orders). So an order in the file names the
// table's present state only when it describes it. Never waited for (a write of this process may hold it).
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

codec::TableState SecondaryOrders::State() const {
    return {image_.stamp_.Generation, image_.stamp_.Size, image_.stamp_.MTime,
            static_cast<std::uint32_t>(image_.primary_.Size())};
}

std::optional<SecondaryOrders::OrderFile> SecondaryOrders::OpenStoredOrder(int index, int flags) const {
    const codec::SecondaryDef& def = image_.secondaries_[index];
    if (!CanHoldOrder(def)) return std::nullopt;
    OrderFile f;
    f.File = base::FileHandle::Open(YPath(index), flags);
    if (!f.File) return std::nullopt; // made again; the definition's own reader reports a file that went
    const int fd = f.File.Get();
    const std::int64_t size = SizeOf(fd);
    const std::string head = codec::EncodeIndexDef(def, 'Y');
    std::string bytes(head.size() + codec::StoredOrderStart::Bytes, '\0');
    if (size < static_cast<std::int64_t>(bytes.size()) ||
        !base::ReadExactlyAt(fd, bytes.data(), bytes.size(), 0) || bytes.compare(0, head.size(), head) != 0)
        return std::nullopt;
    f.At = head.size();
    f.Size = static_cast<std::uint64_t>(size);
    const auto start = codec::ReadStoredOrderStart(std::string_view(bytes).substr(f.At));
    if (!start || f.Size < f.At + codec::KeysEnd(*start)) return std::nullopt;
    f.Start = *start;
    std::string sum(8, '\0');
    if (!base::ReadExactlyAt(fd, sum.data(), 8, f.At + start->HeadBytes - 8)) return std::nullopt;
    f.HeadSum = codec::GetU64(codec::Bytes(sum));
    if (!codec::StoredStateFits(std::string_view(bytes).substr(f.At), f.HeadSum)) return std::nullopt;
    // The log after the keys: never longer than its steps can make it.
    const std::uint64_t logAt = f.At + codec::KeysEnd(*start);
    const std::uint64_t logBytes = f.Size - logAt;
    if (logBytes > codec::MaxLoggedSteps * (5 + start->Width + 16 + codec::StoredStateBytes))
        return std::nullopt;
    std::string log(logBytes, '\0');
    if (!base::ReadExactlyAt(fd, log.data(), log.size(), logAt)) return std::nullopt;
    auto decoded = codec::DecodeOrderLog(*start, f.HeadSum, log);
    if (!decoded) return std::nullopt;
    f.Log = std::move(*decoded);
    return f;
}

std::unique_ptr<SecondaryOrders::StoredKeys> SecondaryOrders::LoadStoredOrder(int index) {
    if (!IdsAreRanks()) return nullptr;
    const OrdersLocked locked(image_.dbPath_);
    if (!locked.held || image_.ChangedOnDisk()) return nullptr;
    auto f = OpenStoredOrder(index, O_RDONLY);
    if (!f || !(f->Log.State == State())) return nullptr;
    auto s = std::make_unique<StoredKeys>();
    s->Parts = SortParts(index);
    if (f->Start.Width != KeyWidth(s->Parts) || f->Start.PerPage != StoredKeysPerPage) return nullptr;
    std::string head(f->Start.HeadBytes, '\0');
    if (!base::ReadExactlyAt(f->File.Get(), head.data(), head.size(), f->At)) return nullptr;
    auto order = codec::DecodeStoredOrder(head, f->Size - f->At);
    if (!order) return nullptr;
    s->Order = std::move(*order);
    s->File = std::move(f->File);
    s->At = f->At;
    s->StateAt = f->At + f->Log.StateAt;
    s->StateBytes = codec::EncodeStoredState(f->Log.State, f->Log.Sum);
    if (f->Log.Steps.empty()) {
        s->Ids = std::move(s->Order.RecordNumbers);
        return s;
    }
    // The writes logged since: the stored rows that stayed, at their record numbers now, with the rows put
    // in merged in by their keys.
    const std::size_t rows = s->Order.RecordNumbers.size();
    const auto replayed = codec::ReplayOrderLog(static_cast<std::uint32_t>(rows), f->Log.Steps);
    if (!replayed || replayed->Rows != image_.primary_.Size()) return nullptr;
    std::vector<std::size_t> places;
    for (const auto& put : replayed->Put) {
        places.push_back(StoredPlace(*s, put.Key.data()));
        if (places.back() == SIZE_MAX) return nullptr;
        s->Put += put.Key;
    }
    s->Ids.reserve(replayed->Rows);
    std::size_t put = 0;
    for (std::size_t p = 0; p <= rows; ++p) {
        for (; put < places.size() && places[put] == p; ++put)
            s->Ids.push_back(replayed->Put[put].Rank);
        if (p == rows) break;
        const std::uint32_t now = replayed->Now[s->Order.RecordNumbers[p]];
        if (now == codec::ReplayedLog::Gone)
            s->Gone.push_back(p);
        else
            s->Ids.push_back(now);
    }
    s->Order.RecordNumbers = {};
    return s;
}

bool SecondaryOrders::StoreOrder(int index, const std::vector<RowId>& all, const std::string& keys) noexcept {
    const codec::SecondaryDef& def = image_.secondaries_[index];
    if (!IdsAreRanks() || !CanHoldOrder(def) || image_.ReadOnly()) return false;
    try {
        const OrdersLocked locked(image_.dbPath_);
        if (!locked.held || image_.ChangedOnDisk() || keys.empty()) return false;
        const fs::path y = YPath(index);
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

std::vector<SecondaryOrders::OrderChange>
SecondaryOrders::PlanStoredOrders(bool anew, const std::vector<RowStep>& steps,
                                  const codec::TableState& before) noexcept {
    std::vector<OrderChange> changes;
    for (std::size_t i = 0; i < image_.secondaries_.size(); ++i) {
        const codec::SecondaryDef& def = image_.secondaries_[i];
        if (!CanHoldOrder(def)) continue;
        try {
            const fs::path y = YPath(static_cast<int>(i));
            const std::size_t head = codec::EncodeIndexDef(def, 'Y').size();
            struct stat st {};
            if (::stat(y.c_str(), &st) != 0 || static_cast<std::size_t>(st.st_size) <= head) continue;
            OrderChange change{static_cast<int>(i), {}};
            bool log = !anew;
            if (log) {
                const std::vector<SortPart> parts = SortParts(static_cast<int>(i));
                const std::size_t width = KeyWidth(parts);
                for (const RowStep& step : steps) {
                    if (step.Index >= 0 && step.Index != static_cast<int>(i)) continue;
                    std::string key(width, '\0');
                    // A row put in and taken out again by the same write needs no key.
                    if (step.Kind != codec::StepKind::Erase && image_.Alive(step.Id))
                        PackKey(parts, image_.Rec(step.Id), codec::Bytes(key));
                    change.Steps.push_back({step.Kind, step.Rank, std::move(key)});
                }
            }
            // An order this write leaves as it is (every key of the index the same, every row at its record
            // number) only needs to name the table's new state afterwards.
            if (log && !change.Steps.empty()) {
                const auto f = OpenStoredOrder(static_cast<int>(i), O_RDONLY);
                if (!f || !(f->Log.State == before)) continue; // of another state: it is made again anyway
                log = f->Log.Steps.size() + change.Steps.size() <= codec::MaxLoggedSteps;
            }
            if (log) {
                changes.push_back(std::move(change));
                continue;
            }
            base::FileHandle fd = base::FileHandle::Open(y, O_WRONLY);
            if (!fd || base::Fs().Truncate(fd.Get(), static_cast<off_t>(head)) != 0) continue;
            base::SyncFileData(fd.Get());
        } catch (const std::exception&) {
            // An order left behind names the state it was made in, which this write changes.
        }
    }
    return changes;
}

void SecondaryOrders::FinishStoredOrders(const std::vector<OrderChange>& changes,
                                         const codec::TableState& before,
                                         const codec::TableState& after) noexcept {
    for (const OrderChange& change : changes) {
        try {
            auto f = OpenStoredOrder(change.Index, O_RDWR);
            // Only an order of the state this write started from describes the table now.
            if (!f || !(f->Log.State == before)) continue;
            const fs::path y = YPath(change.Index);
            const std::int64_t time = base::FileTime(y); // kept, as when the order was stored
            if (change.Steps.empty()) {
                const std::string state = codec::EncodeStoredState(after, f->Log.Sum);
                base::WriteAt(f->File.Get(), state.data(), state.size(), f->At + f->Log.StateAt);
            } else {
                const std::string entry = codec::EncodeLogEntry(f->Log, f->Start.Width, change.Steps, after);
                base::WriteAt(f->File.Get(), entry.data(), entry.size(), f->At + f->Log.End);
                base::Fs().Truncate(f->File.Get(), static_cast<off_t>(f->At + f->Log.End + entry.size()));
            }
            f->File.Close();
            base::SetFileTime(y, time);
        } catch (const std::exception&) {
            // Left naming the state before the write: it is made again when next needed.
        }
    }
}

SecondaryOrders::StoredKeys* SecondaryOrders::StoredFor(int index) {
    if (static_cast<std::size_t>(index) >= std::min(storedKeys_.size(), image_.secondaryOrders_.size()))
        return nullptr;
    StoredKeys* s = storedKeys_[index].get();
    const ChunkedOrder* order = image_.secondaryOrders_[index].get();
    return s != nullptr && order != nullptr && order->Stamp() == s->OrderStamp ? s : nullptr;
}

bool SecondaryOrders::ReadStoredPage(StoredKeys& s, std::size_t page) const {
    if (s.PageIndex == page) return true;
    std::string keys(s.Order.PageRows(page) * s.Order.Start.Width, '\0');
    std::string state(codec::StoredStateBytes, '\0');
    // Another station's write may have changed the order since: the state read after the keys still names
    // this one only when the keys are still this state's.
    const bool fits =
        base::ReadExactlyAt(s.File.Get(), keys.data(), keys.size(), s.At + s.Order.PageAt(page)) &&
        codec::StoredPageFits(s.Order, page, keys) &&
        base::ReadExactlyAt(s.File.Get(), state.data(), state.size(), s.StateAt) && state == s.StateBytes;
    if (!fits) return false;
    s.Page = std::move(keys);
    s.PageIndex = page;
    return true;
}

const std::string* SecondaryOrders::StoredPage(int index, std::size_t page) {
    StoredKeys& s = *storedKeys_[index];
    if (ReadStoredPage(s, page)) return &s.Page;
    storedKeys_[index].reset(); // searched by the rows from here on
    return nullptr;
}

std::size_t SecondaryOrders::StoredPlace(StoredKeys& s, const char* key) const {
    const std::size_t w = s.Order.Start.Width;
    auto below = [&](const char* k) { return std::memcmp(k, key, w) < 0; };
    std::size_t lo = 0, hi = s.Order.Pages();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (below(s.Order.FirstKeys.data() + mid * w))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0) return 0;
    if (!ReadStoredPage(s, lo - 1)) return SIZE_MAX;
    std::size_t a = 0, b = s.Page.size() / w;
    while (a < b) {
        const std::size_t mid = (a + b) / 2;
        if (below(s.Page.data() + mid * w))
            a = mid + 1;
        else
            b = mid;
    }
    return (lo - 1) * StoredKeysPerPage + a;
}

} // namespace engine
