#include "kit/Mycombo.h"

#include "app/data/DBMine.h"
#include "app/data/OpenDbRegister.h"
#include "app/shell/FocusNavigation.h"
#include "app/shell/ResPlus.h"
#include "app/shell/Splash.h"
#include "base/ProgramState.h"
#include "fw/db/Session.h"
#include "fw/ui/Grid.h"
#include "fw/ui/StdCtrls.h"
#include "kit/MyTable.h"

namespace kit {

KitValues Kit;

namespace {
[[maybe_unused]] const bool stateResetRegistered = base::RegisterStateReset(base::StateLayer::Kit, [] {
    FreeKit();
    Kit = KitValues();
});
} // namespace

namespace {

std::unique_ptr<TMyTable> makeRegister(const std::string& databaseName) {
    auto t = std::make_unique<TMyTable>(nullptr);
    t->SetDatabaseName(databaseName);
    t->SetTableName("OPEN.DB");
    t->FreeToModify = true;
    return t;
}

} // namespace

void InitializeKit() {
    app::FormOpener.FormCreationHook = app::BeginFormCreation;
    app::FormOpener.FormShowingHook = [](app::FormVariable form, fw::Form* caller) {
        app::ShowForm(form, caller);
    };
    app::InstallFormBehaviour();
    app::DBMine.OpenTableLimitProc = app::LimitOpenTables;
    Kit.KitSessionA = &fw::Session();
    app::FormOpener.KitSessionB = nullptr;
    Kit.SessionNameA = "Default";
    Kit.SessionNameB = "Default";
    if (!Kit.OpenDbGlobal) Kit.OpenDbGlobal = makeRegister("Global");
    if (!Kit.OpenDbLokal) Kit.OpenDbLokal = makeRegister("Lokal");
    // The register routines work on the kit's two tables.
    app::OpenDbRegister.OpenDbGlobal = Kit.OpenDbGlobal.get();
    app::OpenDbRegister.OpenDbLokal = Kit.OpenDbLokal.get();
}

void FinalizeKit() {
    if (Kit.OpenDbGlobal) Kit.OpenDbGlobal->Close();
    if (Kit.OpenDbLokal) Kit.OpenDbLokal->Close();
    Kit.SessionNameA.clear();
    Kit.SessionNameB.clear();
}

void FreeKit() {
    if (app::OpenDbRegister.OpenDbGlobal == Kit.OpenDbGlobal.get())
        app::OpenDbRegister.OpenDbGlobal = nullptr;
    if (app::OpenDbRegister.OpenDbLokal == Kit.OpenDbLokal.get()) app::OpenDbRegister.OpenDbLokal = nullptr;
    Kit.OpenDbGlobal.reset();
    Kit.OpenDbLokal.reset();
}

bool CodeControl::SettleInPlace() {
    settleInPlace_ = true;
    Kit.AdvanceAllowed = true;
    SearchCode();
    settleInPlace_ = false;
    const bool taken = Kit.AdvanceAllowed;
    Kit.AdvanceAllowed = true;
    return taken;
}

bool ActiveControlNotKit(const fw::Form* form) {
    if (!form || !form->ActiveControl()) return false;
    return dynamic_cast<KitControl*>(form->ActiveControl()) == nullptr;
}

int CountControls(const fw::Control* control) {
    if (!control || !control->HasChildren()) return 0;
    int count = control->ControlCount();
    for (const fw::Control* child : control->Controls())
        if (child->IsWindowed()) count += CountControls(child);
    return count;
}

namespace {

bool codeListKeys(fw::Form& form, std::uint16_t& key, fw::Shift shift, fw::Control* home, fw::Control* end,
                  bool swap) {
    fw::Control* active = form.ActiveControl();
    if (shift == fw::ssCtrl) {
        if (key == fw::VK_HOME || key == fw::VK_END) {
            fw::Control* target = key == fw::VK_HOME ? home : end;
            key = 0;
            if (target && target->CanFocus()) target->SetFocus();
            return true;
        }
        if (key == fw::VK_RETURN) {
            key = 0;
            if (auto* code = dynamic_cast<CodeControl*>(active)) code->SearchCode();
            if (dynamic_cast<fw::Button*>(end) && end->CanFocus()) {
                end->SetFocus();
                end->Click();
            }
            return true;
        }
        return false;
    }
    if (shift == fw::ssAlt && fw::IsArrowKey(key)) {
        const std::uint16_t arrow = key;
        key = 0;
        MoveFocusByArrow(arrow, active);
        return false;
    }
    if ((key == fw::VK_LEFT || key == fw::VK_RIGHT) && dynamic_cast<fw::Grid*>(active)) {
        const bool forward = key == fw::VK_LEFT ? swap : !swap;
        key = 0;
        app::MoveFocus(active, forward);
        return true;
    }
    if (key == fw::VK_RETURN && shift == fw::ssNone && dynamic_cast<fw::Button*>(active)) {
        key = 0;
        active->Click();
    }
    return false;
}

} // namespace

bool MoveFocusByArrow(std::uint16_t key, fw::Control* control) {
    switch (key) {
    case fw::VK_LEFT:
        app::MoveFocusLeft(control);
        return true;
    case fw::VK_RIGHT:
        app::MoveFocusRight(control);
        return true;
    case fw::VK_UP:
        app::MoveFocusUp(control);
        return true;
    case fw::VK_DOWN:
        app::MoveFocusDown(control);
        return true;
    default:
        return false;
    }
}

bool CodeListKeyDown(fw::Form* form, std::uint16_t& key, fw::Shift shift, fw::Control* homeControl,
                     fw::Control* endControl, bool swapGridArrows) {
    if (!form) return false;
    app::FormOpener.KeyHandled = codeListKeys(*form, key, shift, homeControl, endControl, swapGridArrows);
    return app::FormOpener.KeyHandled;
}

} // namespace kit
