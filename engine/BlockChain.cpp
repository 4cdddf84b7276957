// The block chain of a table image: reading a large table's blocks as their rows are first needed (checked
// against their links and the .PX), along the chain many blocks a read, and letting them go again when the
// process's block cache is full.
#include "engine/BlockChain.h"

#include "base/FileIo.h"
#include "engine/codec/Bytes.h"
#include "engine/Errors.h"
#include "engine/TableImage.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace engine {
namespace {

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

TableImage& BlockChain::Image() {
    return static_cast<TableImage&>(*this);
}

const TableImage& BlockChain::Image() const {
    return static_cast<const TableImage&>(*this);
}

const unsigned char* BlockChain::ReadRowBlock(RowId id) const {
    const Chunk* c = byBlock_ ? primary_.ChunkOf(id) : nullptr;
    if (c == nullptr) throw Error("Slog više ne postoji (" + Image().name_ + ")");
    ReadChunk(*c);
    return rows_[id].get();
}

void BlockChain::ReadChunk(const Chunk& c) const {
    if (!byBlock_) return;
    bool missing = false;
    for (std::size_t k = 0; k < c.Count() && !missing; ++k)
        missing = !rows_[c.Id(k)];
    if (!missing) return;
    // Reading rows in changes nothing the image shows; only the file descriptors and stamps are touched.
    auto& self = const_cast<BlockChain&>(*this);
    const std::size_t chunks = primary_.ChunkCount();
    const std::uint64_t bs = static_cast<std::uint64_t>(Image().hdr_.BlockSize());
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
    // One buffer serves every read: a lookup reads a block each time.
    std::string& blocks = self.readBuffer_;
    self.ReadBlocks(c.Block, count, blocks);
    const int rs = Image().hdr_.RecordSize;
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

void BlockChain::ReadBlocks(std::uint16_t first, std::size_t count, std::string& blocks) {
    const std::uint64_t bs = static_cast<std::uint64_t>(Image().hdr_.BlockSize());
    const int fd = Image().files_.Fd(TableFile::Db, false);
    if (fd < 0) ThrowMissing(Image().name_);
    ReadBytesInto(fd, Image().hdr_.HeaderSize + (first - 1u) * bs, count * bs, Image().name_, blocks);
    // Another process's write since this image last looked, even one that finished while the blocks were read
    // and may have torn them.
    if (!catchingUp_ && Image().BlocksChangedOnDisk())
        throw Outdated("Tablicu " + Image().name_ + " je u međuvremenu promijenila druga stanica");
}

void BlockChain::CheckBlock(const Chunk& at, const unsigned char* p) const {
    const int rs = Image().hdr_.RecordSize;
    const auto add = static_cast<std::int16_t>(codec::GetU16(p + 4));
    bool fits = codec::GetU16(p) == NextBlock(at) && codec::GetU16(p + 2) == PrevBlock(at) && add >= 0 &&
                add % rs == 0 && static_cast<std::size_t>(add / rs + 1) == at.Count();
    // Searches find blocks by the .PX's first keys.
    if (fits && !catchingUp_ && !writing_ && Image().px_.Entries() == primary_.ChunkCount())
        fits = std::memcmp(p + 6, Image().px_.EntryKey(at.Index),
                           static_cast<std::size_t>(Image().hdr_.IdentityBytes())) == 0;
    for (std::size_t k = 1; fits && k < at.Count(); ++k)
        fits = Image().primaryRule_.Compare(p + 6 + (k - 1) * rs, p + 6 + k * rs) < 0;
    if (!fits) Image().DistrustPx();
}

void BlockChain::ScanRows(const std::function<void(RowId, const unsigned char*)>& row) {
    const std::size_t chunks = primary_.ChunkCount();
    const std::uint64_t bs = static_cast<std::uint64_t>(Image().hdr_.BlockSize());
    const std::size_t most = std::max<std::uint64_t>(1, ReadAheadBytes / bs);
    const int rs = Image().hdr_.RecordSize;
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
        std::string blocks;
        ReadBlocks(c.Block, count, blocks);
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

void BlockChain::ReadAllRows() {
    if (!byBlock_) return;
    // Every row stays from here on: nothing is let go while they are read.
    const BlockCache::Step step;
    for (const auto& c : primary_.Chunks()) {
        ReadChunk(*c);
        // A table read whole holds every row's long memo texts.
        for (std::size_t k = 0; k < c->Count() && !Image().memoFields_.empty(); ++k)
            Image().MemosOf(c->Id(k));
    }
    byBlock_ = false;
    Uncache();
}

void BlockChain::Cached(const Chunk& c) const {
    if (!byBlock_ || c.Block == 0) return;
    // What the rows take on the heap: the record and the allocator's own word, in its 16-byte steps, and
    // their long memo texts.
    std::size_t bytes = c.Count() * ((static_cast<std::size_t>(Image().hdr_.RecordSize) + 8 + 15) / 16 * 16);
    for (std::size_t k = 0; k < c.Count() && !Image().memos_.empty(); ++k)
        if (const auto it = Image().memos_.find(c.Id(k)); it != Image().memos_.end())
            bytes += MemoBytes(it->second);
    auto& cache = BlockCache::Process();
    if (c.Block >= cached_.size()) cached_.resize(std::max<std::size_t>(c.Block + 1u, fileBlocks_ + 1u));
    if (auto& held = cached_[c.Block])
        cache.Touch(*held, bytes);
    else
        held = cache.Add(const_cast<TableImage*>(&Image()), c.Block, bytes);
}

void BlockChain::LetBlockGo(std::uint16_t block) noexcept {
    if (block >= cached_.size() || !cached_[block]) return;
    BlockCache::Process().Remove(*cached_[block]);
    cached_[block].reset();
    // Every row in memory is what the files hold (writes go through), so any of them can be read again.
    if (!byBlock_ || block >= blockOwner_.size() || blockOwner_[block] == nullptr) return;
    // The buffers go to the next block read (a lookup that lets a block go reads another at once).
    const Chunk& c = *blockOwner_[block];
    for (std::size_t k = 0; k < c.Count(); ++k) {
        if (!Image().memos_.empty()) Image().memos_.erase(c.Id(k));
        auto row = rows_.Take(c.Id(k));
        if (!row || spare_.size() >= SpareRows) continue;
        try {
            spare_.push_back(std::move(row));
        } catch (const std::bad_alloc&) {
            // no room to keep it: it is freed
        }
    }
}

void BlockChain::Uncache() noexcept {
    auto& cache = BlockCache::Process();
    for (const auto& held : cached_)
        if (held) cache.Remove(*held);
    cached_.clear();
    spare_.clear();
}

std::size_t BlockChain::RowsInMemory() const {
    return rows_.Count();
}

std::uint16_t BlockChain::AllocateBlock() {
    if (!freeBlocks_.empty()) {
        const std::uint16_t block = *freeBlocks_.begin();
        freeBlocks_.erase(freeBlocks_.begin());
        return block;
    }
    if (fileBlocks_ == UINT16_MAX) throw Error("Tablica " + Image().name_ + " je puna");
    ++fileBlocks_;
    if (blockOwner_.size() <= fileBlocks_) blockOwner_.resize(fileBlocks_ + 1u);
    return fileBlocks_;
}

void BlockChain::ReadNeighbours(std::size_t index) {
    const auto& chunks = primary_.Chunks();
    if (index > 0) ReadChunk(*chunks[index - 1]);
    if (index + 1 < chunks.size()) ReadChunk(*chunks[index + 1]);
}

std::string BlockChain::EncodeBlock(const Chunk& c) const {
    std::string block(Image().hdr_.BlockSize(), '\0');
    auto* p = codec::Bytes(block);
    codec::PutU16(p, NextBlock(c));
    codec::PutU16(p + 2, PrevBlock(c));
    codec::PutU16(p + 4, static_cast<std::uint16_t>((c.Count() - 1) * Image().hdr_.RecordSize));
    p += 6;
    for (RowId id : c.Ids()) {
        std::memcpy(p, Rec(id), Image().hdr_.RecordSize);
        p += Image().hdr_.RecordSize;
    }
    return block;
}

void BlockChain::LayOutBlocks(std::vector<RowId> all) {
    ReadAllRows();
    if (Image().hdr_.KeyFields > 0)
        std::stable_sort(all.begin(), all.end(),
                         [&](RowId x, RowId y) { return Image().Before(-1, Rec(x), x, Rec(y), y); });
    const std::size_t per = static_cast<std::size_t>(Image().hdr_.RecordsPerBlock());
    primary_ = ChunkedOrder(per);
    rowChunk_.clear();
    if (Image().hdr_.KeyFields == 0) primary_.TrackRows(&rowChunk_);
    blockOwner_.clear();
    blockOwner_.resize(1);
    freeBlocks_.clear();
    fileBlocks_ = 0;
    for (std::size_t i = 0; i < all.size(); i += per) {
        std::vector<RowId> ids(all.begin() + static_cast<std::ptrdiff_t>(i),
                               all.begin() + static_cast<std::ptrdiff_t>(std::min(all.size(), i + per)));
        const auto block = ++fileBlocks_;
        blockOwner_.push_back(primary_.AppendChunk(std::move(ids), block));
    }
}

} // namespace engine
