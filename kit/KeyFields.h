#pragma once
// The key field of a data form: the edit that owns a register's code. Enter looks the typed code up through
// the table's key index and moves the table to its record; a code not in the table is offered for creation
// (or, for a record that has a code, for renaming it); Ctrl+Del deletes the record of the code after a
// question; a code typed and never confirmed is undone when the edit is left.
//
// TDBKeyField is the usual control; TDBKey creates a new code without asking and never renames; TDBJustKey
// only positions the table (no dialogs, no creation).

#include "fw/db/DataSetState.h"
#include "fw/ui/DBCtrls.h"
#include "kit/HeldRecord.h"
#include "kit/Mycombo.h"

#include <QFont>

namespace fw {
class TTable;
}

namespace fw {
class TTable;
}

namespace kit {

// The pop-out look of a focused key control: applied once at entry and undone once at the leave (a second
// entry without a leave does not grow it again).
class FocusLook {
public:
    // Without colours only the pop-out applies (the lookups that grow but are not coloured).
    void Apply(fw::Control& control, bool popOut, bool colours = true);
    void Undo(fw::Control& control);
    bool Applied() const { return applied_; }

private:
    bool applied_ = false;
    bool poppedOut_ = false;
    bool coloured_ = false;
    QFont font_;
};

// Whether a field name is one of the names of a ";" list (whole names, any case).
bool ListHasField(const std::string& list, const std::string& field);

class TDBKeyField : public fw::DBEdit, public CodeControl {
public:
    explicit TDBKeyField(fw::Control* parent, fw::Component* owner = nullptr);

    bool Capitalize = true;
    // The code's name in dialog captions; the field's DisplayLabel when left empty.
    std::string DisplayName;
    fw::NotifyEvent OnExitChanged;
    // Sender: the parent form (its Tag is 2 while the handler runs its picker).
    fw::NotifyEvent OnF2Press;
    // Sender: the table. OnNew sees the new record in edit; OnRename the record still holding the old code;
    // OnDelete the record about to go.
    fw::TDataSetNotifyEvent OnNew;
    fw::TDataSetNotifyEvent OnRename;
    fw::TDataSetNotifyEvent OnDelete;

    bool TextEdited = false;
    bool ExitDone = false;
    bool Found = false;
    bool Entered = false;
    bool Analysed = false;
    std::string SavedMasterFields;
    bool KeyIndexIsName = false;
    std::string KeyIndex;
    std::string EntryText;
    std::string OldCode;
    // The table's count of told refusals when the field took OldCode.
    int RefusalsAtEntry = 0;

    void Loaded() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(std::uint16_t& key, fw::Shift shift) override;
    void KeyPress(std::uint8_t& key) override;
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;

    // Works out the key index once and puts the table on it.
    virtual void PrepareKeyIndex();
    // Settles the typed code: search, creation, rename or restore; never throws.
    void SearchCode() override;
    bool TakePending() override;
    // The visit goes on from the record the table shows now (another station changed or deleted the one
    // the field was entered on).
    void StartOverOnRecordShown();
    // Deletes the record of the current code after the question.
    void DeleteCode();
    // The end of a visit: an unconfirmed code is undone, the look restored, OnExit and OnExitChanged fired.
    void LeaveKey();

    fw::TTable* Table() const;

protected:
    enum class Kind { KeyField, Key, JustKey, Field, CodeField };
    enum class Outcome { Accepted, AcceptedExisting, Restored, Refused };
    TDBKeyField(fw::Control* parent, fw::Component* owner, Kind kind);
    void Change() override;
    // The typed code is settled by the control itself before any leave, never written by the exit.
    void ExitCheck() override;
    bool SettleBeforeLeave() override { return TakePending(); }

