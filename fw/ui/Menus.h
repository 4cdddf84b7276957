#pragma once
#include "fw/ui/Control.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <string>
#include <vector>

namespace fw {

class MenuItem;

// The menu bar of a form; it lies along the form's top edge and never takes the focus.
class MainMenu : public ControlOf<QMenuBar> {
public:
    explicit MainMenu(Control* form, Component* owner = nullptr);
    // A top-level item; items added to it make it a submenu.
    MenuItem& Add(const std::string& caption, std::string name = {});
    const std::vector<MenuItem*>& Items() const { return items_; }
    // While a menu is open or an item is highlighted the bar handles its own keys; an idle bar that kept
    // the keyboard focus (a menu closed with Esc) passes them to its form.
    bool RoutesKeys() const override;
    // Once no menu is open, the keyboard goes back to the form's active control (or to the form), and the
    // bar is no longer highlighted.
    void GiveKeysBack();
    // Opens the first menu from the keyboard (F10, or Alt pressed and let go alone), whatever button of the
    // window takes an Alt letter.
    void OpenFromKeyboard();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    std::vector<MenuItem*> items_;
    // Alt is down and no other key or click came since.
    bool altAlone_ = false;
};

// One menu item: a command, a separator ("-") or a submenu. "&" marks the item's letter.
class MenuItem : public Component {
public:
    MenuItem(Component* owner, QMenuBar* bar, QMenu* menu, const std::string& caption);
    ~MenuItem() override;

    MenuItem& Add(const std::string& caption, std::string name = {});
    const std::vector<MenuItem*>& Items() const { return items_; }
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool IsSeparator() const;
    // Runs OnClick (guarded when the user chose the item).
    void Click();
    NotifyEvent OnClick;
    QAction* Action() const { return action_; }

private:
    QPointer<QMenuBar> bar_;
    QPointer<QMenu> parentMenu_;
    QPointer<QAction> action_;
    QMenu* submenu_ = nullptr;
    std::vector<MenuItem*> items_;
};

} // namespace fw
