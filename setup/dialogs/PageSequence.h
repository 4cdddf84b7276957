#pragma once
// The order and stepping of a wizard's pages and the placement of its window, with no screen.

#include <cstdint>
#include <functional>
#include <vector>

namespace setup {

enum TManagerType : std::uint8_t {
    dmBeforeInstall = 0,
    dmAfterGoodInstall,
    dmAfterBadInstall,
    dmDuringCopyFiles,
    dmChangeDisk,
    dmReboot,
};

// Nine cells of a 3 x 3 screen grid, row by row: the vertical centre, the bottom, the top.
enum TDorvaneDialogPosition : std::uint8_t {
    ddpCenterLeft = 0,
    ddpCenter,
    ddpCenterRight,
    ddpBottomLeft,
    ddpBottomCenter,
    ddpBottomRight,
    ddpTopLeft,
    ddpTopCenter,
    ddpTopRight,
};

struct ScreenPlace {
    int Left = 0, Top = 0;
    bool operator==(const ScreenPlace&) const = default;
};

// Where a window of that size goes on the screen: offsets count from the screen's edge, or shift the window
// from the centre; a window at the bottom keeps one caption height clear above the screen's edge.
ScreenPlace PlaceOnScreen(TDorvaneDialogPosition position, int screenWidth, int screenHeight, int width,
                          int height, int leftOffset, int topOffset, int captionHeight);

// A page as the sequence sees it.
class SequencePage {
public:
    virtual ~SequencePage() = default;
    virtual int PageOrder() const = 0;
    // A page may pass itself over (the step passes on in the direction it was going).
    virtual bool SkipPage() const { return false; }
};

// The pages of one wizard: sorted by their order, stepped with Back and Next past skipped pages.
class PageSequence {
public:
    enum Direction { Forwards = 0, Backwards = 1 };

    void Append(SequencePage* page) { pages_.push_back(page); }
    // Ascending order: each later page with a lower order swaps with the one in front.
    void SortByOrder();
    int Count() const { return static_cast<int>(pages_.size()); }
    SequencePage* Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    // The page shown; -1 before any is.
    int Current() const { return current_; }

    // Shows page index or, when it is skipped, the next one that is not in that direction; false when the
    // steps leave the list.
    bool ShowPage(int index, Direction direction);
    // The first page that is not skipped.
    void Start();
    void Back();
    // Steps to the next page; true when there is none (the wizard is finished).
    bool Next();
    // Every page before the current one is skipped.
    bool IsFirstPage() const;
    bool IsLastPage() const;

    // Runs when a page becomes the current one.
    std::function<void(int index)> OnShowPage;

private:
    std::vector<SequencePage*> pages_;
    int current_ = -1;
};

} // namespace setup
