#include "kit/LookupFields.h"

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/Settings.h"
#include "app/data/Useful.h"
#include "app/shell/FocusNavigation.h"
#include "app/shell/FormOpener.h"
#include "app/shell/Hints.h"
#include "base/Cp1250.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "fw/ui/Form.h"
#include "fw/ui/Guard.h"
#include "kit/Mycombo2.h"
#include "kit/MyForm.h"
#include "kit/RecordMade.h"

#include <map>

namespace kit {

namespace {

// The list without the first occurrence of the field (whole names, any case).
std::string WithoutField(const std::string& list, const std::string& field) {
    std::string rest;
    bool removed = false;
    for (const std::string& name : fw::SplitFieldNames(list)) {
        if (!removed && base::UpperCase(name) == base::UpperCase(field)) {
            removed = true;
            continue;
        }
        rest += (rest.empty() ? "" : ";") + name;
    }
    return rest;
}

// Which data source a lookup control's analysis made the master of a lookup table: a second control on
// another data source must not take over that link (it would show and write the first one's codes).
std::map<const fw::TDataSet*, const fw::TDataSource*>& LinkedLookups() {
    static std::map<const fw::TDataSet*, const fw::TDataSource*> linked;
    return linked;
}
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Kit, [] { LinkedLookups().clear(); });

} // namespace

LookupControl::LookupControl(fw::Control* parent, fw::Component* owner, Kind kind)
    : fw::DBLookupCombo(parent, owner), kind_(kind) {
    SetHeight(21);
}

TDBLookupField::TDBLookupField(fw::Control* parent, fw::Component* owner)
    : LookupControl(parent, owner, Kind::LookupField) {}
TDBJustLookup::TDBJustLookup(fw::Control* parent, fw::Component* owner)
    : LookupControl(parent, owner, Kind::JustLookup) {}
TDBLookup::TDBLookup(fw::Control* parent, fw::Component* owner)
    : LookupControl(parent, owner, Kind::Lookup) {}
TDBLookupKeyField::TDBLookupKeyField(fw::Control* parent, fw::Component* owner)
    : LookupControl(parent, owner, Kind::LookupKeyField) {}

fw::TTable* LookupControl::LookupTable() const {
    return LookupSource() ? dynamic_cast<fw::TTable*>(LookupSource()->DataSet()) : nullptr;
}

// ------------------------------------------------------------------------------------------- links

void LookupControl::AnalyseLinks() {
    fw::TTable* lookup = LookupTable();
    if (!Analysed) {
        fw::TDataSource* source = DataSource();
        if (!lookup || !source || !source->DataSet() || DataField().empty() || LookupField().empty()) return;
        auto& linked = LinkedLookups();
        if (auto it = linked.find(lookup);
            it != linked.end() && it->second != source && lookup->MasterSource() == it->second)
            return;
        SetDataField(base::UpperCase(DataField()));
        SetLookupField(base::UpperCase(LookupField()));
        SetLookupDisplay(base::UpperCase(LookupDisplay()));
        const auto display = fw::SplitFieldNames(LookupDisplay());
        DisplayField = display.empty() || display.front() == LookupField() ? std::string() : display.front();
        HasDisplayField = !DisplayField.empty();
        const std::string index = base::UpperCase(lookup->IndexFieldNames());
        std::string master;
        if (lookup->MasterSource()) {
            master = base::UpperCase(lookup->MasterFields());
        } else {
            lookup->SetMasterSource(source);
            linked[lookup] = source;
        }
        const std::string shown = HasDisplayField ? DisplayField : LookupField();
        if (lookup->MasterSource() != source) {
            ClosedMasterFields = ListMasterFields = master;
            ClosedIndexFields = ListIndexFields = index;
        } else {
            if (master == DataField()) {
                ClosedMasterFields = DataField();
                ListMasterFields.clear();
            } else {
                const std::string rest = WithoutField(master, DataField());
                ClosedMasterFields = rest.empty() ? DataField() : rest + ";" + DataField();
                ListMasterFields = rest;
            }
            if (index == LookupField() || (HasDisplayField && index == DisplayField)) {
                ClosedIndexFields = LookupField();
                ListIndexFields = shown;
            } else {
                std::string rest = WithoutField(index, LookupField());
                if (HasDisplayField) rest = WithoutField(rest, DisplayField);
                ClosedIndexFields = rest.empty() ? LookupField() : rest + ";" + LookupField();
                ListIndexFields = rest.empty() ? shown : rest + ";" + shown;
            }
        }
        SearchField = shown;
        Analysed = true;
    }
    if (!lookup) return;
    // Back to closed mode when something else changed the lookup table's link or index.
    if (lookup->IndexFieldNames() != ClosedIndexFields || lookup->MasterFields() != ClosedMasterFields) {
        lookup->SetMasterFields("");
        lookup->SetIndexFieldNames(ClosedIndexFields);
        lookup->SetMasterFields(ClosedMasterFields);
    }
}

