#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// Which shell the kit talks to: 1 and 2 mean a Start menu folder tree with links. This system always
// answers 2, so every automatic choice takes the modern path.
int WindowsVersionCode();

// Paths have no short form here: the path as given.
std::string ShortPathName(const std::string& path);

// A fresh temporary file "bat…" in a folder of this process that nobody else can write. With Keep the
// file stays (empty); without it only the name is handed back, still safe since the folder is private.
// Failure raises EAPIRoutines "Cannot create a temporary file".
std::string TempFileName(bool keep);

// Where the setup keeps its own state (the registry files): $LUMENO_SETUP_STATE when set, else
// /var/lib/lumeno-setup for root, else $XDG_STATE_HOME/lumeno-setup (~/.local/state/lumeno-setup).
std::filesystem::path StateFolder();
// Whether the open file is still the one at that name (a lock file may be removed while it is waited for).
bool StillNamed(int fd, const std::string& path);
inline constexpr const char* StateFolderVariable = "LUMENO_SETUP_STATE";

// Stand-ins for the system and Windows folders: folders inside the state folder, so nothing the setup
// installs there lands in /usr or /etc.
std::string SystemDirectory();
std::string WindowsDirectory();

// Trailing separators, "/" on this system. A lone root "/" is kept by RemoveBackslash.
std::string AddBackslash(const std::string& path);
std::string RemoveBackslash(const std::string& path);

// Separated fields: the number of separators plus one unless the text is empty or ends with one.
int FieldCount(std::string_view text, char separator);
// Field n (from 1); the last field runs to the end of the text; a field beyond the last is empty.
std::string Field(std::string_view text, int n, char separator);
std::vector<std::string> SplitList(std::string_view text, char separator);
// The text after the first ":" (empty without one).
std::string AfterColon(std::string_view text);

// A name that is safe as one file name: "/" becomes "-", the characters " * : ; < > ? \ | are dropped.
std::string SafeFileName(std::string_view text);

// The last part of a path. A path with a "/" is one of this system, split at "/" only (a "\" is part of a
// name there); one without is a configured path whose parts are separated by "\" or ":".
std::string NamePart(std::string_view path);
// The folder part before the last separator, in the same way (empty when there is none).
std::string FolderPart(std::string_view path);
// Backslashes of a configured path turned into "/"; a path of this system (one holding a "/") stays as it
// is.
std::string NormalizeSeparators(std::string_view path);

// At most maxBytes bytes of UTF-8 text, never cutting a character in two.
std::string CutBytes(std::string_view utf8, std::size_t maxBytes);

} // namespace setup
