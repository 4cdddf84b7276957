#include "program/WinGlavna.h"

#include "app/data/Settings.h"
#include "app/data/Useful.h"
#include "app/data/WBegin.h"
#include "app/shell/MyDialog.h"
#include "base/Exceptions.h"
#include "base/FileSystem.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "fw/ui/Application.h"
#include "fw/ui/Guard.h"
#include "fw/ui/StdCtrls.h"
#include "kit/sifra.h"
#include "program/MainPictures.h"
#include "windows/storage/WindowTypeStore.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace app {

MainWindowState MainWindow;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Program, [] { MainWindow = MainWindowState(); });
} // namespace

namespace {

constexpr const char* SessionPassword = "Ka su pel 31";
constexpr int ButtonLeft = 90, ButtonTop = 120, ButtonWidth = 300, ButtonHeight = 40, ButtonStep = 48;

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The data folder of that name beside the program, an existing one found whatever its case; with a
// trailing "/".
std::string DataFolder(const std::filesystem::path& program, const std::string& name) {
    std::error_code error;
    std::filesystem::path found = program / name;
    if (!std::filesystem::is_directory(found, error)) {
        for (const auto& entry : std::filesystem::directory_iterator(program, error)) {
            if (entry.is_directory(error) && Lower(entry.path().filename().string()) == name) {
                found = entry.path();
                break;
            }
        }
    }
    return found.string() + "/";
}

// A data folder is never made here: a missing one means a folder moved or not restored, and working on
// an empty database in its place would look like lost data.
void ConnectDatabase(fw::TDatabase& db, const std::string& folder) {
    std::filesystem::path path(folder);
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        throw base::Exception("Nema mape podataka " + path.string());
    if (db.Connected()) db.Close();
    db.SetParam("PATH", path.string());
    db.Open();
}

bool DiskFull(int error) {
    return error == ENOSPC || error == EDQUOT;
}

std::string FolderMessage(const std::string& folder, int error) {
    const std::string name = std::filesystem::path(folder).lexically_normal().string();
    if (DiskFull(error))
        return "Na disku nema mjesta za podatke programa u mapi:\r\n" + name +
               "\r\n\r\nOslobodite mjesto na disku pa ponovno pokrenite program.";
    if (error == EACCES || error == EPERM || error == EROFS)
        return "Program ne smije pisati u mapu podataka:\r\n" + name +
               "\r\n\r\nMapa ili disk su samo za čitanje, ili korisnik nema prava pisanja u nju.";
    return "Program ne može pisati u mapu podataka:\r\n" + name + "\r\n\r\n(greška sustava " +
           std::to_string(error) + ")";
}

// Why the program cannot work in the data folder, or nothing: it must be able to make, write and sync a
// file there (the register of open tables is written at every open), and to write the register itself.
std::string DataFolderFault(const std::string& folder) {
    base::FileSystem& fs = base::Fs();
    const std::string probe = folder + ".plom-proba-" + std::to_string(getpid());
    const int fd = fs.Open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return FolderMessage(folder, errno);
    // A few blocks, synced: a full disk may take the name and refuse the data only when it reaches it.
    const std::string block(16384, '\0');
    int error = 0;
    if (fs.Write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size()))
        error = errno ? errno : ENOSPC;
    else if (fs.Sync(fd) != 0)
        error = errno;
    fs.Close(fd);
    fs.Unlink(probe.c_str());
    if (error) return FolderMessage(folder, error);
    for (const char* name : {"OPEN.DB", "OPEN.PX"}) {
        const std::string file = folder + name;
        std::error_code missing;
        if (!std::filesystem::exists(file, missing)) continue;
        const int reg = fs.Open(file.c_str(), O_WRONLY, 0);
        if (reg < 0) {
            const int e = errno;
            if (e == EACCES || e == EPERM || e == EROFS)
                return "Tablica \"" + std::string(name) + "\" je samo za čitanje u mapi podataka:\r\n" +
                       std::filesystem::path(folder).lexically_normal().string() +
                       "\r\n\r\nProgram u nju upisuje otvorene tablice: dopustite pisanje u nju.";
            return FolderMessage(folder, e);
        }
        fs.Close(reg);
    }
    return {};
}

