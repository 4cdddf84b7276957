// The write path of the table image: rows, blocks, indexes and memos changed in memory, then the touched
// bytes written through the journal.
#include "engine/TableImage.h"

#include "base/Files.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "engine/codec/Bytes.h"
#include "engine/Errors.h"
#include "engine/FileWrite.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {
namespace {

constexpr std::size_t NoChunk = SIZE_MAX;
constexpr RowId NoRow = UINT32_MAX;

} // namespace

struct TableImage::Batch {
    std::set<const Chunk*> Dirty;
    std::set<const Chunk*> Linked;   // chunks whose neighbours changed: only their links are written
    std::size_t PxFrom = NoChunk;    // chunks were added or removed from here on
    std::set<std::size_t> PxTouched; // chunks whose first key, count or block changed
    std::vector<codec::PageWrite> Mb;
    bool All = false;
    // Rows rewritten in place (same block, same position): only their bytes are written.
    std::vector<RowId> InPlace;
    std::vector<RowStep> Steps;
    // Memo bytes of the row being written, one per memo field (empty = null or short enough for the leader).
    std::vector<std::string> MemoBytes;
    std::int64_t AutoInc = 0;
};

// ------------------------------------------------------------------------------------------------ rows

std::unique_ptr<unsigned char[]> TableImage::EncodeRow(const Row& row, const unsigned char* old, Batch& b) {
    if (row.size() != layout_.size()) throw Error("Broj vrijednosti ne odgovara broju polja (" + name_ + ")");
    auto rec = std::make_unique<unsigned char[]>(hdr_.RecordSize);
    b.AutoInc = hdr_.AutoInc;
    b.MemoBytes.assign(memoFields_.size(), std::string());
    std::size_t memo = 0;
    for (std::size_t i = 0; i < layout_.size(); ++i) {
        const auto& f = layout_[i];
        unsigned char* p = rec.get() + f.Offset;
        if (codec::IsMemoType(f.Code)) {
            b.MemoBytes[memo++] = codec::EncodeMemoText(f, row[i], *cp_, name_);
            continue;
        }
        if (f.Desc.Type == FieldType::AutoInc && row[i].IsNull()) {
            if (old != nullptr) {
                std::memcpy(p, old + f.Offset, f.Bytes); // an edit keeps the value
            } else {
                if (b.AutoInc >= INT32_MAX)
                    throw Error("Brojač polja " + f.Desc.Name + " je pun (" + name_ + ")");
                codec::EncodeInt(++b.AutoInc, p, 4);
            }
            continue;
        }
        codec::EncodeField(f, row[i], p, *cp_, name_);
        if (f.Desc.Type == FieldType::AutoInc) b.AutoInc = std::max<std::int64_t>(b.AutoInc, row[i].AsInt());
    }
    return rec;
}

void TableImage::CheckUnique(const unsigned char* rec, RowId self) {
    if (hdr_.KeyFields > 0) {
        const auto pos =
            KeyLowerBound(-1, [&](const unsigned char* r) { return primaryRule_.Compare(r, rec) < 0; });
        if (!primary_.IsEnd(pos)) {
            const RowId other = primary_.At(pos);
            if (other != self && primaryRule_.Compare(Rec(other), rec) == 0) ThrowKeyViolation(name_);
        }
    }
    for (std::size_t i = 0; i < secondaries_.size(); ++i) {
        if (!secondaries_[i].Desc.Unique) continue;
        const int index = static_cast<int>(i);
        ChunkedOrder& order = Order(index);
        const KeyRule& rule = secondaryRules_[i];
        const bool desc = secondaries_[i].Desc.Descending;
        auto pos = order.LowerBound([&](RowId x) {
            const int c = rule.Compare(Rec(x), rec);
            return desc ? c > 0 : c < 0;
        });
        for (; !order.IsEnd(pos) && rule.Compare(Rec(order.At(pos)), rec) == 0; pos = order.Next(pos))
            if (order.At(pos) != self) ThrowKeyViolation(name_);
    }
}

