// The program's state reset: units of every layer register their resets, one call runs them all.
#include "base/ProgramState.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace {

using base::StateLayer;

std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
}

// Three units of different layers, registered out of layer order; the middle one installs into a lower
// layer after the reset.
struct Values {
    int Count = 7;
    std::string Name = "start";
};
Values kitValues, appValues, engineValues;

[[maybe_unused]] const bool kitRegistered = base::RegisterStateReset(StateLayer::Kit, [] {
    Log().push_back("reset kit");
    kitValues = Values();
});
[[maybe_unused]] const bool engineRegistered = base::RegisterStateReset(StateLayer::Engine, [] {
    Log().push_back("reset engine");
    base::Reinitialise(engineValues);
});
[[maybe_unused]] const bool appRegistered = base::RegisterStateReset(
    StateLayer::App,
    [] {
        Log().push_back("reset app");
        appValues = Values();
    },
    [] {
        Log().push_back("install app");
        engineValues.Name = "installed by app";
    });

TEST(ProgramState, ResetsTopLayerFirstThenInstallsBottomUp) {
    kitValues = {1, "kit"};
    appValues = {2, "app"};
    engineValues = {3, "engine"};
    Log().clear();
    base::ResetProgramState();
    EXPECT_THAT(Log(), ::testing::ElementsAre("reset kit", "reset app", "reset engine", "install app"));
    EXPECT_EQ(kitValues.Count, 7);
    EXPECT_EQ(appValues.Name, "start");
    EXPECT_EQ(engineValues.Count, 7);
    EXPECT_EQ(engineValues.Name, "installed by app"); // the install runs after the lower layer's reset
}

} // namespace
