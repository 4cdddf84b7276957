#pragma once
#include "fw/ui/Color.h"
#include "fw/ui/Component.h"
#include "fw/ui/Guard.h"
#include "fw/ui/Keys.h"

#include <functional>
#include <QAbstractScrollArea>
#include <QFocusEvent>
#include <QHideEvent>
#include <QPoint>
#include <QResizeEvent>
#include <QShowEvent>
#include <QWidget>
#include <string_view>
#include <type_traits>
#include <vector>

namespace fw {

class Form;
class Control;

// How a control fills its parent: stacked along an edge, or taking what the others leave.
enum class Align { alNone, alTop, alBottom, alLeft, alRight, alClient };

using NotifyEvent = std::function<void(Component& sender)>;
using KeyEvent = std::function<void(Component& sender, std::uint16_t& key, Shift shift)>;
using KeyPressEvent = std::function<void(Component& sender, std::uint8_t& key)>;

// The points where the program watches controls being made, getting their window and being hidden
// (the resource guard). Empty hooks do nothing.
struct ControlHooks {
    // Before a control's own construction; owner as given to it.
    std::function<void(Component* owner)> Creating;
    // The first time a windowed control shows (its window is made), and again after it was dropped.
    std::function<void(Control& control)> WindowCreating;
    // A control stopped showing.
    std::function<void(Control& control)> Hidden;
};
ControlHooks& Hooks();

// A control: a component with a widget, a place in the control tree (parent and child controls, kept here
// and never read from Qt's object tree), a tab order and the enter/exit and key phases.
class Control : public Component {
public:
    Control(QWidget& widget, Control* parent, Component* owner);
    ~Control() override;

    QWidget& Widget() const { return widget_; }
    // The control of a widget, or of its nearest ancestor that has one (Qt composites have inner widgets).
    static Control* Of(const QWidget* widget);

    Control* Parent() const { return parent_; }
    void SetParent(Control* parent);
    // Child controls: those that are not windowed first, then the windowed ones, each in insertion order.
    std::vector<Control*> Controls() const;
    int ControlCount() const { return static_cast<int>(children_.size()); }
    bool HasChildren() const { return !children_.empty(); }
    // Labels, shapes, bevels, images and speed buttons are not windowed: they never take the focus.
    bool IsWindowed() const { return windowed_; }
    Form* ParentForm() const;

    bool Visible() const;
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);
    int TabOrder() const;
    void SetTabOrder(int order);
    // Windowed children in tab order.
    const std::vector<Control*>& TabList() const { return tabList_; }
    // The windowed controls below this one in tab order, depth first (a container before its contents).
    void GetTabOrderList(std::vector<Control*>& list) const;
    // Visible and enabled up to and including the form, and the form is showing.
    bool CanFocus() const;
    // The form's active control is this one.
    bool Focused() const;
    // Moves the focus here through the form's enter/exit handling. Never throws: a refused exit is shown.
    void SetFocus();

    int Left() const { return widget_.x(); }
    int Top() const { return widget_.y(); }
    int Width() const { return widget_.width(); }
    int Height() const { return widget_.height(); }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    QPoint ClientToScreen(QPoint point) const { return widget_.mapToGlobal(point); }
    Align GetAlign() const { return align_; }
    void SetAlign(Align align);
    // Lays out the aligned child controls: top, bottom, left, right, then the client one.
    void Realign();

    TColor Color() const;
    void SetColor(TColor color);
    TColor FontColor() const;
    void SetFontColor(TColor color);
    // Family as the forms name it ("Arial" is mapped), size in points.
    void SetFont(std::string_view family, int pointSize, bool bold = false);

    NotifyEvent OnEnter;
    NotifyEvent OnExit;
    NotifyEvent OnClick;
    KeyEvent OnKeyDown;
    KeyPressEvent OnKeyPress;

