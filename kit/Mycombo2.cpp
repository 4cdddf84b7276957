#include "kit/Mycombo2.h"

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/shell/FocusNavigation.h"
#include "app/shell/Hints.h"
#include "fw/db/Table.h"
#include "fw/ui/Guard.h"
#include "kit/MyForm.h"
#include "kit/RecordMade.h"

namespace kit {

TKitEdit::TKitEdit(fw::Control* parent, fw::Component* owner) : fw::DBEdit(parent, owner) {}

void TKitEdit::Loaded() {
    fw::DBEdit::Loaded();
    SetTag(OwnTag());
    Entered = false;
}

bool TKitEdit::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return key == fw::VK_RETURN || fw::DBEdit::WantsKey(key, shift);
}

void TKitEdit::ShowHint() const {
    const auto* table = dynamic_cast<const fw::TTable*>(DataSet());
    app::ShowFieldHint(const_cast<TKitEdit*>(this), table ? table->DatabaseName() : std::string(),
                       table ? table->TableName() : std::string(), DataField());
}

void TKitEdit::DoEnter() {
    toldNoRecord_ = false;
    fw::TDataSet* ds = DataSet();
    if (app::DBMine.MultiUser) {
        HeldOfVisit.Enter(*this, ds, SavedFontColor);
    } else {
        app::PostPendingEdits(ds);
    }
    Kit.AdvanceAllowed = true;
    LeftByKey = false;
    ExitDone = false;
    TextEdited = false;
    Entered = true;
    EntryText = Text();
    if (keptRefused_) {
        // The refused text is still the user's: it is not what the record holds.
        keptRefused_ = false;
        TextEdited = true;
        EntryText = Field() ? Field()->Text() : std::string();
    }
    fw::DBEdit::DoEnter();
    if (app::Hints.HintFollowFocus || HintOnEveryEntry()) ShowHint();
    if (ReadOnly())
        SetSelLength(0);
    else
        SelectAll();
}

void TKitEdit::StartOverOnRecordShown() {
    keptRefused_ = false;
    TextEdited = false;
    EntryText = Text();
    SelectAll();
}

void TKitEdit::DoExit() {
    if (ExitDone) return;
    ExitDone = true;
    keptRefused_ = false;
    Entered = false;
    if (app::Hints.HintBoxVisible || (app::Hints.HintFollowFocus && ActiveControlNotKit(ParentForm())))
        app::CloseHint();
    if (ReadOnly()) {
        SetReadOnly(false);
        SetFontColor(SavedFontColor);
        if (app::CanEdit(DataSet())) DataSet()->Refresh();
    }
    fw::DBEdit::DoExit();
    LeaveByKey();
}

void TKitEdit::LeaveByKey() {
    if (!TextEdited || !LeftByKey || !OnExitChanged) return;
    fw::TDataSet* ds = DataSet();
    // Starting the edit may show the record afresh: the text left is the one written.
    const std::string typed = Text();
    Kit.ValueUnchanged = EntryText == typed;
    if (Kit.ValueUnchanged && app::StartEdit(ds)) {
        Kit.OldText = EntryText;
        ExitChangedUnchanged();
    } else if (app::StartEdit(ds)) {
        ds->FieldByName(DataField()).SetText(typed);
        Kit.OldText = EntryText;
        ExitChangedChanged();
    }
}

void TKitEdit::CancelWithMaster() {
    fw::TDataSet* ds = DataSet();
    ds->Cancel();
    if (auto* table = dynamic_cast<fw::TTable*>(ds))
        if (fw::TDataSource* master = table->MasterSource(); master && master->DataSet())
            master->DataSet()->Cancel();
}

void TKitEdit::ExitChangedUnchanged() {
    try {
        OnExitChanged(*this);
    } catch (const std::exception&) {
        Kit.AdvanceAllowed = false;
        fw::Guarded([&] { CancelWithMaster(); });
    }
}

void TKitEdit::KeepRefusedText(const std::string& typed) {
    Kit.AdvanceAllowed = false;
    fw::Guarded([&] {
        if (fw::TDataSet* ds = DataSet(); ds && (ds->State() == fw::dsEdit || ds->State() == fw::dsInsert))
            ds->Cancel();
    });
    if (Text() != typed) SetText(typed);
    // The text is on screen only: the next leave writes it itself, into a record it starts then.
    DataLink().ClearModified();
    keptRefused_ = true;
}

void TKitEdit::ExitChangedChanged(const std::function<void()>& restore) {
    // The handler may cancel the record (and the edit show the stored value) before it refuses.
    const std::string typed = Text();
    try {
        OnExitChanged(*this);
    } catch (const RefusedKeepingText&) {
        KeepRefusedText(typed);
    } catch (const std::exception&) {
        Kit.AdvanceAllowed = false;
        // A failing rollback is shown; the record then stays in edit.
        fw::Guarded([&] {
            fw::TDataSet* ds = DataSet();
            CancelWithMaster();
            ds->Edit();
            SetText(EntryText);
            ds->FieldByName(DataField()).SetText(EntryText);
            if (restore) restore();
            ds->Post();
        });
    }
}

