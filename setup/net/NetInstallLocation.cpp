#include "setup/net/NetInstallLocation.h"

#include "base/FileIo.h"
#include "base/ProgramState.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "setup/kit/DrvnCompress.h"
#include "setup/kit/KitFormat.h"

#include <optional>

namespace setup {

namespace {

struct State {
    bool abort = false;
    std::function<void(const std::string&, std::uint64_t, std::uint64_t)> progress;
    TNetInstallLocation* inUse = nullptr;
};
State state;
void ResetState() {
    base::Reinitialise(state);
}
[[maybe_unused]] const bool registered = base::RegisterStateReset(base::StateLayer::Kit, &ResetState);

constexpr std::size_t PieceSize = 8192;

} // namespace

void SetNetAbort(bool abort) {
    state.abort = abort;
}
bool NetAbort() {
    return state.abort;
}
void SetDownloadProgressHook(std::function<void(const std::string&, std::uint64_t, std::uint64_t)> hook) {
    state.progress = std::move(hook);
}
TNetInstallLocation* LocationInUse() {
    return state.inUse;
}

ENIL::ENIL(const std::string& text, const std::string& error, const std::string& host,
           const std::string& response)
    : base::Exception(text + ". Error message " + error + ". Server " + host + ". Response from server " +
                      (response.empty() ? std::string(niltext::NoResponse) : response)) {}

bool TLoginInformation::Usable() const {
    if (Anonymous) return !base::Trim(Hostname).empty();
    return !base::Trim(Hostname).empty() || !base::Trim(Password).empty() || !base::Trim(Username).empty();
}

std::string ServerPath(const std::string& directory) {
    std::string path = base::Trim(directory).empty() ? std::string("/") : directory;
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

std::unique_ptr<NetTransport> MakeTransport(const TLoginInformation& login) {
    const std::string host = base::Trim(login.Hostname);
    if (host.rfind("/", 0) == 0 || base::UpperCase(host).rfind("FILE://", 0) == 0)
        return MakeFolderTransport();
    return MakeCurlTransport();
}

TNetInstallLocation::TNetInstallLocation(std::string name) : name_(std::move(name)) {}

TNetInstallLocation::~TNetInstallLocation() {
    if (state.inUse == this) state.inUse = nullptr;
}

void TNetInstallLocation::SetLoginInformation(const TLoginInformation& login) {
    login_ = login;
    connected_ = false;
    transport_.reset();
}

void TNetInstallLocation::SetTransport(std::unique_ptr<NetTransport> transport) {
    transport_ = std::move(transport);
    connected_ = false;
}

void TNetInstallLocation::Connect() {
    state.inUse = this;
    if (!transport_) transport_ = MakeTransport(login_);
    if (connected_) return;
    if (OnBeforeLogin) OnBeforeLogin(*this);
    transport_->Connect(login_);
    connected_ = true;
    if (OnAfterLogin) OnAfterLogin(*this);
}

bool TNetInstallLocation::Download(const std::string& remoteName, const std::string& localFile) {
    Connect();
    remote_ = remoteName;
    local_ = localFile;
    if (OnBeforeDownload) OnBeforeDownload(*this);
    // Written beside the local file and put in its place when the download ends, whole or stopped by the
    // user (who keeps what came): a failed download keeps the file that was there.
    std::optional<base::FileReplacement> out;
    try {
        out.emplace(localFile);
    } catch (const base::FileError&) {
        throw ENIL_WriteDestFile(FormatText(niltext::WriteDestFile, {name_, localFile}));
    }
    std::uint64_t expected = 0, total = 0;
    bool stopped = false;
    transport_->Fetch(
        remoteName, [&](std::uint64_t size) { expected = size; },
        [&](std::string_view data) {
            while (!data.empty()) {
                const std::string_view piece = data.substr(0, PieceSize);
                data.remove_prefix(piece.size());
                total += piece.size();
                if (OnDataReceived) OnDataReceived(*this, remote_, piece, expected, total, piece.size());
                if (state.progress) state.progress(remote_, expected, total);
                ProcessMessages();
                if (state.abort) {
                    stopped = true;
                    return false;
                }
                const base::IoResult written = base::WriteAll(out->Fd(), piece.data(), piece.size());
                if (written.Error != 0 || written.Done != piece.size())
                    throw ENIL_WriteDestFile(FormatText(niltext::WriteDestFile, {name_, localFile}));
            }
            return true;
        });
    if (!stopped && total == 0)
        throw ENIL_FileNotFound(FormatText(niltext::FileNotFound, {remoteName}), "ERROR_FILE_NOT_FOUND",
                                login_.Hostname, transport_->LastResponse());
    try {
        out->Commit();
    } catch (const base::FileError&) {
        throw ENIL_WriteDestFile(FormatText(niltext::WriteDestFile, {name_, localFile}));
    }
    if (OnAfterDownload) OnAfterDownload(*this, state.abort);
    return !stopped;
}

} // namespace setup
