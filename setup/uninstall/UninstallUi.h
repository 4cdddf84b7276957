#pragma once
// The uninstaller as the user starts it: from the menu (no terminal, a display: it asks in the program's
// message box) or from a terminal (it asks there). Without either it removes nothing and says why.

#include "setup/uninstall/Uninstaller.h"

#include <string>
#include <vector>

namespace setup {

enum class AskWay { Terminal, Window, None };

// Standard input from a terminal or piped in, else a display (X, Wayland, or a Qt platform named), else
// none.
AskWay HowToAsk();

// The question asked before anything is removed.
// With the installed programs still running named first.
std::string UninstallQuestion(const std::string& product, const std::vector<std::string>& running = {});
// What was removed and what was kept (the tables each named once, the other files listed).
std::string UninstallSummary(const UninstallReport& report);

// "uninstall <product name...>": the whole run; the exit status (0 removed, 1 failed or could not ask,
// 2 the user said no).
int RunUninstaller(int argc, char** argv);

} // namespace setup
