#pragma once
#include <string>
#include <vector>

namespace setup {

struct UninstallReport {
    std::vector<std::string> Removed;
    // Changed since they were installed (the workshop's data), still used by another program, or not a
    // plain file: left where they are.
    std::vector<std::string> Kept;
    // The tables among them (their .DB files), each kept whole with its memo, index and journal files.
    std::vector<std::string> KeptTables;
    std::vector<std::string> FoldersRemoved;
};

// The product's uninstall key, or "" when nothing is installed under that name.
std::string UninstallKeyOf(const std::string& product);

// Whether the name is that of a table's file: .DB, .MB, .PX, .VAL, the journal .JNL, or an index file.
bool IsTableFile(const std::string& name);

// Removes what the installation of the product recorded: only the listed files and links (never a
// folder's contents), keeping files changed since their installation and shared files others still
// count. A table goes or stays whole, with its memo, index and journal files (the program makes those
// after the installation). Then the archive's lock files, the folders that became empty (deepest first)
// and the registry values that named what is gone; lowers the shared counts and deletes the uninstall key.
UninstallReport UninstallProduct(const std::string& product);

// The installed programs of the product that are running now (other than this one).
std::vector<std::string> RunningPrograms(const std::string& product);

} // namespace setup
