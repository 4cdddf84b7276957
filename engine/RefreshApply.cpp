// The apply step of catching up with another process's writes: a checked plan is taken in, rows, orders,
// blocks and header together. Nothing here needs the files but rows a secondary order compares with that the
// image let go; a failure there lets the image go whole, so no half-taken plan is ever believed.
#include "engine/TableImage.h"
#include "engine/TableRefresh.h"

#include <cstring>
#include <new>

namespace engine {
namespace {

std::vector<RowId> IdsOf(const std::vector<RefreshPlan::Placed>& list) {
    std::vector<RowId> ids;
    ids.reserve(list.size());
    for (const auto& pl : list)
        ids.push_back(pl.Id);
    return ids;
}

std::vector<codec::PageWrite> MemoWrites(const Transaction& t) {
    std::vector<codec::PageWrite> writes;
    for (const auto& w : t.Writes)
        if (w.File == TableFile::Mb) writes.push_back({w.Offset, w.Data});
    return writes;
}

} // namespace

bool TableRefresh::Apply(RefreshPlan& plan) noexcept {
    TableImage& image = image_;
    try {
        const CatchingUp catchingUp(image.catchingUp_);
        std::size_t pxFrom = 0;
        std::set<std::size_t> pxTouched;
        TakeRows(plan);
        TakeChain(plan, pxFrom, pxTouched);
        PutIntoSecondaries(plan);
        TakeHeader(plan, pxFrom, pxTouched);
        return true;
    } catch (const std::exception&) {
        image.Forget();
        return false;
    }
}

// The rows that left or changed leave the secondary orders; the rows take their new bytes.
void TableRefresh::TakeRows(RefreshPlan& plan) {
    TableImage& image = image_;
    for (std::size_t s = 0; s < image.secondaryOrders_.size(); ++s) {
        auto& order = image.secondaryOrders_[s];
        if (!order) continue;
        auto erase = [&](RowId id) {
            const auto pos = order->TracksRows()
                                 ? order->Locate(id)
                                 : image.LowerBound(static_cast<int>(s), image.rows_[id].get(), id);
            ChunkedOrder::Change ch;
            if (!order->IsEnd(pos) && order->At(pos) == id) order->Erase(pos, ch);
        };
        for (RowId id : plan.Gone)
            erase(id);
        for (RowId id : plan.Unread)
            erase(id);
        for (const auto& list : plan.Rows)
            for (const auto& pl : list)
                if (pl.Changed && pl.Id < image.rows_.size()) erase(pl.Id);
    }
    for (RowId id : plan.Gone) {
        image.rows_.Reset(id);
        image.memos_.erase(id);
    }
    image.rows_.resize(plan.Fresh);
    if (plan.MemosMoved) {
        // The .MB's layout takes in the memo blocks of a single write (the journal holds them); after several
        // it is read again before the next write. The texts of the rows of rewritten blocks are read again
        // when next read (a text written anew may keep its place, length and first bytes).
        if (image.memoMap_ && plan.Writes == 1 &&
            image.mb_.TakeIn(MemoWrites(plan.Last), plan.Last.NewSize[2])) {
            if (plan.Last.NewSize[2] >= 0)
                image.mbDiskSize_ = static_cast<std::uint64_t>(plan.Last.NewSize[2]);
        } else {
            image.mb_.Reset();
            image.memoMap_ = false;
        }
        for (const auto& list : plan.Rows)
            for (const auto& pl : list)
                image.memos_.erase(pl.Id);
        for (auto& [id, texts] : plan.Texts)
            if (!texts.empty()) image.memos_[id] = std::move(texts);
    }
    const int rs = image.hdr_.RecordSize;
    for (const auto& list : plan.Rows)
        for (const auto& pl : list) {
            if (!pl.Changed) continue;
            auto& row = image.rows_.Slot(pl.Id);
            if (!row) row = std::make_unique_for_overwrite<unsigned char[]>(rs);
            std::memcpy(row.get(), pl.Record, rs);
        }
}

// The primary order: the same blocks in the same places take their new rows; otherwise it is put together
// again along the chain. pxFrom and pxTouched: the .PX entries to make again.
void TableRefresh::TakeChain(RefreshPlan& plan, std::size_t& pxFrom, std::set<std::size_t>& pxTouched) {
    TableImage& image = image_;
    const auto& chunks = image.primary_.Chunks();
    const auto& chain = plan.Chain;
    const codec::DbHeader& h = plan.Header;
    bool samePlaces = plan.InPlace || (h.FileBlocks == image.fileBlocks_ && chain.size() == chunks.size());
    for (std::size_t i = 0; samePlaces && !plan.InPlace && i < chain.size(); ++i)
        samePlaces = chain[i].Block == chunks[i]->Block;
    pxFrom = chunks.size();
    if (samePlaces) {
        for (std::size_t j = 0; j < chain.size(); ++j)
            if (chain[j].Old == nullptr) {
                image.primary_.ReplaceIds(chain[j].At, IdsOf(plan.Rows[j]));
                pxTouched.insert(chain[j].At);
            }
        return;
    }
    pxFrom = 0;
    while (pxFrom < chain.size() && pxFrom < chunks.size() && chain[pxFrom].Block == chunks[pxFrom]->Block &&
           chain[pxFrom].Old != nullptr)
        ++pxFrom;
    ChunkedOrder order(static_cast<std::size_t>(image.hdr_.RecordsPerBlock()));
    image.rowChunk_.clear();
    if (image.hdr_.KeyFields == 0 || image.byBlock_) order.TrackRows(&image.rowChunk_);
    image.blockOwner_.clear();
    image.blockOwner_.resize(h.FileBlocks + 1u);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        std::vector<RowId> ids =
            chain[i].Old != nullptr ? std::move(chain[i].Old->MutableIds()) : IdsOf(plan.Rows[i]);
        image.blockOwner_.Slot(chain[i].Block) = order.AppendChunk(std::move(ids), chain[i].Block);
    }
    image.primary_ = std::move(order);
    image.fileBlocks_ = h.FileBlocks;
    image.freeBlocks_.clear();
    for (std::uint16_t b = 1; b <= image.fileBlocks_; ++b)
        if (image.blockOwner_[b] == nullptr) image.freeBlocks_.insert(b);
}

