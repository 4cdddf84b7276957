#include "controls/PLShell.h"

#include "fw/ui/Guard.h"

#include <QApplication>
#include <QCursor>
#include <QSystemTrayIcon>

namespace controls {

namespace {

class DesktopNotifyArea : public NotifyArea {
public:
    bool Add(const QIcon& icon, const QString& tip) override {
        if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
        if (!tray_) {
            tray_ = std::make_unique<QSystemTrayIcon>();
            QObject::connect(tray_.get(), &QSystemTrayIcon::activated,
                             [this](QSystemTrayIcon::ActivationReason reason) {
                                 fw::Guarded([&] { Activated(reason); });
                             });
        }
        tray_->setIcon(icon);
        tray_->setToolTip(tip);
        tray_->show();
        return true;
    }
    bool Modify(const QIcon& icon, const QString& tip) override {
        if (!tray_) return false;
        tray_->setIcon(icon);
        tray_->setToolTip(tip);
        return true;
    }
    void Delete() override {
        if (tray_) tray_->hide();
    }

private:
    // The area tells only clicks: each becomes the button's down and up messages.
    void Activated(QSystemTrayIcon::ActivationReason reason) {
        auto send = [this](std::initializer_list<TrayMessage> messages) {
            for (TrayMessage m : messages)
                if (OnMessage) OnMessage(m);
        };
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            send({TrayMessage::LButtonDown, TrayMessage::LButtonUp});
            break;
        case QSystemTrayIcon::DoubleClick:
            send({TrayMessage::LButtonDblClk, TrayMessage::LButtonUp});
            break;
        case QSystemTrayIcon::Context:
            send({TrayMessage::RButtonDown, TrayMessage::RButtonUp});
            break;
        case QSystemTrayIcon::MiddleClick:
            send({TrayMessage::MButtonDown, TrayMessage::MButtonUp});
            break;
        default:
            break;
        }
    }
    std::unique_ptr<QSystemTrayIcon> tray_;
};

NotifyAreaFactory& Factory() {
    static NotifyAreaFactory factory;
    return factory;
}

TShiftState KeyShift() {
    const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (m & Qt::AltModifier) s |= ssAlt;
    return s;
}

} // namespace

NotifyAreaFactory SetNotifyAreaFactory(NotifyAreaFactory factory) {
    NotifyAreaFactory old = std::move(Factory());
    Factory() = std::move(factory);
    return old;
}

TPlTrayIcon::TPlTrayIcon(fw::Component* owner)
    : fw::Component(owner), icon_(std::make_unique<TIcon>()), icons_(std::make_unique<TIconList>()) {
    area_ = Factory() ? Factory()() : std::make_unique<DesktopNotifyArea>();
    area_->OnMessage = [this](TrayMessage m) { fw::Guarded([&] { HandleMessage(m); }); };
    icon_->OnChange = [this] { ChangeStep(); };
    icons_->OnChange = [this] { ChangeStep(); };
    animation_.setInterval(interval_);
    // The frames step on the GUI thread, so the icon list never changes under a running step.
    QObject::connect(&animation_, &QTimer::timeout, [this] { fw::GuardedEvent([this] { FrameStep(); }); });
}

TPlTrayIcon::~TPlTrayIcon() {
    destroying_ = true;
    icons_->OnChange = nullptr;
    icon_->OnChange = nullptr;
    animated_ = false;
    animation_.stop();
    Deactivate();
    area_->OnMessage = nullptr;
}

void TPlTrayIcon::Loaded() {
    fw::Component::Loaded();
    if (active_) Activate();
}

void TPlTrayIcon::SetActive(bool active) {
    if (active == active_) return;
    active_ = active;
    if (active_)
        Activate();
    else
        Deactivate();
}

void TPlTrayIcon::SetInterval(int ms) {
    interval_ = std::max(ms, 1);
    animation_.setInterval(interval_);
}

void TPlTrayIcon::SetHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    ChangeStep();
}

QString TPlTrayIcon::Tip() const {
    QString tip = QString::fromStdString(hint_);
    const qsizetype bar = tip.indexOf('|');
    if (bar >= 0) tip.truncate(bar);
    return tip.left(63);
}

const TIcon* TPlTrayIcon::ActiveIcon() const {
    if (icons_->Count() > 0 && animated_)
        return icons_->Get(std::max(std::min(iconIndex_, icons_->Count() - 1), 0));
    return icon_.get();
}

