#pragma once
// The process-wide values of every layer back to their start values in one call. Each unit that keeps
// such values holds them in one state struct with its defaults and registers that struct's reset here (at
// static initialisation, from the unit's own file, so a unit linked in is a unit reset). ResetProgramState
// runs the resets from the top layer down (a layer's reset may free objects that still use the layers
// below it), then the installs from the bottom layer up: a unit that puts its hooks into a lower layer's
// state when it is linked in puts them there again.

#include <new>

namespace base {

// The layers, bottom first.
enum class StateLayer { Base, Engine, DataFramework, WidgetFramework, App, Kit, Forms, Program };

// Registers a reset of a unit of that layer, and what it installs into lower layers afterwards (none when
// nullptr); answers true so that a static can hold the registration.
bool RegisterStateReset(StateLayer layer, void (*reset)(), void (*install)() = nullptr);

// Runs every registered reset, top layer first, then every install, bottom layer first. Tests call it before
// and after each test; the program's start-up needs none (the values start at their defaults).
void ResetProgramState();

// Gives a state struct its defaults again (for structs whose members cannot be assigned as a whole).
template <class State> void Reinitialise(State& state) {
    state.~State();
    new (&state) State();
}

} // namespace base