void TableImage::MarkChunk(const Chunk* c, Batch& b) {
    if (c == nullptr) return;
    b.Dirty.insert(c);
    b.PxTouched.insert(c->Index);
}

void TableImage::MarkNeighbours(const Chunk& c, Batch& b) {
    const auto& chunks = primary_.Chunks();
    if (c.Index > 0) b.Linked.insert(chunks[c.Index - 1].get());
    if (c.Index + 1 < chunks.size()) b.Linked.insert(chunks[c.Index + 1].get());
}

// A block left the chain: the last block of the file moves into its place, so the file stays without holes.
void TableImage::ReleaseBlock(std::uint16_t block, Batch& b) {
    blockOwner_.Reset(block);
    freeBlocks_.insert(block);
    for (;;) {
        while (fileBlocks_ > 0 && freeBlocks_.count(fileBlocks_) != 0) {
            freeBlocks_.erase(fileBlocks_);
            --fileBlocks_;
        }
        if (freeBlocks_.empty()) break;
        const std::uint16_t target = *freeBlocks_.begin();
        Chunk* last = blockOwner_[fileBlocks_];
        if (last == nullptr) break; // every block is owned or free; nothing else can stand here
        ReadChunk(*last);           // from the block it leaves
        ReadNeighbours(last->Index);
        freeBlocks_.erase(target);
        freeBlocks_.insert(fileBlocks_);
        blockOwner_.Reset(fileBlocks_);
        last->Block = target;
        blockOwner_.Slot(target) = last;
        MarkChunk(last, b);
        MarkNeighbours(*last, b);
    }
    blockOwner_.resize(fileBlocks_ + 1u);
}

void TableImage::PrimaryInsert(RowId id, Batch& b) {
    ChunkedOrder::Pos pos = hdr_.KeyFields > 0 ? LowerBound(-1, Rec(id), id) : primary_.End();
    // The chunk that takes the row is read in first: its block on disk still holds its rows before this one.
    const auto& all = primary_.Chunks();
    if (!primary_.IsEnd(pos)) {
        ReadChunk(*all[pos.ChunkIndex]);
        // A full chunk splits: the half that moves out links to the chunk after it.
        if (all[pos.ChunkIndex]->Count() >= primary_.Capacity()) ReadNeighbours(pos.ChunkIndex);
    } else if (!all.empty()) {
        ReadChunk(*all.back());
    }
    ChunkedOrder::Change ch;
    const ChunkedOrder::Pos at = primary_.Insert(pos, id, ch);
    b.Steps.push_back({codec::StepKind::Insert, static_cast<std::uint32_t>(primary_.Rank(at)), id, -1});
    MarkChunk(ch.Touched, b);
    if (ch.Added != nullptr) {
        b.PxFrom = std::min(b.PxFrom, ch.Added->Index);
        ch.Added->Block = AllocateBlock();
        blockOwner_.Slot(ch.Added->Block) = ch.Added;
        MarkChunk(ch.Added, b);
        MarkNeighbours(*ch.Added, b);
    }
}

void TableImage::PrimaryErase(RowId id, Batch& b) {
    const auto pos = Locate(-1, id);
    if (primary_.IsEnd(pos)) return;
    ChunkedOrder::Change ch;
    const std::size_t index = pos.ChunkIndex;
    ReadChunk(*primary_.Chunks()[index]);
    // The last row goes: the chunk leaves the chain and its neighbours link to each other.
    if (primary_.Chunks()[index]->Count() == 1) ReadNeighbours(index);
    b.Steps.push_back({codec::StepKind::Erase, static_cast<std::uint32_t>(primary_.Rank(pos)), id, -1});
    primary_.Erase(pos, ch);
    MarkChunk(ch.Touched, b);
    if (ch.Removed) {
        b.Dirty.erase(ch.Removed.get());
        b.Linked.erase(ch.Removed.get());
        const auto& chunks = primary_.Chunks();
        b.PxFrom = std::min(b.PxFrom, index);
        if (index > 0) b.Linked.insert(chunks[index - 1].get());
        if (index < chunks.size()) b.Linked.insert(chunks[index].get());
        ReleaseBlock(ch.Removed->Block, b);
    }
}

