#include "windows/typelist/PEWin.h"

#include "app/data/CodeUses.h"
#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/CodeListOpeners.h"
#include "app/shell/FormOpener.h"
#include "app/tables/TableDefinitions.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/FieldClasses.h"
#include "fw/ui/StdCtrls.h"
#include "kit/Mycombo.h"
#include "windows/designer/EditWindow.h"
#include "windows/designer/ProfileTables.h"
#include "windows/designer/WindowPainter.h"
#include "windows/storage/WindowTypeStore.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <limits>
#include <memory>

namespace windows {

PEditWindowState PEditWindowForm;

namespace {
const bool registered = base::RegisterStateReset(base::StateLayer::Forms, [] { PEditWindowForm = {}; });

constexpr int PreviewX = 600;
constexpr int PreviewY = 24;

// A caption above an edit of the current type.
void AddCaption(TPEditWindow* f, const char* caption, int top) {
    auto* label = new fw::Label(f, f);
    label->SetBounds(440, top, 150, 18);
    label->SetCaption(caption);
}

template <class E>
E* Bind(TPEditWindow* f, E* edit, const char* name, const char* field, const char* caption, int top) {
    AddCaption(f, caption, top);
    edit->SetName(name);
    edit->SetBounds(440, top + 18, 150, 24);
    edit->SetDataSource(&f->sWinGL2);
    edit->SetDataField(field);
    return edit;
}

template <class L>
L* Lookup(TPEditWindow* f, const char* name, const char* field, const char* caption, int top,
          fw::TDataSource& lookup) {
    auto* c = Bind(f, new L(f, f), name, field, caption, top);
    c->SetLookupSource(&lookup);
    c->SetLookupField("Code");
    c->SetLookupDisplay("Sifra");
    std::string naziv(caption);
    if (!naziv.empty() && naziv.back() == ':') naziv.pop_back();
    c->DisplayName = naziv;
    return c;
}

kit::TMyTable* MakeTable(TPEditWindow* f, const char* name, const char* database, const char* file,
                         const char* index) {
    auto* t = new kit::TMyTable(f);
    t->SetName(name);
    t->SetDatabaseName(database);
    t->SetTableName(file);
    t->SetIndexFieldNames(index);
    return t;
}

// The table's own fields as the program defines them, and a calculated "Partner" for the links on it.
void AddFieldsWithPartner(kit::TMyTable& t, const std::vector<app::TableDefinition>& folder,
                          const char* file) {
    const app::TableDefinition* def = app::FindTableDefinition(folder, file);
    if (!def) throw base::Exception(std::string("Nema definicije tablice ") + file);
    for (const app::FieldDefinition& f : def->Fields)
        t.AddField(fw::CreateField(f.DataType, f.Size), f.Name);
    t.AddField(std::make_unique<fw::TIntegerField>(), "Partner", fw::fkCalculated).Visible = false;
}

// The list's codes are Long fields: a value past 32 bits is a damaged row, never taken as another code.
std::int32_t LongOf(const fw::TField& field) {
    const long long v = field.AsInteger();
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw base::Exception("Polje \"" + field.FieldName() +
                              "\" ima vrijednost izvan raspona: " + std::to_string(v));
    return static_cast<std::int32_t>(v);
}

std::int32_t LongOf(const fw::TDataSet& ds, const char* name) {
    return LongOf(ds.FieldByName(name));
}

bool InProfileGroup(std::int64_t grupa) {
    const app::TPostavkePrograma& p = app::Settings.PostavkePrograma;
    for (std::int32_t g : {p.GrupaPrecke, p.GrupaOkvira, p.GrupaStoka, p.GrupaVrata, p.GrupaZeljezo,
                           p.GrupaKliznogOkvira, p.GrupaStaklo})
        if (g == grupa) return true;
    return false;
}

} // namespace

TPEditWindow::~TPEditWindow() {
    // Freed with the application at the program's end: the next start makes a new list.
    if (PEditWindowForm.PEditWindow == this) PEditWindowForm.PEditWindow = nullptr;
}

TPEditWindow::TPEditWindow(fw::Component* owner) : kit::TMyForm(owner) {
    SetCaption("Pregled tipova prozora");
    KeyPreview = true;
    resize(820, 460);
    gWinGL2 = new kit::TMyDBGrid(this, this);
    gWinGL2->SetName("gWinGL2");
    gWinGL2->SetBounds(10, 10, 420, 440);
    gWinGL2->SetDataSource(&sWinGL2);
    eSifra = Bind(this, new kit::TDBKeyField(this, this), "eSifra", "Sifra", "Tip prozora:", 10);
    eSifra->DisplayName = "Tip prozora";
    eNaziv = Bind(this, new kit::TDBName(this, this), "eNaziv", "Naziv", "Naziv tipa prozora:", 58);
    eArtikl = Lookup<kit::TDBJustLookup>(this, "eArtikl", "Code", "Šifra artikla prozora:", 106, sSif_robe);
    eArtikl->Widget().setToolTip(QString::fromUtf8("Šifra artikla prozora pod kojom bi isti išao u prodaju"));
    eSistem = Lookup<kit::TDBJustLookup>(this, "eSistem", "Sistem", "Sistem:", 154, sSistem);
    cBoja = Lookup<kit::TDBJustLookup>(this, "cBoja", "Boja", "Boja:", 202, sSifBoja);
    lBoja = new fw::Label(this, this);
    lBoja->SetName("lBoja");
    lBoja->SetBounds(440, 246, 150, 18);
    Pregled = new kit::TMyBitBtn(this, this);
    Pregled->SetName("Pregled");
    Pregled->SetCaption("Obrada prozora");
    Pregled->SetBounds(440, 420, 150, 30);
    Pregled->OnClick = [this](fw::Component&) { ePregledClick(); };
    Roletna = new fw::Shape(this, this);
    Roletna->SetName("Roletna");
    Roletna->SetBrush(0x808080, false);
    Roletna->SetPenColor(0x808080);
    Roletna->SetDiagCross(true);
    Roletna->SetBounds(PreviewX, PreviewY - 12, 200, 10);
    Roletna->hide();
    PaintBox = new QLabel(this);
    PaintBox->setGeometry(PreviewX, PreviewY, 200, 200);

    eSifra->OnNew = [this](fw::TDataSet& ds) {
        ds.FieldByName("Roletne").SetAsBoolean(false);
        Roletna->hide();
    };
    eArtikl->OnF2Press = [this](fw::Component&) { app::OpenCodeListOf("SIF_ROBE.DB", this); };
    eArtikl->OnExitChanged = [this](fw::Component&) { eArtiklExitChanged(); };
    eSistem->OnExitChanged = [this](fw::Component&) { eSistemExitChanged(); };
    cBoja->OnExitChanged = [this](fw::Component&) { cBojaExitChanged(); };

    // The form opens the tables that end its component list.
    tWinGL2 = MakeTable(this, "tWinGL2", "Lokal", "WINGL.DB", "Sifra");
    AddFieldsWithPartner(*tWinGL2, app::LokalTables(), "WINGL.DB");
    tWinGL2->FreeToInsert = tWinGL2->FreeToModify = tWinGL2->FreeToDelete = true;
    tWinGL2->AddField(std::make_unique<fw::TIntegerField>(), "Proizvodi", fw::fkCalculated).Visible = false;
    // The list shows a type by its code and name; its links and stored sizes are the fields' and the
    // preview's business.
    for (int i = 0; i < tWinGL2->FieldCount(); ++i) {
        fw::TField& f = tWinGL2->Fields(i);
        f.Visible = f.FieldName() == "Sifra" || f.FieldName() == "Naziv";
    }
    tWinGL2->FieldByName("Sifra").SetDisplayLabel("Tip prozora");
    tWinGL2->FieldByName("Naziv").SetDisplayLabel("Naziv tipa prozora");
    tWinGL2->OnCalcFields = [this](fw::TDataSet& ds) {
        ds.FieldByName("Partner").SetAsInteger(CurrentPartner());
        ds.FieldByName("Proizvodi").SetAsInteger(SystemProducer(LongOf(ds, "Sistem")));
    };
    tWinGL2->BeforeDelete = [this](fw::TDataSet&) { tWinGL2BeforeDelete(); };
    tWinGL2->BeforePost = [this](fw::TDataSet&) { tWinGL2BeforePost(); };
    sWinGL2.SetDataSet(tWinGL2);

    // The sale articles: profiles, reinforcements and glass are never sold as a type.
    TSif_robe = MakeTable(this, "TSif_robe", "Global", "SIF_ROBE.DB", "Partner;Code");
    TSif_robe->SetMasterSource(&sWinGL2);
    TSif_robe->SetMasterFields("Partner;Code");
    TSif_robe->OnFilterRecord = [](fw::TDataSet& ds, bool& accept) {
        accept = !InProfileGroup(ds.FieldByName("Grupa").AsInteger());
    };
    TSif_robe->SetFiltered(true);
    sSif_robe.SetDataSet(TSif_robe);

    tSistem = MakeTable(this, "tSistem", "Lokal", "WSYSTEM.DB", "Code");
    AddFieldsWithPartner(*tSistem, app::LokalTables(), "WSYSTEM.DB");
    tSistem->OnCalcFields = [this](fw::TDataSet& ds) {
        ds.FieldByName("Partner").SetAsInteger(CurrentPartner());
    };
    tSistem->SetMasterSource(&sWinGL2);
    tSistem->SetMasterFields("Sistem");
    sSistem.SetDataSet(tSistem);

    // The colours of the system's producer, linked on the type's colour like every lookup.
    tSifBoja = MakeTable(this, "tSifBoja", "Global", "SIF_BOJA.DB", "Partner;Proizvodi;Code");
    tSifBoja->SetMasterSource(&sWinGL2);
    tSifBoja->SetMasterFields("Partner;Proizvodi;Boja");
    sSifBoja.SetDataSet(tSifBoja);

    // Scrolling the grid from elsewhere (the mouse) leaves the preview as it is; a type another station
    // deleted leaves nothing of itself shown under the row a re-read put in its place.
    sWinGL2.OnDataChange = [this](fw::TDataSource&, fw::TField* field) {
        if (field) return;
        if (ActiveControl() == gWinGL2 ||
            (shownCode_ != 0 && CurrentCode() != shownCode_ && !TipPostoji(shownCode_)))
            DBEdit1Change();
    };
    // Coming back to the grid, the user sees the list as it is now.
    gWinGL2->OnEnter = [this](fw::Component&) { RefreshList(); };
    OnShow = [this](fw::Component&) {
        // A system's producer is read again on every showing.
        producers_.clear();
        ShowColourName();
        Nacrtaj(CurrentCode());
    };
    OnCloseQuery = [](fw::Component&, bool&) { SharedModel().OslobodiMemoriju(); };
    OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift shift) { FormKeyDown(key, shift); };
    SetActiveControl(gWinGL2);
}