void TKitEdit::ExitByKey() {
    try {
        // The field takes the text before the leave runs, as when the focus moves: a refused text leaves
        // the user in the edit, still typing.
        ExitCheck();
        DoExit();
    } catch (...) {
        // The field refused the text: the user stays in the edit to correct it.
        Entered = true;
        ExitDone = false;
        throw;
    }
}

void TKitEdit::KeyDown(std::uint16_t& key, fw::Shift shift) {
    if (key == 0) return fw::DBEdit::KeyDown(key, shift);
    if (key == fw::VK_F1) {
        key = 0;
        app::ToggleFieldHint(this, DataSet(), DataField(), shift != fw::ssNone);
    } else if ((key == fw::VK_LEFT || key == fw::VK_RIGHT) && shift == fw::ssNone && Entered &&
               Text().empty()) {
        const bool forward = key == fw::VK_RIGHT;
        key = 0;
        ExitByKey();
        app::MoveFocus(this, forward);
    } else if ((key == fw::VK_UP || key == fw::VK_DOWN) && shift == fw::ssNone && Entered) {
        const bool forward = key == fw::VK_DOWN;
        key = 0;
        ExitByKey();
        app::MoveFocus(this, forward);
    } else if ((key == fw::VK_PRIOR || key == fw::VK_NEXT) && (shift == fw::ssNone || shift == fw::ssCtrl)) {
        auto* form = dynamic_cast<TMyForm*>(Owner());
        if (form && form->BrowseTable && app::HasRecords(form->BrowseTable)) {
            const bool prior = key == fw::VK_PRIOR;
            key = 0;
            LeftByKey = true;
            ExitByKey();
            if (prior)
                form->BrowseTable->Prior();
            else
                form->BrowseTable->Next();
            if (form->ActiveControl() == this) {
                DoEnter();
                if (ReadOnly())
                    SetSelLength(0);
                else
                    SelectAll();
            } else if (Visible() && !(Enabled() && TabStop() && CanFocus())) {
                app::MoveFocus(this, true);
            }
        }
    }
    fw::DBEdit::KeyDown(key, shift);
}

bool TKitEdit::TakePending() {
    if (!Entered || !TextEdited) return true;
    LeftByKey = true;
    Kit.AdvanceAllowed = true;
    ExitByKey();
    if (Kit.AdvanceAllowed) return true;
    // Refused as Enter refuses it: the user stays in the edit.
    DoEnter();
    SelectAll();
    return false;
}

void TKitEdit::KeyPress(std::uint8_t& key) {
    HeldOfVisit.KeyRefused(*this, DataSet(), key, SavedFontColor);
    if (key == 13 && Entered) {
        key = 0;
        // Keys the files refused are not dropped by Enter: it tells why again, and the user stays.
        RaiseTypingRefusal();
        LeftByKey = true;
        ExitByKey();
        if (Kit.AdvanceAllowed) {
            app::MoveFocus(this, true);
        } else {
            SelectAll();
            DoEnter();
        }
    } else if (key >= 32 && !Entered) {
        key = 0;
    } else if (!ReadOnly() && TakesTextKey(*this, DataSet(), key, toldNoRecord_) && OwnerRecord) {
        TakesTextKey(*this, OwnerRecord, key, toldNoRecord_);
    }
    fw::DBEdit::KeyPress(key);
}

bool NoteTextChange(const fw::Component& control, bool entered, bool readOnly, fw::TDataSet* dataSet,
                    bool& textEdited) {
    if (control.Reading() || !entered) return false;
    if (!readOnly) {
        textEdited = true;
        return false;
    }
    if (dataSet) dataSet->Cancel();
    return true;
}

void TKitEdit::Change() {
    fw::DBEdit::Change();
    NoteTextChange(*this, Entered, ReadOnly(), DataSet(), TextEdited);
}

// ------------------------------------------------------------------------------------------- name edits

void TDBName::Loaded() {
    TKitEdit::Loaded();
    Lock();
}

void SetEditLocked(fw::Control& edit, bool locked) {
    if (edit.TabStop() != locked) return;
    edit.SetTabStop(!locked);
    edit.SetColor(locked ? fw::clBtnFace : fw::clWindow);
}

void TDBName::Lock() {
    SetEditLocked(*this, true);
}

void TDBName::Unlock() {
    SetEditLocked(*this, false);
}

void TDBName::Change() {
    fw::DBEdit::Change();
    if (Reading()) return;
    if (Entered) {
        TextEdited = true;
        return;
    }
    FollowRecord();
}

void TDBName::FollowRecord() {
    if (Entered) return;
    fw::TDataSource* source = DataSource();
    fw::TDataSet* ds = DataSet();
    if (!source || !ds || !ds->Active()) return Lock();
    if (ds->RecordCount() == 0 || ds->State() == fw::dsInsert) {
        if (OpenOnNewRecord())
            Unlock();
        else
            Lock();
    } else if (ds->State() == fw::dsSetKey && source->Tag != 99) {
        // a key search shows its key, not a record
    } else if (Text().empty()) {
        Unlock();
    } else {
        Lock();
    }
}

bool TDBName2::OpenOnNewRecord() const {
    return app::MasterValuesPresent(dynamic_cast<fw::TTable*>(DataSet()));
}

} // namespace kit
