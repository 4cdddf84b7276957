#pragma once
// The lookup fields of a data form: an edit with a drop-down list that names a row of a second table (the
// lookup table) by its code and writes the row's key into the form's data field. Enter settles the typed
// code (searched on the lookup table's display field), F4 opens the list, F2 hands the form to a picker,
// Ctrl+Enter settles from the form's key handler, Ctrl+Del deletes the code, PgUp/PgDn move the form's
// browse table.
//
// The lookup table is normally a detail of the form's data source on the data field ("closed" mode: its one
// visible row is the chosen code); for a search or the list it is switched to "list" mode, without the data
// field in its link and indexed on the display field. Every path returns it to closed mode.
//
// TDBLookupField offers to create a missing code (or to rename the chosen one to it) and deletes codes;
// TDBJustLookup refuses a missing code with the missing-code box; TDBLookup does the same, except that a
// combo showing the codes themselves takes any typed code; TDBLookupKeyField settles the code like
// TDBLookupField and then treats the data field as the key of the form's own table (it moves the table to
// that record, appends one, or re-keys the current one; Ctrl+Del deletes the own record after a question).

#include "fw/db/DataSetState.h"
#include "fw/ui/DBLookupCombo.h"
#include "kit/ControlsHeld.h"
#include "kit/HeldRecord.h"
#include "kit/KeyFields.h"
#include "kit/Mycombo.h"

namespace fw {
class TTable;
}

namespace fw {
class TTable;
}

namespace kit {

class LookupControl : public fw::DBLookupCombo, public CodeControl {
public:
    bool Capitalize = true;
    // Normalises the typed code (doubled and outer blanks) before the search, while the record is edited.
    bool NormalC = true;
    // An empty code may not be left by Enter.
    bool Required = false;
    // The code's name in the dialogs; the search field's DisplayLabel when left empty.
    std::string DisplayName;
    // Fires after a visit that settled a code the user typed (ValueUnchanged tells whether it is the same);
    // throwing refuses it: the record (and its master's) is rolled back and the focus stays.
    fw::NotifyEvent OnExitChanged;
    // Sender: the form (its Tag is 2 while the handler runs its picker). The lookup table is refreshed after.
    fw::NotifyEvent OnF2Press;
    // Sender: the lookup table on the new row (or, for TDBLookupKeyField's own record, the form's table).
    fw::TDataSetNotifyEvent OnNew;
    fw::TDataSetNotifyEvent OnRename;
    fw::TDataSetNotifyEvent OnDelete;

    // The lookup table's link and index in each mode (upper case, never cut).
    std::string ClosedMasterFields;
    std::string ListMasterFields;
    std::string ClosedIndexFields;
    std::string ListIndexFields;
    std::string DisplayField;
    bool HasDisplayField = false;
    std::string SearchField;
    std::string OldCode;
    std::string CodeValue;
    std::string EntryText;
    fw::TColor SavedFontColor = 0;
    // Another station holds the record of this visit.
    HeldRecord HeldOfVisit;
    bool Analysed = false;
    bool Entered = false;
    bool TextEdited = false;
    // The user was told in this visit that the record the code is for is not made yet.
    bool ToldNoRecord = false;
    bool SearchOk = false;
    bool ListMode = false;
    bool DroppedDown = false;
    bool ExitDone = false;

    void Loaded() override;
    void DoEnter() override;
    void DoExit() override;
    // A typed code is settled before any leave (which would take it back without a word); a refused value
    // keeps the user here.
    bool SettleBeforeLeave() override { return TakePending(); }
    void KeyDown(std::uint16_t& key, fw::Shift shift) override;
    void KeyPress(std::uint8_t& key) override;
    void DropDown() override;
    void CloseUp() override;

    // Settles the typed code; never throws.
    void SearchCode() override;
    bool TakePending() override;
    // The visit goes on from the value the record shows now (another station changed or deleted the one
    // the control was entered on): its code and value are the ones a leave puts back, the text selected.
    void StartOverOnRecordShown();
    // Deletes the confirmed code (TDBLookupField: the lookup row; TDBLookupKeyField: the own record).
    void DeleteCode();
    // The leave processing: an unsettled code is taken back, the look undone, OnExit and OnExitChanged.
    void CommitLookup();
    void AnalyseLinks();
    void SetListMode();
    void SetClosedMode();

    fw::TTable* LookupTable() const;

protected:
    enum class Kind { LookupField, JustLookup, Lookup, LookupKeyField };
    enum class Outcome { Accepted, FoundAgain, Refused, Emptied };
    LookupControl(fw::Control* parent, fw::Component* owner, Kind kind);
    void Change() override;

    Kind kind() const { return kind_; }
    bool Deletes() const { return kind_ == Kind::LookupField || kind_ == Kind::LookupKeyField; }

private:
    // The form's dataset and the lookup table under DisableControls, enabled again once (at the latest when
    // the scope ends).
    using Disabled = ControlsHeld;
    // The steps of a search inside the swallowing block; the outcome so far is kept in outcome_.
    void Settle(bool wasEditing, Disabled& controls);
    // Searches text on the search field in list mode; false when not found or no search could start.
    bool FindCode(const std::string& text);
    void CreateCode(const std::string& s, Disabled& controls);
    void RenameCode(const std::string& s, Disabled& controls);
    void RefuseMissing(const std::string& s, Disabled& controls);
    // The second stage of TDBLookupKeyField: the chosen key as the own table's key.
    void SettleOwnKey(const std::string& key, Disabled& controls);
    void DeleteOwnRecord();
    // Writes the data field (when the record can be edited) and posts an edit (an insert stays open, except
    // for TDBLookupKeyField on a record it was inserting).
    void WriteData(const std::string& value, bool post);
    std::string LookupKeyText() const;
    void FollowSettled(bool wasEditing);
    void ExitChanged();
    void PageRecord(bool prior);
    void SelectText();
    // OldCode and CodeValue from the record shown and the lookup row it names, as a visit begins.
    void TakeVisitValues();

    Kind kind_;
    Outcome outcome_ = Outcome::Accepted;
    bool insertingAtSearch_ = false;
    bool searched_ = false;
    FocusLook look_;
    bool bold_ = false;
    // The data field's value when the visit began (a refused OnExitChanged puts it back).
    std::string entryValue_;
};

class TDBLookupField : public LookupControl {
public:
    explicit TDBLookupField(fw::Control* parent, fw::Component* owner = nullptr);
};

class TDBJustLookup : public LookupControl {
public:
    explicit TDBJustLookup(fw::Control* parent, fw::Component* owner = nullptr);
};

class TDBLookup : public LookupControl {
public:
    explicit TDBLookup(fw::Control* parent, fw::Component* owner = nullptr);
};

class TDBLookupKeyField : public LookupControl {
public:
    explicit TDBLookupKeyField(fw::Control* parent, fw::Component* owner = nullptr);
};

} // namespace kit
