#pragma once
// The two settings files of the program's folder: the suite's "QK.INI" and the program's own "PLOM.INI"
// (section "podaci"). Both are only read, never written; a missing file or key leaves the default.

#include <cstdint>
#include <filesystem>
#include <string>

namespace app {

// How ShowForm shows a form and what becomes of it after its visit ([Resources] LoadMode).
inline constexpr std::uint8_t LoadModeModalFreed = 0; // modal, over a hidden caller, freed when it closes
inline constexpr std::uint8_t LoadModeModalKept = 1;  // modal, over a hidden caller, kept for the next visit
inline constexpr std::uint8_t LoadModeModeless = 2;   // modeless beside its caller

// "QK.INI", grouped by its sections. Keys of the suite that this program never uses (ports, printers and
// most account sections) are not kept.
struct TCommonSettings {
    struct {
        bool AutoSave = true;   // flush a table after the dataset services post to it
        bool AutoCheck = false; // thorough table check on first registration
        bool NoUPS = true;
    } Safety;
    struct {
        bool Skoci = true;            // the focused key control pops out
        bool Bojaj = true;            // colour the focused key or name edit
        std::int32_t Boja = 0x800000; // its background, $00BBGGRR
        std::int32_t Font = 0xFFFFFF; // its font colour, $00BBGGRR
        bool ConfirmKey = false;
        bool NextKey = false;
    } Fancy;
    struct {
        std::string Fakturira; // at most 40 characters
    } Osoba;
    struct {
        std::string Dir; // folder of the "LINK" database
    } Link;
    struct {
        std::uint8_t LoadMode = 2; // one of the LoadMode... values below
        std::uint8_t Usage = 4;    // where the resource guard acts
    } Resources;
    struct {
        std::int32_t Odmah = 30;
        std::int32_t Nakon = 5;
    } Plati_Porez;
    struct {
        bool Po_Kalkulaciji = true;
        bool Uzmi_Najvisu = true;
    } Trazi_Cijenu;
    struct {
        std::int32_t Max = 100; // most table files open at once
    } OtvoreneBaze;
    struct {
        std::uint8_t Priority = 1;
    } Background;
    // Default accounts of the tax and customs rates; at most 7 characters each.
    struct {
        std::string RUC = "2602";
        std::string Roba = "2600";
        std::string Usluga = "2601";
        std::string Otpis = "260073";
        std::string Potrosnja = "26008";
        std::string DodVrijednost = "26009";
        std::string NVPRobe = "260071";
        std::string Prirez = "26007";
    } Konta_Porez;
    struct {
        std::string Carina = "2609";
        std::string Evidencija = "26093";
        std::string Porez = "26091";
        std::string Prirez = "26092";
        std::string Trosarina = "26094";
    } Konta_Carina;
};

// "PLOM.INI" section "podaci": the article groups of the profile kinds and the currency.
struct TPostavkePrograma {
    std::int32_t GrupaStoka = 1;
    std::int32_t GrupaOkvira = 2;
    std::int32_t GrupaPrecke = 3;
    std::int32_t GrupaVrata = 4;
    std::int32_t GrupaZeljezo = 5;
    std::int32_t GrupaStaklo = 6;
    std::int32_t GrupaKliznogOkvira = 6;
    std::string Valuta = "DEM"; // at most 3 characters
    // Section "tablice": MiB of large tables' rows the program keeps in memory (1..4096).
    std::int32_t Predmemorija = 8;
};

struct SettingsState {
    TCommonSettings CommonSettings;
    TPostavkePrograma PostavkePrograma;
};
// Reset with the program's state.
extern SettingsState Settings;

// The folder of the running program file.
std::filesystem::path ProgramFolder();

// Reads "QK.INI" of the program's folder into CommonSettings (each key with its current value as the
// default) and hands on the values other units keep: MaxOpenTables and LinkFolder.
void ReadCommonSettings();
void ReadCommonSettings(const std::filesystem::path& folder);

// Reads "PLOM.INI" sections "podaci" and "tablice" into PostavkePrograma and hands the table cache size to
// the engine; Description receives the installation's Opis.
void ReadProgramSettings(std::string& Description);
void ReadProgramSettings(std::string& Description, const std::filesystem::path& folder);

} // namespace app
