#include "setup/kit/FileIo.h"

#include <cerrno>
#include <unistd.h>

namespace setup {

bool ReadAt(int fd, void* out, std::size_t len, std::uint64_t pos) {
    std::size_t done = 0;
    while (done < len) {
        const ssize_t n =
            ::pread(fd, static_cast<char*>(out) + done, len - done, static_cast<off_t>(pos + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::size_t WriteSome(int fd, const void* data, std::size_t len, std::uint64_t pos, bool positioned) {
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < len) {
        const ssize_t n = positioned ? ::pwrite(fd, bytes + done, len - done, static_cast<off_t>(pos + done))
                                     : ::write(fd, bytes + done, len - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

} // namespace setup
