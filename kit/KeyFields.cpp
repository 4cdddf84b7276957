#include "kit/KeyFields.h"

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "app/data/Useful.h"
#include "app/shell/CodeDialogs.h"
#include "app/shell/FocusNavigation.h"
#include "app/shell/FormOpener.h"
#include "app/shell/Hints.h"
#include "base/Cp1250.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "fw/ui/Form.h"
#include "fw/ui/Guard.h"
#include "kit/ControlsHeld.h"
#include "kit/Mycombo2.h"
#include "kit/MyForm.h"
#include "kit/MyTable.h"
#include "kit/RequiredFields.h"

#include <QFontInfo>

#include <algorithm>
#include <utility>

namespace kit {

namespace {
constexpr unsigned BeepQuestion = 32;

std::string Trimmed(std::string s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// How many edits the table refused, with the word, because the record shown had gone or changed.
int RefusalsTold(const fw::TTable& table) {
    const auto* mine = dynamic_cast<const TMyTable*>(&table);
    return mine ? mine->RefusalsTold() : 0;
}
} // namespace

bool ListHasField(const std::string& list, const std::string& field) {
    const std::string wanted = base::UpperCase(Trimmed(field));
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        if (base::UpperCase(Trimmed(list.substr(start, end - start))) == wanted) return true;
        start = end + 1;
    }
    return false;
}

// ------------------------------------------------------------------------------------------- look

void FocusLook::Apply(fw::Control& control, bool popOut, bool colours) {
    const auto& fancy = app::Settings.CommonSettings.Fancy;
    const bool colour = colours && fancy.Bojaj;
    popOut = popOut && fancy.Skoci;
    if (applied_ || (!popOut && !colour)) return;
    applied_ = true;
    poppedOut_ = popOut;
    coloured_ = colour;
    control.SetTag(99);
    if (colour) {
        control.SetFontColor(static_cast<fw::TColor>(fancy.Font));
        control.SetColor(static_cast<fw::TColor>(fancy.Boja));
    }
    if (popOut) {
        font_ = control.Widget().font();
        QFont larger = font_;
        larger.setPixelSize(QFontInfo(font_).pixelSize() + 3);
        larger.setBold(true);
        control.Widget().setFont(larger);
    }
    control.SetTag(1);
    if (popOut)
        control.SetBounds(control.Left() - 2, control.Top() - 2, control.Width() + 4, control.Height() + 4);
}

void FocusLook::Undo(fw::Control& control) {
    if (!applied_) return;
    applied_ = false;
    control.SetTag(99);
    if (poppedOut_) control.Widget().setFont(font_);
    if (coloured_) {
        control.SetFontColor(fw::clWindowText);
        control.SetColor(fw::clWindow);
    }
    control.SetTag(1);
    if (poppedOut_)
        control.SetBounds(control.Left() + 2, control.Top() + 2, control.Width() - 4, control.Height() - 4);
}

// ------------------------------------------------------------------------------------------- key field

TDBKeyField::TDBKeyField(fw::Control* parent, fw::Component* owner)
    : TDBKeyField(parent, owner, Kind::KeyField) {}

TDBKeyField::TDBKeyField(fw::Control* parent, fw::Component* owner, Kind kind)
    : fw::DBEdit(parent, owner), kind_(kind) {
    SetHeight(21);
}

TDBKey::TDBKey(fw::Control* parent, fw::Component* owner) : TDBKeyField(parent, owner, Kind::Key) {}

TDBJustKey::TDBJustKey(fw::Control* parent, fw::Component* owner)
    : TDBKeyField(parent, owner, Kind::JustKey) {}

fw::TTable* TDBKeyField::Table() const {
    return dynamic_cast<fw::TTable*>(DataSet());
}

bool TDBKeyField::Confirming() const {
    return kind_ == Kind::Key && app::Settings.CommonSettings.Fancy.ConfirmKey;
}

void TDBKeyField::Loaded() {
    fw::DBEdit::Loaded();
    SetTag(0);
    Analysed = false;
    Entered = false;
    ExitDone = false;
    try {
        PrepareKeyIndex();
    } catch (const std::exception&) {
        // an unready table is prepared again at entry
    }
}

void TDBKey::Loaded() {
    TDBKeyField::Loaded();
    if (app::Settings.CommonSettings.Fancy.ConfirmKey) SetColor(fw::clBtnFace);
}

void TDBKeyField::PrepareKeyIndex() {
    fw::TTable* table = Table();
    if (!Analysed) {
        if (!DataSource() || !table || DataField().empty()) return;
        SavedMasterFields = table->MasterFields();
        SetDataField(base::UpperCase(DataField()));
        const std::string fields = base::UpperCase(table->IndexFieldNames());
        const std::string name = base::UpperCase(table->IndexName());
        // Field lists are matched by whole names; an index name can only be searched for the field's name.
        const bool inIndex = ListHasField(fields, DataField()) ||
                             (fields.empty() && !name.empty() && name.find(DataField()) != std::string::npos);
        KeyIndexIsName = !table->IndexName().empty();
        KeyIndex = KeyIndexIsName ? name : fields;
        if (!inIndex) {
            KeyIndexIsName = false;
            KeyIndex = table->MasterFields().empty() || KeyIndex.empty() ? DataField()
                                                                         : KeyIndex + ";" + DataField();
        }
        Analysed = true;
    }
    const std::string& current = KeyIndexIsName ? table->IndexName() : table->IndexFieldNames();
    if (current == KeyIndex) return;
    // Back to the record the table was on once it runs on the key index.
    const fw::TBookmark mark =
        table->Active() && table->State() == fw::dsBrowse ? table->GetBookmark() : fw::TBookmark();
    table->SetMasterFields("");
    if (KeyIndexIsName)
        table->SetIndexName(KeyIndex);
    else
        table->SetIndexFieldNames(KeyIndex);
    table->SetMasterFields(SavedMasterFields);
    if (!mark.empty() && table->BookmarkValid(mark)) table->GotoBookmark(mark);
}

void TDBKeyField::DoEnter() {
    if (kind_ == Kind::Field) {
        // A record another station holds is shown read-only and grey for the visit.
        if (app::DBMine.MultiUser) {
            HeldOfVisit.Enter(*this, DataSet(), SavedFontColorOfVisit);
        } else {
            app::PostPendingEdits(DataSet());
        }
    }
    Kit.AdvanceAllowed = true;
    ExitDone = false;
    keptTyped_ = false;
    settledText_.reset();
    if (!Confirming()) look_.Apply(*this, kind_ != Kind::CodeField);
    TextEdited = false;
    Found = false;
    fw::TTable* table = nullptr;
    try {
        PrepareKeyIndex();
        if (!Analysed) app::AbortWithMessage("Komponenta \"" + Name() + "\" nije potpuno definirana");
        table = Table();
        Entered = true;
        OldCode = table->State() == fw::dsInsert ? std::string() : Text();
        RefusalsAtEntry = RefusalsTold(*table);
        // Entering the empty key of a browsed table starts a new record.
        if (OldCode.empty() && table->State() != fw::dsInsert && !NameKind()) app::PostAndAppend(table);
    } catch (const std::exception&) {
    }
    if (kind_ != Kind::JustKey && kind_ != Kind::CodeField)
        TextEdited = table && table->State() == fw::dsInsert;
    EntryText = OldCode;
    fw::DBEdit::DoEnter();
    if (app::Hints.HintFollowFocus && !Confirming() && table)
        app::ShowFieldHint(this, table->DatabaseName(), table->TableName(), DataField());
    if (Confirming() && Entered)
        SearchCode();
    else
        SelectAll();
}

void TDBKeyField::DoExit() {
    if (kind_ == Kind::Field && ReadOnly()) {
        SetReadOnly(false);
        SetFontColor(SavedFontColorOfVisit);
        if (app::CanEdit(DataSet())) DataSet()->Refresh();
    }
    if (!ExitDone && Analysed) LeaveKey();
}

void TDBKeyField::ExitCheck() {
    // The typed code is never written by the exit: it was settled before the leave.
}

void TDBKeyField::Change() {
    fw::DBEdit::Change();
    NoteTextChange(*this, Entered, ReadOnly(), DataSet(), TextEdited);
}

void TDBKeyField::KeepTypedCode(fw::TTable& table, const std::string& typed) {
    // The files refused the search or the new record: the code stays in the edit, still the user's, for
    // Enter to try again.
    fw::Guarded([&] {
        if (table.State() == fw::dsSetKey) table.Cancel();
    });
    ShowCode(typed);
    TextEdited = true;
    keptTyped_ = true;
}

void TDBKeyField::ShowCode(const std::string& code) {
    SetText(code);
    DataLink().ClearModified();
}

void TDBKeyField::WriteKey(fw::TTable& table, const std::string& code) {
    // The code is typed text: the field's own reading of it (a date rule, say) applies.
    table.FieldByName(DataField()).SetText(code);
}

bool TDBKeyField::WantsKey(std::uint16_t key, fw::Shift shift) const {
    return key == fw::VK_RETURN || key == fw::VK_UP || key == fw::VK_DOWN || fw::DBEdit::WantsKey(key, shift);
}

void TDBKeyField::KeyPress(std::uint8_t& key) {
    // Taken before Enter's search, which may keep a code anew.
    const bool kept = std::exchange(keptTyped_, false);
    HeldOfVisit.KeyRefused(*this, DataSet(), key, SavedFontColorOfVisit);
    if (key == 13) {
        if (Entered) {
            SearchCode();
            key = 0;
        }
    } else if (key >= 32) {
        if (!Entered) {
            key = 0;
        } else if (FieldFull()) {
            // A longer code could only be cut into another, existing one.
            key = 0;
            fw::MessageBeep(0);
        } else if (Capitalize) {
            key = base::Cp1250Upper(key);
        }
    }
    if (!kept) {
        if (StartedOverAfterRefusal([&] { fw::DBEdit::KeyPress(key); })) key = 0;
        return;
    }
    // A code kept after the files refused it is not the record's: the edit the key starts shows the record
    // again, and the code typed comes back with its selection.
    const std::string typed = Text();
    const int start = SelStart();
    const int length = SelLength();
    if (StartedOverAfterRefusal([&] { fw::DBEdit::KeyPress(key); })) {
        key = 0;
        return;
    }
    if (Text() == typed) return;
    ShowCode(typed);
    if (length > 0)
        setSelection(start, length);
    else
        setCursorPosition(start);
}

bool TDBKeyField::StartedOverAfterRefusal(const std::function<void()>& handle) {
    try {
        handle();
        return false;
    } catch (const std::exception& e) {
        // The key would have put the record into edit and was refused with a word (another station deleted
        // or changed it, and it is shown afresh): the visit starts over on the record shown, its code
        // selected, so the next key replaces it and a code typed then is settled against that record.
        fw::TTable* table = Table();
        if (!base::IsSilent(e) || !Entered || !table || table->State() != fw::dsBrowse) throw;
        StartOver(*table);
        return true;
    }
}

bool TDBKeyField::FieldFull() const {
    const fw::TField* f = Field();
    if (!f || f->DataType() != fw::ftString || f->Size() <= 0) return false;
    const std::size_t kept = base::CharCount(Text()) - static_cast<std::size_t>(std::max(0, SelLength()));
    return kept >= static_cast<std::size_t>(f->Size());
}

void TDBKeyField::KeyDown(std::uint16_t& key, fw::Shift shift) {
    fw::TTable* table = Table();
    const bool anyCtrl = (shift & fw::ssCtrl) != 0;
    if (key == fw::VK_F1) {
        key = 0;
        app::ToggleFieldHint(this, table, DataField(), shift != fw::ssNone);
    } else if (key == fw::VK_F2 && shift == fw::ssNone && Entered && OnF2Press) {
        TextEdited = true;
        if (OldCode.empty()) {
            app::CancelEdit(table);
        } else {
            ShowCode(OldCode);
            app::PostEditKeepInsert(table);
        }
        key = 0;
        if (fw::Form* form = ParentForm()) {
            fw::SetTagState(*form, app::TagHiddenForOther);
            OnF2Press(*form);
        }
    } else if ((key == fw::VK_LEFT || key == fw::VK_RIGHT) && shift == fw::ssNone && Entered &&
               Text().empty()) {
        const bool forward = key == fw::VK_RIGHT;
        key = 0;
        ExitBeforeArrow();
        app::MoveFocus(this, forward);
    } else if (NameKind() && (key == fw::VK_UP || key == fw::VK_DOWN) && shift == fw::ssNone) {
        if (Entered) {
            const bool forward = key == fw::VK_DOWN;
            key = 0;
            if (kind_ == Kind::CodeField) ExitBeforeArrow();
            app::MoveFocus(this, forward);
        }
    } else if (NameKind() && (key == fw::VK_PRIOR || key == fw::VK_NEXT) &&
               (shift == fw::ssNone || shift == fw::ssCtrl)) {
        auto* form = dynamic_cast<TMyForm*>(Owner());
        if (form && form->BrowseTable && app::HasRecords(form->BrowseTable)) {
            const bool prior = key == fw::VK_PRIOR;
            key = 0;
            PageToRecord(prior);
        }
    } else if (Entered && table &&
               ((key == fw::VK_UP && shift == fw::ssNone) ||
                (key == fw::VK_PRIOR && (shift == fw::ssNone || shift == fw::ssCtrl)))) {
        key = 0;
        StepBack(*table);
    } else if (Entered && table &&
               ((key == fw::VK_DOWN && shift == fw::ssNone) ||
                (key == fw::VK_NEXT && (shift == fw::ssNone || shift == fw::ssCtrl)))) {
        key = 0;
        StepForward(*table);
    } else if (key == fw::VK_INSERT && shift == fw::ssNone) {
        if (kind_ == Kind::KeyField) app::PostAndAppend(table);
    } else if (key == fw::VK_DELETE &&
               (kind_ == Kind::Key || kind_ == Kind::JustKey ? anyCtrl : shift == fw::ssCtrl)) {
        if (Entered && !OldCode.empty()) {
            if (Kit.DeleteKeyEnabled) DeleteCode();
            key = 0;
        }
    }
    if (StartedOverAfterRefusal([&] { fw::DBEdit::KeyDown(key, shift); })) key = 0;
}

void TDBKeyField::ExitBeforeArrow() {
    if (kind_ == Kind::JustKey || kind_ == Kind::CodeField) DoExit();
}

void TDBKeyField::PageToRecord(bool prior) {
    auto* form = dynamic_cast<TMyForm*>(Owner());
    Kit.AdvanceAllowed = false;
    SearchCode();
    Kit.AdvanceAllowed = true;
    if (kind_ == Kind::CodeField) {
        // Left on the old record, entered again on the new one.
        TextEdited = true;
        DoExit();
    }
    if (prior)
        form->BrowseTable->Prior();
    else
        form->BrowseTable->Next();
    if (form->ActiveControl() == this) {
        DoEnter();
        if (kind_ != Kind::CodeField) {
            TextEdited = true;
            DoExit();
            DoEnter();
        }
        SelectAll();
    } else if (Visible() && !(Enabled() && TabStop() && CanFocus())) {
        app::MoveFocus(this, true);
    }
}

void TDBKeyField::DropOrPost(fw::TTable& table) {
    if (Text() != OldCode) {
        // Only the typed code is dropped; the record's other changes stay and are posted.
        DataLink().Reset();
        if (app::IsEditing(&table) && !OldCode.empty() &&
            table.FieldByName(DataField()).AsString() != OldCode)
            WriteKey(table, OldCode);
    }
    if (table.State() == fw::dsEdit) table.Post();
}

void TDBKeyField::StepBack(fw::TTable& table) {
    if (table.State() != fw::dsInsert) {
        DropOrPost(table);
        if (!table.Bof()) table.Prior();
        OldCode = table.State() == fw::dsInsert ? std::string() : Text();
    } else if (OldCode.empty()) {
        app::CancelEdit(&table);
        if (app::HasRecords(&table)) {
            OldCode = Text();
        } else {
            app::PostAndAppend(&table);
            OldCode.clear();
        }
    }
    SelectAll();
}

void TDBKeyField::StepForward(fw::TTable& table) {
    if (table.State() != fw::dsInsert) {
        DropOrPost(table);
        if (!table.Eof()) table.Next();
        if (table.Eof()) {
            if (kind_ == Kind::JustKey)
                fw::MessageBeep(BeepQuestion);
            else
                app::PostAndAppend(&table);
        }
        OldCode = table.State() == fw::dsInsert ? std::string() : Text();
    }
    SelectAll();
}

bool TDBKeyField::Lookup(fw::TTable& table, const std::string& code, bool& searched) {
    searched = app::PostAndSetKey(DataSource());
    if (!searched) return false;
    // Codes other stations created since the table was read are searched too.
    table.Cancel();
    table.Refresh();
    table.SetKey();
    app::CopyMasterFields(&table);
    try {
        WriteKey(table, code);
    } catch (const std::exception&) {
        fw::MessageBeep(BeepQuestion);
        table.Cancel();
        throw base::Abort();
    }
    return table.GotoKey();
}

bool TDBKeyField::TakePending() {
    // Only a code typed over the record's own is settled; an empty new record is simply left, and so is the
    // code of a record the table moved to under the field (the leave starts over on it).
    if (!Entered || !TextEdited || Text().empty() || Text() == OldCode || SettledAlready(Text())) return true;
    if (fw::TTable* table = Table(); table && table->State() == fw::dsBrowse && app::HasRecords(table) &&
                                     Text() == table->FieldByName(DataField()).AsString())
        return true;
    // A creation the user declined took the code back: the close goes on. A value the form refused keeps
    // the user here.
    const bool taken = SettleInPlace();
    if (!taken && !Entered) DoEnter();
    return taken;
}

void TDBKeyField::SearchCode() {
    fw::TTable* table = Table();
    if (!table || !Analysed) return;
    const RequiredChecksAside aside;
    const bool wasEditing = app::IsEditing(table);
    const std::string typed = Text();
    Outcome outcome = Outcome::Accepted;
    {
        ControlsHeld controls(table);
        try {
            outcome = Settle(*table, wasEditing, [&] { controls.Enable(); });
        } catch (const std::exception& e) {
            // A refused key assignment sets the outcome before it aborts; an engine failure is told.
            outcome = lastOutcome_;
            controls.Enable(false);
            if (outcome == Outcome::Refused && !base::IsSilent(e)) KeepTypedCode(*table, typed);
            app::TellRefusal(e);
        }
    }
    Found = outcome == Outcome::Accepted || outcome == Outcome::AcceptedExisting;
    fw::Guarded([&] {
        if (outcome == Outcome::Refused) {
            SetFocus();
            if (ReadOnly())
                SetSelLength(0);
            else
                SelectAll();
            return;
        }
        if (wasEditing && kind_ == Kind::CodeField) app::StartEdit(table);
        LeaveKey();
        if (wasEditing && kind_ != Kind::JustKey && kind_ != Kind::CodeField) app::StartEdit(table);
        if (settleInPlace_) {
            if (!Kit.AdvanceAllowed) SelectAll();
        } else if (kind_ == Kind::Key || Kit.AdvanceAllowed) {
            MoveOnFromCode(Found);
        } else {
            if (kind_ == Kind::KeyField || kind_ == Kind::Field) DoEnter();
            SelectAll();
            Kit.AdvanceAllowed = true;
        }
    });
    if (Entered) settledText_ = Text();
}

namespace {
// Whether the data set is the table's master, or a master of its master.
bool OwnsRecordsOf(const fw::TDataSet* candidate, const fw::TTable& table) {
    const fw::TTable* t = &table;
    for (int depth = 0; t && depth < 8; ++depth) {
        const fw::TDataSource* master = t->MasterSource();
        if (!master || !master->DataSet()) return false;
        if (master->DataSet() == candidate) return true;
        t = dynamic_cast<const fw::TTable*>(master->DataSet());
    }
    return false;
}
} // namespace

void TDBKeyField::MoveOnFromCode(bool forward) {
    fw::Form* form = ParentForm();
    fw::TTable* table = Table();
    if (!forward || !form || !table) return app::MoveFocus(this, forward);
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* name = dynamic_cast<TDBName*>(form->Components(i)); name && name->DataSet() == table)
            name->FollowRecord();
    fw::Control* next = this;
    for (int step = 0; step < form->ComponentCount(); ++step) {
        next = form->FindNextControl(next, forward, true);
        if (!next || next == this) break;
        const auto* data = dynamic_cast<const fw::DataControl*>(next);
        if (!data || !OwnsRecordsOf(data->DataSet(), *table)) {
            next->SetFocus();
            return;
        }
    }
    app::MoveFocus(this, forward);
}

