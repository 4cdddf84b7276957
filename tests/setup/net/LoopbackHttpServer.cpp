#include "tests/setup/net/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace setuptest {

namespace {

constexpr int MaxConnections = 200;

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    default:
        return "Error";
    }
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("cannot listen on the loopback address");
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Loop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void LoopbackHttpServer::Serve(const std::string& path, Reply reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = std::move(reply);
}

void LoopbackHttpServer::ServeFolder(const std::string& prefix, const std::string& folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    prefix_ = prefix;
    folder_ = folder;
}

std::vector<std::string> LoopbackHttpServer::Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LoopbackHttpServer::Loop() {
    for (int served = 0; !stop_ && served < MaxConnections;) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        ++served;
        timeval timeout{5, 0};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        Answer(client);
        ::close(client);
    }
}

void LoopbackHttpServer::Answer(int client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    Reply reply{404, "<html>404 Not Found</html>"};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(path);
        if (const auto it = replies_.find(path); it != replies_.end()) {
            reply = it->second;
        } else if (!prefix_.empty() && path.rfind(prefix_, 0) == 0 && path.find("..") == std::string::npos) {
            std::ifstream in(folder_ + "/" + path.substr(prefix_.size()), std::ios::binary);
            std::ostringstream body;
            if (in && (body << in.rdbuf())) reply = {200, body.str()};
        }
    }
    const std::string head = "HTTP/1.0 " + std::to_string(reply.status) + " " + Reason(reply.status) +
                             "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                             "\r\nConnection: close\r\n\r\n";
    const std::string all = head + reply.body;
    for (std::size_t sent = 0; sent < all.size();) {
        const ssize_t n = ::send(client, all.data() + sent, all.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

} // namespace setuptest