void TableImage::InsertIntoOrders(RowId id, Batch& b) {
    PrimaryInsert(id, b);
    for (std::size_t i = 0; i < secondaryOrders_.size(); ++i) {
        if (!secondaryOrders_[i]) continue;
        ChunkedOrder::Change ch;
        secondaryOrders_[i]->Insert(LowerBound(static_cast<int>(i), Rec(id), id), id, ch);
    }
}

void TableImage::EraseFromOrders(RowId id, Batch& b, bool primaryToo) {
    if (primaryToo) PrimaryErase(id, b);
    for (std::size_t i = 0; i < secondaryOrders_.size(); ++i) {
        if (!secondaryOrders_[i]) continue;
        const auto pos = Locate(static_cast<int>(i), id);
        ChunkedOrder::Change ch;
        if (!secondaryOrders_[i]->IsEnd(pos)) secondaryOrders_[i]->Erase(pos, ch);
    }
}

void TableImage::FreeMemos(RowId id, Batch& b) {
    for (const auto& fi : memoFields_) {
        const auto& f = layout_[fi];
        const std::uint32_t location = codec::GetU32(Rec(id) + f.Offset + codec::MemoLeader(f));
        if (location != 0) mb_.Free(location, b.Mb);
    }
    memos_.erase(id);
}

// Fills the memo leaders and trailers of a new record, storing long texts in the .MB.
static void PutMemo(const codec::FieldLayout& f, unsigned char* rec, const std::string& bytes,
                    std::uint32_t location) {
    unsigned char* p = rec + f.Offset;
    const int leader = codec::MemoLeader(f);
    std::memset(p, 0, f.Bytes);
    if (bytes.empty()) return;
    std::memcpy(p, bytes.data(), std::min<std::size_t>(bytes.size(), leader));
    codec::PutU32(p + leader, location);
    codec::PutU32(p + leader + 4, static_cast<std::uint32_t>(bytes.size()));
    codec::PutU16(p + leader + 8, location != 0 ? 1 : 0);
}

// ------------------------------------------------------------------------------------------------ operations

// Runs a change in memory and writes it through. When either fails, memory and files may disagree: the files
// are read again before the next use.
void TableImage::WriteThrough(Batch& b, const std::function<void()>& change) {
    struct Writing {
        bool& Flag;
        bool Was;
        explicit Writing(bool& f) : Flag(f), Was(f) { Flag = true; }
        ~Writing() { Flag = Was; }
    } writing(writing_);
    try {
        change();
        if (group_ == nullptr) Commit(b);
    } catch (...) {
        stale_ = true;
        throw;
    }
}

RowId TableImage::Insert(const Row& row) {
    Batch own;
    Batch& b = group_ != nullptr ? *group_ : own;
    auto rec = EncodeRow(row, nullptr, b);
    CheckUnique(rec.get(), NoRow);
    if (rows_.size() >= NoRow) throw Error("Tablica " + name_ + " je puna");

    const RowId id = static_cast<RowId>(rows_.size());
    WriteThrough(b, [&] {
        for (std::size_t k = 0; k < memoFields_.size(); ++k) {
            const auto& f = layout_[memoFields_[k]];
            const std::string& bytes = b.MemoBytes[k];
            std::uint32_t location = 0;
            if (bytes.size() > static_cast<std::size_t>(codec::MemoLeader(f))) {
                location = mb_.Store(bytes, b.Mb);
                auto& texts = memos_[id];
                texts.resize(memoFields_.size());
                texts[k] = bytes;
            }
            PutMemo(f, rec.get(), bytes, location);
        }
        rows_.push_back(std::move(rec));
        hdr_.AutoInc = static_cast<std::uint32_t>(b.AutoInc);
        InsertIntoOrders(id, b);
    });
    return id;
}

