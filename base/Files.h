#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace base {

namespace fs = std::filesystem;

// The file of that name inside the folder, matched case-insensitively (an exact match wins); none if absent.
std::optional<fs::path> FindFile(const fs::path& folder, const std::string& name);
// The path to use for that name: the existing file whatever its case, else folder / name as given.
fs::path ResolveFile(const fs::path& folder, const std::string& name);
bool FileExistsIn(const fs::path& folder, const std::string& name);

// "*" any run of characters, "?" one character; case-insensitive.
bool MatchesMask(const std::string& name, const std::string& mask);
// Regular files of the folder whose names match the mask, sorted by name.
std::vector<fs::path> FilesMatching(const fs::path& folder, const std::string& mask);

// Modification time with full precision, nanoseconds since the epoch; throws base::Exception on failure.
std::int64_t FileTime(const fs::path& file);
void SetFileTime(const fs::path& file, std::int64_t nanoseconds);

} // namespace base
