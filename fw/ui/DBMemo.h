#pragma once
// A memo bound to a memo (or string) field. As in DBEdit, typed text stays in the control until the exit
// or a post writes it into the field, and the record goes into edit when the user starts typing. Enter
// breaks the line (WantReturns) unless the form takes it first (the data forms move on with Enter and
// leave Shift+Enter to the memo), Tab leaves the control and Ctrl+Tab types a tab. Lines are kept in the
// field with "\r\n" breaks, as the tables and printouts expect.

#include "fw/ui/DBCtrls.h"

namespace fw {

class DBMemo : public Memo, public DataControl {
public:
    explicit DBMemo(Control* parent, Component* owner = nullptr);
    ~DBMemo() override { DetachLink(); }
    // Read-only by the control's own choice; the control is also read-only while the field or its dataset
    // cannot be modified.
    bool ReadOnly() const { return link_.ReadOnly; }
    void SetReadOnly(bool readOnly);
    bool Modified() const { return link_.Modified(); }

    void Loaded() override;
    void KeyDown(std::uint16_t& key, Shift shift) override;
    void KeyPress(std::uint8_t& key) override;
    // Writes pending text into the field; on failure the text is selected and the focus stays.
    void ExitCheck() override;
    void RaiseTypingRefusal() override { RaiseTypingRefusalKeeping(*this); }

protected:
    void Change() override;
    virtual void DataChange();
    virtual void UpdateData();
    // A key that changes the text: the record goes into edit; a refusal is told once a visit and the key
    // taken all the same (what is typed stays on screen).
    bool TakesTyping();

private:
    void ShowText(const std::string& text);
    // The widget refuses typing whenever the link could not write it.
    void FollowCanModify();
    bool showing_ = false;
};

} // namespace fw
