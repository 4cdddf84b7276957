#pragma once
#include <string>

namespace setup {

// The shell folders of the installer. The registry values come first (same keys and value names, so a
// test or an administrator can redirect them); without one the folder follows the freedesktop layout,
// per user, or system-wide when running as root. Results have no trailing separator.

inline constexpr const char* ShellFoldersKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* CurrentVersionKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// $XDG_DATA_HOME (~/.local/share), /opt for root.
std::string ProgramFilesFolder();
// The program-files folder + "/Common Files".
std::string CommonFilesFolder();
// The menu's applications folder: $XDG_DATA_HOME/applications, /usr/local/share/applications for root.
std::string StartMenuFolder();
// The menu is one tree of entries here, so the Programs folder is the Start Menu folder.
std::string ProgramsFolder();
// The user's desktop folder (XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop).
std::string DesktopFolder();
// $XDG_CONFIG_HOME/autostart, /etc/xdg/autostart for root.
std::string StartupFolder();

} // namespace setup
