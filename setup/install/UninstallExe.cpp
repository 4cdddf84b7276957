#include "setup/install/UninstallExe.h"

#include "setup/install/Install.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/Registry.h"

namespace setup {

TUninstallEXE::TUninstallEXE(std::string name) : TCustomInstallFile(std::move(name)) {
    Net = true;
    FileName = DestName = "uninstall";
}

void TUninstallEXE::WriteUninstallData(const std::string& key) {
    TCustomInstall* root = Root();
    if (!root)
        throw IEUninstallEXE(
            "%s could not write information about the uninstall to the registry because there "
            "was no TInstall component",
            {Name()});
    WriteRegString(HKEY_LOCAL_MACHINE, key, "DisplayName", root->Information.ProductName);
    // The program is quoted so a folder with blanks survives; the product name is the unquoted rest.
    WriteRegString(HKEY_LOCAL_MACHINE, key, "UninstallString",
                   "\"" + TargetPath() + "\" " + root->Information.ProductName);
    TCustomInstallFile::WriteUninstallData(key);
}

} // namespace setup
