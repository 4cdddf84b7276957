#pragma once
// TPlTrayIcon: an icon with a tip in the desktop's notification area. The icon's mouse messages become
// component events; a right click pops up a menu, a double click runs the menu's default item, and the
// icon can animate through the icons of a TIconList. Where the desktop has no notification area the
// icon is simply not added.

#include "controls/IcoList.h"
#include "fw/ui/Component.h"
#include "fw/ui/Control.h"

#include <functional>
#include <memory>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <string>

namespace controls {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                             ssDouble = 64;
using TMouseEvent =
    std::function<void(fw::Component& sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(fw::Component& sender, TShiftState shift, int x, int y)>;

// The mouse messages the notification area sends about the icon.
enum class TrayMessage {
    MouseMove,
    LButtonDown,
    LButtonUp,
    LButtonDblClk,
    RButtonDown,
    RButtonUp,
    RButtonDblClk,
    MButtonDown,
    MButtonUp,
    MButtonDblClk
};

// The desktop's notification area as the tray icon uses it: add, change and remove one icon.
class NotifyArea {
public:
    virtual ~NotifyArea() = default;
    // False where the desktop has no notification area.
    virtual bool Add(const QIcon& icon, const QString& tip) = 0;
    virtual bool Modify(const QIcon& icon, const QString& tip) = 0;
    virtual void Delete() = 0;
    // Set by the tray icon: where the area's mouse messages go.
    std::function<void(TrayMessage)> OnMessage;
};
// Makes the area each new tray icon uses (the default is the desktop's, through QSystemTrayIcon).
using NotifyAreaFactory = std::function<std::unique_ptr<NotifyArea>()>;
NotifyAreaFactory SetNotifyAreaFactory(NotifyAreaFactory factory);

class TPlTrayIcon : public fw::Component {
public:
    explicit TPlTrayIcon(fw::Component* owner);
    ~TPlTrayIcon() override;

    bool Active() const { return active_; }
    void SetActive(bool active);
    bool Animated() const { return animated_; }
    void SetAnimated(bool animated);
    // Animation step in milliseconds (default 150).
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    TIcon& Icon() { return *icon_; }
    void SetIcon(const TIcon& icon) { icon_->Assign(icon); }
    TIconList& Icons() { return *icons_; }
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    bool AutoPopup = true;

    // While the icon is in the notification area.
    bool Added() const { return added_; }
    int IconIndex() const { return iconIndex_; }
    // The tip shown: the short part of Hint (before "|"), at most 63 characters.
    QString Tip() const;
    // The icon shown now: Icon, or while animating the current entry of Icons.
    const TIcon* ActiveIcon() const;

    // One mouse message from the notification area.
    void HandleMessage(TrayMessage message);
    // One animation step.
    void FrameStep();

    TMouseEvent OnClick;
    fw::NotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

protected:
    void Loaded() override;
    virtual void DblClick();
    virtual void DoClick(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

private:
    void Activate();
    void Deactivate();
    void ChangeStep();
    bool PopupAt(int x, int y);

    std::unique_ptr<NotifyArea> area_;
    bool active_ = true;
    bool added_ = false;
    bool animated_ = false;
    bool leftClicked_ = false, rightClicked_ = false;
    int iconIndex_ = -1;
    int interval_ = 150;
    std::unique_ptr<TIcon> icon_;
    std::unique_ptr<TIconList> icons_;
    QTimer animation_;
    bool destroying_ = false;
    std::string hint_;
    QPointer<QMenu> popupMenu_;
};

} // namespace controls
