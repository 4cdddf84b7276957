#include "app/shell/FocusNavigation.h"

#include "app/shell/MyDialog.h"
#include "base/CroatianFormat.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "fw/ui/Form.h"

#include <climits>
#include <memory>
#include <QApplication>
#include <QPointer>
#include <QThread>
#include <vector>

namespace app {

FocusNavigationState FocusNavigation;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { FocusNavigation = FocusNavigationState(); });
} // namespace

void MoveFocus(fw::Control* control, bool goForward) {
    if (!control) return;
    fw::Form* form = control->ParentForm();
    if (!form) return;
    if (fw::Control* next = form->FindNextControl(control, goForward, true)) next->SetFocus();
}

namespace {

struct Box {
    int Left, Top, Right, Bottom;
};

// The moving control is taken one pixel in from each side.
Box movingBox(const fw::Control& c) {
    const QPoint tl = c.ClientToScreen(QPoint(1, 1));
    const QPoint br = c.ClientToScreen(QPoint(c.Width() - 2, c.Height() - 2));
    return {tl.x(), tl.y(), br.x(), br.y()};
}

Box candidateBox(const fw::Control& c) {
    const QPoint tl = c.ClientToScreen(QPoint(0, 0));
    const QPoint br = c.ClientToScreen(QPoint(c.Width() - 1, c.Height() - 1));
    return {tl.x(), tl.y(), br.x(), br.y()};
}

// The gap from C to D in the direction, or -1 when D does not lie that way or does not overlap across it.
long long gapTo(const Box& c, const Box& d, Direction dir) {
    const bool overlapV = d.Top < c.Bottom && d.Bottom > c.Top;
    const bool overlapH = d.Left < c.Right && d.Right > c.Left;
    switch (dir) {
    case Direction::Right:
        return d.Left >= c.Right && overlapV ? d.Left - c.Right : -1;
    case Direction::Left:
        return d.Right <= c.Left && overlapV ? c.Left - d.Right : -1;
    case Direction::Down:
        return d.Top >= c.Bottom && overlapH ? d.Top - c.Bottom : -1;
    case Direction::Up:
        return d.Bottom <= c.Top && overlapH ? c.Top - d.Bottom : -1;
    }
    return -1;
}

void scan(const fw::Control& container, const Box& c, Direction dir, fw::Control*& best, long long& bestGap) {
    for (fw::Control* child : container.Controls()) {
        if (!child->IsWindowed() || !child->Visible()) continue;
        if (child->HasChildren()) {
            scan(*child, c, dir, best, bestGap);
            continue;
        }
        if (!child->CanFocus() || !child->Enabled() || !child->TabStop()) continue;
        const long long gap = gapTo(c, candidateBox(*child), dir);
        if (gap >= 0 && gap <= bestGap) {
            bestGap = gap;
            best = child;
        }
    }
}

} // namespace

fw::Control* SpatialTarget(fw::Control* control, Direction direction) {
    if (!control) return nullptr;
    fw::Form* form = control->ParentForm();
    if (!form || !form->Visible() || !form->HasChildren()) return nullptr;
    fw::Control* best = nullptr;
    long long bestGap = INT_MAX;
    scan(*form, movingBox(*control), direction, best, bestGap);
    return best;
}

namespace {
void moveTo(fw::Control* control, Direction d) {
    if (fw::Control* target = SpatialTarget(control, d)) target->SetFocus();
}
} // namespace

void MoveFocusRight(fw::Control* control) {
    moveTo(control, Direction::Right);
}
void MoveFocusLeft(fw::Control* control) {
    moveTo(control, Direction::Left);
}
void MoveFocusDown(fw::Control* control) {
    moveTo(control, Direction::Down);
}
void MoveFocusUp(fw::Control* control) {
    moveTo(control, Direction::Up);
}

namespace {

[[noreturn]] void notADate(const std::string& s) {
    throw base::Exception("'" + s + "' nije ispravan datum");
}

// The next group of at most maxDigits digits after any non-digits; -1 when there is none.
int digitGroup(const std::string& s, std::size_t& pos, int maxDigits) {
    while (pos < s.size() && (s[pos] < '0' || s[pos] > '9'))
        ++pos;
    if (pos >= s.size()) return -1;
    int value = 0;
    for (int n = 0; n < maxDigits && pos < s.size() && s[pos] >= '0' && s[pos] <= '9'; ++n, ++pos)
        value = value * 10 + (s[pos] - '0');
    return value;
}

} // namespace

double StrToDateDMY(const std::string& s) {
    std::size_t pos = 0;
    const int day = digitGroup(s, pos, 2);
    const int month = digitGroup(s, pos, 2);
    int year = digitGroup(s, pos, 4);
    if (day < 0 || month < 0 || year < 0) notADate(s);
    if (year < 50)
        year += 2000;
    else if (year < 100)
        year += 1900;
    if (!base::IsValidDate(year, month, day)) notADate(s);
    return base::ToDateTime(base::Date{year, month, day});
}

std::int32_t StrToCode(const std::string& s) {
    const std::string text = "1" + s;
    long long value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') throw base::Exception("'" + text + "' nije ispravan cijeli broj");
        value = value * 10 + (ch - '0');
        if (value > INT32_MAX) throw base::Exception("'" + text + "' nije ispravan cijeli broj");
    }
    return static_cast<std::int32_t>(value);
}

bool Confirm(const std::string& msg) {
    return AskYesNo(msg);
}

bool YieldIfAllowed() {
    if (FocusNavigation.WaitSwitch == 0) return false;
    QThread::yieldCurrentThread();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(10);
    return true;
}

namespace {

std::vector<QPointer<QWidget>>& mouseWindows() {
    static std::vector<QPointer<QWidget>> list;
    return list;
}
[[maybe_unused]] const bool mouseWindowsResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { mouseWindows().clear(); });

bool isMouseInput(QEvent::Type t) {
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

// Holds back mouse input for other windows while the program yields inside a long job; the held events
// are delivered once the yield is over.
class MouseHold : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isMouseInput(event->type()) || !watched->isWidgetType()) return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        for (const auto& allowed : mouseWindows())
            if (allowed && allowed == window) return false;
        held.push_back({QPointer<QObject>(watched), std::unique_ptr<QEvent>(event->clone())});
        return true;
    }
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<Held> held;
};

} // namespace

void AllowMouseDuringYield(QWidget* window) {
    for (const auto& w : mouseWindows())
        if (w == window) return;
    mouseWindows().emplace_back(window);
}

void YieldToSystem() {
    QThread::yieldCurrentThread();
    {
        MouseHold hold;
        qApp->installEventFilter(&hold);
        QApplication::processEvents(QEventLoop::AllEvents);
        qApp->removeEventFilter(&hold);
        for (auto& h : hold.held)
            if (h.receiver) QCoreApplication::postEvent(h.receiver, h.event.release());
    }
    QThread::msleep(10);
}

bool LockWaitAllowed() {
    if (FocusNavigation.LockWaitSwitch == 0) return false;
    const int priority = FocusNavigation.BackgroundPriority ? FocusNavigation.BackgroundPriority() : 0;
    return priority != 6;
}

} // namespace app
