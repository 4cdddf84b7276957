#pragma once
// Reading a written archive back before it is trusted.

#include <cstdint>
#include <string>

namespace app {

// Opens the archive with a consistency check and reads every entry to its end, so that each entry's
// CRC is checked; answers the number of entries. Throws base::Exception naming the file on any fault.
std::int64_t VerifyZipFile(const std::string& file, const std::string& password = {});

// True when both files hold the same bytes.
bool SameFileContents(const std::string& a, const std::string& b);

} // namespace app
