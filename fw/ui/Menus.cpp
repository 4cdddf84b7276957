#include "fw/ui/Menus.h"

#include "fw/ui/Form.h"
#include "fw/ui/Guard.h"

#include <QApplication>
#include <QTimer>

namespace fw {

MainMenu::MainMenu(Control* form, Component* owner) : ControlOf<QMenuBar>(form, owner) {
    MarkGraphic();
    setNativeMenuBar(false);
    SetHeight(sizeHint().height());
    SetAlign(Align::alTop);
}

bool MainMenu::RoutesKeys() const {
    return hasFocus() && activeAction() == nullptr && QApplication::activePopupWidget() == nullptr;
}

void MainMenu::GiveKeysBack() {
    // Closing a menu with Esc leaves the bar highlighted and holding the keyboard: taking the focus away
    // ends that too.
    if (QApplication::activePopupWidget() || !hasFocus()) return;
    Form* form = ParentForm();
    Control* active = form ? form->ActiveControl() : nullptr;
    if (active && active->CanFocus())
        active->Widget().setFocus(Qt::MenuBarFocusReason);
    else
        clearFocus(); // the window itself gets the keys, and the form with them
}

MenuItem& MainMenu::Add(const std::string& caption, std::string name) {
    auto* item = new MenuItem(Owner() ? Owner() : this, this, nullptr, caption);
    item->SetName(std::move(name));
    items_.push_back(item);
    SetHeight(sizeHint().height());
    return *item;
}

MenuItem::MenuItem(Component* owner, QMenuBar* bar, QMenu* menu, const std::string& caption)
    : Component(owner), bar_(bar), parentMenu_(menu) {
    if (caption == "-") {
        action_ = menu ? menu->addSeparator() : bar->addSeparator();
        return;
    }
    // A plain action first; it becomes a submenu when an item is added to it.
    action_ = new QAction(QString::fromStdString(caption), menu ? static_cast<QObject*>(menu) : bar);
    if (menu)
        menu->addAction(action_);
    else
        bar->addAction(action_);
    QObject::connect(action_, &QAction::triggered, [this] { Guarded([this] { Click(); }); });
}

MenuItem::~MenuItem() {
    if (action_) {
        if (parentMenu_) parentMenu_->removeAction(action_);
        if (bar_) bar_->removeAction(action_);
        delete action_.data();
    }
    delete submenu_;
}

MenuItem& MenuItem::Add(const std::string& caption, std::string name) {
    if (!submenu_) {
        submenu_ = new QMenu();
        submenu_->setTitle(action_ ? action_->text() : QString());
        action_->setMenu(submenu_);
        // A menu of the bar closed (Esc, or an item chosen): the keys go back to the form once the bar
        // has settled.
        if (auto* bar = dynamic_cast<MainMenu*>(bar_.data())) {
            QPointer<MainMenu> alive(bar);
            QObject::connect(submenu_, &QMenu::aboutToHide, bar, [alive] {
                QTimer::singleShot(0, alive, [alive] {
                    if (alive) alive->GiveKeysBack();
                });
            });
        }
    }
    auto* item = new MenuItem(Owner() ? Owner() : this, nullptr, submenu_, caption);
    item->SetName(std::move(name));
    items_.push_back(item);
    return *item;
}

std::string MenuItem::Caption() const {
    return action_ ? action_->text().toStdString() : std::string();
}

void MenuItem::SetCaption(const std::string& caption) {
    if (action_) action_->setText(QString::fromStdString(caption));
}

bool MenuItem::Visible() const {
    return action_ && action_->isVisible();
}
void MenuItem::SetVisible(bool visible) {
    if (action_) action_->setVisible(visible);
}
bool MenuItem::Enabled() const {
    return action_ && action_->isEnabled();
}
void MenuItem::SetEnabled(bool enabled) {
    if (action_) action_->setEnabled(enabled);
}
bool MenuItem::IsSeparator() const {
    return action_ && action_->isSeparator();
}

void MenuItem::Click() {
    if (OnClick) OnClick(*this);
}

} // namespace fw
