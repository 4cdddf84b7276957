#include "app/shell/ResPlus.h"

#include "app/data/Settings.h"
#include "app/shell/FormOpener.h"
#include "base/ProgramState.h"
#include "fw/ui/Control.h"
#include "fw/ui/Form.h"

#include <algorithm>

namespace app {

int UnknownResources() {
    return 200;
}

ResPlusState ResPlus;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { ResPlus = ResPlusState(); });
} // namespace

void ResetFreeResourceReaders() {
    ResPlus.FreeSystemPercent = ResPlus.FreeGDIPercent = ResPlus.FreeUserPercent = &UnknownResources;
}

void ResetResourceGuard() {
    ResPlus.ResourceGuard = ResourceGuardState();
    ResPlus.DroppedWindowCount = 0;
}

std::uint8_t Usage() {
    return Settings.CommonSettings.Resources.Usage;
}

void ReleaseHook() {
    if (ResPlus.ReleaseNotification) ResPlus.ReleaseNotification();
}

namespace {

// A form that is showing, hidden while a form opened from it shows, about to be shown again, or waiting in
// its modal loop is in use: freeing it would pull it from under its own caller.
bool inUse(const fw::Form& form) {
    const std::int32_t state = fw::TagState(form);
    return form.isVisible() || form.Modal() || state == TagHiddenForOther || state == TagShowingAgain;
}

bool lowSystemOrGdi(int threshold) {
    return ResPlus.FreeSystemPercent() < threshold || ResPlus.FreeGDIPercent() < threshold;
}

} // namespace

bool CloseRegisteredForm(const fw::Component* except) {
    for (std::size_t i = 0; i < FormOpener.FormRegistry.size(); ++i) {
        fw::Form* form = FormOpener.FormRegistry[i].Form.Get();
        if (!form || form == except) continue;
        const std::size_t count = FormOpener.FormRegistry.size();
        form->Close();
        if (FormOpener.FormRegistry.size() != count) {
            ReleaseHook();
            return true;
        }
    }
    return false;
}

bool FreeRegisteredObject(const fw::Component* except) {
    while (!FormOpener.ReleasableRegistry.empty() || !FormOpener.FormRegistry.empty()) {
        for (std::size_t i = 0; i < FormOpener.ReleasableRegistry.size();) {
            const FormVariable variable = FormOpener.ReleasableRegistry[i];
            fw::Form* form = variable.Get();
            if (!form) {
                FormOpener.ReleasableRegistry.erase(FormOpener.ReleasableRegistry.begin() +
                                                    static_cast<std::ptrdiff_t>(i));
                continue;
            }
            if (form == except || inUse(*form)) {
                ++i;
                continue;
            }
            FormOpener.ReleasableRegistry.erase(FormOpener.ReleasableRegistry.begin() +
                                                static_cast<std::ptrdiff_t>(i));
            delete form;
            variable.Clear();
            ReleaseHook();
            return true;
        }
        if (!CloseRegisteredForm(except)) break;
    }
    return false;
}

bool ReleaseResources(const fw::Component* except) {
    ResourceGuardState& g = ResPlus.ResourceGuard;
    g.ControlLimit = std::min(g.ControlLimit, g.ControlTotal * 8 / 10);
    g.ComponentLimit = std::min(g.ComponentLimit, g.ComponentTotal * 8 / 10);
    const std::int32_t controlTarget = std::min(g.ControlTotal * 6 / 10, g.ControlLimit);
    const std::int32_t componentTarget = std::min(g.ComponentTotal * 6 / 10, g.ComponentLimit);
    const bool freed = FreeRegisteredObject(except);
    while ((g.ControlTotal > controlTarget || g.ComponentTotal > componentTarget) &&
           FreeRegisteredObject(except)) {
    }
    return freed;
}

void RunningThresholdLoops(const fw::Component* form) {
    while (lowSystemOrGdi(RunningThreshold) && FreeRegisteredObject(form)) {
    }
    while (ResPlus.FreeUserPercent() < RunningThreshold &&
           (CloseRegisteredForm(form) || FreeRegisteredObject(form))) {
    }
}

void PreCreationChecks(const fw::Component* form) {
    if (Usage() >= 2) return;
    while (lowSystemOrGdi(PreCreationThreshold) && FreeRegisteredObject(form)) {
    }
    while (ResPlus.FreeUserPercent() < PreCreationThreshold &&
           (CloseRegisteredForm(form) || FreeRegisteredObject(form))) {
    }
}

void PostCreationChecks(const fw::Component* form) {
    if (Usage() >= 2) return;
    ResourceGuardState& g = ResPlus.ResourceGuard;
    if (g.GuardPercentMode) {
        RunningThresholdLoops(form);
        return;
    }
    while ((g.ControlTotal > g.ControlLimit || g.ComponentTotal > g.ComponentLimit) &&
           FreeRegisteredObject(form)) {
    }
}

void InstallResourceGuard() {
    fw::ControlHooks& hooks = fw::Hooks();
    hooks.Creating = [](fw::Component* owner) {
        if (Usage() != 2 || !dynamic_cast<fw::Form*>(owner)) return;
        while (lowSystemOrGdi(RunningThreshold) && FreeRegisteredObject(owner)) {
        }
    };
    hooks.WindowCreating = [](fw::Control& control) {
        fw::Component* owner = control.Owner();
        if (Usage() >= 2 || !dynamic_cast<fw::Form*>(owner)) return;
        while (ResPlus.FreeUserPercent() < RunningThreshold &&
               (CloseRegisteredForm(owner) || FreeRegisteredObject(owner))) {
        }
    };
    // A hidden form (or, with Usage 0, a hidden control of a form) would give up its window here. Qt keeps
    // the widgets' state in their windows, so nothing is destroyed; the drop is only counted.
    hooks.Hidden = [](fw::Control& control) {
        if (control.Tag() <= 0) return;
        const bool isForm = dynamic_cast<fw::Form*>(&control) != nullptr;
        if (isForm || (Usage() == 0 && control.Parent() && control.Parent()->Tag() > 0))
            ++ResPlus.DroppedWindowCount;
    };
}

} // namespace app
