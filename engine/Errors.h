#pragma once
// The engine's messages: short Croatian texts naming the table file.

#include "engine/Engine.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine {

[[noreturn]] inline void ThrowDamaged(const std::string& fileName) {
    throw DamagedFile("Datoteka " + fileName + " je oštećena");
}
[[noreturn]] inline void ThrowBusy(const std::string& fileName) {
    throw TableBusy("Tablica " + fileName + " je zauzeta");
}
[[noreturn]] inline void ThrowLocked(const std::string& fileName) {
    throw RecordLocked("Slog je zaključan (" + fileName + ")");
}
// A table file this station may not write: no change of it can start.
[[noreturn]] inline void ThrowReadOnly(const std::string& fileName) {
    throw Error("Tablica " + fileName + " je samo za čitanje");
}
// The table's files were deleted or replaced under this open (another station, a restore): what it has
// open is no longer the table, and nothing may be written into it.
[[noreturn]] inline void ThrowReplaced(const std::string& fileName) {
    throw Error("Datoteka tablice " + fileName + " više ne postoji ili je zamijenjena");
}
[[noreturn]] inline void ThrowKeyViolation(const std::string& fileName) {
    throw KeyViolation("Ključ već postoji (" + fileName + ")");
}
[[noreturn]] inline void ThrowMissing(const std::string& fileName) {
    throw MissingTable("Tablica " + fileName + " ne postoji");
}
// A failed system call on a file of the table.
[[noreturn]] void ThrowIo(const std::string& fileName, int err);
// The len bytes at offset of a table file; a file that ends before them is damaged.
std::string ReadBytes(int fd, std::uint64_t offset, std::size_t len, const std::string& name);
void ReadBytesInto(int fd, std::uint64_t offset, std::size_t len, const std::string& name, std::string& into);

} // namespace engine
