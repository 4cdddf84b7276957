#pragma once
#include "setup/install/Install.h"
#include "setup/install/InstallUi.h"
#include "setup/kit/Registry.h"
#include "setup/kit/ShellFolders.h"
#include "tests/setup/kit/KitTestEnv.h"

#include <fstream>
#include <vector>

namespace setuptest {

// Records every broadcast code the engine and the tree send.
class Recorder : public setup::TBroadcastReceiver {
public:
    Recorder() : TBroadcastReceiver("Recorder") {}
    void Receive(setup::TInstallContainer*, int code, setup::TParameter* param) override {
        codes.push_back(code);
        if (auto* p = dynamic_cast<setup::TFileStatusParameter*>(param); p && code == -998)
            lastTotalPercent = p->TotalPercent;
    }
    std::vector<int> codes;
    int lastTotalPercent = -1;
};

// A temporary home with a source tree; messages are collected instead of printed.
class InstallTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        // Program files inside the test's home even when the tests run as root (where it would be /opt).
        setup::WriteRegString(setup::HKEY_LOCAL_MACHINE, setup::CurrentVersionKey, "ProgramFilesDir",
                              Path("home/.local/share"));
        setup::Ui().ShowMessage = [this](const std::string& text) { messages.push_back(text); };
        setup::Ui().Confirm = [](const std::string&) { return false; };
    }
    void TearDown() override {
        setup::Ui() = setup::InstallUi();
        KitTest::TearDown();
    }
    void Write(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Read(const std::string& path) { return testsupport::ReadFile(path); }
    std::vector<std::string> messages;
};

} // namespace setuptest
