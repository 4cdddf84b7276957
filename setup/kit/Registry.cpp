#include "setup/kit/Registry.h"

#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/ShellFolders.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

namespace fs = std::filesystem;

const char* RootName(int root) {
    switch (root) {
    case HKEY_CLASSES_ROOT:
        return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_CONFIG:
        return "HKEY_CURRENT_CONFIG";
    case HKEY_DYN_DATA:
        return "HKEY_DYN_DATA";
    case HKEY_LOCAL_MACHINE:
        return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS:
        return "HKEY_USERS";
    default:
        return "HKEY_CURRENT_USER";
    }
}

std::string NormalizeKey(const std::string& key) {
    std::string out;
    std::string part;
    auto flush = [&] {
        if (part.empty()) return;
        if (!out.empty()) out += '\\';
        out += part;
        part.clear();
    };
    for (char c : key) {
        if (c == '\\')
            flush();
        else
            part += c;
    }
    flush();
    return out;
}

namespace {

std::string Upper(const std::string& s) {
    return base::UpperCase(s);
}

// Percent-escapes the bytes that would break the line format.
std::string Escape(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c == '%' || c == 0x7F) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool Unescape(const std::string& s, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(s[i + 2])))
            return false;
        out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    return true;
}

} // namespace

const RegistryHive::Key* RegistryHive::Find(const std::string& key) const {
    const auto it = keys_.find(Upper(NormalizeKey(key)));
    return it == keys_.end() ? nullptr : &it->second;
}

bool RegistryHive::KeyExists(const std::string& key) const {
    return NormalizeKey(key).empty() || Find(key) != nullptr;
}

void RegistryHive::CreateKey(const std::string& key) {
    const std::string path = NormalizeKey(key);
    std::size_t pos = 0;
    while (!path.empty()) {
        const std::size_t end = path.find('\\', pos);
        const std::string prefix = path.substr(0, end);
        auto& k = keys_[Upper(prefix)];
        if (k.path.empty()) k.path = prefix;
        if (end == std::string::npos) break;
        pos = end + 1;
    }
}

void RegistryHive::DeleteKeyTree(const std::string& key) {
    const std::string upper = Upper(NormalizeKey(key));
    for (auto it = keys_.begin(); it != keys_.end();) {
        const std::string& k = it->first;
        const bool inside =
            upper.empty() || k == upper ||
            (k.size() > upper.size() && k.compare(0, upper.size(), upper) == 0 && k[upper.size()] == '\\');
        it = inside ? keys_.erase(it) : std::next(it);
    }
}

void RegistryHive::SetValue(const std::string& key, const std::string& name, const RegValue& value) {
    CreateKey(key);
    Key& k = keys_[Upper(NormalizeKey(key))];
    const auto [it, added] = k.byName.emplace(Upper(name), k.values.size());
    if (added)
        k.values.emplace_back(name, value);
    else
        k.values[it->second].second = value;
}

bool RegistryHive::DeleteValue(const std::string& key, const std::string& name) {
    const auto it = keys_.find(Upper(NormalizeKey(key)));
    if (it == keys_.end()) return false;
    Key& k = it->second;
    const auto found = k.byName.find(Upper(name));
    if (found == k.byName.end()) return false;
    k.values.erase(k.values.begin() + static_cast<std::ptrdiff_t>(found->second));
    k.byName.clear();
    for (std::size_t i = 0; i < k.values.size(); ++i)
        k.byName.emplace(Upper(k.values[i].first), i);
    return true;
}

const RegValue* RegistryHive::Lookup(const Key& k, const std::string& name) {
    const auto it = k.byName.find(Upper(name));
    return it == k.byName.end() ? nullptr : &k.values[it->second].second;
}

std::optional<RegValue> RegistryHive::Value(const std::string& key, const std::string& name) const {
    const Key* k = Find(key);
    const RegValue* v = k ? Lookup(*k, name) : nullptr;
    return v ? std::optional<RegValue>(*v) : std::nullopt;
}

std::vector<std::string> RegistryHive::SubKeys(const std::string& key) const {
    const std::string upper = Upper(NormalizeKey(key));
    const std::string prefix = upper.empty() ? std::string() : upper + "\\";
    std::vector<std::string> out;
    for (const auto& [k, data] : keys_) {
        if (k.size() <= prefix.size() || k.compare(0, prefix.size(), prefix) != 0) continue;
        if (k.find('\\', prefix.size()) != std::string::npos) continue;
        out.push_back(data.path.substr(data.path.size() - (k.size() - prefix.size())));
    }
    return out;
}

