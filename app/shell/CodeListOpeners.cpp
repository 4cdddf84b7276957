#include "app/shell/CodeListOpeners.h"

#include "base/ProgramState.h"
#include "base/Text.h"

#include <map>

namespace app {

namespace {

// Reached through a function so that registrations made during static initialisation find it built.
std::map<std::string, CodeListOpener>& Openers() {
    static std::map<std::string, CodeListOpener> openers;
    return openers;
}

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { Openers().clear(); });

} // namespace

void RegisterCodeListOpener(const std::string& tableName, CodeListOpener opener) {
    Openers()[base::UpperCase(tableName)] = std::move(opener);
}

CodeListOpener CodeListOpenerOf(const std::string& tableName) {
    const auto it = Openers().find(base::UpperCase(tableName));
    return it == Openers().end() ? CodeListOpener() : it->second;
}

std::vector<std::string> CodeListTables() {
    std::vector<std::string> tables;
    for (const auto& entry : Openers())
        tables.push_back(entry.first);
    return tables;
}

bool OpenCodeListOf(const std::string& tableName, fw::Form* caller) {
    const CodeListOpener opener = CodeListOpenerOf(tableName);
    if (!opener) return false;
    opener(caller);
    return true;
}

} // namespace app
