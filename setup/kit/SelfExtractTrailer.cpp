#include "setup/kit/SelfExtractTrailer.h"

#include "base/FileIo.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/LittleEndian.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>
#include <zlib.h>

namespace setup {

namespace {

// The file's size and its last 56 bytes; false when it is shorter or unreadable.
bool LastBytes(int fd, std::uint64_t& size, std::array<unsigned char, TrailerSize>& bytes) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) < TrailerSize)
        return false;
    size = static_cast<std::uint64_t>(st.st_size);
    return base::ReadExactlyAt(fd, bytes.data(), bytes.size(), size - TrailerSize);
}

bool TextMatches(const std::array<unsigned char, TrailerSize>& b) {
    const std::size_t n = std::strlen(TrailerText);
    return b[0] == n && std::memcmp(&b[1], TrailerText, n) == 0 && b[15] == 0;
}

// Opened without waiting on a file that is not a plain one (a fifo named as the setup).
base::FileHandle OpenToRead(const std::string& name) {
    return base::FileHandle::Open(name, O_RDONLY | O_NONBLOCK);
}

} // namespace

std::array<unsigned char, TrailerSize> EncodeTrailer(const TSelfExtractTrailer& t) {
    std::array<unsigned char, TrailerSize> b{};
    b[0] = static_cast<unsigned char>(std::strlen(TrailerText));
    std::memcpy(&b[1], TrailerText, std::strlen(TrailerText));
    Put32(&b[16], t.Setup1First);
    Put32(&b[20], t.Setup1Last);
    Put32(&b[24], t.Files1First);
    Put32(&b[28], t.Files1Last);
    Put32(&b[32], t.Checksum);
    return b;
}

namespace {

std::uint32_t Sealed(const std::array<unsigned char, TrailerSize>& encoded, std::uint32_t bodyCrc) {
    return static_cast<std::uint32_t>(crc32(bodyCrc, encoded.data(), 32));
}

} // namespace

void SealTrailer(TSelfExtractTrailer& trailer, std::uint32_t bodyCrc) {
    trailer.Checksum = Sealed(EncodeTrailer(trailer), bodyCrc);
}

bool HasTrailer(const std::string& fileName) {
    const base::FileHandle f = OpenToRead(fileName);
    std::uint64_t size = 0;
    std::array<unsigned char, TrailerSize> b{};
    return LastBytes(f.Get(), size, b) && TextMatches(b);
}

bool Crc32Of(int fd, std::uint64_t from, std::uint64_t count, std::uint32_t& crc) {
    uLong c = crc32(0L, Z_NULL, 0);
    std::vector<unsigned char> block(1 << 16);
    while (count > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), count));
        if (!base::ReadExactlyAt(fd, block.data(), n, from)) return false;
        c = crc32(c, block.data(), static_cast<uInt>(n));
        from += n;
        count -= n;
    }
    crc = static_cast<std::uint32_t>(c);
    return true;
}

TSelfExtractTrailer ReadTrailer(const std::string& fileName) {
    const auto refuse = [&] {
        return IEInstall(
            "Could not read the extraction info from the archive file %s when trying to find the "
            "correct offset into the self extracting file",
            {fileName});
    };
    const base::FileHandle f = OpenToRead(fileName);
    std::uint64_t size = 0;
    std::array<unsigned char, TrailerSize> b{};
    if (!LastBytes(f.Get(), size, b) || !TextMatches(b)) throw refuse();
    TSelfExtractTrailer t;
    t.Setup1First = Get32(&b[16]);
    t.Setup1Last = Get32(&b[20]);
    t.Files1First = Get32(&b[24]);
    t.Files1Last = Get32(&b[28]);
    t.Checksum = Get32(&b[32]);
    const std::uint64_t body = size - TrailerSize;
    const bool setupOk = t.Setup1First <= t.Setup1Last && t.Setup1Last < body;
    const bool filesOk = !t.HasFiles1() || (t.Setup1Last < t.Files1First && t.Files1First <= t.Files1Last &&
                                            t.Files1Last < body);
    std::uint32_t crc = 0;
    if (!setupOk || !filesOk || !Crc32Of(f.Get(), 0, body, crc) || Sealed(b, crc) != t.Checksum)
        throw refuse();
    return t;
}

} // namespace setup