std::int32_t TPEditWindow::CurrentPartner() const {
    return PartnerGiven ? Partner : app::WBegin.PodaciPoduzeca.OwnPartner;
}

std::int32_t TPEditWindow::CurrentCode() const {
    if (!tWinGL2->Active() || tWinGL2->RecordCount() == 0) return 0;
    return LongOf(*tWinGL2, "Code");
}

void TPEditWindow::PlaceShutterBar(bool vidljiva, int sirina) {
    Roletna->SetBounds(PreviewX, PreviewY - 12, std::max(1, sirina), 10);
    Roletna->setVisible(vidljiva);
}

void TPEditWindow::Nacrtaj(std::int32_t code) {
    ModelProzora& m = SharedModel();
    shownCode_ = code;
    QImage slika(200, 200, QImage::Format_RGB32);
    slika.fill(Qt::white);
    const bool ima = code != 0 && PrenesiProzor(m, code, {});
    if (ima) {
        PaintPreview(slika, m);
        // The shutter box spans the frame as drawn.
        PlaceShutterBar(m.Roletne, static_cast<int>(std::int64_t(m.MaxRight) * 400 / PreviewScale(m)) + 1);
        m.OslobodiMemoriju();
    } else {
        Roletna->hide();
    }
    PaintBox->setPixmap(QPixmap::fromImage(slika));
}

