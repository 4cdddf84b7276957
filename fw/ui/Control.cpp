#include "fw/ui/Control.h"

#include "base/ProgramState.h"
#include "fw/ui/Form.h"
#include "fw/ui/Guard.h"

#include <algorithm>
#include <QAbstractScrollArea>
#include <QFont>
#include <QPalette>
#include <unordered_map>

namespace fw {

namespace {

std::unordered_map<const QWidget*, Control*>& widgetControls() {
    static std::unordered_map<const QWidget*, Control*> map;
    return map;
}

Component* rootOf(Control* parent) {
    Control* c = parent;
    while (c && c->Parent())
        c = c->Parent();
    return c;
}

template <class T> void eraseFrom(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

} // namespace

ControlHooks& Hooks() {
    static ControlHooks hooks;
    return hooks;
}

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::WidgetFramework, [] { Hooks() = ControlHooks(); });
} // namespace

namespace {
Component* announce(Component* owner) {
    if (Hooks().Creating) Hooks().Creating(owner);
    return owner;
}
} // namespace

Control::Control(QWidget& widget, Control* parent, Component* owner)
    : Component(announce(owner ? owner : rootOf(parent))), widget_(widget) {
    widgetControls()[&widget_] = this;
    SetParent(parent);
}

Control::~Control() {
    // Children are freed by the widget tree after this part is gone: they must not reach back.
    for (Control* c : children_)
        c->parent_ = nullptr;
    children_.clear();
    tabList_.clear();
    if (Form* f = ParentForm(); f && f != this) {
        if (f->active_ == this) f->active_ = nullptr;
        if (f->entered_ == this) f->entered_ = nullptr;
        if (f->refusedTarget_ == this) f->refusedTarget_ = nullptr;
        if (f->exiting_ == this) f->exiting_ = nullptr;
        if (f->redirect_ == this) f->redirected_ = false;
    }
    if (parent_) {
        eraseFrom(parent_->children_, this);
        eraseFrom(parent_->tabList_, this);
    }
    widgetControls().erase(&widget_);
}

Control* Control::Of(const QWidget* widget) {
    const auto& map = widgetControls();
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        auto it = map.find(w);
        if (it != map.end()) return it->second;
    }
    return nullptr;
}

void Control::SetParent(Control* parent) {
    if (parent == parent_) return;
    if (parent_) {
        eraseFrom(parent_->children_, this);
        eraseFrom(parent_->tabList_, this);
    }
    parent_ = parent;
    if (parent_) {
        parent_->children_.push_back(this);
        if (IsWindowed()) parent_->tabList_.push_back(this);
        if (widget_.parentWidget() != &parent_->widget_) widget_.setParent(&parent_->widget_);
        if (visible_) widget_.show();
    }
}

std::vector<Control*> Control::Controls() const {
    std::vector<Control*> list;
    for (Control* c : children_)
        if (!c->IsWindowed()) list.push_back(c);
    for (Control* c : children_)
        if (c->IsWindowed()) list.push_back(c);
    return list;
}

Form* Control::ParentForm() const {
    const Control* c = this;
    while (c->parent_)
        c = c->parent_;
    return dynamic_cast<Form*>(const_cast<Control*>(c));
}

bool Control::Visible() const {
    if (!parent_) return widget_.isVisible();
    return visible_;
}

void Control::SetVisible(bool visible) {
    // A form shows and hides through its own path, which runs its events.
    if (auto* form = dynamic_cast<Form*>(this)) {
        if (visible)
            form->Show();
        else
            form->Hide();
        return;
    }
    const bool changed = visible_ != visible;
    visible_ = visible;
    widget_.setVisible(visible);
    if (changed && parent_ && align_ != Align::alNone) parent_->Realign();
}

void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    widget_.setEnabled(enabled);
}

void Control::SetTabStop(bool tabStop) {
    tabStop_ = tabStop;
    ApplyFocusPolicy();
}

void Control::ApplyFocusPolicy() {
    if (!IsWindowed()) {
        widget_.setFocusPolicy(Qt::NoFocus);
        return;
    }
    widget_.setFocusPolicy(tabStop_ ? FocusPolicyWhenStop() : Qt::ClickFocus);
}

void Control::MarkGraphic() {
    windowed_ = false;
    tabStop_ = false;
    if (parent_) eraseFrom(parent_->tabList_, this);
    widget_.setFocusPolicy(Qt::NoFocus);
}

