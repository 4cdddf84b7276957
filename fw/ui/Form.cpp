#include "fw/ui/Form.h"

#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "fw/ui/Application.h"
#include "fw/ui/DBCtrls.h"
#include "fw/ui/Guard.h"
#include "fw/ui/KeyRouter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <chrono>

namespace fw {

namespace {

FormBehaviour plainBehaviour;
FormBehaviour* currentBehaviour = &plainBehaviour;
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::WidgetFramework, [] { currentBehaviour = &plainBehaviour; });

// Counts a nesting level for its lifetime.
class Depth {
public:
    explicit Depth(int& d) : d_(d) { ++d_; }
    ~Depth() { --d_; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;

private:
    int& d_;
};

} // namespace

void FormBehaviour::DoShow(Form& form) {
    form.RunShowEvent();
}
void FormBehaviour::DoHide(Form& form) {
    form.RunHideEvent();
}
void FormBehaviour::Activate(Form& form) {
    form.RunActivateEvent();
}
void FormBehaviour::Close(Form& form) {
    form.StandardClose(false);
}

FormBehaviour* SetFormBehaviour(FormBehaviour* behaviour) {
    FormBehaviour* old = currentBehaviour == &plainBehaviour ? nullptr : currentBehaviour;
    currentBehaviour = behaviour ? behaviour : &plainBehaviour;
    return old;
}

FormBehaviour& CurrentFormBehaviour() {
    return *currentBehaviour;
}

Form::Form(Component* owner) : ControlOf<QWidget>(nullptr, owner) {
    setWindowFlags(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    // The focus moves mostly from the keyboard and by our own driver: the style must always draw where it
    // is, not only after Qt's own Tab handling.
    setAttribute(Qt::WA_KeyboardFocusChange);
    // The application object installs the key router and the quit rule before any window can close.
    Application::Instance();
}

Form::~Form() {
    if (modalLoop_) modalLoop_->quit();
    active_ = nullptr;
    entered_ = nullptr;
}

void Form::SetBorderStyle(BorderStyle style) {
    Qt::WindowFlags flags = windowFlags() & Qt::WindowStaysOnTopHint;
    switch (style) {
    case BorderStyle::bsSizeable:
        flags |= Qt::Window;
        break;
    case BorderStyle::bsDialog:
        flags |= Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;
        break;
    case BorderStyle::bsToolWindow:
        flags |= Qt::Tool;
        break;
    case BorderStyle::bsNone:
        flags |= Qt::Window | Qt::FramelessWindowHint;
        break;
    }
    setWindowFlags(flags);
}

void Form::SetStayOnTop(bool onTop) {
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

void Form::CentreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void Form::CentreOver(const QWidget* owner) {
    if (!owner) return CentreOnScreen();
    const QRect over = owner->frameGeometry();
    QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize size = frameGeometry().size();
    QPoint at(over.x() + (over.width() - size.width()) / 2, over.y() + (over.height() - size.height()) / 2);
    if (screen) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
    }
    move(at);
}

namespace {
// The form the keys were last handed back to, and until when a window manager's own choice for the window
// that went away (which may come after ours) is taken back.
struct ReturnedActivation {
    QPointer<Form> To;
    std::chrono::steady_clock::time_point Until;
};
ReturnedActivation& LastReturn() {
    static ReturnedActivation last;
    return last;
}
} // namespace

void Form::BringToFront() {
    LastReturn() = {}; // the program's own choice of the window in front stands
    raise();
    activateWindow();
}

void Form::SetActiveControl(Control* control) {
    if (control == this) control = nullptr;
    if (control && control->ParentForm() != this) return;
    // Like SetFocus, asking for a control that cannot take the focus changes nothing.
    if (control && isVisible() && !control->CanFocus()) return;
    if (!isVisible()) {
        active_ = control;
        return;
    }
    Control* old = entered_;
    // A control's exit that moves the focus (to another control or back to itself) only redirects the move
    // that runs it: its exit never runs again inside itself.
    if (old && exiting_ == old) {
        active_ = control;
        redirect_ = control;
        redirected_ = true;
        return;
    }
    if (old == control) {
        active_ = control;
        ApplyQtFocus(control);
        return;
    }
    Depth depth(driverDepth_);
    // A click that moves the focus: a leave that refuses it or asks the user takes the click too.
    const bool clicking = QGuiApplication::mouseButtons() != Qt::NoButton;
    const int boxesBefore = ModalLoopsBegun();
    // The old control settles what is typed in it while it is still the active one; a refusal keeps it.
    if (old && !exiting_) {
        const auto refuse = [&] {
            refusedTarget_ = control;
            ApplyQtFocus(old);
            if (clicking) KeyRouter::DropPressInProgress();
        };
        bool settled = false;
        try {
            settled = old->SettleBeforeLeave();
        } catch (...) {
            if (entered_ == old) refuse();
            throw;
        }
        if (entered_ != old) {
            // The settling placed the focus itself.
            if (clicking && ModalLoopsBegun() != boxesBefore) KeyRouter::DropPressInProgress();
            return;
        }
        if (!settled) {
            refuse();
            throw base::Abort();
        }
    }
    // While the old control leaves, the form already names the new one as active.
    active_ = control;
    if (old) {
        Control* const outerExit = exiting_;
        exiting_ = old;
        redirected_ = false;
        try {
            old->ExitCheck();
            old->DoExit();
        } catch (...) {
            exiting_ = outerExit;
            redirected_ = false;
            active_ = old;
            refusedTarget_ = control;
            ApplyQtFocus(old);
            if (clicking) KeyRouter::DropPressInProgress();
            throw;
        }
        if (clicking && ModalLoopsBegun() != boxesBefore) KeyRouter::DropPressInProgress();
        exiting_ = outerExit;
        if (redirected_ && (!redirect_ || redirect_->CanFocus())) control = redirect_;
        redirected_ = false;
        active_ = control;
        if (control == old) {
            refusedTarget_ = nullptr;
            ApplyQtFocus(old);
            return;
        }
    }
    refusedTarget_ = nullptr;
    entered_ = control;
    if (auto* data = dynamic_cast<DataControl*>(control)) data->DataLink().ForgetRefusal();
    if (control) control->DoEnter();
    if (entered_ == control) ApplyQtFocus(control);
}

void Form::ApplyQtFocus(Control* control) {
    if (!control) return;
    QWidget& w = control->Widget();
    if (w.hasFocus()) return;
    Depth depth(driverDepth_);
    setAttribute(Qt::WA_KeyboardFocusChange);
    w.setFocus(Qt::OtherFocusReason);
}

void Form::FocusFromQt(Control* control) {
    if (driverDepth_ > 0 || control == entered_) return;
    Guarded([&] { SetActiveControl(control); });
}

Control* Form::FindNextControl(Control* current, bool forward, bool checkTabStop) const {
    std::vector<Control*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    const int n = static_cast<int>(list.size());
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (list[static_cast<std::size_t>(i)] == current) start = i;
    if (start < 0) start = forward ? n - 1 : 0;
    for (int step = 1; step <= n; ++step) {
        const int i = ((start + (forward ? step : -step)) % n + n) % n;
        Control* c = list[static_cast<std::size_t>(i)];
        if (c->CanFocus() && c->Enabled() && (!checkTabStop || c->TabStop())) return c;
    }
    return nullptr;
}

void Form::SelectNext(Control* current, bool forward) {
    if (Control* next = FindNextControl(current, forward, true)) next->SetFocus();
}

bool Form::DialogKey(std::uint16_t key, Shift shift) {
    if (shift & (ssCtrl | ssAlt)) return false;
    if (key == VK_TAB) {
        SelectNext(active_, (shift & ssShift) == 0);
        return true;
    }
    if (IsArrowKey(key)) {
        if (!active_ || !active_->Parent()) return false;
        // Arrows walk the controls of the same container, tab stop or not.
        const std::vector<Control*>& list = active_->Parent()->TabList();
        const bool forward = key == VK_RIGHT || key == VK_DOWN;
        const int n = static_cast<int>(list.size());
        int start = 0;
        for (int i = 0; i < n; ++i)
            if (list[static_cast<std::size_t>(i)] == active_) start = i;
        for (int step = 1; step < n; ++step) {
            Control* c = list[static_cast<std::size_t>(((start + (forward ? step : -step)) % n + n) % n)];
            if (c->CanFocus() && !c->HasChildren()) {
                c->SetFocus();
                return true;
            }
        }
        return true;
    }
    if (key != VK_RETURN && key != VK_ESCAPE) return false;
    std::vector<Control*> list;
    GetTabOrderList(list);
    for (Control* c : list) {
        auto* answering = dynamic_cast<DialogKeyControl*>(c);
        if (answering && c->CanFocus() && answering->AnswerDialogKey(key, *this)) return true;
    }
    return false;
}

bool Form::AcceleratorChar(std::uint8_t ch) {
    std::vector<Control*> list;
    GetTabOrderList(list);
    for (Control* c : list)
        if (auto* answering = dynamic_cast<DialogKeyControl*>(c);
            answering && answering->AnswerAccelerator(ch))
            return true;
    return false;
}

void Form::SetModalResult(int result) {
    modalResult_ = result;
    if (result != mrNone && modalLoop_) modalLoop_->quit();
}

void Form::Show() {
    if (!isVisible()) {
        LastReturn() = {}; // a window newly shown takes the keys
        setVisible(true);
        DoShow();
        FocusOnShow();
    }
    if (isVisible()) BringToFront();
}

void Form::FocusOnShow() {
    Guarded([&] {
        Control* c = active_;
        if (!c || !c->CanFocus()) c = FindNextControl(nullptr, true, true);
        if (!c) return;
        if (c == entered_) {
            active_ = c;
            ApplyQtFocus(c);
        } else {
            SetActiveControl(c);
        }
    });
}

void Form::Hide() {
    if (!isVisible()) return;
    const bool wasActive = isActiveWindow();
    setVisible(false);
    DoHide();
    if (wasActive) ReturnActivation(this);
}

namespace {
int modalLoopsBegun = 0;
} // namespace

int Form::ModalLoopsBegun() {
    return modalLoopsBegun;
}

int Form::ShowModal() {
    if (isVisible() || modalLoop_) throw base::Exception("Cannot make a visible window modal");
    ++modalLoopsBegun;
    modalResult_ = mrNone;
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    modalLoop_ = &loop;
    auto leave = [&] {
        modalLoop_ = nullptr;
        if (isVisible()) {
            setVisible(false);
            Guarded([&] { DoHide(); });
        }
        setWindowModality(Qt::NonModal);
        ReturnActivation(this);
    };
    try {
        Show();
    } catch (...) {
        leave();
        throw;
    }
    CloseAction action = CloseAction::caNone;
    for (;;) {
        if (modalResult_ == mrNone && !Application::Instance().Terminated()) {
            // An exception that came through the loop must not leave the form pointing at the gone loop.
            try {
                loop.exec(QEventLoop::DialogExec);
            } catch (...) {
                leave();
                throw;
            }
        }
        if (Application::Instance().Terminated()) {
            if (modalResult_ == mrNone) modalResult_ = mrCancel;
            // The program ends (the form stored what was typed before): its close event still runs, so
            // that whatever keeps the form hears it went.
            action = CloseAction::caHide;
            Guarded([&] { CloseHook(action); });
            break;
        }
        if (modalResult_ == mrNone) continue;
        action = CloseAction::caNone;
        Guarded([&] {
            if (CloseQuery()) {
                action = CloseAction::caHide;
                CloseHook(action);
            }
        });
        if (action != CloseAction::caNone) break;
        modalResult_ = mrNone;
    }
    const int result = modalResult_;
    leave();
    if (action == CloseAction::caFree) Release();
    return result;
}

void Form::Close() {
    CurrentFormBehaviour().Close(*this);
}

void Form::StandardClose(bool onCloseAfterAction) {
    if (modalLoop_) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    CloseAction action = CloseAction::caHide;
    if (!onCloseAfterAction) CloseHook(action);
    if (action != CloseAction::caNone) {
        if (Application::Instance().MainForm() == this) {
            Hide();
            Application::Instance().Terminate();
        } else if (action == CloseAction::caHide) {
            Hide();
        } else if (action == CloseAction::caMinimize) {
            showMinimized();
        } else {
            Hide();
            Release();
        }
    }
    if (onCloseAfterAction) {
        CloseAction ignored = action;
        CloseHook(ignored);
    }
}

bool Form::CloseQuery() {
    bool canClose = true;
    CloseQueryHook(canClose);
    return canClose;
}

void Form::Release() {
    deleteLater();
}

void Form::CreateHook() {
    if (OnCreate) OnCreate(*this);
}
void Form::ShowHook() {
    if (OnShow) OnShow(*this);
}
void Form::HideHook() {
    if (OnHide) OnHide(*this);
}
void Form::ActivateHook() {
    if (OnActivate) OnActivate(*this);
}
void Form::ResizeHook() {
    if (OnResize) OnResize(*this);
}
void Form::CloseQueryHook(bool& canClose) {
    if (OnCloseQuery) OnCloseQuery(*this, canClose);
}
void Form::CloseHook(CloseAction& action) {
    if (OnClose) OnClose(*this, action);
}
void Form::KeyDownHook(std::uint16_t& key, Shift shift) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
}
void Form::KeyPressHook(std::uint8_t& key) {
    if (OnKeyPress) OnKeyPress(*this, key);
}

void Form::closeEvent(QCloseEvent* event) {
    // The form decides itself whether and how it goes.
    event->ignore();
    Guarded([&] { Close(); });
}

void Form::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Realign();
    // Qt resizes again and again while the window is dragged: a failing handler is told once, afterwards.
    GuardedEvent([&] { ResizeHook(); });
}

