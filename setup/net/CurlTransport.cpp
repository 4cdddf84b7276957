// Files from an FTP or HTTP(S) server through libcurl.
#include "base/Text.h"
#include "setup/kit/KitFormat.h"
#include "setup/kit/KitRoutines.h"
#include "setup/net/NetErrors.h"
#include "setup/net/NetInstallLocation.h"
#include "setup/net/NetTransport.h"

#include <cctype>
#include <curl/curl.h>
#include <exception>
#include <mutex>

namespace setup {

namespace {

// A connection that makes no progress for this long has failed; the setup never waits for ever.
constexpr long ConnectSeconds = 30;
constexpr long StallSeconds = 60;

class CurlTransport : public NetTransport {
public:
    ~CurlTransport() override {
        if (curl_) curl_easy_cleanup(curl_);
    }

    void Connect(const TLoginInformation& login) override {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        login_ = login;
        host_ = base::Trim(login.Hostname);
        if (!curl_) curl_ = curl_easy_init();
        if (!curl_) throw ENIL_OpenSession(niltext::OpenSession, "curl_easy_init", host_, "");
        // HTTP connects with its first request; FTP logs in and enters the directory now.
        if (login.Protocol != ipFTP || HasScheme("HTTP")) return;
        Prepare(BaseUrl());
        curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
        const CURLcode rc = curl_easy_perform(curl_);
        curl_easy_setopt(curl_, CURLOPT_NOBODY, 0L);
        if (rc == CURLE_OK) return;
        if (rc == CURLE_REMOTE_ACCESS_DENIED || rc == CURLE_FTP_COULDNT_RETR_FILE ||
            rc == CURLE_REMOTE_FILE_NOT_FOUND)
            throw ENIL_FTPSetDir(FormatText(niltext::FTPSetDir, {ServerPath(login.Directory)}), ErrorText(rc),
                                 host_, response_);
        throw ENIL_OpenService(FormatText(niltext::OpenService, {host_}), ErrorText(rc), host_, response_);
    }

    void Fetch(const std::string& remoteName, const std::function<void(std::uint64_t)>& expected,
               const std::function<bool(std::string_view)>& piece) override {
        char* escaped = curl_easy_escape(curl_, remoteName.c_str(), static_cast<int>(remoteName.size()));
        const std::string name = escaped ? escaped : remoteName;
        curl_free(escaped);
        Prepare(BaseUrl() + name);
        expected_ = &expected;
        piece_ = &piece;
        started_ = stopped_ = false;
        const CURLcode rc = curl_easy_perform(curl_);
        expected_ = nullptr;
        piece_ = nullptr;
        if (failure_) {
            std::exception_ptr failure = failure_;
            failure_ = nullptr;
            std::rethrow_exception(failure);
        }
        if (rc == CURLE_OK || stopped_) return;
        const bool http = login_.Protocol == ipHTTP || HasScheme("HTTP");
        long status = 0;
        curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
        const std::string error = ErrorText(rc);
        switch (rc) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_LOGIN_DENIED:
            throw ENIL_OpenService(FormatText(niltext::OpenService, {host_}), error, host_, response_);
        case CURLE_HTTP_RETURNED_ERROR:
            if (status == 404)
                throw ENIL_FileNotFound(FormatText(niltext::FileNotFound, {remoteName}), error, host_,
                                        response_);
            throw ENIL_HTTPOpenFile(FormatText(niltext::OpenFile, {remoteName}), error, host_, response_);
        case CURLE_REMOTE_FILE_NOT_FOUND:
        case CURLE_FTP_COULDNT_RETR_FILE:
            throw ENIL_FTPOpenFile(FormatText(niltext::OpenFile, {remoteName}), error, host_, response_);
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
            if (http)
                throw ENIL_HTTPSendRequest(FormatText(niltext::SendRequest, {remoteName}), error, host_,
                                           response_);
            [[fallthrough]];
        default:
            throw ENIL_ReadFile(FormatText(niltext::ReadFile, {remoteName}), error, host_, response_);
        }
    }

    std::string LastResponse() const override { return response_; }

private:
    bool HasScheme(const char* scheme) const {
        return base::UpperCase(host_).rfind(std::string(scheme), 0) == 0;
    }

    // scheme://host/directory/
    std::string BaseUrl() const {
        std::string url = host_;
        if (url.find("://") == std::string::npos)
            url = (login_.Protocol == ipFTP ? "ftp://" : "http://") + url;
        std::string dir = ServerPath(login_.Directory);
        if (dir.front() != '/') dir = "/" + dir;
        return RemoveBackslash(url) + AddBackslash(dir);
    }

    void Prepare(const std::string& url) {
        curl_easy_reset(curl_);
        errors_[0] = 0;
        response_.clear();
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, errors_);
        curl_easy_setopt(curl_, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, ConnectSeconds);
        curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, StallSeconds);
        curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "http,https,ftp,ftps");
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, nullptr);
        curl_easy_setopt(curl_, CURLOPT_FRESH_CONNECT, 0L);
        if (!login_.Anonymous) {
            curl_easy_setopt(curl_, CURLOPT_USERNAME, login_.Username.c_str());
            curl_easy_setopt(curl_, CURLOPT_PASSWORD, login_.Password.c_str());
        }
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &CurlTransport::Write);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, &CurlTransport::Header);
        curl_easy_setopt(curl_, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, &CurlTransport::Progress);
        curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, this);
    }

    std::string ErrorText(CURLcode rc) const {
        std::string text = curl_easy_strerror(rc);
        if (errors_[0]) text += ": " + std::string(errors_);
        return text;
    }

    static std::size_t Write(char* data, std::size_t size, std::size_t count, void* self) {
        auto* t = static_cast<CurlTransport*>(self);
        const std::size_t length = size * count;
        if (!t->piece_) return 0;
        try {
            if (!t->started_) {
                t->started_ = true;
                curl_off_t expected = -1;
                curl_easy_getinfo(t->curl_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
                (*t->expected_)(expected > 0 ? static_cast<std::uint64_t>(expected) : 0);
            }
            if (!(*t->piece_)(std::string_view(data, length))) {
                t->stopped_ = true;
                return 0;
            }
        } catch (...) {
            // The piece's own error (a full disk) is raised again once curl has returned.
            t->failure_ = std::current_exception();
            return 0;
        }
        return length;
    }

    static std::size_t Header(char* data, std::size_t size, std::size_t count, void* self) {
        auto* t = static_cast<CurlTransport*>(self);
        const std::string line = base::Trim(std::string(data, size * count));
        // The status line of HTTP, every reply line of FTP: the last one said is kept.
        if (!line.empty() && (line.rfind("HTTP/", 0) == 0 ||
                              (line.size() > 3 && std::isdigit(static_cast<unsigned char>(line[0])))))
            t->response_ = line;
        return size * count;
    }

    static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* t = static_cast<CurlTransport*>(self);
        if (NetAbort()) {
            t->stopped_ = true;
            return 1;
        }
        return 0;
    }

    TLoginInformation login_;
    std::string host_;
    CURL* curl_ = nullptr;
    char errors_[CURL_ERROR_SIZE] = {};
    std::string response_;
    const std::function<void(std::uint64_t)>* expected_ = nullptr;
    const std::function<bool(std::string_view)>* piece_ = nullptr;
    bool started_ = false, stopped_ = false;
    std::exception_ptr failure_;
};

} // namespace

std::unique_ptr<NetTransport> MakeCurlTransport() {
    return std::make_unique<CurlTransport>();
}

} // namespace setup