void LookupControl::SetListMode() {
    fw::TTable* lookup = LookupTable();
    if (ListMode || !lookup ||
        (ClosedMasterFields == ListMasterFields && ClosedIndexFields == ListIndexFields))
        return;
    {
        Disabled controls(nullptr, lookup);
        // The index changes while the link is empty, the link comes afterwards.
        if (ClosedIndexFields != ListIndexFields) {
            lookup->SetMasterFields("");
            lookup->SetIndexFieldNames(ListIndexFields);
        }
        lookup->SetMasterFields(ListMasterFields);
        lookup->Refresh();
        ListMode = true;
    }
    LookupSource()->Tag = 99;
}

void LookupControl::SetClosedMode() {
    fw::TTable* lookup = LookupTable();
    if (!ListMode || !lookup) return;
    {
        Disabled controls(nullptr, lookup);
        if (ClosedIndexFields != ListIndexFields) {
            lookup->SetMasterFields("");
            lookup->SetIndexFieldNames(ClosedIndexFields);
        }
        lookup->SetMasterFields(ClosedMasterFields);
        lookup->Refresh();
        ListMode = false;
    }
    LookupSource()->Tag = 0;
}

std::string LookupControl::LookupKeyText() const {
    fw::TTable* lookup = LookupTable();
    if (!lookup || lookup->IsEmpty()) return {};
    return lookup->FieldByName(LookupField()).AsString();
}

// ------------------------------------------------------------------------------------------- visit

void LookupControl::Loaded() {
    fw::DBLookupCombo::Loaded();
    SetTag(0);
    SearchOk = ListMode = DroppedDown = ExitDone = Entered = Analysed = false;
    try {
        AnalyseLinks();
    } catch (const std::exception&) {
        // analysed again at the first entry
    }
}

void LookupControl::DoEnter() {
    ToldNoRecord = false;
    settledText_.reset();
    fw::TDataSet* own = DataSet();
    if (kind_ != Kind::LookupKeyField) {
        if (app::DBMine.MultiUser) {
            HeldOfVisit.Enter(*this, own, SavedFontColor);
        } else {
            app::PostPendingEdits(own);
        }
    }
    Kit.AdvanceAllowed = true;
    ExitDone = false;
    if (app::Settings.CommonSettings.Fancy.Skoci) {
        if (kind_ == Kind::LookupKeyField) {
            look_.Apply(*this, true, false);
        } else if (kind_ == Kind::LookupField && !bold_) {
            bold_ = true;
            QFont f = font();
            f.setBold(true);
            setFont(f);
        }
    }
    TextEdited = false;
    SearchOk = false;
    outcome_ = Outcome::Accepted;
    try {
        AnalyseLinks();
        if (!Analysed) app::AbortWithMessage("Komponenta \"" + Name() + "\" nije potpuno definirana");
    } catch (const std::exception&) {
        return;
    }
    TakeVisitValues();
    if (kind_ == Kind::LookupField || kind_ == Kind::LookupKeyField)
        fw::Guarded([&] { app::PostEditKeepInsert(own); });
    Entered = true;
    EntryText = OldCode;
    entryValue_ = CodeValue;
    fw::DBLookupCombo::DoEnter();
    if (app::Hints.HintFollowFocus) {
        const auto* table = dynamic_cast<const fw::TTable*>(own);
        app::ShowFieldHint(this, table ? table->DatabaseName() : std::string(),
                           table ? table->TableName() : std::string(), DataField());
    }
    SelectText();
}

