#include "kit/RequiredFields.h"

#include "app/data/Dialogs.h"
#include "base/ProgramState.h"
#include "fw/db/Field.h"
#include "kit/KeyFields.h"
#include "kit/LookupFields.h"
#include "kit/MyTable.h"

namespace kit {

namespace {

int checksAside = 0;
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Kit, [] { checksAside = 0; });

// A control of the table's record that must show a value, and its name for the user.
struct Requirement {
    fw::Control* Control = nullptr;
    fw::TField* Field = nullptr;
    std::string Name;
};

Requirement requirementOf(fw::Component* c, const fw::TDataSet& table) {
    if (auto* lookup = dynamic_cast<LookupControl*>(c);
        lookup && lookup->Required && lookup->DataSet() == &table)
        return {lookup, lookup->Field(), lookup->DisplayName};
    if (auto* name = dynamic_cast<TDBField*>(c); name && name->Required && name->DataSet() == &table)
        return {name, name->Field(), name->DisplayName};
    return {};
}

bool holdsValue(const fw::TField& field) {
    return !field.IsNull() && !field.AsString().empty();
}

// The record is the user's: posted by the user in this visit, or being changed now.
bool usersRecord(TMyTable& table) {
    // An edit not changed yet leaves the record as it was: the user's still when the user posted it.
    if ((table.State() == fw::dsInsert || table.State() == fw::dsEdit) && table.Modified()) return true;
    if (table.State() == fw::dsInsert || table.PostedByUser.empty() || table.IsEmpty()) return false;
    try {
        return table.GetBookmark() == table.PostedByUser;
    } catch (const std::exception&) {
        return false; // off any row
    }
}

} // namespace

std::string RequiredText(const std::string& name) {
    return "Morate unijeti: " + name + " !!!";
}

namespace {
// The required control of the user's record that shows no value; none when the record may be left.
Requirement missingRequirement(TMyTable& table) {
    fw::Component* form = table.Owner();
    if (checksAside > 0 || !form || !table.Active() || !usersRecord(table)) return {};
    Requirement missing;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        Requirement r = requirementOf(form->Components(i), table);
        if (!r.Control || !r.Field || holdsValue(*r.Field)) continue;
        // Of two controls of one field (on two pages), the one the user can reach is focused.
        if (!missing.Control || (!missing.Control->CanFocus() && r.Control->CanFocus())) missing = r;
    }
    return missing;
}
} // namespace

bool RequiredValuesPresent(TMyTable& table) {
    const Requirement missing = missingRequirement(table);
    if (!missing.Control) return true;
    app::ShowInfo(RequiredText(missing.Name.empty() ? missing.Field->DisplayLabel() : missing.Name));
    if (missing.Control->CanFocus()) missing.Control->SetFocus();
    return false;
}

bool RequiredValueMissing(TMyTable& table) {
    return missingRequirement(table).Control != nullptr;
}

RequiredChecksAside::RequiredChecksAside() {
    ++checksAside;
}

RequiredChecksAside::~RequiredChecksAside() {
    --checksAside;
}

} // namespace kit
