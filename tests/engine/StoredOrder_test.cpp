// A secondary order stored in its .X file: what a station reads back must be exactly the order that was
// made in the table's present state, or nothing.
#include "engine/codec/CodePage.h"
#include "engine/codec/StoredOrder.h"

#include <gtest/gtest.h>

namespace {

using namespace engine::codec;

TEST(StoredOrder, ReadsBackOnlyAWholeOrderAndTheStateItNames) {
    const TableState state{7, 2048 + 3 * 4096, 1700000000123456789, 5};
    const std::vector<std::uint32_t> numbers = {3, 0, 4, 1, 2};
    const std::string keys = "AA0BB1BB2CC3DD4"; // three bytes a key
    const std::string head = EncodeStoredOrderHead(state, 3, 2, numbers, keys);
    const auto start = ReadStoredOrderStart(head);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->State, state);
    EXPECT_EQ(start->Width, 3u);
    EXPECT_EQ(start->PerPage, 2u);
    EXPECT_EQ(start->HeadBytes, head.size());
    const auto order = DecodeStoredOrder(head, head.size() + keys.size());
    ASSERT_TRUE(order);
    EXPECT_EQ(order->RecordNumbers, numbers);
    EXPECT_EQ(order->Pages(), 3u);
    EXPECT_EQ(order->PageRows(2), 1u);
    EXPECT_EQ(order->PageAt(1), head.size() + 6);
    EXPECT_EQ(order->FirstKeys, "AA0BB2DD4");
    for (std::size_t page = 0; page < 3; ++page)
        EXPECT_TRUE(StoredPageFits(*order, page, keys.substr(page * 6, order->PageRows(page) * 3))) << page;
    EXPECT_FALSE(StoredPageFits(*order, 1, "BB2CC4"));
    EXPECT_FALSE(StoredPageFits(*order, 1, "AA0BB1"));
    EXPECT_FALSE(StoredPageFits(*order, 2, "DD4CC3"));

    // A new state stated over the head reads back; a torn one, or one stated for another head, does not.
    const TableState later{8, state.Size, state.MTime + 4000000, state.Rows};
    std::string restated = head;
    restated.replace(0, StoredStateBytes, EncodeStoredState(later, order->HeadSum));
    ASSERT_TRUE(DecodeStoredOrder(restated, head.size() + keys.size()));
    EXPECT_EQ(ReadStoredOrderStart(restated)->State, later);
    std::string torn = head;
    torn.replace(8, 8, restated.substr(8, 8));
    EXPECT_FALSE(DecodeStoredOrder(torn, head.size() + keys.size()));
    std::string foreign = head;
    foreign.replace(0, StoredStateBytes, EncodeStoredState(later, order->HeadSum + 1));
    EXPECT_FALSE(DecodeStoredOrder(foreign, head.size() + keys.size()));

    // Keys cut short, a head cut short or damaged, a record twice or out of range: nothing.
    EXPECT_FALSE(DecodeStoredOrder(head, head.size() + keys.size() - 1));
    EXPECT_FALSE(DecodeStoredOrder(head.substr(0, head.size() - 1), head.size() + keys.size()));
    std::string damaged = head;
    damaged[60] ^= 1;
    EXPECT_FALSE(DecodeStoredOrder(damaged, head.size() + keys.size()));
    for (const std::vector<std::uint32_t>& bad :
         {std::vector<std::uint32_t>{3, 0, 4, 1, 1}, std::vector<std::uint32_t>{3, 0, 5, 1, 2}}) {
        const std::string h = EncodeStoredOrderHead(state, 3, 2, bad, keys);
        EXPECT_FALSE(DecodeStoredOrder(h, h.size() + keys.size()));
    }
    EXPECT_FALSE(IsStoredOrder("PLOMIDX1"));
}

// Stored keys of a case-insensitive index hold text upper-cased; searches compare them upper-cased once
// more, which must change nothing.
TEST(StoredOrder, UpperCaseTwiceIsUpperCaseOnce) {
    const CodePage cp(1250);
    for (int b = 0; b < 256; ++b) {
        const unsigned char upper = cp.Upper(static_cast<unsigned char>(b));
        EXPECT_EQ(cp.Upper(upper), upper) << b;
    }
}

} // namespace
