// Large tables opened without reading their rows: the .PX gives the blocks in chain order with their record
// counts, and a block's rows are read the first time one of them is needed. The rows so read stay while the
// process's block cache has room for them.
#include "engine/TableImage.h"

#include "base/FileIo.h"
#include "engine/codec/Bytes.h"
#include "engine/Errors.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <sys/stat.h>

namespace engine {
namespace {

std::string ReadBytes(int fd, std::uint64_t offset, std::size_t len, const std::string& name) {
    std::string b(len, '\0');
    const base::IoResult r = base::ReadAt(fd, b.data(), len, offset);
    if (r.Error != 0) ThrowIo(name, r.Error);
    if (r.Done < len) ThrowDamaged(name);
    return b;
}

std::int64_t SizeOfFile(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return -1;
    return st.st_size;
}

constexpr std::int64_t MaxPxBytes = std::int64_t{64} << 20;
// Row buffers kept for reuse once the cache let their block go.
constexpr std::size_t SpareRows = 1024;
// A walk's read-ahead.
constexpr std::uint64_t ReadAheadBytes = 128u << 10;

// What a row's memo texts take on the heap, roughly.
std::size_t MemoBytes(const std::vector<std::string>& texts) {
    std::size_t bytes = 64;
    for (const std::string& text : texts)
        bytes += 32 + text.capacity();
    return bytes;
}

} // namespace

bool TableImage::LoadByBlock(codec::DbHeader& h, std::string& head, std::int64_t fileSize) {
    // Only a first open: a table read again after another process's write is read whole, so that its rows
    // keep their ids (cursors and bookmarks stay on them).
    if (loaded_ || !rows_.empty() || distrustPx_ || h.KeyFields == 0 || h.FileBlocks == 0) return false;
    const std::uint64_t dataBytes = static_cast<std::uint64_t>(h.FileBlocks) * h.BlockSize();
    if (dataBytes < ReadByBlockFrom() || h.UsedBlocks != h.FileBlocks) return false;
    if (static_cast<std::uint64_t>(fileSize) != h.HeaderSize + dataBytes) return false;

    files_.Close(TableFile::Px); // the file now under the name
    const int pxFd = files_.Fd(TableFile::Px, false);
    const std::int64_t pxSize = SizeOfFile(pxFd);
    if (pxSize <= 0 || pxSize > MaxPxBytes) return false;
    std::string pxBytes;
    try {
        pxBytes = ReadBytes(pxFd, 0, static_cast<std::size_t>(pxSize), name_);
    } catch (const Error&) {
        return false; // the whole read reports what is wrong
    }
    codec::PrimaryIndexFile px;
    std::vector<codec::FieldLayout> keys(h.Fields.begin(), h.Fields.begin() + h.KeyFields);
    px.Reset(keys, dbPath_.stem().string() + ".PX", h.SortOrderByte, static_cast<unsigned char>(head[0x2D]));
    px.SetDiskImage(std::move(pxBytes));
    const std::size_t blocks = h.FileBlocks;
    if (!px.AdoptLevel1(blocks)) return false;

    // Counts that add up to the header's, the chain's ends where the header says, and the rest of the .PX
    // (header, upper levels) what the entries make: then it is one this engine wrote with the blocks, not a
    // stale or foreign one. Each entry's block and count are checked when its chunk is made, and the block
    // against its links when it is read.
    // The rows before every few entries, so that a search finds the chunk of a row (and the first row of a
    // chunk) adding up only the counts of a few entries before it.
    std::vector<RowId> entryFirst = px.TakeEntryFirst();
    const std::uint64_t total = px.Records();
    if (total != h.NumRecords || total > blocks * static_cast<std::uint64_t>(h.RecordsPerBlock()) ||
        px.EntryBlock(0) != h.FirstBlock || px.EntryBlock(blocks - 1) != h.LastBlock ||
        !px.UpperLevelsMatch())
        return false;

    AdoptHeader(std::move(h), std::move(head));
    Uncache();
    rows_.clear();
    rows_.resize(static_cast<std::size_t>(total));
    byBlock_ = true;
    memos_.clear();
    secondaries_.clear();
    secondaryOrders_.clear();
    orders_.Forget();
    BuildRules();
    px_ = std::move(px);
    blockOwner_.clear();
    blockOwner_.resize(blocks + 1);
    // The chunks are made from the .PX entries as their rows are first reached.
    primary_ = ChunkedOrder(static_cast<std::size_t>(hdr_.RecordsPerBlock()));
    rowChunk_.clear();
    primary_.TrackRows(&rowChunk_);
    primary_.AdoptSource(&pxChunks_, blocks, static_cast<std::size_t>(total),
                         codec::PrimaryIndexFile::EntryGroup, std::move(entryFirst));
    freeBlocks_.clear();
    fileBlocks_ = hdr_.FileBlocks;
    relayout_ = false;
    // A row's memo texts are read when it is first read whole; the memo file's layout before the first write.
    mb_.Reset();
    memoMap_ = memoFields_.empty();
    mbDiskSize_ = 0;
    if (!memoFields_.empty()) { // a table without memo fields never looks for a memo file
        mbName_ = files_.Path(TableFile::Mb).filename().string();
        mbDiskSize_ = static_cast<std::uint64_t>(
            std::max<std::int64_t>(0, SizeOfFile(files_.Fd(TableFile::Mb, false))));
    }
    damagedMemos_ = 0;
    mbBroken_ = false;
    pxStamp_ = primary_.Stamp(); // its entries are the chunks
    rankStamp_ = primary_.Stamp();
    pxPending_.clear();
    pxDiskSize_ = static_cast<std::uint64_t>(pxSize);
    AdoptIndexes();
    return true;
}

std::uint32_t TableImage::PxChunks::Count(std::size_t i) const {
    const std::uint16_t count = Image->px_.EntryCount(i);
    if (count == 0 || count > Image->hdr_.RecordsPerBlock()) Image->DistrustPx();
    return count;
}

std::uint16_t TableImage::PxChunks::Take(std::size_t i, Chunk& c) const {
    const std::uint16_t block = Image->px_.EntryBlock(i);
    auto& owner = Image->blockOwner_;
    if (block == 0 || block >= owner.size() || owner[block] != nullptr) Image->DistrustPx();
    owner.Slot(block) = &c;
    return block;
}

void TableImage::DistrustPx() const {
    // The .PX told another story than the blocks: read the table whole (which also judges the damage).
    auto& self = const_cast<TableImage&>(*this);
    self.distrustPx_ = true;
    self.stale_ = true;
    throw Outdated("Tablicu " + name_ + " je u međuvremenu promijenila druga stanica");
}

const unsigned char* TableImage::ReadRowBlock(RowId id) const {
    const Chunk* c = byBlock_ ? primary_.ChunkOf(id) : nullptr;
    if (c == nullptr) throw Error("Slog više ne postoji (" + name_ + ")");
    ReadChunk(*c);
    return rows_[id].get();
}

void TableImage::ReadChunk(const Chunk& c) const {
    if (!byBlock_) return;
    bool missing = false;
    for (std::size_t k = 0; k < c.Count() && !missing; ++k)
        missing = !rows_[c.Id(k)];
    if (!missing) return;
    // Reading rows in changes nothing the image shows; only the file descriptors and stamps are touched.
    auto& self = const_cast<TableImage&>(*this);
    const std::size_t chunks = primary_.ChunkCount();
    const std::uint64_t bs = static_cast<std::uint64_t>(hdr_.BlockSize());
    // A walk reads on: when the chunk before was the last one read, the chunks after this one whose blocks
    // follow it in the file and were not read come along in the same read. (Rows reached in another order,
    // a secondary index's, read their blocks one by one.)
    std::size_t count = 1;
    if (!catchingUp_ && !writing_ && c.Index > 0 && lastChunkRead_ == c.Index - 1) {
        // Never so much that the cache would let the blocks go again before the walk reaches them.
        const std::size_t most =
            std::max<std::uint64_t>(1, std::min(ReadAheadBytes, BlockCacheBytes() / 4) / bs);
        while (count < most && c.Index + count < chunks) {
            const Chunk& n = primary_.ChunkAt(c.Index + count);
            if (n.Block != c.Block + count || rows_[n.Front()]) break;
            ++count;
        }
    }
    const std::string blocks = self.ReadBlocks(c.Block, count);
    const int rs = hdr_.RecordSize;
    for (std::size_t i = 0; i < count; ++i) {
        const Chunk& at = primary_.ChunkAt(c.Index + i);
        const auto* p = codec::Bytes(blocks) + i * bs;
        CheckBlock(at, p);
        for (std::size_t k = 0; k < at.Count(); ++k) {
            if (rows_[at.Id(k)]) continue;
            auto& row = rows_.Slot(at.Id(k));
            if (spare_.empty()) {
                row = std::make_unique_for_overwrite<unsigned char[]>(static_cast<std::size_t>(rs));
            } else {
                row = std::move(spare_.back());
                spare_.pop_back();
            }
            std::memcpy(row.get(), p + 6 + k * rs, static_cast<std::size_t>(rs));
        }
        Cached(at);
    }
    lastChunkRead_ = c.Index + count - 1;
}

const std::vector<std::string>* TableImage::MemosOf(RowId id) const {
    if (const auto it = memos_.find(id); it != memos_.end()) return &it->second;
    if (!byBlock_ || memoFields_.empty()) return nullptr; // read whole: every long text is there
    auto texts = ReadRowMemos(Rec(id));
    if (texts.empty()) return nullptr;
    auto& self = const_cast<TableImage&>(*this);
    // The memo file as another station's write that finished meanwhile left it may not hold this row's.
    if (!catchingUp_ && self.ChangedOnDisk())
        throw Outdated("Tablicu " + name_ + " je u međuvremenu promijenila druga stanica");
    const auto& kept = self.memos_[id] = std::move(texts);
    // The texts count in the cache with their row's block.
    const Chunk* c = primary_.ChunkOf(id);
    if (const auto it = c != nullptr ? cached_.find(c->Block) : cached_.end(); it != cached_.end())
        BlockCache::Process().Touch(it->second, it->second->Bytes + MemoBytes(kept));
    return &kept;
}

std::string TableImage::ReadBlocks(std::uint16_t first, std::size_t count) {
    const std::uint64_t bs = static_cast<std::uint64_t>(hdr_.BlockSize());
    const int fd = files_.Fd(TableFile::Db, false);
    if (fd < 0) ThrowMissing(name_);
    std::string blocks = ReadBytes(fd, hdr_.HeaderSize + (first - 1u) * bs, count * bs, name_);
    // Another process's write since this image last looked, even one that finished while the blocks were read
    // and may have torn them.
    if (!catchingUp_ && ChangedOnDisk())
        throw Outdated("Tablicu " + name_ + " je u međuvremenu promijenila druga stanica");
    return blocks;
}

void TableImage::CheckBlock(const Chunk& at, const unsigned char* p) const {
    const int rs = hdr_.RecordSize;
    const auto add = static_cast<std::int16_t>(codec::GetU16(p + 4));
    bool fits = codec::GetU16(p) == NextBlock(at) && codec::GetU16(p + 2) == PrevBlock(at) && add >= 0 &&
                add % rs == 0 && static_cast<std::size_t>(add / rs + 1) == at.Count();
    // Searches find blocks by the .PX's first keys.
    if (fits && !catchingUp_ && !writing_ && px_.Entries() == primary_.ChunkCount())
        fits =
            std::memcmp(p + 6, px_.EntryKey(at.Index), static_cast<std::size_t>(hdr_.IdentityBytes())) == 0;
    for (std::size_t k = 1; fits && k < at.Count(); ++k)
        fits = primaryRule_.Compare(p + 6 + (k - 1) * rs, p + 6 + k * rs) < 0;
    if (!fits) DistrustPx();
}

void TableImage::ScanRows(const std::function<void(RowId, const unsigned char*)>& row) {
    const std::size_t chunks = primary_.ChunkCount();
    const std::uint64_t bs = static_cast<std::uint64_t>(hdr_.BlockSize());
    const std::size_t most = std::max<std::uint64_t>(1, ReadAheadBytes / bs);
    const int rs = hdr_.RecordSize;
    auto held = [&](const Chunk& c) {
        for (std::size_t k = 0; k < c.Count(); ++k)
            if (!rows_[c.Id(k)]) return false;
        return true;
    };
    for (std::size_t i = 0; i < chunks;) {
        const Chunk& c = primary_.ChunkAt(i);
        if (held(c)) {
            for (std::size_t k = 0; k < c.Count(); ++k)
                row(c.Id(k), rows_[c.Id(k)].get());
            ++i;
            continue;
        }
        // The blocks that follow in the file and are not in memory come along in the same read.
        std::size_t count = 1;
        while (count < most && i + count < chunks) {
            const Chunk& n = primary_.ChunkAt(i + count);
            if (n.Block != c.Block + count || held(n)) break;
            ++count;
        }
        const std::string blocks = ReadBlocks(c.Block, count);
        for (std::size_t j = 0; j < count; ++j) {
            const Chunk& at = primary_.ChunkAt(i + j);
            const auto* p = codec::Bytes(blocks) + j * bs;
            CheckBlock(at, p);
            for (std::size_t k = 0; k < at.Count(); ++k)
                row(at.Id(k), p + 6 + k * rs);
        }
        i += count;
    }
}

void TableImage::ReadAllRows() {
    if (!byBlock_) return;
    // Every row stays from here on: nothing is let go while they are read.
    const BlockCache::Step step;
    for (const auto& c : primary_.Chunks()) {
        ReadChunk(*c);
        // A table read whole holds every row's long memo texts.
        for (std::size_t k = 0; k < c->Count() && !memoFields_.empty(); ++k)
            MemosOf(c->Id(k));
    }
    byBlock_ = false;
    Uncache();
}

void TableImage::Cached(const Chunk& c) const {
    if (!byBlock_ || c.Block == 0) return;
    // What the rows take on the heap: the record and the allocator's own word, in its 16-byte steps, and
    // their long memo texts.
    std::size_t bytes = c.Count() * ((static_cast<std::size_t>(hdr_.RecordSize) + 8 + 15) / 16 * 16);
    for (std::size_t k = 0; k < c.Count() && !memos_.empty(); ++k)
        if (const auto it = memos_.find(c.Id(k)); it != memos_.end()) bytes += MemoBytes(it->second);
    auto& cache = BlockCache::Process();
    if (const auto it = cached_.find(c.Block); it != cached_.end())
        cache.Touch(it->second, bytes);
    else
        cached_.emplace(c.Block, cache.Add(const_cast<TableImage*>(this), c.Block, bytes));
}

void TableImage::LetBlockGo(std::uint16_t block) noexcept {
    const auto it = cached_.find(block);
    if (it == cached_.end()) return;
    BlockCache::Process().Remove(it->second);
    cached_.erase(it);
    // Every row in memory is what the files hold (writes go through), so any of them can be read again.
    if (!byBlock_ || block >= blockOwner_.size() || blockOwner_[block] == nullptr) return;
    // The buffers go to the next block read (a lookup that lets a block go reads another at once).
    const Chunk& c = *blockOwner_[block];
    for (std::size_t k = 0; k < c.Count(); ++k) {
        if (!memos_.empty()) memos_.erase(c.Id(k));
        auto row = rows_.Take(c.Id(k));
        if (!row || spare_.size() >= SpareRows) continue;
        try {
            spare_.push_back(std::move(row));
        } catch (const std::bad_alloc&) {
            // no room to keep it: it is freed
        }
    }
}

void TableImage::Uncache() noexcept {
    auto& cache = BlockCache::Process();
    for (const auto& [block, handle] : cached_)
        cache.Remove(handle);
    cached_.clear();
    spare_.clear();
}

std::size_t TableImage::RowsInMemory() const {
    return rows_.Count();
}

} // namespace engine
