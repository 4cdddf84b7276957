#pragma once
// The space the chosen file groups need on each file system they go to, with no screen.

#include "setup/install/InstallTree.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace setup {

// A file system as the space list shows it: where it is mounted and what is free on it.
struct FileSystemInfo {
    std::string Id; // the same for every folder on that file system
    std::string MountPoint;
    std::uint64_t Available = 0;
};

// The file system a folder (or the nearest folder above it that exists) lies on.
FileSystemInfo ProbeFileSystem(const std::string& folder);

struct DriveRow {
    std::string MountPoint;
    std::uint64_t Required = 0, Available = 0;
    bool Enough() const { return Required < Available; }
};

// At most this many file systems are listed.
inline constexpr std::size_t MaxDriveRows = 25;

// The bytes of the files directly in the container.
std::uint64_t OwnSize(const TInstallContainer& container);

// One row per file system, in the order first met: the install and, below each chosen container, its
// file groups; a container adds its size when chosen, else it still gets its row. A destination that is
// empty or not absolute lists nothing.
std::vector<DriveRow>
DriveSpace(const TInstallContainer& install,
           const std::function<FileSystemInfo(const std::string&)>& probe = ProbeFileSystem);

// "1.234.567": whole bytes with the thousands marked as the program writes numbers.
std::string GroupedNumber(std::uint64_t value);

} // namespace setup