void TableImage::Modify(RowId id, const Row& row) {
    if (!Alive(id)) throw Error("Slog više ne postoji (" + name_ + ")");
    Batch own;
    Batch& b = group_ != nullptr ? *group_ : own;
    auto rec = EncodeRow(row, Rec(id), b);
    // A post of an edit that changed nothing writes nothing: no journal, no sync, no change for others to
    // read.
    if (SameAsStored(id, rec.get(), b)) return;
    CheckUnique(rec.get(), id);
    WriteThrough(b, [&] {
        // Memos: an unchanged text keeps its place in the .MB.
        const auto* texts = MemosOf(id);
        const auto oldMemos = texts != nullptr ? *texts : std::vector<std::string>();
        std::vector<std::string> kept(memoFields_.size());
        bool anyLong = false;
        for (std::size_t k = 0; k < memoFields_.size(); ++k) {
            const auto& f = layout_[memoFields_[k]];
            const int leader = codec::MemoLeader(f);
            const unsigned char* oldField = Rec(id) + f.Offset;
            const std::uint32_t oldLoc = codec::GetU32(oldField + leader);
            const std::string& bytes = b.MemoBytes[k];
            const bool oldLong = oldLoc != 0;
            const bool newLong = bytes.size() > static_cast<std::size_t>(leader);
            if (oldLong && newLong && k < oldMemos.size() && oldMemos[k] == bytes) {
                std::memcpy(rec.get() + f.Offset, oldField, f.Bytes);
            } else {
                if (oldLong) mb_.Free(oldLoc, b.Mb);
                PutMemo(f, rec.get(), bytes, newLong ? mb_.Store(bytes, b.Mb) : 0);
            }
            if (newLong) {
                kept[k] = bytes;
                anyLong = true;
            }
        }
        if (anyLong)
            memos_[id] = std::move(kept);
        else
            memos_.erase(id);

        const bool keyChanged = hdr_.KeyFields > 0 && primaryRule_.Compare(Rec(id), rec.get()) != 0;
        EraseFromOrders(id, b, keyChanged);
        const std::unique_ptr<unsigned char[]> old = std::exchange(rows_.Slot(id), std::move(rec));
        hdr_.AutoInc = static_cast<std::uint32_t>(b.AutoInc);
        if (keyChanged) {
            PrimaryInsert(id, b);
        } else {
            b.InPlace.push_back(id); // same block, same place: the .PX does not change
            for (int i = 0; i < static_cast<int>(secondaries_.size()); ++i)
                if (Rule(i).Compare(old.get(), Rec(id)) != 0)
                    b.Steps.push_back({codec::StepKind::Rekey,
                                       static_cast<std::uint32_t>(primary_.Rank(Locate(-1, id))), id, i});
        }
        for (std::size_t i = 0; i < secondaryOrders_.size(); ++i) {
            if (!secondaryOrders_[i]) continue;
            ChunkedOrder::Change ch;
            secondaryOrders_[i]->Insert(LowerBound(static_cast<int>(i), Rec(id), id), id, ch);
        }
    });
}

bool TableImage::SameAsStored(RowId id, const unsigned char* rec, const Batch& b) const {
    const unsigned char* old = Rec(id);
    const auto* stored = MemosOf(id);
    std::size_t k = 0;
    for (const auto& f : layout_) {
        if (!codec::IsMemoType(f.Code)) {
            if (std::memcmp(old + f.Offset, rec + f.Offset, f.Bytes) != 0) return false;
            continue;
        }
        const std::string& bytes = b.MemoBytes[k];
        const int leader = codec::MemoLeader(f);
        const bool oldLong = codec::GetU32(old + f.Offset + leader) != 0;
        const bool newLong = bytes.size() > static_cast<std::size_t>(leader);
        if (oldLong != newLong) return false;
        if (oldLong) {
            if (stored == nullptr || k >= stored->size() || (*stored)[k] != bytes) return false;
        } else {
            std::vector<unsigned char> field(static_cast<std::size_t>(f.Offset + f.Bytes));
            PutMemo(f, field.data(), bytes, 0);
            if (std::memcmp(old + f.Offset, field.data() + f.Offset, f.Bytes) != 0) return false;
        }
        ++k;
    }
    return true;
}

