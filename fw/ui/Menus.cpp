#include "fw/ui/Menus.h"

#include "fw/ui/Form.h"
#include "fw/ui/Guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace fw {

MainMenu::MainMenu(Control* form, Component* owner) : ControlOf<QMenuBar>(form, owner) {
    MarkGraphic();
    setNativeMenuBar(false);
    SetHeight(sizeHint().height());
    SetAlign(Align::alTop);
    // The keys reach the focused control of the window, never the bar: it watches them on their way.
    qApp->installEventFilter(this);
}

void MainMenu::OpenFromKeyboard() {
    for (QAction* a : actions())
        if (a->isVisible() && a->isEnabled() && !a->isSeparator()) {
            setFocus(Qt::MenuBarFocusReason);
            setActiveAction(a);
            return;
        }
}

bool MainMenu::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress) altAlone_ = false;
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // Only the keys of this bar's window, while no menu of it (or anything else) is open.
    if (!widget || widget->window() != window() || QApplication::activePopupWidget() || !isVisible())
        return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (type == QEvent::KeyPress) {
        const bool alone = key.modifiers() == Qt::NoModifier || key.modifiers() == Qt::AltModifier;
        altAlone_ = key.key() == Qt::Key_Alt && alone && !key.isAutoRepeat();
        if (key.key() == Qt::Key_F10 && key.modifiers() == Qt::NoModifier) {
            OpenFromKeyboard();
            return true;
        }
        return false;
    }
    if (key.key() == Qt::Key_Alt && altAlone_) {
        altAlone_ = false;
        OpenFromKeyboard();
        return true;
    }
    return false;
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
