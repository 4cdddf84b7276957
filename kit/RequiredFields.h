#pragma once
// The values a record must hold before the user leaves it: a lookup or name field of the form marked
// Required that shows no value for the record. The check runs when the user's record is left (a move to
// another record, closing the form, the save button), never on the posts that build the record field by
// field, and never inside a code control's own search (a new code is created with its key alone).

#include <string>

namespace fw {
class TDataSet;
class Control;
} // namespace fw

namespace kit {

class TMyTable;

// The refusal's text: "Morate unijeti: <name> !!!".
std::string RequiredText(const std::string& name);

// True when the table's current record may be left. A record the user posted or is editing in this visit
// that lacks a required value is refused: the text is shown once and the control that takes the value gets
// the focus.
bool RequiredValuesPresent(TMyTable& table);
// The same question asked without a word: true when the record would be refused.
bool RequiredValueMissing(TMyTable& table);

// While one lives, the checks stand aside: a code control searching, creating or deleting moves the
// table itself.
class RequiredChecksAside {
public:
    RequiredChecksAside();
    ~RequiredChecksAside();
    RequiredChecksAside(const RequiredChecksAside&) = delete;
    RequiredChecksAside& operator=(const RequiredChecksAside&) = delete;
};

} // namespace kit
