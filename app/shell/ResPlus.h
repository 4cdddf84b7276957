#pragma once
// The resource guard: before and after windows are made it reads the free-resource percentages and, below
// its thresholds, closes registered forms or frees released ones; after a failed form creation it lowers
// its limits and frees more. The readers are replaceable; on this system they answer 200 (unknown).

#include <cstdint>
#include <functional>

namespace fw {
class Component;
class Form;
} // namespace fw

namespace app {

// A free-resource reading the system cannot tell: 200. There is no such query on this system.
int UnknownResources();
// Puts back the readers that answer 200.
void ResetFreeResourceReaders();

inline constexpr int PreCreationThreshold = 25;
inline constexpr int RunningThreshold = 15;

struct ResourceGuardState {
    std::uint8_t GuardPercentMode = 1; // 1 percentage mode, 0 count mode
    std::int32_t ControlLimit = 50000;
    std::int32_t ComponentLimit = 100000;
    std::int32_t ControlTotal = 0;
    std::int32_t ComponentTotal = 0;
    std::int32_t FormTotal = 0;
};

struct ResPlusState {
    // The free-resource readers: a percentage, 200 when the system cannot tell.
    int (*FreeSystemPercent)() = &UnknownResources;
    int (*FreeGDIPercent)() = &UnknownResources;
    int (*FreeUserPercent)() = &UnknownResources;
    ResourceGuardState ResourceGuard;
    // Called after every release when set; nothing in the program sets it.
    std::function<void()> ReleaseNotification;
    // Counts the windows dropped by hidden forms (there is nothing to free on this system).
    int DroppedWindowCount = 0;
};
// Reset with the program's state.
extern ResPlusState ResPlus;

// Usage of "QK.INI" [Resources].
std::uint8_t Usage();

bool CloseRegisteredForm(const fw::Component* except);
bool FreeRegisteredObject(const fw::Component* except);
bool ReleaseResources(const fw::Component* except);
void ReleaseHook();

// The checks a kit form runs before it is built, after it is built and when it shows.
void PreCreationChecks(const fw::Component* form);
void RunningThresholdLoops(const fw::Component* form);
void PostCreationChecks(const fw::Component* form);

// Puts the guard's checks into the control construction, window creation and hiding points of every control.
void InstallResourceGuard();
// Initial limits and totals (tests).
void ResetResourceGuard();

} // namespace app
