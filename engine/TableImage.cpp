#include "engine/TableImage.h"

#include "base/FileIo.h"
#include "base/Files.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "engine/codec/Bytes.h"
#include "engine/Errors.h"
#include "engine/TableRefresh.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {
namespace {

constexpr std::size_t NoChunk = SIZE_MAX;
constexpr RowId NoRow = UINT32_MAX;

struct ReadState {
    std::uint64_t ByBlockFrom = 4u << 20;
};
ReadState& Reading() {
    static ReadState state;
    return state;
}
[[maybe_unused]] const bool readStateRegistered =
    base::RegisterStateReset(base::StateLayer::Engine, [] { base::Reinitialise(Reading()); });

std::map<std::string, std::weak_ptr<TableImage>>& Registry() {
    static std::map<std::string, std::weak_ptr<TableImage>> registry;
    return registry;
}

std::string RegistryKey(const fs::path& p) {
    std::error_code ec;
    const fs::path c = fs::weakly_canonical(p, ec);
    return (ec ? p : c).string();
}

// The companion files' names as the folder has them, from one look at the folder; one it does not hold gets
// the .DB's stem and the extension in the case of the .DB's own.
} // namespace

struct TableImage::CompanionNames {
    fs::path Px, Mb, Jnl;
};

TableImage::CompanionNames TableImage::Companions(const fs::path& db) {
    const std::string dbExt = db.extension().string();
    const bool lower = dbExt.size() > 1 && std::islower(static_cast<unsigned char>(dbExt[1]));
    const std::string stem = db.stem().string();
    auto made = [&](std::string ext) {
        if (lower)
            for (char& c : ext)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return db.parent_path() / (stem + ext);
    };
    CompanionNames names{made(".PX"), made(".MB"), made(".JNL")};
    const std::string upperStem = base::UpperCase(stem);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(db.parent_path(), ec)) {
        const fs::path& p = entry.path();
        if (base::UpperCase(p.stem().string()) != upperStem) continue;
        const std::string ext = base::UpperCase(p.extension().string());
        fs::path* name = ext == ".PX"    ? &names.Px
                         : ext == ".MB"  ? &names.Mb
                         : ext == ".JNL" ? &names.Jnl
                                         : nullptr;
        // Of several spellings, the one the program makes comes first.
        if (name != nullptr && !(*name != p && fs::exists(*name, ec))) *name = p;
    }
    return names;
}

