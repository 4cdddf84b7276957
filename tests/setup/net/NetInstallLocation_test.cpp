#include "setup/net/NetInstallLocation.h"

#include "base/FileSystem.h"
#include "tests/setup/kit/KitTestEnv.h"
#include "tests/setup/net/LoopbackHttpServer.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/TempFolder.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace setup;
namespace fs = std::filesystem;

namespace {

std::string Bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('a' + (i * 7) % 26);
    return s;
}

// A port nothing listens on: bound, then closed again.
int ClosedPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(s);
    return ntohs(addr.sin_port);
}

class NetLocation : public setuptest::KitTest {
protected:
    // A location for the host with the kit in "\kit", recording every piece.
    TNetInstallLocation& Location(const std::string& host, TInternetProtocol protocol) {
        TLoginInformation login;
        login.Hostname = host;
        login.Directory = "\\kit";
        login.Protocol = protocol;
        location.SetLoginInformation(login);
        location.OnDataReceived = [this](TNetInstallLocation&, const std::string&, std::string_view,
                                         std::uint64_t expected, std::uint64_t total, std::size_t length) {
            pieces.push_back(length);
            lastExpected = expected;
            lastTotal = total;
        };
        return location;
    }
    std::string Local() const { return Path("local.1"); }
    void Write(const std::string& name, const std::string& bytes) {
        fs::create_directories(fs::path(Path(name)).parent_path());
        temp_.Write(name, bytes);
    }

    TNetInstallLocation location;
    std::vector<std::size_t> pieces;
    std::uint64_t lastExpected = 0, lastTotal = 0;
};

TEST_F(NetLocation, DownloadsOverHttpInPiecesAndDecidesByTheStatus) {
    setuptest::LoopbackHttpServer server;
    const std::string archive = Bytes(20000);
    server.Serve("/kit/files.1", {200, archive});
    server.Serve("/kit/Image404.lst", {200, "Image404 is a component name"});
    server.Serve("/kit/broken.1", {500, "<html>oops</html>"});
    server.Serve("/kit/empty.1", {200, ""});
    TNetInstallLocation& net = Location(server.Host(), ipHTTP);
    int logins = 0;
    net.OnBeforeLogin = [&](TNetInstallLocation&) { ++logins; };

    ASSERT_TRUE(net.Download("files.1", Local()));
    EXPECT_EQ(testsupport::ReadFile(Local()), archive);
    EXPECT_EQ(pieces.empty() ? 0u : *std::max_element(pieces.begin(), pieces.end()), 8192u);
    EXPECT_EQ(lastExpected, 20000u);
    EXPECT_EQ(lastTotal, 20000u);
    // A body that mentions 404 is still the file.
    ASSERT_TRUE(net.Download("Image404.lst", Local()));
    EXPECT_EQ(testsupport::ReadFile(Local()), "Image404 is a component name");
    EXPECT_EQ(logins, 1);

    try {
        net.Download("missing.1", Local());
        ADD_FAILURE() << "a missing file was downloaded";
    } catch (const ENIL_FileNotFound& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("Could not find the file missing.1 on the server. Error message ", 0), 0u)
            << text;
        EXPECT_NE(text.find(". Server " + server.Host() + ". Response from server HTTP/1.0 404 Not Found"),
                  std::string::npos)
            << text;
    }
    EXPECT_THROW(net.Download("broken.1", Local()), ENIL_HTTPOpenFile);
    EXPECT_THROW(net.Download("empty.1", Local()), ENIL_FileNotFound);
    EXPECT_EQ(server.Requests(),
              (std::vector<std::string>{"/kit/files.1", "/kit/Image404.lst", "/kit/missing.1",
                                        "/kit/broken.1", "/kit/empty.1"}));

    TNetInstallLocation& nobody = Location("127.0.0.1:" + std::to_string(ClosedPort()), ipHTTP);
    EXPECT_THROW(nobody.Download("files.1", Local()), ENIL_OpenService);
}

TEST_F(NetLocation, AnAbortStopsQuietlyKeepingWhatWasWritten) {
    setuptest::LoopbackHttpServer server;
    server.Serve("/kit/files.1", {200, Bytes(40000)});
    TNetInstallLocation& net = Location(server.Host(), ipHTTP);
    bool afterAborted = false;
    net.OnAfterDownload = [&](TNetInstallLocation&, bool aborted) { afterAborted = aborted; };
    SetDownloadProgressHook([](const std::string&, std::uint64_t, std::uint64_t total) {
        if (total > 8192) SetNetAbort(true);
    });
    EXPECT_FALSE(net.Download("files.1", Local()));
    EXPECT_TRUE(afterAborted);
    EXPECT_EQ(fs::file_size(Local()), 8192u);
    SetNetAbort(false);
    SetDownloadProgressHook(nullptr);
}

