#include "engine/ChunkedOrder.h"

#include <algorithm>
#include <new>

namespace engine {

namespace {

// Free chunk slots, linked through their first bytes. Slabs are never given back: the pool holds at most
// as many slots as the most chunks alive at once. The engine runs on one thread, as its block cache does.
// The address sanitizer sees every chunk on its own instead, so that it can tell a freed one.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Pooled = false;
#else
constexpr bool Pooled = true;
#endif
constexpr std::size_t SlabChunks = 1024;
struct FreeSlot {
    FreeSlot* Next;
};
FreeSlot* g_freeChunks = nullptr;

} // namespace

void* Chunk::operator new(std::size_t size) {
    if (!Pooled) return ::operator new(size);
    if (g_freeChunks == nullptr) {
        constexpr std::size_t slot = sizeof(Chunk) > sizeof(FreeSlot) ? sizeof(Chunk) : sizeof(FreeSlot);
        auto* slab = static_cast<unsigned char*>(::operator new(slot* SlabChunks));
        for (std::size_t k = SlabChunks; k-- > 0;)
            g_freeChunks = new (slab + k * slot) FreeSlot{g_freeChunks};
    }
    FreeSlot* s = g_freeChunks;
    g_freeChunks = s->Next;
    return s;
}

void Chunk::operator delete(void* p) noexcept {
    if (p == nullptr) return;
    if (!Pooled) return ::operator delete(p);
    g_freeChunks = new (p) FreeSlot{g_freeChunks};
}

std::uint64_t ChunkedOrder::NextStamp() {
    static std::uint64_t last = 0;
    return ++last;
}

ChunkedOrder::Pos ChunkedOrder::Next(Pos p) const {
    if (IsEnd(p)) return p;
    if (++p.Idx >= CountOf(p.ChunkIndex)) return {p.ChunkIndex + 1, 0};
    return p;
}

ChunkedOrder::Pos ChunkedOrder::Prev(Pos p) const {
    if (p.Idx > 0) return {p.ChunkIndex, p.Idx - 1};
    const std::size_t c = p.ChunkIndex - 1;
    return {c, CountOf(c) - 1u};
}

void ChunkedOrder::AdoptSource(const ChunkSource* source, std::size_t chunks, std::size_t rows,
                               std::size_t groupSize, std::vector<RowId> groupFirst) {
    Clear();
    made_.resize(chunks);
    sourceChunks_ = chunks;
    size_ = rows;
    source_ = source;
    groupSize_ = groupSize;
    groupFirst_ = std::move(groupFirst);
}

RowId ChunkedOrder::SourceFirst(std::size_t i) const {
    const std::size_t g = i / groupSize_;
    RowId r = groupFirst_[g];
    for (std::size_t k = g * groupSize_; k < i; ++k)
        r += CountOf(k);
    return r;
}

std::size_t ChunkedOrder::SourceChunkOf(std::size_t r) const {
    if (r >= size_) return sourceChunks_;
    const auto it = std::upper_bound(groupFirst_.begin(), groupFirst_.end(), r);
    const auto g = static_cast<std::size_t>(it - groupFirst_.begin()) - 1;
    std::size_t first = groupFirst_[g];
    std::size_t k = g * groupSize_;
    for (; k < sourceChunks_; ++k) {
        const std::size_t n = CountOf(k);
        if (r < first + n) break;
        first += n;
    }
    return k;
}

Chunk& ChunkedOrder::Make(std::size_t i, RowId first) const {
    auto c = std::make_unique<Chunk>();
    c->SetRun(first, source_->Count(i));
    c->Index = i;
    c->Block = source_->Take(i, *c);
    auto& slot = made_.Slot(i);
    slot = std::move(c);
    return *slot;
}

void ChunkedOrder::MakeAll() const {
    if (source_ == nullptr) return;
    RowId first = 0;
    for (std::size_t i = 0; i < sourceChunks_; ++i) {
        if (i % groupSize_ == 0) first = groupFirst_[i / groupSize_];
        const auto& c = made_[i];
        first += static_cast<RowId>((c ? *c : Make(i, first)).Count());
    }
    // Every chunk is made (nothing throws from here on): they take their places, each a run of the ids it
    // was given.
    chunks_.reserve(sourceChunks_);
    runs_.reserve(sourceChunks_);
    for (std::size_t i = 0; i < sourceChunks_; ++i) {
        chunks_.push_back(made_.Take(i));
        const Chunk& c = *chunks_.back();
        runs_.push_back({c.Front(), static_cast<std::uint32_t>(c.Count()), chunks_.back().get()});
    }
    source_ = nullptr;
    made_.clear();
    sourceChunks_ = 0;
    groupFirst_ = {};
}

const std::vector<std::int64_t>& ChunkedOrder::Before() const {
    if (!counted_) {
        before_.resize(chunks_.size() + 1);
        std::int64_t r = 0;
        for (std::size_t i = 0; i < chunks_.size(); ++i) {
            before_[i] = r;
            r += static_cast<std::int64_t>(chunks_[i]->Count());
        }
        before_[chunks_.size()] = r;
        counted_ = true;
    }
    return before_;
}

std::int64_t ChunkedOrder::Rank(Pos p) const {
    if (source_ != nullptr)
        return static_cast<std::int64_t>(p.ChunkIndex < sourceChunks_ ? SourceFirst(p.ChunkIndex) : size_) +
               static_cast<std::int64_t>(p.Idx);
    return Before()[std::min(p.ChunkIndex, chunks_.size())] + static_cast<std::int64_t>(p.Idx);
}

ChunkedOrder::Pos ChunkedOrder::FromRank(std::int64_t rank) const {
    if (rank < 0) return Begin();
    if (source_ != nullptr) {
        const std::size_t i = SourceChunkOf(static_cast<std::size_t>(rank));
        if (i >= sourceChunks_) return End();
        return {i, static_cast<std::size_t>(rank) - SourceFirst(i)};
    }
    const auto& before = Before();
    if (rank >= before.back()) return End();
    // The last chunk starting at or before the rank holds it (empty chunks start where the next one does).
    const auto it = std::upper_bound(before.begin(), before.end() - 1, rank);
    const auto i = static_cast<std::size_t>(it - before.begin()) - 1;
    return {i, static_cast<std::size_t>(rank - before[i])};
}

namespace {

// The entry of a run's row that left the order (an empty entry means: look in the run).
Chunk* Gone() {
    static Chunk gone;
    return &gone;
}

} // namespace

Chunk* ChunkedOrder::ChunkOf(RowId id) const {
    if (rowChunk_ == nullptr) return nullptr;
    if (source_ != nullptr) {
        // Nothing changed yet: the ids are the ranks.
        const std::size_t i = SourceChunkOf(id);
        return i < sourceChunks_ ? &ChunkAt(i) : nullptr;
    }
    if (id < rowChunk_->size()) {
        Chunk* c = (*rowChunk_)[id];
        if (c != nullptr) return c == Gone() ? nullptr : c;
    }
    const auto it =
        std::upper_bound(runs_.begin(), runs_.end(), id, [](RowId x, const Run& r) { return x < r.First; });
    if (it == runs_.begin()) return nullptr;
    const Run& r = *(it - 1);
    return id - r.First < r.Count ? r.Holder : nullptr;
}

void ChunkedOrder::Untrack(RowId id) {
    if (rowChunk_ == nullptr) return;
    if (id >= rowChunk_->size()) rowChunk_->resize(id + 1u);
    if (runs_.empty())
        rowChunk_->Reset(id);
    else
        rowChunk_->Slot(id) = Gone();
}

ChunkedOrder::Pos ChunkedOrder::Locate(RowId id) const {
    const Chunk* c = ChunkOf(id);
    if (c == nullptr) return End();
    if (c->Count() > 0 && c->Front() <= id && id - c->Front() < c->Count() && c->Id(id - c->Front()) == id)
        return {c->Index, id - c->Front()}; // a run, or ids still in their first order
    const auto& ids = c->Ids();
    const auto it = std::find(ids.begin(), ids.end(), id);
    if (it == ids.end()) return End();
    return {c->Index, static_cast<std::size_t>(it - ids.begin())};
}

void ChunkedOrder::Track(Chunk* c) {
    if (rowChunk_ == nullptr) return;
    if (c->Count() == 0) return;
    const auto& ids = c->Ids();
    const RowId last = *std::max_element(ids.begin(), ids.end());
    if (last >= rowChunk_->size()) rowChunk_->resize(last + 1u);
    for (RowId id : c->Ids())
        rowChunk_->Slot(id) = c;
}

void ChunkedOrder::Reindex(std::size_t from) {
    for (std::size_t i = from; i < chunks_.size(); ++i)
        chunks_[i]->Index = i;
}

ChunkedOrder::Pos ChunkedOrder::Insert(Pos p, RowId id, Change& change) {
    MakeAll();
    Changed();
    ++size_;
    if (chunks_.empty()) {
        chunks_.push_back(std::make_unique<Chunk>());
        chunks_[0]->MutableIds().push_back(id);
        change.Touched = change.Added = chunks_[0].get();
        Track(change.Added);
        return {0, 0};
    }
    if (IsEnd(p)) p = {chunks_.size() - 1, chunks_.back()->Count()};
    Chunk* c = chunks_[p.ChunkIndex].get();
    if (c->Count() < capacity_) {
        auto& ids = c->MutableIds();
        ids.insert(ids.begin() + static_cast<std::ptrdiff_t>(p.Idx), id);
        change.Touched = c;
        if (rowChunk_ != nullptr) Track(c);
        return p;
    }
    auto fresh = std::make_unique<Chunk>();
    Chunk* added = fresh.get();
    if (p.Idx == c->Count() && p.ChunkIndex + 1 == chunks_.size()) {
        // Appending past a full last chunk: start a new one.
        added->MutableIds().push_back(id);
    } else {
        const std::size_t half = c->Count() / 2;
        auto& ids = c->MutableIds();
        auto& moved = added->MutableIds();
        moved.assign(ids.begin() + static_cast<std::ptrdiff_t>(half), ids.end());
        ids.resize(half);
        if (p.Idx <= half)
            ids.insert(ids.begin() + static_cast<std::ptrdiff_t>(p.Idx), id);
        else
            moved.insert(moved.begin() + static_cast<std::ptrdiff_t>(p.Idx - half), id);
    }
    chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(p.ChunkIndex + 1), std::move(fresh));
    Reindex(p.ChunkIndex + 1);
    change.Touched = c;
    change.Added = added;
    Track(c);
    Track(added);
    // Where the id ended up.
    for (std::size_t k = 0; k < c->Count(); ++k)
        if (c->Id(k) == id) return {c->Index, k};
    for (std::size_t k = 0; k < added->Count(); ++k)
        if (added->Id(k) == id) return {added->Index, k};
    return End();
}