namespace {

std::string ReadFileBytes(int fd, std::uint64_t offset, std::size_t len, const std::string& name) {
    std::string b(len, '\0');
    const base::IoResult r = base::ReadAt(fd, b.data(), len, offset);
    if (r.Error != 0) ThrowIo(name, r.Error);
    if (r.Done < len) ThrowDamaged(name);
    return b;
}

std::string UpperExt(const std::string& fileName) {
    std::string ext = fs::path(fileName).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

std::int64_t FileSizeOf(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return -1;
    return st.st_size;
}

} // namespace

void SetReadByBlockFrom(std::uint64_t bytes) {
    Reading().ByBlockFrom = bytes;
}

std::uint64_t ReadByBlockFrom() {
    return Reading().ByBlockFrom;
}

// ------------------------------------------------------------------------------------------------ registry

std::shared_ptr<TableImage> TableImage::Get(const fs::path& dbPath) {
    auto& reg = Registry();
    const std::string key = RegistryKey(dbPath);
    if (auto it = reg.find(key); it != reg.end()) {
        // An image of files replaced since (a restore) stays with the opens that have it, which write no
        // more; a new open reads the table the path holds now.
        if (auto image = it->second.lock(); image && !image->ReplacedAtPath()) return image;
    }
    auto image = std::make_shared<TableImage>(dbPath);
    reg[key] = image;
    return image;
}

bool TableImage::IsOpenInProcess(const fs::path& dbPath) {
    auto& reg = Registry();
    const auto it = reg.find(RegistryKey(dbPath));
    return it != reg.end() && !it->second.expired();
}

TableImage::TableImage(fs::path dbPath) : TableImage(dbPath, Companions(dbPath)) {}

TableImage::TableImage(fs::path dbPath, const CompanionNames& names)
    : dbPath_(std::move(dbPath)), name_(dbPath_.filename().string()),
      files_(dbPath_, names.Px, names.Mb, name_), journal_(names.Jnl, name_) {}

TableImage::~TableImage() {
    Uncache();
    auto& reg = Registry();
    const auto it = reg.find(RegistryKey(dbPath_));
    if (it != reg.end() && it->second.expired()) reg.erase(it);
}

// ------------------------------------------------------------------------------------------------ loading

namespace {

std::int64_t Nanoseconds(const struct timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The clock file times are taken from, without a call into the kernel.
std::int64_t CoarseNow() {
    struct timespec t {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &t);
    return Nanoseconds(t);
}

// The coarsest file times a data folder may have (FAT keeps even seconds).
constexpr std::int64_t FileTimeStep = 2000000000;

} // namespace

// Whether the .DB's size or time is not the stamp's (or the file cannot be looked at).
bool TableImage::DbFileChanged() {
    const int fd = files_.Fd(TableFile::Db, false);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return true;
    return st.st_size != stamp_.Size || Nanoseconds(st.st_mtim) != stamp_.MTime;
}

bool TableImage::ChangedOnDisk() {
    return DbFileChanged() || journal_.Generation() != stamp_.Generation;
}

// Whether the .DB's blocks may have changed since the stamp. Every write to the file sets its time to the
// clock's, so once the stamp was found to stand a whole file-time step after the file's time, an unchanged
// time says that no write has touched the file since: the journal (which tells apart two writes within one
// step, and one half way through) need not be asked for every block read.
bool TableImage::BlocksChangedOnDisk() {
    const std::int64_t now = CoarseNow(); // taken before the file is looked at
    if (DbFileChanged()) return true;
    // A clock set back since could hand a later write the same time again.
    if (settledAt_ != 0 && now >= settledAt_) return false;
    if (journal_.Generation() != stamp_.Generation) return true;
    if (now >= stamp_.MTime + FileTimeStep) settledAt_ = now;
    return false;
}

void TableImage::UpdateStamp(std::uint64_t generation) {
    const int fd = files_.Fd(TableFile::Db, false);
    struct stat st {};
    stamp_.Generation = generation;
    settledAt_ = 0;
    if (fd >= 0 && ::fstat(fd, &st) == 0) {
        stamp_.Size = st.st_size;
        stamp_.MTime = Nanoseconds(st.st_mtim);
    }
}

bool TableImage::Sync(LockFile& lock) {
    if (loaded_ && !stale_ && !ChangedOnDisk()) return false;
    // Read under the apply lock so no writer is half way through its files; a writable open also replays
    // a write that a killed process left in the journal.
    const LockKind kind = lock.CanWrite() ? LockKind::Exclusive : LockKind::Shared;
    if (!lock.LockBetweenWrites(lockspace::Apply, 1, kind, 10000)) ThrowBusy(name_);
    try {
        const bool recovered = lock.CanWrite() && !files_.ReadOnly() && journal_.Recover(files_);
        if (recovered || !CatchUp()) Load();
        if (lock.CanWrite()) RepairIndexFiles();
    } catch (...) {
        lock.Unlock(lockspace::Apply, 1);
        throw;
    }
    lock.Unlock(lockspace::Apply, 1);
    return true;
}

bool TableImage::ReplacedAtPath() {
    const int fd = files_.Fd(TableFile::Db, false);
    struct stat open {};
    // Nothing open yet: whatever the path holds is read when it is opened.
    if (fd < 0 || ::fstat(fd, &open) != 0) return false;
    struct stat atPath {};
    if (::stat(dbPath_.c_str(), &atPath) != 0) return true;
    return atPath.st_dev != open.st_dev || atPath.st_ino != open.st_ino;
}

void TableImage::RequireOwnFile() {
    if (ReplacedAtPath()) ThrowReplaced(name_);
}

void TableImage::PrepareWrite() {
    if (files_.ReadOnly()) throw Error("Tablica " + name_ + " je samo za čitanje");
    // Before the journal is replayed or anything written: an unlinked file would take the write and lose it.
    RequireOwnFile();
    const bool recovered = journal_.Recover(files_);
    if (recovered || stale_ || !loaded_ || ChangedOnDisk())
        if (recovered || !CatchUp()) Load();
    try {
        // A write may change chunks anywhere: a large table's are all made first.
        primary_.MakeAll();
    } catch (const Outdated&) {
        Load(); // an entry of the .PX was not one of ours: read the table whole
    }
    RepairIndexFiles();
    if (!memoFields_.empty() && !memoMap_) LoadMemoMap();
    // Blobs are stored only where the memo file's layout is known.
    if (!memoFields_.empty() && mbBroken_) ThrowDamaged(mbName_);
}

bool TableImage::CatchUp() {
    try {
        TableRefresh refresh(*this);
        std::optional<RefreshPlan> plan = refresh.Plan();
        return plan && refresh.Apply(*plan);
    } catch (const Outdated&) {
        return false; // a block did not read as the .PX said: the whole read sorts it out
    }
}

void TableImage::RecoverAfterFailure() noexcept {
    if (!stale_) return;
    try {
        journal_.Recover(files_);
        Load();
    } catch (const std::exception&) {
        // Still stale: the next open, refresh or write tries again and reports what is wrong.
    }
}

void TableImage::Load() {
    const int fd = files_.Fd(TableFile::Db, false);
    if (fd < 0) ThrowMissing(name_);
    const std::int64_t size = FileSizeOf(fd);
    if (size < 0) ThrowIo(name_, errno);
    const std::size_t headLen = static_cast<std::size_t>(std::min<std::int64_t>(size, 0x10000));
    std::string head = ReadFileBytes(fd, 0, headLen, name_);
    codec::DbHeader h = codec::ParseDbHeader(head, static_cast<std::uint64_t>(size), name_);
    if (h.FileType != codec::FileKeyed && h.FileType != codec::FileUnkeyed) ThrowDamaged(name_);
    if ((h.FileType == codec::FileKeyed) != (h.KeyFields > 0)) ThrowDamaged(name_);
    for (int i = 0; i < h.KeyFields; ++i)
        if (codec::IsMemoType(h.Fields[i].Code)) ThrowDamaged(name_);
    head.resize(h.HeaderSize);
    if (LoadByBlock(h, head, size)) return;

    // Walk the block chain, bounded by the number of blocks, and check every count against the block size.
    const int bs = h.BlockSize();
    const int per = h.RecordsPerBlock();
    const std::string data =
        h.FileBlocks == 0
            ? std::string()
            : ReadFileBytes(fd, h.HeaderSize, static_cast<std::size_t>(h.FileBlocks) * bs, name_);
    struct LoadedBlock {
        std::uint16_t Number;
        int Count;
    };
    std::vector<LoadedBlock> chain;
    std::vector<bool> visited(h.FileBlocks + 1u, false);
    std::uint64_t total = 0;
    for (std::uint16_t b = h.FirstBlock; b != 0;) {
        if (b > h.FileBlocks || visited[b]) ThrowDamaged(name_);
        visited[b] = true;
        const auto* p = codec::Bytes(data) + static_cast<std::size_t>(b - 1) * bs;
        const auto add = static_cast<std::int16_t>(codec::GetU16(p + 4));
        int count = 0;
        if (add >= 0) {
            if (add % h.RecordSize != 0) ThrowDamaged(name_);
            count = add / h.RecordSize + 1;
            if (count > per) ThrowDamaged(name_);
        }
        chain.push_back({b, count});
        total += static_cast<std::uint64_t>(count);
        b = codec::GetU16(p);
    }
    if (total != h.NumRecords) ThrowDamaged(name_);

    // Keep the ids of rows we already knew (by key, or by their bytes in an unkeyed table). A keyed table's
    // rows come in key order (the key's bytes compare as the key does), so its known rows are met by walking
    // the old order alongside; a chain out of order is refused below anyway.
    const int keyBytes = h.IdentityBytes();
    const bool same = loaded_ && h.RecordSize == hdr_.RecordSize && h.KeyFields == hdr_.KeyFields;
    std::unordered_multimap<std::string, RowId> known;
    std::vector<RowId> knownInOrder;
    std::size_t nextKnown = 0;
    if (same && h.KeyFields > 0) {
        knownInOrder.reserve(primary_.Size());
        // Rows of a table read by block that were never read need no old id: nothing can stand on them.
        for (std::size_t i = 0; i < primary_.ChunkCount(); ++i)
            if (const Chunk* c = primary_.IfMade(i))
                for (RowId id : c->Ids())
                    if (rows_[id]) knownInOrder.push_back(id);
    } else if (same) {
        for (RowId id = 0; id < rows_.size(); ++id)
            if (rows_[id])
                known.emplace(std::string(reinterpret_cast<const char*>(rows_[id].get()), keyBytes), id);
    }
    RecordArray rows;
    RowId fresh = static_cast<RowId>(rows_.size());
    std::vector<std::vector<RowId>> blockIds;
    // From here on rows move out of the old state: any failure leaves nothing half-read behind.
    try {
        for (const auto& blk : chain) {
            std::vector<RowId> ids;
            const auto* p = codec::Bytes(data) + static_cast<std::size_t>(blk.Number - 1) * bs + 6;
            for (int i = 0; i < blk.Count; ++i, p += h.RecordSize) {
                RowId id = NoRow;
                while (nextKnown < knownInOrder.size() &&
                       std::memcmp(rows_[knownInOrder[nextKnown]].get(), p, keyBytes) < 0)
                    ++nextKnown;
                if (nextKnown < knownInOrder.size() &&
                    std::memcmp(rows_[knownInOrder[nextKnown]].get(), p, keyBytes) == 0)
                    id = knownInOrder[nextKnown++];
                if (id == NoRow && !known.empty()) {
                    const auto it = known.find(std::string(reinterpret_cast<const char*>(p), keyBytes));
                    if (it != known.end()) {
                        id = it->second;
                        known.erase(it);
                    }
                }
                if (id == NoRow) id = fresh++;
                if (id >= rows.size()) rows.resize(std::max<std::size_t>(id + 1, rows.size() * 3 / 2 + 16));
                // An unchanged row keeps its buffer: another writer's change costs a read, not a copy of all.
                if (id < rows_.size() && rows_[id] && std::memcmp(rows_[id].get(), p, h.RecordSize) == 0) {
                    rows.Slot(id) = rows_.Take(id);
                } else {
                    auto& row = rows.Slot(id);
                    row = std::make_unique_for_overwrite<unsigned char[]>(h.RecordSize);
                    std::memcpy(row.get(), p, h.RecordSize);
                }
                ids.push_back(id);
            }
            blockIds.push_back(std::move(ids));
        }
    } catch (...) {
        Forget();
        throw;
    }
    rows.resize(fresh);

    // Take the new state; if a companion file then turns out damaged, nothing half-read is left behind.
    std::vector<std::pair<std::uint16_t, int>> numbers;
    for (const auto& blk : chain)
        numbers.emplace_back(blk.Number, blk.Count);
    try {
        Adopt(std::move(h), std::move(head), std::move(rows), numbers, blockIds);
    } catch (...) {
        Forget();
        throw;
    }
}

void TableImage::Forget() noexcept {
    Uncache();
    rows_.clear();
    rowChunk_.clear();
    primary_.Clear();
    blockOwner_.clear();
    blockOwner_.resize(1);
    freeBlocks_.clear();
    fileBlocks_ = 0;
    secondaries_.clear();
    secondaryOrders_.clear();
    orders_.Forget();
    secondaryRules_.clear();
    memos_.clear();
    pxPending_.clear();
    byBlock_ = false;
    loaded_ = false;
    stale_ = true;
    ++version_;
}

void TableImage::Adopt(codec::DbHeader h, std::string head, RecordArray rows,
                       const std::vector<std::pair<std::uint16_t, int>>& chain,
                       std::vector<std::vector<RowId>>& blockIds) {
    const int per = h.RecordsPerBlock();
    AdoptHeader(std::move(h), std::move(head));
    rows_ = std::move(rows);
    byBlock_ = false;
    Uncache();
    memos_.clear();
    secondaries_.clear(); // read again below, against the new field list
    secondaryOrders_.clear();
    orders_.Forget();
    BuildRules();

    primary_ = ChunkedOrder(static_cast<std::size_t>(per));
    rowChunk_.clear();
    if (hdr_.KeyFields == 0) primary_.TrackRows(&rowChunk_);
    blockOwner_.clear();
    blockOwner_.resize(hdr_.FileBlocks + 1u);
    freeBlocks_.clear();
    fileBlocks_ = hdr_.FileBlocks;
    relayout_ = false;
    // A keyed table's rows stand in strictly rising key order along the chain. Rows out of order or with a
    // repeated key would hide from key searches while a walk shows them: such a table is damaged (the table
    // check rebuilds it from what a salvage keeps).
    if (hdr_.KeyFields > 0) {
        const unsigned char* prev = nullptr;
        for (const auto& ids : blockIds)
            for (RowId id : ids) {
                if (prev != nullptr && primaryRule_.Compare(prev, rows_[id].get()) >= 0) ThrowDamaged(name_);
                prev = rows_[id].get();
            }
    }
    // An empty block left in the chain by another writer is rewritten away with all the others.
    const bool sorted = std::all_of(chain.begin(), chain.end(), [](const auto& c) { return c.second > 0; });
    if (sorted) {
        for (std::size_t i = 0; i < chain.size(); ++i) {
            if (blockIds[i].empty()) continue;
            blockOwner_.Slot(chain[i].first) = primary_.AppendChunk(std::move(blockIds[i]), chain[i].first);
        }
        for (std::uint16_t b = 1; b <= fileBlocks_; ++b)
            if (blockOwner_[b] == nullptr) freeBlocks_.insert(b);
    } else {
        // Empty blocks in the chain: lay the rows out anew and rewrite the blocks at the next write.
        std::vector<RowId> all;
        for (auto& ids : blockIds)
            all.insert(all.end(), ids.begin(), ids.end());
        LayOutBlocks(std::move(all));
        relayout_ = true;
    }

    if (!memoFields_.empty()) LoadMemos(rows_);

    LoadPrimaryIndexFile();
    AdoptIndexes();
}

void TableImage::AdoptHeader(codec::DbHeader h, std::string head) {
    hdr_ = std::move(h);
    hdrBytes_ = std::move(head);
    cp_ = std::make_unique<codec::CodePage>(hdr_.CodePage);
    for (int b = 0; b < 256; ++b)
        upper_[b] = cp_->Upper(static_cast<unsigned char>(b));
    layout_ = hdr_.Fields;
    fields_.clear();
    memoFields_.clear();
    for (std::size_t i = 0; i < layout_.size(); ++i) {
        fields_.push_back(layout_[i].Desc);
        if (codec::IsMemoType(layout_[i].Code)) memoFields_.push_back(static_cast<int>(i));
    }
}

// The secondary index definitions, read against the adopted field list; then the image is current.
void TableImage::AdoptIndexes() {
    std::vector<codec::DamagedIndexFile> damagedIndexes;
    secondaries_ = codec::ReadIndexDefs(dbPath_, layout_, hdr_.KeyFields, &damagedIndexes);
    if (!damagedIndexes.empty()) RebuildIndexDefinitions(damagedIndexes);
    for (const auto& s : secondaries_)
        for (int n : s.FieldNumbers)
            if (codec::IsMemoType(layout_[n].Code)) ThrowDamaged(s.XFile);
    secondaryOrders_.clear();
    orders_.Forget();
    secondaryOrders_.resize(secondaries_.size());
    BuildRules();

    UpdateStamp(journal_.Generation());
    ++version_;
    loaded_ = true;
    stale_ = false;
}

// The rows, not the .PX, give the primary order: the .PX is only compared with what the rows make of it,
// and whatever differs (all of it when the file is missing or damaged) is written with the next change.
void TableImage::LoadPrimaryIndexFile() {
    files_.Close(TableFile::Px); // the file now under the name, not one deleted since it was opened
    const int pxFd = files_.Fd(TableFile::Px, false);
    pxDiskSize_ = static_cast<std::uint64_t>(std::max<std::int64_t>(FileSizeOf(pxFd), 0));
    pxPending_.clear();
    if (hdr_.KeyFields == 0) return;
    ResetPrimaryIndexFile();
    const std::size_t pxLen = static_cast<std::size_t>(std::min<std::uint64_t>(pxDiskSize_, 64u << 20));
    if (pxFd >= 0 && pxLen > 0)
        px_.SetDiskImage(ReadFileBytes(pxFd, 0, pxLen, files_.Path(TableFile::Px).filename().string()));
    pxPending_ = px_.Update(primary_.Chunks(), 0, {}, [this](RowId id) { return Rec(id); });
}

void TableImage::ResetPrimaryIndexFile() {
    std::vector<codec::FieldLayout> keys(layout_.begin(), layout_.begin() + hdr_.KeyFields);
    px_.Reset(keys, dbPath_.stem().string() + ".PX", hdr_.SortOrderByte,
              static_cast<unsigned char>(hdrBytes_[0x2D]));
}

// A memo file only holds texts: when it does not give one, the row still reads, with what its record keeps
// and a mark; the damage is reported, not the table refused.
void TableImage::LoadMemos(RecordArray& rows) {
    const int fd = files_.Fd(TableFile::Mb, false);
    mbName_ = files_.Path(TableFile::Mb).filename().string();
    mb_.Reset();
    mbDiskSize_ = 0;
    damagedMemos_ = 0;
    mbBroken_ = false;
    bool unreadable = fd < 0; // a new table has no memo file until its first long text
    if (fd >= 0) {
        const std::int64_t size = FileSizeOf(fd);
        mbDiskSize_ = static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0));
        try {
            mb_.Load(ReadFileBytes(fd, 0, static_cast<std::size_t>(size), mbName_), mbName_);
        } catch (const DamagedFile&) {
            mb_.Reset();
            unreadable = true;
        }
    }
    for (RowId id = 0; id < rows.size(); ++id) {
        if (!rows[id]) continue;
        for (std::size_t k = 0; k < memoFields_.size(); ++k) {
            const auto& f = layout_[memoFields_[k]];
            const codec::MemoRef ref = MemoRefOf(f, rows[id].get());
            if (ref.Location == 0) {
                if (ref.Length > static_cast<std::uint32_t>(codec::MemoLeader(f))) ThrowDamaged(name_);
                continue;
            }
            auto& texts = memos_[id];
            texts.resize(memoFields_.size());
            try {
                // Rows point into a memo file that cannot be read: no new text may be put where theirs were.
                mbBroken_ = mbBroken_ || unreadable;
                if (unreadable) ThrowDamaged(mbName_);
                texts[k] = mb_.Read(ref);
            } catch (const DamagedFile&) {
                texts[k] = MarkedMemo(f, rows[id].get() + f.Offset);
                ++damagedMemos_;
            }
        }
    }
    // A memo file no row points into is made anew by the next write.
    if (unreadable && !mbBroken_) mbDiskSize_ = 0;
    mb_.ReleaseData();
    memoMap_ = true;
}