void LookupControl::TakeVisitValues() {
    fw::TTable* lookup = LookupTable();
    fw::Guarded([&] {
        if (app::HasRecords(lookup)) {
            OldCode = Text();
            CodeValue = LookupKeyText();
            app::PostEditKeepInsert(lookup);
        } else if (kind_ == Kind::LookupKeyField) {
            OldCode = Text();
            CodeValue = LookupKeyText();
        } else if (kind_ == Kind::Lookup && !HasDisplayField) {
            OldCode = Text();
            CodeValue = Field() ? Field()->AsString() : std::string();
        } else {
            OldCode.clear();
            CodeValue.clear();
            // A value shown with no row behind it counts as typed.
            TextEdited = !Text().empty();
        }
    });
}

void LookupControl::StartOverOnRecordShown() {
    if (!Entered) return;
    TextEdited = false;
    SearchOk = false;
    outcome_ = Outcome::Accepted;
    TakeVisitValues();
    EntryText = OldCode;
    entryValue_ = CodeValue;
    SelectText();
}

void LookupControl::SelectText() {
    if (ReadOnly())
        SetSelLength(0);
    else
        SelectAll();
}

void LookupControl::DoExit() {
    if (ReadOnly()) {
        SetReadOnly(false);
        SetFontColor(SavedFontColor);
        if (app::CanEdit(DataSet())) DataSet()->Refresh();
    }
    if (!ExitDone && Analysed) {
        CommitLookup();
    } else if (!Analysed) {
        look_.Undo(*this);
    }
}

void LookupControl::Change() {
    fw::DBLookupCombo::Change();
    // A record held elsewhere: its data change shows the text the visit began with.
    if (NoteTextChange(*this, Entered, ReadOnly(), DataSet(), TextEdited) && !LookupDisplay().empty())
        SetDisplayValue(EntryText);
}

void LookupControl::WriteData(const std::string& value, bool post) {
    fw::TDataSet* own = DataSet();
    if (!app::StartEdit(own)) {
        // A record the files or another station refuse: told, and the typed code stays for another try. A
        // refusal without a word was told by whoever refused.
        const std::string refusal = app::EditRefusal(own);
        if (refusal.empty()) return;
        outcome_ = Outcome::Refused;
        throw base::Exception(refusal);
    }
    const bool insertPost =
        kind_ == Kind::LookupKeyField && insertingAtSearch_ && own->State() == fw::dsInsert;
    if (insertPost) app::EnableInsertPost(*own);
    try {
        own->FieldByName(DataField()).SetAsString(value);
        if (post) {
            if (insertPost)
                own->Post();
            else
                app::PostEditKeepInsert(own);
        }
    } catch (...) {
        if (insertPost) app::DisableInsertPost(*own);
        throw;
    }
    if (insertPost) app::DisableInsertPost(*own);
}

