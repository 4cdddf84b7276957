#pragma once
// A sequence of row ids kept in chunks of bounded size: inserting or removing one id moves at most one
// chunk's ids. The primary order of a table uses one chunk per data block of the .DB file.

#include "engine/RowArray.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

using RowId = std::uint32_t;

struct Chunk final {
    // Chunks come from a pool of slabs: opening a large table makes one per block, tens of thousands at
    // a time, and frees them all again at close.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;

    std::uint16_t Block = 0; // .DB block number (primary order only)
    std::size_t Index = 0;   // position in the chunk list

    std::size_t Count() const { return run_ > 0 ? run_ : ids_.size(); }
    RowId Id(std::size_t k) const { return run_ > 0 ? first_ + static_cast<RowId>(k) : ids_[k]; }
    RowId Front() const { return Id(0); }
    RowId Back() const { return Id(Count() - 1); }
    // The ids one by one (a run's are written out first).
    const std::vector<RowId>& Ids() const {
        Spell();
        return ids_;
    }
    std::vector<RowId>& MutableIds() {
        Spell();
        return ids_;
    }
    void SetIds(std::vector<RowId> ids) {
        run_ = 0;
        ids_ = std::move(ids);
    }
    // The ids first, first + 1, ... kept as a count until they are needed one by one.
    void SetRun(RowId first, std::uint32_t count) {
        ids_.clear();
        first_ = first;
        run_ = count;
    }

private:
    void Spell() const {
        if (run_ == 0) return;
        ids_.resize(run_);
        for (std::uint32_t k = 0; k < run_; ++k)
            ids_[k] = first_ + k;
        run_ = 0;
    }
    mutable std::vector<RowId> ids_;
    mutable RowId first_ = 0;
    mutable std::uint32_t run_ = 0;
};

// Where the chunks of an order not made yet come from (a large table's .PX, one entry per block).
class ChunkSource {
public:
    // The rows of chunk i (throws when the source cannot tell).
    virtual std::uint32_t Count(std::size_t i) const = 0;
    // The block of chunk i, now made as `c` (throws when the block cannot be its).
    virtual std::uint16_t Take(std::size_t i, Chunk& c) const = 0;

protected:
    ~ChunkSource() = default;
};

class ChunkedOrder {
public:
    struct Pos {
        std::size_t ChunkIndex = 0;
        std::size_t Idx = 0;
        friend bool operator==(const Pos&, const Pos&) = default;
    };
    // What an insert or erase did to the chunks, so the owner can renumber blocks.
    struct Change {
        Chunk* Touched = nullptr;       // the chunk that got or lost the id
        Chunk* Added = nullptr;         // a new chunk (split or append)
        std::unique_ptr<Chunk> Removed; // a chunk that became empty
    };

    explicit ChunkedOrder(std::size_t capacity) : capacity_(capacity), stamp_(NextStamp()) {}

    std::size_t Capacity() const { return capacity_; }
    // Changes with every change of the chunks or their ids, and differs between any two orders: what was
    // derived from the order (a .PX's entries) still fits it while the stamp is the one it was made at.
    std::uint64_t Stamp() const { return stamp_; }
    std::size_t Size() const { return size_; }
    std::size_t ChunkCount() const { return source_ ? sourceChunks_ : chunks_.size(); }
    // Chunk i (made now when it was not yet).
    Chunk& ChunkAt(std::size_t i) const {
        if (!source_) return *chunks_[i];
        const auto& c = made_[i];
        return c ? *c : Make(i, SourceFirst(i));
    }
    // Chunk i when it was made (rows were read only from chunks made).
    const Chunk* IfMade(std::size_t i) const { return source_ ? made_[i].get() : chunks_[i].get(); }
    // Every chunk (those not made yet are made now).
    const std::vector<std::unique_ptr<Chunk>>& Chunks() const {
        MakeAll();
        return chunks_;
    }
    // Takes `chunks` chunks of `rows` rows from a source without making them: chunk i is made when first
    // reached, as a run of the ids first, first + 1, ... where first is the number of rows before it. A
    // run's ids are not written into the tracked rows: they are found through the run until a change tracks
    // them one by one. groupFirst[g] is the number of rows before chunk g * groupSize. Any change makes every
    // chunk first.
    void AdoptSource(const ChunkSource* source, std::size_t chunks, std::size_t rows, std::size_t groupSize,
                     std::vector<RowId> groupFirst);
    void MakeAll() const;
    // Keeps rowChunk[id] = the chunk holding id (for orders that cannot find a row by its key).
    void TrackRows(RowArray<Chunk*>* rowChunk) { rowChunk_ = rowChunk; }
    // The same in an array of the order's own (an order that must find rows whose keys are not at hand).
    void TrackOwnRows() {
        ownRows_ = std::make_unique<RowArray<Chunk*>>();
        rowChunk_ = ownRows_.get();
    }
    bool TracksRows() const { return rowChunk_ != nullptr; }
    // The chunk holding a tracked row (nullptr when none).
    Chunk* ChunkOf(RowId id) const;

