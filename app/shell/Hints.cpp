#include "app/shell/Hints.h"

namespace app {

bool HintSwitch = false;
bool HintBoxVisible = false;
bool HintFollowFocus = false;

namespace {

// The hint tables are never opened in this program, so a lookup finds nothing whatever the switch says.
bool LookUpHint(const std::string&, const std::string&, const std::string&) {
    return false;
}

bool boxExists = false;

} // namespace

bool HintBoxExists() {
    return boxExists;
}

bool ShowFieldHint(fw::Control*, const std::string& databaseName, const std::string& tableName,
                   const std::string& fieldName) {
    if (HintSwitch && LookUpHint(databaseName, tableName, fieldName)) return true;
    CloseHint();
    return false;
}

void CloseHint() {
    if (!boxExists) return;
    HintBoxVisible = false;
}

void HideHintBox() {}

void ShowHintBox() {}

} // namespace app
