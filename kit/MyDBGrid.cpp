#include "kit/MyDBGrid.h"
#include "kit/FocusCue.h"

#include "app/data/ChangedFields.h"
#include "app/data/CodeUses.h"
#include "app/shell/FocusNavigation.h"
#include "base/Cp1250.h"
#include "base/Text.h"
#include "fw/db/Table.h"
#include "fw/ui/Guard.h"
#include "kit/ControlsHeld.h"

#include <QApplication>
#include <QPalette>

namespace kit {

namespace {

// Texts compare as the indexes order them: code page 1250, upper case.
std::string sortKey(std::string_view utf8) {
    return base::Cp1250UpperBytes(base::Utf8ToCp1250(utf8));
}

std::string dropLastChar(const std::string& utf8) {
    return base::CutChars(utf8, base::CharCount(utf8) - 1);
}

constexpr const char* NameCandidates[] = {"Naziv", "Opis", "Prezime", "MB", "Datum"};

} // namespace

TMyDBGrid::TMyDBGrid(fw::Control* parent, fw::Component* owner) : fw::DBGrid(parent, owner) {
    SetOptions(fw::dgEditing | fw::dgTitles | fw::dgIndicator | fw::dgColLines | fw::dgRowLines |
               fw::dgRowSelect | fw::dgConfirmDelete);
    MarkFocus(false);
}

fw::TTable* TMyDBGrid::Table() const {
    return dynamic_cast<fw::TTable*>(DataSet());
}

fw::TField* TMyDBGrid::SearchColumn() const {
    fw::TTable* t = Table();
    return t && !SearchField.empty() ? t->FindField(SearchField) : nullptr;
}

void TMyDBGrid::SetTitle(const std::string& title) {
    if (fw::TField* f = SearchColumn()) {
        f->SetDisplayLabel(title);
        Model().TitlesChanged();
    }
}

void TMyDBGrid::ShowSearchTitle() {
    // The column keeps its label; what is typed follows it.
    SetTitle(SearchText.empty() ? SavedTitle : SavedTitle + ": " + SearchText);
}

void TMyDBGrid::MarkFocus(bool focused) {
    kit::MarkCurrentRow(*this, focused);
}

bool TMyDBGrid::ConfirmDelete() {
    // A code that other rows use is refused before the question.
    if (fw::TDataSet* ds = DataSet(); ds && app::TellUsesOfRow(*ds)) return false;
    return app::ConfirmGridDelete(true);
}

bool TMyDBGrid::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return key == fw::VK_RETURN || fw::DBGrid::WantsKey(key, shift);
}

bool TMyDBGrid::AnalyseIndex() {
    IndexAnalysed = false;
    fw::TTable* t = Table();
    if (!t) return false;
    SavedTitle.clear();
    IndexPrefix.clear();
    KeyFields.clear();
    // The whole list, however long.
    std::string work = base::UpperCase(t->IndexFieldNames());
    for (std::size_t semi; (semi = work.find(';')) != std::string::npos;) {
        KeyFields.push_back(work.substr(0, semi));
        IndexPrefix += work.substr(0, semi) + ";";
        work.erase(0, semi + 1);
    }
    if (!t->FindField(work)) work.clear();
    SearchField = KeyField = work;
    if (!work.empty()) SavedTitle = t->FieldByName(work).DisplayLabel();
    IndexAnalysed = !work.empty();
    return IndexAnalysed;
}

bool TMyDBGrid::IndexIsCurrent() const {
    fw::TTable* t = Table();
    return t && base::SameText(t->IndexFieldNames(), IndexPrefix + SearchField);
}

void TMyDBGrid::SetIndexTo(const std::string& field) {
    fw::TTable* t = Table();
    // The link as the form has it now (a form may change it while it runs).
    const std::string masterFields = t->MasterFields();
    t->SetMasterFields("");
    try {
        t->SetIndexFieldNames(IndexPrefix + field);
    } catch (...) {
        t->SetMasterFields(masterFields);
        throw;
    }
    t->SetMasterFields(masterFields);
}

void TMyDBGrid::DoEnter() {
    MarkFocus(true);
    fw::DBGrid::DoEnter();
    if (!IndexAnalysed) AnalyseIndex();
    if (!IndexAnalysed) return;
    SearchText.clear();
    ShowSearchTitle();
    if (!IndexIsCurrent()) SetIndexTo(SearchField);
}

void TMyDBGrid::BackToKeyIndex() {
    fw::TTable* t = Table();
    SearchField = KeyField;
    const fw::TBookmark here = t->GetBookmark();
    {
        ControlsHeld still(t);
        SetIndexTo(KeyField);
        if (!here.empty() && t->BookmarkValid(here)) t->GotoBookmark(here);
    }
    SavedTitle = t->FieldByName(KeyField).DisplayLabel();
}

void TMyDBGrid::DoExit() {
    if (IndexAnalysed && Table()) {
        fw::Guarded([&] {
            SetTitle(SavedTitle);
            if (!base::SameText(SearchField, KeyField))
                BackToKeyIndex();
            else if (!IndexIsCurrent())
                SetIndexTo(SearchField);
        });
        SearchText.clear();
    }
    MarkFocus(false);
    fw::DBGrid::DoExit();
}