void TPEditWindow::ShowColourName() {
    const bool ima = tSifBoja->Active() && tWinGL2->Active() &&
                     tWinGL2->FieldByName("Boja").AsInteger() != 0 && tSifBoja->RecordCount() > 0;
    lBoja->SetCaption(ima ? tSifBoja->FieldByName("Naziv").AsString() : std::string());
}

std::int32_t TPEditWindow::SystemProducer(std::int32_t sistem) {
    if (sistem == 0) return 0;
    const auto it = producers_.find(sistem);
    if (it != producers_.end()) return it->second;
    const auto s = ReadSystem(sistem);
    return producers_[sistem] = s ? s->Proizvodi : 0;
}

bool TPEditWindow::RefreshList() {
    if (!tWinGL2->Active() || tWinGL2->State() != fw::dsBrowse) return true;
    auto field = [this](const char* name) {
        return tWinGL2->IsEmpty() ? std::string() : tWinGL2->FieldByName(name).AsString();
    };
    const std::string sifra = field("Sifra"), code = field("Code");
    tWinGL2->Refresh();
    if (field("Sifra") == sifra && field("Code") == code) return true;
    DBEdit1Change();
    return sifra.empty() || field("Sifra") == sifra;
}

void TPEditWindow::DBEdit1Change() {
    ShowColourName();
    Nacrtaj(CurrentCode());
}

