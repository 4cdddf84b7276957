#pragma once
// The kit's data edits and the kit edit behaviour they share. Entering a kit edit posts a changed record
// (or greys the edit while another station holds it); Enter, PgUp and PgDn leave it by key, which writes
// an edited text into the record and lets the form accept or refuse it in OnExitChanged (a refusal rolls the
// record back and keeps the focus); arrows leave an empty edit; F1 shows the field's hint.
//
// TDBVar is the plain edit; TDBName and TDBName2 take a name only while the record has none (otherwise they
// are greyed and out of the tab order); the percentage edits (PercentEdits.h) compute a second field.

#include "base/Exceptions.h"
#include "fw/ui/DBCtrls.h"
#include "kit/HeldRecord.h"
#include "kit/Mycombo.h"

namespace kit {

// The value a name edit keeps in its Tag: every record that shows an empty name still runs its Change.
inline constexpr std::int32_t NameEditTag = 55;

// What a change of the text means to an entered kit control (nothing while the form is being read or the
// control is not entered): a read-only control is showing a data change of a record held elsewhere, whose
// pending changes are dropped; otherwise the user edited the text. Answers whether it was the read-only case.
bool NoteTextChange(const fw::Component& control, bool entered, bool readOnly, fw::TDataSet* dataSet,
                    bool& textEdited);
// Thrown by an OnExitChanged handler that refuses a value it has already told the user about, while the
// typed text stays in the edit for the user to correct or leave: the record is not written, the focus stays
// and the text is not taken back.
class RefusedKeepingText : public base::Abort {
public:
    RefusedKeepingText() : base::Abort() {}
};

// Takes a name or code edit out of the tab order, greyed, or puts it back.
void SetEditLocked(fw::Control& edit, bool locked);

class TKitEdit : public fw::DBEdit, public KitControl {
public:
    explicit TKitEdit(fw::Control* parent, fw::Component* owner = nullptr);

    // Runs when the edit is left by Enter, PgUp or PgDn after its text was edited; throwing refuses the
    // value (the record is rolled back and a leave by Enter keeps the focus).
    fw::NotifyEvent OnExitChanged;

    fw::TColor SavedFontColor = 0;
    // Another station holds the record of this visit.
    HeldRecord HeldOfVisit;
    bool LeftByKey = false;
    // The record the edit's row belongs to when no master link tells it (a label of the record shown
    // beside it): while that record is not made, the edit takes nothing typed.
    fw::TDataSet* OwnerRecord = nullptr;
    bool TextEdited = false;
    bool ExitDone = false;
    bool Entered = false;
    std::string EntryText;

    void Loaded() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(std::uint16_t& key, fw::Shift shift) override;
    void KeyPress(std::uint8_t& key) override;
    // Enter and the arrows are the edit's own.
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;
    bool TakePending() override;
    // The visit goes on from the value the record shows now (another station changed the one the edit was
    // entered on): nothing typed yet, that value selected.
    void StartOverOnRecordShown();

protected:
    // After the common part of the exit: what a leave by key writes (the plain edits: the handler's turn).
    virtual void LeaveByKey();
    // Whether the field hint is shown on every entry, not only while the hint box follows the focus.
    virtual bool HintOnEveryEntry() const { return false; }
    // The Tag the edit takes when loaded.
    virtual std::int32_t OwnTag() const { return 0; }
    void Change() override;

    // Calls the handler; a refusal cancels the record and its master's, and the next Enter stays.
    void ExitChangedUnchanged();
    // Calls the handler; a refusal puts the entry text back into the record (restore runs after it) and
    // posts.
    void ExitChangedChanged(const std::function<void()>& restore = {});
    void ShowHint() const;

private:
    // Our own exit on a key; when it fails (the field refused the text) the edit stays entered.
    void ExitByKey();
    void CancelWithMaster();
    // A refused text kept on screen: the next entry counts it as typed, against the stored value.
    void KeepRefusedText(const std::string& typed);
    bool keptRefused_ = false;
    // The user was told in this visit that the record the edit belongs to is not made yet.
    bool toldNoRecord_ = false;
};

class TDBVar : public TKitEdit {
public:
    using TKitEdit::TKitEdit;
};

class TDBName : public TKitEdit {
public:
    using TKitEdit::TKitEdit;
    void Loaded() override;
    // Locks or opens the edit for the record shown: open while the record has no name yet.
    void FollowRecord();

protected:
    std::int32_t OwnTag() const override { return NameEditTag; }
    void Change() override;
    // Whether a new record (or an empty table) leaves the name open.
    virtual bool OpenOnNewRecord() const { return false; }
    void Lock();
    void Unlock();
};

// A name of a detail record: open on a new record whose master key fields have values.
class TDBName2 : public TDBName {
public:
    using TDBName::TDBName;

protected:
    bool OpenOnNewRecord() const override;
};

} // namespace kit
