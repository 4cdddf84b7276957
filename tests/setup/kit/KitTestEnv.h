#pragma once
#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>

namespace setuptest {

// A test with its own temporary folder, its own registry state folder, its own XDG folders and UTC
// as the local time zone (archive dates are local time); everything is put back afterwards.
class KitTest : public ::testing::Test {
protected:
    void SetUp() override {
        Set("LUMENO_SETUP_STATE", (temp_.Path() / "state").string());
        Set("HOME", (temp_.Path() / "home").string());
        Set("XDG_DATA_HOME", (temp_.Path() / "home/.local/share").string());
        Set("XDG_CONFIG_HOME", (temp_.Path() / "home/.config").string());
        Set("TZ", "UTC");
        tzset();
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        tzset();
        std::error_code ec;
        if (!cwd_.empty()) std::filesystem::current_path(cwd_, ec);
    }
    void Set(const std::string& name, const std::string& value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void Unset(const std::string& name) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        ::unsetenv(name.c_str());
    }
    // Works inside the temporary folder, so archive keys can be short relative names.
    void EnterTemp() {
        cwd_ = std::filesystem::current_path();
        std::filesystem::current_path(temp_.Path());
    }
    std::string Path(const std::string& name) const { return (temp_.Path() / name).string(); }

    testsupport::TempFolder temp_;

private:
    std::map<std::string, std::optional<std::string>> saved_;
    std::filesystem::path cwd_;
};

} // namespace setuptest
