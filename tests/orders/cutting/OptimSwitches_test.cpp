#include "orders/cutting/Optim.h"

#include "OptimTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace orders;
using ::testing::ElementsAre;

namespace {

// A short first strip of a wide and a narrow pane, then a tall strip whose upper pane has room to the
// left of it, above the short strip.
SheetLayout PushJob(bool lijevo, bool dolje) {
    SheetJob job = PlainJob(1000, 1000);
    job.Postavke.PLijevo = lijevo;
    job.Postavke.PDolje = dolje;
    return RunCuttingOptimisation(
        {Pane(1, 300, 200), Pane(2, 100, 100), Pane(3, 500, 500), Pane(4, 200, 300)}, job);
}

// Two strips fill the sheet's width; pane 6 fits no strip, and pane 2 needs a sheet of its own.
std::vector<TKomadStakla> FullSheetPanes(TKomadStakla last) {
    return {Pane(1, 600, 600), Pane(2, 600, 600), Pane(3, 400, 500),
            Pane(4, 400, 300), Pane(5, 300, 300), last};
}

// Three equal panes: two stack in the first strip, the third needs a second strip.
std::vector<TKomadStakla> ThreeBands() {
    return {Pane(1, 500, 200), Pane(2, 500, 200), Pane(3, 500, 200)};
}

} // namespace

TEST(PLijevo, PanesOfLaterStripsSlideLeftIntoFreeRoom) {
    EXPECT_THAT(Cuts(PushJob(false, false)),
                ElementsAre(Cut{1, 1, 0, 0, 300, 200}, Cut{2, 1, 0, 200, 100, 100},
                            Cut{3, 1, 300, 0, 500, 500}, Cut{4, 1, 300, 500, 200, 300}));
    EXPECT_THAT(Cuts(PushJob(true, false)),
                ElementsAre(Cut{1, 1, 0, 0, 300, 200}, Cut{2, 1, 0, 200, 100, 100},
                            Cut{3, 1, 300, 0, 500, 500}, Cut{4, 1, 0, 500, 200, 300}));
}

TEST(PDolje, PanesDropOntoTheNearestPaneBelowThem) {
    // Alone it changes nothing here: pane 4 already rests on pane 3.
    EXPECT_EQ(Cuts(PushJob(false, true)), Cuts(PushJob(false, false)));
    // After sliding left, pane 4 drops onto pane 2.
    EXPECT_THAT(Cuts(PushJob(true, true)),
                ElementsAre(Cut{1, 1, 0, 0, 300, 200}, Cut{2, 1, 0, 200, 100, 100},
                            Cut{3, 1, 300, 0, 500, 500}, Cut{4, 1, 0, 300, 200, 300}));
}

TEST(Popuni, AFullSheetTakesAPaneOnTopOfAPlacementWithFreeRoomAbove) {
    SheetJob job = PlainJob(1000, 1000);
    SheetLayout without = RunCuttingOptimisation(FullSheetPanes(Pane(6, 350, 150)), job);
    EXPECT_THAT(Cuts(without), ElementsAre(Cut{1, 1, 0, 0, 600, 600}, Cut{4, 1, 0, 600, 400, 300},
                                           Cut{3, 1, 600, 0, 400, 500}, Cut{5, 1, 600, 500, 300, 300},
                                           Cut{2, 2, 0, 0, 600, 600}, Cut{6, 2, 0, 600, 350, 150}));
    job.Postavke.Popuni = true;
    SheetLayout with = RunCuttingOptimisation(FullSheetPanes(Pane(6, 350, 150)), job);
    EXPECT_THAT(Cuts(with), ElementsAre(Cut{1, 1, 0, 0, 600, 600}, Cut{4, 1, 0, 600, 400, 300},
                                        Cut{3, 1, 600, 0, 400, 500}, Cut{5, 1, 600, 500, 300, 300},
                                        Cut{6, 1, 600, 800, 350, 150}, Cut{2, 2, 0, 0, 600, 600}));
}

TEST(Umetni, AFullSheetTakesPanesBesideItsLastStrip) {
    SheetJob job = PlainJob(1000, 1000);
    SheetLayout without = RunCuttingOptimisation(FullSheetPanes(Pane(6, 100, 400)), job);
    EXPECT_THAT(Cuts(without), ElementsAre(Cut{1, 1, 0, 0, 600, 600}, Cut{4, 1, 0, 600, 400, 300},
                                           Cut{3, 1, 600, 0, 400, 500}, Cut{5, 1, 600, 500, 300, 300},
                                           Cut{2, 2, 0, 0, 600, 600}, Cut{6, 2, 600, 0, 100, 400}));
    job.Postavke.Umetni = true;
    SheetLayout with = RunCuttingOptimisation(FullSheetPanes(Pane(6, 100, 400)), job);
    EXPECT_THAT(Cuts(with), ElementsAre(Cut{1, 1, 0, 0, 600, 600}, Cut{4, 1, 0, 600, 400, 300},
                                        Cut{3, 1, 600, 0, 400, 500}, Cut{5, 1, 600, 500, 300, 300},
                                        Cut{6, 1, 900, 500, 100, 400}, Cut{2, 2, 0, 0, 600, 600}));
}

