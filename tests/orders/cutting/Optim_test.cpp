#include "orders/cutting/Optim.h"

#include "base/Exceptions.h"
#include "OptimTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace orders;
using ::testing::ElementsAre;

TEST(SortPiecesByArea, LargestFirstWithTheExchangeOrderOfEqualAreas) {
    std::vector<TKomadStakla> komadi{Pane(1, 10, 10), Pane(2, 20, 5), Pane(3, 30, 30), Pane(4, 5, 40)};
    SortPiecesByArea(komadi);
    std::vector<int> order;
    for (const TKomadStakla& k : komadi)
        order.push_back(k.Broj);
    EXPECT_THAT(order, ElementsAre(3, 4, 1, 2));
}

TEST(Strips, PanesStackUpwardsAndTheNextStripStartsAtTheRightEdge) {
    SheetLayout r = RunCuttingOptimisation({Pane(1, 600, 400), Pane(2, 400, 300), Pane(3, 300, 300)},
                                           PlainJob(1000, 1000));
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 600, 400}, Cut{2, 1, 0, 400, 400, 300},
                                     Cut{3, 1, 600, 0, 300, 300}));
    EXPECT_EQ(r.BrojPloca, 1);
    EXPECT_TRUE(r.Izostavljeni.empty());
}

TEST(Strips, RoomBesideANarrowerPaneOfTheStripIsFilled) {
    SheetLayout r = RunCuttingOptimisation(
        {Pane(1, 600, 300), Pane(2, 400, 300), Pane(3, 300, 350), Pane(4, 200, 250)}, PlainJob(1000, 1000));
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 600, 300}, Cut{2, 1, 0, 300, 400, 300},
                                     Cut{3, 1, 0, 600, 300, 350}, Cut{4, 1, 400, 300, 200, 250}));
}

TEST(Strips, KerfSeparatesPanesInBothDirections) {
    SheetLayout r =
        RunCuttingOptimisation({Pane(1, 490, 490), Pane(2, 490, 490), Pane(3, 490, 490), Pane(4, 490, 490)},
                               PlainJob(1000, 1000, 5));
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 490, 490}, Cut{2, 1, 0, 495, 490, 490},
                                     Cut{3, 1, 495, 0, 490, 490}, Cut{4, 1, 495, 495, 490, 490}));
}

TEST(Strips, StripTestIsStrictSoAFullHeightStackStartsANewStrip) {
    // 500 + 495 + 5 reaches the sheet's height exactly: the second pane goes into the next strip.
    SheetLayout r = RunCuttingOptimisation({Pane(1, 495, 495), Pane(2, 495, 495)}, PlainJob(1000, 1000, 5));
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 495, 495}, Cut{2, 1, 500, 0, 495, 495}));
}

TEST(Turning, WithOkretnoTheLongerSideGoesAcross) {
    SheetLayout r =
        RunCuttingOptimisation({Pane(1, 300, 800), Pane(2, 200, 700)}, PlainJob(1000, 2000, 0, true));
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 800, 300}, Cut{2, 1, 0, 300, 700, 200}));
}

TEST(Turning, WithoutOkretnoPanesKeepTheirSides) {
    SheetLayout r = RunCuttingOptimisation({Pane(1, 300, 800), Pane(2, 200, 700)}, PlainJob(1000, 2000));
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 300, 800}, Cut{2, 1, 0, 800, 200, 700}));
}

TEST(Turning, TheRoomBesideAStripTakesAPaneTurnedWhenOnlyThatFits) {
    // The strip is full in height; beside pane 2 there is 200 x 300 of room, where pane 4 fits only
    // turned.
    const std::vector<TKomadStakla> panes{Pane(1, 600, 300), Pane(2, 400, 300), Pane(3, 400, 390),
                                          Pane(4, 250, 180)};
    EXPECT_THAT(Cuts(RunCuttingOptimisation(panes, PlainJob(1000, 1000, 0, true))),
                ElementsAre(Cut{1, 1, 0, 0, 600, 300}, Cut{2, 1, 0, 300, 400, 300},
                            Cut{3, 1, 0, 600, 400, 390}, Cut{4, 1, 400, 300, 180, 250}));
    EXPECT_THAT(Cuts(RunCuttingOptimisation(panes, PlainJob(1000, 1000))),
                ElementsAre(Cut{1, 1, 0, 0, 600, 300}, Cut{2, 1, 0, 300, 400, 300},
                            Cut{3, 1, 0, 600, 400, 390}, Cut{4, 1, 600, 0, 250, 180}));
}

TEST(Turning, WithOkretnoALandscapeSheetIsWorkedUpright) {
    SheetLayout r = RunCuttingOptimisation({Pane(1, 1500, 300)}, PlainJob(2000, 1000, 0, true));
    EXPECT_EQ(r.SirinaPloce, 1000);
    EXPECT_EQ(r.VisinaPloce, 2000);
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 300, 1500}));

    SheetLayout fixed = RunCuttingOptimisation({Pane(1, 1500, 300)}, PlainJob(2000, 1000));
    EXPECT_EQ(fixed.SirinaPloce, 2000);
    EXPECT_THAT(Cuts(fixed), ElementsAre(Cut{1, 1, 0, 0, 1500, 300}));
}

