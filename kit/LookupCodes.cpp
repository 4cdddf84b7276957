// The code protocol of the lookup fields: a typed code searched in the lookup table and its key written into
// the data field; a missing code created, given to the previous code, refused or taken as typed; Ctrl+Del.

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "app/data/Useful.h"
#include "app/shell/CodeDialogs.h"
#include "app/shell/FocusNavigation.h"
#include "base/Exceptions.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "fw/ui/Guard.h"
#include "kit/LookupFields.h"
#include "kit/RequiredFields.h"

namespace kit {

namespace {
constexpr unsigned BeepQuestion = 32;

struct InsertPostOpen {
    explicit InsertPostOpen(fw::TDataSet& ds) : ds_(ds) { app::EnableInsertPost(ds_); }
    ~InsertPostOpen() { app::DisableInsertPost(ds_); }
    InsertPostOpen(const InsertPostOpen&) = delete;
    InsertPostOpen& operator=(const InsertPostOpen&) = delete;

private:
    fw::TDataSet& ds_;
};
} // namespace

void LookupControl::SearchCode() {
    fw::TDataSet* own = DataSet();
    fw::TTable* lookup = LookupTable();
    if (!own || !lookup || !Analysed) return;
    const RequiredChecksAside aside;
    const bool wasEditing = app::IsEditing(own);
    insertingAtSearch_ = own->State() == fw::dsInsert;
    outcome_ = Outcome::Accepted;
    {
        Disabled controls(own, lookup);
        try {
            CloseUp();
            Settle(wasEditing, controls);
        } catch (const std::exception& e) {
            // The outcome stays as it was when the failure came; an engine failure is told (once for a
            // leave right after the Enter that told it).
            controls.Enable(false);
            fw::TellException(e);
        }
        // Whatever happened, the lookup table is left following the data field.
        fw::Guarded([&] { SetClosedMode(); });
    }
    SearchOk = outcome_ == Outcome::Accepted || outcome_ == Outcome::FoundAgain;
    fw::Guarded([&] { FollowSettled(wasEditing); });
    if (Entered) settledText_ = Text();
}

bool LookupControl::TakePending() {
    if (!Entered || !TextEdited || SettledAlready(Text())) return true;
    // A code not found (told) is taken back when the control is left, as by any leave; a value the form
    // refused keeps the user here.
    return SettleInPlace();
}

void LookupControl::FollowSettled(bool wasEditing) {
    if (outcome_ == Outcome::Refused) {
        SetFocus();
        SelectText();
        return;
    }
    CommitLookup();
    if (settleInPlace_) {
        if (wasEditing && outcome_ != Outcome::Emptied) app::StartEdit(DataSet());
        DoEnter();
        SelectText();
        return;
    }
    if (outcome_ == Outcome::Emptied) {
        app::MoveFocus(this, false);
        return;
    }
    if (wasEditing) app::StartEdit(DataSet());
    if (Kit.AdvanceAllowed) {
        app::MoveFocus(this, kind_ != Kind::LookupKeyField || SearchOk);
    } else {
        DoEnter();
        SelectText();
        Kit.AdvanceAllowed = true;
    }
}

bool LookupControl::FindCode(const std::string& text) {
    fw::TTable* lookup = LookupTable();
    searched_ = false;
    if (!app::PostAndSetKey(LookupSource())) return false;
    searched_ = true;
    app::SetKeyFromMaster(lookup, ListMasterFields);
    try {
        lookup->FieldByName(SearchField).SetAsString(text);
    } catch (const std::exception&) {
        // The code does not fit the field: nothing to search.
        outcome_ = Outcome::Refused;
        fw::MessageBeep(BeepQuestion);
        lookup->Cancel();
        throw base::Abort();
    }
    return lookup->GotoKey();
}

void LookupControl::Settle(bool wasEditing, Disabled& controls) {
    fw::TDataSet* own = DataSet();
    fw::TTable* lookup = LookupTable();
    const std::string previousValue = CodeValue;
    // A combo showing the codes themselves: the typed text goes into the field in the field's own form.
    if (!HasDisplayField && kind_ != Kind::LookupKeyField && TextEdited && app::StartEdit(own)) {
        own->FieldByName(DataField()).SetAsString(Text());
        SetDisplayValue(own->FieldByName(DataField()).Text());
    }
    std::string s = Text();
    if (wasEditing && NormalC) {
        app::NormalizeText(s);
        if (s != Text()) SetText(s);
    }
    if (DisplayName.empty()) DisplayName = lookup->FieldByName(SearchField).DisplayLabel();
    if (!TextEdited) {
        if (s.empty() && (Required || kind_ == Kind::LookupKeyField)) outcome_ = Outcome::Refused;
        return;
    }
    if (s.empty()) {
        if (kind_ == Kind::LookupKeyField) {
            SetDisplayValue(OldCode);
            app::CancelEdit(lookup);
            app::CancelEdit(own);
            OldCode.clear();
            CodeValue.clear();
            outcome_ = Outcome::Emptied;
            return;
        }
        // A value the record must hold is refused before the emptied code is written anywhere.
        if (Required) {
            app::ShowInfo(RequiredText(DisplayName));
            outcome_ = Outcome::Refused;
            return;
        }
        // An emptied lookup clears the data field.
        app::CancelEdit(lookup);
        OldCode.clear();
        CodeValue.clear();
        controls.Enable();
        WriteData("", true);
        if (kind_ == Kind::LookupField) SetDisplayValue("");
        return;
    }
    SetListMode();
    lookup->Refresh();
    outcome_ = Outcome::Refused;
    const bool found = FindCode(s);
    outcome_ = Outcome::Accepted;
    if (found && LookupKeyText().empty()) {
        // A row without the value the field stores (a code saved incomplete) names nothing that could be
        // stored: it is refused as a missing code, never shown over an empty field.
        RefuseMissing(s, controls);
    } else if (found) {
        OldCode = s;
        CodeValue = LookupKeyText();
        SetClosedMode();
        controls.Enable();
        if (kind_ != Kind::LookupKeyField) WriteData(CodeValue, true);
    } else if (searched_) {
        if (lookup->State() == fw::dsSetKey) lookup->Cancel();
        if (kind_ == Kind::LookupField || kind_ == Kind::LookupKeyField) {
            if (app::AskNovo(DisplayName, s))
                CreateCode(s, controls);
            else
                RenameCode(s, controls);
        } else if (kind_ == Kind::Lookup && !HasDisplayField) {
            // Any typed code is taken as it is.
            OldCode = s;
            CodeValue = Field() ? Field()->AsString() : std::string();
            SetClosedMode();
            controls.Enable();
            WriteData(CodeValue, true);
        } else {
            RefuseMissing(s, controls);
        }
    } else {
        // No search could start (the lookup table's record could not be left).
        outcome_ = Outcome::Refused;
    }
    if (kind_ == Kind::LookupKeyField && outcome_ != Outcome::Refused) {
        // The chosen row's key becomes the own record's key: the own table settles it from the value it had.
        const std::string chosen = CodeValue;
        CodeValue = previousValue;
        SettleOwnKey(HasDisplayField ? chosen : s, controls);
    }
}

void LookupControl::CreateCode(const std::string& s, Disabled& controls) {
    fw::TTable* lookup = LookupTable();
    outcome_ = Outcome::Accepted;
    {
        InsertPostOpen insertPost(*lookup);
        if (!app::PostAndAppend(lookup)) {
            // No row could be started: nothing is written anywhere.
            app::CancelEdit(lookup);
            outcome_ = Outcome::Refused;
        } else {
            app::SetKeyFromMaster(lookup, ListMasterFields);
            lookup->FieldByName(SearchField).SetAsString(s);
            try {
                lookup->Post();
            } catch (const std::exception& e) {
                // The half-made row goes; another station may have created the code meanwhile.
                if (lookup->State() == fw::dsInsert) lookup->Cancel();
                lookup->Refresh();
                outcome_ = Outcome::Refused;
                bool again = false;
                try {
                    again = FindCode(s);
                } catch (const std::exception&) {
                }
                if (lookup->State() == fw::dsSetKey) lookup->Cancel();
                outcome_ = again && !LookupKeyText().empty() ? Outcome::FoundAgain : Outcome::Refused;
                if (outcome_ == Outcome::Refused) app::TellRefusal(e);
            }
        }
        if (outcome_ != Outcome::Refused) {
            OldCode = s;
            CodeValue = LookupKeyText();
        }
        SetClosedMode();
        controls.Enable();
        if (kind_ != Kind::LookupKeyField) WriteData(CodeValue, true);
    }
    // OnNew only for the row created here, and only with the lookup table standing on it.
    if (outcome_ == Outcome::Accepted && OnNew && kind_ == Kind::LookupField &&
        LookupKeyText() == CodeValue && app::StartEdit(lookup)) {
        OnNew(*lookup);
        app::PostEditKeepInsert(lookup);
    }
}

void LookupControl::RenameCode(const std::string& s, Disabled& controls) {
    fw::TTable* lookup = LookupTable();
    if (OldCode.empty()) {
        SetClosedMode();
        outcome_ = Outcome::Refused;
        return;
    }
    if (!app::AskStaro(DisplayName, OldCode, s)) {
        SetClosedMode();
        controls.Enable();
        if (kind_ != Kind::LookupKeyField) WriteData(CodeValue, false);
        outcome_ = Outcome::Refused;
        return;
    }
    // The row of the old code is changed; without it nothing is renamed and the code is refused.
    outcome_ = Outcome::Refused;
    const bool found = FindCode(OldCode);
    if (lookup->State() == fw::dsSetKey) lookup->Cancel();
    if (found && app::StartEdit(lookup)) {
        if (OnRename) OnRename(*lookup);
        if (app::StartEdit(lookup)) {
            lookup->FieldByName(SearchField).SetAsString(s);
            try {
                lookup->Post();
                OldCode = s;
                CodeValue = LookupKeyText();
                outcome_ = Outcome::Accepted;
            } catch (const std::exception& e) {
                lookup->Cancel();
                app::TellRefusal(e);
            }
        }
    }
    SetClosedMode();
    controls.Enable();
    if (kind_ != Kind::LookupKeyField) WriteData(CodeValue, true);
    if (outcome_ == Outcome::Accepted) SetDisplayValue(s);
}

void LookupControl::RefuseMissing(const std::string& s, Disabled& controls) {
    app::ShowNema(DisplayName, s);
    outcome_ = Outcome::Refused;
    if (OldCode.empty()) {
        SetClosedMode();
        return;
    }
    LookupSource()->Tag = 99;
    SetClosedMode();
    controls.Enable();
    WriteData(CodeValue, true);
    LookupSource()->Tag = 0;
}

void LookupControl::SettleOwnKey(const std::string& key, Disabled& controls) {
    auto* own = dynamic_cast<fw::TTable*>(DataSet());
    if (!own) return;
    const std::string previous = CodeValue;
    const bool newRecord = own->State() == fw::dsInsert || previous.empty();
    controls.Enable();
    // Another record of the own table already has the key: the form moves to it.
    const fw::TBookmark here =
        app::HasRecords(own) && own->State() != fw::dsInsert ? own->GetBookmark() : fw::TBookmark();
    bool searched = false;
    if (own->State() != fw::dsInsert || !own->Modified()) {
        if (own->State() == fw::dsInsert) own->Cancel();
        searched = app::PostAndSetKey(DataSource());
    }
    if (searched) {
        app::CopyMasterFields(own);
        try {
            own->FieldByName(DataField()).SetAsString(key);
        } catch (const std::exception&) {
            fw::MessageBeep(BeepQuestion);
            own->Cancel();
            app::CancelEdit(LookupTable());
            outcome_ = Outcome::Refused;
            throw base::Abort();
        }
        if (own->GotoKey()) {
            CodeValue = key;
            return;
        }
        if (!here.empty() && own->BookmarkValid(here)) own->GotoBookmark(here);
    }
    if (newRecord) {
        // A new own record for the key (the one being inserted, else an appended one).
        InsertPostOpen insertPost(*own);
        if (own->State() != fw::dsInsert && !app::PostAndAppend(own)) {
            outcome_ = Outcome::Refused;
            return;
        }
        app::CopyMasterFields(own);
        own->FieldByName(DataField()).SetAsString(key);
        try {
            own->Post();
        } catch (const std::exception& e) {
            // The record stays as it was typed (in insert); the key is refused, and the user hears why.
            outcome_ = Outcome::Refused;
            app::TellRefusal(e);
            return;
        }
        CodeValue = key;
        if (OnNew && app::StartEdit(own)) {
            OnNew(*own);
            app::PostEditKeepInsert(own);
        }
        return;
    }
    // The current own record takes the new key.
    if (!app::StartEdit(own)) {
        outcome_ = Outcome::Refused;
        return;
    }
    if (OnRename) OnRename(*own);
    if (!app::StartEdit(own)) return;
    own->FieldByName(DataField()).SetAsString(key);
    try {
        own->Post();
        CodeValue = key;
    } catch (const std::exception& e) {
        own->Cancel();
        outcome_ = Outcome::Refused;
        app::TellRefusal(e);
    }
}

void LookupControl::DeleteCode() {
    const RequiredChecksAside aside;
    if (kind_ == Kind::LookupKeyField) return DeleteOwnRecord();
    fw::TTable* lookup = LookupTable();
    if (!lookup) return;
    {
        Disabled controls(DataSet(), lookup);
        try {
            if (DisplayName.empty()) DisplayName = lookup->FieldByName(SearchField).DisplayLabel();
            if (OldCode.empty()) {
                app::CancelEdit(lookup);
            } else if (app::AskBrisi(DisplayName, OldCode)) {
                // In closed mode the lookup table stands on the code's row; only that row is deleted.
                SetClosedMode();
                if (LookupKeyText() == CodeValue && !CodeValue.empty()) {
                    if (OnDelete) OnDelete(*lookup);
                    if (LookupKeyText() == CodeValue) {
                        lookup->Delete();
                        lookup->Refresh();
                        OldCode.clear();
                        CodeValue.clear();
                    }
                }
            }
        } catch (const std::exception& e) {
            controls.Enable(false);
            fw::ShowException(e);
        }
        fw::Guarded([&] { SetClosedMode(); });
    }
    SetFocus();
    SelectText();
}

void LookupControl::DeleteOwnRecord() {
    fw::TDataSet* own = DataSet();
    if (!own) return;
    {
        Disabled controls(own, nullptr);
        try {
            if (DisplayName.empty()) DisplayName = own->FieldByName(DataField()).DisplayLabel();
            if (own->State() == fw::dsInsert) {
                app::CancelEdit(own);
            } else if (app::AskBrisi(DisplayName, OldCode)) {
                if (OnDelete) OnDelete(*own);
                own->Delete();
                own->Last();
                CodeValue = app::HasRecords(own) ? own->FieldByName(DataField()).AsString() : std::string();
                fw::TTable* lookup = LookupTable();
                OldCode = app::HasRecords(lookup) ? lookup->FieldByName(SearchField).Text() : std::string();
            }
        } catch (const std::exception& e) {
            controls.Enable(false);
            fw::ShowException(e);
        }
    }
    CommitLookup();
    app::MoveFocus(this, false);
}

} // namespace kit
