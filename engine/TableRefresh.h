#pragma once
// Taking in another process's last writes from the blocks they touched, in two steps: Plan reads and checks
// everything those writes changed and gives a complete plan, or none when only a whole read will do (nothing
// in memory changed then); Apply takes a plan in and cannot leave the image half changed. The journal still
// holds those writes, so it names the touched blocks; every other block is as the image already has it.

#include "engine/ChunkedOrder.h"
#include "engine/codec/DbHeader.h"
#include "engine/Journal.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace engine {

class TableImage;

// What other processes' writes changed, read and checked; it points into the image's chunks, so it is applied
// at once, before anything else changes the image.
struct RefreshPlan {
    // A block of the new chain: a rewritten one from its bytes, or one nobody wrote as the image knows it
    // (its bytes, its next-block number with them, did not change).
    struct Link {
        std::uint16_t Block = 0;
        int Count = 0;
        Chunk* Old = nullptr;                   // a block nobody wrote: its chunk as it stands
        const unsigned char* Records = nullptr; // a rewritten block's records (in Blocks)
        std::size_t At = 0;                     // place in the chain
    };
    // A row of a rewritten block, matched by identity with a row the image held, or new.
    struct Placed {
        RowId Id;
        const unsigned char* Record;
        bool Changed; // new, or its bytes differ from what the image holds
    };

    RefreshPlan() = default;
    RefreshPlan(RefreshPlan&&) = default;
    RefreshPlan& operator=(RefreshPlan&&) = default;
    RefreshPlan(const RefreshPlan&) = delete; // Links and Rows point into Blocks
    RefreshPlan& operator=(const RefreshPlan&) = delete;

    std::uint64_t Generation = 0; // the journal's, after the writes
    std::size_t Writes = 0;       // how many writes it takes in
    Transaction Last;             // the last of them: one write's .PX changes patch the .PX in memory
    std::string PxBytes;          // the whole .PX, when several writes changed it
    codec::DbHeader Header;
    std::string HeaderBytes;
    std::map<std::uint16_t, std::string> Blocks; // the rewritten blocks' bytes
    bool InPlace = false;    // every block kept its place: Chain holds only the rewritten ones
    bool MemosMoved = false; // memo texts moved (a table read by block reads them again)
    std::vector<Link> Chain;
    std::vector<std::vector<Placed>> Rows; // by link of Chain: a rewritten block's rows
    std::vector<RowId> Gone;               // rows held in memory that left the table
    std::vector<RowId> Unread;             // rows never read whose blocks were rewritten or left the chain
    RowId Fresh = 0;                       // the number of row ids after it
    // A table read whole whose memo texts moved: the long texts of the rewritten blocks' rows (none: the row
    // has no long text).
    std::vector<std::pair<RowId, std::vector<std::string>>> Texts;
};

// Works on one image, under its apply lock (Plan and Apply in one step: the plan points into the image).
class TableRefresh {
public:
    explicit TableRefresh(TableImage& image) : image_(image) {}

    // Reads what changed and checks that it all holds; nothing when only a whole read will do. Nothing the
    // image shows changes: only chunks not made yet are made from the .PX, and rows not read yet may be read
    // from blocks nobody wrote.
    std::optional<RefreshPlan> Plan();
    // Takes a plan in: every row, order, block and the header as the files hold them. False when memory ran
    // out or a block could not be read meanwhile: then the image is let go whole (read anew at its next use).
    bool Apply(RefreshPlan& plan) noexcept;

private:
    // Blocks the notes do not name are as the image knows them: while a plan is made and taken in, rows not
    // read yet may be read from them.
    struct CatchingUp {
        bool& Flag;
        explicit CatchingUp(bool& f) : Flag(f) { Flag = true; }
        ~CatchingUp() { Flag = false; }
        CatchingUp(const CatchingUp&) = delete;
        CatchingUp& operator=(const CatchingUp&) = delete;
    };

    bool ReadNotes(RefreshPlan& plan, std::set<std::uint16_t>& touched);
    bool ReadTouched(RefreshPlan& plan, const std::set<std::uint16_t>& touched);
    bool ChainInPlace(RefreshPlan& plan);
    bool WalkChain(RefreshPlan& plan);
    bool MatchRows(RefreshPlan& plan, std::size_t limit);
    bool MemosStayPut(const RefreshPlan& plan) const;
    void ReadTexts(RefreshPlan& plan) const;
    bool KeysInOrder(const RefreshPlan& plan) const;

    void TakeRows(RefreshPlan& plan);
    void TakeChain(RefreshPlan& plan, std::size_t& pxFrom, std::set<std::size_t>& pxTouched);
    void TakeHeader(RefreshPlan& plan, std::size_t pxFrom, const std::set<std::size_t>& pxTouched);
    void PutIntoSecondaries(const RefreshPlan& plan);

    TableImage& image_;
};

} // namespace engine
