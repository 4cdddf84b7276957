#include "kit/DBChecker.h"

#include "app/data/DBMine.h"
#include "base/Text.h"
#include "fw/db/Field.h"

#include <algorithm>

namespace kit {

namespace {

std::string firstWord(const std::string& list) {
    return list.substr(0, list.find(';'));
}

} // namespace

TDBChecker::TDBChecker(fw::Control* parent, fw::Component* owner) : fw::DBCheckBox(parent, owner) {
    ShowState(fw::CheckBoxState::cbGrayed);
    SetFontColor(fw::clRed);
}

fw::TColor TDBChecker::StateColor(fw::CheckBoxState state) {
    switch (state) {
    case fw::CheckBoxState::cbChecked:
        return fw::clNavy;
    case fw::CheckBoxState::cbUnchecked:
        return fw::clMaroon;
    default:
        return fw::clRed;
    }
}

bool TDBChecker::ValueMatch(const std::string& list, const std::string& value) {
    std::size_t start = 0;
    while (!list.empty() && start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        if (base::SameText(std::string_view(list).substr(start, end - start), value)) return true;
        start = end + 1;
    }
    return false;
}

void TDBChecker::SetValueChecked(const std::string& words) {
    valueChecked_ = words;
    DataChange();
}

void TDBChecker::SetValueUnchecked(const std::string& words) {
    valueUnchecked_ = words;
    DataChange();
}

void TDBChecker::Toggle() {
    // The value opposite to the one shown, whatever the edit's re-read brought.
    const fw::CheckBoxState wanted = NextState();
    if (!DataLink().Edit()) return;
    ShowState(wanted);
    DataLink().SetModified();
    ShowColor();
    if (OnChange && !InDestruction()) OnChange(*this);
}

void TDBChecker::DataChange() {
    using fw::CheckBoxState;
    const fw::TField* f = Field();
    const fw::TDataSet* ds = DataSet();
    const auto* table = dynamic_cast<const app::TMyTableX*>(ds);
    CheckBoxState state = CheckBoxState::cbGrayed;
    // While the form's tables are still opening the value is not known yet.
    if (!f || !ds || !ds->Active() || (table && table->NoLimit)) {
        state = CheckBoxState::cbGrayed;
    } else if (f->IsNull()) {
        state = CheckBoxState::cbUnchecked;
    } else if (f->DataType() == fw::ftBoolean) {
        state = f->AsBoolean() ? CheckBoxState::cbChecked : CheckBoxState::cbUnchecked;
    } else if (ValueMatch(valueChecked_, f->Text())) {
        state = CheckBoxState::cbChecked;
    } else if (ValueMatch(valueUnchecked_, f->Text())) {
        state = CheckBoxState::cbUnchecked;
    }
    if (state == State()) return;
    ShowState(state);
    ShowColor();
    if (OnChange && !InDestruction()) OnChange(*this);
}

void TDBChecker::UpdateData() {
    fw::TField* f = Field();
    if (!f) return;
    if (State() == fw::CheckBoxState::cbGrayed) {
        f->Clear();
        return;
    }
    const bool checked = State() == fw::CheckBoxState::cbChecked;
    if (f->DataType() == fw::ftBoolean) {
        f->SetAsBoolean(checked);
    } else {
        const std::string word = firstWord(checked ? valueChecked_ : valueUnchecked_);
        // An empty list would store nothing, which reads back as unchecked: keep the value instead.
        if (word.empty()) return;
        f->SetText(word);
    }
    ShowColor();
    if (OnChange && !InDestruction()) OnChange(*this);
}

} // namespace kit