void LookupControl::CommitLookup() {
    ExitDone = true;
    fw::TDataSet* own = DataSet();
    fw::TTable* lookup = LookupTable();
    {
        Disabled controls(own, lookup);
        try {
            const bool inserting = own && own->State() == fw::dsInsert;
            if (kind_ == Kind::LookupKeyField && outcome_ == Outcome::Emptied) {
                // The emptied text was put back and both tables cancelled: nothing to take back.
            } else if (kind_ == Kind::LookupKeyField && !SearchOk) {
                // An unsettled key: a pending new record of either table goes, a typed code is taken back.
                if (Text() == OldCode) {
                    if (inserting) app::CancelEdit(own);
                    if (lookup && lookup->State() == fw::dsInsert) app::CancelEdit(lookup);
                } else if (!OldCode.empty()) {
                    SetValue(CodeValue);
                    if (!Text().empty() || HasDisplayField) WriteData(CodeValue, false);
                } else {
                    SetValue("");
                    app::CancelEdit(lookup);
                    app::CancelEdit(own);
                }
            } else {
                if (Text().empty() && !OldCode.empty()) {
                    SetValue(CodeValue);
                    WriteData(CodeValue, false);
                } else if (Text().empty()) {
                    app::CancelEdit(lookup);
                }
                SetClosedMode();
                if (!SearchOk && (Text() != OldCode || inserting)) {
                    if (OldCode.empty()) {
                        SetValue("");
                        app::CancelEdit(lookup);
                        WriteData(CodeValue, false);
                    } else {
                        SetValue(CodeValue);
                        WriteData(CodeValue, false);
                    }
                }
            }
            SetClosedMode();
            if (kind_ != Kind::Lookup && lookup && Field() && LookupKeyText() != Field()->AsString()) {
                SetListMode();
                if (app::PostAndSetKey(LookupSource())) {
                    app::SetKeyFromMaster(lookup, ListMasterFields);
                    lookup->FieldByName(SearchField).SetAsString(Text());
                    lookup->GotoKey();
                }
                SetClosedMode();
            }
        } catch (const std::exception&) {
            fw::Guarded([&] { SetClosedMode(); });
        }
        Entered = false;
        if (app::Hints.HintBoxVisible || (app::Hints.HintFollowFocus && ActiveControlNotKit(ParentForm())))
            app::CloseHint();
        fw::DBLookupCombo::DoExit();
        look_.Undo(*this);
        if (bold_) {
            bold_ = false;
            QFont f = font();
            f.setBold(false);
            setFont(f);
        }
    }
    if (DataSource()) DataSource()->Tag = 0;
    if (LookupSource()) LookupSource()->Tag = 0;
    ExitChanged();
}

void LookupControl::ExitChanged() {
    if (!TextEdited || !SearchOk || !OnExitChanged) return;
    fw::TDataSet* own = DataSet();
    Kit.ValueUnchanged = Text() == EntryText;
    if (!app::StartEdit(own)) return;
    Kit.OldText = EntryText;
    try {
        OnExitChanged(*this);
    } catch (const std::exception&) {
        Kit.AdvanceAllowed = false;
        // The record (and its master's) goes back; a changed code is replaced by the one the visit began
        // with, text and key together.
        fw::Guarded([&] {
            // A new record keeps what was typed into it (and so does a new master): only this field goes
            // back. Cancelling it would drop the record and leave the cursor on another one.
            if (own->State() == fw::dsInsert) {
                own->FieldByName(DataField()).SetAsString(entryValue_);
                SetValue(entryValue_);
                SetDisplayValue(EntryText);
                CodeValue = entryValue_;
                OldCode = EntryText;
                return;
            }
            own->Cancel();
            if (auto* table = dynamic_cast<fw::TTable*>(own))
                if (fw::TDataSource* master = table->MasterSource();
                    master && master->DataSet() && master->DataSet()->State() != fw::dsInsert)
                    master->DataSet()->Cancel();
            if (Kit.ValueUnchanged) return;
            own->Edit();
            own->FieldByName(DataField()).SetAsString(entryValue_);
            SetValue(entryValue_);
            SetDisplayValue(EntryText);
            CodeValue = entryValue_;
            OldCode = EntryText;
            own->Post();
        });
    }
}

// ------------------------------------------------------------------------------------------- keys

void LookupControl::KeyPress(std::uint8_t& key) {
    HeldOfVisit.KeyRefused(*this, DataSet(), key, SavedFontColor);
    if (key == 13) {
        if (Entered) {
            SearchCode();
            key = 0;
        }
    } else if (key >= 32 && !Entered) {
        key = 0;
    } else if (kind_ == Kind::LookupKeyField || ReadOnly() ||
               TakesTextKey(*this, DataSet(), key, ToldNoRecord)) {
        if (key >= 32) {
            CloseUp();
            if (Capitalize) key = base::Cp1250Upper(key);
        }
    }
    fw::DBLookupCombo::KeyPress(key);
}

