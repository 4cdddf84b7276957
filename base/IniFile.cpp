#include "base/IniFile.h"

#include "base/Cp1250.h"
#include "base/Text.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>

namespace base {

IniFile::IniFile(const std::filesystem::path& file) {
    // Only a plain file is read: a pipe of that name would block the start, a device or an endless file
    // would never end; and no settings file is larger than a few kilobytes.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return;
    std::ifstream in(file, std::ios::binary);
    if (!in) return;
    std::string text(MaxSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > MaxSize) return;
    text.resize(got);
    Parse(text);
    loaded_ = true;
}

IniFile IniFile::FromText(const std::string& cp1250Text) {
    IniFile ini;
    ini.Parse(cp1250Text);
    ini.loaded_ = true;
    return ini;
}

void IniFile::Parse(const std::string& cp1250Text) {
    const std::string text = Cp1250ToUtf8(cp1250Text);
    std::istringstream lines(text);
    std::string line;
    Section* current = nullptr;
    while (std::getline(lines, line)) {
        const std::string t = Trim(line);
        if (t.empty() || t[0] == ';') continue;
        if (t.front() == '[') {
            const auto close = t.find(']');
            const std::string name =
                Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            current = &sections_[UpperCase(name)]; // a repeated section adds to the first one
            continue;
        }
        if (!current) continue;
        const auto eq = t.find('=');
        if (eq == std::string::npos) continue;
        current->entries.emplace_back(Trim(t.substr(0, eq)), Trim(t.substr(eq + 1)));
    }
}

bool IniFile::HasSection(const std::string& section) const {
    return sections_.count(UpperCase(section)) > 0;
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
    const auto s = sections_.find(UpperCase(section));
    if (s == sections_.end()) return false;
    for (const auto& [k, v] : s->second.entries)
        if (SameText(k, key)) return true;
    return false;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
    const auto s = sections_.find(UpperCase(section));
    if (s == sections_.end()) return def;
    for (const auto& [k, v] : s->second.entries)
        if (SameText(k, key)) return v;
    return def;
}

long IniFile::ReadInteger(const std::string& section, const std::string& key, long def) const {
    const std::string v = ReadString(section, key, "");
    if (v.empty()) return def;
    long result = 0;
    const char* first = v.data();
    const char* last = v.data() + v.size();
    if (*first == '+') ++first;
    if (v.size() > 1 && (v[0] == '$')) { // hexadecimal as the profile files write colours
        auto [p, ec] = std::from_chars(first + 1, last, result, 16);
        return ec == std::errc() && p == last ? result : def;
    }
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        auto [p, ec] = std::from_chars(first + 2, last, result, 16);
        return ec == std::errc() && p == last ? result : def;
    }
    auto [p, ec] = std::from_chars(first, last, result, 10);
    return ec == std::errc() && p == last ? result : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    const long n = ReadInteger(section, key, def ? 1 : 0);
    return n != 0;
}

std::vector<std::string> IniFile::Keys(const std::string& section) const {
    std::vector<std::string> keys;
    const auto s = sections_.find(UpperCase(section));
    if (s == sections_.end()) return keys;
    for (const auto& [k, v] : s->second.entries)
        keys.push_back(k);
    return keys;
}

} // namespace base
