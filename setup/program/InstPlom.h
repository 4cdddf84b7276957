#pragma once
// The setup's main window: a gradient backdrop with the product's name at the top left and the maker's
// name in the bottom-right corner, behind the installation's pages.

#include "controls/cmp_Rotate3DLabel.h"
#include "controls/cmp_TBackDrop.h"
#include "fw/ui/Form.h"

namespace setup::plom {

class TForm1 : public fw::Form {
public:
    explicit TForm1(fw::Component* owner);
    controls::TBackdrop* BackDrop1 = nullptr;
    controls::TRotate3DLabel* ProductLabel1 = nullptr;
    controls::TRotate3DLabel* lTovan = nullptr;
    // Keeps the maker's name one label height from the right and the bottom edges.
    void PlaceCompanyLabel();

protected:
    void ShowHook() override;
    void ResizeHook() override;
};

} // namespace setup::plom
