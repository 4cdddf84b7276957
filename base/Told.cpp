#include "base/Told.h"

#include "base/ProgramState.h"

#include <algorithm>
#include <set>
#include <vector>

namespace base {

namespace {

struct ToldState {
    std::vector<std::string> OnScreen;
    std::set<std::string> Told;
};

ToldState& told() {
    static ToldState state;
    return state;
}

[[maybe_unused]] const bool stateResetRegistered =
    RegisterStateReset(StateLayer::Base, [] { told() = ToldState(); });

} // namespace

bool ToldSinceInput(const std::string& text) {
    return told().Told.count(text) > 0 || OnScreen(text);
}

bool OnScreen(const std::string& text) {
    const auto& screen = told().OnScreen;
    return std::find(screen.begin(), screen.end(), text) != screen.end();
}

Telling::Telling(const std::string& text) {
    told().Told.insert(text);
    told().OnScreen.push_back(text);
}

Telling::~Telling() {
    told().OnScreen.pop_back();
}

void RememberTold(const std::string& text) {
    told().Told.insert(text);
}

void InputArrived() {
    if (told().OnScreen.empty()) told().Told.clear();
}

} // namespace base