void TPlTrayIcon::Activate() {
    Deactivate();
    const TIcon* icon = ActiveIcon();
    if (!icon || icon->Empty()) return;
    leftClicked_ = rightClicked_ = false;
    added_ = area_->Add(icon->Icon(), Tip());
    if (added_ && animated_) animation_.start();
}

void TPlTrayIcon::Deactivate() {
    if (added_) area_->Delete();
    added_ = false;
    leftClicked_ = rightClicked_ = false;
    animation_.stop();
}

void TPlTrayIcon::ChangeStep() {
    if (icons_->Count() == 0 && animated_) {
        animated_ = false;
        animation_.stop();
    }
    if (added_) {
        const TIcon* icon = ActiveIcon();
        if (!icon || icon->Empty())
            Deactivate();
        else
            area_->Modify(icon->Icon(), Tip());
    } else if (active_ && !destroying_ && !Reading()) {
        Activate();
    }
}

void TPlTrayIcon::SetAnimated(bool animated) {
    if (icons_->Count() == 0) animated = false;
    if (animated != animated_) {
        animated_ = animated;
        if (animated_ && added_)
            animation_.start();
        else
            animation_.stop();
    }
    iconIndex_ = 0;
    ChangeStep();
}

void TPlTrayIcon::FrameStep() {
    if (destroying_ || !animated_) return;
    ++iconIndex_;
    if (iconIndex_ >= icons_->Count()) iconIndex_ = 0;
    ChangeStep();
}

void TPlTrayIcon::HandleMessage(TrayMessage message) {
    const QPoint at = QCursor::pos();
    const int x = at.x(), y = at.y();
    const TShiftState shift = KeyShift();
    switch (message) {
    case TrayMessage::MouseMove:
        MouseMove(shift, x, y);
        break;
    case TrayMessage::LButtonDown:
        MouseDown(TMouseButton::mbLeft, shift | ssLeft, x, y);
        leftClicked_ = true;
        break;
    case TrayMessage::LButtonUp:
        if (leftClicked_) {
            leftClicked_ = false;
            DoClick(TMouseButton::mbLeft, shift | ssLeft, x, y);
        }
        MouseUp(TMouseButton::mbLeft, shift | ssLeft, x, y);
        break;
    case TrayMessage::LButtonDblClk:
        DblClick();
        MouseDown(TMouseButton::mbLeft, shift | ssDouble, x, y);
        break;
    case TrayMessage::RButtonDown:
        MouseDown(TMouseButton::mbRight, shift | ssRight, x, y);
        rightClicked_ = true;
        break;
    case TrayMessage::RButtonUp:
        if (rightClicked_) {
            rightClicked_ = false;
            DoClick(TMouseButton::mbRight, shift | ssRight, x, y);
        }
        MouseUp(TMouseButton::mbRight, shift | ssRight, x, y);
        break;
    case TrayMessage::RButtonDblClk:
        MouseDown(TMouseButton::mbRight, shift | ssDouble, x, y);
        break;
    case TrayMessage::MButtonDown:
        MouseDown(TMouseButton::mbMiddle, shift | ssMiddle, x, y);
        break;
    case TrayMessage::MButtonUp:
        MouseUp(TMouseButton::mbMiddle, shift | ssMiddle, x, y);
        break;
    case TrayMessage::MButtonDblClk:
        MouseDown(TMouseButton::mbMiddle, shift | ssDouble, x, y);
        break;
    }
}

bool TPlTrayIcon::PopupAt(int x, int y) {
    if (!active_ || !popupMenu_ || !AutoPopup) return false;
    popupMenu_->popup(QPoint(x, y));
    return true;
}

void TPlTrayIcon::DoClick(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbRight && PopupAt(x, y)) return;
    if (OnClick) OnClick(*this, button, shift, x, y);
}

void TPlTrayIcon::DblClick() {
    if (active_ && popupMenu_) {
        for (QAction* action : popupMenu_->actions()) {
            if (action == popupMenu_->defaultAction() && action->isEnabled()) {
                action->trigger();
                return;
            }
        }
    }
    if (OnDblClick) OnDblClick(*this);
}

void TPlTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TPlTrayIcon::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TPlTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

} // namespace controls
