#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace setup {

enum TInternetProtocol { ipFTP, ipHTTP };

// Where and how to log in. Hostname may carry a port ("host:8080") and a scheme ("https://host"); a
// Hostname that is a folder ("/media/kit" or "file:///media/kit") names a folder instead of a server.
struct TLoginInformation {
    bool Anonymous = true;
    std::string Directory;
    std::string Hostname;
    std::string Password;
    TInternetProtocol Protocol = ipFTP;
    std::string Username;
    // Anonymous: a host is given; else any of host, password or user.
    bool Usable() const;
};

// The server path of a directory: blank gives "/", every "\" becomes "/".
std::string ServerPath(const std::string& directory);

// One way of fetching files: a server over the network, or a folder. Errors are the ENIL classes.
class NetTransport {
public:
    virtual ~NetTransport() = default;
    // Opens the session and the connection, and for FTP enters the directory.
    virtual void Connect(const TLoginInformation& login) = 0;
    // Fetches the file: expected() once with the expected size (0 when unknown) before the first piece,
    // then piece() for each piece received; a piece() that answers false stops the transfer quietly.
    virtual void Fetch(const std::string& remoteName, const std::function<void(std::uint64_t)>& expected,
                       const std::function<bool(std::string_view)>& piece) = 0;
    // What the server said last ("" when nothing).
    virtual std::string LastResponse() const = 0;
};

// A transport for the login: a folder when the host names one, else the network (libcurl).
std::unique_ptr<NetTransport> MakeTransport(const TLoginInformation& login);
std::unique_ptr<NetTransport> MakeCurlTransport();
std::unique_ptr<NetTransport> MakeFolderTransport();

} // namespace setup
