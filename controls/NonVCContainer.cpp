#include "controls/NonVCContainer.h"

#include <cstdlib>

namespace controls {

TNonVCContainer::TNonVCContainer(fw::Control* parent, fw::Component* owner)
    : fw::ControlOf<QWidget>(parent, owner) {
    MarkGraphic();
    SetEnabled(false);
    SetVisible(false);
    resize(MinMaxBtnWidth + 2, TitleHeight);
}

void TNonVCContainer::SetNameFontHeight(int height) {
    // Height in pixels at 96 dots per inch, as the forms store it.
    NameFontSize = (std::abs(height) * 72 + 48) / 96;
}

void TNonVCContainer::Loaded() {
    fw::ControlOf<QWidget>::Loaded();
    if (ComponentState() & fw::csDesigning) return;
    // Nothing of this object is touched after the delete: the caller returns at once.
    delete this;
}

} // namespace controls
