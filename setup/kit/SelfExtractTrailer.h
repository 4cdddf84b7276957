#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace setup {

// The last 56 bytes of a self-extracting setup file: the ShortString "SELFEXTRACTING", a zero, the first
// and last byte positions of "setup.1" and of "files.1" (zeros without one), then the CRC-32 of every
// byte before the trailer and zeros. Little-endian.
inline constexpr std::size_t TrailerSize = 56;
inline constexpr const char* TrailerText = "SELFEXTRACTING";

struct TSelfExtractTrailer {
    std::uint32_t Setup1First = 0, Setup1Last = 0;
    std::uint32_t Files1First = 0, Files1Last = 0;
    std::uint32_t Checksum = 0;
    bool HasFiles1() const { return Files1First != 0 || Files1Last != 0; }
};

std::array<unsigned char, TrailerSize> EncodeTrailer(const TSelfExtractTrailer& trailer);

// Whether the file ends in a trailer (its text alone; nothing else is checked).
bool HasTrailer(const std::string& fileName);

// Reads the trailer and checks the whole file against it before anything is taken from it: the text,
// positions that lie in order inside the file, and the checksum, so a file cut short or altered on the
// way is refused. Any fault raises IEInstall "Could not read the extraction info from the archive file
// %s when trying to find the correct offset into the self extracting file".
TSelfExtractTrailer ReadTrailer(const std::string& fileName);

// Sets the trailer's checksum from the CRC-32 of the bytes before it.
void SealTrailer(TSelfExtractTrailer& trailer, std::uint32_t bodyCrc);

// CRC-32 of count bytes of the open file from position from; false when they cannot be read.
bool Crc32Of(int fd, std::uint64_t from, std::uint64_t count, std::uint32_t& crc);

} // namespace setup
