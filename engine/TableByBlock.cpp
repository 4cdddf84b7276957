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

std::int64_t SizeOfFile(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return -1;
    return st.st_size;
}

constexpr std::int64_t MaxPxBytes = std::int64_t{64} << 20;

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
    if (c != nullptr && c->Block < cached_.size() && cached_[c->Block])
        BlockCache::Process().Touch(*cached_[c->Block], (*cached_[c->Block])->Bytes + MemoBytes(kept));
    return &kept;
}

} // namespace engine