std::string Text(fw::TTable& t, const char* field, std::size_t capacity) {
    return base::CutChars(t.FieldByName(field).AsString(), capacity);
}
std::int32_t Number(fw::TTable& t, const char* field) {
    return static_cast<std::int32_t>(t.FieldByName(field).AsInteger());
}

} // namespace

TWinGlavna::TWinGlavna(fw::Component* owner) : kit::TMyForm(owner) {
    SetName("WinGlavna");
    SetCaption("Lumeno");
    SetBorderStyle(fw::BorderStyle::bsDialog);
    KeyPreview = true;

    Global = std::make_unique<fw::TDatabase>(&fw::Session());
    Local = std::make_unique<fw::TDatabase>(&fw::Session());
    for (auto [db, name] : {std::pair{Global.get(), "Global"}, std::pair{Local.get(), "Lokal"}}) {
        db->SetDatabaseName(name);
        db->DriverName = "STANDARD";
        db->KeepConnection = false;
        db->Params = {"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
    }

    BuildMenu();
    // The menu bar takes the top strip of the window: the rest is laid out below it, in a box that keeps
    // its size and grows by the bar's height.
    MenuTop = MainMenu1->Height();
    setFixedSize(480, 368 + MenuTop);
    CentreOnScreen();
    BuildDecorations();
    BuildButtons();
    EnableOpeners();

    tSifPart = new kit::TMyTable(this);
    tSifPart->SetName("tSifPart");
    tSifPart->SetDatabaseName("Lokal");
    tSifPart->SetTableName("SIF_PART.DB");
    tSifPart->SetIndexFieldNames("Sifra");
    tSifPart->AutoOpen = false;
    tPartner = new kit::TMyTable(this);
    tPartner->SetName("tPartner");
    tPartner->SetDatabaseName("Global");
    tPartner->SetTableName("PARTNER.DB");
    tPartner->SetIndexFieldNames("Code");
    tPartner->AutoOpen = false;

    fw::Form::OnCreate = [this](fw::Component& s) { FormCreate(s); };
    kit::TMyForm::OnShow = [this](fw::Component& s) { FormShow(s); };
    kit::TMyForm::OnKeyDown = [this](fw::Component& s, std::uint16_t& key, fw::Shift shift) {
        FormKeyDown(s, key, shift);
    };
}

TWinGlavna::~TWinGlavna() {
    // The tables go before the databases they were opened through.
    for (kit::TMyTable* t : {tSifPart, tPartner}) {
        try {
            t->Close();
        } catch (const std::exception&) {
        }
    }
    Global.reset();
    Local.reset();
    if (MainWindow.WinGlavna == this) MainWindow.WinGlavna = nullptr;
}

void TWinGlavna::BuildMenu() {
    MainMenu1 = new fw::MainMenu(this, this);
    MainMenu1->SetName("MainMenu1");
    mSifarnik = &MainMenu1->Add("&Šifarnik", "mSifarnik");
    auto item = [this](const char* caption, const char* name, void (TWinGlavna::*handler)(fw::Component&)) {
        fw::MenuItem& m = mSifarnik->Add(caption, name);
        m.OnClick = [this, handler](fw::Component& s) { (this->*handler)(s); };
        return &m;
    };
    mArtikli = item("&Artikala", "mArtikli", &TWinGlavna::mArtikliClick);
    mSistem = item("&Sistema", "mSistem", &TWinGlavna::mSistemClick);
    mGrupa = item("&Grupa", "mGrupa", &TWinGlavna::mGrupaClick);
    mBoje = item("Boja", "mBoje", &TWinGlavna::mBojeClick);
    mSifarnik->Add("-");
    mParametriArtikala =
        item("Parametri Artikala", "mParametriArtikala", &TWinGlavna::ParametriArtikalaClick);
    mP_Naloga = item("&Nalozi", "mP_Naloga", &TWinGlavna::mP_NalogaClick);
    mP_Naloga->SetVisible(false);
    mP_Tipova = item("&Tipovi prozora", "mP_Tipova", &TWinGlavna::mP_TipovaClick);
    mSifarnik->Add("-");
    mArhiva = item("&Arhiva", "mArhiva", &TWinGlavna::mArhivaClick);
    mSifarnik->Add("-");
    O1 = item("&O programu...", "O1", &TWinGlavna::O1Click);
}

void TWinGlavna::BuildDecorations() {
    pNaslov = new fw::Panel(this, this);
    pNaslov->SetName("pNaslov");
    pNaslov->SetBevelOuter(fw::BevelCut::bvNone);
    pNaslov->SetBounds(0, MenuTop, 480, 31);
    Backdrop1 = new controls::TBackdrop(pNaslov, this);
    Backdrop1->SetName("Backdrop1");
    Backdrop1->SetDirection(controls::TDirection::bdHorzIn);
    lNaslov = new controls::TRotate3DLabel(pNaslov, this);
    lNaslov->SetName("lNaslov");
    lNaslov->SetFont("Arial CE", 16, true);
    lNaslov->SetFontColor(fw::clYellow);
    lNaslov->SetCaption("Lumeno");
    lNaslov->SetAlign(fw::Align::alClient);

    Sat = new controls::TPlClock(this, this);
    Sat->SetName("Sat");
    Sat->SetBounds(400, MenuTop + 42, 64, 64);
    Sat->SetBorderWidth(2);
    Sat->SetBorderStyle(controls::TPanelBorder::bsSingle);
    Sat->SetCtl3D(true);
    Sat->SetDotsColor(fw::clBlue);
    Sat->SetShowMode(controls::TShowClock::scAnalog);
    Sat->SetLeadingZero(false);
    Sat->SetFontHeight(-5);
    Sat->SetAutoSize(true);

    Image1 = new fw::Image(this, this);
    Image1->SetName("Image1");
    Image1->SetBounds(16, MenuTop + 42, 64, 64);
    Image1->SetPicture(WindowPicture(64));

    PlTrayIcon1 = new controls::TPlTrayIcon(this);
    PlTrayIcon1->SetName("PlTrayIcon1");
    PlTrayIcon1->Icon().SetPixmap(WindowPicture(32));
}

void TWinGlavna::BuildButtons() {
    int row = 0;
    auto button = [&](const char* name, const char* caption, void (TWinGlavna::*handler)(fw::Component&)) {
        auto* b = new kit::TMyBitBtn(this, this);
        b->SetName(name);
        b->SetCaption(caption);
        b->SetFont("Arial", 11, true);
        b->SetBounds(ButtonLeft, MenuTop + ButtonTop + row++ * ButtonStep, ButtonWidth, ButtonHeight);
        b->OnEnter = [this](fw::Component& s) { bParArtEnter(s); };
        b->OnClick = [this, handler](fw::Component& s) { (this->*handler)(s); };
        return b;
    };
    bParArt = button("bParArt", "&Param. Artikala", &TWinGlavna::ParametriArtikalaClick);
    bSifArt = button("bSifArt", "&Šifarnik Artikala", &TWinGlavna::mArtikliClick);
    bNalozi = button("bNalozi", "Radni &Nalozi", &TWinGlavna::mP_NalogaClick);
    bNalozi->SetVisible(false);
    bTipovi = button("bTipovi", "Tipovi prozora", &TWinGlavna::mP_TipovaClick);
    bSifSis = button("bSifSis", "Šifarnik &Sistema", &TWinGlavna::mSistemClick);
}

void TWinGlavna::EnableOpeners() {
    const MainWindowOpeners& o = MainWindow.WinGlavnaOpeners;
    mArtikli->SetEnabled(bool(o.Artikli));
    bSifArt->SetEnabled(bool(o.Artikli));
    mSistem->SetEnabled(bool(o.Sistemi));
    bSifSis->SetEnabled(bool(o.Sistemi));
    mGrupa->SetEnabled(bool(o.GrupeArtikala));
    mBoje->SetEnabled(bool(o.Boje));
    mParametriArtikala->SetEnabled(bool(o.ParametriArtikala));
    bParArt->SetEnabled(bool(o.ParametriArtikala));
    mP_Naloga->SetEnabled(bool(o.RadniNalozi));
    bNalozi->SetEnabled(bool(o.RadniNalozi));
    mP_Tipova->SetEnabled(bool(o.Tipovi));
    bTipovi->SetEnabled(bool(o.Tipovi));
    mArhiva->SetEnabled(bool(o.Arhiviranje));
    O1->SetEnabled(bool(o.OProgramu));
}

// ------------------------------------------------------------------------------------------- events

void TWinGlavna::FormCreate(fw::Component&) {
    Settings.CommonSettings.Safety.AutoCheck = false;
    DBMine.MultiUser = true;
    fw::Session().AddPassword(SessionPassword);
    const std::filesystem::path program = MainWindow.ProgramFolderPath;
    {
        fw::TTable tLink;
        tLink.SetDatabaseName(program.string());
        tLink.SetTableName("Link.DB");
        bool empty = false;
        try {
            tLink.Open();
            tLink.First();
            empty = tLink.Eof();
        } catch (const std::exception& e) {
            throw base::Exception("Greška: ne mogu pročitati instalacijski zapis \"Link.DB\" u mapi " +
                                  program.string() + "\r\n\r\n" + e.what());
        }
        // Without its installation record the program knows neither its company nor its captions: it ends
        // here, before any data folder is touched.
        if (empty)
            throw base::Exception("Greška: u \"Link.DB\" u mapi " + program.string() +
                                  " nema instalacijskog zapisa!!!\r\n\r\nKontaktirajte autora!!!");
        try {
            WBegin.PodaciInstalacije.Opis = Text(tLink, "Opis", 30);
            WBegin.PodaciInstalacije.Mjesto = Text(tLink, "Mjesto", 50);
            WBegin.PodaciInstalacije.Vrsta = Text(tLink, "Vrsta", 1);
            WBegin.PodaciInstalacije.Sifra = Text(tLink, "Sifra", 40);
        } catch (const std::exception& e) {
            throw base::Exception("Greška: ne mogu pročitati instalacijski zapis \"Link.DB\" u mapi " +
                                  program.string() + "\r\n\r\n" + e.what());
        }
        tLink.Close();
    }
    WBegin.GlobalFolder = DataFolder(program, "global");
    WBegin.LokalFolder = DataFolder(program, "lokal");
    kit::Sifra.WorkOrderPassword.clear();
    WBegin.LinkFolder.clear();
}

bool TWinGlavna::SetDataFolders() {
    try {
        ConnectDatabase(*Global, WBegin.GlobalFolder);
        ConnectDatabase(*Local, WBegin.LokalFolder);
    } catch (const std::exception&) {
        // The program ends here, before any table of the wrong folders is opened.
        badParameters_ = true;
        startFailed_ = true;
        ShowInfo(BadParametersText);
        fw::Application::Instance().Terminate();
        return false;
    }
    for (const std::string& folder : {WBegin.GlobalFolder, WBegin.LokalFolder}) {
        const std::string fault = DataFolderFault(folder);
        if (fault.empty()) continue;
        startFailed_ = true;
        ShowInfo(fault);
        fw::Application::Instance().Terminate();
        return false;
    }
    // Saves a station left begun are finished (or undone) before any form or run reads a type.
    fw::Guarded([] { windows::DovrsiZapoceteZamjene(); });
    return true;
}

void TWinGlavna::FindOwnCompany() {
    const std::string key = TrimBlanks(WBegin.PodaciInstalacije.Sifra);
    TPodaciPoduzeca& p = WBegin.PodaciPoduzeca;
    bool found = false;
    tSifPart->Open();
    p.OwnPartner = 0;
    if (tSifPart->FindKey({engine::Value::Text(key)})) {
        p.OwnPartner = Number(*tSifPart, "Partner");
        found = true;
    } else {
        ShowInfo("Nema šifre partnera: \r\n" + key + " !!!");
    }
    tSifPart->Close();
    // Without the installation's row there is no partner number to look up.
    if (!found) return;
    tPartner->Open();
    if (!tPartner->FindKey({engine::Value::Int(p.OwnPartner)})) {
        ShowInfo("Nema partnera:\r\n" + key + " !!!");
        tPartner->Close();
        return;
    }
    fw::TTable& t = *tPartner;
    p.Sifra = Text(t, "Sifra", 40);
    SplitCompanyName(t.FieldByName("Naziv").AsString(), p.NazivKratki, p.PravniOblik, p.NazivPuni);
    p.Mjesto = Text(t, "Mjesto", 80);
    p.UlicaBroj = Text(t, "UlicaBroj", 80);
    p.Zemlja = Number(t, "Zemlja");
    p.Valuta = Number(t, "Valuta");
    p.Jezik = Number(t, "Jezik");
    p.ZiroRN = Number(t, "ZiroRN");
    p.Telefon = Text(t, "Telefon", 20);
    p.Telefax = Text(t, "Telefax", 20);
    p.Modem = Text(t, "Modem", 20);
    p.KontaktOsoba = Text(t, "KontaktOsoba", 40);
    p.Banka = Number(t, "Banka");
    p.InoBanka = Number(t, "InoBanka");
    SetRoundingPrecision1(2);
    tPartner->Close();
}

void TWinGlavna::FormShow(fw::Component&) {
    if (badParameters_ || !SetDataFolders()) return;
    Settings.CommonSettings.Resources.LoadMode = LoadModeModalKept;
    std::string description;
    ReadProgramSettings(description, MainWindow.ProgramFolderPath);
    try {
        FindOwnCompany();
    } catch (const std::exception& e) {
        for (kit::TMyTable* t : {tSifPart, tPartner}) {
            try {
                t->Close();
            } catch (const std::exception&) {
            }
        }
        if (!base::IsSilent(e))
            ShowInfo(std::string("Greška: tablice tvrtke se ne mogu otvoriti.\r\n\r\n") + e.what());
        startFailed_ = true;
        fw::Application::Instance().Terminate();
        return;
    }
    bNalozi->SetVisible(true);
    if (!WBegin.PodaciInstalacije.Opis.empty())
        SetCaption(base::CutChars("Lumeno -  " + WBegin.PodaciInstalacije.Opis, 48));
    LastFocusedButton = ActiveControl();
}

void TWinGlavna::FormKeyDown(fw::Component&, std::uint16_t& key, fw::Shift shift) {
    if (shift != (fw::ssCtrl | fw::ssAlt) || key != 'S') return;
    const auto& ask = MainWindow.WinGlavnaOpeners.AskWorkOrderPassword;
    if (ask && ask()) {
        mP_Naloga->SetVisible(true);
        bNalozi->SetVisible(true);
        bNalozi->SetFocus();
    }
}

void TWinGlavna::bParArtEnter(fw::Component& sender) {
    if (auto* entered = dynamic_cast<fw::Control*>(&sender)) entered->SetFontColor(fw::clBlue);
    if (auto* last = dynamic_cast<kit::TMyBitBtn*>(LastFocusedButton); last && last != &sender)
        last->SetFontColor(fw::clWindowText);
    LastFocusedButton = ActiveControl();
}

// ------------------------------------------------------------------------------------------- menu

void TWinGlavna::mArtikliClick(fw::Component&) {
    if (MainWindow.WinGlavnaOpeners.Artikli) MainWindow.WinGlavnaOpeners.Artikli(this);
}
void TWinGlavna::mSistemClick(fw::Component&) {
    if (MainWindow.WinGlavnaOpeners.Sistemi) MainWindow.WinGlavnaOpeners.Sistemi(this);
}
void TWinGlavna::mGrupaClick(fw::Component&) {
    if (MainWindow.WinGlavnaOpeners.GrupeArtikala) MainWindow.WinGlavnaOpeners.GrupeArtikala(this);
}
void TWinGlavna::mBojeClick(fw::Component&) {
    if (MainWindow.WinGlavnaOpeners.Boje) MainWindow.WinGlavnaOpeners.Boje(this);
}
void TWinGlavna::ParametriArtikalaClick(fw::Component&) {
    if (MainWindow.WinGlavnaOpeners.ParametriArtikala) MainWindow.WinGlavnaOpeners.ParametriArtikala(this);
}
void TWinGlavna::mP_NalogaClick(fw::Component&) {
    if (MainWindow.WinGlavnaOpeners.RadniNalozi) MainWindow.WinGlavnaOpeners.RadniNalozi(this);
}
void TWinGlavna::mP_TipovaClick(fw::Component&) {
    if (MainWindow.WinGlavnaOpeners.Tipovi) MainWindow.WinGlavnaOpeners.Tipovi(this);
}
void TWinGlavna::mArhivaClick(fw::Component&) {
    if (MainWindow.WinGlavnaOpeners.Arhiviranje) MainWindow.WinGlavnaOpeners.Arhiviranje(this);
}
void TWinGlavna::O1Click(fw::Component&) {
    if (MainWindow.WinGlavnaOpeners.OProgramu) MainWindow.WinGlavnaOpeners.OProgramu(this);
}

} // namespace app
