#pragma once
#include <string>
#include <vector>

namespace setup {

struct UninstallReport {
    std::vector<std::string> Removed;
    // Changed since they were installed (the workshop's data), still used by another program, or not a
    // plain file: left where they are.
    std::vector<std::string> Kept;
    std::vector<std::string> FoldersRemoved;
};

// The product's uninstall key, or "" when nothing is installed under that name.
std::string UninstallKeyOf(const std::string& product);

// Removes what the installation of the product recorded: only the listed files and links (never a
// folder's contents), keeping files changed since their installation and shared files others still
// count; then the folders that became empty, deepest first; lowers the shared counts and deletes the
// uninstall key.
UninstallReport UninstallProduct(const std::string& product);

} // namespace setup
