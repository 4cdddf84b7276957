#include "registers/PickTarget.h"

#include "fw/ui/DBLookupCombo.h"
#include "kit/Mycombo.h"

namespace registers {

std::string PickTarget::Text() const {
    return combo_->Text();
}

void PickTarget::SetText(const std::string& text) {
    combo_->SetText(text);
    // The picked code is the field's value at once, settled as Enter settles a typed one.
    if (auto* code = dynamic_cast<kit::KitControl*>(combo_)) code->TakePending();
}

void PickTarget::SelectAll() {
    combo_->SelectAll();
}

fw::TDataSet* PickTarget::DataSet() const {
    return combo_->DataSet();
}

PickTarget PickTargetOf(fw::Control* control) {
    PickTarget target;
    target.combo_ = dynamic_cast<fw::DBLookupCombo*>(control);
    return target;
}

} // namespace registers