void TableImage::LoadMemoMap() {
    const int fd = files_.Fd(TableFile::Mb, false);
    if (fd >= 0) {
        const std::int64_t size = FileSizeOf(fd);
        try {
            mb_.Load(ReadFileBytes(fd, 0, static_cast<std::size_t>(std::max<std::int64_t>(size, 0)), mbName_),
                     mbName_);
            mb_.ReleaseData();
            if (mb_.DamagedUnits() == 0) {
                mbDiskSize_ = static_cast<std::uint64_t>(size);
                memoMap_ = true;
                return;
            }
        } catch (const DamagedFile&) {
            // read whole below
        }
    }
    distrustPx_ = true;
    Load();
}

std::vector<std::string> TableImage::ReadRowMemos(const unsigned char* rec) const {
    std::vector<std::string> texts;
    for (std::size_t k = 0; k < memoFields_.size(); ++k) {
        const auto& f = layout_[memoFields_[k]];
        const codec::MemoRef ref = MemoRefOf(f, rec);
        if (ref.Location == 0) {
            if (ref.Length > static_cast<std::uint32_t>(codec::MemoLeader(f))) DistrustPx();
            continue;
        }
        const int fd = const_cast<TableFiles&>(files_).Fd(TableFile::Mb, false);
        if (fd < 0) DistrustPx();
        std::string bytes(codec::MemoFile::BlobBytesAt(ref.Location, ref.Length), '\0');
        const base::IoResult r = base::ReadAt(fd, bytes.data(), bytes.size(), ref.Location & ~0xFFu);
        if (r.Error != 0) ThrowIo(mbName_, r.Error);
        bytes.resize(r.Done);
        texts.resize(memoFields_.size());
        try {
            texts[k] = codec::MemoFile::ReadBlob(bytes, ref, mbName_);
        } catch (const DamagedFile&) {
            DistrustPx();
        }
    }
    return texts;
}