void TableImage::Delete(RowId id) {
    if (!Alive(id)) throw Error("Slog više ne postoji (" + name_ + ")");
    Batch own;
    Batch& b = group_ != nullptr ? *group_ : own;
    WriteThrough(b, [&] {
        FreeMemos(id, b);
        EraseFromOrders(id, b, true);
        rows_.Reset(id);
    });
}

void TableImage::ReplaceRows(const Key& from, const Key& to, const std::vector<Row>& rows) {
    if (group_ != nullptr) throw Error("Upis u tablicu " + name_ + " je već u tijeku");
    if (hdr_.KeyFields == 0 && (!from.empty() || !to.empty()))
        throw Error("Tablica " + name_ + " nema primarni ključ");
    // Blocks not read yet would be checked against neighbours the write already changed.
    ReadAllRows();
    // The rows to go, found before anything changes.
    std::vector<RowId> gone;
    {
        ChunkedOrder& order = Order(-1);
        ChunkedOrder::Pos pos = order.Begin();
        if (!from.empty()) {
            const SearchKey lo = EncodeKey(-1, from);
            pos = order.LowerBound([&](RowId x) {
                const int c = CompareKey(-1, Rec(x), lo.Bytes, lo.Parts);
                return lo.After ? c <= 0 : c < 0;
            });
        }
        const SearchKey hi = to.empty() ? SearchKey() : EncodeKey(-1, to);
        for (; !order.IsEnd(pos); pos = order.Next(pos)) {
            const RowId id = order.At(pos);
            if (hi.Parts > 0 && CompareKey(-1, Rec(id), hi.Bytes, hi.Parts) > 0) break;
            gone.push_back(id);
        }
    }
    if (gone.empty() && rows.empty()) return; // nothing to write
    Batch b;
    struct Grouped {
        Batch*& Group;
        bool& Writing;
        Grouped(Batch*& g, Batch& b, bool& w) : Group(g), Writing(w) {
            Group = &b;
            Writing = true;
        }
        ~Grouped() {
            Group = nullptr;
            Writing = false;
        }
    };
    try {
        Grouped grouped(group_, b, writing_);
        for (RowId id : gone)
            Delete(id);
        for (const Row& row : rows)
            Insert(row);
    } catch (...) {
        // Memory went ahead of the files: they are read again before the next use.
        stale_ = true;
        throw;
    }
    WriteThrough(b, [] {});
}

void TableImage::Empty() {
    Batch b;
    WriteThrough(b, [&] {
        rows_.ResetAll();
        byBlock_ = false;
        Uncache();
        memos_.clear();
        primary_.Clear();
        blockOwner_.clear();
        blockOwner_.resize(1);
        freeBlocks_.clear();
        fileBlocks_ = 0;
        for (auto& o : secondaryOrders_)
            if (o) o = std::make_unique<ChunkedOrder>(o->Capacity());
        if (!memoFields_.empty()) mb_.Reset();
        b.All = true;
        b.PxFrom = 0;
    });
}

// ------------------------------------------------------------------------------------------------ commit

void TableImage::Relayout(Batch& b) {
    ReadAllRows();
    std::vector<RowId> all;
    all.reserve(primary_.Size());
    for (const auto& c : primary_.Chunks())
        all.insert(all.end(), c->Ids().begin(), c->Ids().end());
    LayOutBlocks(std::move(all));
    b.All = true;
    b.PxFrom = 0;
    relayout_ = false;
}

