#include "program/Startup.h"

#include "app/archive/ArchiveCommand.h"
#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/OpenDbRegister.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/CodeDialogs.h"
#include "app/shell/DialogHandler.h"
#include "app/shell/FocusNavigation.h"
#include "app/shell/FormOpener.h"
#include "app/shell/MyDialog.h"
#include "app/shell/ResPlus.h"
#include "app/shell/Splash.h"
#include "app/tables/EngineTables.h"
#include "app/tables/TableDefinitions.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "controls/PrintPreviewForm.h"
#include "fw/ui/Application.h"
#include "kit/Mycombo.h"
#include "kit/MyTable.h"
#include "kit/O_Plom.h"
#include "kit/sifra.h"
#include "orders/printouts/IspisNaloga.h"
#include "orders/workorder/IspisiNaloga.h"
#include "orders/workorder/WRadNal.h"
#include "program/Arh.h"
#include "program/WinGlavna.h"
#include "registers/Artikli.h"
#include "registers/Grupe.h"
#include "registers/Openers.h"
#include "registers/Sif_Boja.h"
#include "registers/Sif_Part.h"
#include "windows/systems/P_art.h"
#include "windows/systems/WSistem.h"
#include "windows/typelist/PEWin.h"

#include <QCoreApplication>
#include <QTimer>

namespace app {

StartupState Startup;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Program, [] { Startup = StartupState(); });
} // namespace

void AddStartUpForms() {
    std::vector<std::function<void()>>& forms = Startup.StartUpForms;
    forms.push_back([] {
        registers::SifBoja.SifarnikBoja =
            fw::CreateForm<registers::TSifarnikBoja>(&fw::Application::Instance());
    });
    forms.push_back([] {
        registers::SifPart.SifarnikPartnera =
            fw::CreateForm<registers::TSifarnikPartnera>(&fw::Application::Instance());
    });
    forms.push_back(registers::CreateSifarnikArtikli);
    forms.push_back(registers::CreateSifarnikGrupaArtikli);
    forms.push_back(controls::CreateIspis);
}

void InitializeUnits(const std::filesystem::path& programFolder) {
    MainWindow.ProgramFolderPath = programFolder;
    // Settings first: the open-table limit and the link folder come from "QK.INI".
    ReadCommonSettings(programFolder);
    SetTableEngine(&FileTableEngine());
    InstallTableSets();
    InstallDataLayers();
    ResetRegistry();
    ClearFormRegistries();
    // The data layer's messages and questions reach the dialog handler through app::ShowInfo and
    // app::AskYesNo of the message box unit; the framework's guard shows failures there too.
    InstallMessageHook();
    FormOpener.FlushTableProc = [](fw::TDataSet& dataSet) { FlushTable(&dataSet); };
    InstallResourceGuard();
    FocusNavigation.BackgroundPriority = [] {
        return static_cast<int>(Settings.CommonSettings.Background.Priority);
    };
    kit::InitializeKit();
    // A run of the archive that was killed left the zip library's unfinished archive beside the zip.
    {
        std::error_code error;
        const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
        RemoveStaleArchiveFiles(programFolder,
                                ArchiveNameOf(error ? std::filesystem::path("plom") : program));
    }
    // The openers of the forms that are part of the program; an entry filled already is kept.
    MainWindowOpeners& o = MainWindow.WinGlavnaOpeners;
    if (!o.Arhiviranje) o.Arhiviranje = PrikaziArhiviranje;
    if (!o.Artikli)
        o.Artikli = [](fw::Form* sender) {
            registers::PrikaziArtikle(sender, 1, WBegin.PodaciPoduzeca.OwnPartner);
        };
    if (!o.GrupeArtikala)
        o.GrupeArtikala = [](fw::Form* sender) {
            registers::PrikaziGrupeArtikala(sender, WBegin.PodaciPoduzeca.OwnPartner);
        };
    if (!o.Boje) o.Boje = [](fw::Form* sender) { registers::PrikaziBoje(sender, 0, 0); };
    registers::InstallCodeListOpeners();
    if (!o.OProgramu) o.OProgramu = kit::PrikaziOProgramu;
    if (!o.Tipovi) o.Tipovi = windows::PrikaziTipove;
    if (!o.RadniNalozi) o.RadniNalozi = orders::PrikaziRadneNaloge;
    // The work-order form's print buttons print through the printouts.
    orders::IspisiNaloga.IspisNaloga = [](std::int32_t rn, bool ponuda, bool pregled) {
        orders::IspisNaloga(rn, ponuda, {pregled, {}});
    };
    orders::IspisiNaloga.IspisStakla = [](std::int32_t rn, const std::vector<orders::ListaStakla>& liste,
                                          bool pregled) {
        orders::IspisStakla(rn, liste, {pregled, {}});
    };
    if (!o.Sistemi) o.Sistemi = windows::PrikaziSisteme;
    if (!o.ParametriArtikala) o.ParametriArtikala = windows::PrikaziParametreArtikala;
    windows::InstallSystemOpeners();
    if (!o.AskWorkOrderPassword) o.AskWorkOrderPassword = kit::AskWorkOrderPassword;
}

