#include "windows/storage/SwapNote.h"

#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "base/ReplaceFile.h"

#include <cerrno>
#include <charconv>
#include <sys/stat.h>

namespace windows {

namespace {

[[noreturn]] void Ostecena(const std::filesystem::path& file) {
    throw base::Exception("Datoteka " + file.filename().string() + " je oštećena");
}

} // namespace

bool BiljeskaPostoji(const std::filesystem::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0;
}

std::optional<BiljeskaZamjene> CitajBiljesku(const std::filesystem::path& file) {
    if (!BiljeskaPostoji(file)) return std::nullopt;
    const std::string text = base::ReadWholeFile(file, 1 << 16);
    BiljeskaZamjene out;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = text.find('\n', from);
        if (end == std::string::npos) Ostecena(file); // every line ends: the last one too
        const std::string line = text.substr(from, end - from);
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) Ostecena(file);
        out[line.substr(0, eq)] = line.substr(eq + 1);
        from = end + 1;
    }
    return out;
}

void ZapisiBiljesku(const std::filesystem::path& file, const BiljeskaZamjene& biljeska) {
    std::string text;
    for (const auto& [ime, vrijednost] : biljeska)
        text += ime + "=" + vrijednost + "\n";
    base::ReplaceFile(file, text);
}

void UkloniBiljesku(const std::filesystem::path& file) {
    if (base::Fs().Unlink(file.c_str()) != 0 && errno != ENOENT) base::ThrowWriteError(file, errno);
    // A note that came back after a power cut would only finish a swap already finished.
    base::SyncFolder(file.parent_path());
}

long long BrojIzBiljeske(const BiljeskaZamjene& biljeska, const std::string& ime,
                         const std::filesystem::path& file) {
    const auto it = biljeska.find(ime);
    if (it == biljeska.end()) Ostecena(file);
    long long value = 0;
    const std::string& s = it->second;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) Ostecena(file);
    return value;
}

} // namespace windows
