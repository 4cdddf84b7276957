#pragma once
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace setuptest {

// A small HTTP/1.0 server on 127.0.0.1 (a free port) for the download tests: answers GET requests from
// a table of paths, one request per connection, and stops by itself with the object. Every wait is
// bounded, so a test that goes wrong never hangs on it.
class LoopbackHttpServer {
public:
    struct Reply {
        int status = 200;
        std::string body;
    };
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void Serve(const std::string& path, Reply reply);
    // Paths under prefix ("/kit/") answered with the files of a folder.
    void ServeFolder(const std::string& prefix, const std::string& folder);
    int Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    // The paths requested so far.
    std::vector<std::string> Requests();

private:
    void Loop();
    void Answer(int client);
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::map<std::string, Reply> replies_;
    std::string prefix_, folder_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

} // namespace setuptest
