#pragma once
// Byte-order helpers for the table files: headers and pointers are little-endian, field values big-endian.

#include <cstdint>
#include <cstring>
#include <string>

namespace engine::codec {

inline std::uint16_t GetU16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void PutU16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void PutU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline std::uint64_t GetU64(const unsigned char* p) {
    return static_cast<std::uint64_t>(GetU32(p)) | (static_cast<std::uint64_t>(GetU32(p + 4)) << 32);
}
inline void PutU64(unsigned char* p, std::uint64_t v) {
    PutU32(p, static_cast<std::uint32_t>(v));
    PutU32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

inline unsigned char* Bytes(std::string& s) {
    return reinterpret_cast<unsigned char*>(s.data());
}
inline const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

// A 64-bit mix over 8-byte words (FNV-style), enough to tell a complete journal from a torn one.
inline std::uint64_t Checksum(const unsigned char* p, std::size_t n,
                              std::uint64_t h = 1469598103934665603ull) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 1099511628211ull;
        h ^= h >> 29;
    }
    for (; i < n; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

} // namespace engine::codec