bool RegistryHive::HoldsValues() const {
    return std::any_of(keys_.begin(), keys_.end(), [](const auto& k) { return !k.second.values.empty(); });
}

std::vector<std::string> RegistryHive::ValueNames(const std::string& key) const {
    std::vector<std::string> out;
    if (const Key* k = Find(key))
        for (const auto& v : k->values)
            out.push_back(v.first);
    return out;
}

// Format: a first line naming the format, then per key a line "K<TAB>path" followed by its values as
// "S|I|F<TAB>name<TAB>value". Texts are percent-escaped; floats keep every digit.
std::string RegistryHive::Serialize() const {
    std::ostringstream out;
    out << "LumenoRegistry 1\n";
    for (const auto& [upper, key] : keys_) {
        out << "K\t" << Escape(key.path) << '\n';
        for (const auto& [name, v] : key.values) {
            out << (v.kind == RegValue::String    ? 'S'
                    : v.kind == RegValue::Integer ? 'I'
                                                  : 'F')
                << '\t' << Escape(name) << '\t';
            if (v.kind == RegValue::String) {
                out << Escape(v.text);
            } else if (v.kind == RegValue::Integer) {
                out << v.integer;
            } else {
                char buf[40];
                std::snprintf(buf, sizeof buf, "%.17g", v.real);
                out << buf;
            }
            out << '\n';
        }
    }
    return out.str();
}

namespace {

// The text of a registry file could not be parsed; carries the line for the notice.
class DamagedRegistry : public EDorvaneAbnormal {
public:
    DamagedRegistry(const std::string& source, int line)
        : EDorvaneAbnormal(FormatText("Datoteka registra %s oštećena je u retku %d", {source, line})),
          Line(line) {}
    int Line;
};

} // namespace

RegistryHive RegistryHive::Parse(const std::string& text, const std::string& source) {
    RegistryHive hive;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    std::string current;
    bool haveKey = false;
    auto damaged = [&] { return DamagedRegistry(source, number); };
    while (std::getline(in, line)) {
        ++number;
        if (number == 1) {
            if (line != "LumenoRegistry 1") throw damaged();
            continue;
        }
        if (line.empty()) continue;
        const std::size_t t1 = line.find('\t');
        if (t1 != 1) throw damaged();
        const char kind = line[0];
        if (kind == 'K') {
            std::string path;
            if (!Unescape(line.substr(2), path)) throw damaged();
            current = NormalizeKey(path);
            hive.CreateKey(current);
            haveKey = true;
            continue;
        }
        const std::size_t t2 = line.find('\t', 2);
        std::string name, raw = t2 == std::string::npos ? std::string() : line.substr(t2 + 1);
        if (!haveKey || t2 == std::string::npos || !Unescape(line.substr(2, t2 - 2), name)) throw damaged();
        RegValue v;
        try {
            std::size_t used = 0;
            if (kind == 'S') {
                v.kind = RegValue::String;
                if (!Unescape(raw, v.text)) throw damaged();
                used = raw.size();
            } else if (kind == 'I') {
                v.kind = RegValue::Integer;
                v.integer = std::stoll(raw, &used);
            } else if (kind == 'F') {
                v.kind = RegValue::Float;
                v.real = std::stod(raw, &used);
            }
            if (used != raw.size() || (kind != 'S' && kind != 'I' && kind != 'F')) throw damaged();
        } catch (const std::logic_error&) {
            throw damaged();
        }
        hive.SetValue(current, name, v);
    }
    return hive;
}