// A download that fails (a write or the sync of the local file, a missing or empty file on the server)
// keeps the local file that was there; one that goes through replaces it whole.
TEST_F(NetLocation, AFailedDownloadKeepsTheLocalFileThatWasThere) {
    setuptest::LoopbackHttpServer server;
    const std::string archive = Bytes(30000);
    server.Serve("/kit/files.1", {200, archive});
    server.Serve("/kit/empty.1", {200, ""});
    TNetInstallLocation& net = Location(server.Host(), ipHTTP);
    const std::string old = "the archive downloaded before";
    for (const bool syncs : {false, true}) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE((syncs ? "sync " : "write ") + std::to_string(n));
            temp_.Write("local.1", old);
            testsupport::FaultFileSystem faults;
            if (syncs)
                faults.FailSync(n, EIO);
            else
                faults.FailWrite(n, ENOSPC);
            bool threw = false;
            {
                base::ScopedFileSystem scope(faults);
                try {
                    net.Download("files.1", Local());
                } catch (const ENIL_WriteDestFile& e) {
                    threw = true;
                    EXPECT_NE(std::string(e.what()).find(Local()), std::string::npos) << e.what();
                }
            }
            if (!faults.Failed()) {
                EXPECT_EQ(testsupport::ReadFile(Local()), archive);
                break;
            }
            EXPECT_TRUE(threw);
            EXPECT_EQ(testsupport::ReadFile(Local()), faults.FailedOnFolder() ? archive : old);
            for (const auto& e : fs::directory_iterator(Path("")))
                EXPECT_NE(e.path().extension(), ".tmp") << "a temporary was left: " << e.path();
            ASSERT_LT(n, 100);
        }
    }
    temp_.Write("local.1", old);
    EXPECT_THROW(net.Download("missing.1", Local()), ENIL_FileNotFound);
    EXPECT_THROW(net.Download("empty.1", Local()), ENIL_FileNotFound);
    EXPECT_EQ(testsupport::ReadFile(Local()), old);
    for (const auto& e : fs::directory_iterator(Path("")))
        EXPECT_NE(e.path().extension(), ".tmp") << "a temporary was left: " << e.path();
}

TEST_F(NetLocation, AFolderServesTheSameWayAndKeepsNamesInside) {
    Write("share/kit/files.1", Bytes(9000));
    Write("share/secret", "x");
    TNetInstallLocation& net = Location(Path("share"), ipFTP);
    ASSERT_TRUE(net.Download("files.1", Local()));
    EXPECT_EQ(testsupport::ReadFile(Local()), Bytes(9000));
    EXPECT_EQ(pieces, (std::vector<std::size_t>{8192, 808}));
    for (const char* name : {"../secret", "..", "missing.1"})
        EXPECT_THROW(net.Download(name, Local()), ENIL_FileNotFound) << name;

    EXPECT_THROW(Location("file://" + Path("share/none"), ipFTP).Download("files.1", Local()),
                 ENIL_OpenService);
    TLoginInformation noDir;
    noDir.Hostname = Path("share");
    noDir.Directory = "\\gone";
    location.SetLoginInformation(noDir);
    EXPECT_THROW(location.Download("files.1", Local()), ENIL_FTPSetDir);
}

TEST(NetLogin, UsableAndServerPaths) {
    struct Case {
        bool anonymous;
        std::string host, user, password;
        bool usable;
    };
    for (const Case& c : std::vector<Case>{{true, "", "u", "p", false},
                                           {true, " h ", "", "", true},
                                           {false, "", "", "p", true},
                                           {false, " ", " ", " ", false}}) {
        TLoginInformation l;
        l.Anonymous = c.anonymous;
        l.Hostname = c.host;
        l.Username = c.user;
        l.Password = c.password;
        EXPECT_EQ(l.Usable(), c.usable) << c.host << "/" << c.user << "/" << c.password;
    }
    EXPECT_EQ(ServerPath(""), "/");
    EXPECT_EQ(ServerPath("\\pub\\kit"), "/pub/kit");
}

} // namespace