TDBKeyField::Outcome TDBKeyField::Settle(fw::TTable& table, bool wasEditing,
                                         const std::function<void()>& enableControls) {
    auto set = [this](Outcome o) { return lastOutcome_ = o; };
    // Until the code is settled, a failure on the way (the files refuse even the reread) keeps it typed.
    set(Outcome::Refused);
    std::string code = Text();
    if (wasEditing) {
        app::NormalizeText(code);
        if (Text() != code) SetText(code);
    }
    if (DisplayName.empty() && Field()) DisplayName = Field()->DisplayLabel();
    if (!TextEdited) return set(code.empty() ? Outcome::Refused : Outcome::Accepted);
    if (code.empty()) {
        ShowCode(OldCode);
        return set(Outcome::Restored);
    }
    if (MovedOffUnderField(table)) return set(Outcome::Refused);
    // The typed code is settled here: no post on the way may write it into the current record.
    DataLink().ClearModified();
    bool searched = false;
    set(Outcome::Refused);
    const bool found = Lookup(table, code, searched);
    set(Outcome::Accepted);
    if (!searched) return Outcome::Accepted;
    if (found) {
        if (kind_ == Kind::KeyField) {
            // The code as stored: a search that ignores case finds "m" for a typed "M" and keeps it so.
            OldCode = table.FieldByName(DataField()).AsString();
            enableControls();
            if (app::StartEdit(&table)) WriteKey(table, OldCode);
        }
        return Outcome::Accepted;
    }
    if (kind_ == Kind::JustKey) {
        fw::MessageBeep(BeepQuestion);
        if (table.Modified()) table.Cancel();
        return Outcome::Accepted;
    }
    if (kind_ == Kind::Key || app::AskNovo(DisplayName, code)) {
        set(Outcome::Refused);
        const Outcome created = Create(table, code, enableControls);
        if (kind_ == Kind::Key && created != Outcome::Refused) ShowCode(OldCode);
        return set(created);
    }
    if (OldCode.empty()) {
        app::CancelEdit(&table);
        return set(Outcome::Refused);
    }
    if (!app::AskStaro(DisplayName, OldCode, code)) {
        enableControls();
        if (app::StartEdit(&table)) WriteKey(table, OldCode);
        return set(Outcome::Restored);
    }
    // The rename: back on the record of the old code, whatever happened to the current position.
    set(Outcome::Refused);
    if (!Lookup(table, OldCode, searched)) {
        if (searched) table.Cancel();
        enableControls();
        ShowCode(OldCode);
        return Outcome::Refused;
    }
    enableControls();
    if (app::StartEdit(&table) && OnRename) OnRename(table);
    if (app::StartEdit(&table)) {
        WriteKey(table, code);
        try {
            table.Post();
        } catch (const std::exception&) {
            table.Cancel();
            ShowCode(OldCode);
            throw;
        }
    }
    OldCode = code;
    return set(Outcome::Accepted);
}

