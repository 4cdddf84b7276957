#include "kit/RecordMade.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "fw/ui/Form.h"
#include "fw/ui/Guard.h"
#include "kit/KeyFields.h"

namespace kit {

bool OwnersStored(const fw::TDataSet* dataSet) {
    const auto* table = dynamic_cast<const fw::TTable*>(dataSet);
    for (int depth = 0; table && depth < 8; ++depth) {
        const fw::TDataSource* source = table->MasterSource();
        fw::TDataSet* master = source ? source->DataSet() : nullptr;
        if (!master || !master->Active()) return true;
        if (master->State() == fw::dsInsert || !app::HasRecords(master)) return false;
        table = dynamic_cast<const fw::TTable*>(master);
    }
    return true;
}

bool RecordMade(const fw::Control& edit, const fw::TDataSet* dataSet) {
    if (!OwnersStored(dataSet)) return false;
    // A record shown is made, unless it is a new one; an empty set shows none.
    if (!dataSet || !dataSet->Active()) return true;
    if (dataSet->State() != fw::dsInsert && !dataSet->IsEmpty()) return true;
    const fw::Form* form = edit.ParentForm();
    if (!form) return true;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        const auto* key = dynamic_cast<const TDBKeyField*>(form->Components(i));
        if (!key || key == &edit || key->DataSet() != dataSet || !key->Field()) continue;
        if (dataSet->State() != fw::dsInsert || key->Field()->IsNull()) return false;
    }
    return true;
}

bool TakesTextKey(const fw::Control& edit, const fw::TDataSet* dataSet, std::uint8_t& key, bool& told) {
    const bool changesText = key >= 32 || key == 8 || key == 22 || key == 24;
    if (!changesText || RecordMade(edit, dataSet)) return true;
    key = 0;
    if (told) {
        fw::MessageBeep(0);
    } else {
        told = true;
        app::ShowInfo(NoRecordYetText);
    }
    return false;
}

} // namespace kit
