#pragma once
// The one in-memory image of a table file in this process, shared by every open and cursor: the decoded
// header, the encoded records addressed by stable row ids, the primary order (one chunk per .DB block) and
// the secondary orders (built when first needed, then kept up to date by every write). Every write goes
// through at once: the touched .DB blocks, .PX blocks, .MB blocks and header through the journal.

#include "engine/BlockCache.h"
#include "engine/BlockChain.h"
#include "engine/ChunkedOrder.h"
#include "engine/codec/DbHeader.h"
#include "engine/codec/IndexDefFile.h"
#include "engine/codec/MemoFile.h"
#include "engine/codec/PrimaryIndexFile.h"
#include "engine/codec/StoredOrder.h"
#include "engine/Engine.h"
#include "engine/FileLock.h"
#include "engine/Journal.h"
#include "engine/KeyCompare.h"
#include "engine/RowArray.h"
#include "engine/SecondaryOrders.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

// Tables whose data blocks take at least this many bytes (4 MiB unless set) open without reading their rows:
// a block is read when one of its rows is first needed, so opening a large table costs its index, not its
// size. A table read so is read whole again once another process changed it.
void SetReadByBlockFrom(std::uint64_t bytes);
std::uint64_t ReadByBlockFrom();

class TableImage : private BlockChain {
public:
    using BlockChain::Alive;
    using BlockChain::LetBlockGo;
    using BlockChain::Outdated;
    using BlockChain::ReadWhole;
    using BlockChain::RowsInMemory;

    // The shared image of an existing .DB file (the path as found in the folder).
    static std::shared_ptr<TableImage> Get(const fs::path& dbPath);
    // Images of this table family currently open in the process (for deletes and renames).
    static bool IsOpenInProcess(const fs::path& dbPath);

    explicit TableImage(fs::path dbPath);
    ~TableImage();
    TableImage(const TableImage&) = delete;
    TableImage& operator=(const TableImage&) = delete;

    const fs::path& DbPath() const { return dbPath_; }
    const std::string& Name() const { return name_; }
    const std::vector<FieldDesc>& Fields() const { return fields_; }
    const std::vector<codec::FieldLayout>& Layout() const { return layout_; }
    int KeyFields() const { return hdr_.KeyFields; }
    int RecordSize() const { return hdr_.RecordSize; }
    std::vector<IndexDesc> Indexes() const;
    int SecondaryCount() const { return static_cast<int>(secondaries_.size()); }
    std::int64_t RecordCount() const { return static_cast<std::int64_t>(primary_.Size()); }
    std::int64_t LastAutoInc() const { return hdr_.AutoInc; }
    // Bumped by every change of the rows in memory; cursors find their row again when it moved.
    std::uint64_t Version() const { return version_; }
    bool ReadOnly() const { return files_.ReadOnly(); }

    // Loads the files when needed (first use, or another process changed them); true when it re-read them.
    bool Sync(LockFile& lock);
    // Under the write lock: replays an interrupted write and re-reads what another process changed.
    // Refused when the table's path no longer holds the .DB this image has open.
    void PrepareWrite();
    // Whether the table's path holds another file than the .DB open here, or none (one look at the path).
    bool ReplacedAtPath();
    // Refuses, naming the table, what would go on with a .DB that is no longer the table's.
    void RequireOwnFile();
    // After a failed write (still under the write lock): memory follows the files again.
    void RecoverAfterFailure() noexcept;

    const unsigned char* Record(RowId id) const { return Rec(id); }
    void Decode(RowId id, Row& out) const;