void ChunkedOrder::Erase(Pos p, Change& change) {
    MakeAll();
    Changed();
    Chunk* c = chunks_[p.ChunkIndex].get();
    Untrack(c->Id(p.Idx));
    auto& ids = c->MutableIds();
    ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(p.Idx));
    --size_;
    change.Touched = c;
    if (c->Count() == 0) {
        change.Removed = std::move(chunks_[p.ChunkIndex]);
        chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(p.ChunkIndex));
        Reindex(p.ChunkIndex);
        change.Touched = nullptr;
    }
}

void ChunkedOrder::ReplaceIds(std::size_t chunkIndex, std::vector<RowId> ids) {
    MakeAll();
    Changed();
    Chunk* c = chunks_[chunkIndex].get();
    for (RowId id : c->Ids())
        if (ChunkOf(id) == c) Untrack(id);
    size_ = size_ - c->Count() + ids.size();
    c->SetIds(std::move(ids));
    Track(c);
}

Chunk* ChunkedOrder::AppendChunk(std::vector<RowId> ids, std::uint16_t block) {
    MakeAll();
    Changed();
    auto c = std::make_unique<Chunk>();
    c->SetIds(std::move(ids));
    c->Block = block;
    c->Index = chunks_.size();
    size_ += c->Count();
    Chunk* raw = c.get();
    chunks_.push_back(std::move(c));
    Track(raw);
    return raw;
}

void ChunkedOrder::Clear() {
    Changed();
    source_ = nullptr;
    made_.clear();
    sourceChunks_ = 0;
    groupFirst_ = {};
    chunks_.clear();
    runs_.clear();
    size_ = 0;
    if (rowChunk_ != nullptr) rowChunk_->clear();
}

} // namespace engine
