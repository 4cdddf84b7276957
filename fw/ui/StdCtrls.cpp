#include "fw/ui/StdCtrls.h"

#include "base/Cp1250.h"
#include "fw/ui/Form.h"
#include "fw/ui/Guard.h"

#include <algorithm>
#include <QTextCursor>
#include <QValidator>

namespace fw {

Button::Button(Control* parent, Component* owner) : ControlOf<QPushButton>(parent, owner) {
    // Enter is the form's to give to a button: Qt's own default-button handling stays off.
    setAutoDefault(false);
    setDefault(false);
    SetTabStop(true);
    QObject::connect(this, &QPushButton::clicked, [this] {
        Guarded([this] {
            // A mouse click first takes the focus; when the focused control refused to let it go, the
            // button is not pressed.
            Form* f = ParentForm();
            if (f && f->ActiveControl() != this && f->RefusedTarget() == this) return;
            Click();
        });
    });
}

void Button::Click() {
    if (ModalResult != 0)
        if (Form* f = ParentForm()) f->SetModalResult(ModalResult);
    Control::Click();
}

bool Button::AnswerDialogKey(std::uint16_t key, Form& form) {
    if (key == VK_RETURN) {
        Control* active = form.ActiveControl();
        const bool buttonFocused = dynamic_cast<Button*>(active) != nullptr;
        if (active == this || (Default && !buttonFocused)) {
            Click();
            return true;
        }
    }
    if (key == VK_ESCAPE && Cancel) {
        Click();
        return true;
    }
    return false;
}

bool Button::AnswerAccelerator(std::uint8_t ch) {
    const QChar accelerator = AcceleratorOf(text());
    if (accelerator.isNull() || !isVisible() || !isEnabled()) return false;
    if (QChar(static_cast<char16_t>(base::Cp1250ToUnicode(ch))).toUpper() != accelerator) return false;
    Click();
    return true;
}

SpeedButton::SpeedButton(Control* parent, Component* owner) : ControlOf<QToolButton>(parent, owner) {
    MarkGraphic();
    setAutoRaise(true);
    QObject::connect(this, &QToolButton::clicked, [this] { Guarded([this] { Click(); }); });
}

CheckBox::CheckBox(Control* parent, Component* owner) : ControlOf<QCheckBox>(parent, owner) {
    SetTabStop(true);
    QObject::connect(this, &QCheckBox::clicked, [this] { Guarded([this] { Click(); }); });
}

CheckBoxState CheckBox::State() const {
    switch (checkState()) {
    case Qt::Checked:
        return CheckBoxState::cbChecked;
    case Qt::PartiallyChecked:
        return CheckBoxState::cbGrayed;
    default:
        return CheckBoxState::cbUnchecked;
    }
}

void CheckBox::SetState(CheckBoxState state) {
    if (state == State()) return;
    if (state == CheckBoxState::cbGrayed) setTristate(true);
    setCheckState(state == CheckBoxState::cbChecked  ? Qt::Checked
                  : state == CheckBoxState::cbGrayed ? Qt::PartiallyChecked
                                                     : Qt::Unchecked);
    Click();
}

Label::Label(Control* parent, Component* owner) : ControlOf<QLabel>(parent, owner) {
    MarkGraphic();
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Label::SetCaption(const std::string& caption) {
    caption_ = caption;
    QString shown = QString::fromStdString(caption);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QChar('\r'), QChar('\n'));
    setText(shown);
    if (autoSize_) adjustSize();
}

void Label::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_) adjustSize();
}

void Label::SetAlignment(Alignment alignment) {
    Qt::Alignment h = alignment == Alignment::taCenter         ? Qt::AlignHCenter
                      : alignment == Alignment::taRightJustify ? Qt::AlignRight
                                                               : Qt::AlignLeft;
    setAlignment(h | (this->alignment() & Qt::AlignVertical_Mask));
}

namespace {

class Cp1250Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return base::IsCp1250Text(input.toStdString()) ? Acceptable : Invalid;
    }
};

} // namespace

Edit::Edit(Control* parent, Component* owner) : ControlOf<QLineEdit>(parent, owner) {
    SetTabStop(true);
    setValidator(new Cp1250Validator(this));
    QObject::connect(this, &QLineEdit::textChanged, [this] { Guarded([this] { Change(); }); });
}

void Edit::SetMaxLength(int length) {
    maxLength_ = length;
    setMaxLength(length > 0 ? length : 32767);
}

int Edit::SelStart() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

int Edit::SelLength() const {
    return static_cast<int>(selectedText().size());
}

void Edit::SetSelLength(int length) {
    const int start = SelStart();
    if (length <= 0)
        setCursorPosition(start);
    else
        setSelection(start, length);
}

bool Edit::WantsKey(std::uint16_t key, Shift) const {
    return IsArrowKey(key);
}

void Edit::Change() {
    if (OnChange && !InDestruction()) OnChange(*this);
}

Memo::Memo(Control* parent, Component* owner) : ControlOf<QPlainTextEdit>(parent, owner) {
    SetTabStop(true);
    // Tab reaches the memo only when it wants tabs (WantTabs): then it types one.
    setTabChangesFocus(false);
    QObject::connect(this, &QPlainTextEdit::textChanged, [this] { Guarded([this] { TextChanged(); }); });
}

void Memo::TextChanged() {
    if (restoring_) return;
    const QString now = toPlainText();
    if (!base::IsCp1250Text(now.toStdString())) {
        // Put the last storable text back, the caret where the refused change began.
        const int caret = std::min(static_cast<int>(lastGood_.size()), textCursor().position());
        restoring_ = true;
        setPlainText(lastGood_);
        restoring_ = false;
        QTextCursor cursor = textCursor();
        cursor.setPosition(caret);
        setTextCursor(cursor);
        return;
    }
    lastGood_ = now;
    Change();
}

void Memo::Change() {
    if (OnChange && !InDestruction()) OnChange(*this);
}

bool Memo::WantsKey(std::uint16_t key, Shift) const {
    if (IsArrowKey(key)) return true;
    if (key == VK_RETURN) return WantReturns;
    if (key == VK_TAB) return WantTabs;
    return false;
}

ListBox::ListBox(Control* parent, Component* owner) : ControlOf<QListWidget>(parent, owner) {
    SetTabStop(true);
}

std::string ListBox::Item(int index) const {
    const QListWidgetItem* line = item(index);
    return line ? line->text().toStdString() : std::string();
}

void ListBox::AddItem(const std::string& text) {
    addItem(QString::fromStdString(text));
}

bool ListBox::WantsKey(std::uint16_t key, Shift) const {
    return IsArrowKey(key);
}

GroupBox::GroupBox(Control* parent, Component* owner) : ControlOf<QGroupBox>(parent, owner) {
    setFocusPolicy(Qt::NoFocus);
}

} // namespace fw
