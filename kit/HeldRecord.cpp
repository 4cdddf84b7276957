#include "kit/HeldRecord.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "base/Exceptions.h"
#include "fw/db/DataSet.h"

namespace kit {

bool HeldRecord::Held(fw::TDataSet* dataSet) {
    dataSet_ = dataSet;
    told_ = false;
    held_ = app::RecordBusy(dataSet);
    return held_;
}

void HeldRecord::KeyRefused(std::uint8_t key) {
    const bool changesText = key == 8 || key == 22 || key == 24 || key >= 32;
    if (!held_ || told_ || !changesText || !dataSet_ || dataSet_->State() != fw::dsBrowse) return;
    told_ = true;
    // The lock's own text, as the engine words it; a record let go meanwhile says nothing (the next
    // entry makes the control editable again).
    try {
        dataSet_->Edit();
        dataSet_->Cancel();
    } catch (const std::exception& e) {
        app::CancelEditSafe(dataSet_);
        if (!base::IsSilent(e)) app::ShowInfo(e.what());
    }
}

} // namespace kit
