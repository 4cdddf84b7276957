// The per-row arrays of a table image and the chunked order of a table opened by block: an entry never set
// reads empty, shrinking forgets what lay beyond; a chunk is made when first reached, and a row of a run is
// found through its run until it moves, then through its own entry.
#include "engine/ChunkedOrder.h"
#include "engine/RowArray.h"

#include <gtest/gtest.h>

namespace {

using namespace engine;

TEST(RowArray, EntriesAcrossPagesShrinkAndGrowWithoutLeftovers) {
    RowArray<int*> a;
    int x = 1, y = 2;
    a.resize(5000);
    EXPECT_EQ(a[4999], nullptr);
    EXPECT_EQ(a.Count(), 0u);
    a.Slot(3) = &x;
    a.Slot(4090) = &y;
    a.Slot(4095) = &y;
    EXPECT_EQ(a[3], &x);
    EXPECT_EQ(a.Count(), 3u);
    a.resize(4091); // keeps 4090, drops 4095 on the same page
    a.resize(5000);
    EXPECT_EQ(a[4090], &y);
    EXPECT_EQ(a[4095], nullptr);
    a.Reset(3);
    a.Reset(4500); // a page never made stays unmade
    EXPECT_EQ(a.Take(4090), &y);
    EXPECT_EQ(a.Count(), 0u);
    a.push_back(&x);
    EXPECT_EQ(a.size(), 5001u);
    EXPECT_EQ(a[5000], &x);
    a.ResetAll();
    EXPECT_EQ(a.size(), 5001u);
    EXPECT_EQ(a[5000], nullptr);
}

// Chunks of 4, 3 and 4 rows in blocks 1, 2 and 3, told in groups of two.
struct Source final : ChunkSource {
    std::uint32_t Count(std::size_t i) const override { return i == 1 ? 3 : 4; }
    std::uint16_t Take(std::size_t i, Chunk&) const override {
        ++taken;
        return static_cast<std::uint16_t>(i + 1);
    }
    mutable int taken = 0;
};

TEST(ChunkedOrder, ChunksAreMadeWhenReachedAndRowsOfARunFoundUntilTheyMoveOrGo) {
    Source source;
    ChunkedOrder order(4);
    RowArray<Chunk*> rowChunk;
    order.TrackRows(&rowChunk);
    order.AdoptSource(&source, 3, 11, 2, {0, 7});
    EXPECT_EQ(source.taken, 0);
    EXPECT_EQ(order.Size(), 11u);
    // Reaching a row makes its chunk alone.
    Chunk* b = order.ChunkOf(5);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Block, 2);
    EXPECT_EQ(order.IfMade(0), nullptr);
    EXPECT_EQ(order.ChunkOf(11), nullptr);
    EXPECT_EQ(order.Locate(5), (ChunkedOrder::Pos{1, 1}));
    EXPECT_EQ(order.Rank({2, 1}), 8);
    EXPECT_EQ(order.FromRank(8), (ChunkedOrder::Pos{2, 1}));
    EXPECT_TRUE(order.IsEnd(order.FromRank(11)));
    EXPECT_EQ(source.taken, 1); // ranks are counted without making chunks
    RowId expect = 0;
    for (auto p = order.Begin(); !order.IsEnd(p); p = order.Next(p))
        EXPECT_EQ(order.At(p), expect++);
    EXPECT_EQ(expect, 11u);
    EXPECT_EQ(rowChunk.size(), 0u); // nothing written per row
    Chunk* a = &order.ChunkAt(0);
    EXPECT_EQ(source.taken, 3); // each chunk made once

    // Row 19 goes into the full first chunk: it splits, and the rows that moved are found in their new chunk.
    ChunkedOrder::Change ch;
    order.Insert({0, 1}, 19, ch);
    ASSERT_NE(ch.Added, nullptr);
    EXPECT_EQ(ch.Touched, a);
    for (RowId id : {0u, 19u, 1u, 2u, 3u, 10u}) {
        const ChunkedOrder::Pos p = order.Locate(id);
        ASSERT_FALSE(order.IsEnd(p)) << id;
        EXPECT_EQ(order.At(p), id);
    }
    EXPECT_EQ(order.Rank(order.Locate(10)), 11);
    // A deleted row of a run is gone, not found in its old run.
    ChunkedOrder::Change gone;
    order.Erase(order.Locate(5), gone);
    EXPECT_EQ(order.ChunkOf(5), nullptr);
    EXPECT_TRUE(order.IsEnd(order.Locate(5)));
    EXPECT_EQ(order.ChunkOf(4), b);
    // Other ids in a chunk (another station's rewrite of its block): the old ones are gone.
    order.ReplaceIds(b->Index, {20, 21});
    EXPECT_EQ(order.ChunkOf(4), nullptr);
    EXPECT_EQ(order.ChunkOf(21), b);
    EXPECT_EQ(order.Size(), 11u);
}

} // namespace
