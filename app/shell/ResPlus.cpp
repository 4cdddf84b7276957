#include "app/shell/ResPlus.h"

#include "app/data/Settings.h"
#include "app/shell/FormOpener.h"
#include "fw/ui/Control.h"
#include "fw/ui/Form.h"

#include <algorithm>

namespace app {

namespace {
int unknownResources() {
    return 200;
}
} // namespace

// There is no free-resource query on this system: every reading is "unknown".
int (*FreeSystemPercent)() = &unknownResources;
int (*FreeGDIPercent)() = &unknownResources;
int (*FreeUserPercent)() = &unknownResources;

void ResetFreeResourceReaders() {
    FreeSystemPercent = FreeGDIPercent = FreeUserPercent = &unknownResources;
}

ResourceGuardState ResourceGuard;
std::function<void()> ReleaseNotification;
int DroppedWindowCount = 0;

void ResetResourceGuard() {
    ResourceGuard = ResourceGuardState();
    DroppedWindowCount = 0;
}

std::uint8_t Usage() {
    return CommonSettings.Resources.Usage;
}

void ReleaseHook() {
    if (ReleaseNotification) ReleaseNotification();
}

namespace {

// A form that is showing, hidden while a form opened from it shows, about to be shown again, or waiting in
// its modal loop is in use: freeing it would pull it from under its own caller.
bool inUse(const fw::Form& form) {
    const std::int32_t state = fw::TagState(form);
    return form.isVisible() || form.Modal() || state == TagHiddenForOther || state == TagShowingAgain;
}

bool lowSystemOrGdi(int threshold) {
    return FreeSystemPercent() < threshold || FreeGDIPercent() < threshold;
}

} // namespace

bool CloseRegisteredForm(const fw::Component* except) {
    for (std::size_t i = 0; i < FormRegistry.size(); ++i) {
        fw::Form* form = FormRegistry[i].Form.Get();
        if (!form || form == except) continue;
        const std::size_t count = FormRegistry.size();
        form->Close();
        if (FormRegistry.size() != count) {
            ReleaseHook();
            return true;
        }
    }
    return false;
}

bool FreeRegisteredObject(const fw::Component* except) {
    while (!ReleasableRegistry.empty() || !FormRegistry.empty()) {
        for (std::size_t i = 0; i < ReleasableRegistry.size();) {
            const FormVariable variable = ReleasableRegistry[i];
            fw::Form* form = variable.Get();
            if (!form) {
                ReleasableRegistry.erase(ReleasableRegistry.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            if (form == except || inUse(*form)) {
                ++i;
                continue;
            }
            ReleasableRegistry.erase(ReleasableRegistry.begin() + static_cast<std::ptrdiff_t>(i));
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
    ResourceGuardState& g = ResourceGuard;
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
    while (FreeUserPercent() < RunningThreshold &&
           (CloseRegisteredForm(form) || FreeRegisteredObject(form))) {
    }
}

void PreCreationChecks(const fw::Component* form) {
    if (Usage() >= 2) return;
    while (lowSystemOrGdi(PreCreationThreshold) && FreeRegisteredObject(form)) {
    }
    while (FreeUserPercent() < PreCreationThreshold &&
           (CloseRegisteredForm(form) || FreeRegisteredObject(form))) {
    }
}

void PostCreationChecks(const fw::Component* form) {
    if (Usage() >= 2) return;
    ResourceGuardState& g = ResourceGuard;
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
        while (FreeUserPercent() < RunningThreshold &&
               (CloseRegisteredForm(owner) || FreeRegisteredObject(owner))) {
        }
    };
    // A hidden form (or, with Usage 0, a hidden control of a form) would give up its window here. Qt keeps
    // the widgets' state in their windows, so nothing is destroyed; the drop is only counted.
    hooks.Hidden = [](fw::Control& control) {
        if (control.Tag() <= 0) return;
        const bool isForm = dynamic_cast<fw::Form*>(&control) != nullptr;
        if (isForm || (Usage() == 0 && control.Parent() && control.Parent()->Tag() > 0)) ++DroppedWindowCount;
    };
}

} // namespace app
