#pragma once
// A second process for the tests that need one: an executable started with its arguments and extra
// environment, its stdin and stdout as pipes the test talks through, its stderr collected in the
// background, and its end (exit code or signal) waited for with a timeout. A child still running when the
// object goes is killed and reaped, so a failing test never leaves one behind.
//
// Child roles: a test program's main runs a named role instead of its tests when started as
// `<test program> --child-role=<name> <args...>` (ChildProcess::Role starts one). Roles are plain functions
// registered with PLOM_CHILD_ROLE; their return value is the process's exit code.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// How a child ended: its exit code, or the signal that killed it.
struct ExitStatus {
    bool Exited = false; // else killed by Signal
    int Code = 0;
    int Signal = 0;
    bool Success() const { return Exited && Code == 0; }
    bool KilledBy(int signal) const { return !Exited && Signal == signal; }
    std::string Describe() const;
};

using Environment = std::map<std::string, std::string>;

class ChildProcess {
public:
    // Starts program with args (argv[0] is the program's path) and this process's environment plus env.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const Environment& env = {});
    // Starts this test program in the child role of that name.
    static std::unique_ptr<ChildProcess>
    Role(const std::string& role, const std::vector<std::string>& args = {}, const Environment& env = {});
    // Starts a copy of this process (no new program) that runs body and ends with its answer (2 when it
    // throws): for a child that must start from the parent's state, such as a test's fake file layer.
    static std::unique_ptr<ChildProcess> Fork(const std::function<int()>& body);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }

    // Writes to the child's stdin; false when the child no longer reads it.
    bool Write(const std::string& bytes);
    void CloseInput();
    // Exactly n bytes of the child's stdout, or nothing when it ends it first or the time runs out.
    std::optional<std::string> Read(std::size_t n,
                                    std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Everything the child writes to stdout until it closes it (or the time runs out).
    std::string ReadAll(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // What the child wrote to stderr so far (all of it once the child has been seen ending).
    std::string Errors() const;

    void Signal(int signal);
    // Kills the child (SIGKILL) and reaps it.
    ExitStatus Kill();
    // Waits for the child's end; nothing when it is still running after the timeout.
    std::optional<ExitStatus> Wait(std::chrono::milliseconds timeout = std::chrono::seconds(60));
    // The child's end when it has ended, without waiting.
    std::optional<ExitStatus> Poll();

private:
    ChildProcess() = default;
    // Makes the pipes and forks; the child side gets them as its standard descriptors and then runs
    // `child`, which never returns.
    void Start(const std::function<void()>& child);

    struct Collector;
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::optional<ExitStatus> status_;
    std::unique_ptr<Collector> errors_;
};

// The path of the running test program.
std::filesystem::path ThisExecutable();

using ChildRoleMain = int (*)(const std::vector<std::string>& args);
// Registers a role (at static initialisation); answers true so it can initialise a static.
bool RegisterChildRole(const char* name, ChildRoleMain main);
// When argv names a child role: runs it and answers its exit code (an escaping exception is reported on
// stderr and ends it with 70). Otherwise nothing, and the test program goes on to its tests.
std::optional<int> RunChildRole(int argc, char** argv);

} // namespace testsupport

// PLOM_CHILD_ROLE(Name) { ... return 0; } defines a role; its body sees `args`.
#define PLOM_CHILD_ROLE(name)                                                                                \
    static int ChildRole_##name(const std::vector<std::string>& args);                                       \
    [[maybe_unused]] static const bool childRoleRegistered_##name =                                          \
        ::testsupport::RegisterChildRole(#name, &ChildRole_##name);                                          \
    static int ChildRole_##name([[maybe_unused]] const std::vector<std::string>& args)
