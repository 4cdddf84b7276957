#pragma once
#include <string>
#include <utility>
#include <vector>

namespace setup {

// The engine configuration stand-in ("IDAPI32.CNF", "idapi32.cfg"): INI text, sections and keys in file
// order, names compared ignoring case. The program itself reads none of it; the setup keeps it so the
// engine's bookkeeping (merging a shipped configuration into an installed one) is real.
class IdapiConfig {
public:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };

    static IdapiConfig Parse(const std::string& text);
    std::string Serialize() const;

    bool HasKey(const std::string& section, const std::string& key) const;
    std::string Value(const std::string& section, const std::string& key) const;
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // Adds every section and key of other that this one lacks; values already here stay.
    void MergeFrom(const IdapiConfig& other);
    const std::vector<Section>& Sections() const { return sections_; }

private:
    Section* Find(const std::string& name);
    const Section* Find(const std::string& name) const;
    std::vector<Section> sections_;
};

} // namespace setup
