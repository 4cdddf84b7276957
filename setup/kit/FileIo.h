#pragma once
#include <cstddef>
#include <cstdint>

namespace setup {

// Positioned descriptor I/O of the archive, retrying interrupted calls.

// True when all len bytes were read at pos.
bool ReadAt(int fd, void* out, std::size_t len, std::uint64_t pos);
// The bytes written (at pos, or at the current position when not positioned); short when the medium
// refused more.
std::size_t WriteSome(int fd, const void* data, std::size_t len, std::uint64_t pos, bool positioned);

} // namespace setup
