#pragma once
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace setup {

// Root numbers of the registry routines; another number means HKEY_CURRENT_USER, the default root.
enum RegRoot : int {
    HKEY_CLASSES_ROOT = 0,
    HKEY_CURRENT_CONFIG = 1,
    HKEY_CURRENT_USER = 2,
    HKEY_DYN_DATA = 3,
    HKEY_LOCAL_MACHINE = 4,
    HKEY_USERS = 5,
};
const char* RootName(int root);

struct RegValue {
    enum Kind { String, Integer, Float };
    Kind kind = String;
    std::string text;
    long long integer = 0;
    double real = 0;
};

// One hive in memory: keys by path ("SOFTWARE\Dorvane\Install"), compared case-insensitively and kept
// with the case they were created with; values by name, likewise.
class RegistryHive {
public:
    bool KeyExists(const std::string& key) const;
    // Creates the key and every missing parent.
    void CreateKey(const std::string& key);
    void DeleteKeyTree(const std::string& key);
    void SetValue(const std::string& key, const std::string& name, const RegValue& value);
    bool DeleteValue(const std::string& key, const std::string& name);
    std::optional<RegValue> Value(const std::string& key, const std::string& name) const;
    // Names of the direct sub-keys and of the values, in stored order.
    std::vector<std::string> SubKeys(const std::string& key) const;
    std::vector<std::string> ValueNames(const std::string& key) const;
    // Whether any key holds a value (keys alone say nothing).
    bool HoldsValues() const;

    std::string Serialize() const;
    // Throws EDorvaneAbnormal naming the source and the line when the text is damaged.
    static RegistryHive Parse(const std::string& text, const std::string& source);

private:
    struct Key {
        std::string path;
        std::vector<std::pair<std::string, RegValue>> values; // in stored order
        std::unordered_map<std::string, std::size_t> byName;  // upper-cased name -> position
    };
    const Key* Find(const std::string& key) const;
    static const RegValue* Lookup(const Key& k, const std::string& name);
    std::map<std::string, Key> keys_; // by upper-cased normalised path
};

// Key paths in the stored form: backslash-separated, no leading, trailing or doubled backslash.
std::string NormalizeKey(const std::string& key);

// The registry stand-in: one text file per root in a folder (by default the state folder). Every change
// is read-modify-write under an exclusive lock and replaces the file atomically (temporary sibling,
// fsync, rename), so a crash or a second setup never leaves a half-written file. A file is parsed once
// per change of its contents, not once per value. A damaged file is moved aside (kept beside as
// "<file>.damaged", numbered when taken), a notice names both files, and a fresh one is started.
class RegistryStore {
public:
    RegistryStore();
    explicit RegistryStore(std::filesystem::path folder);

    RegistryHive Load(int root) const;
    // Runs the change on the current contents and saves the result; returns what the change returned.
    bool Update(int root, const std::function<bool(RegistryHive&)>& change) const;
    std::filesystem::path HiveFile(int root) const;
    // Removes the hive's file and its lock when no key of it holds a value; false when it holds some.
    bool Forget(int root) const;

private:
    std::filesystem::path folder_;
};

// Once no installation needs the registry any more (no value left in any hive), its files, their locks
// and the state folder go (the folder only when nothing else is left in it).
void ForgetUnusedRegistry();

// Where the notice about a damaged registry file goes (the setup shows it; by default standard error).
void SetRegistryNoticeHook(std::function<void(const std::string&)> hook);

// The registry routines over the default store.
void WriteRegString(int root, const std::string& key, const std::string& name, const std::string& value);
void WriteRegInteger(int root, const std::string& key, const std::string& name, long long value);
void WriteRegFloat(int root, const std::string& key, const std::string& name, double value);
std::string ReadRegString(int root, const std::string& key, const std::string& name, const std::string& def);
long long ReadRegInteger(int root, const std::string& key, const std::string& name, long long def);
double ReadRegFloat(int root, const std::string& key, const std::string& name, double def);
bool RegKeyExists(int root, const std::string& key);
bool RegValueExists(int root, const std::string& key, const std::string& name);
void CreateRegKey(int root, const std::string& key);
std::vector<std::string> RegSubKeys(int root, const std::string& key);
std::vector<std::string> RegValueNames(int root, const std::string& key);
bool DeleteRegValue(int root, const std::string& key, const std::string& name);
// Deletes the key with all its sub-keys; errors are ignored.
void DeleteRegKeyTree(int root, const std::string& key);

// Drops the values (of the local machine and the current user) whose text names a path inside one of
// the folders that no longer exists: such a value goes, a ";"-list loses those parts (and goes when none
// is left). The key skipKey and its sub-keys are left alone, and so are the values of the shell-folder
// and program-files keys, which say where things go.
void DropValuesNamingGonePaths(const std::set<std::string>& folders, const std::string& skipKey);

inline constexpr const char* RunOnceKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr int MaxNumberedNames = 100;
// Writes the command under RunOnce; Numbered takes the first free name of Name, Name1, Name2, …
// (bounded). False when nothing could be written.
bool AddRunOnce(const std::string& name, const std::string& command, bool numbered);

} // namespace setup