// The rows that came in or changed go into the secondary orders at their new keys.
void TableRefresh::PutIntoSecondaries(const RefreshPlan& plan) {
    TableImage& image = image_;
    for (std::size_t s = 0; s < image.secondaryOrders_.size(); ++s) {
        auto& order = image.secondaryOrders_[s];
        if (!order) continue;
        for (const auto& list : plan.Rows)
            for (const auto& pl : list) {
                if (!pl.Changed) continue;
                ChunkedOrder::Change ch;
                order->Insert(image.LowerBound(static_cast<int>(s), image.rows_[pl.Id].get(), pl.Id), pl.Id,
                              ch);
            }
    }
    for (std::size_t i = 0; i < plan.Chain.size(); ++i)
        if (plan.Chain[i].Records != nullptr && image.blockOwner_[plan.Chain[i].Block] != nullptr)
            image.Cached(*image.blockOwner_[plan.Chain[i].Block]);
}

// The header and the .PX as the files hold them now; the stamp names the writes taken in.
void TableRefresh::TakeHeader(RefreshPlan& plan, std::size_t pxFrom, const std::set<std::size_t>& pxTouched) {
    TableImage& image = image_;
    image.hdr_ = std::move(plan.Header);
    image.hdrBytes_ = std::move(plan.HeaderBytes);
    if (image.hdr_.KeyFields > 0) {
        if (plan.Writes == 1) {
            for (const auto& w : plan.Last.Writes)
                if (w.File == TableFile::Px) image.px_.PatchDiskImage(w.Offset, w.Data);
            if (plan.Last.NewSize[1] >= 0)
                image.px_.ResizeDiskImage(static_cast<std::size_t>(plan.Last.NewSize[1]));
        } else {
            image.px_.SetDiskImage(std::move(plan.PxBytes));
        }
        image.pxDiskSize_ = image.px_.Image().size();
        image.pxPending_ = image.UpdatePrimaryIndex(pxFrom, pxTouched);
    }
    image.UpdateStamp(plan.Generation);
    ++image.version_;
}

} // namespace engine
