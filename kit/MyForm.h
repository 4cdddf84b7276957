#pragma once
// TMyForm: the base form of every data form. Its tables open when it shows and are flushed and released
// when it closes, the resource guard counts it, its client width stays as designed, and it owns the kit's
// keyboard model. The designer's handlers live in the re-published events and run inside the kit's.

#include "app/shell/FormOpener.h"
#include "fw/ui/Form.h"

namespace fw {
class TDataSet;
}

namespace kit {

class TMyForm : public fw::Form, public app::KitForm {
public:
    explicit TMyForm(fw::Component* owner);
    ~TMyForm() override;

    // The designer's handlers.
    fw::NotifyEvent OnActivate;
    fw::CloseEvent OnClose;
    fw::CloseQueryEvent OnCloseQuery;
    fw::NotifyEvent OnShow;
    fw::KeyPressEvent OnKeyPress;
    fw::KeyEvent OnKeyDown;
    fw::NotifyEvent OnResize;

    fw::Control* SavedActiveControl = nullptr;
    int SavedClientWidth = 0;
    int SavedClientHeight = 0;
    bool MayResizeWidth = false;
    bool MayResizeHeight = true;
    fw::TDataSet* BrowseTable = nullptr;

    void FormShow(fw::Component& sender);
    void FormActivate(fw::Component& sender);
    void FormResize(fw::Component& sender);
    void FormCloseQuery(fw::Component& sender, bool& canClose);
    void FormClose(fw::Component& sender, fw::CloseAction& action);
    void FormKeyDown(fw::Component& sender, std::uint16_t& key, fw::Shift shift);
    void FormKeyPress(fw::Component& sender, std::uint8_t& key);

    bool ActiveControlIsKit() const override;
    // What is typed is taken and the changed records stored, as for a close, without the form's own close
    // rule (the program ends whatever that rule would say).
    bool StoreBeforeProgramEnds(bool mustEnd) override;
    void AfterCreate() override;
    // Tab is the framework's (a typed code is settled by its control's leave); Enter, Esc and the arrows wait
    // for the kit's key handling.
    bool DialogKey(std::uint16_t key, fw::Shift shift) override;

protected:
    // Titles the fields of a grid's dataset that no caption of the form titles.
    virtual void TitleOwnFields(fw::TDataSet&) {}
    void ShowHook() override { FormShow(*this); }
    void ActivateHook() override { FormActivate(*this); }
    void ResizeHook() override { FormResize(*this); }
    void CloseQueryHook(bool& canClose) override { FormCloseQuery(*this, canClose); }
    void CloseHook(fw::CloseAction& action) override { FormClose(*this, action); }
    void KeyDownHook(std::uint16_t& key, fw::Shift shift) override { FormKeyDown(*this, key, shift); }
    void KeyPressHook(std::uint8_t& key) override { FormKeyPress(*this, key); }

private:
    bool KitKeys(std::uint16_t& key, fw::Shift shift);
    // Leaves the active control and posts the form's changed records before the form closes; false (the
    // failure shown) when one is refused.
    bool PostForClose();
    // Takes the active control's pending text and leaves it; false (told, the focus kept) when refused.
    bool LeaveActiveForClose(fw::Control* active);
    // Posts and flushes the form's records; false (told) when one is refused.
    bool StoreForClose(fw::Control* active);
    void WalkTabCycle();
    void DeferredDialogKey(std::uint16_t& key, fw::Shift shift);
    bool escClosing_ = false;
    bool counted_ = false;
    int countedControls_ = 0;
    int countedComponents_ = 0;
};

// F11: a short beep and a yellow and red cross-hair mark flashed three times over the control.
void ShowFocusMark(fw::Control* control);
// The flashes of the last mark still to come (tests).
int FocusMarkPhasesLeft();

} // namespace kit
