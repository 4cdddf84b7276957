#include "setup/bde/IdapiConfig.h"

#include "base/Text.h"

namespace setup {

IdapiConfig IdapiConfig::Parse(const std::string& text) {
    IdapiConfig config;
    Section* current = nullptr;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = base::Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string name = base::Trim(line.substr(1, line.size() - 2));
            current = config.Find(name);
            if (!current) {
                config.sections_.push_back({name, {}});
                current = &config.sections_.back();
            }
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!current || eq == std::string::npos) continue;
        const std::string key = base::Trim(line.substr(0, eq));
        if (!key.empty() && !config.HasKey(current->name, key))
            current->entries.emplace_back(key, base::Trim(line.substr(eq + 1)));
    }
    return config;
}

std::string IdapiConfig::Serialize() const {
    std::string text;
    for (const Section& s : sections_) {
        if (!text.empty()) text += "\n";
        text += "[" + s.name + "]\n";
        for (const auto& [key, value] : s.entries)
            text += key + "=" + value + "\n";
    }
    return text;
}

IdapiConfig::Section* IdapiConfig::Find(const std::string& name) {
    for (Section& s : sections_)
        if (base::SameText(s.name, name)) return &s;
    return nullptr;
}

const IdapiConfig::Section* IdapiConfig::Find(const std::string& name) const {
    return const_cast<IdapiConfig*>(this)->Find(name);
}

bool IdapiConfig::HasKey(const std::string& section, const std::string& key) const {
    const Section* s = Find(section);
    if (!s) return false;
    for (const auto& entry : s->entries)
        if (base::SameText(entry.first, key)) return true;
    return false;
}

std::string IdapiConfig::Value(const std::string& section, const std::string& key) const {
    if (const Section* s = Find(section))
        for (const auto& [k, v] : s->entries)
            if (base::SameText(k, key)) return v;
    return {};
}

void IdapiConfig::Set(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = Find(section);
    if (!s) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    for (auto& entry : s->entries)
        if (base::SameText(entry.first, key)) {
            entry.second = value;
            return;
        }
    s->entries.emplace_back(key, value);
}

void IdapiConfig::MergeFrom(const IdapiConfig& other) {
    for (const Section& s : other.sections_)
        for (const auto& [key, value] : s.entries)
            if (!HasKey(s.name, key)) Set(s.name, key, value);
    // Sections that were empty in the other file still show up here.
    for (const Section& s : other.sections_)
        if (!Find(s.name)) sections_.push_back({s.name, {}});
}

} // namespace setup
