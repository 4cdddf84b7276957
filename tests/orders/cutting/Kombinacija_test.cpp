#include "orders/cutting/Kombinacija.h"

#include "base/Exceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace orders;
using ::testing::ElementsAre;

namespace {

// Artikl doubles as the piece's identity in these tests.
TKomad Piece(int duzina, int prozor, int id) {
    TKomad k;
    k.Duzina = static_cast<std::int16_t>(duzina);
    k.Prozor = static_cast<std::int16_t>(prozor);
    k.Artikl = id;
    return k;
}

std::vector<int> Lengths(const Sipka& s) {
    std::vector<int> out;
    for (const TKomad& k : s.Komadi)
        out.push_back(k.Duzina);
    return out;
}

std::vector<int> Ids(const std::vector<TKomad>& komadi) {
    std::vector<int> out;
    for (const TKomad& k : komadi)
        out.push_back(k.Artikl);
    return out;
}

BarLayout SortAndFill(std::vector<TKomad> komadi, int duzinaSipke) {
    Sort(komadi);
    return Kombinacija(komadi, duzinaSipke);
}

} // namespace

TEST(Sort, LongestFirstThenHigherItemNumber) {
    std::vector<TKomad> komadi{Piece(800, 1, 1), Piece(1200, 2, 2), Piece(800, 3, 3), Piece(1500, 1, 4),
                               Piece(800, 2, 5)};
    Sort(komadi);
    EXPECT_THAT(Ids(komadi), ElementsAre(4, 2, 3, 5, 1));
}

TEST(Sort, ReproducesTheExchangeOrderOfEqualPieces) {
    // a and b are equal in length and item: a longer piece behind them moves a to the end, which a
    // stable sort would not do.
    std::vector<TKomad> komadi{Piece(500, 1, 1), Piece(500, 1, 2), Piece(1000, 1, 3)};
    Sort(komadi);
    EXPECT_THAT(Ids(komadi), ElementsAre(3, 2, 1));
}

TEST(Kombinacija, WorkedExampleGivesThreeBars) {
    BarLayout r = SortAndFill(
        {Piece(2000, 1, 1), Piece(1500, 1, 2), Piece(1200, 1, 3), Piece(800, 1, 4), Piece(700, 1, 5)}, 3000);
    ASSERT_EQ(r.Sipke.size(), 3u);
    EXPECT_THAT(Lengths(r.Sipke[0]), ElementsAre(1500, 800, 700));
    EXPECT_EQ(r.Sipke[0].Iskoristeno, 3000);
    EXPECT_THAT(Lengths(r.Sipke[1]), ElementsAre(2000));
    EXPECT_THAT(Lengths(r.Sipke[2]), ElementsAre(1200));
    EXPECT_TRUE(r.Izostavljeni.empty());
}

TEST(Kombinacija, ImprovementTriesTheOriginalPiecesBeforeTheCandidatesThatJoined) {
    // 60 + 30 is swapped for 30 + 48 + 21; the next try is 30 (older than the joined 48), then 21,
    // and neither improves. Trying 48 first would have given 30 + 21 + 29 + 20.
    BarLayout r = SortAndFill({Piece(60, 1, 1), Piece(48, 1, 2), Piece(30, 1, 3), Piece(29, 1, 4),
                               Piece(21, 1, 5), Piece(20, 1, 6)},
                              100);
    ASSERT_EQ(r.Sipke.size(), 3u);
    EXPECT_THAT(Lengths(r.Sipke[0]), ElementsAre(48, 30, 21));
    EXPECT_EQ(r.Sipke[0].Iskoristeno, 99);
    EXPECT_THAT(Lengths(r.Sipke[1]), ElementsAre(60, 29));
    EXPECT_THAT(Lengths(r.Sipke[2]), ElementsAre(20));
}

TEST(Kombinacija, SwapNeedsStrictlyMoreUse) {
    // 6 + 4 fills the bar; 5 + 3 + 2 goes on the second one.
    BarLayout r =
        SortAndFill({Piece(6, 1, 1), Piece(5, 1, 2), Piece(4, 1, 3), Piece(3, 1, 4), Piece(2, 1, 5)}, 10);
    ASSERT_EQ(r.Sipke.size(), 2u);
    EXPECT_THAT(Lengths(r.Sipke[0]), ElementsAre(6, 4));
    EXPECT_THAT(Lengths(r.Sipke[1]), ElementsAre(5, 3, 2));
}

