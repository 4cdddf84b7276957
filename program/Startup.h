#pragma once
// The program's start and end: the units initialised in dependency order, the application titled
// "Lumeno", the main window created and the message loop run until it closes, then the units finalised in
// reverse order with every table flushed, unregistered and closed before the databases.

#include <filesystem>
#include <functional>
#include <vector>

namespace app {

class TWinGlavna;

// The forms made at start right after the main window, in this order, owned by the application and not
// shown: the code lists of colours, partners, articles and article groups, then the print preview. Each
// unit adds its creator here as it joins the program.
struct StartupState {
    std::vector<std::function<void()>> StartUpForms;
};
// Reset with the program's state.
extern StartupState Startup;

// Fills StartUpForms with the program's own forms in their order: the colours, the partners, the articles
// and the article groups, then the print preview.
void AddStartUpForms();

// Settings, table sets, data layers, dialogs, the kit and the services its tables call.
void InitializeUnits(const std::filesystem::path& programFolder);
// Every table flushed and closed (registrations withdrawn from "OPEN.DB"), the registers and the
// databases closed, the forms freed.
void FinalizeUnits();

// The whole program on the folder; the exit code. `whenShown` runs from the message loop once the main
// window is shown (automated runs drive the window from there).
int RunProgram(const std::filesystem::path& programFolder,
               const std::function<void(TWinGlavna&)>& whenShown = {});

} // namespace app
