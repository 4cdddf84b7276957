#pragma once
// The data-aware controls: an edit, a label and a check box bound to one field through a field data link.
// Typed text stays in the control until the exit (or a post) writes it into the field; the record goes into
// edit through the link when the user starts typing; a scroll, a cancel or Esc shows the field again. A
// failing write on exit keeps the focus in the control (the form's driver refuses the move).

#include "fw/db/FieldDataLink.h"
#include "fw/ui/StdCtrls.h"

namespace fw {

// The part every data control shares: its link with DataSource, DataField and ReadOnly.
class DataControl {
public:
    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(const std::string& name) { link_.SetFieldName(name); }
    TField* Field() const { return link_.Field(); }
    TDataSet* DataSet() const { return link_.DataSet(); }
    TFieldDataLink& DataLink() { return link_; }
    const TFieldDataLink& DataLink() const { return link_; }
    // For Enter after keys the files refused in this visit: while they still refuse the record, raises the
    // refusal again (the caller tells it); what was typed stays on screen.
    virtual void RaiseTypingRefusal() { link_.RaiseTypingRefusal(); }

protected:
    DataControl() = default;
    virtual ~DataControl() = default;
    // RaiseTypingRefusal for a control that shows text: a refused edit may show the record again, and
    // the typed text is put back over it.
    template <class C> void RaiseTypingRefusalKeeping(C& control) {
        const std::string typed = control.Text();
        try {
            link_.RaiseTypingRefusal();
        } catch (...) {
            if (control.Text() != typed) {
                control.SetText(typed);
                link_.SetModified();
            }
            throw;
        }
    }
    // Called first by the control's destructor: the link then reaches nothing of the control again.
    void DetachLink() {
        link_.OnDataChange = nullptr;
        link_.OnUpdateData = nullptr;
        link_.OnEditingChange = nullptr;
        link_.OnActiveChange = nullptr;
        link_.SetDataSource(nullptr);
    }
    TFieldDataLink link_;
};

class DBEdit : public Edit, public DataControl {
public:
    explicit DBEdit(Control* parent, Component* owner = nullptr);
    ~DBEdit() override { DetachLink(); }
    bool ReadOnly() const { return link_.ReadOnly; }
    void SetReadOnly(bool readOnly);
    // The control holds typed text that the field does not have yet.
    bool Modified() const { return link_.Modified(); }

    void Loaded() override;
    void KeyDown(std::uint16_t& key, Shift shift) override;
    void KeyPress(std::uint8_t& key) override;
    // Writes pending text into the field; on failure the text is selected and the focus stays.
    void ExitCheck() override;
    // The typed text stays, with the cursor at its end.
    void RaiseTypingRefusal() override { RaiseTypingRefusalKeeping(*this); }

protected:
    void Change() override;
    // Shows the field's text (empty without a field).
    virtual void DataChange();
    // Writes the shown text into the field.
    virtual void UpdateData();
    // A key that changes the text: the record goes into edit; a refusal is told once a visit and the key
    // taken all the same (what is typed stays on screen).
    bool TakesTyping();
    // Shows a text. The same text again changes nothing, except that an empty text still runs Change on a
    // control whose Tag is 55 (the name edits follow every record that way).
    void ShowText(const std::string& text);
};

// A label showing a field's display text.
class DBText : public Label, public DataControl {
public:
    explicit DBText(Control* parent, Component* owner = nullptr);
    ~DBText() override { DetachLink(); }
    void Loaded() override;

protected:
    virtual void DataChange();
};

// A check box bound to a field. The user's toggle needs the record in edit; the state reaches the field
// when the record is updated (the exit or a post).
class DBCheckBox : public CheckBox, public DataControl {
public:
    explicit DBCheckBox(Control* parent, Component* owner = nullptr);
    ~DBCheckBox() override { DetachLink(); }
    bool ReadOnly() const { return link_.ReadOnly; }
    void SetReadOnly(bool readOnly) { link_.ReadOnly = readOnly; }
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool allow) { allowGrayed_ = allow; }

    void Loaded() override;
    void KeyPress(std::uint8_t& key) override;
    // Writes the state into the field; a failure keeps the focus here.
    void ExitCheck() override;

protected:
    // The user's toggle: unchecked to checked (grayed first with AllowGrayed), checked to unchecked,
    // grayed to checked; nothing unless the record can be put into edit.
    virtual void Toggle();
    // Shows the field's value; writes the state into the field.
    virtual void DataChange() {}
    virtual void UpdateData() {}
    // The state a toggle moves to.
    CheckBoxState NextState() const;
    // Shows a state (no click event: the control reports its own changes).
    void ShowState(CheckBoxState state);
    void nextCheckState() override;

private:
    bool allowGrayed_ = false;
};

} // namespace fw