codec::MemoRef TableImage::MemoRefOf(const codec::FieldLayout& f, const unsigned char* rec) {
    return codec::MemoRef::Of(rec + f.Offset, codec::MemoLeader(f), f.Desc.Type == FieldType::Memo);
}

// What the record keeps of a text the memo file does not give, and the mark.
std::string TableImage::MarkedMemo(const codec::FieldLayout& f, const unsigned char* field) const {
    const int leader = codec::MemoLeader(f);
    int n = 0;
    while (n < leader && field[n] != 0)
        ++n;
    std::string mark;
    try {
        mark = cp_->FromUtf8(" [oštećeno]");
    } catch (const base::Exception&) {
        mark = " [osteceno]"; // a code page without the letters
    }
    return std::string(reinterpret_cast<const char*>(field), static_cast<std::size_t>(n)) + mark;
}

std::string TableImage::DamageReport() const {
    if (damagedMemos_ == 0 && !mbBroken_) return {};
    std::string text = "Datoteka " + mbName_ + " je oštećena";
    if (damagedMemos_ > 0) text += " (nečitljivih zapisa: " + std::to_string(damagedMemos_) + ")";
    return text;
}

// Each damaged .X file takes the registered definition it must have held: an ".Xnn" file the single-field
// index on field nn named after it, the ".XGn" files the other registered indexes no file gives, in the
// order they were registered (and so added).
void TableImage::RebuildIndexDefinitions(const std::vector<codec::DamagedIndexFile>& damaged) {
    std::vector<IndexDesc> registered;
    for (auto& d : RegisteredIndexDefinitions(name_))
        if (!d.Primary) registered.push_back(std::move(d));
    std::vector<bool> taken(registered.size(), false);
    for (std::size_t i = 0; i < registered.size(); ++i)
        for (const auto& s : secondaries_)
            if (base::SameText(s.Desc.Name, registered[i].Name)) taken[i] = true;
    auto ownFile = [&](const IndexDesc& d, const std::vector<int>& fields) {
        return fields.size() == 1 && !d.CaseInsensitive && !d.Descending &&
               base::SameText(d.Name, fields_[fields[0]].Name);
    };
    // ".Xnn" files first, then ".XGn" by n.
    auto order = [](const codec::DamagedIndexFile& f) {
        const std::string ext = UpperExt(f.XFile);
        const bool group = ext.size() > 2 && ext[2] == 'G';
        return std::make_pair(group, std::strtoul(ext.c_str() + (group ? 3 : 2), nullptr, 16));
    };
    std::vector<codec::DamagedIndexFile> files(damaged);
    std::sort(files.begin(), files.end(), [&](const auto& a, const auto& b) { return order(a) < order(b); });
    for (const auto& file : files) {
        const std::string ext = UpperExt(file.XFile);
        const bool group = ext.size() > 2 && ext[2] == 'G';
        std::size_t pick = registered.size();
        std::vector<int> fields;
        for (std::size_t i = 0; i < registered.size() && pick == registered.size(); ++i) {
            if (taken[i]) continue;
            fields = codec::ResolveFieldList(registered[i].FieldsText, layout_);
            if (fields.empty()) continue;
            char hex[8];
            std::snprintf(hex, sizeof hex, ".X%02X", fields[0] + 1);
            if (group ? !ownFile(registered[i], fields) : ownFile(registered[i], fields) && ext == hex)
                pick = i;
        }
        if (pick == registered.size()) ThrowDamaged(file.XFile);
        taken[pick] = true;
        codec::SecondaryDef def;
        def.Desc = registered[pick];
        def.Desc.Primary = false;
        def.FieldNumbers = fields;
        def.XFile = file.XFile;
        def.YFile = file.YFile;
        if (def.YFile.empty()) {
            def.YFile = file.XFile;
            char& letter = def.YFile[def.YFile.size() - ext.size() + 1];
            letter = letter == 'x' ? 'y' : 'Y';
        }
        def.Ordinal = static_cast<std::uint32_t>(pick);
        def.Rebuilt = true;
        secondaries_.push_back(std::move(def));
    }
    std::stable_sort(secondaries_.begin(), secondaries_.end(),
                     [](const auto& a, const auto& b) { return a.Ordinal < b.Ordinal; });
}

