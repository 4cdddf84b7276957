// A setup program for the tests: a small tree like the real one (a program, a settings file, a data
// table in a group, the uninstaller). DEMO_KILL_AT=<bytes> kills the process once that much of the
// installation has been written, to test what a kill leaves behind.
#include "setup/install/Install.h"
#include "setup/install/UninstallExe.h"

#include <csignal>
#include <cstdlib>
#include <unistd.h>

using namespace setup;

namespace {

class Killer : public TBroadcastReceiver {
public:
    explicit Killer(std::uint64_t at) : TBroadcastReceiver("Killer"), at_(at) {}
    void Receive(TInstallContainer*, int code, TParameter* param) override {
        auto* p = dynamic_cast<TFileStatusParameter*>(param);
        if (code == -998 && p && p->RunningTotal >= at_) ::kill(::getpid(), SIGKILL);
    }

private:
    std::uint64_t at_;
};

void File(TInstallFile& f, TInstallContainer& parent, const std::string& dir, const std::string& name,
          TOverwriteType mode) {
    f.SetContainer(&parent);
    f.SetArchiveFileType(&FindKind<psContainerArchiveFile>());
    f.IncludeFromDir = dir;
    f.FileName = f.DestName = name;
    f.OverwriteMode = mode;
}

} // namespace

int main(int argc, char** argv) {
    TInstall install;
    install.Information.ProductName = "Lumeno Test";
    install.SetDestDir("\\Lumeno");
    TInstallFile plom("Plom"), ini("PlomIni"), partner("PartnerDb");
    File(plom, install, "", "Plom", owAlways);
    File(ini, install, "", "plom.ini", owNever);
    TInstallFileGroup global("Global", &install);
    global.SetDestDirType(&FindKind<psMainInstall>());
    global.SetDestDir("\\Global");
    File(partner, global, "Global", "Partner.db", owNever);
    TUninstallEXE uninstall;
    uninstall.SetContainer(&install);
    uninstall.SetArchiveFileType(&FindKind<psContainerArchiveFile>());
    uninstall.OverwriteMode = owAlways;
    std::unique_ptr<Killer> killer;
    if (const char* at = std::getenv("DEMO_KILL_AT")) {
        killer = std::make_unique<Killer>(std::strtoull(at, nullptr, 10));
        killer->SetContainer(&install);
    }
    return install.Execute(std::vector<std::string>(argv + 1, argv + argc));
}