// The field remembers the value of the record it was entered on. Another station's delete, taken in while
// the user was in the field, moves the table to a neighbour; a value typed then would be settled against the
// remembered one (a rename of a record that is gone, asked with its code). The typing is refused with a word
// and the field starts over on the record it stands on now.
bool TDBKeyField::MovedOffUnderField(fw::TTable& table) {
    if (!app::DBMine.MultiUser || (kind_ != Kind::KeyField && kind_ != Kind::Field) || OldCode.empty() ||
        table.State() == fw::dsInsert)
        return false;
    if (table.State() == fw::dsBrowse) table.Refresh();
    const bool onRecord = app::HasRecords(&table);
    const std::string shown = onRecord ? table.FieldByName(DataField()).AsString() : std::string();
    if (onRecord && shown == OldCode) return false;
    // Nothing typed over the record that went (the user only leaves, after another control's edit was
    // refused, say): the visit goes on from the record shown, and the leave with it.
    const bool typed = TextEdited || Text() != shown;
    // The first key typed may have been refused already, with the word.
    const bool told = RefusalsTold(table) != RefusalsAtEntry;
    StartOver(table);
    if (!typed) return false;
    if (!told) app::ShowInfo(RecordDeletedText);
    return true;
}

void TDBKeyField::StartOverOnRecordShown() {
    if (fw::TTable* table = Table(); table && Entered) StartOver(*table);
}