void TableImage::Commit(Batch& b) {
    if (relayout_) Relayout(b);
    Transaction t;
    const std::uint64_t bs = static_cast<std::uint64_t>(hdr_.BlockSize());
    const auto& chunks = primary_.Chunks();
    auto putBlock = [&](const Chunk& c) {
        t.Writes.push_back({TableFile::Db, hdr_.HeaderSize + (c.Block - 1u) * bs, EncodeBlock(c)});
    };
    if (b.All) {
        for (const auto& c : chunks)
            putBlock(*c);
    } else {
        for (const Chunk* c : b.Dirty) {
            putBlock(*c);
            Cached(*c);
        }
        // A block whose neighbours changed keeps its rows: its next and previous block numbers are written.
        for (const Chunk* c : b.Linked) {
            if (b.Dirty.count(c) != 0) continue;
            std::string links(4, '\0');
            auto* p = codec::Bytes(links);
            codec::PutU16(p, NextBlock(*c));
            codec::PutU16(p + 2, PrevBlock(*c));
            t.Writes.push_back({TableFile::Db, hdr_.HeaderSize + (c->Block - 1u) * bs, std::move(links)});
        }
        for (RowId id : b.InPlace) {
            if (!Alive(id)) continue; // deleted later in the same write
            const auto pos = Locate(-1, id);
            const Chunk& c = *chunks[pos.ChunkIndex];
            if (b.Dirty.count(&c) != 0) continue;
            Cached(c);
            const std::uint64_t at = hdr_.HeaderSize + (c.Block - 1u) * bs + 6 + pos.Idx * hdr_.RecordSize;
            t.Writes.push_back(
                {TableFile::Db, at, std::string(reinterpret_cast<const char*>(Rec(id)), hdr_.RecordSize)});
        }
    }

    hdr_.NumRecords = static_cast<std::uint32_t>(primary_.Size());
    hdr_.UsedBlocks = hdr_.FileBlocks = fileBlocks_;
    hdr_.FirstBlock = chunks.empty() ? 0 : chunks.front()->Block;
    hdr_.LastBlock = chunks.empty() ? 0 : chunks.back()->Block;
    std::string head = hdrBytes_;
    codec::PatchDbHeader(head, hdr_);
    std::size_t first = 0, last = head.size();
    while (first < last && head[first] == hdrBytes_[first])
        ++first;
    while (last > first && head[last - 1] == hdrBytes_[last - 1])
        --last;
    if (last > first) t.Writes.push_back({TableFile::Db, first, head.substr(first, last - first)});
    const std::int64_t dbSize =
        hdr_.HeaderSize + static_cast<std::int64_t>(fileBlocks_) * static_cast<std::int64_t>(bs);
    if (dbSize != stamp_.Size) t.NewSize[0] = dbSize;

    if (hdr_.KeyFields > 0) {
        auto ranges = UpdatePrimaryIndex(b.PxFrom == NoChunk ? chunks.size() : b.PxFrom, b.PxTouched);
        ranges.insert(ranges.end(), pxPending_.begin(), pxPending_.end());
        const std::string& image = px_.Image();
        for (const auto& r : ranges) {
            if (r.Offset >= image.size()) continue;
            t.Writes.push_back({TableFile::Px, r.Offset,
                                image.substr(r.Offset, std::min(r.Length, image.size() - r.Offset))});
        }
        if (image.size() != pxDiskSize_) t.NewSize[1] = static_cast<std::int64_t>(image.size());
    }
    for (auto& w : b.Mb)
        t.Writes.push_back({TableFile::Mb, w.Offset, std::move(w.Data)});
    if (!memoFields_.empty() && mb_.FileSize() != mbDiskSize_) {
        if (mbDiskSize_ == 0) t.Writes.push_back({TableFile::Mb, 0, codec::MemoFile::NewFileBytes()});
        t.NewSize[2] = static_cast<std::int64_t>(mb_.FileSize());
    }

    t.Note = ChangeNote(t);
    codec::TableState before = orders_.State();
    // The rows were counted after the change in memory: the files still have those before it.
    for (const RowStep& step : b.Steps)
        before.Rows += static_cast<std::uint32_t>(step.Kind == codec::StepKind::Erase) -
                       static_cast<std::uint32_t>(step.Kind == codec::StepKind::Insert);
    const std::vector<OrderChange> orders = orders_.PlanStoredOrders(b.All, b.Steps, before);
    const std::uint64_t generation = journal_.Commit(t, files_);
    hdrBytes_ = std::move(head);
    pxPending_.clear();
    pxDiskSize_ = px_.Image().size();
    if (!memoFields_.empty()) mbDiskSize_ = mb_.FileSize();
    UpdateStamp(generation);
    ++version_;
    orders_.FinishStoredOrders(orders, before, orders_.State());
}

