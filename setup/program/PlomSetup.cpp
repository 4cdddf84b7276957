#include "setup/program/PlomSetup.h"

#include "setup/program/PlomFiles.h"

#include "base/Text.h"

namespace setup::plom {

PlomSetup::PlomSetup() {
    Install1.SetDestDirType(&FindKind<psProgramFiles>());
    Install1.SetDestDir("\\Lumeno");
    Install1.GroupName = "Main";
    Install1.Description = {"Osnovni set datoteka potreban za rad aplikacije!"};
    Install1.Information.CompanyName = CompanyName;
    Install1.Information.ProductName = std::string(Product) + " " + Version;
    Install1.Information.Version = Version;
    Install1.UseLoadingProgram = true;
    Install1.BuildInfo.OCXName = "MySetup";
    Install1.BuildInfo.SignCode = false;

    // The program and its uninstaller are replaced by every newer setup; the settings and the tables are
    // the workshop's own once installed, so a setup never writes over them.
    AddFile(Install1, "", ProgramName, owAlways);
    AddFile(Install1, "", "Link.DB", owNever);
    AddFile(Install1, "", "plom.ini", owNever);
    AddFile(Install1, "", ReadmeName, owAlways);
    UninstallEXE2.SetContainer(&Install1);
    UninstallEXE2.SetArchiveFileType(&FindKind<psContainerArchiveFile>());
    UninstallEXE2.FileName = UninstallEXE2.DestName = UninstallName;
    UninstallEXE2.OverwriteMode = owAlways;
    UninstallEXE2.SetOrder(0);

    AddGroup(Global, "Global",
             {"Globalne baze potrebne za rad aplikacije.", "napomena: obavezno instaliarti!"}, GlobalFiles());
    AddGroup(Lokal, "Lokal", {"Lokalne baze potrebne za rad aplikacije.", "napomena: obavezno instalirati!"},
             LokalFiles());
    AddGroup(Pomoc, "Pomoć",
             {"Objašnjenje rada sa aplikacijom.", "napomena:", "   - preporuča se instalirati",
              "   - za pregled je potrebno imati instaliran neki", "     od Internet pretraživača",
              "     (npr. MS Internet Explorer)"},
             HelpFiles());
    Pomoc.GroupName = "Pomoć";
    AddEngine();
    AddShortcuts();

    // Every language keeps the kit's texts; only the fonts are set.
    for (TDrvnLanguage l :
         {dlChineseSimplified, dlCzech, dlDanish, dlEnglish, dlFrench, dlGerman, dlGreek, dlHebrew, dlItalian,
          dlJapanese, dlKorean, dlPortugese, dlRussian, dlSpanish, dlVietnamese}) {
        TLanguage* language = MainTranslator.Language(l);
        language->Font = TFontSpec{"MS Sans Serif", 8, 1};
        language->FontOverride = false;
    }

    for (TDialogManager* m : {&DialogManager1, &DialogManager2, &DialogManager3, &DialogManager4,
                              &DialogManager5, &DialogManager6})
        m->SetContainer(&Install1);
    AddDialogs();
}

PlomSetup::~PlomSetup() = default;

TInstallFile& PlomSetup::AddFile(TInstallContainer& container, const std::string& dir,
                                 const std::string& name, TOverwriteType mode) {
    auto file = std::make_unique<TInstallFile>(name);
    file->SetContainer(&container);
    file->SetArchiveFileType(&FindKind<psContainerArchiveFile>());
    file->IncludeFromDir = dir;
    file->FileName = file->DestName = name;
    file->OverwriteMode = mode;
    Files.push_back(std::move(file));
    return *Files.back();
}

void PlomSetup::AddGroup(TInstallFileGroup& group, const std::string& dir,
                         std::vector<std::string> description, const std::vector<std::string>& files) {
    group.SetContainer(&Install1);
    group.GroupName = dir;
    group.SetDestDirType(&FindKind<psMainInstall>());
    group.SetDestDir("\\" + dir);
    group.SetArchiveFileType(&FindKind<psContainerArchiveFile>());
    group.Description = std::move(description);
    // Help pages follow the program; tables stay as the workshop left them.
    const TOverwriteType mode = &group == &Pomoc ? owAlways : owNever;
    for (const std::string& name : files) {
        TInstallFile& file = AddFile(group, dir, name, mode);
        // the register of open tables the program keeps for itself
        file.ProgramBookkeeping = base::SameText(name, "Open.db");
    }
}

void PlomSetup::AddEngine() {
    InstallBDE1.SetContainer(&Install1);
    InstallBDE1.SetArchiveFileType(&FindKind<psContainerArchiveFile>());
    InstallBDE1.GroupName = "Borland Database Engine";
    InstallBDE1.Description = {"Instalacija \"Borland Database Engine\"."};
    InstallBDE1.bdDBase = true;
    InstallBDE1.bdParadox = true;
    InstallBDE1.LanguageDLL = "0009";
    InstallBDE1.SaveFor16Bit = false;
    BDEConfigFile.SetContainer(&InstallBDE1);
    BDEConfigFile.SetArchiveFileType(&FindKind<psContainerArchiveFile>());
    BDEConfigFile.FileName = BDEConfigFile.DestName = EngineConfig;
    BDEConfigFile.OverwriteMode = owAlways;
    Install1.PresetupFiles = {EngineLibrary};
}

void PlomSetup::AddShortcuts() {
    MainFolder1.SetContainer(&Install1);
    MainFolder1.SetDestDir("\\Lumeno");
    for (TInstallMainLink* link : {&UninstallLink, &ProgramLink, &HelpLink}) {
        link->SetContainer(&MainFolder1);
        link->HotKey = 0;
    }
    UninstallLink.SetObjectLink(&UninstallEXE2); // the uninstaller gets the product's name
    UninstallLink.SetLinkName("Uninstall.LNK");
    ProgramLink.SetObjectLink(Install1.FindFile(ProgramName));
    ProgramLink.SetLinkName("Lumeno.LNK");
    HelpLink.SetObjectLink(Install1.FindFile(std::string("Pomoć/") + HelpStartPage));
    HelpLink.SetLinkName("Pomoć.LNK");
}

void PlomSetup::AddDialogs() {
    const auto place = [this](TBroadcastReceiver& dialog) { dialog.SetContainer(&Install1); };
    WelcomeDlg2 = std::make_unique<TWelcomeDlg>("WelcomeDlg2");
    LicenseDlg2 = std::make_unique<TLicenseDlg>("LicenseDlg2");
    LicenseDlg2->LicenseAgreement = LicenseText();
    ReadmeDlg2 = std::make_unique<TReadmeDlg>("ReadmeDlg2");
    ReadmeDlg2->ReadmeText = ReadmeText();
    InstallFileGroupsDlg2 = std::make_unique<TInstallFileGroupsDlg>("InstallFileGroupsDlg2");
    SelectFolderDlg2 = std::make_unique<TSelectFolderDlg>("SelectFolderDlg2");
    GoodInstallationDlg2 = std::make_unique<TGoodInstallationDlg>("GoodInstallationDlg2");
    BadInstallationDlg2 = std::make_unique<TBadInstallationDlg>("BadInstallationDlg2");
    ChangeDiskDlg2 = std::make_unique<TChangeDiskDlg>("ChangeDiskDlg2");
    RebootDlg2 = std::make_unique<TRebootDlg>("RebootDlg2");
    CopyFileDlg2 = std::make_unique<TCopyFileDlg>("CopyFileDlg2");
    InstallStatusDlg2 = std::make_unique<TInstallStatusDlg>("InstallStatusDlg2");

    const std::pair<TCustomBaseInstallDlg*, std::pair<TDialogManager*, int>> pages[] = {
        {WelcomeDlg2.get(), {&DialogManager1, 10}},
        {LicenseDlg2.get(), {&DialogManager1, 20}},
        {ReadmeDlg2.get(), {&DialogManager1, 30}},
        {InstallFileGroupsDlg2.get(), {&DialogManager1, 50}},
        {SelectFolderDlg2.get(), {&DialogManager1, 60}},
        {GoodInstallationDlg2.get(), {&DialogManager2, 10}},
        {BadInstallationDlg2.get(), {&DialogManager3, 10}},
        {RebootDlg2.get(), {&DialogManager6, 10}},
    };
    for (const auto& [dialog, setting] : pages) {
        place(*dialog);
        dialog->SetDialogManager(setting.first);
        dialog->Order = setting.second;
        dialog->OverrideMainTranslator = false;
    }
    ChangeDiskDlg2->DialogManager = &DialogManager5;
    place(*ChangeDiskDlg2);
    place(*CopyFileDlg2);
    place(*InstallStatusDlg2);
    // The program folder's page names the shortcut group's folder.
    SelectFolderDlg2->SetContainer(&MainFolder1);
}

} // namespace setup::plom