void TDBKeyField::StartOver(fw::TTable& table) {
    OldCode = app::HasRecords(&table) ? table.FieldByName(DataField()).AsString() : std::string();
    RefusalsAtEntry = RefusalsTold(table);
    EntryText = OldCode;
    TextEdited = false;
    ShowCode(OldCode);
    SelectAll();
}

TDBKeyField::Outcome TDBKeyField::Create(fw::TTable& table, const std::string& code,
                                         const std::function<void()>& enableControls) {
    Outcome outcome = Outcome::Accepted;
    if (table.Modified()) app::CancelEdit(&table);
    struct InsertPostOpen {
        fw::TTable& t;
        ~InsertPostOpen() { app::DisableInsertPost(t); }
    } insertPost{table};
    app::EnableInsertPost(table);
    if (!app::PostAndAppend(&table)) {
        // No record could be started: nothing is written anywhere.
        app::CancelEdit(&table);
        enableControls();
        ShowCode(OldCode);
        return Outcome::Refused;
    }
    app::CopyMasterFields(&table);
    WriteKey(table, code);
    fw::TField& key = table.FieldByName(DataField());
    const std::string written = key.AsString();
    std::string stored = code;
    std::string refusal;
    try {
        table.Post();
        // The table's own checks may have given the record another code (a free number in place of
        // one another station took meanwhile): that code stands, the typed one is not written back.
        if (key.AsString() != written) stored = key.AsString();
    } catch (const std::exception& e) {
        if (!base::IsSilent(e)) refusal = e.what();
        // The half-made record goes; the code may have been created by another station meanwhile.
        if (table.State() == fw::dsInsert) table.Cancel();
        table.Refresh();
        outcome = Outcome::Refused;
    }
    lastOutcome_ = outcome == Outcome::Refused ? Outcome::Refused : Outcome::Accepted;
    if (outcome == Outcome::Refused) {
        bool searched = false;
        if (!Lookup(table, code, searched)) {
            if (searched) table.Cancel();
            // Back on the record the visit stands on: the refused new record left the table elsewhere, where
            // the next Enter would take the record for one another station took away.
            if (!OldCode.empty() && !Lookup(table, OldCode, searched) && searched) table.Cancel();
            enableControls();
            // The edit stays on a new, empty record: left on the old one, the next key typed would put
            // the record in edit and be appended to its code.
            if (OldCode.empty()) app::PostAndAppend(&table);
            // A code the files refused is told and stays in the edit for the user to see.
            ShowCode(refusal.empty() ? OldCode : code);
            if (!refusal.empty()) app::TellRefusal(refusal);
            return Outcome::Refused;
        }
        outcome = Outcome::AcceptedExisting;
    }
    OldCode = stored;
    enableControls();
    if (app::StartEdit(&table)) WriteKey(table, OldCode);
    app::DisableInsertPost(table);
    // OnNew only for a record this control created.
    if (outcome == Outcome::Accepted && OnNew && app::StartEdit(&table)) {
        OnNew(table);
        app::PostEditKeepInsert(&table);
    }
    return outcome;
}