namespace {

// An flock on the hive's lock file for the lifetime of the object.
class HiveLock {
public:
    HiveLock(const fs::path& file, bool exclusive) {
        // The lock file goes with the registry when nothing is left in it: a lock taken on a file that
        // was removed meanwhile is taken again on the file now at that name.
        for (;;) {
            fd_ = base::FileHandle::Open(file, O_RDWR | O_CREAT, 0600);
            if (!fd_) throw EDorvaneAbnormal("Ne mogu otvoriti bravu registra " + file.string());
            while (::flock(fd_.Get(), exclusive ? LOCK_EX : LOCK_SH) != 0) {
                if (errno != EINTR) throw EDorvaneAbnormal("Ne mogu zaključati registar " + file.string());
            }
            if (StillNamed(fd_.Get(), file.string())) return;
        }
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;

private:
    base::FileHandle fd_;
};

// The identity of a file's contents: every save renames a new file into place.
struct Stamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtime = 0;
    bool operator==(const Stamp&) const = default;
};

// The last parsed contents of each hive file, so a run of reads parses the file once.
struct ParsedHive {
    Stamp stamp;
    RegistryHive hive;
};

std::mutex& CacheMutex() {
    static std::mutex m;
    return m;
}

std::map<std::string, ParsedHive>& Cache() {
    static std::map<std::string, ParsedHive> cache;
    return cache;
}

RegistryHive ReadHive(const fs::path& file) {
    // Read under the hive's lock, so the file cannot change between the stamp and the read.
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        if (errno == ENOENT) return {};
        throw EDorvaneAbnormal("Ne mogu pročitati datoteku registra " + file.string());
    }
    const Stamp stamp{st.st_dev, st.st_ino, st.st_size,
                      st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    {
        std::lock_guard lock(CacheMutex());
        const auto it = Cache().find(file.string());
        if (it != Cache().end() && it->second.stamp == stamp) return it->second.hive;
    }
    std::string text;
    try {
        text = base::ReadWholeFile(file);
    } catch (const base::FileError& e) {
        if (e.Error() == ENOENT) return {};
        throw EDorvaneAbnormal("Ne mogu pročitati datoteku registra " + file.string());
    }
    RegistryHive hive = RegistryHive::Parse(text, file.string());
    std::lock_guard lock(CacheMutex());
    Cache()[file.string()] = {stamp, hive};
    return hive;
}

std::function<void(const std::string&)>& NoticeHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

void Notice(const std::string& text) {
    if (NoticeHook())
        NoticeHook()(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

// Keeps a damaged file beside under a free ".damaged" name; returns that name. Called under the
// exclusive lock.
std::string MoveAside(const fs::path& file) {
    for (int i = 0; i <= MaxNumberedNames; ++i) {
        const std::string kept = file.string() + ".damaged" + (i == 0 ? std::string() : std::to_string(i));
        struct stat st {};
        if (::lstat(kept.c_str(), &st) == 0) continue;
        if (base::Fs().Rename(file.c_str(), kept.c_str()) == 0) return kept;
        break;
    }
    throw EDorvaneAbnormal("Ne mogu skloniti oštećenu datoteku registra " + file.string());
}

// Reads the hive under the exclusive lock; a damaged file is kept aside and an empty hive started.
RegistryHive ReadOrRecover(const fs::path& file) {
    try {
        return ReadHive(file);
    } catch (const DamagedRegistry& e) {
        const std::string kept = MoveAside(file);
        Notice(
            FormatText("Datoteka registra %s bila je oštećena u retku %d. Sačuvana je kao %s i započeta je "
                       "nova datoteka registra.",
                       {file.string(), e.Line, kept}));
        return {};
    }
}

// Temporary siblings of a hive file left by a killed save. Only called under the exclusive lock, when
// no save can be running.
void RemoveStaleSaves(const fs::path& file) {
    const std::string prefix = "." + file.filename().string() + ".";
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(file.parent_path(), ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() > prefix.size() + 4 && name.compare(0, prefix.size(), prefix) == 0 &&
            name.compare(name.size() - 4, 4, ".tmp") == 0 && e.is_regular_file(ec))
            base::Fs().Unlink(e.path().c_str());
    }
}

void SaveHive(const fs::path& file, const RegistryHive& hive) {
    base::ReplaceOptions options;
    options.Mode = ::geteuid() == 0 ? 0600 : 0644;
    try {
        base::ReplaceFile(file, hive.Serialize(), options);
    } catch (const base::FileError&) {
        throw EDorvaneAbnormal("Ne mogu zapisati datoteku registra " + file.string());
    }
}

} // namespace

RegistryStore::RegistryStore() : folder_(StateFolder()) {}

RegistryStore::RegistryStore(fs::path folder) : folder_(std::move(folder)) {}

fs::path RegistryStore::HiveFile(int root) const {
    return folder_ / (std::string(RootName(root)) + ".reg");
}

RegistryHive RegistryStore::Load(int root) const {
    const fs::path file = HiveFile(root);
    std::error_code ec;
    if (!fs::exists(file, ec)) return {};
    try {
        HiveLock lock(file.string() + ".lock", false);
        return ReadHive(file);
    } catch (const DamagedRegistry&) {
    }
    // Damaged: recovering moves the file, which needs the exclusive lock.
    Update(root, [](RegistryHive&) { return true; });
    HiveLock lock(file.string() + ".lock", false);
    return ReadHive(file);
}

bool RegistryStore::Update(int root, const std::function<bool(RegistryHive&)>& change) const {
    base::MakeFolders(folder_);
    const fs::path file = HiveFile(root);
    HiveLock lock(file.string() + ".lock", true);
    RemoveStaleSaves(file);
    RegistryHive hive = ReadOrRecover(file);
    const bool result = change(hive);
    SaveHive(file, hive);
    return result;
}

bool RegistryStore::Forget(int root) const {
    const fs::path file = HiveFile(root);
    const std::string lockFile = file.string() + ".lock";
    std::error_code ec;
    if (!fs::exists(lockFile, ec) && !fs::exists(file, ec)) return true;
    HiveLock lock(lockFile, true);
    RemoveStaleSaves(file);
    if (ReadOrRecover(file).HoldsValues()) return false;
    base::Fs().Unlink(file.c_str());
    // Removed while held: whoever waits for it takes the lock again on a new file.
    base::Fs().Unlink(lockFile.c_str());
    return true;
}

void ForgetUnusedRegistry() {
    const fs::path folder = StateFolder();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return;
    const RegistryStore store(folder);
    bool all = true;
    for (int root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_CONFIG, HKEY_CURRENT_USER, HKEY_DYN_DATA,
                     HKEY_LOCAL_MACHINE, HKEY_USERS})
        if (!store.Forget(root)) all = false;
    if (!all) return;
    // The Windows and system stand-ins, and the folder itself, only when nothing else is in them.
    for (const char* sub : {"system", "windows"})
        base::Fs().RemoveFolder((folder / sub).c_str());
    if (base::Fs().RemoveFolder(folder.c_str()) != 0) return;
    // In the default place the folders above it were made for it: they go too when left empty.
    const char* own = std::getenv(StateFolderVariable);
    const char* xdg = std::getenv("XDG_STATE_HOME");
    if ((own && *own) || (xdg && *xdg) || ::geteuid() == 0) return;
    const fs::path stateHome = folder.parent_path();
    if (base::Fs().RemoveFolder(stateHome.c_str()) == 0)
        base::Fs().RemoveFolder(stateHome.parent_path().c_str());
}

