#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// The freedesktop files that stand in for shortcuts and program groups: desktop entries (".desktop"),
// folder entries (".directory") and the menu file that puts a folder of entries into the application menu.

struct DesktopEntry {
    std::string Type = "Application"; // "Application", "Link" or "Directory"
    std::string Name;
    std::string Exec; // already built with ExecLine
    std::string Path; // working folder
    std::string URL;  // Type=Link
    bool Terminal = false;
};

// The desktop's opener: an entry for a document or a folder runs it with the target.
inline constexpr const char* DocumentOpener = "xdg-open";

// A string value of a desktop file: "\" as "\\", new line as "\n", tab as "\t", carriage return as "\r",
// a leading blank as "\s". Other control characters cannot be stored and raise IEInstallShellLink.
std::string EscapeDesktopValue(std::string_view value);
// One argument of an Exec line: in double quotes, with """, "`", "$" and "\" escaped by "\" and "%"
// doubled. (The string escaping of EscapeDesktopValue is applied to the whole line on top.)
std::string QuoteExecArgument(std::string_view argument);
// The quoted program and its arguments: the argument text is split at blanks, double-quoted parts kept
// whole, as a command line would be.
std::string ExecLine(const std::string& program, std::string_view arguments);
std::vector<std::string> SplitArguments(std::string_view arguments);
// The whole file ("[Desktop Entry]" group) with only the keys that apply to the type.
std::string FormatDesktopEntry(const DesktopEntry& entry);

// A menu file for "applications-merged": a sub-menu named menuName with the folder entry and the listed
// desktop-file ids.
std::string FormatMergedMenu(const std::string& menuName, const std::string& directoryFile,
                             const std::vector<std::string>& desktopIds);

} // namespace setup