void TDBKeyField::DeleteCode() {
    fw::TTable* table = Table();
    if (!table) return;
    const RequiredChecksAside aside;
    {
        ControlsHeld controls(table);
        try {
            if (DisplayName.empty() && Field()) DisplayName = Field()->DisplayLabel();
            if (OldCode.empty()) {
                app::CancelEdit(table);
            } else if (app::AskBrisi(DisplayName, OldCode)) {
                if (table->State() == fw::dsInsert) {
                    // The code's record was never posted: dropping the insert is the delete.
                    table->Cancel();
                } else {
                    if (table->State() == fw::dsEdit) table->Cancel();
                    if (OnDelete) OnDelete(*table);
                    table->Delete();
                }
                table->Last();
                OldCode = app::HasRecords(table) ? table->FieldByName(DataField()).AsString() : std::string();
            } else {
                ShowCode(OldCode);
            }
        } catch (const std::exception& e) {
            controls.Enable(false);
            fw::ShowException(e);
            // A delete refused because the record had gone leaves the table on another one: the code shown
            // is that record's, never the gone one's written into it.
            if (app::HasRecords(table) && table->State() == fw::dsBrowse &&
                table->FieldByName(DataField()).AsString() != OldCode)
                StartOver(*table);
        }
    }
    LeaveKey();
    app::MoveFocus(this, false);
}