void SetRegistryNoticeHook(std::function<void(const std::string&)> hook) {
    NoticeHook() = std::move(hook);
}

namespace {

std::optional<RegValue> ReadValue(int root, const std::string& key, const std::string& name) {
    try {
        return RegistryStore().Load(root).Value(key, name);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void WriteValue(int root, const std::string& key, const std::string& name, const RegValue& v,
                const std::string& errorText) {
    try {
        RegistryStore().Update(root, [&](RegistryHive& h) {
            h.SetValue(key, name, v);
            return true;
        });
    } catch (const std::exception&) {
        throw EIRCannotWriteValue(errorText);
    }
}

} // namespace

void WriteRegString(int root, const std::string& key, const std::string& name, const std::string& value) {
    RegValue v;
    v.text = value;
    WriteValue(root, key, name, v,
               FormatText("Cannot install into registry. Key: %s Ident: %s Value %s", {key, name, value}));
}

void WriteRegInteger(int root, const std::string& key, const std::string& name, long long value) {
    RegValue v;
    v.kind = RegValue::Integer;
    v.integer = value;
    WriteValue(root, key, name, v, key);
}

void WriteRegFloat(int root, const std::string& key, const std::string& name, double value) {
    RegValue v;
    v.kind = RegValue::Float;
    v.real = value;
    WriteValue(root, key, name, v, key);
}

std::string ReadRegString(int root, const std::string& key, const std::string& name, const std::string& def) {
    const auto v = ReadValue(root, key, name);
    return v && v->kind == RegValue::String ? v->text : def;
}

long long ReadRegInteger(int root, const std::string& key, const std::string& name, long long def) {
    const auto v = ReadValue(root, key, name);
    return v && v->kind == RegValue::Integer ? v->integer : def;
}

double ReadRegFloat(int root, const std::string& key, const std::string& name, double def) {
    const auto v = ReadValue(root, key, name);
    return v && v->kind == RegValue::Float ? v->real : def;
}

bool RegKeyExists(int root, const std::string& key) {
    return RegistryStore().Load(root).KeyExists(key);
}

bool RegValueExists(int root, const std::string& key, const std::string& name) {
    return ReadValue(root, key, name).has_value();
}

void CreateRegKey(int root, const std::string& key) {
    RegistryStore().Update(root, [&](RegistryHive& h) {
        h.CreateKey(key);
        return true;
    });
}

std::vector<std::string> RegSubKeys(int root, const std::string& key) {
    return RegistryStore().Load(root).SubKeys(key);
}

std::vector<std::string> RegValueNames(int root, const std::string& key) {
    return RegistryStore().Load(root).ValueNames(key);
}

bool DeleteRegValue(int root, const std::string& key, const std::string& name) {
    try {
        return RegistryStore().Update(root, [&](RegistryHive& h) { return h.DeleteValue(key, name); });
    } catch (const std::exception&) {
        return false;
    }
}

void DeleteRegKeyTree(int root, const std::string& key) {
    try {
        RegistryStore().Update(root, [&](RegistryHive& h) {
            h.DeleteKeyTree(key);
            return true;
        });
    } catch (const std::exception&) {
    }
}

bool AddRunOnce(const std::string& name, const std::string& command, bool numbered) {
    try {
        return RegistryStore().Update(HKEY_LOCAL_MACHINE, [&](RegistryHive& h) {
            std::string use = name;
            for (int i = 1; numbered && h.Value(RunOnceKey, use); ++i) {
                if (i > MaxNumberedNames) return false;
                use = name + std::to_string(i);
            }
            RegValue v;
            v.text = command;
            h.SetValue(RunOnceKey, use, v);
            return true;
        });
    } catch (const std::exception&) {
        return false;
    }
}

namespace {

// Whether a path lies in one of the folders or is one of them.
bool Inside(const std::string& path, const std::set<std::string>& folders) {
    for (const std::string& f : folders)
        if (path == f || path.rfind(AddBackslash(f), 0) == 0) return true;
    return false;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

void DropValuesNamingGonePaths(const std::set<std::string>& folders, const std::string& skipKey) {
    const std::string skip = base::UpperCase(NormalizeKey(skipKey));
    // The values that say where things go (the shell folders, the program-files folder) are the
    // system's, not the installation's, even when they name a folder that went with it.
    const std::set<std::string> placeKeys = {base::UpperCase(NormalizeKey(ShellFoldersKey)),
                                             base::UpperCase(NormalizeKey(CurrentVersionKey))};
    for (int root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegistryStore().Update(root, [&](RegistryHive& hive) {
            bool changedAny = false;
            std::function<void(const std::string&)> walk = [&](const std::string& key) {
                if (!key.empty() && base::UpperCase(key) == skip) return;
                const bool placeKey = placeKeys.count(base::UpperCase(key)) != 0;
                for (const std::string& name : placeKey ? std::vector<std::string>{} : hive.ValueNames(key)) {
                    const auto v = hive.Value(key, name);
                    if (!v || v->kind != RegValue::String || v->text.empty()) continue;
                    std::string kept;
                    bool dropped = false;
                    std::size_t from = 0;
                    for (;;) {
                        const std::size_t semi = v->text.find(';', from);
                        const std::string part = base::Trim(v->text.substr(from, semi - from));
                        if (!part.empty() && part.front() == '/' && Inside(RemoveBackslash(part), folders) &&
                            !PathExists(part))
                            dropped = true;
                        else if (!part.empty())
                            kept += (kept.empty() ? "" : ";") + part;
                        if (semi == std::string::npos) break;
                        from = semi + 1;
                    }
                    if (!dropped) continue;
                    changedAny = true;
                    if (kept.empty())
                        hive.DeleteValue(key, name);
                    else
                        hive.SetValue(key, name, RegValue{RegValue::String, kept, 0, 0});
                }
                for (const std::string& sub : hive.SubKeys(key))
                    walk(key.empty() ? sub : key + "\\" + sub);
            };
            walk("");
            return changedAny;
        });
    }
}

} // namespace setup