int Control::TabOrder() const {
    if (!parent_) return -1;
    const auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void Control::SetTabOrder(int order) {
    if (!parent_ || !IsWindowed()) return;
    auto& list = parent_->tabList_;
    eraseFrom(list, this);
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

void Control::GetTabOrderList(std::vector<Control*>& list) const {
    for (Control* c : tabList_) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

bool Control::CanFocus() const {
    if (!IsWindowed()) return false;
    for (const Control* c = this; c; c = c->parent_)
        if (!c->Visible() || !c->enabled_) return false;
    return ParentForm() != nullptr;
}

bool Control::Focused() const {
    Form* f = ParentForm();
    return f && f->ActiveControl() == this;
}

void Control::SetFocus() {
    Form* f = ParentForm();
    if (!f) return;
    if (f == this) {
        f->BringToFront();
        return;
    }
    if (!CanFocus()) return;
    Guarded([&] { f->SetActiveControl(this); });
}

void Control::SetBounds(int left, int top, int width, int height) {
    widget_.setGeometry(left, top, width, height);
    if (parent_ && align_ != Align::alNone) parent_->Realign();
}

void Control::SetAlign(Align align) {
    align_ = align;
    if (parent_) parent_->Realign();
}

void Control::Realign() {
    QRect rest = widget_.contentsRect();
    auto place = [&](Align which) {
        for (Control* c : children_) {
            if (c->align_ != which || !c->visible_) continue;
            QWidget& w = c->widget_;
            switch (which) {
            case Align::alTop:
                w.setGeometry(rest.left(), rest.top(), rest.width(), w.height());
                rest.setTop(rest.top() + w.height());
                break;
            case Align::alBottom:
                w.setGeometry(rest.left(), rest.bottom() + 1 - w.height(), rest.width(), w.height());
                rest.setBottom(rest.bottom() - w.height());
                break;
            case Align::alLeft:
                w.setGeometry(rest.left(), rest.top(), w.width(), rest.height());
                rest.setLeft(rest.left() + w.width());
                break;
            case Align::alRight:
                w.setGeometry(rest.right() + 1 - w.width(), rest.top(), w.width(), rest.height());
                rest.setRight(rest.right() - w.width());
                break;
            case Align::alClient:
                w.setGeometry(rest);
                break;
            case Align::alNone:
                break;
            }
        }
    };
    for (Align a : {Align::alTop, Align::alBottom, Align::alLeft, Align::alRight, Align::alClient})
        place(a);
}

TColor Control::Color() const {
    return FromQColor(widget_.palette().color(widget_.backgroundRole()));
}

void Control::SetColor(TColor color) {
    QPalette pal = widget_.palette();
    pal.setColor(widget_.backgroundRole(), ToQColor(color));
    // A scrolling control (memo, list) paints its inside with the base colour.
    if (qobject_cast<QAbstractScrollArea*>(&widget_)) pal.setColor(QPalette::Base, ToQColor(color));
    widget_.setPalette(pal);
    widget_.setAutoFillBackground(true);
}

TColor Control::FontColor() const {
    return FromQColor(widget_.palette().color(widget_.foregroundRole()));
}

void Control::SetFontColor(TColor color) {
    QPalette pal = widget_.palette();
    pal.setColor(widget_.foregroundRole(), ToQColor(color));
    pal.setColor(QPalette::WindowText, ToQColor(color));
    pal.setColor(QPalette::ButtonText, ToQColor(color));
    if (qobject_cast<QAbstractScrollArea*>(&widget_)) pal.setColor(QPalette::Text, ToQColor(color));
    pal.setColor(QPalette::Text, ToQColor(color));
    widget_.setPalette(pal);
}

void Control::SetFont(std::string_view family, int pointSize, bool bold) {
    QFont font(FontFamily(family), pointSize);
    font.setBold(bold);
    widget_.setFont(font);
}

void Control::KeyDown(std::uint16_t& key, Shift shift) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
}

void Control::KeyPress(std::uint8_t& key) {
    if (OnKeyPress) OnKeyPress(*this, key);
}

bool Control::WantsKey(std::uint16_t, Shift) const {
    return false;
}

void Control::DoEnter() {
    if (OnEnter && !InDestruction()) OnEnter(*this);
}

void Control::DoExit() {
    if (OnExit && !InDestruction()) OnExit(*this);
}

void Control::Click() {
    if (OnClick && !InDestruction()) OnClick(*this);
}

void Control::ShowingChanged(bool showing) {
    Guarded([&] {
        if (showing) {
            if (!windowMade_ && windowed_ && Hooks().WindowCreating) Hooks().WindowCreating(*this);
            windowMade_ = true;
        } else if (Hooks().Hidden) {
            Hooks().Hidden(*this);
        }
    });
}

void Control::FocusArrived(Qt::FocusReason reason) {
    // Window activation and popups are not the user moving inside the form.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    Form* f = ParentForm();
    if (!f || f == this) return;
    f->FocusFromQt(this);
}

} // namespace fw
