#pragma once
#include "base/Exceptions.h"

#include <string>

namespace setup {

// Failures of the network install location. Their texts are shown as they stand (Croatian and English
// alike, not translated): "<what>. Error message <error>. Server <host>. Response from server <reply>".
class ENIL : public base::Exception {
public:
    ENIL(const std::string& text, const std::string& error, const std::string& host,
         const std::string& response);
};
class ENIL_FTP : public ENIL {
public:
    using ENIL::ENIL;
};
class ENIL_HTTP : public ENIL {
public:
    using ENIL::ENIL;
};

#define SETUP_NET_ERROR(Name, Parent)                                                                        \
    class Name : public Parent {                                                                             \
    public:                                                                                                  \
        using Parent::Parent;                                                                                \
    };
SETUP_NET_ERROR(ENIL_OpenSession, ENIL)
SETUP_NET_ERROR(ENIL_OpenService, ENIL)
SETUP_NET_ERROR(ENIL_FailDataQuery, ENIL)
SETUP_NET_ERROR(ENIL_ReadFile, ENIL)
SETUP_NET_ERROR(ENIL_FileNotFound, ENIL)
SETUP_NET_ERROR(ENIL_FTPSetDir, ENIL_FTP)
SETUP_NET_ERROR(ENIL_FTPOpenFile, ENIL_FTP)
SETUP_NET_ERROR(ENIL_FTPCloseFile, ENIL_FTP)
SETUP_NET_ERROR(ENIL_HTTPOpenFile, ENIL_HTTP)
SETUP_NET_ERROR(ENIL_HTTPSendRequest, ENIL_HTTP)
#undef SETUP_NET_ERROR

// Carries only its own text.
class ENIL_WriteDestFile : public base::Exception {
public:
    using base::Exception::Exception;
};

// The texts of the errors, with "%s" for the file or host.
namespace niltext {
inline constexpr const char* OpenSession = "ne mogu otvoriti internet vezu";
inline constexpr const char* OpenService = "Ne mogu se povezati s domaćinom %s";
inline constexpr const char* FTPSetDir = "Ne mogu postaviti direktorij na serveru %s";
inline constexpr const char* OpenFile = "Ne mogu otvoriti datoteku %s na serveru";
inline constexpr const char* DataQuery = "Could not query file %s on server";
inline constexpr const char* CloseFile = "Cannot close the file %s on the server";
inline constexpr const char* SendRequest = "Cannot send request for file %s to the server";
inline constexpr const char* ReadFile = "Could not read from file %s on the server";
inline constexpr const char* FileNotFound = "Could not find the file %s on the server";
inline constexpr const char* WriteDestFile = "%s could not write to the local dest file %s";
inline constexpr const char* NoResponse = "No server response";
} // namespace niltext

} // namespace setup
