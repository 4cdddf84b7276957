// Files from a folder (a mounted share, a kit copied to disk): the same steps as a server, no sockets.
#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "setup/kit/KitFormat.h"
#include "setup/kit/KitRoutines.h"
#include "setup/net/NetErrors.h"
#include "setup/net/NetTransport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace setup {

namespace {

class FolderTransport : public NetTransport {
public:
    void Connect(const TLoginInformation& login) override {
        host_ = base::Trim(login.Hostname);
        std::string root = host_;
        if (base::UpperCase(root).rfind("FILE://", 0) == 0) root = root.substr(7);
        struct stat st {};
        if (::stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw ENIL_OpenService(FormatText(niltext::OpenService, {host_}), std::strerror(errno), host_,
                                   "");
        folder_ =
            AddBackslash(RemoveBackslash(root)) + RemoveBackslash(ServerPath(login.Directory)).substr(1);
        if (::stat(folder_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw ENIL_FTPSetDir(FormatText(niltext::FTPSetDir, {ServerPath(login.Directory)}),
                                 std::strerror(errno), host_, "");
    }
    void Fetch(const std::string& remoteName, const std::function<void(std::uint64_t)>& expected,
               const std::function<bool(std::string_view)>& piece) override {
        // A name is one file of the folder, never a way out of it.
        if (remoteName.empty() || remoteName.find('/') != std::string::npos || remoteName == "." ||
            remoteName == "..")
            throw ENIL_FileNotFound(FormatText(niltext::FileNotFound, {remoteName}), "ERROR_FILE_NOT_FOUND",
                                    host_, "");
        const std::string path = AddBackslash(folder_) + remoteName;
        base::FileHandle in = base::FileHandle::Open(path, O_RDONLY);
        struct stat st {};
        if (!in || ::fstat(in.Get(), &st) != 0 || !S_ISREG(st.st_mode))
            throw ENIL_FileNotFound(FormatText(niltext::FileNotFound, {remoteName}), std::strerror(errno),
                                    host_, "");
        expected(static_cast<std::uint64_t>(st.st_size));
        char buffer[8192];
        for (;;) {
            const ssize_t n = base::Fs().Read(in.Get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0)
                throw ENIL_ReadFile(FormatText(niltext::ReadFile, {remoteName}), std::strerror(errno), host_,
                                    "");
            if (n == 0 || !piece(std::string_view(buffer, static_cast<std::size_t>(n)))) return;
        }
    }
    std::string LastResponse() const override { return {}; }

private:
    std::string host_, folder_;
};

} // namespace

std::unique_ptr<NetTransport> MakeFolderTransport() {
    return std::make_unique<FolderTransport>();
}

} // namespace setup
