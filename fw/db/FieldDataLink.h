#pragma once
// The link of a data control to one field of a dataset. What the user types stays in the control (the link
// is Modified) until the record is updated: leaving the control or a post asks the link for it
// (OnUpdateData), and a scroll, a cancel or a reset shows the field's value again (OnDataChange).

#include "fw/db/DataSource.h"

#include <exception>
#include <functional>
#include <string>

namespace fw {

class TFieldDataLink : public TDataLink {
public:
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& name);
    // The field while the dataset is active and has it; nullptr otherwise.
    TField* Field() const { return field_; }
    // The control holds text the field does not have yet.
    bool Modified() const { return modified_; }
    void SetModified() { modified_ = true; }
    // Forgets the pending text without showing the field again (the control settles it itself).
    void ClearModified() { modified_ = false; }
    // Whether the control may change the field: not read-only, a writable field of a modifiable dataset.
    bool CanModify() const;
    // Puts the dataset into edit for the control (when it may); true when the dataset is then editing. A
    // refusal (another station's lock, say) is thrown once; until the control is entered again the refusals
    // after it only return false, so a user who goes on typing is not told the same at every key.
    bool Edit();
    // The control is entered: the next refusal is told again.
    void ForgetRefusal() { refusalTold_ = false; }
    // For a key that changes the control's text: whether the control takes it. The first refusal of the edit
    // in the visit is handed to tell; after a refusal with a word the keys are taken all the same, so what
    // the user types stays on screen (it cannot be stored: see TypingStorable).
    bool EditForTyping(const std::function<void(const std::exception&)>& tell);
    // For the control's update of the field: false when the record could not be put into edit in this visit
    // (the refusal was told at the first key); the field's value is then shown again.
    bool TypingStorable();
    // For Enter after keys the files refused in this visit: while they still refuse the record, the refusal
    // is raised again (the caller tells it) and what was typed stays on screen.
    void RaiseTypingRefusal();
    // Drops the control's pending text and shows the field again.
    void Reset();

    // The field's value is to be shown (another record, a cancel, a change of the field).
    std::function<void()> OnDataChange;
    // The control is to write its text into the field.
    std::function<void()> OnUpdateData;
    std::function<void()> OnEditingChange;
    // The dataset opened or closed, or the field changed.
    std::function<void()> OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateField();
    std::string fieldName_;
    TField* field_ = nullptr;
    bool modified_ = false;
    bool refusalTold_ = false;
};

} // namespace fw