bool TPEditWindow::SpremiProzor(TEditWindow& designer) {
    const std::int32_t code = inDesigner_;
    // The preview loads into the designer's model: it is drawn only once the model is stored.
    if (code == 0 || !windows::SpremiProzor(designer.D.Model, code, &loadedStamp_)) return false;
    Nacrtaj(code);
    return true;
}

void TPEditWindow::tWinGL2BeforeDelete() {
    const std::int32_t code = LongOf(*tWinGL2, "Code");
    if (code != 0 && !ObrisiElementeTipa(code)) throw base::Abort();
    PaintBox->setPixmap({});
    Roletna->hide();
}

namespace {
// The work-order items that name a type by its Code (and find it in their order's system), as the
// registers tell uses: "2 stavke naloga (1/2026 stavka 5, ...)"; empty when none.
std::string ItemUses(std::int64_t code) {
    if (code == 0) return {};
    std::string list;
    for (const std::string& u :
         app::UsesOfRow("WINGL.DB", "Lokal", [&](const std::string&) { return engine::Value::Int(code); }))
        list += (list.empty() ? "" : ", ") + u;
    return list;
}

std::int64_t OldInt(const fw::TField& f) {
    const engine::Value old = f.OldValue();
    return old.IsInt() ? old.AsInt() : 0;
}
} // namespace

// The rows of a type carry its Code, so a Code belongs to one type and stays while rows carry it; the items
// of the orders find their type by its Code in their system, so neither changes under them. The edits tell
// the user why; here whatever else would post such a row is refused quietly.
bool TPEditWindow::CodeRefused(std::string* reason) const {
    fw::TField& f = tWinGL2->FieldByName("Code");
    const std::int32_t code = LongOf(f);
    if (tWinGL2->State() == fw::dsEdit) {
        const std::int64_t stari = OldInt(f);
        if (stari != code && stari != 0 && TipImaElemente(static_cast<std::int32_t>(stari))) {
            if (reason) *reason = TypeHasElementsText;
            return true;
        }
        const bool noviSistem = OldInt(tWinGL2->FieldByName("Sistem")) != LongOf(*tWinGL2, "Sistem");
        if (stari != code || noviSistem) {
            if (const std::string uses = ItemUses(stari); !uses.empty()) {
                if (reason) *reason = (stari != code ? TypeUsedText : TypeSystemUsedText) + uses + ".";
                return true;
            }
        }
    }
    if (code != 0 && KodTipaZauzet(code, tWinGL2->FieldByName("Sifra").AsString())) {
        if (reason) *reason = ArticleTakenText;
        return true;
    }
    return false;
}

void TPEditWindow::tWinGL2BeforePost() {
    if (CodeRefused(nullptr)) throw base::Abort();
}

void TPEditWindow::eArtiklExitChanged() {
    // Refused here, the old article comes back with its text.
    if (std::string reason; CodeRefused(&reason)) {
        app::ShowInfo(reason);
        throw base::Abort();
    }
    Nacrtaj(CurrentCode());
}

void TPEditWindow::eSistemExitChanged() {
    if (std::string reason; CodeRefused(&reason)) {
        app::ShowInfo(reason);
        throw base::Abort();
    }
    // The header takes the system's outer-frame article, through the list's own cursor.
    const std::int32_t sistem = LongOf(*tWinGL2, "Sistem");
    const auto boje = ReadSystemColour(sistem, LongOf(*tWinGL2, "Boja"));
    if (!app::StartEdit(tWinGL2)) return;
    tWinGL2->FieldByName("ArtiklOkvira").SetAsInteger(boje ? boje->Stok : 0);
    app::PostEditKeepInsert(tWinGL2);
}