TEST(ZadnjaPoSirini, TheLastSheetIsLaidOutAgainAcrossAndTurnedBack) {
    SheetJob job = PlainJob(1000, 600);
    EXPECT_THAT(
        Cuts(RunCuttingOptimisation(ThreeBands(), job)),
        ElementsAre(Cut{1, 1, 0, 0, 500, 200}, Cut{2, 1, 0, 200, 500, 200}, Cut{3, 1, 500, 0, 500, 200}));
    job.Postavke.ZadnjaPoSirini = true;
    SheetLayout r = RunCuttingOptimisation(ThreeBands(), job);
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 500, 200}, Cut{2, 1, 0, 200, 500, 200},
                                     Cut{3, 1, 0, 400, 500, 200}));
    EXPECT_EQ(r.SirinaPloce, 1000);
    EXPECT_EQ(r.VisinaPloce, 600);
    EXPECT_EQ(r.BrojPloca, 1);
}

TEST(ZadnjaPoSirini, SwapsPlacesOfASquareGrid) {
    SheetJob job = PlainJob(1000, 1000, 5);
    job.Postavke.ZadnjaPoSirini = true;
    SheetLayout r = RunCuttingOptimisation(
        {Pane(1, 490, 490), Pane(2, 490, 490), Pane(3, 490, 490), Pane(4, 490, 490)}, job);
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 490, 490}, Cut{2, 1, 495, 0, 490, 490},
                                     Cut{3, 1, 0, 495, 490, 490}, Cut{4, 1, 495, 495, 490, 490}));
}

TEST(ZadnjaPoSirini, ARedoNeedingASecondSheetIsDropped) {
    SheetJob job = PlainJob(1000, 600);
    job.Postavke.ZadnjaPoSirini = true;
    SheetLayout r = RunCuttingOptimisation({Pane(1, 600, 300), Pane(2, 400, 500)}, job);
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 600, 300}, Cut{2, 1, 600, 0, 400, 500}));
    EXPECT_EQ(r.BrojPloca, 1);
}

TEST(ZadnjaPoSirini, ARedoWhosePaneCannotStartAStripAcrossIsNotTried) {
    SheetJob job = PlainJob(1000, 600);
    job.Postavke.ZadnjaPoSirini = true;
    SheetLayout r = RunCuttingOptimisation({Pane(1, 1000, 100)}, job);
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 1000, 100}));
    EXPECT_TRUE(r.Izostavljeni.empty());
}

TEST(SvePoSirini, TheWholeJobIsLaidAcrossAndComesBackInTheSheetsOrientation) {
    SheetJob job = PlainJob(1000, 600);
    job.Postavke.SvePoSirini = true;
    job.Postavke.ZadnjaPoSirini = true; // has no effect with SvePoSirini
    SheetLayout r = RunCuttingOptimisation(ThreeBands(), job);
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 500, 200}, Cut{2, 1, 0, 200, 500, 200},
                                     Cut{3, 1, 0, 400, 500, 200}));
    EXPECT_EQ(r.SirinaPloce, 1000);
    EXPECT_EQ(r.VisinaPloce, 600);
}

TEST(SvePoSirini, EverySheetIsTurnedBack) {
    SheetJob job = PlainJob(1000, 600);
    job.Postavke.SvePoSirini = true;
    std::vector<TKomadStakla> panes = ThreeBands();
    panes.push_back(Pane(4, 500, 200));
    EXPECT_THAT(Cuts(RunCuttingOptimisation(panes, job)),
                ElementsAre(Cut{1, 1, 0, 0, 500, 200}, Cut{2, 1, 0, 200, 500, 200},
                            Cut{3, 1, 0, 400, 500, 200}, Cut{4, 2, 0, 0, 500, 200}));
    // Filling above the first band uses the sheet's full height (the fill test is not strict).
    job.Postavke.Popuni = true;
    EXPECT_THAT(Cuts(RunCuttingOptimisation(panes, job)),
                ElementsAre(Cut{1, 1, 0, 0, 500, 200}, Cut{2, 1, 0, 200, 500, 200},
                            Cut{3, 1, 0, 400, 500, 200}, Cut{4, 1, 500, 0, 500, 200}));
}

TEST(Popuni, ASheetWhoseFillingTakesTheLastPaneIsTheLastSheet) {
    SheetJob job = PlainJob(1000, 1000);
    job.Postavke.Popuni = true;
    SheetLayout r = RunCuttingOptimisation(
        {Pane(1, 600, 600), Pane(3, 400, 500), Pane(4, 400, 300), Pane(5, 300, 300), Pane(6, 350, 150)}, job);
    EXPECT_EQ(r.BrojPloca, 1);
    EXPECT_THAT(Cuts(r), ElementsAre(Cut{1, 1, 0, 0, 600, 600}, Cut{4, 1, 0, 600, 400, 300},
                                     Cut{3, 1, 600, 0, 400, 500}, Cut{5, 1, 600, 500, 300, 300},
                                     Cut{6, 1, 600, 800, 350, 150}));
}