void TDBKeyField::LeaveKey() {
    ExitDone = true;
    fw::TTable* table = Table();
    try {
        // Another control's edit, refused because another station's delete took the record away, left the
        // table on a neighbour: the code put back on leaving is the neighbour's own, never the gone one's.
        if (table && !Found && app::DBMine.MultiUser && !OldCode.empty() && table->State() == fw::dsBrowse &&
            app::HasRecords(table) && table->FieldByName(DataField()).AsString() != OldCode)
            StartOver(*table);
        if (table) {
            if (Text().empty()) {
                if (!OldCode.empty()) {
                    ShowCode(OldCode);
                    if (app::StartEdit(table)) WriteKey(*table, OldCode);
                } else {
                    app::CancelEdit(table);
                }
            } else if (!Found && (Text() != OldCode || table->State() == fw::dsInsert)) {
                if (OldCode.empty()) {
                    ShowCode("");
                    app::CancelEdit(table);
                } else if (app::StartEdit(table)) {
                    ShowCode(OldCode);
                    WriteKey(*table, OldCode);
                }
            }
        }
    } catch (const std::exception&) {
    }
    Entered = false;
    if (!Confirming()) {
        if (app::Hints.HintBoxVisible || (app::Hints.HintFollowFocus && ActiveControlNotKit(ParentForm())))
            app::CloseHint();
    }
    fw::DBEdit::DoExit();
    look_.Undo(*this);
    if (!(TextEdited && Found && OnExitChanged) || !table) return;
    Kit.ValueUnchanged = EntryText == Text();
    if (!app::StartEdit(table)) return;
    Kit.OldText = EntryText;
    try {
        OnExitChanged(*this);
    } catch (const std::exception&) {
        fw::Guarded([&] { RollBackExitChanged(*table); });
        Kit.AdvanceAllowed = false;
    }
}

