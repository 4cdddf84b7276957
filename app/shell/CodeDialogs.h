#pragma once
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Form.h"
#include "fw/ui/StdCtrls.h"

#include <string>

namespace app {

// The common shape of the four small dialogs of the code controls: the caller's caption as the window
// caption, a header panel, a question, the code labels and the buttons. Each beeps when shown and puts
// the focus on OKBtn.
class CodeDialog : public fw::Form {
public:
    fw::Panel* HeaderPanel;
    fw::Label* Question;
    fw::Button* OKBtn;
    fw::Button* CancelBtn = nullptr; // none on TNema_Dlg

    void FormShow(fw::Component& sender);

protected:
    CodeDialog(fw::Component* owner, const std::string& header, const std::string& question, unsigned beep);
    fw::Label* AddCodeLabel(const std::string& name);
    void AddButtons(const std::string& okCaption, bool withCancel);
    // Sets the caption, lays the dialog out for its texts and shows it modally; True for result 1.
    bool Run(const std::string& caption);

private:
    unsigned beep_;
    std::vector<fw::Label*> codes_;
};

class TNema_Dlg : public CodeDialog {
public:
    explicit TNema_Dlg(fw::Component* owner);
    fw::Label* Sifra;
    bool Execute(const std::string& caption, const std::string& code);
};

class TStaro_Dlg : public CodeDialog {
public:
    explicit TStaro_Dlg(fw::Component* owner);
    fw::Label* StaraSifra;
    fw::Label* NovaSifra;
    bool Execute(const std::string& caption, const std::string& oldCode, const std::string& newCode);
};

class TNovo_Dlg : public CodeDialog {
public:
    explicit TNovo_Dlg(fw::Component* owner);
    fw::Label* Sifra;
    bool Execute(const std::string& caption, const std::string& code);
};

class TBrisi_Dlg : public CodeDialog {
public:
    explicit TBrisi_Dlg(fw::Component* owner);
    fw::Label* Sifra;
    bool Execute(const std::string& caption, const std::string& code);
};

// The kept dialogs, created on first use (owner: the application).
struct CodeDialogsState {
    TNema_Dlg* Nema_Dlg = nullptr;
    TStaro_Dlg* Staro_Dlg = nullptr;
    TNovo_Dlg* Novo_Dlg = nullptr;
    TBrisi_Dlg* Brisi_Dlg = nullptr;
};
// Reset with the program's state: the next use makes new dialogs (the old ones stay with their owner).
extern CodeDialogsState CodeDialogs;

// Through the current dialog handler. ShowNema always answers True; the others True for "&Da".
bool ShowNema(const std::string& caption, const std::string& code);
bool AskStaro(const std::string& caption, const std::string& oldCode, const std::string& newCode);
bool AskNovo(const std::string& caption, const std::string& code);
bool AskBrisi(const std::string& caption, const std::string& code);

// The real dialogs, whatever the dialog handler is.
bool ShowNemaDialog(const std::string& caption, const std::string& code);
bool AskStaroDialog(const std::string& caption, const std::string& oldCode, const std::string& newCode);
bool AskNovoDialog(const std::string& caption, const std::string& code);
bool AskBrisiDialog(const std::string& caption, const std::string& code);

} // namespace app
