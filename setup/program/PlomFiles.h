#pragma once
// What the setup installs: the files of the install itself and of each file group, as they lie in the
// build's source folder (relative to it) and as they are installed.

#include <string>
#include <vector>

namespace setup::plom {

inline constexpr const char* ProgramName = "Plom";
inline constexpr const char* UninstallName = "uninstall";
inline constexpr const char* ReadmeName = "Procitaj.txt";
inline constexpr const char* HelpStartPage = "Plomdow.htm";

// Directly in the install's folder, by order.
const std::vector<std::string>& InstallFiles();
// The shared-data tables ("Global"), the local tables ("Lokal"), the help pages ("Pomoć").
const std::vector<std::string>& GlobalFiles();
const std::vector<std::string>& LokalFiles();
const std::vector<std::string>& HelpFiles();

} // namespace setup::plom
