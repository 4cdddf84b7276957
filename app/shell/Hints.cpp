#include "app/shell/Hints.h"

#include "base/ProgramState.h"
#include "fw/db/Table.h"

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

void ToggleFieldHint(fw::Control* control, const fw::TDataSet* dataSet, const std::string& fieldName,
                     bool shifted) {
    if (Hints.HintBoxVisible || Hints.HintFollowFocus) {
        CloseHint();
        Hints.HintFollowFocus = false;
        return;
    }
    const auto* table = dynamic_cast<const fw::TTable*>(dataSet);
    if (ShowFieldHint(control, table ? table->DatabaseName() : std::string(),
                      table ? table->TableName() : std::string(), fieldName)) {
        if (shifted)
            Hints.HintFollowFocus = true;
        else
            Hints.HintBoxVisible = true;
    }
}

void CloseHint() {
    if (!boxExists) return;
    Hints.HintBoxVisible = false;
}

void HideHintBox() {}

void ShowHintBox() {}

} // namespace app
