#pragma once
// A program folder laid out as the setup installs it: "Link.DB" with one installation record, "QK.INI"
// and "PLOM.INI", the data folders with their tables made by the table checks, and the installation's own
// company in "SIF_PART.DB" and "PARTNER.DB". Files that are there already are kept. The setup's image and
// the program's stager both stage through here; what only the program knows (its sample workshop) comes in
// through StageOptions::Sample.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace app {

// What a staged folder holds once its tables and the own company are in.
struct StagedFolder {
    std::string Global, Lokal;   // the data folders' paths, each ending in "/"
    std::int32_t OwnPartner = 0; // the own company's "PARTNER.DB" Code
};

struct StageOptions {
    std::string Sifra = "LUMENO";          // the installation code (Link.DB "Sifra", SIF_PART.DB "Sifra")
    std::string Opis = "Radionica Lumeno"; // the installation's description
    std::string Naziv = "Lumeno d.o.o., Zagreb";
    std::string Mjesto = "Zagreb";
    std::string UlicaBroj = "Ilica 1";
    bool Tables = true;     // make the data folders and every table through the table checks
    bool OwnCompany = true; // add the own company's rows
    // Then writes more (the program's sample workshop) with "Global" and "Lokal" connected; none: nothing.
    std::function<void(const StagedFolder&)> Sample;
};

// Writes "Link.DB" with the one installation record.
void WriteLinkTable(const std::filesystem::path& folder, const StageOptions& options);
// Stages the folder; the table engine, table sets and databases are set up and released again.
void StageProgramFolder(const std::filesystem::path& folder, const StageOptions& options = {});

} // namespace app