// ------------------------------------------------------------------------------------------------ indexes

std::vector<codec::ByteRange> TableImage::UpdatePrimaryIndex(std::size_t from,
                                                             const std::set<std::size_t>& touched) {
    // Blocks of a table read by block that are not in memory were not written: their entries keep their
    // keys instead of reading the blocks.
    std::function<const unsigned char*(RowId)> known;
    if (byBlock_) known = [this](RowId id) { return rows_[id].get(); };
    pxStamp_ = 0;
    auto ranges = px_.Update(
        primary_.Chunks(), from, touched, [this](RowId id) { return Rec(id); }, known);
    pxStamp_ = primary_.Stamp();
    return ranges;
}

void TableImage::StoreIndexFiles(const codec::SecondaryDef& def) {
    const fs::path folder = dbPath_.parent_path();
    // The .X file defines the index: it comes last, and when anything fails both go again, so a failed
    // add leaves no index behind (a .Y alone is never read).
    WriteFileReplacing(folder / def.YFile, codec::EncodeIndexDef(def, 'Y'));
    try {
        WriteFileReplacing(folder / def.XFile, codec::EncodeIndexDef(def, 'X'));
    } catch (...) {
        base::Fs().Unlink((folder / def.XFile).c_str());
        base::Fs().Unlink((folder / def.YFile).c_str());
        throw;
    }
}

// Makes the leading `keyFields` fields the key (0: none) and writes every block again in the new order.
void TableImage::ChangeKey(std::uint16_t keyFields) {
    ReadAllRows();
    Batch b;
    WriteThrough(b, [&] {
        hdr_.KeyFields = keyFields;
        hdr_.FileType = keyFields > 0 ? codec::FileKeyed : codec::FileUnkeyed;
        BuildRules();
        pxPending_.clear();
        if (keyFields > 0) ResetPrimaryIndexFile();
        for (auto& o : secondaryOrders_)
            o.reset(); // ties follow the primary key
        Relayout(b);
    });
}

// The key lives in the .DB; its .PX follows from the rows, so it is read again and made whole.
void TableImage::RebuildPrimaryIndexFile() {
    Batch b;
    WriteThrough(b, [&] { LoadPrimaryIndexFile(); });
}

