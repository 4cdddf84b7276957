#include "kit/PercentEdits.h"

#include "app/data/DataSetServices.h"
#include "fw/db/DataSet.h"

namespace kit {

void TPercentEdit::Compute() {
    if (!Field_Res || !Field_Base) return;
    const double own = DataSet()->FieldByName(DataField()).AsFloat();
    Field_Res->SetAsFloat(routine_(Field_Base->AsFloat(), own));
}

void TPercentEdit::LeaveByKey() {
    if (!TextEdited || !LeftByKey) return;
    fw::TDataSet* ds = DataSet();
    Kit.ValueUnchanged = EntryText == Text();
    if (Kit.ValueUnchanged && app::StartEdit(ds)) {
        if (!OnExitChanged) return;
        Kit.OldText = EntryText;
        ExitChangedUnchanged();
    } else if (app::StartEdit(ds)) {
        ds->FieldByName(DataField()).SetText(Text());
        Compute();
        if (!OnExitChanged) return;
        Kit.OldText = EntryText;
        ExitChangedChanged([this] { Compute(); });
    }
}

} // namespace kit
