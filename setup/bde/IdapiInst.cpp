// The engine's install library as the setup loads it from its own folder: four C entry points over the
// INI-text configuration and the registry stand-in. Nothing may leave an entry point as an exception.
#include "base/ReplaceFile.h"
#include "setup/bde/IdapiConfig.h"
#include "setup/kit/Registry.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace {

std::optional<std::string> ReadText(const char* path) {
    if (!path) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

#define IDAPI_EXPORT extern "C" __attribute__((visibility("default")))

// Merges newConfig into existingConfig and writes the result as targetConfig: existing values stay, keys
// and sections only the new file has are added. "***" as existingConfig (no configuration yet) copies
// the new file. 0 on success.
IDAPI_EXPORT int MergeCfg(const char* newConfig, const char* existingConfig, const char* targetConfig, int,
                          int, const char*) {
    try {
        const auto fresh = ReadText(newConfig);
        if (!fresh || !targetConfig || !*targetConfig) return 1;
        setup::IdapiConfig merged;
        if (existingConfig && std::string(existingConfig) != "***") {
            const auto existing = ReadText(existingConfig);
            if (!existing) return 2;
            merged = setup::IdapiConfig::Parse(*existing);
        }
        merged.MergeFrom(setup::IdapiConfig::Parse(*fresh));
        base::ReplaceFile(targetConfig, merged.Serialize());
        return 0;
    } catch (...) {
        return 3;
    }
}

// Writes the language of the engine's messages into the new configuration.
IDAPI_EXPORT void IntlConfig(const char* newConfig, int, const char* languageDll) {
    try {
        const auto text = ReadText(newConfig);
        if (!text || !languageDll || !*languageDll) return;
        setup::IdapiConfig config = setup::IdapiConfig::Parse(*text);
        config.Set("INIT", "LANGDRIVER", std::string("IDR2") + languageDll);
        base::ReplaceFile(newConfig, config.Serialize());
    } catch (...) {
    }
}

// Checks the merged configuration after a merge and gives it the sections the engine needs. 0 on success.
IDAPI_EXPORT int FixMerge(const char* config, int, int, const char*) {
    try {
        const auto text = ReadText(config);
        if (!text) return 1;
        setup::IdapiConfig parsed = setup::IdapiConfig::Parse(*text);
        if (parsed.Sections().empty()) return 2;
        if (!parsed.HasKey("INIT", "VERSION")) parsed.Set("INIT", "VERSION", "4.0");
        base::ReplaceFile(config, parsed.Serialize());
        return 0;
    } catch (...) {
        return 3;
    }
}

// One more installation uses the engine.
IDAPI_EXPORT void IncrementIDAPIUseCount() {
    try {
        setup::RegistryStore().Update(setup::HKEY_LOCAL_MACHINE, [](setup::RegistryHive& h) {
            const char* key = "\\Software\\Borland\\Database Engine";
            const auto v = h.Value(key, "UseCount");
            const long long count = v && v->kind == setup::RegValue::Integer ? v->integer : 0;
            h.SetValue(key, "UseCount", setup::RegValue{setup::RegValue::Integer, {}, count + 1, 0});
            return true;
        });
    } catch (...) {
    }
}
