#pragma once
#include "fw/ui/Control.h"

#include <memory>
#include <QPointer>
#include <QWidget>

class QEventLoop;

namespace fw {

enum class CloseAction { caNone, caHide, caFree, caMinimize };

enum ModalResultValue : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

enum class BorderStyle { bsSizeable, bsDialog, bsToolWindow, bsNone };

using CloseQueryEvent = std::function<void(Component& sender, bool& canClose)>;
using CloseEvent = std::function<void(Component& sender, CloseAction& action)>;

// How every form shows, hides, activates and closes. The program may replace the plain behaviour for all
// forms at once (SetFormBehaviour); a replacement calls the form's Run...Event methods where the plain
// behaviour would fire the events.
class FormBehaviour {
public:
    virtual ~FormBehaviour() = default;
    virtual void DoShow(Form& form);
    virtual void DoHide(Form& form);
    virtual void Activate(Form& form);
    virtual void Close(Form& form);
};
// Installs a behaviour (nullptr restores the plain one) and returns the previous one.
FormBehaviour* SetFormBehaviour(FormBehaviour* behaviour);
// Gives the keys back to the form that was active last and is still shown, other than leaving: a window
// that goes away hands them back as the desktop's own windows do, not to whichever the window manager
// picks.
void ReturnActivation(const QWidget* leaving);
class Form;
// The form that was active last and is still shown, other than except.
Form* LastActiveForm(const QWidget* except);
FormBehaviour& CurrentFormBehaviour();
// Has every shown form but the main one store what is typed (StoreBeforeProgramEnds), the one in front
// first; false at the first that refuses (it stays open with its message). With mustEnd nothing refuses:
// every form stores what it can and true is the answer.
bool ShownFormsMayClose(bool mustEnd = false);

// A top-level window of the program with its own enter/exit driver (ActiveControl is ours, not Qt's
// focus), its own modal loop, and the form events. Every Qt handler of the form is guarded.
class Form : public ControlOf<QWidget> {
public:
    explicit Form(Component* owner);
    ~Form() override;

