#include "setup/dialogs/PageSequence.h"

#include <cmath>
#include <utility>

namespace setup {

ScreenPlace PlaceOnScreen(TDorvaneDialogPosition position, int screenWidth, int screenHeight, int width,
                          int height, int leftOffset, int topOffset, int captionHeight) {
    const int cx = static_cast<int>(std::lround(screenWidth / 2.0 - width / 2.0));
    const int cy = static_cast<int>(std::lround(screenHeight / 2.0 - height / 2.0));
    ScreenPlace p;
    switch (position % 3) {
    case 0:
        p.Left = leftOffset;
        break;
    case 1:
        p.Left = cx + leftOffset;
        break;
    default:
        p.Left = screenWidth - width - leftOffset;
        break;
    }
    switch (position / 3) {
    case 0:
        p.Top = cy + topOffset;
        break;
    case 1:
        p.Top = screenHeight - captionHeight - height - topOffset;
        break;
    default:
        p.Top = topOffset;
        break;
    }
    return p;
}

void PageSequence::SortByOrder() {
    for (std::size_t i = 0; i < pages_.size(); ++i)
        for (std::size_t j = i + 1; j < pages_.size(); ++j)
            if (pages_[j]->PageOrder() < pages_[i]->PageOrder()) std::swap(pages_[i], pages_[j]);
}

bool PageSequence::ShowPage(int index, Direction direction) {
    while (index >= 0 && index < Count()) {
        if (!Page(index)->SkipPage()) {
            current_ = index;
            if (OnShowPage) OnShowPage(index);
            return true;
        }
        index += direction == Backwards ? -1 : 1;
    }
    return false;
}

void PageSequence::Start() {
    if (!ShowPage(0, Backwards)) ShowPage(0, Forwards);
}

void PageSequence::Back() {
    if (!ShowPage(current_ - 1, Backwards)) ShowPage(current_ - 1, Forwards);
}

bool PageSequence::Next() {
    const int before = current_;
    if (!ShowPage(current_ + 1, Forwards)) ShowPage(current_ + 1, Backwards);
    return current_ == before;
}

bool PageSequence::IsFirstPage() const {
    for (int i = 0; i < current_ && i < Count(); ++i)
        if (!Page(i)->SkipPage()) return false;
    return true;
}

bool PageSequence::IsLastPage() const {
    return current_ == Count() - 1;
}

} // namespace setup