void TableImage::RepairIndexFiles() noexcept {
    if (files_.ReadOnly()) return;
    for (auto& s : secondaries_) {
        if (!s.Rebuilt) continue;
        try {
            StoreIndexFiles(s);
            s.Rebuilt = false;
        } catch (const std::exception&) {
            // Still usable from memory; the next open or the table check tries again.
        }
    }
}

void TableImage::BuildRules() {
    std::vector<int> keys;
    for (int i = 0; i < hdr_.KeyFields; ++i)
        keys.push_back(i);
    primaryRule_ = RuleFor(keys, false);
    secondaryRules_.clear();
    for (const auto& s : secondaries_)
        secondaryRules_.push_back(RuleFor(s.FieldNumbers, s.Desc.CaseInsensitive));
}

KeyRule TableImage::RuleFor(const std::vector<int>& fields, bool caseInsensitive) const {
    KeyRule rule;
    rule.CaseInsensitive = caseInsensitive;
    rule.Upper = upper_;
    for (int n : fields)
        rule.Parts.push_back({layout_[n].Offset, layout_[n].Bytes, layout_[n].Desc.Type == FieldType::Alpha});
    return rule;
}

// ------------------------------------------------------------------------------------------------ reading

std::vector<IndexDesc> TableImage::Indexes() const {
    std::vector<IndexDesc> out;
    if (hdr_.KeyFields > 0) out.push_back(hdr_.PrimaryIndex());
    for (const auto& s : secondaries_)
        out.push_back(s.Desc);
    return out;
}