    QString Caption() const { return windowTitle(); }
    void SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }
    bool KeyPreview = false;

    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }
    void SetClientWidth(int w) { resize(w, height()); }
    void SetClientHeight(int h) { resize(width(), h); }
    void SetBorderStyle(BorderStyle style);
    void SetStayOnTop(bool onTop);
    // Centres the form on the available screen area.
    void CentreOnScreen();
    // Centres the form over another window (its frame), kept on that window's screen; without one, on the
    // screen.
    void CentreOver(const QWidget* owner);
    void BringToFront();

    // The control that has (or gets, when the form shows) the focus.
    Control* ActiveControl() const { return active_; }
    // Moves the focus: the old control's exit check and DoExit (a throw there refuses the move and keeps
    // the focus, and is passed on), then the new control's DoEnter. On a hidden form it only records it.
    void SetActiveControl(Control* control);
    // The control the last focus change tried to reach when the old control refused to let the focus go
    // (a click on it must not act); nullptr after a change that succeeded.
    Control* RefusedTarget() const { return refusedTarget_; }
    // First (forward) or last control after / before current in tab order that can take the focus;
    // current is examined last. With checkTabStop, TabStop off controls are passed over.
    Control* FindNextControl(Control* current, bool forward, bool checkTabStop) const;
    // Tab and Shift+Tab: the next / previous tab stop.
    void SelectNext(Control* current, bool forward);

    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);
    bool Modal() const { return modalLoop_ != nullptr; }
    // Shows the form and runs a loop until ModalResult is set and the form may close.
    int ShowModal();
    // How many modal loops were begun in the program's run: a box shown in between changes it.
    static int ModalLoopsBegun();
    // Shows the form (modeless) and brings it to the front.
    void Show();
    void Hide();
    // Through the program's form behaviour (see FormBehaviour::Close).
    void Close();
    // The plain close: a modal form gets ModalResult cancel; otherwise CloseQuery, then the close action.
    // With onCloseAfterAction, OnClose runs after the action (changes to the action then have no effect).
    void StandardClose(bool onCloseAfterAction);
    bool CloseQuery();
    // The program is about to end: the form stores what the user typed; false (told) when that is refused
    // and the program must go on. With mustEnd the program goes whatever is refused: what is valid is
    // stored, the rest dropped, and no box waits for an answer.
    virtual bool StoreBeforeProgramEnds(bool /*mustEnd*/) { return true; }
    // Frees the form once control has returned to the event loop.
    void Release();

    // Fire the form's events (through the hooks a derived form may override).
    void RunShowEvent() { ShowHook(); }
    void RunHideEvent() { HideHook(); }
    void RunActivateEvent() { ActivateHook(); }
    void RunCloseEvent(CloseAction& action) { CloseHook(action); }
    void DoShow() { CurrentFormBehaviour().DoShow(*this); }
    void DoHide() { CurrentFormBehaviour().DoHide(*this); }
    void Activate() { CurrentFormBehaviour().Activate(*this); }

    NotifyEvent OnCreate;
    NotifyEvent OnShow;
    NotifyEvent OnHide;
    NotifyEvent OnActivate;
    NotifyEvent OnResize;
    CloseQueryEvent OnCloseQuery;
    CloseEvent OnClose;

    // The form's own key phases (also the preview with KeyPreview).
    void KeyDown(std::uint16_t& key, Shift shift) override { KeyDownHook(key, shift); }
    void KeyPress(std::uint8_t& key) override { KeyPressHook(key); }
    // Dialog keys: Tab moves to the next tab stop, arrows to the next control of the same container, Enter
    // presses the focused or the default button, Esc the cancel button. Answers whether it used the key.
    virtual bool DialogKey(std::uint16_t key, Shift shift);
    // A letter typed while a button has the focus: the button whose accelerator it is presses, as Alt
    // with the letter would. Answers whether one did.
    bool AcceleratorChar(std::uint8_t ch);

    // Construction finished (the form's controls exist and are loaded); see CreateForm.
    virtual void AfterCreate() {}
    void RunCreateEvent() { CreateHook(); }

protected:
    // The framework's event slots. A derived form overrides them to do its own work around the events.
    virtual void CreateHook();
    virtual void ShowHook();
    virtual void HideHook();
    virtual void ActivateHook();
    virtual void ResizeHook();
    virtual void CloseQueryHook(bool& canClose);
    virtual void CloseHook(CloseAction& action);
    virtual void KeyDownHook(std::uint16_t& key, Shift shift);
    virtual void KeyPressHook(std::uint8_t& key);

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    friend class Control;
    void FocusFromQt(Control* control);
    void ApplyQtFocus(Control* control);
    void FocusOnShow();

    Control* active_ = nullptr;
    Control* entered_ = nullptr;
    Control* refusedTarget_ = nullptr;
    // The control whose exit is running, and where a focus change asked for inside that exit goes.
    Control* exiting_ = nullptr;
    Control* redirect_ = nullptr;
    bool redirected_ = false;
    int driverDepth_ = 0;
    int modalResult_ = mrNone;
    QEventLoop* modalLoop_ = nullptr;
};

// Builds a form as its description would: T's constructor creates the controls while they count as being
// read (csReading), then every component gets Loaded, then AfterCreate and OnCreate run. The owner frees
// the form (nullptr: the caller owns it).
template <class T, class... Args> T* CreateForm(Component* owner, Args&&... args) {
    T* form;
    {
        ReadingScope reading;
        form = new T(owner, std::forward<Args>(args)...);
    }
    try {
        form->LoadTree();
        form->AfterCreate();
        form->RunCreateEvent();
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}

template <class T, class... Args> std::unique_ptr<T> MakeForm(Args&&... args) {
    return std::unique_ptr<T>(CreateForm<T>(nullptr, std::forward<Args>(args)...));
}

} // namespace fw