TEST(LeftOut, PanesThatCanNeverBePlacedAreReportedAndTheRestIsLaidOut) {
    SheetLayout r = RunCuttingOptimisation(
        {Pane(1, 500, 990), Pane(2, 500, 989), Pane(3, 1200, 100), Pane(4, 0, 100), Pane(5, 100, -3)},
        PlainJob(1000, 1000, 10));
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{2, 1, 0, 0, 500, 989}));
    ASSERT_EQ(r.Izostavljeni.size(), 4u);
    EXPECT_EQ(r.Izostavljeni[0].Komad.Broj, 1);
    EXPECT_EQ(r.Izostavljeni[0].Razlog, PaneFault::TooHighForStrip);
    EXPECT_EQ(r.Izostavljeni[1].Komad.Broj, 3);
    EXPECT_EQ(r.Izostavljeni[1].Razlog, PaneFault::LargerThanSheet);
    EXPECT_EQ(r.Izostavljeni[2].Razlog, PaneFault::SizeNotPositive);
    EXPECT_EQ(r.Izostavljeni[3].Razlog, PaneFault::SizeNotPositive);
}

TEST(LeftOut, WithOkretnoAPaneTooHighAsItLiesIsPlacedTurned) {
    SheetLayout r = RunCuttingOptimisation({Pane(1, 500, 990)}, PlainJob(1000, 1000, 10, true));
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 990, 500}));
    EXPECT_TRUE(r.Izostavljeni.empty());
}

TEST(LeftOut, ASheetSizedPaneIsReportedEvenWithOkretno) {
    SheetLayout r =
        RunCuttingOptimisation({Pane(1, 1000, 1000), Pane(2, 1001, 10)}, PlainJob(1000, 1000, 0, true));
    EXPECT_EQ(r.BrojPloca, 0);
    EXPECT_TRUE(r.Izresci.empty());
    ASSERT_EQ(r.Izostavljeni.size(), 2u);
    EXPECT_EQ(r.Izostavljeni[0].Razlog, PaneFault::TooHighForStrip);
    EXPECT_EQ(r.Izostavljeni[1].Razlog, PaneFault::LargerThanSheet);
}

TEST(LeftOut, KerfWiderThanTheSheetLeavesEveryPaneOut) {
    SheetLayout r = RunCuttingOptimisation({Pane(1, 10, 10), Pane(2, 20, 20)}, PlainJob(100, 100, 200, true));
    EXPECT_EQ(r.BrojPloca, 0);
    EXPECT_TRUE(r.Izresci.empty());
    EXPECT_EQ(r.Izostavljeni.size(), 2u);
}

TEST(LeftOut, EachReasonHasAText) {
    EXPECT_EQ(Opis(PaneFault::LargerThanSheet), "Staklo je veće od ploče!!!");
    EXPECT_FALSE(Opis(PaneFault::TooHighForStrip).empty());
    EXPECT_FALSE(Opis(PaneFault::SizeNotPositive).empty());
}

TEST(Job, NothingToLayOutGivesNoSheet) {
    SheetLayout r = RunCuttingOptimisation({}, SheetJob{3210, 2250, 0, true, {}});
    EXPECT_EQ(r.BrojPloca, 0);
    EXPECT_TRUE(r.Izresci.empty());
    EXPECT_EQ(r.SirinaPloce, 2250);
}

TEST(Job, BadSheetOrKerfIsRefused) {
    EXPECT_THROW(RunCuttingOptimisation({Pane(1, 1, 1)}, PlainJob(0, 100)), base::Exception);
    EXPECT_THROW(RunCuttingOptimisation({Pane(1, 1, 1)}, PlainJob(100, -1)), base::Exception);
    EXPECT_THROW(RunCuttingOptimisation({Pane(1, 1, 1)}, PlainJob(40000, 100)), base::Exception);
    EXPECT_THROW(RunCuttingOptimisation({Pane(1, 1, 1)}, PlainJob(100, 100, -1)), base::Exception);
    EXPECT_THROW(RunCuttingOptimisation({Pane(1, 1, 1)}, PlainJob(100, 100, 256)), base::Exception);
}

TEST(Sheets, FullSheetsAreNumberedWithoutGapsAfterTheLastSheetRedo) {
    SheetJob job = PlainJob(1000, 600);
    job.Postavke = PostavkeStakla{}; // the defaults, with the last-sheet redo
    SheetLayout r = RunCuttingOptimisation({Pane(1, 600, 500), Pane(2, 600, 500), Pane(3, 600, 500)}, job);
    EXPECT_EQ(r.BrojPloca, 3);
    EXPECT_THAT(Cuts(r),
                ElementsAre(Cut{1, 1, 0, 0, 600, 500}, Cut{2, 2, 0, 0, 600, 500}, Cut{3, 3, 0, 0, 600, 500}));
}
