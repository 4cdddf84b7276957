#include "base/ProgramState.h"

#include <map>
#include <vector>

namespace base {

namespace {

struct Registration {
    void (*Reset)();
    void (*Install)();
};

// Filled during static initialisation only; read afterwards.
std::map<StateLayer, std::vector<Registration>>& Registrations() {
    static std::map<StateLayer, std::vector<Registration>> registrations;
    return registrations;
}

} // namespace

bool RegisterStateReset(StateLayer layer, void (*reset)(), void (*install)()) {
    Registrations()[layer].push_back({reset, install});
    return true;
}

void ResetProgramState() {
    auto& all = Registrations();
    for (auto layer = all.rbegin(); layer != all.rend(); ++layer)
        for (const Registration& r : layer->second)
            if (r.Reset) r.Reset();
    for (auto& [layer, registrations] : all)
        for (const Registration& r : registrations)
            if (r.Install) r.Install();
}

} // namespace base
