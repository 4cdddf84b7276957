#include "app/data/Settings.h"

#include "app/data/DBMine.h"
#include "app/data/WBegin.h"
#include "base/Files.h"
#include "base/IniFile.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "engine/Engine.h"

#include <algorithm>
#include <limits>
#include <system_error>

namespace app {

SettingsState Settings;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { Settings = SettingsState(); });
} // namespace

namespace {

// Reads values into variables, each key with the variable's current value as its default.
class Reader {
public:
    explicit Reader(const std::filesystem::path& folder, const std::string& fileName) {
        if (const auto file = base::FindFile(folder, fileName)) ini_ = base::IniFile(*file);
    }
    void Section(const std::string& name) { section_ = name; }

    // "True"/"False" as well as numbers (0 is False).
    void Read(const std::string& key, bool& value) const {
        const std::string text = ini_.ReadString(section_, key, "");
        if (base::SameText(text, "True"))
            value = true;
        else if (base::SameText(text, "False"))
            value = false;
        else
            value = ini_.ReadBool(section_, key, value);
    }
    // A number outside 32 bits is no number: the default stays.
    void Read(const std::string& key, std::int32_t& value) const {
        const long n = ini_.ReadInteger(section_, key, value);
        if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max())
            value = std::int32_t(n);
    }
    // Kept in one byte: 258 becomes 2.
    void Read(const std::string& key, std::uint8_t& value) const {
        std::int32_t n = value;
        Read(key, n);
        value = std::uint8_t(n & 0xFF);
    }
    void Read(const std::string& key, std::string& value, std::size_t capacity) const {
        value = base::CutChars(ini_.ReadString(section_, key, value), capacity);
    }
    void Read(const std::string& key, std::string& value) const {
        value = ini_.ReadString(section_, key, value);
    }

private:
    base::IniFile ini_;
    std::string section_;
};

constexpr std::size_t AccountCapacity = 7;

void ReadAccounts(Reader& r, TCommonSettings& s) {
    r.Section("Konta_Porez");
    auto& p = s.Konta_Porez;
    for (auto [key, value] : {std::pair{"RUC", &p.RUC},
                              {"Roba", &p.Roba},
                              {"Usluga", &p.Usluga},
                              {"Otpis", &p.Otpis},
                              {"Potrosnja", &p.Potrosnja},
                              {"DodVrijednost", &p.DodVrijednost},
                              {"NVPRobe", &p.NVPRobe},
                              {"Prirez", &p.Prirez}})
        r.Read(key, *value, AccountCapacity);
    r.Section("Konta_Carina");
    auto& c = s.Konta_Carina;
    for (auto [key, value] : {std::pair{"Carina", &c.Carina},
                              {"Evidencija", &c.Evidencija},
                              {"Porez", &c.Porez},
                              {"Prirez", &c.Prirez},
                              {"Trosarina", &c.Trosarina}})
        r.Read(key, *value, AccountCapacity);
}

void ReadCommon(Reader& r, TCommonSettings& s) {
    r.Section("Safety");
    r.Read("AutoSave", s.Safety.AutoSave);
    r.Read("AutoCheck", s.Safety.AutoCheck);
    r.Read("NoUPS", s.Safety.NoUPS);
    r.Section("Fancy");
    r.Read("Skoci", s.Fancy.Skoci);
    r.Read("Bojaj", s.Fancy.Bojaj);
    r.Read("Boja", s.Fancy.Boja);
    r.Read("Font", s.Fancy.Font);
    r.Read("ConfirmKey", s.Fancy.ConfirmKey);
    r.Read("NextKey", s.Fancy.NextKey);
    r.Section("Osoba");
    r.Read("Fakturira", s.Osoba.Fakturira, 40);
    r.Section("Link");
    r.Read("Dir", s.Link.Dir);
    r.Section("Resources");
    r.Read("LoadMode", s.Resources.LoadMode);
    r.Read("Usage", s.Resources.Usage);
    r.Section("Plati_Porez");
    r.Read("Odmah", s.Plati_Porez.Odmah);
    r.Read("Nakon", s.Plati_Porez.Nakon);
    r.Section("Trazi_Cijenu");
    r.Read("Po_Kalkulaciji", s.Trazi_Cijenu.Po_Kalkulaciji);
    r.Read("Uzmi_Najvisu", s.Trazi_Cijenu.Uzmi_Najvisu);
    r.Section("OtvoreneBaze");
    r.Read("Max", s.OtvoreneBaze.Max);
    r.Section("Background");
    r.Read("Priority", s.Background.Priority);
    ReadAccounts(r, s);
}

} // namespace

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path();
    return program.parent_path();
}

void ReadCommonSettings() {
    ReadCommonSettings(ProgramFolder());
}

void ReadCommonSettings(const std::filesystem::path& folder) {
    Reader reader(folder, "QK.INI");
    ReadCommon(reader, Settings.CommonSettings);
    DBMine.MaxOpenTables = Settings.CommonSettings.OtvoreneBaze.Max;
    WBegin.LinkFolder = Settings.CommonSettings.Link.Dir;
}

void ReadProgramSettings(std::string& Description) {
    ReadProgramSettings(Description, ProgramFolder());
}

void ReadProgramSettings(std::string& Description, const std::filesystem::path& folder) {
    Description.clear();
    Reader r(folder, "PLOM.INI");
    auto& p = Settings.PostavkePrograma;
    r.Section("podaci");
    r.Read("GrupaStoka", p.GrupaStoka);
    r.Read("GrupaOkvira", p.GrupaOkvira);
    r.Read("GrupaPrecke", p.GrupaPrecke);
    r.Read("GrupaVrata", p.GrupaVrata);
    r.Read("GrupaZeljezo", p.GrupaZeljezo);
    r.Read("GrupaStaklo", p.GrupaStaklo);
    r.Read("GrupaKliznogOkvira", p.GrupaKliznogOkvira);
    r.Read("Valuta", p.Valuta, 3);
    r.Section("tablice");
    r.Read("Predmemorija", p.Predmemorija);
    p.Predmemorija = std::clamp(p.Predmemorija, 1, 4096);
    engine::SetBlockCacheBytes(static_cast<std::uint64_t>(p.Predmemorija) << 20);
    Description = base::CutChars(WBegin.PodaciInstalacije.Opis, 40);
}

} // namespace app