    // The key-down phase (a virtual key code; setting it to 0 consumes it); the default calls OnKeyDown.
    virtual void KeyDown(std::uint16_t& key, Shift shift);
    // The character phase (a code page 1250 character; 0 consumes it); the default calls OnKeyPress.
    virtual void KeyPress(std::uint8_t& key);
    // Whether the control keeps Tab, an arrow, Enter or Esc for itself instead of letting the form use it
    // to move the focus or press a button. Arrow keys always stay with a control whose Tag is
    // TagOwnArrowKeys or more.
    virtual bool WantsKey(std::uint16_t key, Shift shift) const;
    // Whether keys for this control go through the form's key phases; a menu bar handles its own.
    virtual bool RoutesKeys() const { return true; }
    // The focus arrives / leaves through the form's driver; the defaults fire OnEnter / OnExit.
    virtual void DoEnter();
    virtual void DoExit();
    // Runs before the focus leaves, while the control is still the active one (its own focus calls move
    // nothing): it takes what is typed as Enter would. False refuses the leave; the control told why.
    virtual bool SettleBeforeLeave() { return true; }
    // Runs when the focus is about to leave, before DoExit; throwing refuses the exit and the focus stays.
    virtual void ExitCheck() {}
    // A click (mouse, key or program); the default fires OnClick.
    virtual void Click();

protected:
    bool FreedByParentWidget() const override { return widget_.parentWidget() != nullptr; }
    // The widget's focus-in event: a user focus change inside the window runs enter/exit.
    void FocusArrived(Qt::FocusReason reason);
    // The widget's show and hide events (not those of a minimised window).
    void ShowingChanged(bool showing);
    void ApplyFocusPolicy();
    // For controls that are not windowed: out of the tab order and never focused.
    void MarkGraphic();
    virtual Qt::FocusPolicy FocusPolicyWhenStop() const { return Qt::StrongFocus; }

private:
    QWidget& widget_;
    Control* parent_ = nullptr;
    std::vector<Control*> children_;
    std::vector<Control*> tabList_;
    bool visible_ = true;
    bool enabled_ = true;
    bool tabStop_ = false;
    bool windowed_ = true;
    Align align_ = Align::alNone;
    bool windowMade_ = false;
};

// A control that may answer Enter or Esc for its whole form (the default and cancel buttons), and its
// accelerator letter typed without Alt while a button has the focus (a letter means nothing to a button).
class DialogKeyControl {
public:
    virtual ~DialogKeyControl() = default;
    virtual bool AnswerDialogKey(std::uint16_t key, Form& form) = 0;
    virtual bool AnswerAccelerator(std::uint8_t) { return false; }
};

// Every event a widget of ours gets runs guarded, so that a failure in any handler a control overrides
// (paint, mouse, wheel, focus, timers...) stays inside the control: the control keeps what it showed and
// the failure is told after the event. A scroll area's viewport events (its painting) likewise.
template <class Deliver> bool DeliverGuarded(const QEvent& event, Deliver&& deliver) noexcept {
    bool handled = true;
    const auto run = [&] { handled = deliver(); };
    if (event.type() == QEvent::Paint)
        GuardedPaint(run);
    else
        GuardedEvent(run);
    return handled;
}

template <class Q, bool = std::is_base_of_v<QAbstractScrollArea, Q>> class GuardedEvents : public Q {
public:
    using Q::Q;

protected:
    bool event(QEvent* event) override {
        return DeliverGuarded(*event, [&] { return Q::event(event); });
    }
};

template <class Q> class GuardedEvents<Q, true> : public GuardedEvents<Q, false> {
public:
    using GuardedEvents<Q, false>::GuardedEvents;

protected:
    bool viewportEvent(QEvent* event) override {
        return DeliverGuarded(*event, [&] { return Q::viewportEvent(event); });
    }
};

// Joins a Qt widget class and Control: Q is built first with the parent control's widget as its parent.
template <class Q> class ControlOf : public GuardedEvents<Q>, public Control {
public:
    explicit ControlOf(Control* parent, Component* owner = nullptr)
        : GuardedEvents<Q>(parent ? &parent->Widget() : nullptr),
          Control(static_cast<QWidget&>(*this), parent, owner) {}

protected:
    void focusInEvent(QFocusEvent* event) override {
        Q::focusInEvent(event);
        FocusArrived(event->reason());
    }
    void resizeEvent(QResizeEvent* event) override {
        Q::resizeEvent(event);
        Realign();
    }
    void showEvent(QShowEvent* event) override {
        Q::showEvent(event);
        if (!event->spontaneous()) ShowingChanged(true);
    }
    void hideEvent(QHideEvent* event) override {
        Q::hideEvent(event);
        if (!event->spontaneous()) ShowingChanged(false);
    }
};

} // namespace fw
