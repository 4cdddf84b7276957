#include "fw/ui/DBMemo.h"

#include "fw/db/Field.h"

#include <QTextCursor>

namespace fw {

namespace {

std::string WithBreaks(const std::string& text, const char* from, const char* to) {
    std::string out;
    const std::string f(from);
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(f, pos)) != std::string::npos; pos = hit + f.size())
        out.append(text, pos, hit - pos).append(to);
    return out.append(text, pos);
}

} // namespace

DBMemo::DBMemo(Control* parent, Component* owner) : Memo(parent, owner) {
    link_.OnDataChange = [this] { DataChange(); };
    link_.OnUpdateData = [this] { UpdateData(); };
    link_.OnActiveChange = [this] { FollowCanModify(); };
    link_.OnEditingChange = [this] { FollowCanModify(); };
    FollowCanModify();
}

void DBMemo::SetReadOnly(bool readOnly) {
    link_.ReadOnly = readOnly;
    FollowCanModify();
}

void DBMemo::FollowCanModify() {
    Memo::SetReadOnly(!link_.CanModify());
}

void DBMemo::Loaded() {
    Memo::Loaded();
    DataChange();
}

void DBMemo::ShowText(const std::string& text) {
    if (text == Text()) return;
    showing_ = true;
    SetText(text);
    showing_ = false;
}

void DBMemo::DataChange() {
    const TField* f = Field();
    // A bare "\r" breaks no line here; it would come back doubled.
    ShowText(f ? WithBreaks(WithBreaks(f->Text(), "\r\n", "\n"), "\r", "\n") : std::string());
    FollowCanModify();
}

void DBMemo::UpdateData() {
    TField* f = Field();
    if (f && link_.TypingStorable()) f->SetText(WithBreaks(Text(), "\n", "\r\n"));
}

bool DBMemo::TakesTyping() {
    return link_.EditForTyping([](const std::exception& e) { TellException(e); });
}

void DBMemo::Change() {
    // The field's own text shown again is no pending change.
    if (!showing_) link_.SetModified();
    Memo::Change();
}

void DBMemo::KeyDown(std::uint16_t& key, Shift shift) {
    Memo::KeyDown(key, shift);
    if (key == VK_DELETE || (key == VK_INSERT && shift == ssShift)) {
        if (!TakesTyping()) key = 0;
    } else if (key == VK_TAB && shift == ssCtrl) {
        if (TakesTyping()) insertPlainText(QStringLiteral("\t"));
        key = 0;
    }
}

void DBMemo::KeyPress(std::uint8_t& key) {
    Memo::KeyPress(key);
    // Backspace, Enter, Ctrl+V, Ctrl+X and every printable character change the text.
    if (key == 13 && WantReturns) {
        // A plain line break whatever the shift (the widget would make Shift+Enter a soft one).
        if (TakesTyping()) insertPlainText(QStringLiteral("\n"));
        key = 0;
    } else if (key == 8 || key == 22 || key == 24 || key >= 32) {
        if (!TakesTyping()) key = 0;
    } else if (key == 27) {
        link_.Reset();
        key = 0;
    }
}

void DBMemo::ExitCheck() {
    try {
        link_.UpdateRecord();
    } catch (...) {
        selectAll();
        throw;
    }
}

} // namespace fw
