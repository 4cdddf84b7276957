#pragma once
#include "setup/net/NetErrors.h"
#include "setup/net/NetTransport.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace setup {

class TNetInstallLocation;

using TLoginEvent = std::function<void(TNetInstallLocation&)>;
using TNotifyWithAbortFlag = std::function<void(TNetInstallLocation&, bool aborted)>;
// Sender, remote file name, the piece, expected size, total so far, piece length.
using TDataReceivedEvent =
    std::function<void(TNetInstallLocation&, const std::string& remoteName, std::string_view piece,
                       std::uint64_t expected, std::uint64_t total, std::size_t length)>;

// Fetches the setup's archive files from a server (FTP, HTTP, HTTPS) or a folder, one named file at a
// time into a local file.
class TNetInstallLocation {
public:
    explicit TNetInstallLocation(std::string name = "NetInstallLocation1");
    ~TNetInstallLocation();
    TNetInstallLocation(const TNetInstallLocation&) = delete;
    TNetInstallLocation& operator=(const TNetInstallLocation&) = delete;

    const std::string& Name() const { return name_; }
    const TLoginInformation& LoginInformation() const { return login_; }
    // A new login drops the connection.
    void SetLoginInformation(const TLoginInformation& login);
    // Replaces the transport the login would choose (tests, a folder given in code).
    void SetTransport(std::unique_ptr<NetTransport> transport);

    TNotifyWithAbortFlag OnAfterDownload;
    TLoginEvent OnAfterLogin, OnBeforeLogin;
    std::function<void(TNetInstallLocation&)> OnBeforeDownload;
    TDataReceivedEvent OnDataReceived;

    // Connects when not yet connected, then fetches remoteName into localFile (created anew). Pieces of
    // at most 8192 bytes go to OnDataReceived and the progress hook, and messages are handled between
    // them. True when the whole file arrived; false when the abort flag stopped it (the local file keeps
    // what was written). An empty file, an HTTP status of 400 or more, and every other failure raise.
    bool Download(const std::string& remoteName, const std::string& localFile);
    const std::string& RemoteFile() const { return remote_; }
    const std::string& LocalFile() const { return local_; }

private:
    void Connect();
    std::string name_;
    TLoginInformation login_;
    std::unique_ptr<NetTransport> transport_;
    bool connected_ = false;
    std::string remote_, local_;
};

// The flag that stops a download (the setup's Cancel sets it); cleared at start.
void SetNetAbort(bool abort);
bool NetAbort();
// Called with every piece as OnDataReceived is: remote name, expected size, total so far.
void SetDownloadProgressHook(std::function<void(const std::string&, std::uint64_t, std::uint64_t)> hook);

// The location whose connection was started last (its host goes into the error texts).
TNetInstallLocation* LocationInUse();

} // namespace setup