void LookupControl::KeyDown(std::uint16_t& key, fw::Shift shift) {
    fw::TDataSet* own = DataSet();
    if (key == fw::VK_F1) {
        key = 0;
        app::ToggleFieldHint(this, own, DataField(), shift != fw::ssNone);
    } else if (key == fw::VK_F2 && shift == fw::ssNone) {
        CloseUp();
        if (Entered && OnF2Press) {
            TextEdited = true;
            SetValue(CodeValue);
            app::PostEditKeepInsert(own);
            fw::TTable* lookup = LookupTable();
            if (lookup && lookup->State() != fw::dsBrowse) lookup->Cancel();
            key = 0;
            const std::string shown = Text();
            if (fw::Form* form = ParentForm()) {
                fw::SetTagState(*form, app::TagHiddenForOther);
                OnF2Press(*form);
            }
            // The picker may have added rows: they are found from here on.
            if (lookup && lookup->Active()) lookup->Refresh();
            // A code the picker wrote back is the field's value at once, settled as Enter settles it.
            if (Entered && TextEdited && Text() != shown) TakePending();
        }
    } else if ((key == fw::VK_LEFT || key == fw::VK_RIGHT) && shift == fw::ssNone && Entered &&
               Text().empty()) {
        const bool forward = key == fw::VK_RIGHT;
        key = 0;
        app::MoveFocus(this, forward);
    } else if (key == fw::VK_DELETE && shift == fw::ssCtrl && Deletes() && Entered && !OldCode.empty()) {
        if (Kit.DeleteKeyEnabled) DeleteCode();
        key = 0;
    } else if ((key == fw::VK_PRIOR || key == fw::VK_NEXT) && (shift == fw::ssNone || shift == fw::ssCtrl) &&
               !ListVisible()) {
        auto* form = dynamic_cast<TMyForm*>(Owner());
        if (form && form->BrowseTable && app::HasRecords(form->BrowseTable)) {
            const bool prior = key == fw::VK_PRIOR;
            key = 0;
            PageRecord(prior);
        }
    }
    fw::DBLookupCombo::KeyDown(key, shift);
}

void LookupControl::PageRecord(bool prior) {
    auto* form = dynamic_cast<TMyForm*>(Owner());
    Kit.AdvanceAllowed = false;
    SearchCode();
    Kit.AdvanceAllowed = true;
    if (prior)
        form->BrowseTable->Prior();
    else
        form->BrowseTable->Next();
    if (form->ActiveControl() == this) {
        // The new record's code is taken up as if the control were entered anew.
        DoEnter();
        TextEdited = true;
        DoExit();
        DoEnter();
        SelectText();
    } else if (Visible() && !(Enabled() && TabStop() && CanFocus())) {
        app::MoveFocus(this, true);
    }
}

// ------------------------------------------------------------------------------------------- list

void LookupControl::DropDown() {
    if (DroppedDown) return;
    fw::TTable* lookup = LookupTable();
    if (!lookup || !Analysed) return;
    app::HideHintBox();
    SetListMode();
    {
        Disabled controls(nullptr, lookup);
        try {
            const std::string text = Text();
            auto keyed = [&] {
                if (!app::PostAndSetKey(LookupSource())) return false;
                app::SetKeyFromMaster(lookup, ListMasterFields);
                lookup->FieldByName(SearchField).SetAsString(text);
                return true;
            };
            if (ListMode && keyed() && !lookup->GotoKey() && keyed()) lookup->GotoNearest();
            if (!lookup->IsEmpty()) SetDisplayValue(lookup->FieldByName(SearchField).Text());
        } catch (const std::exception&) {
            if (lookup->State() == fw::dsSetKey) lookup->Cancel();
        }
    }
    DroppedDown = true;
    TextEdited = true;
    fw::DBLookupCombo::DropDown();
}

void LookupControl::CloseUp() {
    if (!DroppedDown) return;
    app::ShowHintBox();
    SetClosedMode();
    DroppedDown = false;
    fw::DBLookupCombo::CloseUp();
}

} // namespace kit
