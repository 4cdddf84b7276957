#pragma once
// Whole small files (a new table's header, index definitions): replaced as one, on disk when this returns.

#include <filesystem>
#include <string>

namespace engine {

void WriteFileReplacing(const std::filesystem::path& path, const std::string& bytes);

} // namespace engine
