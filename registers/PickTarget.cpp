#include "registers/PickTarget.h"

#include "fw/ui/DBLookupCombo.h"

namespace registers {

std::string PickTarget::Text() const {
    return combo_->Text();
}

void PickTarget::SetText(const std::string& text) {
    combo_->SetText(text);
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