void TPEditWindow::cBojaExitChanged() {
    const std::int32_t sistem = LongOf(*tWinGL2, "Sistem");
    const std::int32_t boja = LongOf(*tWinGL2, "Boja");
    if (boja != 0 && !ReadSystemColour(sistem, boja)) {
        app::ShowInfo(NoSystemColourText);
        throw base::Abort();
    }
    ShowColourName();
}

void TPEditWindow::FormKeyDown(std::uint16_t& key, fw::Shift shift) {
    kit::CodeListKeyDown(this, key, shift, gWinGL2, Pregled, false);
    // The kit presses Pregled itself on Ctrl+Enter; the key is gone then and nothing runs twice.
    if (key == fw::VK_RETURN && shift == fw::ssCtrl) {
        key = 0;
        ePregledClick();
    }
}

void TPEditWindow::ePregledClick() {
    if (tWinGL2->State() == fw::dsEdit || tWinGL2->State() == fw::dsInsert) tWinGL2->Post();
    // A type another station deleted meanwhile is not opened; the list shows the row that took its place.
    if (!RefreshList()) {
        app::ShowInfo(kit::RecordDeletedText);
        return;
    }
    const std::int32_t code = CurrentCode();
    // A type without its sale article cannot be drawn.
    if (code == 0 || !TSif_robe->Active() || TSif_robe->RecordCount() == 0) return;
    const std::int32_t sistem = LongOf(*tWinGL2, "Sistem");
    const std::int32_t boja = LongOf(*tWinGL2, "Boja");
    // The empty fields first: a colour cannot be checked before there is one.
    if (sistem == 0 || base::Trim(eSistem->Text()).empty()) {
        app::ShowInfo(NoSystemText);
        eSistem->SetFocus();
        return;
    }
    if (boja == 0 || base::Trim(cBoja->Text()).empty()) {
        app::ShowInfo(NoColourText);
        cBoja->SetFocus();
        return;
    }
    const auto boje = ReadSystemColour(sistem, boja);
    if (!boje || boje->Stok == 0 || boje->Vrata == 0 || boje->Okvir == 0 || boje->Precka == 0) {
        app::ShowInfo(MissingColourDataText);
        return;
    }
    const auto sustav = ReadSystem(sistem);
    gWinGL2->SetFocus();
    if (!PrenesiProzor(SharedModel(), code,
                       {sistem, boje->Stok, static_cast<std::int16_t>(sustav ? sustav->Preklapanje : 0)},
                       &loadedStamp_))
        return;
    inDesigner_ = code;
    const std::string caption = "Kreiranje tipa: " + base::Trim(tWinGL2->FieldByName("Sifra").AsString()) +
                                " - sistem: " + (sustav ? base::Trim(sustav->Sifra) : std::to_string(sistem));
    auto katalog = std::make_shared<TableArticleCatalog>(CurrentPartner());
    PrikaziIzraduTipa(this, caption, 1, [this, code, sistem, boja, katalog](TEditWindow& f) {
        f.Artikli = katalog.get();
        f.ArtikliSustava = [katalog, sistem, boja](TEditWindow&) {
            return ProfiliSustava(*katalog, sistem, boja);
        };
        f.SpremiProzor = [this](TEditWindow& d) { return SpremiProzor(d); };
        f.Nacrtaj = [this, code](TEditWindow&) { Nacrtaj(code); };
    });
}

void PrikaziTipove(fw::Form* sender) {
    app::OpenForm<TPEditWindow>(PEditWindowForm.PEditWindow, sender);
}

void PrikaziTipoveZaPartnera(fw::Form* sender, std::int32_t partner) {
    (void)sender;
    if (!PEditWindowForm.PEditWindow)
        PEditWindowForm.PEditWindow = fw::CreateForm<TPEditWindow>(&fw::Application::Instance());
    PEditWindowForm.PEditWindow->Partner = partner;
    PEditWindowForm.PEditWindow->PartnerGiven = true;
    PEditWindowForm.PEditWindow->tWinGL2->Open();
}

} // namespace windows