void TableImage::AddIndex(const IndexDesc& index) {
    ReadAllRows();
    const std::vector<int> fields = codec::ResolveFieldList(index.FieldsText, layout_);
    if (fields.empty()) throw Error("Neispravna polja indeksa " + index.Name + " (" + name_ + ")");
    for (int n : fields)
        if (codec::IsMemoType(layout_[n].Code))
            throw Error("Polje " + fields_[n].Name + " ne može biti u indeksu (" + name_ + ")");

    if (index.Primary) {
        if (index.CaseInsensitive || index.Descending)
            throw Error("Primarni ključ ne može imati te opcije (" + name_ + ")");
        if (hdr_.KeyFields > 0) {
            if (fields != IndexFieldNumbers(-1))
                throw Error("Tablica " + name_ + " već ima primarni ključ na drugim poljima");
            RebuildPrimaryIndexFile();
            return;
        }
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i] != static_cast<int>(i))
                throw Error("Primarni ključ mora biti na prvim poljima (" + name_ + ")");
        std::vector<int> keys(fields);
        const KeyRule rule = RuleFor(keys, false);
        std::vector<RowId> all;
        for (const auto& c : primary_.Chunks())
            all.insert(all.end(), c->Ids().begin(), c->Ids().end());
        std::stable_sort(all.begin(), all.end(),
                         [&](RowId x, RowId y) { return rule.Compare(Rec(x), Rec(y)) < 0; });
        for (std::size_t i = 1; i < all.size(); ++i)
            if (rule.Compare(rows_[all[i - 1]].get(), rows_[all[i]].get()) == 0) ThrowKeyViolation(name_);
        ChangeKey(static_cast<std::uint16_t>(fields.size()));
        return;
    }

    if (index.Name.empty()) throw Error("Indeks mora imati ime (" + name_ + ")");
    for (const auto& s : secondaries_)
        if (base::SameText(s.Desc.Name, index.Name))
            throw Error("Indeks " + index.Name + " već postoji (" + name_ + ")");
    codec::SecondaryDef def;
    def.Desc = index;
    def.FieldNumbers = fields;
    for (const auto& s : secondaries_)
        if (!s.Foreign) def.Ordinal = std::max(def.Ordinal, s.Ordinal + 1);
    const fs::path folder = dbPath_.parent_path();
    const std::string stem = dbPath_.stem().string();
    auto taken = [&](const std::string& ext) { return base::FileExistsIn(folder, stem + ext); };
    char hex[16];
    std::snprintf(hex, sizeof hex, "%02X", fields[0] + 1);
    if (fields.size() == 1 && !index.CaseInsensitive && !index.Descending &&
        base::SameText(index.Name, fields_[fields[0]].Name) && !taken(std::string(".X") + hex)) {
        def.XFile = stem + ".X" + hex;
        def.YFile = stem + ".Y" + hex;
    } else {
        for (int n = 0;; ++n) {
            std::snprintf(hex, sizeof hex, "%X", n);
            if (!taken(std::string(".XG") + hex) && !taken(std::string(".YG") + hex)) break;
        }
        def.XFile = stem + ".XG" + hex;
        def.YFile = stem + ".YG" + hex;
    }
    def.Desc.Primary = false;

    // Build the order first: a unique index over rows that repeat a key is refused before any file is
    // written.
    const std::size_t at = static_cast<std::size_t>(
        std::find_if(secondaries_.begin(), secondaries_.end(), [](const auto& s) { return s.Foreign; }) -
        secondaries_.begin());
    secondaries_.insert(secondaries_.begin() + static_cast<std::ptrdiff_t>(at), def);
    secondaryOrders_.insert(secondaryOrders_.begin() + static_cast<std::ptrdiff_t>(at), nullptr);
    BuildRules();
    try {
        if (index.Unique) {
            ChunkedOrder& order = Order(static_cast<int>(at));
            const KeyRule& rule = secondaryRules_[at];
            for (auto p = order.Begin(); !order.IsEnd(p);) {
                const auto n = order.Next(p);
                if (!order.IsEnd(n) && rule.Compare(Rec(order.At(p)), Rec(order.At(n))) == 0)
                    ThrowKeyViolation(name_);
                p = n;
            }
        }
        StoreIndexFiles(def);
    } catch (...) {
        secondaries_.erase(secondaries_.begin() + static_cast<std::ptrdiff_t>(at));
        secondaryOrders_.erase(secondaryOrders_.begin() + static_cast<std::ptrdiff_t>(at));
        BuildRules();
        throw;
    }
    ++version_;
}

void TableImage::DeleteIndex(const std::string& name) {
    const fs::path folder = dbPath_.parent_path();
    if (name.empty()) {
        if (hdr_.KeyFields == 0) throw Error("Tablica " + name_ + " nema primarni ključ");
        ChangeKey(0);
        files_.Close(TableFile::Px);
        base::Fs().Unlink(files_.Path(TableFile::Px).c_str());
        pxDiskSize_ = 0;
        return;
    }
    for (std::size_t i = 0; i < secondaries_.size(); ++i) {
        if (!base::SameText(secondaries_[i].Desc.Name, name)) continue;
        base::Fs().Unlink((folder / secondaries_[i].XFile).c_str());
        if (!secondaries_[i].YFile.empty()) base::Fs().Unlink((folder / secondaries_[i].YFile).c_str());
        secondaries_.erase(secondaries_.begin() + static_cast<std::ptrdiff_t>(i));
        secondaryOrders_.erase(secondaryOrders_.begin() + static_cast<std::ptrdiff_t>(i));
        BuildRules();
        ++version_;
        return;
    }
    throw Error("Indeks " + name + " ne postoji (" + name_ + ")");
}

} // namespace engine
