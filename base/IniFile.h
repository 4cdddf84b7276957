#pragma once
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace base {

// Read-only profile file in code page 1250: case-insensitive section and key names, first occurrence
// wins, values trimmed, lines starting with ";" are comments. The program never writes these files.
class IniFile {
public:
    IniFile() = default;
    // The largest file read; a larger one is not a settings file.
    static constexpr std::size_t MaxSize = 1 << 20;
    // Loads the file; a missing or unreadable file, one that is no plain file (a pipe, a device) or one
    // larger than MaxSize gives an empty profile (every read returns its default).
    explicit IniFile(const std::filesystem::path& file);
    static IniFile FromText(const std::string& cp1250Text);

    bool Loaded() const { return loaded_; }
    bool HasSection(const std::string& section) const;
    bool HasKey(const std::string& section, const std::string& key) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Whole number; text that is no number gives the default.
    long ReadInteger(const std::string& section, const std::string& key, long def) const;
    // "1"/"0" and a number other than 0 as true; anything else the default.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    // Keys of a section in file order.
    std::vector<std::string> Keys(const std::string& section) const;

private:
    void Parse(const std::string& cp1250Text);
    struct Section {
        std::vector<std::pair<std::string, std::string>> entries; // key (as written), value (UTF-8)
    };
    std::map<std::string, Section> sections_; // by upper-cased name
    bool loaded_ = false;
};

} // namespace base
