#pragma once
#include "setup/install/InstallTree.h"

namespace setup {

// The uninstaller, installed with the application and entered in the list of installed programs: its
// uninstall key names the product and the command that removes it.
class TUninstallEXE : public TCustomInstallFile {
public:
    explicit TUninstallEXE(std::string name = "UninstallEXE1");
    std::string ClassName() const override { return "TUninstallEXE"; }
    // "DisplayName" and "UninstallString" (the program quoted, then the product name), then the file's
    // own record.
    void WriteUninstallData(const std::string& key) override;
};

} // namespace setup