void TDBKeyField::RollBackExitChanged(fw::TTable& table) {
    table.Cancel();
    if (fw::TDataSource* master = table.MasterSource(); master && master->DataSet())
        master->DataSet()->Cancel();
    if (Kit.ValueUnchanged || EntryText.empty()) return;
    // The code entered before comes back: its own record when it still exists (a search moved the table),
    // else it is written back into the renamed record.
    bool searched = false;
    if (Lookup(table, EntryText, searched)) return;
    if (searched) table.Cancel();
    table.Edit();
    ShowCode(EntryText);
    WriteKey(table, EntryText);
    table.Post();
}

} // namespace kit

namespace kit {

// ------------------------------------------------------------------------------------------- name field

namespace {
// The list without its last field (and the ";" before it).
std::string WithoutLastField(const std::string& list) {
    const std::size_t semi = list.find_last_of(';');
    return semi == std::string::npos ? std::string() : list.substr(0, list.find_last_not_of(';', semi) + 1);
}
} // namespace

TDBField::TDBField(fw::Control* parent, fw::Component* owner) : TDBKeyField(parent, owner, Kind::Field) {}

TDBField::TDBField(fw::Control* parent, fw::Component* owner, Kind kind) : TDBKeyField(parent, owner, kind) {}

void TDBField::PrepareKeyIndex() {
    fw::TTable* table = Table();
    if (!Analysed) {
        if (!DataSource() || !table || DataField().empty()) return;
        SetDataField(base::UpperCase(DataField()));
        const std::string fields = base::UpperCase(table->IndexFieldNames());
        const std::string name = base::UpperCase(table->IndexName());
        const bool inIndex = ListHasField(fields, DataField()) ||
                             (fields.empty() && !name.empty() && name.find(DataField()) != std::string::npos);
        SavedMasterFields = table->MasterFields();
        TableIndexIsName = !table->IndexName().empty();
        TableIndex = TableIndexIsName ? name : fields;
        KeyPrefix = TableIndex;
        MasterPrefix = SavedMasterFields;
        if (!inIndex && !TableIndex.empty()) {
            KeyPrefix = WithoutLastField(TableIndex);
            SearchIndex = KeyPrefix.empty() ? DataField() : KeyPrefix + ";" + DataField();
            MasterPrefix = WithoutLastField(MasterPrefix);
        } else {
            SearchIndex = inIndex ? TableIndex : DataField();
        }
        if (TableIndex.empty()) {
            TableIndex = SearchIndex;
            TableIndexIsName = false;
        }
        Analysed = true;
    }
    RestoreTableIndex(*table);
}

void TDBField::RestoreTableIndex(fw::TTable& table) {
    const std::string& current = TableIndexIsName ? table.IndexName() : table.IndexFieldNames();
    if (current == TableIndex && table.MasterFields() == SavedMasterFields) return;
    table.SetMasterFields("");
    // The table goes back to the same kind of index it had.
    if (TableIndexIsName)
        table.SetIndexName(TableIndex);
    else
        table.SetIndexFieldNames(TableIndex);
    table.SetMasterFields(SavedMasterFields);
}

bool TDBField::ValueTaken(fw::TTable& table, const std::string& value, bool& searched) {
    table.SetMasterFields("");
    table.SetIndexFieldNames(SearchIndex);
    table.Refresh();
    searched = app::PostAndSetKey(DataSource());
    if (!searched) return false;
    app::CopyMasterFieldList(&table, KeyPrefix, MasterPrefix);
    try {
        WriteKey(table, value);
    } catch (const std::exception&) {
        fw::MessageBeep(BeepQuestion);
        table.Cancel();
        throw base::Abort();
    }
    const bool found = table.GotoKey();
    if (found) {
        table.Cancel();
        fw::MessageBeep(BeepQuestion);
    }
    return found;
}

TDBKeyField::Outcome TDBField::Settle(fw::TTable& table, bool wasEditing,
                                      const std::function<void()>& enableControls) {
    // Until the value is settled, a failure on the way keeps it typed.
    SetOutcome(Outcome::Refused);
    std::string value = Text();
    if (wasEditing) {
        app::NormalizeText(value);
        if (Text() != value) SetText(value);
    }
    if (DisplayName.empty() && Field()) DisplayName = Field()->DisplayLabel();
    if (!TextEdited) return SetOutcome(value.empty() && Required ? Outcome::Refused : Outcome::Accepted);
    if (value.empty()) {
        ShowCode(OldCode);
        return SetOutcome(Outcome::Restored);
    }
    if (MovedOffUnderField(table)) return SetOutcome(Outcome::Refused);
    DataLink().ClearModified();
    // A record being inserted keeps what was typed into its other fields: it is posted first and then
    // takes the value. A pending edit is posted too; a record that cannot be posted is dropped.
    // A record the files refuse stays in edit with what was typed, and the user hears why.
    bool fillPosted = false;
    if (table.State() == fw::dsInsert) {
        app::EnableInsertPost(table);
        try {
            table.Post();
            fillPosted = OldCode.empty();
        } catch (const std::exception& e) {
            app::DisableInsertPost(table);
            app::TellRefusal(e);
            return SetOutcome(Outcome::Refused);
        }
        app::DisableInsertPost(table);
    } else if (table.State() == fw::dsEdit) {
        try {
            table.Post();
        } catch (const std::exception& e) {
            app::TellRefusal(e);
            return SetOutcome(Outcome::Refused);
        }
    }
    const fw::TBookmark mark = app::HasRecords(&table) ? table.GetBookmark() : fw::TBookmark();
    auto backHome = [&] {
        RestoreTableIndex(table);
        if (!mark.empty() && table.BookmarkValid(mark)) table.GotoBookmark(mark);
    };
    bool searched = false;
    bool taken = false;
    SetOutcome(Outcome::Refused);
    try {
        taken = ValueTaken(table, value, searched);
    } catch (...) {
        backHome();
        throw;
    }
    backHome();
    if (!searched) return SetOutcome(Outcome::Accepted);
    if (taken) return Outcome::Refused;
    if (OldCode.empty() && !fillPosted) {
        app::EnableInsertPost(table);
        struct InsertPostOpen {
            fw::TTable& t;
            ~InsertPostOpen() { app::DisableInsertPost(t); }
        } insertPost{table};
        // No record could be started: nothing is written anywhere.
        if (!app::PostAndAppend(&table)) return Outcome::Refused;
        app::CopyMasterFields(&table);
        WriteKey(table, value);
        try {
            table.Post();
        } catch (const std::exception& e) {
            if (table.State() == fw::dsInsert) table.Cancel();
            table.Refresh();
            app::TellRefusal(e);
            return Outcome::Refused;
        }
    } else if (!OldCode.empty()) {
        enableControls();
        if (app::StartEdit(&table) && OnRename) OnRename(table);
    }
    if (fillPosted || !OldCode.empty()) {
        if (!app::StartEdit(&table)) return Outcome::Refused;
        WriteKey(table, value);
        try {
            table.Post();
        } catch (const std::exception& e) {
            table.Cancel();
            app::TellRefusal(e);
            return Outcome::Refused;
        }
    }
    const bool created = OldCode.empty();
    OldCode = value;
    SetOutcome(Outcome::Accepted);
    enableControls();
    ShowCode(OldCode);
    if (app::StartEdit(&table)) WriteKey(table, OldCode);
    if (created && OnNew && app::StartEdit(&table)) {
        OnNew(table);
        app::PostEditKeepInsert(&table);
    }
    return Outcome::Accepted;
}

// ------------------------------------------------------------------------------------------- code field

TDBCodeField::TDBCodeField(fw::Control* parent, fw::Component* owner)
    : TDBField(parent, owner, Kind::CodeField) {
    Required = true;
}

void TDBCodeField::Loaded() {
    TDBField::Loaded();
    SetTag(NameEditTag);
    Lock();
}

void TDBCodeField::Lock() {
    SetEditLocked(*this, true);
}

void TDBCodeField::Unlock() {
    SetEditLocked(*this, false);
}

void TDBCodeField::Change() {
    fw::DBEdit::Change();
    if (Reading()) return;
    if (Entered) {
        TextEdited = true;
        return;
    }
    // Open only for a record that has no value yet (and, when new, has its master).
    fw::TTable* table = Table();
    if (!table || !table->Active()) return Lock();
    if (table->RecordCount() == 0 || table->State() == fw::dsInsert) {
        if (app::MasterValuesPresent(table))
            Unlock();
        else
            Lock();
    } else if (table->State() == fw::dsSetKey && DataSource()->Tag != 99) {
        // a key search shows its key, not a record
    } else if (Text().empty()) {
        Unlock();
    } else {
        Lock();
    }
}

} // namespace kit
