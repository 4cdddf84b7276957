#pragma once
#include "setup/install/Install.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace setup {

class TInstallBDE;

// Passes the engine's broadcasts to the engine group (a receiver under the install).
class TGrabCall : public TBroadcastReceiver {
public:
    explicit TGrabCall(TInstallBDE& group);
    void Receive(TInstallContainer* sender, int code, TParameter* param) override;

private:
    TInstallBDE& group_;
};

// The database engine's file group. The program works on its own table engine, so what is installed is
// the engine's configuration ("IDAPI32.CNF", INI text) with its registry bookkeeping: the library path,
// the configuration file, the language libraries, the driver settings, a use count, and the merge of the
// shipped configuration into one already on the machine through the install library
// ("libidapinst.so", loaded from the setup's own folder, where the loader puts the pre-setup files).
class TInstallBDE : public TInstallFileGroup {
public:
    explicit TInstallBDE(std::string name = "InstallBDE1", TInstallContainer* parent = nullptr);
    ~TInstallBDE() override;
    std::string ClassName() const override { return "TInstallBDE"; }

    // Driver options: kept with the configuration; the files of a group are listed in code here.
    bool bdAccess = false, bdAscii = false, bdDBase = false, bdFull = false, bdODBC = false, bdParadox = true,
         bdSQLEngine = false, bdQBEEngine = false;
    std::string LanguageDLL = "0009";
    bool SaveFor16Bit = false;
    // "[DB OPEN-<driver>]" / "[INIT-<driver>]" sections with "name=value" lines.
    std::vector<std::string> SQLLinkEntries;
    std::function<void(TInstallBDE&)> OnFixFailed, OnMergeFailed;

    // Broadcast -986: finds the configuration already on the machine and points the group and its
    // configuration file at their folders.
    void Discover();
    // The configuration found ("***" when none), and the folder and name of the merge target.
    const std::string& ExistingConfig() const { return existing_; }
    const std::string& ConfigDir() const { return configDir_; }
    const std::string& ConfigName() const { return configName_; }
    // The configuration registered as "CONFIGFILE01" by the last install.
    const std::string& RegisteredConfig() const { return registered_; }
    // The one "IDAPI32.CNF" of the group (none or two raise IEInstallBDE).
    TCustomInstallFile& ConfigFile() const;
    // The uninstall key's "BDE" sub-key counts the installations of the engine.
    void WriteUninstallData(const std::string& key) override;

protected:
    void InstallChildren() override;

private:
    void Register();
    std::unique_ptr<TGrabCall> grab_;
    std::string existing_ = "***", configDir_, configName_ = "idapi32.cfg", registered_;
};

// The engine group of the process (the last one made), or nullptr.
TInstallBDE* CurrentInstallBDE();

// Gives back uses of the engine ("UseCount"): with the last one the count goes, and so do the way to save
// a configuration when no configuration is named any more, and the engine's keys left empty.
void ReleaseEngineUses(long long uses);

inline constexpr const char* IdapiInstLibrary = "libidapinst.so";
inline constexpr const char* EngineKey = "\\Software\\Borland\\Database Engine";

} // namespace setup
