#pragma once
// TWinGlavna: the main window. It reads the installation record, points the databases "Global" and
// "Lokal" at their folders beside the program, finds the installation's own company, and offers the menu
// and the big buttons from which the other forms are opened.

#include "controls/cmp_Rotate3DLabel.h"
#include "controls/cmp_TBackDrop.h"
#include "controls/PLClock.h"
#include "controls/PLShell.h"
#include "fw/db/Session.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/Menus.h"
#include "kit/KitButtons.h"
#include "kit/MyForm.h"
#include "kit/MyTable.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace app {

// The openers the main window calls, each with the main window as caller. A unit whose forms exist puts
// its opener here before the main window is created; an entry left empty keeps its menu item and button
// disabled.
struct MainWindowOpeners {
    std::function<void(fw::Form* sender)> Artikli;           // article code list
    std::function<void(fw::Form* sender)> Sistemi;           // window systems
    std::function<void(fw::Form* sender)> GrupeArtikala;     // article groups
    std::function<void(fw::Form* sender)> Boje;              // colours
    std::function<void(fw::Form* sender)> ParametriArtikala; // article parameters
    std::function<void(fw::Form* sender)> RadniNalozi;       // work orders
    std::function<void(fw::Form* sender)> Tipovi;            // list of window types
    std::function<void(fw::Form* sender)> Arhiviranje;       // archive
    std::function<void(fw::Form* sender)> OProgramu;         // about box
    std::function<bool()> AskWorkOrderPassword;              // true when the right password was entered
};

// The texts the main window shows.
inline constexpr const char* BadParametersText =
    "Krivo su podešeni parametri aplikacije!!!\r\n\r\nKontaktirajte autora!!!";

class TWinGlavna : public kit::TMyForm {
public:
    explicit TWinGlavna(fw::Component* owner);
    ~TWinGlavna() override;

    std::unique_ptr<fw::TDatabase> Global;
    std::unique_ptr<fw::TDatabase> Local;
    kit::TMyTable* tSifPart;
    kit::TMyTable* tPartner;

    fw::MainMenu* MainMenu1;
    fw::MenuItem* mSifarnik;
    fw::MenuItem* mArtikli;
    fw::MenuItem* mSistem;
    fw::MenuItem* mGrupa;
    fw::MenuItem* mBoje;
    fw::MenuItem* mParametriArtikala;
    fw::MenuItem* mP_Naloga;
    fw::MenuItem* mP_Tipova;
    fw::MenuItem* mArhiva;
    fw::MenuItem* O1;

    // The title strip: a gradient with the program's name on it.
    fw::Panel* pNaslov;
    controls::TBackdrop* Backdrop1;
    controls::TRotate3DLabel* lNaslov;
    controls::TPlClock* Sat;
    controls::TPlTrayIcon* PlTrayIcon1;
    fw::Image* Image1;
    kit::TMyBitBtn* bParArt;
    kit::TMyBitBtn* bSifArt;
    kit::TMyBitBtn* bNalozi;
    kit::TMyBitBtn* bTipovi;
    kit::TMyBitBtn* bSifSis;

    // The big button that last had the focus.
    fw::Control* LastFocusedButton = nullptr;

    void FormCreate(fw::Component& sender);
    void FormShow(fw::Component& sender);
    void FormKeyDown(fw::Component& sender, std::uint16_t& key, fw::Shift shift);
    void bParArtEnter(fw::Component& sender);

    void mArtikliClick(fw::Component& sender);
    void mSistemClick(fw::Component& sender);
    void mGrupaClick(fw::Component& sender);
    void mBojeClick(fw::Component& sender);
    void ParametriArtikalaClick(fw::Component& sender);
    void mP_NalogaClick(fw::Component& sender);
    void mP_TipovaClick(fw::Component& sender);
    void mArhivaClick(fw::Component& sender);
    void O1Click(fw::Component& sender);

    // The data folders could not be set: the program is ending and the databases were not touched.
    bool BadParameters() const { return badParameters_; }
    // The start failed (bad folders, or tables that cannot be opened): the program is ending.
    bool StartFailed() const { return startFailed_; }

private:
    void BuildMenu();
    void BuildButtons();
    void BuildDecorations();
    void EnableOpeners();
    bool SetDataFolders();
    void FindOwnCompany();
    bool badParameters_ = false;
    bool startFailed_ = false;
    int MenuTop = 0; // the height of the menu bar, above everything else
};

struct MainWindowState {
    MainWindowOpeners WinGlavnaOpeners;
    // The folder of the running program as the main window uses it (start-up sets it; tests point it at a
    // staged folder).
    std::filesystem::path ProgramFolderPath;
    TWinGlavna* WinGlavna = nullptr;
};
// Reset with the program's state.
extern MainWindowState MainWindow;

} // namespace app