    Pos Begin() const { return {0, 0}; }
    Pos End() const { return {ChunkCount(), 0}; }
    bool IsEnd(Pos p) const { return p.ChunkIndex >= ChunkCount(); }
    RowId At(Pos p) const { return ChunkAt(p.ChunkIndex).Id(p.Idx); }
    Pos Next(Pos p) const;
    Pos Prev(Pos p) const; // p must not be Begin
    std::int64_t Rank(Pos p) const;
    Pos FromRank(std::int64_t rank) const;

    // The first position whose id does not sort before the target.
    template <class Before> Pos LowerBound(Before before) const {
        std::size_t lo = 0, hi = ChunkCount();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (before(ChunkAt(mid).Back()))
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo == ChunkCount()) return End();
        return {lo, InChunk(ChunkAt(lo), before)};
    }
    // The same, finding the chunk by its first id (firstBefore(i): chunk i's first id sorts before the
    // target) so that only one chunk's ids are compared one by one.
    template <class Before, class FirstBefore>
    Pos LowerBoundByFirst(Before before, FirstBefore firstBefore) const {
        std::size_t lo = 0, hi = ChunkCount();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (firstBefore(mid))
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo == 0) return ChunkCount() == 0 ? End() : Pos{0, 0};
        const Chunk& c = ChunkAt(lo - 1);
        const std::size_t a = InChunk(c, before);
        if (a < c.Count()) return {lo - 1, a};
        return lo == ChunkCount() ? End() : Pos{lo, 0};
    }
    // Position of a tracked row (TrackRows), End when absent.
    Pos Locate(RowId id) const;

    Pos Insert(Pos p, RowId id, Change& change);
    void Erase(Pos p, Change& change);
    // Gives a chunk other ids (a block another process rewrote); it keeps its block and place.
    void ReplaceIds(std::size_t chunkIndex, std::vector<RowId> ids);
    // Appends a whole chunk (loading).
    Chunk* AppendChunk(std::vector<RowId> ids, std::uint16_t block);
    void Clear();

private:
    // The first place in a chunk whose id does not sort before the target (a run's ids stay a count).
    template <class Before> static std::size_t InChunk(const Chunk& c, Before before) {
        std::size_t a = 0, b = c.Count();
        while (a < b) {
            const std::size_t mid = (a + b) / 2;
            if (before(c.Id(mid)))
                a = mid + 1;
            else
                b = mid;
        }
        return a;
    }
    static std::uint64_t NextStamp();
    void Changed() {
        counted_ = false;
        stamp_ = NextStamp();
    }
    Chunk& Make(std::size_t i, RowId first) const;
    // The rows before chunk i, and the chunk that holds rank r, while chunks come from the source.
    RowId SourceFirst(std::size_t i) const;
    std::size_t SourceChunkOf(std::size_t r) const;
    std::uint32_t CountOf(std::size_t i) const {
        const Chunk* c = IfMade(i);
        return c ? c->Count() : source_->Count(i);
    }
    void Reindex(std::size_t from);
    void Track(Chunk* c);
    // The row is no longer in the order.
    void Untrack(RowId id);
    // The rows before each chunk (and all of them at the end), counted again after a change.
    const std::vector<std::int64_t>& Before() const;

    std::size_t capacity_;
    std::size_t size_ = 0;
    mutable std::vector<std::unique_ptr<Chunk>> chunks_;
    // While chunks come from the source: the chunks made so far (by index, in pages made as needed).
    mutable const ChunkSource* source_ = nullptr;
    mutable RowArray<std::unique_ptr<Chunk>> made_;
    mutable std::size_t sourceChunks_ = 0;
    std::size_t groupSize_ = 1;
    mutable std::vector<RowId> groupFirst_;
    RowArray<Chunk*>* rowChunk_ = nullptr;
    std::unique_ptr<RowArray<Chunk*>> ownRows_;
    struct Run {
        RowId First;
        std::uint32_t Count;
        Chunk* Holder;
    };
    // Rising First; a run's rows without an entry of their own are in its chunk.
    mutable std::vector<Run> runs_;
    // Record numbers and range counts ask for ranks again and again between writes.
    mutable std::vector<std::int64_t> before_;
    mutable bool counted_ = false;
    std::uint64_t stamp_;
};

} // namespace engine
