#include "fw/ui/DBCtrls.h"

#include "fw/db/Field.h"
#include "fw/ui/Guard.h"

namespace fw {

// ------------------------------------------------------------------------------------------- DBEdit

DBEdit::DBEdit(Control* parent, Component* owner) : Edit(parent, owner) {
    link_.OnDataChange = [this] { DataChange(); };
    link_.OnUpdateData = [this] { UpdateData(); };
    // A text field holds at most its size; for other fields the length the form gave the edit stands.
    link_.OnActiveChange = [this] {
        const TField* f = Field();
        if (f && f->DataType() == ftString) SetMaxLength(f->Size());
    };
}

void DBEdit::SetReadOnly(bool readOnly) {
    link_.ReadOnly = readOnly;
    Edit::SetReadOnly(readOnly);
}

void DBEdit::Loaded() {
    Edit::Loaded();
    DataChange();
}

void DBEdit::ShowText(const std::string& text) {
    if (text != Text())
        SetText(text);
    else if (text.empty() && Tag() == 55)
        Change();
}

void DBEdit::DataChange() {
    const TField* f = Field();
    ShowText(f ? f->Text() : std::string());
}

void DBEdit::UpdateData() {
    TField* f = Field();
    if (f && link_.TypingStorable()) f->SetText(Text());
}

bool DBEdit::TakesTyping() {
    return link_.EditForTyping([](const std::exception& e) { TellException(e); });
}

void DBEdit::Change() {
    link_.SetModified();
    Edit::Change();
}

void DBEdit::KeyDown(std::uint16_t& key, Shift shift) {
    Edit::KeyDown(key, shift);
    if (key == VK_DELETE || (key == VK_INSERT && shift == ssShift))
        if (!TakesTyping()) key = 0;
}

void DBEdit::KeyPress(std::uint8_t& key) {
    Edit::KeyPress(key);
    // Backspace, Ctrl+V, Ctrl+X and every printable character change the text: the record goes into edit.
    if (key == 8 || key == 22 || key == 24 || key >= 32) {
        if (!TakesTyping()) key = 0;
    } else if (key == 27) {
        link_.Reset();
        SelectAll();
        key = 0;
    }
}

void DBEdit::ExitCheck() {
    try {
        link_.UpdateRecord();
    } catch (...) {
        SelectAll();
        throw;
    }
}

// ------------------------------------------------------------------------------------------- DBText

DBText::DBText(Control* parent, Component* owner) : Label(parent, owner) {
    link_.OnDataChange = [this] { DataChange(); };
}

void DBText::Loaded() {
    Label::Loaded();
    DataChange();
}

void DBText::DataChange() {
    const TField* f = Field();
    SetCaption(f ? f->DisplayText() : std::string());
}

// ------------------------------------------------------------------------------------------- DBCheckBox

DBCheckBox::DBCheckBox(Control* parent, Component* owner) : CheckBox(parent, owner) {
    // Grayed must be showable whatever AllowGrayed says; the toggle order is ours.
    setTristate(true);
    link_.OnDataChange = [this] { DataChange(); };
    link_.OnUpdateData = [this] { UpdateData(); };
}

void DBCheckBox::Loaded() {
    CheckBox::Loaded();
    DataChange();
}

CheckBoxState DBCheckBox::NextState() const {
    switch (State()) {
    case CheckBoxState::cbUnchecked:
        return allowGrayed_ ? CheckBoxState::cbGrayed : CheckBoxState::cbChecked;
    case CheckBoxState::cbChecked:
        return CheckBoxState::cbUnchecked;
    default:
        return CheckBoxState::cbChecked;
    }
}

void DBCheckBox::ShowState(CheckBoxState state) {
    setCheckState(state == CheckBoxState::cbChecked  ? Qt::Checked
                  : state == CheckBoxState::cbGrayed ? Qt::PartiallyChecked
                                                     : Qt::Unchecked);
}

void DBCheckBox::Toggle() {
    // The value opposite to the one shown, whatever the edit's re-read brought.
    const CheckBoxState wanted = NextState();
    if (!link_.Edit()) return;
    ShowState(wanted);
    link_.SetModified();
}

void DBCheckBox::nextCheckState() {
    Guarded([this] { Toggle(); });
}

void DBCheckBox::KeyPress(std::uint8_t& key) {
    CheckBox::KeyPress(key);
    if (key == 8 || key == 32) {
        link_.Edit();
    } else if (key == 27) {
        link_.Reset();
    }
}

void DBCheckBox::ExitCheck() {
    link_.UpdateRecord();
}

} // namespace fw
