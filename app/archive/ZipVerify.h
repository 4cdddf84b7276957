#pragma once
// Reading a written archive back before it is trusted.

#include <cstdint>
#include <string>

namespace app {

// Opens the archive with a consistency check and reads every entry to its end, so that each entry's
// CRC is checked; answers the number of entries. Throws base::Exception naming the file on any fault.
std::int64_t VerifyZipFile(const std::string& file, const std::string& password = {});

// Why the zip library cannot open the file as an archive, in words for the user; empty when it can.
std::string ZipOpenProblem(const std::string& file);
// The zip library's error, for a Croatian sentence (the reason a system call failed in the same words).
std::string ZipErrorText(int zipError, int systemError);

// True when both files hold the same bytes.
bool SameFileContents(const std::string& a, const std::string& b);

} // namespace app