TEST(Kombinacija, EqualLengthsAreWrittenWithTheHigherItemFirst) {
    BarLayout r =
        SortAndFill({Piece(1000, 1, 1), Piece(1000, 3, 2), Piece(1000, 2, 3), Piece(500, 4, 4)}, 3500);
    ASSERT_EQ(r.Sipke.size(), 1u);
    std::vector<int> items;
    for (const TKomad& k : r.Sipke[0].Komadi)
        items.push_back(k.Prozor);
    EXPECT_THAT(items, ElementsAre(3, 2, 1, 4));
}

TEST(Kombinacija, PiecesKeepTheirOtherFields) {
    TKomad k = Piece(1000, 7, 42);
    k.KutL = 45;
    k.KutD = 90;
    k.Sirina = 0;
    BarLayout r = Kombinacija({k}, 6500);
    ASSERT_EQ(r.Sipke.size(), 1u);
    ASSERT_EQ(r.Sipke[0].Komadi.size(), 1u);
    EXPECT_EQ(r.Sipke[0].Komadi[0].KutL, 45);
    EXPECT_EQ(r.Sipke[0].Komadi[0].Artikl, 42);
    EXPECT_EQ(r.Sipke[0].Komadi[0].Prozor, 7);
}

TEST(Kombinacija, PieceLongerThanTheBarIsReportedAndTheRunGoesOn) {
    BarLayout r = SortAndFill({Piece(3001, 1, 1), Piece(3000, 1, 2), Piece(1000, 2, 3)}, 3000);
    ASSERT_EQ(r.Izostavljeni.size(), 1u);
    EXPECT_EQ(r.Izostavljeni[0].Komad.Artikl, 1);
    EXPECT_EQ(r.Izostavljeni[0].Razlog, PieceFault::LongerThanBar);
    ASSERT_EQ(r.Sipke.size(), 2u);
    EXPECT_THAT(Lengths(r.Sipke[0]), ElementsAre(3000));
    EXPECT_THAT(Lengths(r.Sipke[1]), ElementsAre(1000));
}

TEST(Kombinacija, LongBarsDoNotOverflowSixteenBits) {
    BarLayout r = SortAndFill({Piece(20000, 1, 1), Piece(20000, 2, 2), Piece(12767, 3, 3)}, 32767);
    ASSERT_EQ(r.Sipke.size(), 2u);
    EXPECT_THAT(Lengths(r.Sipke[0]), ElementsAre(20000, 12767));
    EXPECT_EQ(r.Sipke[0].Iskoristeno, 32767);
    EXPECT_THAT(Lengths(r.Sipke[1]), ElementsAre(20000));
}

TEST(Kombinacija, BarLengthZeroReportsEveryPiece) {
    for (int duzina : {0, -5}) {
        BarLayout r = SortAndFill({Piece(100, 1, 1), Piece(200, 1, 2)}, duzina);
        EXPECT_TRUE(r.Sipke.empty());
        ASSERT_EQ(r.Izostavljeni.size(), 2u);
        EXPECT_EQ(r.Izostavljeni[0].Razlog, PieceFault::BarLengthNotPositive);
        EXPECT_EQ(r.Izostavljeni[1].Razlog, PieceFault::BarLengthNotPositive);
    }
}

TEST(Kombinacija, PiecesWithoutLengthAreReported) {
    BarLayout r = SortAndFill({Piece(0, 1, 1), Piece(-20, 1, 2), Piece(500, 1, 3)}, 1000);
    ASSERT_EQ(r.Izostavljeni.size(), 2u);
    EXPECT_EQ(r.Izostavljeni[0].Razlog, PieceFault::LengthNotPositive);
    EXPECT_EQ(r.Izostavljeni[1].Razlog, PieceFault::LengthNotPositive);
    ASSERT_EQ(r.Sipke.size(), 1u);
    EXPECT_THAT(Lengths(r.Sipke[0]), ElementsAre(500));
}

TEST(Kombinacija, EmptyListGivesNoBars) {
    BarLayout r = Kombinacija({}, 6500);
    EXPECT_TRUE(r.Sipke.empty());
    EXPECT_TRUE(r.Izostavljeni.empty());
}

TEST(Kombinacija, RefusesAListThatWasNotSorted) {
    EXPECT_THROW(Kombinacija({Piece(100, 1, 1), Piece(200, 1, 2)}, 1000), base::Exception);
}

TEST(Kombinacija, LeftOutPiecesHaveAText) {
    EXPECT_EQ(Opis(PieceFault::LongerThanBar), "Komad je duži od šipke profila!!!");
    EXPECT_FALSE(Opis(PieceFault::BarLengthNotPositive).empty());
    EXPECT_FALSE(Opis(PieceFault::LengthNotPositive).empty());
}
