#pragma once
// A program folder laid out as the setup installs it: "Link.DB" with one installation record, "QK.INI"
// and "PLOM.INI", the data folders with their tables made by the table checks, and the installation's own
// company in "SIF_PART.DB" and "PARTNER.DB". Files that are there already are kept.

#include <filesystem>
#include <string>

namespace app {

struct StageOptions {
    std::string Sifra = "LUMENO";          // the installation code (Link.DB "Sifra", SIF_PART.DB "Sifra")
    std::string Opis = "Radionica Lumeno"; // the installation's description
    std::string Naziv = "Lumeno d.o.o., Zagreb";
    std::string Mjesto = "Zagreb";
    std::string UlicaBroj = "Ilica 1";
    bool Tables = true;     // make the data folders and every table through the table checks
    bool OwnCompany = true; // add the own company's rows
    bool Sample = false;    // and the sample workshop, when the registers hold no window system yet
};

// Writes "Link.DB" with the one installation record.
void WriteLinkTable(const std::filesystem::path& folder, const StageOptions& options);
// Stages the folder; the table engine, table sets and databases are set up and released again.
void StageProgramFolder(const std::filesystem::path& folder, const StageOptions& options = {});

} // namespace app
