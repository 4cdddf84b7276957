#pragma once
#include <string>

namespace setup {

// Temporary files the kit writes beside their targets are named "<prefix><pid>-XXXXXX", so a later run
// can tell a leftover of a killed process from one still being written by a live one.
inline constexpr const char* PartPrefix = ".lumeno-part-";

// "<folder>/.lumeno-part-<pid of this process>-XXXXXX", a pattern for mkstemp.
std::string PartTemplate(const std::string& folder);

// Removes the folder's temporary files whose process is gone. Each folder is swept once per process
// unless force is given (the uninstaller sweeps every folder it touches). Returns how many went.
int RemoveStaleTemporaries(const std::string& folder, bool force = false);

} // namespace setup
