#pragma once
// A copy of a table's files as they stand between two writes, for an archive taken while other stations
// write.

#include <filesystem>
#include <string>
#include <vector>

namespace engine {

// Copies the files of a table (.DB, .PX, .MB, .VAL, its index files, and the journal a killed write left)
// under their own names into `toFolder`, as they stand between two writes: under the lock a write holds
// while it changes the files (a write under way is waited for; TableBusy when that takes over 10 s). Each
// copy keeps its file's modification time. Answers the names copied, the .DB last.
std::vector<std::string> CopyTableFiles(const std::filesystem::path& folder, const std::string& name,
                                        const std::filesystem::path& toFolder);

} // namespace engine