    // Orders: -1 the primary order, 0.. the secondary indexes (built here when first needed).
    ChunkedOrder& Order(int index);
    std::vector<int> IndexFieldNumbers(int index) const;
    // Total order of the index: its key, then the primary key, then the row id.
    bool Before(int index, const unsigned char* a, RowId ida, const unsigned char* b, RowId idb) const;
    // Compares a row's key with an encoded search key over its first `parts` fields.
    int CompareKey(int index, const unsigned char* row, const std::string& key, std::size_t parts) const;
    // A search key as a record-shaped buffer over its first Parts fields. A value no field can hold still
    // searches sensibly: below the field's range it stands before every stored value, above it after them.
    struct SearchKey {
        std::string Bytes;
        std::size_t Parts = 0;
        bool Exact = true;  // false: no stored row can equal the key
        bool After = false; // the key lies after every row that matches its first Parts fields
    };
    SearchKey EncodeKey(int index, const Key& key) const;
    ChunkedOrder::Pos Locate(int index, RowId id);
    // The first position whose row does not come before a searched key (keyBefore(record): that record's key
    // comes first). A table read by block finds the block by the .PX's first keys and reads only that one.
    template <class KeyBefore> ChunkedOrder::Pos KeyLowerBound(int index, KeyBefore keyBefore) {
        ChunkedOrder& order = Order(index);
        auto rowBefore = [&](RowId x) { return keyBefore(Rec(x)); };
        ChunkedOrder::Pos stored;
        if (index >= 0 && orders_.StoredLowerBound(index, keyBefore, stored)) return stored;
        if (index >= 0 || !PxFollowsChunks()) return order.LowerBound(rowBefore);
        return order.LowerBoundByFirst(rowBefore, [&](std::size_t i) { return keyBefore(px_.EntryKey(i)); });
    }
    // Where a row with this record (and id) would stand in the order.
    ChunkedOrder::Pos LowerBound(int index, const unsigned char* rec, RowId id);
    // A table read by block whose .PX entries were made from the chunks as they stand: a block is found by
    // the entries' first keys.
    bool PxFollowsChunks() const {
        return byBlock_ && !stale_ && pxStamp_ == primary_.Stamp() && px_.Entries() == primary_.ChunkCount();
    }

    // Writes; the caller holds the write lock and called PrepareWrite. AddIndex with the primary index of a
    // keyed table (the same fields as its key) writes the .PX anew.
    RowId Insert(const Row& row);
    void Modify(RowId id, const Row& row);
    void Delete(RowId id);
    // Deletes the rows whose primary key lies in [from, to] (partial keys, inclusive; an empty key leaves
    // that end open) and inserts `rows`, as one write: all of it reaches the files or none, synced once.
    void ReplaceRows(const Key& from, const Key& to, const std::vector<Row>& rows);
    void Empty();
    void AddIndex(const IndexDesc& index);
    void DeleteIndex(const std::string& name);

    // Raised by every finished write of any process (the journal's change generation).
    std::uint64_t WrittenGeneration() { return journal_.Generation(); }
    // Removes the journal when no write is pending (the caller holds the table exclusively).
    void DropJournal();
    // Index files whose definition was rebuilt at load are written again (the caller may write the files).
    void RepairIndexFiles() noexcept;
    // Damage the load read around ("" when none).
    std::string DamageReport() const;

