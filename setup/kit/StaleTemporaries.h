#pragma once
#include <string>

namespace setup {

// Files are written as a temporary beside their target and renamed over it: ".<name>.<8 letters or
// digits>.tmp" (base's replace-file routine), or "<prefix><pid>-XXXXXX" for the kit's own. A killed
// process leaves them behind. One of ours is stale when its process is gone; one of base's when nothing
// has written to it for StaleAgeSeconds (a live write keeps it fresh).
inline constexpr const char* PartPrefix = ".lumeno-part-";
inline constexpr long StaleAgeSeconds = 3600;

// "<folder>/.lumeno-part-<pid of this process>-XXXXXX", a pattern for mkstemp.
std::string PartTemplate(const std::string& folder);
// Creates a new file of that pattern with the mode (less the umask), open for reading and writing; its
// path through `path`. -1 when none could be made.
int OpenPartFile(const std::string& folder, unsigned mode, std::string& path);

// Removes the folder's temporary files whose process is gone. Each folder is swept once per process
// unless force is given (the uninstaller sweeps every folder it touches). Returns how many went.
int RemoveStaleTemporaries(const std::string& folder, bool force = false);

} // namespace setup
