#pragma once
#include <cstddef>
#include <cstdint>

namespace setup {

// A byte stream with a size. Read and Write return the bytes moved (0 on failure).
class TDrvnStream {
public:
    enum Origin { FromBeginning, FromCurrent, FromEnd };
    virtual ~TDrvnStream() = default;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // The new position, or -1 when the seek failed.
    virtual std::int64_t Seek(std::int64_t offset, Origin origin) = 0;
    virtual void SetSize(std::int64_t size) = 0;
    // Remembers the position, seeks to the end for the size, seeks back.
    virtual std::int64_t GetSize();
};

// A stream over an open descriptor that it does not own.
class TDrvnNormalHandleStream : public TDrvnStream {
public:
    explicit TDrvnNormalHandleStream(int fd) : fd_(fd) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, Origin origin) override;
    // Cuts or extends the file and leaves the position at the new end; a failure raises EDrvnCompress
    // with the system's text.
    void SetSize(std::int64_t size) override;
    int Handle() const { return fd_; }

private:
    int fd_;
};

} // namespace setup