    // Bytes that name a record across processes (its key, or its whole record in an unkeyed table).
    std::string RecordIdentity(RowId id) const;

private:
    friend class TableRefresh;
    friend class SecondaryOrders;
    friend class BlockChain;
    struct Batch;
    struct CompanionNames;
    using RowStep = SecondaryOrders::RowStep;
    using OrderChange = SecondaryOrders::OrderChange;
    static CompanionNames Companions(const fs::path& db);
    TableImage(fs::path dbPath, const CompanionNames& names);
    void Load();
    // Opens a large keyed table by its .PX (one entry per .DB block, in chain order) without reading its
    // rows; false when the table or its .PX does not allow it (then it is read whole).
    bool LoadByBlock(codec::DbHeader& h, std::string& head, std::int64_t fileSize);
    // The .PX told another story than the blocks: the table is read whole (which also judges the damage).
    [[noreturn]] void DistrustPx() const;
    // Takes in another process's last writes from the blocks they touched (TableRefresh); false when only a
    // whole read will do.
    bool CatchUp();
    // What a write changed, for other processes: a flag byte (1: the memo file) and the .DB blocks written.
    std::string ChangeNote(const Transaction& t) const;
    void Adopt(codec::DbHeader h, std::string head, RecordArray rows,
               const std::vector<std::pair<std::uint16_t, int>>& chain,
               std::vector<std::vector<RowId>>& blockIds);
    void AdoptHeader(codec::DbHeader h, std::string head);
    void AdoptIndexes();
    void Forget() noexcept;
    void LoadMemos(RecordArray& rows);
    // The memo file's layout, for a table read by block before its first write (one whose memo file is
    // missing or damaged is read whole instead: only then are the rows that point into it known).
    void LoadMemoMap();
    // A row's long memo texts read from the memo file (none when it has none); DistrustPx when the file
    // does not give them, so that the whole read marks them.
    std::vector<std::string> ReadRowMemos(const unsigned char* rec) const;
    // A row's long memo texts (nullptr when it has none); a table read by block reads them when first asked.
    const std::vector<std::string>* MemosOf(RowId id) const;
    static codec::MemoRef MemoRefOf(const codec::FieldLayout& f, const unsigned char* rec);
    std::string MarkedMemo(const codec::FieldLayout& f, const unsigned char* field) const;
    void RebuildIndexDefinitions(const std::vector<codec::DamagedIndexFile>& damaged);
    void LoadPrimaryIndexFile();
    // The .PX entries from chunk `from` on and the `touched` ones encoded again; the byte ranges that
    // changed.
    std::vector<codec::ByteRange> UpdatePrimaryIndex(std::size_t from, const std::set<std::size_t>& touched);
    void ResetPrimaryIndexFile();
    void RebuildPrimaryIndexFile();
    void ChangeKey(std::uint16_t keyFields);
    void BuildRules();
    void ResetDerived();
    KeyRule RuleFor(const std::vector<int>& fields, bool caseInsensitive) const;
    const KeyRule& Rule(int index) const { return index < 0 ? primaryRule_ : secondaryRules_[index]; }
    std::unique_ptr<unsigned char[]> EncodeRow(const Row& row, const unsigned char* old, Batch& batch);
    void CheckUnique(const unsigned char* rec, RowId self);
    // Whether an encoded edit would store exactly what the row holds (its memo texts included).
    bool SameAsStored(RowId id, const unsigned char* rec, const Batch& b) const;
    void InsertIntoOrders(RowId id, Batch& b);
    void EraseFromOrders(RowId id, Batch& b, bool primaryToo);
    void PrimaryInsert(RowId id, Batch& b);
    void PrimaryErase(RowId id, Batch& b);
    void FreeMemos(RowId id, Batch& b);
    void ReleaseBlock(std::uint16_t block, Batch& b);
    void MarkChunk(const Chunk* c, Batch& b);
    // The chunks beside `c`: their blocks' links change with it.
    void MarkNeighbours(const Chunk& c, Batch& b);
    void Commit(Batch& b);
    void WriteThrough(Batch& b, const std::function<void()>& change);
    void Relayout(Batch& b);
    void UpdateStamp(std::uint64_t generation);
    bool DbFileChanged();
    bool ChangedOnDisk();
    bool BlocksChangedOnDisk();
    void StoreIndexFiles(const codec::SecondaryDef& def);

    fs::path dbPath_;
    std::string name_;
    TableFiles files_;
    Journal journal_;
    codec::DbHeader hdr_;
    std::string hdrBytes_;
    std::unique_ptr<codec::CodePage> cp_;
    std::vector<codec::FieldLayout> layout_;
    std::vector<FieldDesc> fields_;
    std::vector<int> memoFields_;

    // A large table's chunks, made from the .PX entries as they are first reached: each entry's count and
    // block are checked then.
    struct PxChunks final : ChunkSource {
        explicit PxChunks(TableImage* image) : Image(image) {}
        std::uint32_t Count(std::size_t i) const override;
        std::uint16_t Take(std::size_t i, Chunk& c) const override;
        TableImage* Image;
    } pxChunks_{this};
    bool relayout_ = false;
    // The batch every row write adds to while ReplaceRows runs; it is committed once at the end.
    Batch* group_ = nullptr;

    std::vector<codec::SecondaryDef> secondaries_;
    std::vector<std::unique_ptr<ChunkedOrder>> secondaryOrders_;
    SecondaryOrders orders_{*this};
    KeyRule primaryRule_;
    std::vector<KeyRule> secondaryRules_;
    unsigned char upper_[256]{};

    codec::PrimaryIndexFile px_;
    std::vector<codec::ByteRange> pxPending_;
    std::uint64_t pxDiskSize_ = 0;
    codec::MemoFile mb_;
    std::uint64_t mbDiskSize_ = 0;
    std::unordered_map<RowId, std::vector<std::string>> memos_;
    std::string mbName_;
    std::size_t damagedMemos_ = 0; // memo texts the .MB did not give
    bool mbBroken_ = false;        // the .MB is missing or its header is not a memo file's
    bool memoMap_ = false;         // mb_ holds the .MB's layout (a table read by block loads it to write)

    struct Stamp {
        std::uint64_t Generation = 0;
        std::int64_t Size = -1;
        std::int64_t MTime = 0;
    } stamp_;
    std::int64_t settledAt_ = 0; // when the stamp was found to stand a file-time step after the .DB's time
    std::uint64_t version_ = 1;
    bool loaded_ = false;
    bool stale_ = false;
};

} // namespace engine