void FinalizeUnits() {
    // Every table is flushed and closed while the registers are still open, so that each one withdraws
    // its registration; then the registers and the databases close.
    auto guarded = [](auto&& step) {
        try {
            step();
        } catch (const std::exception& e) {
            if (!base::IsSilent(e)) CurrentDialogs().ShowInfo(e.what());
        }
    };
    guarded([] { FlushAllTables(); });
    guarded([] { CloseAllDatabases(); });
    guarded([] { kit::FinalizeKit(); });
    // The forms go with the application; the variables the registries know of must not point at them.
    std::vector<FormVariable> variables(FormOpener.ReleasableRegistry.begin(),
                                        FormOpener.ReleasableRegistry.end());
    for (const FormRegistryEntry& entry : FormOpener.FormRegistry)
        variables.push_back(entry.Form);
    fw::Application::Shutdown();
    for (const FormVariable& variable : variables)
        variable.Clear();
    // The kept windows the application owned went with it too.
    Progress.Splash = nullptr;
    MyDialog.Pitanje = nullptr;
    CodeDialogs.Nema_Dlg = nullptr;
    CodeDialogs.Staro_Dlg = nullptr;
    CodeDialogs.Novo_Dlg = nullptr;
    CodeDialogs.Brisi_Dlg = nullptr;
    ArchiveForm.Arh = nullptr;
    kit::OPlom.O_Programu = nullptr;
    MainWindow.WinGlavna = nullptr;
    kit::FreeKit();
    ClearFormRegistries();
    SetTableEngine(nullptr);
}

int RunProgram(const std::filesystem::path& programFolder,
               const std::function<void(TWinGlavna&)>& whenShown) {
    InitializeUnits(programFolder);
    fw::Application& application = fw::Application::Instance();
    application.CancelTerminate();
    application.Title = "Lumeno";
    int code = 0;
    try {
        MainWindow.WinGlavna = fw::CreateForm<TWinGlavna>(&application);
        application.SetMainForm(MainWindow.WinGlavna);
        for (const auto& create : Startup.StartUpForms)
            create();
        if (whenShown) {
            // Tied to the window: a run that ends before the window shows drops the call with it.
            TWinGlavna* window = MainWindow.WinGlavna;
            QTimer::singleShot(0, window, [window, whenShown] {
                if (window->isVisible()) whenShown(*window);
            });
        }
        code = application.Run();
        // A terminate asked for before the loop ran left its call queued: deliver it now, while the
        // application object it belongs to still exists.
        application.CancelTerminate();
        QCoreApplication::sendPostedEvents(qApp, QEvent::MetaCall);
        if (MainWindow.WinGlavna && MainWindow.WinGlavna->StartFailed()) code = 2;
    } catch (const std::exception& e) {
        if (!base::IsSilent(e)) CurrentDialogs().ShowInfo(e.what());
        code = 1;
    }
    FinalizeUnits();
    return code;
}

} // namespace app