void TMyDBGrid::SwitchSearchColumn() {
    fw::TTable* t = Table();
    if (!base::SameText(SearchField, KeyField)) {
        SetTitle(SavedTitle);
        BackToKeyIndex();
    } else {
        const char* candidate = nullptr;
        for (const char* name : NameCandidates) {
            const fw::TField* f = t->FindField(name);
            if (f && f->Visible && !f->Calculated()) {
                candidate = name;
                break;
            }
        }
        if (!candidate) return fw::MessageBeep(0);
        SetTitle(SavedTitle);
        SearchField = std::string(candidate) == "Datum" ? candidate : base::UpperCase(candidate);
        const fw::TBookmark here = t->GetBookmark();
        ControlsHeld still(t);
        try {
            SetIndexTo(SearchField);
        } catch (const std::exception&) {
            // The table has no such index: stay with the key.
            SearchField = KeyField;
            SetIndexTo(KeyField);
        }
        if (!here.empty() && t->BookmarkValid(here)) t->GotoBookmark(here);
    }
    SearchText.clear();
    SavedTitle = SearchColumn()->DisplayLabel();
    ShowSearchTitle();
}

void TMyDBGrid::KeyDown(std::uint16_t& key, fw::Shift shift) {
    if (key == 0) return;
    if (key == fw::VK_SPACE && shift == fw::ssNone && SearchText.empty()) {
        if (OnSpace) OnSpace(*this);
        key = 0;
    } else if (key == fw::VK_SPACE && shift == fw::ssCtrl && SearchText.empty()) {
        if (OnCtrlSpace) OnCtrlSpace(*this);
        key = 0;
    } else if (key == fw::VK_F2 && shift == fw::ssNone) {
        if (Table() && (IndexAnalysed || AnalyseIndex())) SwitchSearchColumn();
    } else if (key == fw::VK_DELETE && shift == fw::ssNone && SearchColumn()) {
        SearchText.clear();
        ShowSearchTitle();
        key = 0;
    }
    fw::DBGrid::KeyDown(key, shift);
}

void TMyDBGrid::GotoTyped() {
    fw::TTable* t = Table();
    std::vector<std::string> keyValues;
    for (const std::string& name : KeyFields)
        keyValues.push_back(t->FieldByName(name).Text());
    ControlsHeld still(FindByName ? nullptr : t);
    try {
        t->SetKey();
        for (std::size_t i = 0; i < KeyFields.size(); ++i)
            t->FieldByName(KeyFields[i]).SetText(keyValues[i]);
        try {
            t->FieldByName(SearchField).SetText(SearchText);
        } catch (const std::exception&) {
            // The column cannot take what was typed (a letter in a number): the last character goes.
            fw::MessageBeep(0);
            SearchText = dropLastChar(SearchText);
            t->FieldByName(SearchField).SetText(SearchText);
        }
        t->GotoNearest();
        if (!FindByName && !t->IsEmpty()) {
            const std::string found = t->FieldByName(SearchField).Text();
            t->SetKey();
            for (std::size_t i = 0; i < KeyFields.size(); ++i)
                t->FieldByName(KeyFields[i]).SetText(keyValues[i]);
            t->FieldByName(SearchField).SetText(found);
            t->GotoKey();
        }
    } catch (const std::exception&) {
        fw::Guarded([&] { t->Cancel(); });
    }
}

void TMyDBGrid::StepTowardsTyped() {
    fw::TTable* t = Table();
    const std::string row = sortKey(t->FieldByName(SearchField).Text());
    const std::string typed = sortKey(SearchText);
    const int c = base::CompareCp1250(row.substr(0, typed.size()), typed, false);
    if (c == 0) return;
    fw::MessageBeep(0);
    SearchText = dropLastChar(SearchText);
    if (SearchText.empty()) return;
    const std::string shorter = sortKey(SearchText);
    const int again = base::CompareCp1250(row.substr(0, shorter.size()), shorter, false);
    if (c < 0 && again < 0) t->Next();
    if (c > 0 && again > 0) t->Prior();
}

void TMyDBGrid::Search(std::uint8_t key) {
    fw::TTable* t = Table();
    if (key == 8 && !SearchText.empty()) SearchText = dropLastChar(SearchText);
    const std::string row = sortKey(t->FieldByName(SearchField).Text());
    auto rowStarts = [&] {
        const std::string typed = sortKey(SearchText);
        return row.compare(0, typed.size(), typed) == 0;
    };
    if (!SearchText.empty() && !rowStarts()) SearchText.clear();
    if (key != 8) {
        const char typed[1] = {static_cast<char>(base::Cp1250Upper(key))};
        SearchText += base::Cp1250ToUtf8(std::string_view(typed, 1));
    }
    if (!SearchText.empty() && !rowStarts()) GotoTyped();
    if (!SearchText.empty()) StepTowardsTyped();
    ShowSearchTitle();
}

void TMyDBGrid::KeyPress(std::uint8_t& key) {
    if (key == 13) {
        if (OnReturn)
            OnReturn(*this);
        else
            app::MoveFocus(this, true);
        key = 0;
    } else if (key == 8 || key >= 33 || (key == 32 && !SearchText.empty())) {
        const std::uint8_t typed = key;
        key = 0;
        if ((IndexAnalysed || AnalyseIndex()) && Table()) Search(typed);
    }
    fw::DBGrid::KeyPress(key);
}

} // namespace kit
