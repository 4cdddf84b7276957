#include "tests/support/ChildProcess.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <iostream>
#include <mutex>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

constexpr const char* RoleOption = "--child-role=";

std::map<std::string, ChildRoleMain>& Roles() {
    static std::map<std::string, ChildRoleMain> roles;
    return roles;
}

void Pipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

ExitStatus FromWaitStatus(int status) {
    ExitStatus s;
    s.Exited = WIFEXITED(status);
    s.Code = s.Exited ? WEXITSTATUS(status) : 0;
    s.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return s;
}

// Milliseconds left until the deadline, at least 0.
int Left(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

std::string ExitStatus::Describe() const {
    return Exited ? "exit code " + std::to_string(Code) : "signal " + std::to_string(Signal);
}

// Reads a descriptor to its end on its own thread, so a chatty child never blocks on a full pipe.
struct ChildProcess::Collector {
    explicit Collector(int fd) : fd_(fd), thread_([this] { Run(); }) {}
    ~Collector() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    std::string Text() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }
    // Once the child has ended, its pipe reaches its end soon (unless a process it started holds it).
    void WaitForEnd() const {
        for (int i = 0; i < 200 && !done_; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

private:
    void Run() {
        char buf[4096];
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            std::lock_guard<std::mutex> lock(mutex_);
            text_.append(buf, static_cast<std::size_t>(n));
        }
        done_ = true;
    }
    int fd_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    mutable std::mutex mutex_;
    std::string text_;
    std::thread thread_;
};

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                           const Environment& env) {
    // Everything the child needs is built before the fork: after it only async-signal-safe calls are made.
    std::vector<std::string> argStrings{program.string()};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!env.count(name)) envStrings.push_back(entry);
    }
    for (const auto& [name, value] : env)
        envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    Start([&] {
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    });
}

void ChildProcess::Start(const std::function<void()>& child) {
    // A child that stops reading its stdin must not kill the test with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    Pipe(in);
    Pipe(out);
    Pipe(err);
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid_ == 0) {
        // dup2 clears close-on-exec on the three standard descriptors only.
        if (::dup2(in[0], STDIN_FILENO) < 0 || ::dup2(out[1], STDOUT_FILENO) < 0 ||
            ::dup2(err[1], STDERR_FILENO) < 0)
            ::_exit(126);
        child();
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    in_ = in[1];
    out_ = out[0];
    errors_ = std::make_unique<Collector>(err[0]);
}

std::unique_ptr<ChildProcess> ChildProcess::Fork(const std::function<int()>& body) {
    // What this process buffered would otherwise be written twice.
    std::cout.flush();
    std::fflush(nullptr);
    std::unique_ptr<ChildProcess> c(new ChildProcess());
    c->Start([&body] {
        int code = 2;
        try {
            code = body();
        } catch (...) {
        }
        std::cout.flush();
        std::fflush(nullptr);
        ::_exit(code);
    });
    return c;
}

std::unique_ptr<ChildProcess>
ChildProcess::Role(const std::string& role, const std::vector<std::string>& args, const Environment& env) {
    std::vector<std::string> all{RoleOption + role};
    all.insert(all.end(), args.begin(), args.end());
    return std::make_unique<ChildProcess>(ThisExecutable(), all, env);
}

ChildProcess::~ChildProcess() {
    if (!status_ && !Poll()) Kill();
    CloseFd(in_);
    CloseFd(out_);
}

bool ChildProcess::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (in_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(in_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return done == bytes.size();
}

void ChildProcess::CloseInput() {
    CloseFd(in_);
}

std::optional<std::string> ChildProcess::Read(std::size_t n, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string got;
    while (got.size() < n && out_ >= 0) {
        pollfd p{out_, POLLIN, 0};
        const int ready = ::poll(&p, 1, Left(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        std::string buf(n - got.size(), '\0');
        const ssize_t r = ::read(out_, buf.data(), buf.size());
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return std::nullopt;
        got.append(buf.data(), static_cast<std::size_t>(r));
    }
    if (got.size() < n) return std::nullopt;
    return got;
}

std::string ChildProcess::ReadAll(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string got;
    char buf[4096];
    while (out_ >= 0) {
        pollfd p{out_, POLLIN, 0};
        const int ready = ::poll(&p, 1, Left(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        const ssize_t r = ::read(out_, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got.append(buf, static_cast<std::size_t>(r));
    }
    return got;
}

std::string ChildProcess::Errors() const {
    return errors_ ? errors_->Text() : std::string();
}

void ChildProcess::Signal(int signal) {
    if (!status_) ::kill(pid_, signal);
}

ExitStatus ChildProcess::Kill() {
    if (status_) return *status_;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    status_ = FromWaitStatus(status);
    return *status_;
}

std::optional<ExitStatus> ChildProcess::Poll() {
    if (status_) return status_;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = FromWaitStatus(status);
    return status_;
}

std::optional<ExitStatus> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto pause = std::chrono::milliseconds(1);
    while (!Poll()) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
    // What the child wrote to stderr before it ended is all there once Wait returns.
    if (errors_) errors_->WaitForEnd();
    return status_;
}

std::filesystem::path ThisExecutable() {
    return std::filesystem::read_symlink("/proc/self/exe");
}

bool RegisterChildRole(const char* name, ChildRoleMain main) {
    Roles()[name] = main;
    return true;
}

std::optional<int> RunChildRole(int argc, char** argv) {
    if (argc < 2 || std::strncmp(argv[1], RoleOption, std::strlen(RoleOption)) != 0) return std::nullopt;
    const std::string name = argv[1] + std::strlen(RoleOption);
    const auto it = Roles().find(name);
    if (it == Roles().end()) {
        std::fprintf(stderr, "no child role %s in this test program\n", name.c_str());
        return 64;
    }
    try {
        return it->second(std::vector<std::string>(argv + 2, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "child role %s: %s\n", name.c_str(), e.what());
    } catch (...) {
        std::fprintf(stderr, "child role %s: unknown exception\n", name.c_str());
    }
    return 70;
}

} // namespace testsupport
