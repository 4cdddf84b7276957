#include "fw/db/FieldDataLink.h"

#include "base/Exceptions.h"

#include "fw/db/DataSet.h"

namespace fw {

void TFieldDataLink::SetFieldName(const std::string& name) {
    if (name == fieldName_) return;
    fieldName_ = name;
    UpdateField();
}

void TFieldDataLink::UpdateField() {
    TField* field = Active() && !fieldName_.empty() ? DataSet()->FindField(fieldName_) : nullptr;
    if (field == field_) return;
    field_ = field;
    modified_ = false;
    if (OnActiveChange) OnActiveChange();
    if (OnDataChange) OnDataChange();
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly && field_ && !field_->ReadOnly && !field_->Calculated() && DataSet()->CanModify();
}

bool TFieldDataLink::Edit() {
    if (!CanModify()) return Editing();
    try {
        TDataLink::Edit();
    } catch (const std::exception& e) {
        // A silent refusal was told by whoever refused; it starts no count.
        if (base::IsSilent(e)) throw;
        if (refusalTold_) return false;
        refusalTold_ = true;
        throw;
    }
    return Editing();
}

bool TFieldDataLink::EditForTyping(const std::function<void(const std::exception&)>& tell) {
    // Refused once in the visit: the keys after it are not asked for again (a refused edit re-reads the
    // record, which would show the field over what was typed); the update tries the files once more.
    if (refusalTold_ && !Editing()) return true;
    try {
        if (Edit()) return true;
    } catch (const std::exception& e) {
        if (base::IsSilent(e)) throw;
        tell(e);
    }
    return refusalTold_;
}

bool TFieldDataLink::TypingStorable() {
    if (!refusalTold_ || Editing()) return true;
    bool editing = false;
    try {
        // The files may take the write again by now.
        editing = Edit();
    } catch (const std::exception&) {
    }
    if (editing) return true;
    Reset();
    return false;
}

void TFieldDataLink::RaiseTypingRefusal() {
    if (!refusalTold_ || !modified_ || Editing()) return;
    TDataLink::Edit();
}

void TFieldDataLink::Reset() {
    RecordChanged(nullptr);
}

void TFieldDataLink::ActiveChanged() {
    const TField* before = field_;
    UpdateField();
    // Opening again with the same field object still shows the new data.
    if (field_ == before) {
        if (OnActiveChange) OnActiveChange();
        RecordChanged(nullptr);
    }
}

void TFieldDataLink::EditingChanged() {
    if (OnEditingChange) OnEditingChange();
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
    TDataLink::LayoutChanged();
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (field && field != field_) return;
    if (OnDataChange) OnDataChange();
    modified_ = false;
}

void TFieldDataLink::UpdateData() {
    if (!modified_) return;
    if (field_ && OnUpdateData) OnUpdateData();
    modified_ = false;
}

} // namespace fw
