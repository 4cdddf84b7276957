#pragma once
#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes bytes into a file of the folder.
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// True under continuous integration (CI=true): there, what a test needs from the machine must be present.
bool InCI();

// The shared fixture folder, or an empty path when it is not there: tests then skip, but under CI the
// missing folder is also recorded as a failure of the test.
std::filesystem::path SharedFixtures();
std::string ReadFile(const std::filesystem::path& file);

} // namespace testsupport

// Skips the current test for a reason outside CI; under CI the reason fails the test instead, so nothing
// that CI is meant to check is left out silently.
#define PLOM_SKIP_OUTSIDE_CI(reason)                                                                         \
    do {                                                                                                     \
        if (::testsupport::InCI()) GTEST_FAIL() << (reason) << " (required under CI)";                       \
        GTEST_SKIP() << (reason);                                                                            \
    } while (false)
