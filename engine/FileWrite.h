#pragma once
// Whole small files (a new table's header, index definitions): written beside their place and renamed over
// it, so a reader sees the old file or the new one, never a part.

#include <filesystem>
#include <string>

namespace engine {

void WriteFileReplacing(const std::filesystem::path& path, const std::string& bytes);

} // namespace engine
