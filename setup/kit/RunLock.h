#pragma once
// One setup or uninstaller at a time on this account: each holds a lock in the state folder (where the
// setup records are) for the whole of its run, and a second one is refused instead of working through
// the same records and files at the same time.

#include <string>

namespace setup {

class SetupRunLock {
public:
    SetupRunLock() = default;
    ~SetupRunLock();
    SetupRunLock(const SetupRunLock&) = delete;
    SetupRunLock& operator=(const SetupRunLock&) = delete;

    // False when another run holds it (or the state folder cannot be written).
    bool TryTake();
    // Lets it go and removes its file.
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    std::string file_;
    int fd_ = -1;
};

inline constexpr const char* SetupRunLockName = "setup.lock";
inline constexpr const char* SetupAlreadyRunningText =
    "Instalacija ili uklanjanje programa već je u tijeku. Pričekajte da završi, pa pokrenite ponovo.";

} // namespace setup
