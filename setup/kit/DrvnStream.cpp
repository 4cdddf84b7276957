#include "setup/kit/DrvnStream.h"

#include "base/FileSystem.h"

#include "setup/kit/KitExceptions.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace setup {

std::int64_t TDrvnStream::GetSize() {
    const std::int64_t here = Seek(0, FromCurrent);
    const std::int64_t size = Seek(0, FromEnd);
    Seek(here, FromBeginning);
    return size;
}

std::size_t TDrvnNormalHandleStream::Read(void* buffer, std::size_t count) {
    ssize_t n;
    do
        n = base::Fs().Read(fd_, buffer, count);
    while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

std::size_t TDrvnNormalHandleStream::Write(const void* buffer, std::size_t count) {
    ssize_t n;
    do
        n = base::Fs().Write(fd_, buffer, count);
    while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

std::int64_t TDrvnNormalHandleStream::Seek(std::int64_t offset, Origin origin) {
    const int whence = origin == FromBeginning ? SEEK_SET : origin == FromCurrent ? SEEK_CUR : SEEK_END;
    return ::lseek(fd_, static_cast<off_t>(offset), whence);
}

void TDrvnNormalHandleStream::SetSize(std::int64_t size) {
    if (size < 0 || base::Fs().Truncate(fd_, static_cast<off_t>(size)) != 0 ||
        Seek(size, FromBeginning) != size)
        throw EDrvnCompress(std::strerror(size < 0 ? EINVAL : errno));
}

} // namespace setup
