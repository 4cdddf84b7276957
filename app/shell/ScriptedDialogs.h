#pragma once
#include "app/shell/DialogHandler.h"
#include "fw/ui/Guard.h"

#include <deque>
#include <string>
#include <vector>

namespace app {

enum class DialogKind { YesNo, Info, Nema, Staro, Novo, Brisi };

struct DialogCall {
    DialogKind Kind;
    std::string Caption; // the code dialogs' caption
    std::string Code;    // the code, or the old code of a change
    std::string NewCode;
    std::string Text; // the message box's text
};

// Answers the dialogs from a queue instead of showing them and records every call (failures the guard
// shows included). Installs itself for its lifetime and puts the previous handler back afterwards.
class ScriptedDialogs : public DialogHandler {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // The next question is answered so ("&Da" for true); with the queue empty, DefaultAnswer.
    void Answer(bool yes) { answers_.push_back(yes); }
    // Drops the answers no question took.
    void ClearAnswers() { answers_.clear(); }
    bool DefaultAnswer = false;
    std::vector<DialogCall> Calls;
    // The texts of the message box calls, in order.
    std::vector<std::string> Texts() const;
    // Every call in order, the code dialogs with their codes: "Novo B2", "Staro A1>B2", "Brisi A1",
    // "Nema C3", the message boxes as "Text <text>".
    std::vector<std::string> Asked() const;

    bool AskYesNo(const std::string& text) override;
    void ShowInfo(const std::string& text) override;
    bool ShowNema(const std::string& caption, const std::string& code) override;
    bool AskStaro(const std::string& caption, const std::string& oldCode,
                  const std::string& newCode) override;
    bool AskNovo(const std::string& caption, const std::string& code) override;
    bool AskBrisi(const std::string& caption, const std::string& code) override;

private:
    bool Next();
    std::deque<bool> answers_;
    fw::MessageHook previousMessageHook_;
    DialogHandler* previous_;
};

} // namespace app
