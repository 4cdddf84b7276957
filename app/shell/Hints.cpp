#include "app/shell/Hints.h"

#include "base/ProgramState.h"

namespace app {

HintsState Hints;

namespace {

// The hint tables are never opened in this program, so a lookup finds nothing whatever the switch says.
bool LookUpHint(const std::string&, const std::string&, const std::string&) {
    return false;
}

bool boxExists = false;

[[maybe_unused]] const bool stateResetRegistered = base::RegisterStateReset(base::StateLayer::App, [] {
    Hints = HintsState();
    boxExists = false;
});

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
    Hints.HintBoxVisible = false;
}

void HideHintBox() {}

void ShowHintBox() {}

} // namespace app
