#pragma once
// Archives for the zip tests: read back with libzip, written with libzip, or built byte by byte.

#include <filesystem>
#include <map>
#include <string>

namespace testsupport {

// Entry name -> contents, read with libzip (CRC checked); the password opens encrypted entries.
std::map<std::string, std::string> ZipEntries(const std::filesystem::path& zip,
                                              const std::string& password = {});

// An archive of these entries written by libzip.
void WriteZip(const std::filesystem::path& zip, const std::map<std::string, std::string>& entries);

// One stored local file header with its name and data, as the bytes of a file.
std::string LocalEntry(const std::string& name, const std::string& data, unsigned flags = 0);

// Writes the file and sets its modification time to the given seconds since the epoch.
void WriteFileAt(const std::filesystem::path& file, const std::string& bytes, long long seconds);

} // namespace testsupport
