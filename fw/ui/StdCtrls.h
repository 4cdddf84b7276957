#pragma once
#include "fw/ui/Control.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <string>

namespace fw {

// A push button. Enter presses the focused button, or the Default one when no button has the focus;
// Esc presses the Cancel one. A click sets the form's ModalResult to the button's, then fires OnClick.
class Button : public ControlOf<QPushButton>, public DialogKeyControl {
public:
    explicit Button(Control* parent, Component* owner = nullptr);
    std::string Caption() const { return text().toStdString(); }
    void SetCaption(const std::string& caption) { setText(QString::fromStdString(caption)); }
    bool Default = false;
    bool Cancel = false;
    int ModalResult = 0;
    void Click() override;
    bool AnswerDialogKey(std::uint16_t key, Form& form) override;
    bool AnswerAccelerator(std::uint8_t ch) override;
};

// A button with a picture; it behaves as Button.
class BitBtn : public Button {
public:
    using Button::Button;
};

// A flat button that never takes the focus.
class SpeedButton : public ControlOf<QToolButton> {
public:
    explicit SpeedButton(Control* parent, Component* owner = nullptr);
    std::string Caption() const { return text().toStdString(); }
    void SetCaption(const std::string& caption) { setText(QString::fromStdString(caption)); }
};

enum class CheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class CheckBox : public ControlOf<QCheckBox> {
public:
    explicit CheckBox(Control* parent, Component* owner = nullptr);
    std::string Caption() const { return text().toStdString(); }
    void SetCaption(const std::string& caption) { setText(QString::fromStdString(caption)); }
    bool Checked() const { return State() == CheckBoxState::cbChecked; }
    void SetChecked(bool checked) {
        SetState(checked ? CheckBoxState::cbChecked : CheckBoxState::cbUnchecked);
    }
    CheckBoxState State() const;
    // A change of state fires OnClick, as a click would.
    void SetState(CheckBoxState state);
    bool AllowGrayed() const { return isTristate(); }
    void SetAllowGrayed(bool allow) { setTristate(allow); }
};

enum class Alignment { taLeftJustify, taRightJustify, taCenter };

// A text on the form; it never takes the focus.
class Label : public ControlOf<QLabel> {
public:
    explicit Label(Control* parent, Component* owner = nullptr);
    std::string Caption() const { return caption_; }
    // "\r\n" and "\r" break lines as "\n" does.
    void SetCaption(const std::string& caption);
    // With AutoSize the label takes the size of its text (line breaks included).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    void SetAlignment(Alignment alignment);
    void SetWordWrap(bool wrap) { setWordWrap(wrap); }

private:
    std::string caption_;
    bool autoSize_ = true;
};

// A one-line edit. OnChange fires for every change of the text, the program's own included. Typed or
// pasted text with characters outside code page 1250 is refused (they could not be stored).
class Edit : public ControlOf<QLineEdit> {
public:
    explicit Edit(Control* parent, Component* owner = nullptr);
    std::string Text() const { return text().toStdString(); }
    // A text put into an edit the user is not in shows its start (a long name is read from its beginning).
    void SetText(const std::string& text) {
        setText(QString::fromStdString(text));
        if (!hasFocus()) setCursorPosition(0);
    }
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool readOnly) { setReadOnly(readOnly); }
    // In characters; 0 for no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);
    void SelectAll() { selectAll(); }
    // A character other than 0 hides the text (shown as the style's bullet).
    void SetPasswordChar(char ch) { setEchoMode(ch ? QLineEdit::Password : QLineEdit::Normal); }
    int SelStart() const;
    int SelLength() const;
    void SetSelLength(int length);
    NotifyEvent OnChange;
    bool WantsKey(std::uint16_t key, Shift shift) const override;

protected:
    // The text changed; the default fires OnChange.
    virtual void Change();

private:
    int maxLength_ = 0;
};

// A text of several lines. Text with characters outside code page 1250 is refused as in Edit.
class Memo : public ControlOf<QPlainTextEdit> {
public:
    explicit Memo(Control* parent, Component* owner = nullptr);
    std::string Text() const { return toPlainText().toStdString(); }
    void SetText(const std::string& text) { setPlainText(QString::fromStdString(text)); }
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool readOnly) { setReadOnly(readOnly); }
    bool WantReturns = true;
    bool WantTabs = false;
    NotifyEvent OnChange;
    bool WantsKey(std::uint16_t key, Shift shift) const override;

protected:
    // The text changed (the program's own changes included); the default fires OnChange.
    virtual void Change();

private:
    void TextChanged();
    QString lastGood_;
    bool restoring_ = false;
};

// A list of lines, one of them current; the arrows move through it.
class ListBox : public ControlOf<QListWidget> {
public:
    explicit ListBox(Control* parent, Component* owner = nullptr);
    int Count() const { return count(); }
    std::string Item(int index) const;
    void AddItem(const std::string& text);
    void Clear() { clear(); }
    // -1 when no line is current.
    int ItemIndex() const { return currentRow(); }
    void SetItemIndex(int index) { setCurrentRow(index); }
    bool WantsKey(std::uint16_t key, Shift shift) const override;
};

class GroupBox : public ControlOf<QGroupBox> {
public:
    explicit GroupBox(Control* parent, Component* owner = nullptr);
    std::string Caption() const { return title().toStdString(); }
    void SetCaption(const std::string& caption) { setTitle(QString::fromStdString(caption)); }
};

} // namespace fw
