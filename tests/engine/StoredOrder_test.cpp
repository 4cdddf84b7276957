// A secondary order stored in its .Y file: what a station reads back must be exactly the order that was
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

// Each write appends an entry to the order's log, bound to the order and to every entry before it; the last
// entry's state is the order's, and can be stated anew in its place.
TEST(StoredOrder, ALogReadsBackOnlyWholeEntriesOfItsOwnOrder) {
    const TableState state{7, 2048 + 3 * 4096, 1700000000123456789, 5};
    const std::string keys = "AA0BB1BB2CC3DD4";
    const std::string head = EncodeStoredOrderHead(state, 3, 2, {3, 0, 4, 1, 2}, keys);
    const StoredOrderStart start = *ReadStoredOrderStart(head);
    const std::uint64_t headSum = DecodeStoredOrder(head, head.size() + keys.size())->HeadSum;
    const auto empty = DecodeOrderLog(start, headSum, "");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->State, state);
    EXPECT_EQ(empty->StateAt, 0u);
    EXPECT_EQ(empty->End, KeysEnd(start));

    const TableState one{8, state.Size, state.MTime + 1, 6}, two{9, state.Size + 4096, state.MTime + 2, 5};
    const std::string first = EncodeLogEntry(*empty, 3, {{StepKind::Insert, 2, "BB5"}}, one);
    const auto afterFirst = DecodeOrderLog(start, headSum, first);
    ASSERT_TRUE(afterFirst);
    const std::string second = EncodeLogEntry(
        *afterFirst, 3, {{StepKind::Erase, 0, std::string(3, '\0')}, {StepKind::Rekey, 4, "AA4"}}, two);
    const std::string log = first + second;
    const auto both = DecodeOrderLog(start, headSum, log);
    ASSERT_TRUE(both);
    ASSERT_EQ(both->Steps.size(), 3u);
    EXPECT_EQ(both->Steps[2].Kind, StepKind::Rekey);
    EXPECT_EQ(both->Steps[2].Rank, 4u);
    EXPECT_EQ(both->Steps[2].Key, "AA4");
    EXPECT_EQ(both->State, two);
    EXPECT_EQ(both->End, KeysEnd(start) + log.size());
    EXPECT_EQ(both->StateAt, both->End - StoredStateBytes);

    // The last state stated anew reads back with the entry's rows.
    const TableState later{10, two.Size, two.MTime + 5, 0};
    std::string restated = log;
    restated.replace(log.size() - StoredStateBytes, StoredStateBytes, EncodeStoredState(later, both->Sum));
    EXPECT_EQ(DecodeOrderLog(start, headSum, restated)->State, (TableState{10, two.Size, two.MTime + 5, 5}));

    // Cut short, damaged, an entry bound to another order or to no entry before it, a step of no kind:
    // nothing.
    std::string kindless = log;
    kindless[first.size() + 16] = 4;
    std::string damaged = log;
    damaged[first.size() + 18] ^= 1;
    for (const std::string& bad : {log.substr(0, log.size() - 1), log + "P", damaged, kindless,
                                   first + EncodeLogEntry(*empty, 3, {{StepKind::Insert, 0, "AA1"}}, two)})
        EXPECT_FALSE(DecodeOrderLog(start, headSum, bad));
    EXPECT_FALSE(DecodeOrderLog(start, headSum + 1, first));
}

// Replaying the steps gives each stored row its record number now (or none) and the rows put in theirs.
TEST(StoredOrder, ReplayingALogNumbersTheRowsAsTheTableHasThem) {
    // A B C D E; X put in at 2; A out; D's key changed; Y put in at 5; X out again: B C D' E Y.
    const std::vector<OrderStep> steps = {{StepKind::Insert, 2, "x"},
                                          {StepKind::Erase, 0, ""},
                                          {StepKind::Rekey, 3, "d"},
                                          {StepKind::Insert, 5, "y"},
                                          {StepKind::Erase, 1, ""}};
    const auto r = ReplayOrderLog(5, steps);
    ASSERT_TRUE(r);
    constexpr std::uint32_t Gone = ReplayedLog::Gone;
    EXPECT_EQ(r->Now, (std::vector<std::uint32_t>{Gone, 0, 1, Gone, 3}));
    EXPECT_EQ(r->Rows, 5u);
    ASSERT_EQ(r->Put.size(), 2u);
    EXPECT_EQ(r->Put[0].Key, "d");
    EXPECT_EQ(r->Put[0].Rank, 2u);
    EXPECT_EQ(r->Put[1].Key, "y");
    EXPECT_EQ(r->Put[1].Rank, 4u);

    // Every row out and two in, in reverse key order.
    const auto emptied = ReplayOrderLog(2, {{StepKind::Erase, 1, ""},
                                            {StepKind::Erase, 0, ""},
                                            {StepKind::Insert, 0, "b"},
                                            {StepKind::Insert, 1, "a"}});
    ASSERT_TRUE(emptied);
    EXPECT_EQ(emptied->Now, (std::vector<std::uint32_t>{Gone, Gone}));
    ASSERT_EQ(emptied->Put.size(), 2u);
    EXPECT_EQ(emptied->Put[0].Key + emptied->Put[1].Key, "ab");
    EXPECT_EQ(emptied->Put[0].Rank, 1u);

    // A record number the table did not have at that step.
    EXPECT_FALSE(ReplayOrderLog(5, {{StepKind::Insert, 6, "x"}}));
    EXPECT_FALSE(ReplayOrderLog(5, {{StepKind::Erase, 0, ""}, {StepKind::Rekey, 4, "x"}}));
    EXPECT_TRUE(ReplayOrderLog(5, {{StepKind::Insert, 5, "x"}}));
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
