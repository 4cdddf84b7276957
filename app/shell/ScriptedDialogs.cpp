#include "app/shell/ScriptedDialogs.h"

namespace app {

ScriptedDialogs::ScriptedDialogs()
    : previousMessageHook_(fw::SetMessageHook(nullptr)), previous_(SetDialogHandler(this)) {}

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogHandler(previous_);
    fw::SetMessageHook(std::move(previousMessageHook_));
}

std::vector<std::string> ScriptedDialogs::Texts() const {
    std::vector<std::string> texts;
    for (const DialogCall& c : Calls)
        if (c.Kind == DialogKind::YesNo || c.Kind == DialogKind::Info) texts.push_back(c.Text);
    return texts;
}

std::vector<std::string> ScriptedDialogs::Asked() const {
    std::vector<std::string> asked;
    for (const DialogCall& c : Calls) {
        switch (c.Kind) {
        case DialogKind::Novo:
            asked.push_back("Novo " + c.Code);
            break;
        case DialogKind::Staro:
            asked.push_back("Staro " + c.Code + ">" + c.NewCode);
            break;
        case DialogKind::Brisi:
            asked.push_back("Brisi " + c.Code);
            break;
        case DialogKind::Nema:
            asked.push_back("Nema " + c.Code);
            break;
        default:
            asked.push_back("Text " + c.Text);
        }
    }
    return asked;
}

bool ScriptedDialogs::Next() {
    if (answers_.empty()) return DefaultAnswer;
    const bool a = answers_.front();
    answers_.pop_front();
    return a;
}

bool ScriptedDialogs::AskYesNo(const std::string& text) {
    Calls.push_back({DialogKind::YesNo, "", "", "", text});
    return Next();
}

void ScriptedDialogs::ShowInfo(const std::string& text) {
    Calls.push_back({DialogKind::Info, "", "", "", text});
}

bool ScriptedDialogs::ShowNema(const std::string& caption, const std::string& code) {
    Calls.push_back({DialogKind::Nema, caption, code, "", ""});
    return true;
}

bool ScriptedDialogs::AskStaro(const std::string& caption, const std::string& oldCode,
                               const std::string& newCode) {
    Calls.push_back({DialogKind::Staro, caption, oldCode, newCode, ""});
    return Next();
}

bool ScriptedDialogs::AskNovo(const std::string& caption, const std::string& code) {
    Calls.push_back({DialogKind::Novo, caption, code, "", ""});
    return Next();
}

bool ScriptedDialogs::AskBrisi(const std::string& caption, const std::string& code) {
    Calls.push_back({DialogKind::Brisi, caption, code, "", ""});
    return Next();
}

} // namespace app