void TableImage::Decode(RowId id, Row& out) const {
    out.resize(layout_.size());
    const unsigned char* rec = Rec(id);
    std::size_t memo = 0;
    for (std::size_t i = 0; i < layout_.size(); ++i) {
        const auto& f = layout_[i];
        if (!codec::IsMemoType(f.Code)) {
            out[i] = codec::DecodeField(f, rec + f.Offset, *cp_);
            continue;
        }
        const auto* t = rec + f.Offset + codec::MemoLeader(f);
        const std::uint32_t location = codec::GetU32(t);
        const std::uint32_t length = codec::GetU32(t + 4);
        if (location == 0) {
            const auto n = std::min<std::uint32_t>(length, static_cast<std::uint32_t>(codec::MemoLeader(f)));
            out[i] =
                codec::DecodeMemoText(f, std::string(reinterpret_cast<const char*>(rec + f.Offset), n), *cp_);
        } else {
            const auto* texts = MemosOf(id);
            out[i] = texts == nullptr ? Value() : codec::DecodeMemoText(f, (*texts)[memo], *cp_);
        }
        ++memo;
    }
}

std::vector<int> TableImage::IndexFieldNumbers(int index) const {
    if (index >= 0) return secondaries_[index].FieldNumbers;
    std::vector<int> keys;
    for (int i = 0; i < hdr_.KeyFields; ++i)
        keys.push_back(i);
    return keys;
}

