#pragma once
// The block chain of a table image: the .DB's data blocks in chain order as chunks of row ids (the primary
// order), which chunk owns which block, the free blocks, the records by row id, and the reading of a large
// table's blocks as their rows are first needed, held while the process's block cache has room for them.
// The image it is a part of gives the header, the files, the .PX and the memo texts.

#include "engine/BlockCache.h"
#include "engine/ChunkedOrder.h"
#include "engine/Engine.h"
#include "engine/RowArray.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace engine {

class TableImage;

class BlockChain {
public:
    // A large table's blocks are read when first needed, while the files are as this image last saw them;
    // once another process changed them the image must be read again before that (Sync), and this is thrown.
    struct Outdated : Error {
        using Error::Error;
    };

    bool Alive(RowId id) const {
        return id < rows_.size() && (rows_[id] != nullptr || (byBlock_ && primary_.ChunkOf(id) != nullptr));
    }
    // Rows not read yet (a large table is read by block, as its rows are first needed).
    bool ReadWhole() const { return !byBlock_; }
    std::size_t RowsInMemory() const;
    // The process's block cache lets the rows of a block go (a table read by block reads them again).
    void LetBlockGo(std::uint16_t block) noexcept;

protected:
    BlockChain() = default;
    ~BlockChain() = default;
    BlockChain(const BlockChain&) = delete;
    BlockChain& operator=(const BlockChain&) = delete;

    const unsigned char* Rec(RowId id) const {
        const auto& r = rows_[id];
        return r ? r.get() : ReadRowBlock(id);
    }
    const unsigned char* ReadRowBlock(RowId id) const;
    // Reads the rows of a chunk not read yet; before a write changes the chunk's rows or its block.
    void ReadChunk(const Chunk& c) const;
    // `count` blocks of the .DB from block `first` on, as they are in the file now.
    void ReadBlocks(std::uint16_t first, std::size_t count, std::string& blocks);
    // The blocks before and after a chunk's in the chain (0 at its ends): the links its block holds.
    std::uint16_t PrevBlock(const Chunk& c) const {
        return c.Index > 0 ? primary_.ChunkAt(c.Index - 1).Block : 0;
    }
    std::uint16_t NextBlock(const Chunk& c) const {
        return c.Index + 1 < primary_.ChunkCount() ? primary_.ChunkAt(c.Index + 1).Block : 0;
    }
    // A block's bytes must be what the chunk says of it: its links, its count, rows in key order and the
    // .PX's first key; DistrustPx when not.
    void CheckBlock(const Chunk& at, const unsigned char* block) const;
    // Every row in primary order with its record: the rows in memory, the others straight from the file, many
    // blocks a read, without keeping them.
    void ScanRows(const std::function<void(RowId, const unsigned char*)>& row);
    // Reads every row not read yet; before a write that lays the whole table out again.
    void ReadAllRows();
    // Reads the chunks beside one whose place in the chain a write is about to change: their blocks are
    // written anew with it, and are checked against the links they hold before the chain changes.
    void ReadNeighbours(std::size_t index);
    // A free block for a new chunk: one left by a chunk that went, else one more at the end of the file.
    std::uint16_t AllocateBlock();
    // A chunk's block as the file holds it: its links, its count and its rows.
    std::string EncodeBlock(const Chunk& c) const;
    // Puts the rows into blocks 1, 2, ... (in key order when keyed), each full but the last.
    void LayOutBlocks(std::vector<RowId> all);
    // Counts a chunk's rows in the process's block cache as just used (tables read by block).
    void Cached(const Chunk& c) const;
    // Takes this table's blocks out of the cache (it is read whole now, or goes away).
    void Uncache() noexcept;

    // Null for a row of a table read by block whose block was not read yet (byBlock_).
    mutable RecordArray rows_;
    RowArray<Chunk*> rowChunk_;
    bool byBlock_ = false;
    // By block number: the blocks whose rows are held, with their places in the process's cache.
    mutable std::vector<std::optional<BlockCache::Handle>> cached_;
    std::string readBuffer_;                                      // every block read goes through it
    mutable std::vector<std::unique_ptr<unsigned char[]>> spare_; // buffers of rows let go, for reuse
    mutable std::size_t lastChunkRead_ = SIZE_MAX;                // a walk reads on
    bool distrustPx_ = false;     // the .PX did not match the blocks: read the table whole
    bool catchingUp_ = false;     // taking in another process's write: unnamed blocks may still be read
    std::uint64_t pxStamp_ = 0;   // the primary order's stamp when the .PX entries were last made
    std::uint64_t rankStamp_ = 0; // the primary order's stamp when a table read by block was opened
    bool writing_ = false;        // a write is changing the chunks: the .PX's entries follow at its end
    ChunkedOrder primary_{1};
    RowArray<Chunk*> blockOwner_; // by block number
    std::set<std::uint16_t> freeBlocks_;
    std::uint16_t fileBlocks_ = 0;

private:
    TableImage& Image();
    const TableImage& Image() const;
};

} // namespace engine