    // The settling of the typed code inside the search (the controls disabled until enableControls).
    virtual Outcome Settle(fw::TTable& table, bool wasEditing, const std::function<void()>& enableControls);
    Outcome SetOutcome(Outcome outcome) { return lastOutcome_ = outcome; }
    // The name fields: a value unique among the records of one master, not the table's key.
    bool NameKind() const { return kind_ == Kind::Field || kind_ == Kind::CodeField; }
    // Looks a code up through the key; true when found. False also when no key search could start.
    bool Lookup(fw::TTable& table, const std::string& code, bool& searched);
    // Appends a record with the code and posts it; nothing is written when no record could be started.
    Outcome Create(fw::TTable& table, const std::string& code, const std::function<void()>& enableControls);
    // True, after telling so, when the table left the record the field was entered on while the user typed.
    bool MovedOffUnderField(fw::TTable& table);
    // The visit goes on from the record the table shows now, as if entered there.
    void StartOver(fw::TTable& table);
    void ShowCode(const std::string& code);
    void KeepTypedCode(fw::TTable& table, const std::string& typed);
    void WriteKey(fw::TTable& table, const std::string& code);

private:
    // Runs the edit's own key handling; true when the table refused the key because the record shown went
    // away or changed, and the visit started over on the record shown.
    bool StartedOverAfterRefusal(const std::function<void()>& handle);
    void StepBack(fw::TTable& table);
    void StepForward(fw::TTable& table);
    // Drops an unconfirmed typed code (only the key field) or posts the record's edit.
    void DropOrPost(fw::TTable& table);
    void PageToRecord(bool prior);
    // After a settled code the focus goes on to the record's own next field: past the controls of the
    // records this one belongs to (a unit, a group), into a name the new record leaves open.
    void MoveOnFromCode(bool forward);
    // Leaves the control before an arrow moves the focus, for the controls that settle nothing on arrows.
    void ExitBeforeArrow();
    bool Confirming() const;
    // The text holds as many characters as the field (a typed one would replace none of them).
    bool FieldFull() const;
    // A refusal of OnExitChanged: the record and its master's are cancelled, the entered code comes back.
    void RollBackExitChanged(fw::TTable& table);

    Kind kind_;
    Outcome lastOutcome_ = Outcome::Accepted;
    // The text is a code the files refused, kept for the user (not the record's code).
    bool keptTyped_ = false;
    fw::TColor SavedFontColorOfVisit = 0;
    // Another station holds the record of this visit.
    HeldRecord HeldOfVisit;
    FocusLook look_;
};

class TDBKey : public TDBKeyField {
public:
    explicit TDBKey(fw::Control* parent, fw::Component* owner = nullptr);
    void Loaded() override;
};

class TDBJustKey : public TDBKeyField {
public:
    explicit TDBJustKey(fw::Control* parent, fw::Component* owner = nullptr);
};

// A value unique among the records of the same master that is not the table's key: searched on its own
// index while the table stays on its own; a taken value is refused, a free one written without a question
// (a new record when the current one had none, else a change of the current record).
class TDBField : public TDBKeyField {
public:
    explicit TDBField(fw::Control* parent, fw::Component* owner = nullptr);

    // An empty, untouched value may not be left by Enter.
    bool Required = false;
    bool TableIndexIsName = false;
    std::string TableIndex;
    std::string SearchIndex;
    std::string KeyPrefix;
    std::string MasterPrefix;

    void PrepareKeyIndex() override;

protected:
    TDBField(fw::Control* parent, fw::Component* owner, Kind kind);
    Outcome Settle(fw::TTable& table, bool wasEditing, const std::function<void()>& enableControls) override;

private:
    void RestoreTableIndex(fw::TTable& table);
    // Looks the value up on the search index among the records of the same master.
    bool ValueTaken(fw::TTable& table, const std::string& value, bool& searched);
};

// A name field that is required by default and opens only for a record without a value: while it is not
// entered it greys itself out of the tab order whenever the record shown has a value (or a new record has no
// master yet). It has no read-only visit and no pop-out look (only the colours).
class TDBCodeField : public TDBField {
public:
    explicit TDBCodeField(fw::Control* parent, fw::Component* owner = nullptr);
    void Loaded() override;

protected:
    void Change() override;

private:
    void Lock();
    void Unlock();
};

} // namespace kit
