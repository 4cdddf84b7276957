#pragma once
// The lookup a picker writes its chosen code into: the caller's active control when it is one of the kit's
// lookup combos (a kit code control bound to a field, showing a drop-down list). Key edits are no targets.

#include "fw/db/DataSet.h"
#include "fw/ui/Control.h"

#include <string>

class QComboBox;

namespace registers {

class PickTarget {
public:
    PickTarget() = default;
    explicit operator bool() const { return combo_ != nullptr; }
    std::string Text() const;
    void SetText(const std::string& text);
    void SelectAll();
    // The dataset of the field the lookup edits.
    fw::TDataSet* DataSet() const { return dataSet_; }

private:
    friend PickTarget PickTargetOf(fw::Control* control);
    QComboBox* combo_ = nullptr;
    fw::TDataSet* dataSet_ = nullptr;
};

PickTarget PickTargetOf(fw::Control* control);

} // namespace registers
