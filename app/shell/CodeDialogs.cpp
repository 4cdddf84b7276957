#include "app/shell/CodeDialogs.h"

#include "app/shell/DialogHandler.h"
#include "base/ProgramState.h"
#include "fw/ui/Application.h"
#include "fw/ui/Guard.h"

#include <algorithm>
#include <memory>

namespace app {

CodeDialogsState CodeDialogs;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { CodeDialogs = CodeDialogsState(); });
} // namespace

namespace {

constexpr int Margin = 12;
constexpr int MinWidth = 300;
constexpr int HeaderHeight = 30;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 27;

} // namespace

CodeDialog::CodeDialog(fw::Component* owner, const std::string& header, const std::string& question,
                       unsigned beep)
    : Form(owner), beep_(beep) {
    SetBorderStyle(fw::BorderStyle::bsDialog);
    HeaderPanel = new fw::Panel(this);
    HeaderPanel->SetName("HeaderPanel");
    HeaderPanel->SetBevelOuter(fw::BevelCut::bvLowered);
    HeaderPanel->SetCaption(header);
    HeaderPanel->SetFont("Arial", 10, true);
    HeaderPanel->SetFontColor(fw::clNavy);
    Question = new fw::Label(this);
    Question->SetName("Question");
    Question->SetFont("Arial", 9);
    Question->SetCaption(question);
    OnShow = [this](fw::Component& s) { FormShow(s); };
}

fw::Label* CodeDialog::AddCodeLabel(const std::string& name) {
    auto* label = new fw::Label(this);
    label->SetName(name);
    label->SetFont("Arial", 11, true);
    label->SetAlignment(fw::Alignment::taCenter);
    codes_.push_back(label);
    return label;
}

