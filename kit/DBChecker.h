#pragma once
// TDBChecker: a check box bound to a field, checked, unchecked or grayed by the field's value and coloured
// by its state (navy, maroon, red) so the value reads at a glance. A Boolean field stores the state; any
// other field stores a word: the first of ValueChecked or of ValueUnchecked (";"-separated lists of the
// words that mean each state, matched without regard to case). Grayed stores nothing (null).

#include "fw/ui/DBCtrls.h"

namespace kit {

class TDBChecker : public fw::DBCheckBox {
public:
    explicit TDBChecker(fw::Control* parent, fw::Component* owner = nullptr);

    const std::string& ValueChecked() const { return valueChecked_; }
    void SetValueChecked(const std::string& words);
    const std::string& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const std::string& words);
    // After the state was set from the field (when it changed) or by the user.
    fw::NotifyEvent OnChange;

    // One of the ";"-separated words of the list equals the value (case-insensitive); false for an empty
    // list.
    static bool ValueMatch(const std::string& list, const std::string& value);
    static fw::TColor StateColor(fw::CheckBoxState state);

protected:
    void Toggle() override;
    void DataChange() override;
    void UpdateData() override;

private:
    void ShowColor() { SetFontColor(StateColor(State())); }
    std::string valueChecked_ = "True";
    std::string valueUnchecked_ = "False";
};

} // namespace kit
