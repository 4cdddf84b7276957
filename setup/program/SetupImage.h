#pragma once
// The folder the setup is built from: the program, its uninstaller, the settings, the empty tables made
// from the program's own table definitions, the readme and the help pages, under the names the setup
// installs them by.

#include <filesystem>

namespace setup::plom {

struct ImageSources {
    std::filesystem::path Program;       // the built plom
    std::filesystem::path Uninstall;     // the built uninstaller
    std::filesystem::path HelpPage;      // the help's start page
    std::filesystem::path EngineLibrary; // the engine's install library, run before the setup
};

// Lays the folder out anew (what is there already is replaced).
void MakeSetupImage(const std::filesystem::path& folder, const ImageSources& sources);

} // namespace setup::plom
