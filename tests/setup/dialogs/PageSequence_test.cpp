#include "setup/dialogs/PageSequence.h"

#include <gtest/gtest.h>
#include <string>

using namespace setup;

namespace {

struct Page : SequencePage {
    Page(int order, bool skip = false) : order(order), skip(skip) {}
    int PageOrder() const override { return order; }
    bool SkipPage() const override { return skip; }
    int order;
    bool skip;
};

TEST(PlaceOnScreen, EveryCellOfTheGridWithOffsets) {
    // A 100 x 50 window on an 800 x 600 screen, offsets 10 and 20, captions 22 high.
    struct Case {
        TDorvaneDialogPosition position;
        ScreenPlace place;
    };
    const Case cases[] = {
        {ddpCenterLeft, {10, 295}}, {ddpCenter, {360, 295}},       {ddpCenterRight, {690, 295}},
        {ddpBottomLeft, {10, 508}}, {ddpBottomCenter, {360, 508}}, {ddpBottomRight, {690, 508}},
        {ddpTopLeft, {10, 20}},     {ddpTopCenter, {360, 20}},     {ddpTopRight, {690, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.position));
        EXPECT_EQ(PlaceOnScreen(c.position, 800, 600, 100, 50, 10, 20, 22), c.place);
    }
    // bottom right: the right edge 10 from the screen's, the bottom 20 plus a caption above the screen's
    const ScreenPlace p = PlaceOnScreen(ddpBottomRight, 1024, 768, 478, 395, 10, 20, 22);
    EXPECT_EQ(1024 - (p.Left + 478), 10);
    EXPECT_EQ(768 - (p.Top + 395), 20 + 22);
    // odd sizes round the centre half away from zero
    EXPECT_EQ(PlaceOnScreen(ddpCenter, 801, 601, 100, 50, 0, 0, 0), (ScreenPlace{351, 276}));
}

std::string Orders(const PageSequence& s) {
    std::string out;
    for (int i = 0; i < s.Count(); ++i)
        out += std::to_string(s.Page(i)->PageOrder()) + (i + 1 < s.Count() ? "," : "");
    return out;
}

TEST(PageSequence, SortsByOrderKeepingEqualOrdersAsRegistered) {
    Page a(30), b(10), c(30);
    PageSequence s;
    for (Page* p : {&a, &b, &c})
        s.Append(p);
    s.SortByOrder();
    EXPECT_EQ(s.Page(0), &b);
    EXPECT_EQ(s.Page(1), &a);
    EXPECT_EQ(s.Page(2), &c);
    Page d(50), e(5), f(20), g(5);
    PageSequence t;
    for (Page* p : {&d, &e, &f, &g})
        t.Append(p);
    t.SortByOrder();
    EXPECT_EQ(Orders(t), "5,5,20,50");
}

TEST(PageSequence, StepsPastSkippedPagesAndFinishesAfterTheLastShownOne) {
    Page p0(10, true), p1(20), p2(30, true), p3(40), p4(50, true);
    PageSequence s;
    for (Page* p : {&p0, &p1, &p2, &p3, &p4})
        s.Append(p);
    std::vector<int> shown;
    s.OnShowPage = [&](int i) { shown.push_back(i); };
    s.Start();
    EXPECT_EQ(s.Current(), 1);
    EXPECT_TRUE(s.IsFirstPage()); // the page before it is skipped
    EXPECT_FALSE(s.Next());
    EXPECT_EQ(s.Current(), 3);
    EXPECT_FALSE(s.IsFirstPage());
    EXPECT_FALSE(s.IsLastPage()); // a skipped page still follows
    s.Back();
    EXPECT_EQ(s.Current(), 1);
    s.Back(); // nothing shown before: it stays
    EXPECT_EQ(s.Current(), 1);
    EXPECT_FALSE(s.Next());
    EXPECT_TRUE(s.Next()); // no later page: the wizard is done, the page stays
    EXPECT_EQ(s.Current(), 3);
    EXPECT_EQ(shown, (std::vector<int>{1, 3, 1, 1, 3, 3}));
}

TEST(PageSequence, NothingShownWhenEveryPageIsSkippedAndNextFinishes) {
    Page a(1, true), b(2, true);
    PageSequence s;
    s.Append(&a);
    s.Append(&b);
    int shown = 0;
    s.OnShowPage = [&](int) { ++shown; };
    s.Start();
    EXPECT_EQ(s.Current(), -1);
    EXPECT_TRUE(s.Next());
    EXPECT_EQ(shown, 0);
    PageSequence empty;
    empty.Start();
    EXPECT_TRUE(empty.Next());
    EXPECT_FALSE(empty.ShowPage(0, PageSequence::Forwards));
}

} // namespace