ChunkedOrder& TableImage::Order(int index) {
    if (index < 0) return primary_;
    if (index >= static_cast<int>(secondaries_.size())) throw Error("Indeks ne postoji (" + name_ + ")");
    auto& order = secondaryOrders_[index];
    if (!order) order = orders_.Build(index);
    return *order;
}

bool TableImage::Before(int index, const unsigned char* a, RowId ida, const unsigned char* b,
                        RowId idb) const {
    int c = Rule(index).Compare(a, b);
    if (index >= 0 && secondaries_[index].Desc.Descending) c = -c;
    if (c != 0) return c < 0;
    if (index >= 0 && hdr_.KeyFields > 0) {
        c = primaryRule_.Compare(a, b);
        if (c != 0) return c < 0;
    }
    return ida < idb;
}

int TableImage::CompareKey(int index, const unsigned char* row, const std::string& key,
                           std::size_t parts) const {
    const int c = Rule(index).Compare(row, codec::Bytes(key), parts);
    return index >= 0 && secondaries_[index].Desc.Descending ? -c : c;
}

TableImage::SearchKey TableImage::EncodeKey(int index, const Key& key) const {
    const auto fields = IndexFieldNumbers(index);
    if (fields.empty() && !key.empty()) throw Error("Tablica " + name_ + " nema ključ za traženje");
    SearchKey k;
    k.Parts = std::min(key.size(), fields.size());
    k.Bytes.assign(hdr_.RecordSize, '\0');
    for (std::size_t i = 0; i < k.Parts; ++i) {
        const auto& f = layout_[fields[i]];
        unsigned char* p = codec::Bytes(k.Bytes) + f.Offset;
        const Value& v = key[i];
        const bool integral = f.Desc.Type == FieldType::Short || f.Desc.Type == FieldType::Long ||
                              f.Desc.Type == FieldType::AutoInc || f.Desc.Type == FieldType::Date ||
                              f.Desc.Type == FieldType::Time;
        if (integral && (v.IsInt() || v.IsFloat())) {
            const double x = v.IsInt() ? static_cast<double>(v.AsInt()) : v.AsFloat();
            const double limit = f.Bytes == 2 ? 32767 : 2147483647;
            if (x > limit) {
                k.Parts = i;
                k.Exact = false;
                k.After = true;
                break;
            }
            const double up = std::ceil(std::max(x, -limit));
            if (up != x) k.Exact = false;
            codec::EncodeInt(static_cast<std::int64_t>(up), p, f.Bytes);
            continue;
        }
        if (f.Desc.Type == FieldType::Alpha && v.IsText()) {
            std::string bytes;
            try {
                bytes = cp_->FromUtf8(v.AsText());
            } catch (const base::Exception&) {
                k.Exact = false; // a character no row can hold
            }
            if (bytes.size() > static_cast<std::size_t>(f.Bytes)) k.Exact = false;
            std::memcpy(p, bytes.data(), std::min<std::size_t>(bytes.size(), f.Bytes));
            continue;
        }
        codec::EncodeField(f, v, p, *cp_, name_);
    }
    return k;
}

