// The plan step of catching up with another process's writes: what the journal's notes name is read and
// checked against the image before anything in memory changes. Also the notes a write leaves for it.
#include "engine/TableRefresh.h"

#include "engine/codec/Bytes.h"
#include "engine/Errors.h"
#include "engine/TableImage.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unordered_map>

namespace engine {
namespace {

// Past this share of the rows a whole read is as cheap as matching rows one by one.
constexpr std::size_t MinRowsForShare = 4096;
constexpr RowId NoRowId = UINT32_MAX;
// A write that rewrites more blocks than this is noted as changing everything.
constexpr std::size_t MaxNotedBlocks = 512;

std::int64_t SizeOf(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return -1;
    return st.st_size;
}

bool SameStructure(const codec::DbHeader& a, const codec::DbHeader& b) {
    if (a.HeaderSize != b.HeaderSize || a.RecordSize != b.RecordSize || a.FileType != b.FileType ||
        a.BlockKb != b.BlockKb || a.KeyFields != b.KeyFields || a.CodePage != b.CodePage ||
        a.Fields.size() != b.Fields.size())
        return false;
    for (std::size_t i = 0; i < a.Fields.size(); ++i)
        if (a.Fields[i].Code != b.Fields[i].Code || a.Fields[i].Bytes != b.Fields[i].Bytes) return false;
    return true;
}

// A rewritten block's count and records; false for an empty block in the chain (a whole read lays it out).
bool ReadLink(const std::string& bytes, int recordSize, int perBlock, RefreshPlan::Link& link) {
    const auto* p = codec::Bytes(bytes);
    const auto add = static_cast<std::int16_t>(codec::GetU16(p + 4));
    if (add < 0 || add % recordSize != 0) return false;
    link.Count = add / recordSize + 1;
    link.Records = p + 6;
    return link.Count <= perBlock;
}

} // namespace

std::string TableImage::ChangeNote(const Transaction& t) const {
    const std::uint64_t headerSize = hdr_.HeaderSize;
    const std::uint64_t bs = static_cast<std::uint64_t>(hdr_.BlockSize());
    std::set<std::uint16_t> blocks;
    bool memo = t.NewSize[2] >= 0;
    bool all = false;
    for (const auto& w : t.Writes) {
        if (w.File == TableFile::Mb) memo = true;
        if (w.File != TableFile::Db || w.Data.empty()) continue;
        const std::uint64_t end = w.Offset + w.Data.size();
        if (end <= headerSize) continue;
        const std::uint64_t first = (std::max(w.Offset, headerSize) - headerSize) / bs + 1;
        const std::uint64_t last = (end - 1 - headerSize) / bs + 1;
        if (last > UINT16_MAX || blocks.size() + (last - first) > MaxNotedBlocks) {
            all = true;
            break;
        }
        for (std::uint64_t b = first; b <= last; ++b)
            blocks.insert(static_cast<std::uint16_t>(b));
    }
    std::string note(1, static_cast<char>((memo ? 1 : 0) | (all ? 2 : 0)));
    if (all) return note;
    for (std::uint16_t b : blocks) {
        note.push_back(static_cast<char>(b & 0xFF));
        note.push_back(static_cast<char>(b >> 8));
    }
    return note;
}

std::optional<RefreshPlan> TableRefresh::Plan() {
    TableImage& image = image_;
    RefreshPlan plan;
    std::set<std::uint16_t> touched;
    if (!ReadNotes(plan, touched)) return std::nullopt;
    const CatchingUp catchingUp(image.catchingUp_);
    const std::size_t limit = std::max<std::size_t>(MinRowsForShare, image.primary_.Size() / 4);
    if (touched.size() * static_cast<std::size_t>(image.hdr_.RecordsPerBlock()) > limit) return std::nullopt;
    try {
        if (!ReadTouched(plan, touched)) return std::nullopt;
    } catch (const Error&) {
        return std::nullopt; // the whole read says what is wrong
    }
    plan.InPlace = ChainInPlace(plan);
    if (!plan.InPlace && !WalkChain(plan)) return std::nullopt;
    if (!MatchRows(plan, limit) || !MemosStayPut(plan) || !KeysInOrder(plan)) return std::nullopt;
    if (plan.MemosMoved && !image.byBlock_) ReadTexts(plan);
    return plan;
}

// The journal's notes of the writes since the image last looked: the blocks they touched.
bool TableRefresh::ReadNotes(RefreshPlan& plan, std::set<std::uint16_t>& touched) {
    TableImage& image = image_;
    if (!image.loaded_ || image.stale_ || image.relayout_ || !image.pxPending_.empty()) return false;
    plan.Generation = image.journal_.Generation();
    if (plan.Generation <= image.stamp_.Generation) return false;
    std::vector<std::string> notes;
    if (!image.journal_.ChangesSince(image.files_, image.stamp_.Generation, plan.Generation, notes,
                                     plan.Last))
        return false;
    plan.Writes = notes.size();
    // The blocks it names are found among all of ours.
    image.primary_.MakeAll();
    for (const std::string& note : notes) {
        // Too much changed; or memo texts moved in a table read whole whose memo file did not read whole
        // (the whole read judges the damage again).
        if (note.empty() || (note[0] & 2) != 0) return false;
        if ((note[0] & 1) != 0 && !image.byBlock_ && (image.mbBroken_ || image.damagedMemos_ > 0))
            return false;
        plan.MemosMoved = plan.MemosMoved || (note[0] & 1) != 0;
        for (std::size_t i = 1; i + 1 < note.size(); i += 2)
            touched.insert(static_cast<std::uint16_t>(static_cast<unsigned char>(note[i]) |
                                                      static_cast<unsigned char>(note[i + 1]) << 8));
    }
    return true;
}

// The header, the touched blocks and, after several writes, the whole .PX, as the files hold them now.
bool TableRefresh::ReadTouched(RefreshPlan& plan, const std::set<std::uint16_t>& touched) {
    TableImage& image = image_;
    const int fd = image.files_.Fd(TableFile::Db, false);
    const std::int64_t size = SizeOf(fd);
    if (size < 0) return false;
    const std::uint64_t headerSize = image.hdr_.HeaderSize;
    const std::uint64_t bs = static_cast<std::uint64_t>(image.hdr_.BlockSize());
    plan.HeaderBytes.assign(headerSize, '\0');
    const base::IoResult r = base::ReadAt(fd, plan.HeaderBytes.data(), plan.HeaderBytes.size(), 0);
    if (r.Error != 0 || r.Done < plan.HeaderBytes.size()) return false;
    plan.Header = codec::ParseDbHeader(plan.HeaderBytes, static_cast<std::uint64_t>(size), image.name_);
    if (!SameStructure(plan.Header, image.hdr_)) return false;
    for (std::uint16_t b : touched) {
        if (b > plan.Header.FileBlocks) continue;
        std::string bytes(bs, '\0');
        const base::IoResult rb = base::ReadAt(fd, bytes.data(), bytes.size(), headerSize + (b - 1u) * bs);
        if (rb.Error != 0 || rb.Done < bytes.size()) return false;
        plan.Blocks.emplace(b, std::move(bytes));
    }
    if (plan.Writes > 1 && image.hdr_.KeyFields > 0) {
        const int pxFd = image.files_.Fd(TableFile::Px, false);
        const std::int64_t pxSize = SizeOf(pxFd);
        if (pxSize < 0 || pxSize > (64 << 20)) return false;
        plan.PxBytes.assign(static_cast<std::size_t>(pxSize), '\0');
        const base::IoResult rp = base::ReadAt(pxFd, plan.PxBytes.data(), plan.PxBytes.size(), 0);
        if (rp.Error != 0 || rp.Done < plan.PxBytes.size()) return false;
    }
    return true;
}

// The usual write keeps every block in its place (an edit, an insert or delete within a block): then only the
// rewritten blocks are looked at, not the whole chain.
bool TableRefresh::ChainInPlace(RefreshPlan& plan) {
    const TableImage& image = image_;
    const codec::DbHeader& h = plan.Header;
    const auto& chunks = image.primary_.Chunks();
    plan.Chain.clear();
    if (h.FileBlocks != image.fileBlocks_ || chunks.empty() || h.FirstBlock != chunks.front()->Block ||
        h.LastBlock != chunks.back()->Block)
        return false;
    std::int64_t total = static_cast<std::int64_t>(image.primary_.Size());
    for (const auto& [b, bytes] : plan.Blocks) {
        if (b >= image.blockOwner_.size() || image.blockOwner_[b] == nullptr) return false;
        const Chunk& c = *image.blockOwner_[b];
        const auto* p = codec::Bytes(bytes);
        if (codec::GetU16(p) != image.NextBlock(c) || codec::GetU16(p + 2) != image.PrevBlock(c))
            return false;
        RefreshPlan::Link link;
        link.Block = b;
        link.At = c.Index;
        if (!ReadLink(bytes, image.hdr_.RecordSize, image.hdr_.RecordsPerBlock(), link)) return false;
        total += link.Count - static_cast<std::int64_t>(c.Count());
        plan.Chain.push_back(link);
    }
    if (total != static_cast<std::int64_t>(h.NumRecords)) return false;
    std::sort(plan.Chain.begin(), plan.Chain.end(),
              [](const RefreshPlan::Link& a, const RefreshPlan::Link& b) { return a.At < b.At; });
    return true;
}

// Blocks moved: the new chain along its links, rewritten blocks from their bytes, the others as the image
// knows them.
bool TableRefresh::WalkChain(RefreshPlan& plan) {
    const TableImage& image = image_;
    const codec::DbHeader& h = plan.Header;
    plan.Chain.clear();
    plan.Chain.reserve(h.FileBlocks);
    std::vector<bool> visited(h.FileBlocks + 1u, false);
    std::uint64_t total = 0;
    for (std::uint16_t b = h.FirstBlock; b != 0;) {
        if (b > h.FileBlocks || visited[b]) return false;
        visited[b] = true;
        RefreshPlan::Link link;
        link.Block = b;
        link.At = plan.Chain.size();
        std::uint16_t next = 0;
        if (const auto it = plan.Blocks.find(b); it != plan.Blocks.end()) {
            if (!ReadLink(it->second, image.hdr_.RecordSize, image.hdr_.RecordsPerBlock(), link))
                return false;
            next = codec::GetU16(codec::Bytes(it->second));
        } else {
            if (b > image.fileBlocks_ || b >= image.blockOwner_.size() || image.blockOwner_[b] == nullptr)
                return false;
            link.Old = image.blockOwner_[b];
            link.Count = static_cast<int>(link.Old->Count());
            next = image.NextBlock(*link.Old);
        }
        total += static_cast<std::uint64_t>(link.Count);
        plan.Chain.push_back(link);
        b = next;
    }
    return total == h.NumRecords;
}

// Rows of the blocks that were rewritten or left the chain, matched with the new records by identity.
bool TableRefresh::MatchRows(RefreshPlan& plan, std::size_t limit) {
    const TableImage& image = image_;
    const auto& chunks = image.primary_.Chunks();
    const int identity = image.hdr_.IdentityBytes();
    const int rs = image.hdr_.RecordSize;
    std::unordered_multimap<std::string_view, RowId> pool;
    std::size_t poolRows = 0;
    auto toPool = [&](const Chunk& c) {
        poolRows += c.Count();
        if (poolRows > limit) return false;
        for (RowId id : c.Ids())
            // A row never read has nothing standing on it: its block's new rows take new ids.
            if (image.rows_[id])
                pool.emplace(std::string_view(reinterpret_cast<const char*>(image.rows_[id].get()), identity),
                             id);
            else
                plan.Unread.push_back(id);
        return true;
    };
    if (plan.InPlace) {
        for (const auto& l : plan.Chain)
            if (!toPool(*chunks[l.At])) return false;
    } else {
        std::vector<bool> reused(chunks.size(), false);
        for (const auto& l : plan.Chain)
            if (l.Old != nullptr) reused[l.Old->Index] = true;
        for (std::size_t i = 0; i < chunks.size(); ++i)
            if (!reused[i] && !toPool(*chunks[i])) return false;
    }

    plan.Rows.assign(plan.Chain.size(), {});
    RowId fresh = static_cast<RowId>(image.rows_.size());
    for (std::size_t i = 0; i < plan.Chain.size(); ++i) {
        if (plan.Chain[i].Records == nullptr) continue;
        for (int k = 0; k < plan.Chain[i].Count; ++k) {
            const unsigned char* rec = plan.Chain[i].Records + static_cast<std::size_t>(k) * rs;
            const auto it = pool.find(std::string_view(reinterpret_cast<const char*>(rec), identity));
            if (it == pool.end()) {
                if (fresh == NoRowId) return false;
                plan.Rows[i].push_back({fresh++, rec, true});
                continue;
            }
            const RowId id = it->second;
            pool.erase(it);
            plan.Rows[i].push_back({id, rec, std::memcmp(image.rows_[id].get(), rec, rs) != 0});
        }
    }
    plan.Fresh = fresh;
    for (const auto& [key, id] : pool)
        plan.Gone.push_back(id);
    return true;
}

// Long memo texts come from the .MB, which these writes did not touch: a row that points anywhere else than
// it did needs the whole read.
bool TableRefresh::MemosStayPut(const RefreshPlan& plan) const {
    const TableImage& image = image_;
    if (image.memoFields_.empty() || plan.MemosMoved) return true;
    for (const auto& list : plan.Rows)
        for (const auto& pl : list) {
            if (!pl.Changed) continue;
            for (int fi : image.memoFields_) {
                const auto& f = image.layout_[fi];
                const int at = f.Offset + codec::MemoLeader(f);
                const std::uint32_t location = codec::GetU32(pl.Record + at);
                if (location == 0) continue;
                // A row new here (or never read) has no texts yet: a table read by block reads them, checked,
                // when the row is next read; one read whole holds every text and needs the whole read.
                if (pl.Id >= image.rows_.size()) {
                    if (image.byBlock_) continue;
                    return false;
                }
                if (codec::GetU32(image.rows_[pl.Id].get() + at) != location) return false;
            }
        }
    return true;
}

// A table read whole holds every long text: those of the rewritten blocks' rows are read from the .MB (a text
// written anew may keep its place, length and first bytes, so every such row's). A text the .MB does not give
// makes the whole read, which marks it.
void TableRefresh::ReadTexts(RefreshPlan& plan) const {
    for (const auto& list : plan.Rows)
        for (const auto& pl : list)
            plan.Texts.emplace_back(pl.Id, image_.ReadRowMemos(pl.Record));
}

// A keyed table stays in strictly rising key order across every rewritten block and its neighbours.
bool TableRefresh::KeysInOrder(const RefreshPlan& plan) const {
    const TableImage& image = image_;
    if (image.hdr_.KeyFields == 0) return true;
    const auto& chunks = image.primary_.Chunks();
    const auto& chain = plan.Chain;
    const auto& placed = plan.Rows;
    // The last record before link j and the first after it: a rewritten neighbour's new records, or the rows
    // of the block as the image has them.
    auto lastBefore = [&](std::size_t j) -> const unsigned char* {
        if (!plan.InPlace) {
            if (j == 0) return nullptr;
            return chain[j - 1].Old != nullptr ? image.Rec(chain[j - 1].Old->Back())
                                               : placed[j - 1].back().Record;
        }
        if (chain[j].At == 0) return nullptr;
        if (j > 0 && chain[j - 1].At + 1 == chain[j].At) return placed[j - 1].back().Record;
        return image.Rec(chunks[chain[j].At - 1]->Back());
    };
    auto firstAfter = [&](std::size_t j) -> const unsigned char* {
        if (!plan.InPlace) {
            if (j + 1 == chain.size()) return nullptr;
            return chain[j + 1].Old != nullptr ? image.Rec(chain[j + 1].Old->Front())
                                               : placed[j + 1].front().Record;
        }
        if (chain[j].At + 1 == chunks.size()) return nullptr;
        if (j + 1 < chain.size() && chain[j + 1].At == chain[j].At + 1) return placed[j + 1].front().Record;
        return image.Rec(chunks[chain[j].At + 1]->Front());
    };
    for (std::size_t j = 0; j < chain.size(); ++j) {
        if (chain[j].Old != nullptr) continue;
        const unsigned char* prev = lastBefore(j);
        for (const auto& pl : placed[j]) {
            if (prev != nullptr && image.primaryRule_.Compare(prev, pl.Record) >= 0) return false;
            prev = pl.Record;
        }
        const unsigned char* after = firstAfter(j);
        if (after != nullptr && image.primaryRule_.Compare(prev, after) >= 0) return false;
    }
    return true;
}

} // namespace engine
