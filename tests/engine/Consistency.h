#pragma once
// A full consistency check of a table's files, independent of the engine's image: the .DB chain, its counts
// and key order, the .PX entries against the blocks, and every row readable through the engine.

#include <filesystem>
#include <string>

namespace enginetest {

// Empty when consistent, else what is wrong.
std::string CheckConsistency(const std::filesystem::path& folder, const std::string& table);

} // namespace enginetest
