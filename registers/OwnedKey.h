#pragma once
// The key edit of codes that belong to the current row of another table (a group to its supplier, a
// quantity to its packing mode): without such a row a typed code has nowhere to go, and the user is told so
// instead of the code being stored without its owner. A key on a number field refuses a text that is no
// number, as the accounts refuse one.

#include "kit/KeyFields.h"

#include <string>

namespace registers {

class TOwnedKey : public kit::TDBKeyField {
public:
    using kit::TDBKeyField::TDBKeyField;
    // The owners' table and what the user is told when it has no row.
    fw::TTable* Owner = nullptr;
    std::string NoOwnerText;

protected:
    Outcome Settle(fw::TTable& table, bool wasEditing, const std::function<void()>& enableControls) override;
};

// The text of a number key that is no number.
std::string NotANumberText(const std::string& displayName);

} // namespace registers