ChunkedOrder::Pos TableImage::LowerBound(int index, const unsigned char* rec, RowId id) {
    ChunkedOrder& order = Order(index);
    auto before = [&](RowId x) { return Before(index, Rec(x), x, rec, id); };
    if (index >= 0 || !PxFollowsChunks()) return order.LowerBound(before);
    // A chunk's first row comes before the record as its entry's key does (equal keys: by id).
    return order.LowerBoundByFirst(before, [&](std::size_t i) {
        const int c = primaryRule_.Compare(px_.EntryKey(i), rec);
        return c != 0 ? c < 0 : order.ChunkAt(i).Front() < id;
    });
}

ChunkedOrder::Pos TableImage::Locate(int index, RowId id) {
    if (!Alive(id)) return Order(index).End();
    // A table read by block knows each row's chunk: no blocks are read to find it by its key.
    if (index < 0 && (hdr_.KeyFields == 0 || byBlock_)) return primary_.Locate(id);
    ChunkedOrder& order = Order(index);
    if (order.TracksRows()) return order.Locate(id);
    const auto pos = LowerBound(index, Rec(id), id);
    if (order.IsEnd(pos) || order.At(pos) != id) return order.End();
    return pos;
}

void TableImage::DropJournal() {
    try {
        const bool current = !journal_.Recover(files_) && loaded_ && !stale_ && !ChangedOnDisk();
        const codec::TableState before = orders_.State();
        journal_.Remove();
        if (!current) return;
        // Orders stored for the table as it stands name the journal's generation, which goes with it.
        codec::TableState after = before;
        after.Generation = stamp_.Generation = 0;
        settledAt_ = 0;
        std::vector<OrderChange> all(secondaries_.size());
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i].Index = static_cast<int>(i);
        orders_.FinishStoredOrders(all, before, after);
    } catch (const std::exception&) {
        // A journal that cannot be replayed stays for the next open to report.
    }
}

std::string TableImage::RecordIdentity(RowId id) const {
    return std::string(reinterpret_cast<const char*>(Rec(id)), hdr_.IdentityBytes());
}

} // namespace engine