namespace {
// The forms in the order they were last active, the latest at the back.
std::vector<QPointer<Form>>& ActivationOrder() {
    static std::vector<QPointer<Form>> order;
    return order;
}
} // namespace

Form* LastActiveForm(const QWidget* except) {
    auto& order = ActivationOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (*it && it->data() != except && (*it)->isVisible()) return it->data();
    return nullptr;
}

bool ShownFormsMayClose(bool mustEnd) {
    std::vector<QPointer<Form>> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = dynamic_cast<Form*>(w); f && f->isVisible() && f != Application::Instance().MainForm())
            shown.emplace_back(f);
    // The last active first: a modal form before the forms under it.
    const auto& order = ActivationOrder();
    auto rank = [&](const QPointer<Form>& f) {
        const auto it = std::find(order.begin(), order.end(), f);
        return it == order.end() ? -1 : static_cast<int>(it - order.begin());
    };
    std::stable_sort(shown.begin(), shown.end(),
                     [&](const auto& a, const auto& b) { return rank(a) > rank(b); });
    for (const QPointer<Form>& f : shown) {
        if (!f || !f->isVisible()) continue;
        bool mayClose = false;
        Guarded([&] { mayClose = f->StoreBeforeProgramEnds(mustEnd); });
        if (!mayClose && !mustEnd) return false;
    }
    return true;
}

void ReturnActivation(const QWidget* leaving) {
    Form* f = LastActiveForm(leaving);
    if (!f) return;
    LastReturn() = {f, std::chrono::steady_clock::now() + std::chrono::milliseconds(300)};
    f->activateWindow();
}

void Form::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible()) {
        ReturnedActivation& last = LastReturn();
        if (last.To && last.To != this && last.To->isVisible() &&
            std::chrono::steady_clock::now() < last.Until) {
            last.To->activateWindow();
            return;
        }
        auto& order = ActivationOrder();
        std::erase_if(order, [this](const QPointer<Form>& f) { return !f || f == this; });
        order.emplace_back(this);
        Guarded([&] { Activate(); });
    }
}

void Form::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

} // namespace fw
