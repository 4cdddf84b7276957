#pragma once
// The lookup a picker writes its chosen code into: the caller's active control when it is a lookup combo.
// Key edits and plain edits are no targets.

#include "fw/db/DataSet.h"
#include "fw/ui/Control.h"

#include <string>

namespace fw {
class DBLookupCombo;
}

namespace registers {

class PickTarget {
public:
    PickTarget() = default;
    explicit operator bool() const { return combo_ != nullptr; }
    std::string Text() const;
    // The code as if typed and confirmed: a kit lookup settles it into its field at once.
    void SetText(const std::string& text);
    void SelectAll();
    // The dataset of the field the lookup edits.
    fw::TDataSet* DataSet() const;

private:
    friend PickTarget PickTargetOf(fw::Control* control);
    fw::DBLookupCombo* combo_ = nullptr;
};

PickTarget PickTargetOf(fw::Control* control);

} // namespace registers
