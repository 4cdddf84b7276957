#pragma once
// The note a save leaves in the table folder while it swaps a type's rows: written (whole, through the
// replace routine) once every new row is on disk, and removed when the swap is complete. Whoever next
// touches the type finishes a swap whose note is still there, so a save is either wholly done or not at all.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace windows {

// Names and values, one "name=value" line each.
using BiljeskaZamjene = std::map<std::string, std::string>;

// The note, or none when there is no swap pending. A note that cannot be read raises base::Exception
// naming the file.
std::optional<BiljeskaZamjene> CitajBiljesku(const std::filesystem::path& file);
void ZapisiBiljesku(const std::filesystem::path& file, const BiljeskaZamjene& biljeska);
// Removes the note (none there is fine); raises base::FileError naming it when it stays.
void UkloniBiljesku(const std::filesystem::path& file);
bool BiljeskaPostoji(const std::filesystem::path& file);

// A number of the note; raises base::Exception naming the file when it is missing or not a number.
long long BrojIzBiljeske(const BiljeskaZamjene& biljeska, const std::string& ime,
                         const std::filesystem::path& file);

} // namespace windows
