#include "app/shell/DialogHandler.h"

#include "app/shell/CodeDialogs.h"
#include "app/shell/MyDialog.h"
#include "base/ProgramState.h"
#include "fw/ui/Guard.h"

namespace app {

namespace {

class Real : public DialogHandler {
public:
    bool AskYesNo(const std::string& text) override { return AskYesNoBox(text); }
    void ShowInfo(const std::string& text) override { ShowInfoBox(text); }
    bool ShowNema(const std::string& caption, const std::string& code) override {
        return ShowNemaDialog(caption, code);
    }
    bool AskStaro(const std::string& caption, const std::string& oldCode,
                  const std::string& newCode) override {
        return AskStaroDialog(caption, oldCode, newCode);
    }
    bool AskNovo(const std::string& caption, const std::string& code) override {
        return AskNovoDialog(caption, code);
    }
    bool AskBrisi(const std::string& caption, const std::string& code) override {
        return AskBrisiDialog(caption, code);
    }
};

Real real;
DialogHandler* current = &real;
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { current = &real; });

} // namespace

DialogHandler& RealDialogs() {
    return real;
}

DialogHandler& CurrentDialogs() {
    return *current;
}

DialogHandler* SetDialogHandler(DialogHandler* handler) {
    InstallMessageHook();
    DialogHandler* old = current;
    current = handler ? handler : &real;
    return old == &real ? nullptr : old;
}

void InstallMessageHook() {
    fw::SetMessageHook([](const std::string& text) { ShowInfo(text); });
}

} // namespace app