void CodeDialog::AddButtons(const std::string& okCaption, bool withCancel) {
    OKBtn = new fw::Button(this);
    OKBtn->SetName("OKBtn");
    OKBtn->SetCaption(okCaption);
    OKBtn->Default = true;
    OKBtn->ModalResult = 1;
    if (!withCancel) {
        OKBtn->Cancel = true;
        return;
    }
    CancelBtn = new fw::Button(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetCaption("&Ne");
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = fw::mrCancel;
}

void CodeDialog::FormShow(fw::Component&) {
    fw::MessageBeep(beep_);
    OKBtn->SetFocus();
}

bool CodeDialog::Run(const std::string& caption) {
    SetCaption(caption);
    // Codes side by side in one row (old and new code for a change), centred under the question.
    int codesWidth = 0;
    int codesHeight = 0;
    for (fw::Label* l : codes_) {
        l->SetAutoSize(true);
        l->SetCaption(l->Caption());
        codesWidth += l->Width() + (codesWidth ? 2 * Margin : 0);
        codesHeight = std::max(codesHeight, l->Height());
    }
    const int w = std::max(
        {MinWidth, Question->Width() + 2 * Margin, codesWidth + 2 * Margin,
         HeaderPanel->fontMetrics().horizontalAdvance(QString::fromStdString(HeaderPanel->Caption())) +
             4 * Margin});
    HeaderPanel->SetBounds(Margin, Margin, w - 2 * Margin, HeaderHeight);
    int y = Margin + HeaderHeight + Margin;
    Question->SetBounds((w - Question->Width()) / 2, y, Question->Width(), Question->Height());
    y += Question->Height() + Margin;
    int x = (w - codesWidth) / 2;
    for (fw::Label* l : codes_) {
        l->SetBounds(x, y, l->Width(), codesHeight);
        x += l->Width() + 2 * Margin;
    }
    y += codesHeight + Margin;
    if (CancelBtn) {
        OKBtn->SetBounds(w / 2 - Margin / 2 - ButtonWidth, y, ButtonWidth, ButtonHeight);
        CancelBtn->SetBounds(w / 2 + Margin / 2, y, ButtonWidth, ButtonHeight);
    } else {
        OKBtn->SetBounds((w - ButtonWidth) / 2, y, ButtonWidth, ButtonHeight);
    }
    setFixedSize(w, y + ButtonHeight + Margin);
    CentreOnScreen();
    return ShowModal() == 1;
}

TNema_Dlg::TNema_Dlg(fw::Component* owner)
    : CodeDialog(owner, "Šifra ne postoji !", "Želite li kreirati tu šifru, to morate obaviti iz šifarnika.",
                 32) {
    SetName("Nema_Dlg");
    Sifra = AddCodeLabel("Sifra");
    AddButtons("&U redu", false);
}

bool TNema_Dlg::Execute(const std::string& caption, const std::string& code) {
    Sifra->SetCaption(code);
    Run(caption);
    return true;
}

TStaro_Dlg::TStaro_Dlg(fw::Component* owner)
    : CodeDialog(owner, "Promjena stare šifre u novu :", "Želite li promjeniti šifru ?", 16) {
    SetName("Staro_Dlg");
    StaraSifra = AddCodeLabel("StaraSifra");
    AddCodeLabel("Strelica")->SetCaption("→");
    NovaSifra = AddCodeLabel("NovaSifra");
    AddButtons("&Da", true);
}

bool TStaro_Dlg::Execute(const std::string& caption, const std::string& oldCode, const std::string& newCode) {
    StaraSifra->SetCaption(oldCode);
    NovaSifra->SetCaption(newCode);
    return Run(caption);
}

TNovo_Dlg::TNovo_Dlg(fw::Component* owner)
    : CodeDialog(owner, "Kreiranje nove šifre:", "Želite li kreirati tu šifru ?", 32) {
    SetName("Novo_Dlg");
    Sifra = AddCodeLabel("Sifra");
    AddButtons("&Da", true);
}

bool TNovo_Dlg::Execute(const std::string& caption, const std::string& code) {
    Sifra->SetCaption(code);
    return Run(caption);
}

TBrisi_Dlg::TBrisi_Dlg(fw::Component* owner)
    : CodeDialog(owner, "Brisanje postojeće šifre :", "Želite li obrisati sve te podatke ?", 48) {
    SetName("Brisi_Dlg");
    Sifra = AddCodeLabel("Sifra");
    AddButtons("&Da", true);
}

bool TBrisi_Dlg::Execute(const std::string& caption, const std::string& code) {
    Sifra->SetCaption(code);
    return Run(caption);
}

namespace {

// The kept dialog; a call made while it is showing gets a dialog of its own.
template <class T, class F> bool WithDialog(T*& kept, F&& f) {
    if (!kept) kept = fw::CreateForm<T>(&fw::Application::Instance());
    if (!kept->isVisible()) return f(*kept);
    std::unique_ptr<T> extra(fw::CreateForm<T>(nullptr));
    return f(*extra);
}

} // namespace

bool ShowNemaDialog(const std::string& caption, const std::string& code) {
    return WithDialog(CodeDialogs.Nema_Dlg, [&](TNema_Dlg& d) { return d.Execute(caption, code); });
}

bool AskStaroDialog(const std::string& caption, const std::string& oldCode, const std::string& newCode) {
    return WithDialog(CodeDialogs.Staro_Dlg,
                      [&](TStaro_Dlg& d) { return d.Execute(caption, oldCode, newCode); });
}

bool AskNovoDialog(const std::string& caption, const std::string& code) {
    return WithDialog(CodeDialogs.Novo_Dlg, [&](TNovo_Dlg& d) { return d.Execute(caption, code); });
}

bool AskBrisiDialog(const std::string& caption, const std::string& code) {
    return WithDialog(CodeDialogs.Brisi_Dlg, [&](TBrisi_Dlg& d) { return d.Execute(caption, code); });
}

bool ShowNema(const std::string& caption, const std::string& code) {
    CurrentDialogs().ShowNema(caption, code);
    return true;
}

bool AskStaro(const std::string& caption, const std::string& oldCode, const std::string& newCode) {
    return CurrentDialogs().AskStaro(caption, oldCode, newCode);
}

bool AskNovo(const std::string& caption, const std::string& code) {
    return CurrentDialogs().AskNovo(caption, code);
}

bool AskBrisi(const std::string& caption, const std::string& code) {
    return CurrentDialogs().AskBrisi(caption, code);
}

} // namespace app
