#include "tests/support/TempFolder.h"

#include "base/FileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace testsupport {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plomtest-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    // Nothing of a test's folder is needed after a power cut: syncs are counted by the fault tests, not
    // waited for.
    base::SetDiskSync(false);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string TempFolder::Read(const std::string& name) const {
    return ReadFile(path_ / name);
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool InCI() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) != "" && std::string(ci) != "false" && std::string(ci) != "0";
}

std::filesystem::path SharedFixtures() {
#ifdef PLOM_SHARED_DIR
    const std::filesystem::path p = std::filesystem::path(PLOM_SHARED_DIR) / "fixtures";
    if (std::filesystem::exists(p)) return p;
    if (InCI()) ADD_FAILURE() << "shared fixtures missing: " << p.string() << " (required under CI)";
#else
    if (InCI()) ADD_FAILURE() << "no shared fixture folder configured (required under CI)";
#endif
    return {};
}

} // namespace testsupport
