#include "setup/kit/ShellFolders.h"

#include "base/Text.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace setup {

namespace {

bool IsRoot() {
    return ::geteuid() == 0;
}

std::string Env(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string Home() {
    return RemoveBackslash(Env("HOME", "/"));
}
std::string DataHome() {
    return RemoveBackslash(Env("XDG_DATA_HOME", Home() + "/.local/share"));
}
std::string ConfigHome() {
    return RemoveBackslash(Env("XDG_CONFIG_HOME", Home() + "/.config"));
}

// The registry value when the key and value exist and hold text, else the default.
std::string Registered(int root, const char* key, const char* name, const std::string& def) {
    if (!RegValueExists(root, key, name)) return def;
    const std::string v = ReadRegString(root, key, name, def);
    return RemoveBackslash(v);
}

// XDG_DESKTOP_DIR from user-dirs.dirs: a quoted path that may start with $HOME.
std::string UserDesktop() {
    std::ifstream in(ConfigHome() + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        line = base::Trim(line);
        const std::string prefix = "XDG_DESKTOP_DIR=";
        if (line.rfind(prefix, 0) != 0) continue;
        std::string value = line.substr(prefix.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = Home() + value.substr(5);
        if (!value.empty() && value.front() == '/') return RemoveBackslash(value);
    }
    return Home() + "/Desktop";
}

} // namespace

std::string ProgramFilesFolder() {
    return Registered(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir",
                      IsRoot() ? "/opt" : DataHome());
}

std::string CommonFilesFolder() {
    return Registered(HKEY_LOCAL_MACHINE, CurrentVersionKey, "CommonFilesDir",
                      ProgramFilesFolder() + "/Common Files");
}

std::string StartMenuFolder() {
    return Registered(HKEY_CURRENT_USER, ShellFoldersKey, "Start Menu",
                      IsRoot() ? "/usr/local/share/applications" : DataHome() + "/applications");
}

std::string ProgramsFolder() {
    return Registered(HKEY_CURRENT_USER, ShellFoldersKey, "Programs", StartMenuFolder());
}

std::string DesktopFolder() {
    return Registered(HKEY_CURRENT_USER, ShellFoldersKey, "Desktop", UserDesktop());
}

std::string StartupFolder() {
    return Registered(HKEY_CURRENT_USER, ShellFoldersKey, "Startup",
                      IsRoot() ? "/etc/xdg/autostart" : ConfigHome() + "/autostart");
}

} // namespace setup
