// Catching up with another process's write by reading only the blocks it wrote: the journal still holds
// that write, so it names the touched blocks; every other block is as this image already has it.
#include "engine/TableImage.h"

#include "engine/codec/Bytes.h"
#include "engine/Errors.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <string_view>
#include <sys/stat.h>

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

bool TableImage::RefreshChangedBlocks() {
    if (!loaded_ || stale_ || relayout_ || !pxPending_.empty()) return false;
    const std::uint64_t generation = journal_.Generation();
    if (generation <= stamp_.Generation) return false;
    Transaction t;
    std::vector<std::string> notes;
    if (!journal_.ChangesSince(files_, stamp_.Generation, generation, notes, t)) return false;
    // The blocks it names are found among all of ours.
    primary_.MakeAll();
    std::set<std::uint16_t> touched;
    bool memosMoved = false;
    for (const std::string& note : notes) {
        // Too much changed; or memo texts moved in a table that holds them all (a large one reads its rows'
        // texts again when they are next read).
        if (note.empty() || (note[0] & 2) != 0 || ((note[0] & 1) != 0 && !byBlock_)) return false;
        memosMoved = memosMoved || (note[0] & 1) != 0;
        for (std::size_t i = 1; i + 1 < note.size(); i += 2)
            touched.insert(static_cast<std::uint16_t>(static_cast<unsigned char>(note[i]) |
                                                      static_cast<unsigned char>(note[i + 1]) << 8));
    }

    // ---- read and check everything first; nothing changes in memory until it all holds
    // Blocks the notes do not name are as this image knows them: rows not read yet may be read from them.
    struct CatchingUp {
        bool& Flag;
        explicit CatchingUp(bool& f) : Flag(f) { Flag = true; }
        ~CatchingUp() { Flag = false; }
    } catchingUp(catchingUp_);
    const int fd = files_.Fd(TableFile::Db, false);
    const std::int64_t size = SizeOf(fd);
    if (size < 0) return false;
    const std::uint64_t headerSize = hdr_.HeaderSize;
    const std::uint64_t bs = static_cast<std::uint64_t>(hdr_.BlockSize());
    const std::size_t limit = std::max<std::size_t>(MinRowsForShare, primary_.Size() / 4);
    if (touched.size() * static_cast<std::size_t>(hdr_.RecordsPerBlock()) > limit) return false;

    codec::DbHeader h;
    std::string head(headerSize, '\0');
    std::map<std::uint16_t, std::string> blocks;
    std::string pxBytes; // the whole .PX, when several writes changed it
    try {
        const base::IoResult r = base::ReadAt(fd, head.data(), head.size(), 0);
        if (r.Error != 0 || r.Done < head.size()) return false;
        h = codec::ParseDbHeader(head, static_cast<std::uint64_t>(size), name_);
        if (!SameStructure(h, hdr_)) return false;
        for (std::uint16_t b : touched) {
            if (b > h.FileBlocks) continue;
            std::string bytes(bs, '\0');
            const base::IoResult rb =
                base::ReadAt(fd, bytes.data(), bytes.size(), headerSize + (b - 1u) * bs);
            if (rb.Error != 0 || rb.Done < bytes.size()) return false;
            blocks.emplace(b, std::move(bytes));
        }
        if (notes.size() > 1 && hdr_.KeyFields > 0) {
            const int pxFd = files_.Fd(TableFile::Px, false);
            const std::int64_t pxSize = SizeOf(pxFd);
            if (pxSize < 0 || pxSize > (64 << 20)) return false;
            pxBytes.assign(static_cast<std::size_t>(pxSize), '\0');
            const base::IoResult rp = base::ReadAt(pxFd, pxBytes.data(), pxBytes.size(), 0);
            if (rp.Error != 0 || rp.Done < pxBytes.size()) return false;
        }
    } catch (const Error&) {
        return false; // the whole read says what is wrong
    }

    // The new chain: rewritten blocks from their bytes, the others as this image knows them (their bytes,
    // their next-block number with them, did not change).
    struct Link {
        std::uint16_t Block = 0;
        int Count = 0;
        Chunk* Old = nullptr;                   // a block nobody wrote: its chunk as it stands
        const unsigned char* Records = nullptr; // a rewritten block's records
        std::size_t At = 0;                     // place in the chain
    };
    const auto& chunks = primary_.Chunks();
    const int per = hdr_.RecordsPerBlock();
    const int rs = hdr_.RecordSize;
    auto rewritten = [&](const std::string& bytes, Link& link) {
        const auto* p = codec::Bytes(bytes);
        const auto add = static_cast<std::int16_t>(codec::GetU16(p + 4));
        if (add < 0 || add % rs != 0) return false; // an empty block in the chain: a whole read lays it out
        link.Count = add / rs + 1;
        link.Records = p + 6;
        return link.Count <= per;
    };
    // The usual write keeps every block in its place (an edit, an insert or delete within a block): then
    // only the rewritten blocks are looked at, not the whole chain.
    std::vector<Link> chain;
    const bool inPlace = [&] {
        if (h.FileBlocks != fileBlocks_ || chunks.empty() || h.FirstBlock != chunks.front()->Block ||
            h.LastBlock != chunks.back()->Block)
            return false;
        std::int64_t total = static_cast<std::int64_t>(primary_.Size());
        for (const auto& [b, bytes] : blocks) {
            if (b >= blockOwner_.size() || blockOwner_[b] == nullptr) return false;
            const Chunk& c = *blockOwner_[b];
            const auto* p = codec::Bytes(bytes);
            if (codec::GetU16(p) != NextBlock(c) || codec::GetU16(p + 2) != PrevBlock(c)) return false;
            Link link;
            link.Block = b;
            link.At = c.Index;
            if (!rewritten(bytes, link)) return false;
            total += link.Count - static_cast<std::int64_t>(c.Count());
            chain.push_back(link);
        }
        if (total != static_cast<std::int64_t>(h.NumRecords)) return false;
        std::sort(chain.begin(), chain.end(), [](const Link& a, const Link& b) { return a.At < b.At; });
        return true;
    }();
    if (!inPlace) {
        chain.clear();
        chain.reserve(h.FileBlocks);
        std::vector<bool> visited(h.FileBlocks + 1u, false);
        std::uint64_t total = 0;
        for (std::uint16_t b = h.FirstBlock; b != 0;) {
            if (b > h.FileBlocks || visited[b]) return false;
            visited[b] = true;
            Link link;
            link.Block = b;
            link.At = chain.size();
            std::uint16_t next = 0;
            if (const auto it = blocks.find(b); it != blocks.end()) {
                if (!rewritten(it->second, link)) return false;
                next = codec::GetU16(codec::Bytes(it->second));
            } else {
                if (b > fileBlocks_ || b >= blockOwner_.size() || blockOwner_[b] == nullptr) return false;
                link.Old = blockOwner_[b];
                link.Count = static_cast<int>(link.Old->Count());
                next = NextBlock(*link.Old);
            }
            total += static_cast<std::uint64_t>(link.Count);
            chain.push_back(link);
            b = next;
        }
        if (total != h.NumRecords) return false;
    }

    // Rows of the blocks that were rewritten or left the chain: matched with the new records by identity.
    const int identity = hdr_.IdentityBytes();
    std::unordered_multimap<std::string_view, RowId> pool;
    std::size_t poolRows = 0;
    std::vector<RowId> unread; // rows never read: they leave the secondary orders by id
    auto toPool = [&](const Chunk& c) {
        poolRows += c.Count();
        if (poolRows > limit) return false;
        for (RowId id : c.Ids())
            // A row never read has nothing standing on it: its block's new rows take new ids.
            if (rows_[id])
                pool.emplace(std::string_view(reinterpret_cast<const char*>(rows_[id].get()), identity), id);
            else
                unread.push_back(id);
        return true;
    };
    if (inPlace) {
        for (const auto& l : chain)
            if (!toPool(*chunks[l.At])) return false;
    } else {
        std::vector<bool> reused(chunks.size(), false);
        for (const auto& l : chain)
            if (l.Old != nullptr) reused[l.Old->Index] = true;
        for (std::size_t i = 0; i < chunks.size(); ++i)
            if (!reused[i] && !toPool(*chunks[i])) return false;
    }

    struct Placed {
        RowId Id;
        const unsigned char* Record;
        bool Changed; // new, or its bytes differ from what this image holds
    };
    std::vector<std::vector<Placed>> placed(chain.size());
    RowId fresh = static_cast<RowId>(rows_.size());
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (chain[i].Records == nullptr) continue;
        for (int k = 0; k < chain[i].Count; ++k) {
            const unsigned char* rec = chain[i].Records + static_cast<std::size_t>(k) * rs;
            const auto it = pool.find(std::string_view(reinterpret_cast<const char*>(rec), identity));
            if (it == pool.end()) {
                if (fresh == NoRowId) return false;
                placed[i].push_back({fresh++, rec, true});
                continue;
            }
            const RowId id = it->second;
            pool.erase(it);
            placed[i].push_back({id, rec, std::memcmp(rows_[id].get(), rec, rs) != 0});
        }
    }
    // Long memo texts come from the .MB, which this write did not touch: a row that points anywhere else
    // than it did needs the whole read.
    for (std::size_t i = 0; i < chain.size() && !memoFields_.empty() && !memosMoved; ++i)
        for (const auto& pl : placed[i]) {
            if (!pl.Changed) continue;
            for (int fi : memoFields_) {
                const auto& f = layout_[fi];
                const int at = f.Offset + codec::MemoLeader(f);
                const std::uint32_t location = codec::GetU32(pl.Record + at);
                if (location == 0) continue;
                if (pl.Id >= rows_.size() || codec::GetU32(rows_[pl.Id].get() + at) != location) return false;
            }
        }
    // A keyed table stays in strictly rising key order across every rewritten block and its neighbours.
    if (hdr_.KeyFields > 0) {
        // The last record before link j and the first after it: a rewritten neighbour's new records, or
        // the rows of the block as this image has them.
        auto lastBefore = [&](std::size_t j) -> const unsigned char* {
            if (!inPlace) {
                if (j == 0) return nullptr;
                return chain[j - 1].Old != nullptr ? Rec(chain[j - 1].Old->Back())
                                                   : placed[j - 1].back().Record;
            }
            if (chain[j].At == 0) return nullptr;
            if (j > 0 && chain[j - 1].At + 1 == chain[j].At) return placed[j - 1].back().Record;
            return Rec(chunks[chain[j].At - 1]->Back());
        };
        auto firstAfter = [&](std::size_t j) -> const unsigned char* {
            if (!inPlace) {
                if (j + 1 == chain.size()) return nullptr;
                return chain[j + 1].Old != nullptr ? Rec(chain[j + 1].Old->Front())
                                                   : placed[j + 1].front().Record;
            }
            if (chain[j].At + 1 == chunks.size()) return nullptr;
            if (j + 1 < chain.size() && chain[j + 1].At == chain[j].At + 1)
                return placed[j + 1].front().Record;
            return Rec(chunks[chain[j].At + 1]->Front());
        };
        for (std::size_t j = 0; j < chain.size(); ++j) {
            if (chain[j].Old != nullptr) continue;
            const unsigned char* prev = lastBefore(j);
            for (const auto& pl : placed[j]) {
                if (prev != nullptr && primaryRule_.Compare(prev, pl.Record) >= 0) return false;
                prev = pl.Record;
            }
            const unsigned char* after = firstAfter(j);
            if (after != nullptr && primaryRule_.Compare(prev, after) >= 0) return false;
        }
    }

    // ---- take the change
    std::vector<RowId> gone;
    for (const auto& [key, id] : pool)
        gone.push_back(id);
    for (std::size_t s = 0; s < secondaryOrders_.size(); ++s) {
        auto& order = secondaryOrders_[s];
        if (!order) continue;
        auto erase = [&](RowId id) {
            const auto pos = order->TracksRows() ? order->Locate(id)
                                                 : LowerBound(static_cast<int>(s), rows_[id].get(), id);
            ChunkedOrder::Change ch;
            if (!order->IsEnd(pos) && order->At(pos) == id) order->Erase(pos, ch);
        };
        for (RowId id : gone)
            erase(id);
        for (RowId id : unread)
            erase(id);
        for (const auto& list : placed)
            for (const auto& pl : list)
                if (pl.Changed && pl.Id < rows_.size()) erase(pl.Id);
    }
    for (RowId id : gone) {
        rows_.Reset(id);
        memos_.erase(id);
    }
    rows_.resize(fresh);
    if (memosMoved) {
        // The .MB's layout is read again before the next write; the texts of the rows of rewritten blocks
        // when next read (a text written anew may keep its place, length and first bytes).
        mb_.Reset();
        memoMap_ = false;
        for (const auto& list : placed)
            for (const auto& pl : list)
                memos_.erase(pl.Id);
    }
    for (const auto& list : placed)
        for (const auto& pl : list) {
            if (!pl.Changed) continue;
            auto& row = rows_.Slot(pl.Id);
            if (!row) row = std::make_unique_for_overwrite<unsigned char[]>(rs);
            std::memcpy(row.get(), pl.Record, rs);
        }

    // The primary order: the same blocks in the same places take their new rows; otherwise it is put
    // together again along the chain.
    bool samePlaces = inPlace || (h.FileBlocks == fileBlocks_ && chain.size() == chunks.size());
    for (std::size_t i = 0; samePlaces && !inPlace && i < chain.size(); ++i)
        samePlaces = chain[i].Block == chunks[i]->Block;
    std::size_t pxFrom = chunks.size();
    std::set<std::size_t> pxTouched;
    auto idsOf = [](const std::vector<Placed>& list) {
        std::vector<RowId> ids;
        ids.reserve(list.size());
        for (const auto& pl : list)
            ids.push_back(pl.Id);
        return ids;
    };
    if (samePlaces) {
        for (std::size_t j = 0; j < chain.size(); ++j)
            if (chain[j].Old == nullptr) {
                primary_.ReplaceIds(chain[j].At, idsOf(placed[j]));
                pxTouched.insert(chain[j].At);
            }
    } else {
        pxFrom = 0;
        while (pxFrom < chain.size() && pxFrom < chunks.size() &&
               chain[pxFrom].Block == chunks[pxFrom]->Block && chain[pxFrom].Old != nullptr)
            ++pxFrom;
        ChunkedOrder order(static_cast<std::size_t>(per));
        rowChunk_.clear();
        if (hdr_.KeyFields == 0 || byBlock_) order.TrackRows(&rowChunk_);
        blockOwner_.clear();
        blockOwner_.resize(h.FileBlocks + 1u);
        for (std::size_t i = 0; i < chain.size(); ++i) {
            std::vector<RowId> ids =
                chain[i].Old != nullptr ? std::move(chain[i].Old->MutableIds()) : idsOf(placed[i]);
            blockOwner_.Slot(chain[i].Block) = order.AppendChunk(std::move(ids), chain[i].Block);
        }
        primary_ = std::move(order);
        fileBlocks_ = h.FileBlocks;
        freeBlocks_.clear();
        for (std::uint16_t b = 1; b <= fileBlocks_; ++b)
            if (blockOwner_[b] == nullptr) freeBlocks_.insert(b);
    }

    for (std::size_t s = 0; s < secondaryOrders_.size(); ++s) {
        auto& order = secondaryOrders_[s];
        if (!order) continue;
        for (const auto& list : placed)
            for (const auto& pl : list) {
                if (!pl.Changed) continue;
                ChunkedOrder::Change ch;
                order->Insert(LowerBound(static_cast<int>(s), rows_[pl.Id].get(), pl.Id), pl.Id, ch);
            }
    }

    for (std::size_t i = 0; i < chain.size(); ++i)
        if (chain[i].Records != nullptr && blockOwner_[chain[i].Block] != nullptr)
            Cached(*blockOwner_[chain[i].Block]);

    hdr_ = std::move(h);
    hdrBytes_ = std::move(head);
    if (hdr_.KeyFields > 0) {
        if (notes.size() == 1) {
            for (const auto& w : t.Writes)
                if (w.File == TableFile::Px) px_.PatchDiskImage(w.Offset, w.Data);
            if (t.NewSize[1] >= 0) px_.ResizeDiskImage(static_cast<std::size_t>(t.NewSize[1]));
        } else {
            px_.SetDiskImage(std::move(pxBytes));
        }
        pxDiskSize_ = px_.Image().size();
        pxPending_ = UpdatePrimaryIndex(pxFrom, pxTouched);
    }
    UpdateStamp(generation);
    ++version_;
    return true;
}

} // namespace engine
