#include "kit/HeldRecord.h"

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "base/Exceptions.h"
#include "fw/db/DataSet.h"

namespace kit {

bool HeldRecord::Held(fw::TDataSet* dataSet) {
    dataSet_ = dataSet;
    visit_ = true;
    told_ = asked_ = false;
    held_ = app::RecordBusy(dataSet);
    return held_;
}

HeldRecord::Answer HeldRecord::Ask(fw::TDataSet* dataSet, std::string& refusal) {
    if (!app::DBMine.MultiUser || !dataSet || dataSet->State() != fw::dsBrowse || dataSet->IsEmpty())
        return Answer::Free;
    try {
        dataSet->Edit();
        dataSet->Cancel();
        return Answer::Free;
    } catch (const std::exception& e) {
        app::CancelEditSafe(dataSet);
        if (base::IsSilent(e)) return Answer::RefusedSilently;
        refusal = e.what();
        return app::IsLock(e) ? Answer::Held : Answer::Refused;
    }
}

void HeldRecord::Tell(const std::string& refusal) {
    if (told_) return;
    told_ = true;
    if (!refusal.empty()) {
        app::TellRefusal(refusal);
        return;
    }
    // The lock's own text, as the engine words it; a record let go meanwhile says nothing (the next entry
    // makes the control editable again).
    if (const std::string text = app::EditRefusal(dataSet_); !text.empty()) app::ShowInfo(text);
}

} // namespace kit
