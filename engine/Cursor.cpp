#include "engine/Cursor.h"

#include "base/Text.h"
#include "engine/BlockCache.h"
#include "engine/codec/Bytes.h"
#include "engine/codec/IndexDefFile.h"
#include "engine/Errors.h"

#include <cstring>

namespace engine {

CursorImpl::CursorImpl(TableHandle& table)
    : table_(table), tableAlive_(table.AliveToken()), locks_(table.SharedLocks()),
      image_(table.SharedImage()) {
    version_ = image_->Version();
}

CursorImpl::~CursorImpl() {
    if (recordLocked_) locks_->Unlock(recordLockByte_, 1);
}

template <class F> decltype(auto) CursorImpl::Retried(F&& f) const {
    const BlockCache::Step step;
    try {
        return f();
    } catch (const TableImage::Outdated&) {
        // A block of a large table was still to be read when another station changed the table: read it
        // again on a fresh look, while the other stations start no new write.
        const WritersHeldOff calm(image_->DbPath(), 500);
        Table().Refresh();
        return f();
    }
}

TableHandle& CursorImpl::Table() const {
    if (tableAlive_.expired()) throw Error("Tablica " + image_->Name() + " je zatvorena");
    return table_;
}

// ------------------------------------------------------------------------------------------------ indexes

int CursorImpl::Index() const {
    if (index_ < 0) return -1;
    return index_ + (image_->KeyFields() > 0 ? 1 : 0);
}

void CursorImpl::SetIndex(int index) {
    return Retried([&]() -> void {
        const int keyed = image_->KeyFields() > 0 ? 1 : 0;
        int internal = -1;
        if (index >= 0) {
            internal = index - keyed;
            if (index >= keyed + image_->SecondaryCount())
                throw Error("Indeks ne postoji (" + image_->Name() + ")");
        }
        Revalidate();
        const bool wasOnRow = OnRow();
        index_ = internal;
        lo_.clear();
        hi_.clear();
        loParts_ = hiParts_ = 0;
        loAfter_ = false;
        if (wasOnRow && image_->Alive(id_)) {
            const Pos p = image_->Locate(index_, id_);
            if (!Order().IsEnd(p)) return SetRow(p);
        }
        SetCrack(true, false);
    });
}

int CursorImpl::FindIndexByName(const std::string& name) const {
    if (name.empty()) return -1;
    const auto list = image_->Indexes();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (!list[i].Primary && base::SameText(list[i].Name, name)) return static_cast<int>(i);
    return -2;
}

int CursorImpl::FindIndexByFields(const std::string& fieldsText) const {
    if (base::Trim(fieldsText).empty()) return -1;
    const auto wanted = codec::ResolveFieldList(fieldsText, image_->Layout());
    if (wanted.empty()) return -2;
    if (wanted == image_->IndexFieldNumbers(-1)) return -1;
    const int keyed = image_->KeyFields() > 0 ? 1 : 0;
    for (int i = 0; i < image_->SecondaryCount(); ++i)
        if (image_->IndexFieldNumbers(i) == wanted) return i + keyed;
    return -2;
}

std::vector<int> CursorImpl::IndexFields() const {
    return image_->IndexFieldNumbers(index_);
}

// ------------------------------------------------------------------------------------------------ position

void CursorImpl::SetRow(Pos pos) const {
    // The record first: reading its block may fail, and then the cursor stays where it was.
    const RowId id = Order().At(pos);
    const unsigned char* rec = image_->Record(id);
    bof_ = eof_ = false;
    pos_ = pos;
    id_ = id;
    version_ = image_->Version();
    rowValid_ = false;
    saved_.assign(reinterpret_cast<const char*>(rec), image_->RecordSize());
}

void CursorImpl::SetCrack(bool bof, bool eof) const {
    bof_ = bof;
    eof_ = eof;
    rowValid_ = false;
    version_ = image_->Version();
}

void CursorImpl::Revalidate() const {
    if (version_ == image_->Version()) return;
    rowValid_ = false;
    if (bof_ || eof_) {
        version_ = image_->Version();
        return;
    }
    // Nothing changes until the row is found: a search that has to read a block may fail first.
    ChunkedOrder& order = Order();
    Pos p = image_->Locate(index_, id_);
    if (!order.IsEnd(p)) {
        pos_ = p;
        version_ = image_->Version();
        return;
    }
    // The row is gone: take the one that now stands in its place.
    if (saved_.empty()) {
        SetCrack(false, true);
        return;
    }
    if (index_ < 0 && image_->KeyFields() == 0) {
        // Stored order: the row after it now stands where it stood.
        p = pos_;
        if (p.ChunkIndex >= order.ChunkCount()) {
            p = order.End();
        } else if (p.Idx >= order.ChunkAt(p.ChunkIndex).Count()) {
            p = {p.ChunkIndex + 1, 0};
        }
    } else
        p = image_->LowerBound(index_, codec::Bytes(saved_), id_);
    if (!SeekForward(p)) SetCrack(false, true);
}

bool CursorImpl::Accepted(RowId id) const {
    if (!filter_) return true;
    image_->Decode(id, filterRow_);
    return filter_(filterRow_);
}

bool CursorImpl::BelowRange(RowId id) const {
    if (loAfter_) return loParts_ == 0 || image_->CompareKey(index_, image_->Record(id), lo_, loParts_) <= 0;
    return loParts_ > 0 && image_->CompareKey(index_, image_->Record(id), lo_, loParts_) < 0;
}

bool CursorImpl::AboveRange(RowId id) const {
    return hiParts_ > 0 && image_->CompareKey(index_, image_->Record(id), hi_, hiParts_) > 0;
}

CursorImpl::Pos CursorImpl::RangeStart() const {
    ChunkedOrder& order = Order();
    if (loParts_ == 0) return loAfter_ ? order.End() : order.Begin();
    return order.LowerBound([&](RowId x) {
        const int c = image_->CompareKey(index_, image_->Record(x), lo_, loParts_);
        return loAfter_ ? c <= 0 : c < 0;
    });
}

CursorImpl::Pos CursorImpl::RangeEnd() const {
    ChunkedOrder& order = Order();
    if (hiParts_ == 0) return order.End();
    return order.LowerBound(
        [&](RowId x) { return image_->CompareKey(index_, image_->Record(x), hi_, hiParts_) <= 0; });
}

bool CursorImpl::SeekForward(Pos pos) const {
    ChunkedOrder& order = Order();
    for (; !order.IsEnd(pos); pos = order.Next(pos)) {
        const RowId id = order.At(pos);
        if (AboveRange(id)) return false;
        if (BelowRange(id)) continue;
        if (Accepted(id)) {
            SetRow(pos);
            return true;
        }
    }
    return false;
}

bool CursorImpl::SeekBackward(Pos pos) const {
    ChunkedOrder& order = Order();
    while (!(pos == order.Begin())) {
        pos = order.Prev(pos);
        const RowId id = order.At(pos);
        if (BelowRange(id)) return false;
        if (AboveRange(id)) continue;
        if (Accepted(id)) {
            SetRow(pos);
            return true;
        }
    }
    return false;
}

void CursorImpl::First() {
    return Retried([&]() -> void {
        Revalidate();
        if (!SeekForward(RangeStart())) SetCrack(true, true);
    });
}

void CursorImpl::Last() {
    return Retried([&]() -> void {
        Revalidate();
        if (!SeekBackward(RangeEnd())) SetCrack(true, true);
    });
}

bool CursorImpl::Next() {
    return Retried([&]() -> bool {
        Revalidate();
        if (eof_) return false;
        if (bof_) {
            if (SeekForward(RangeStart())) return true;
            SetCrack(true, true);
            return false;
        }
        if (SeekForward(Order().Next(pos_))) return true;
        SetCrack(false, true);
        return false;
    });
}

bool CursorImpl::Prior() {
    return Retried([&]() -> bool {
        Revalidate();
        if (bof_) return false;
        if (eof_) {
            if (SeekBackward(RangeEnd())) return true;
            SetCrack(true, true);
            return false;
        }
        if (SeekBackward(pos_)) return true;
        SetCrack(true, false);
        return false;
    });
}

std::int64_t CursorImpl::MoveBy(std::int64_t distance) {
    // Done again on a fresh look, the steps go on from where they got to, and count on.
    std::int64_t moved = 0;
    return Retried([&]() -> std::int64_t {
        for (; distance > 0 && Next(); --distance)
            ++moved;
        for (; distance < 0 && Prior(); ++distance)
            ++moved;
        return moved;
    });
}

bool CursorImpl::Bof() const {
    return Retried([&]() -> bool {
        Revalidate();
        return bof_;
    });
}

bool CursorImpl::Eof() const {
    return Retried([&]() -> bool {
        Revalidate();
        return eof_;
    });
}

bool CursorImpl::OnRow() const {
    return Retried([&]() -> bool {
        Revalidate();
        return !bof_ && !eof_;
    });
}

std::int64_t CursorImpl::RecordCount() const {
    return Retried([&]() -> std::int64_t {
        Revalidate();
        ChunkedOrder& order = Order();
        if (loParts_ == 0 && hiParts_ == 0 && !loAfter_ && !filter_)
            return static_cast<std::int64_t>(order.Size());
        const Pos a = RangeStart(), b = RangeEnd();
        if (!filter_) return order.Rank(b) - order.Rank(a);
        std::int64_t n = 0;
        for (Pos p = a; !(p == b) && !order.IsEnd(p); p = order.Next(p))
            if (Accepted(order.At(p))) ++n;
        return n;
    });
}

std::int64_t CursorImpl::RecordNumber() const {
    return Retried([&]() -> std::int64_t {
        Revalidate();
        if (bof_ || eof_) return 0;
        ChunkedOrder& order = Order();
        const Pos a = RangeStart();
        if (!filter_) return order.Rank(pos_) - order.Rank(a) + 1;
        std::int64_t n = 0;
        for (Pos p = a; !order.IsEnd(p); p = order.Next(p)) {
            if (Accepted(order.At(p))) ++n;
            if (p == pos_) break;
        }
        return n;
    });
}

bool CursorImpl::SeekRecordNumber(std::int64_t number) {
    return Retried([&]() -> bool {
        if (filter_) return Cursor::SeekRecordNumber(number);
        Revalidate();
        ChunkedOrder& order = Order();
        const std::int64_t first = order.Rank(RangeStart());
        if (number < 1 || first + number > order.Rank(RangeEnd())) return false;
        SetRow(order.FromRank(first + number - 1));
        return true;
    });
}

std::unique_ptr<Cursor> CursorImpl::Clone() const {
    Revalidate();
    auto copy = std::make_unique<CursorImpl>(*this);
    copy->recordLocked_ = false;
    return copy;
}

void CursorImpl::RequireRow() const {
    Revalidate();
    if (bof_ || eof_) throw Error("Nema tekućeg sloga (" + image_->Name() + ")");
}

const Row& CursorImpl::Read() const {
    return Retried([&]() -> const Row& {
        RequireRow();
        if (!rowValid_) {
            image_->Decode(id_, row_);
            rowValid_ = true;
        }
        return row_;
    });
}

Bookmark CursorImpl::GetBookmark() const {
    return Retried([&]() -> Bookmark {
        RequireRow();
        Bookmark b(4, '\0');
        codec::PutU32(reinterpret_cast<unsigned char*>(b.data()), id_);
        return b;
    });
}

bool CursorImpl::GotoBookmark(const Bookmark& b) {
    return Retried([&]() -> bool {
        Revalidate();
        if (b.size() != 4) return false;
        const RowId id = codec::GetU32(reinterpret_cast<const unsigned char*>(b.data()));
        if (!image_->Alive(id)) return false;
        const Pos p = image_->Locate(index_, id);
        if (Order().IsEnd(p) || BelowRange(id) || AboveRange(id) || !Accepted(id)) return false;
        SetRow(p);
        return true;
    });
}

// ------------------------------------------------------------------------------------------------ search

bool CursorImpl::FindKey(const Key& key) {
    return Retried([&]() -> bool {
        Revalidate();
        const auto k = image_->EncodeKey(index_, key);
        if (!k.Exact) return false;
        ChunkedOrder& order = Order();
        Pos p = image_->KeyLowerBound(index_, [&](const unsigned char* rec) {
            return image_->CompareKey(index_, rec, k.Bytes, k.Parts) < 0;
        });
        for (; !order.IsEnd(p); p = order.Next(p)) {
            const RowId id = order.At(p);
            if (image_->CompareKey(index_, image_->Record(id), k.Bytes, k.Parts) != 0) return false;
            if (BelowRange(id) || AboveRange(id) || !Accepted(id)) continue;
            SetRow(p);
            return true;
        }
        return false;
    });
}

void CursorImpl::FindNearest(const Key& key) {
    return Retried([&]() -> void {
        Revalidate();
        const auto k = image_->EncodeKey(index_, key);
        ChunkedOrder& order = Order();
        Pos p = image_->KeyLowerBound(index_, [&](const unsigned char* rec) {
            const int c = image_->CompareKey(index_, rec, k.Bytes, k.Parts);
            return k.After ? c <= 0 : c < 0;
        });
        if (!order.IsEnd(p) && BelowRange(order.At(p))) p = RangeStart();
        if (!SeekForward(p)) SetCrack(false, true);
    });
}

void CursorImpl::SetRange(const Key& start, const Key& end) {
    return Retried([&]() -> void {
        Revalidate();
        lo_.clear();
        hi_.clear();
        loParts_ = hiParts_ = 0;
        loAfter_ = false;
        if (!start.empty()) {
            auto k = image_->EncodeKey(index_, start);
            lo_ = std::move(k.Bytes);
            loParts_ = k.Parts;
            loAfter_ = k.After;
        }
        if (!end.empty()) {
            auto k = image_->EncodeKey(index_, end);
            hi_ = std::move(k.Bytes);
            hiParts_ = k.Parts;
        }
        First();
    });
}

void CursorImpl::CancelRange() {
    Revalidate();
    lo_.clear();
    hi_.clear();
    loParts_ = hiParts_ = 0;
    loAfter_ = false;
    if (bof_ && eof_) First();
}

void CursorImpl::SetFilter(std::function<bool(const Row&)> accept) {
    filter_ = std::move(accept);
    First();
}

// ------------------------------------------------------------------------------------------------ writes

// A write is done again on a fresh look only while nothing of it reached the files: the step that finds the
// table changed by another station (a block read for the change) comes before the journal. Once it went
// through, the cursor is placed apart from it, so that another station's write meanwhile never makes it
// write again.
void CursorImpl::Insert(Row row) {
    const BlockCache::Step step;
    RowId id = 0;
    Retried([&]() -> void { Table().Write([&] { id = image_->Insert(row); }); });
    PlaceAfterWrite(id);
}

void CursorImpl::Modify(Row row) {
    const BlockCache::Step step;
    // The row the edit is for; read anew, the table may no longer hold it, and then no other row takes the
    // edit instead.
    const RowId id = Retried([&]() -> RowId {
        RequireRow();
        return id_;
    });
    Retried([&]() -> void {
        Table().Write([&] {
            if (!image_->Alive(id)) throw Error("Slog više ne postoji (" + image_->Name() + ")");
            image_->Modify(id, row);
        });
    });
    PlaceAfterWrite(id);
}

void CursorImpl::Delete() {
    const BlockCache::Step step;
    const RowId id = Retried([&]() -> RowId {
        RequireRow();
        return id_;
    });
    Retried([&]() -> void {
        if (!image_->Alive(id)) throw Error("Slog više ne postoji (" + image_->Name() + ")");
        // The row goes only while no other open holds it for an edit: the lock is taken for the delete
        // (this cursor's own lock on the row already is it).
        const std::int64_t byte = RecordLockByte(id);
        Table();
        const bool own = recordLocked_ && recordLockByte_ == byte;
        if (!own && !locks_->CanWrite()) ThrowReadOnly(image_->Name());
        if (!own && !locks_->TryLock(byte, 1, LockKind::Exclusive)) ThrowLocked(image_->Name());
        try {
            Table().Write([&] {
                if (!image_->Alive(id)) throw Error("Slog više ne postoji (" + image_->Name() + ")");
                image_->Delete(id);
            });
        } catch (...) {
            if (!own) locks_->Unlock(byte, 1);
            throw;
        }
        if (!own) locks_->Unlock(byte, 1);
    });
    if (recordLocked_) UnlockRecord();
    // The row is gone: the cursor goes to the one after it, now or at its next step.
    try {
        Retried([&]() -> void { Revalidate(); });
    } catch (const Error&) {
    }
}

void CursorImpl::PlaceAfterWrite(RowId id) const {
    try {
        Retried([&]() -> void {
            const Pos p = image_->Locate(index_, id);
            if (!Order().IsEnd(p)) SetRow(p);
        });
    } catch (const Error&) {
        // The write went through and is not reported as failed: the cursor looks for its row at its next
        // step (which reports what still fails then), or takes the place of a row that is gone by then.
        bof_ = eof_ = false;
        id_ = id;
        saved_.clear();
        rowValid_ = false;
        version_ = image_->Version() - 1;
    }
}

std::int64_t CursorImpl::RecordLockByte(RowId id) const {
    const std::string identity = image_->RecordIdentity(id);
    const std::uint64_t h =
        codec::Checksum(reinterpret_cast<const unsigned char*>(identity.data()), identity.size());
    return lockspace::Records + static_cast<std::int64_t>(h % lockspace::RecordSpan);
}

void CursorImpl::LockRecord() {
    RequireRow();
    if (recordLocked_) UnlockRecord();
    const std::int64_t byte = RecordLockByte(id_);
    Table();
    // A file this station may not write is no lock another holds: the user is told which it is.
    if (!locks_->CanWrite()) ThrowReadOnly(image_->Name());
    if (!locks_->TryLock(byte, 1, LockKind::Exclusive)) ThrowLocked(image_->Name());
    recordLocked_ = true;
    recordLockByte_ = byte;
}

void CursorImpl::UnlockRecord() {
    if (!recordLocked_) return;
    locks_->Unlock(recordLockByte_, 1);
    recordLocked_ = false;
}

} // namespace engine
