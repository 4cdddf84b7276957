// The per-row arrays of a table image and the chunked order's runs of rows opened by block: an entry never
// set reads empty, shrinking forgets what lay beyond, and a row of a run is found through its run until it
// moves, then through its own entry.
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

TEST(ChunkedOrder, RowsOfARunAreFoundUntilTheyMoveOrGo) {
    ChunkedOrder order(4);
    RowArray<Chunk*> rowChunk;
    order.TrackRows(&rowChunk);
    Chunk* a = order.AppendRun(0, 4, 1);
    Chunk* b = order.AppendRun(4, 3, 2);
    EXPECT_EQ(rowChunk.size(), 0u); // nothing written per row
    EXPECT_EQ(order.ChunkOf(2), a);
    EXPECT_EQ(order.ChunkOf(6), b);
    EXPECT_EQ(order.ChunkOf(7), nullptr);
    EXPECT_EQ(order.Locate(5), (ChunkedOrder::Pos{1, 1}));

    // Row 9 goes into the full first chunk: it splits, and the rows that moved are found in their new chunk.
    ChunkedOrder::Change ch;
    order.Insert({0, 1}, 9, ch);
    ASSERT_NE(ch.Added, nullptr);
    for (RowId id : {0u, 9u, 1u, 2u, 3u}) {
        const ChunkedOrder::Pos p = order.Locate(id);
        ASSERT_FALSE(order.IsEnd(p)) << id;
        EXPECT_EQ(order.At(p), id);
    }
    // A deleted row of a run is gone, not found in its old run.
    ChunkedOrder::Change gone;
    order.Erase(order.Locate(5), gone);
    EXPECT_EQ(order.ChunkOf(5), nullptr);
    EXPECT_TRUE(order.IsEnd(order.Locate(5)));
    EXPECT_EQ(order.ChunkOf(4), b);
    // Other ids in a chunk (another station's rewrite of its block): the old ones are gone.
    order.ReplaceIds(b->Index, {10, 11});
    EXPECT_EQ(order.ChunkOf(4), nullptr);
    EXPECT_EQ(order.ChunkOf(11), b);
    EXPECT_EQ(order.Size(), 7u);
}

} // namespace
