#include "orders/workorder/WRadNal.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/CodeListOpeners.h"
#include "app/shell/FormOpener.h"
#include "app/tables/TableDefinitions.h"
#include "base/CroatianFormat.h"
#include "base/Exceptions.h"
#include "base/IniFile.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "controls/PrintPreviewForm.h"
#include "fw/db/FieldClasses.h"
#include "orders/workorder/HeaderCodes.h"
#include "orders/workorder/IspisiNaloga.h"
#include "orders/workorder/PrilagodbaStavke.h"
#include "orders/workorder/ProgresOptimizacije.h"
#include "windows/designer/EditWindow.h"
#include "windows/designer/ProfileTables.h"
#include "windows/designer/Transforms.h"
#include "windows/designer/WindowPainter.h"
#include "windows/storage/StoredTable.h"
#include "windows/storage/WindowTypeStore.h"
#include "windows/typelist/PEWin.h"

#include <algorithm>
#include <memory>
#include <type_traits>

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace orders {

RadniNaloziState RadniNaloziForm;
IspisiRadnihNaloga IspisiNaloga;

namespace {

const bool registered = base::RegisterStateReset(base::StateLayer::Forms, [] {
    RadniNaloziForm = {};
    IspisiNaloga = {};
});

constexpr int Redak = 30;

template <class E>
E* Polje(fw::Control* page, fw::Component* owner, fw::TDataSource& source, E* edit, const char* name,
         const char* field, const char* caption, int left, int top, int width) {
    auto* label = new fw::Label(page, owner);
    label->SetBounds(left, top, 130, 22);
    label->SetCaption(caption);
    edit->SetName(name);
    edit->SetBounds(left + 135, top, width, 24);
    edit->SetDataSource(&source);
    edit->SetDataField(field);
    return edit;
}

// A lookup of a field on another register's rows by their code; F2 opens that register over the form as a
// picker, and the register may have changed what the form remembers of the systems.
kit::TDBJustLookup* Odabir(fw::Control* page, TWRadniNalozi* form, fw::TDataSource& source, const char* name,
                           const char* field, const char* caption, int left, int top, int width,
                           fw::TDataSource& lookup, const char* keyField, const char* registerTable,
                           std::function<void()> poOdabiru) {
    auto* c =
        Polje(page, form, source, new kit::TDBJustLookup(page, form), name, field, caption, left, top, width);
    c->SetLookupSource(&lookup);
    c->SetLookupField(keyField);
    c->SetLookupDisplay("Sifra");
    std::string naziv(caption);
    if (!naziv.empty() && naziv.back() == ':') naziv.pop_back();
    c->DisplayName = naziv;
    c->OnF2Press = [form, registerTable, poOdabiru = std::move(poOdabiru)](fw::Component&) {
        app::OpenCodeListOf(registerTable, form);
        poOdabiru();
    };
    return c;
}

kit::TMyBitBtn* Gumb(fw::Control* page, fw::Component* owner, const char* name, const char* caption, int left,
                     int top, int width = 160) {
    auto* b = new kit::TMyBitBtn(page, owner);
    b->SetName(name);
    b->SetCaption(caption);
    b->SetBounds(left, top, width, 28);
    return b;
}

kit::TMyTable* Tablica(fw::Component* owner, const char* name, const char* table,
                       const char* database = "Lokal") {
    auto* t = new kit::TMyTable(owner);
    t->SetName(name);
    t->SetDatabaseName(database);
    t->SetTableName(table);
    return t;
}

// A lookup table on its index, following the master's fields.
kit::TMyTable* Podredjena(fw::Component* owner, const char* name, const char* database, const char* table,
                          const char* index, fw::TDataSource& master, const char* masterFields,
                          fw::TDataSource& source) {
    kit::TMyTable* t = Tablica(owner, name, table, database);
    t->SetIndexFieldNames(index);
    t->SetMasterSource(&master);
    t->SetMasterFields(masterFields);
    source.SetDataSet(t);
    return t;
}

// The table's stored fields as the program defines them, then hidden integer fields it calculates.
void SIzracunatima(kit::TMyTable& t, const std::vector<app::TableDefinition>& folder, const char* file,
                   std::initializer_list<const char*> izracunata) {
    const app::TableDefinition* def = app::FindTableDefinition(folder, file);
    if (!def) throw base::Exception(std::string("Nema opisa tablice ") + file);
    for (const app::FieldDefinition& f : def->Fields)
        t.AddField(fw::CreateField(f.DataType, f.Size), f.Name).Required = f.Required;
    for (const char* ime : izracunata)
        t.AddField(std::make_unique<fw::TIntegerField>(), ime, fw::fkCalculated).Visible = false;
}

long long Broj(const fw::TDataSet& ds, const char* field) {
    const fw::TField& f = ds.FieldByName(field);
    return f.IsNull() ? 0 : f.AsInteger();
}

// A grid column: a field of the table and its title.
struct Column {
    const char* Field;
    const char* Title;
};

// The grids show only these fields, under these titles; links and codes the user does not know stay
// hidden.
void ShowColumns(fw::TDataSet& t, std::initializer_list<Column> columns) {
    for (int i = 0; i < t.FieldCount(); ++i)
        t.Fields(i).Visible = false;
    for (const Column& c : columns) {
        fw::TField& f = t.FieldByName(c.Field);
        f.Visible = true;
        f.SetDisplayLabel(c.Title);
    }
}

// A calculated text field for a code shown in place of a stored integer.
void AddCodeField(kit::TMyTable& t, const char* name) {
    t.AddField(std::make_unique<fw::TStringField>(40), name, fw::fkCalculated);
}

bool Uredjuje(const fw::TDataSet& ds) {
    return ds.State() == fw::dsEdit || ds.State() == fw::dsInsert;
}

} // namespace

TWRadniNalozi::TWRadniNalozi(fw::Component* owner) : kit::TMyForm(owner) {
    SetName("WRadniNalozi");
    SetCaption("Ponude / Radni nalozi za izradu prozora");
    KeyPreview = true;
    resize(900, 560);
    // In the middle of the screen, as every form opens.
    CentreOnScreen();
    Book = new fw::Notebook(this, this);
    Book->SetName("Book");
    Book->SetBounds(0, 0, 900, 560);

    // --- page 0: the orders and the current order's header
    fw::NotebookPage& glava = Book->AddPage("GlavaRN");
    gRadniNal = new kit::TMyDBGrid(&glava, this);
    gRadniNal->SetName("gRadniNal");
    gRadniNal->SetBounds(10, 10, 420, 540);
    gRadniNal->SetDataSource(&sRadniNal);
    int y = 10;
    // The order number is the orders' key: a number in use goes to its order, a new one makes an order
    // after the question.
    eBroj = Polje(&glava, this, sRadniNal, new kit::TDBKeyField(&glava, this), "eBroj", "Broj",
                  "Broj naloga:", 440, y, 100);
    eBroj->DisplayName = "Broj naloga";
    eSifra = Polje(&glava, this, sRadniNal, new kit::TDBVar(&glava, this), "eSifra", "Sifra",
                   "Šifra naloga:", 440, y += Redak, 150);
    eDatum = Polje(&glava, this, sRadniNal, new kit::TDBVar(&glava, this), "eDatum", "Datum", "Datum:", 440,
                   y += Redak, 100);
    const auto zaboraviSisteme = [this] { proizvodi_.clear(); };
    eKupac = Odabir(&glava, this, sRadniNal, "eKupac", "Kupac", "Kupac:", 440, y += Redak, 150, sSifPart,
                    "Partner", "SIF_PART.DB", [] {});
    eNarucioc = Polje(&glava, this, sRadniNal, new kit::TDBVar(&glava, this), "eNarucioc", "Narucioc",
                      "Naručioc:", 440, y += Redak, 300);
    eSistem = Odabir(&glava, this, sRadniNal, "eSistem", "Sistem", "Sistem:", 440, y += Redak, 150, sSistem,
                     "Code", "WSYSTEM.DB", zaboraviSisteme);
    eSistem->Required = true;
    eBoja = Odabir(&glava, this, sRadniNal, "eBoja", "Boja", "Boja:", 440, y += Redak, 150, sSifBoja, "Code",
                   "SIF_BOJA.DB", [] {});
    eBoja->Required = true;
    eIznos = Polje(&glava, this, sRadniNal, new kit::TDBVar(&glava, this), "eIznos", "Iznos", "Iznos:", 440,
                   y += Redak, 150);
    eIznos->SetReadOnly(true);
    eIznos->SetTabStop(false);
    lValuta = new fw::Label(&glava, this);
    lValuta->SetName("lValuta");
    lValuta->SetBounds(730, y, 60, 22);
    BitBtn1 = Gumb(&glava, this, "BitBtn1", "&Stavke", 440, y += Redak + 10);
    Optimizacija = Gumb(&glava, this, "Optimizacija", "OPTIMIZACIJA I", 440, y += Redak + 10);
    Optimizacija->setToolTip(
        QString::fromUtf8("Optimizacija reznih profila - obavezno nakon svake promjene stavaka"));
    // Alt+S belongs to "&Stavke" on this page.
    bOptimaStakla = Gumb(&glava, this, "bOptimaStakla", "Ispis S&takla", 610, y);
    bOptimaStakla->setToolTip(QString::fromUtf8("Optimizacija Stakla"));
    bPregled = Gumb(&glava, this, "bPregled", "Pregled liste (F5)", 440, y += Redak + 5);
    bIspisNaloga = Gumb(&glava, this, "bIspisNaloga", "Ispis &naloga", 440, y += Redak + 5);
    bPonuda = Gumb(&glava, this, "bPonuda", "&Ponuda", 610, y);
    cPregledIspisa = new kit::TMyCheckBox(&glava, this);
    cPregledIspisa->SetName("cPregledIspisa");
    cPregledIspisa->SetCaption("Pregled prije ispisa");
    cPregledIspisa->SetBounds(440, y += Redak + 5, 200, 24);
    cPregledIspisa->SetChecked(true);
    eNaputak = Polje(&glava, this, sRadniNal, new fw::DBMemo(&glava, this), "eNaputak", "Naputak",
                     "Naputak:", 440, y += Redak + 5, 300);
    eNaputak->SetBounds(575, y, 300, 110);

    // --- page 1: the items
    fw::NotebookPage& stavke = Book->AddPage("StavkeRN");
    gStavkeRN = new kit::TMyDBGrid(&stavke, this);
    gStavkeRN->SetName("gStavkeRN");
    gStavkeRN->SetBounds(10, 10, 420, 540);
    gStavkeRN->SetDataSource(&sStavkeRN);
    y = 10;
    const auto stavka = [&](auto*& e, const char* name, const char* field, const char* caption, int width) {
        using Edit = std::remove_reference_t<decltype(*e)>;
        e = Polje(&stavke, this, sStavkeRN, new Edit(&stavke, this), name, field, caption, 440, y, width);
        y += Redak;
    };
    // The item number is the items' key: a number not yet used makes its item at once.
    stavka(eStavka, "eStavka", "Stavka", "Stavka:", 50);
    eStavka->DisplayName = "Stavka";
    // Every item number a Smallint holds, also in orders of thousands of items.
    eStavka->SetMaxLength(5);
    eTip = Odabir(&stavke, this, sStavkeRN, "eTip", "Tip", "Tip prozora:", 440, y, 150, sWinGL, "Code",
                  "WINGL.DB", [] {});
    eTip->Required = true;
    eStaklo = Odabir(&stavke, this, sStavkeRN, "eStaklo", "Staklo", "Staklo:", 440, y += Redak, 150,
                     sSifRobe2, "Code", "SIF_ROBE.DB", [] {});
    y += Redak;
    stavka(eKolicina, "eKolicina", "Kolicina", "Količina:", 50);
    stavka(eSirina, "eSirina", "Sirina", "Širina:", 60);
    stavka(eVisina, "eVisina", "Visina", "Visina:", 60);
    stavka(eCijena, "eCijena", "Cijena", "Cijena:", 100);
    lValuta2 = new fw::Label(&stavke, this);
    lValuta2->SetName("lValuta2");
    lValuta2->SetBounds(680, y - Redak, 60, 22);
    cPromjena = new kit::TMyCheckBox(&stavke, this);
    cPromjena->SetName("cPromjena");
    cPromjena->SetCaption("Promjena tipa");
    cPromjena->SetBounds(440, y + 5, 150, 24);
    bNovaStavka = Gumb(&stavke, this, "bNovaStavka", "&Nova stavka", 440, 480);
    bNaZaglavlje = Gumb(&stavke, this, "bNaZaglavlje", "Na &zaglavlje", 440, 515);
    Roletna = new QLabel(&stavke);
    Roletna->setObjectName("Roletna");
    Roletna->setGeometry(680, 262, 200, 8);
    Roletna->hide();
    PaintBox = new QLabel(&stavke);
    PaintBox->setObjectName("PaintBox");
    PaintBox->setGeometry(680, 270, 200, 200);

    // --- page 2: the lists
    fw::NotebookPage& liste = Book->AddPage("PregledListeOptimizacije");
    NaslovPrikaza = new fw::Label(&liste, this);
    NaslovPrikaza->SetName("NaslovPrikaza");
    NaslovPrikaza->SetBounds(10, 5, 600, 22);
    gRNOptima = new kit::TMyDBGrid(&liste, this);
    gRNOptima->SetName("gRNOptima");
    gRNOptima->SetBounds(10, 30, 520, 520);
    gRNOptima->SetDataSource(&sRNOptima);
    // "Lista stakla" stands turned up beside its grid, read from the bottom.
    lListaStakla = new fw::Label(&liste, this);
    lListaStakla->SetName("lListaStakla");
    lListaStakla->SetAutoSize(false);
    lListaStakla->SetCaption("Lista stakla");
    lListaStakla->SetBounds(540, 30, 22, 480);
    {
        QPixmap okomito(22, 480);
        okomito.fill(Qt::transparent);
        QPainter p(&okomito);
        p.setFont(lListaStakla->font());
        p.translate(0, 480);
        p.rotate(-90);
        p.drawText(QRect(0, 0, 480, 22), Qt::AlignCenter, QString::fromUtf8("Lista stakla"));
        p.end();
        lListaStakla->setPixmap(okomito);
    }
    gStaklo = new kit::TMyDBGrid(&liste, this);
    gStaklo->SetName("gStaklo");
    gStaklo->SetBounds(565, 30, 325, 480);
    gStaklo->SetDataSource(&sRNOptSt);
    BitBtn2 = Gumb(&liste, this, "BitBtn2", "Na &zaglavlje", 540, 520);

    // The form opens the tables that end its component list.
    tRadniNal = Tablica(this, "tRadniNal", "RADNINAL.DB");
    tRadniNal->SetIndexFieldNames("Broj");
    SIzracunatima(*tRadniNal, app::LokalTables(), "RADNINAL.DB", {"Partner", "Proizvodi"});
    tRadniNal->OnCalcFields = [this](fw::TDataSet& ds) {
        ds.FieldByName("Partner").SetAsInteger(app::WBegin.PodaciPoduzeca.OwnPartner);
        ds.FieldByName("Proizvodi").SetAsInteger(ProizvodiSistema(Broj(ds, "Sistem")));
    };
    tRadniNal->FreeToModify = tRadniNal->FreeToDelete = true;
    sRadniNal.SetDataSet(tRadniNal);
    tStavkeRN = Tablica(this, "tStavkeRN", "STAVKERN.DB");
    tStavkeRN->SetIndexFieldNames("BrojRN;Stavka");
    tStavkeRN->SetMasterSource(&sRadniNal);
    tStavkeRN->SetMasterFields("Code");
    SIzracunatima(*tStavkeRN, app::LokalTables(), "STAVKERN.DB",
                  {"Sistem", "SifraP", "GrupaStaklo", "Proizvodi"});
    AddCodeField(*tStavkeRN, "SifraTipa");
    AddCodeField(*tStavkeRN, "SifraStakla");
    tStavkeRN->OnCalcFields = [this](fw::TDataSet& ds) {
        const long long sistem = tRadniNal->Active() ? Broj(*tRadniNal, "Sistem") : 0;
        ds.FieldByName("Sistem").SetAsInteger(sistem);
        ds.FieldByName("SifraP").SetAsInteger(app::WBegin.PodaciPoduzeca.OwnPartner);
        ds.FieldByName("GrupaStaklo").SetAsInteger(app::Settings.PostavkePrograma.GrupaStaklo);
        ds.FieldByName("Proizvodi").SetAsInteger(ProizvodiSistema(sistem));
        ds.FieldByName("SifraTipa").SetAsString(sifre_.Type(static_cast<std::int32_t>(Broj(ds, "Tip"))));
        ds.FieldByName("SifraStakla")
            .SetAsString(sifre_.Article(static_cast<std::int32_t>(Broj(ds, "Staklo"))));
    };
    tStavkeRN->FreeToModify = tStavkeRN->FreeToDelete = true;
    sStavkeRN.SetDataSet(tStavkeRN);
    tRNOptima = Tablica(this, "tRNOptima", "RNOPTIMA.DB");
    tRNOptima->SetMasterSource(&sRadniNal);
    tRNOptima->SetMasterFields("Code");
    tRNOptima->FreeToInsert = false;
    sRNOptima.SetDataSet(tRNOptima);
    tRNOptSt = Tablica(this, "tRNOptSt", "RNOPTST.DB");
    tRNOptSt->SetMasterSource(&sRadniNal);
    tRNOptSt->SetMasterFields("Code");
    tRNOptSt->FreeToInsert = false;
    sRNOptSt.SetDataSet(tRNOptSt);
    SIzracunatima(*tRNOptima, app::LokalTables(), "RNOPTIMA.DB", {});
    SIzracunatima(*tRNOptSt, app::LokalTables(), "RNOPTST.DB", {});
    for (kit::TMyTable* lista : {tRNOptima, tRNOptSt}) {
        AddCodeField(*lista, "SifraArtikla");
        lista->OnCalcFields = [this](fw::TDataSet& ds) {
            ds.FieldByName("SifraArtikla")
                .SetAsString(sifre_.Article(static_cast<std::int32_t>(Broj(ds, "Artikl"))));
        };
    }
    ShowColumns(*tRadniNal, {{"Broj", "Broj naloga"},
                             {"Sifra", "Šifra naloga"},
                             {"Datum", "Datum"},
                             {"Narucioc", "Naručioc"},
                             {"Iznos", "Iznos"},
                             {"Optimizacija", "Optimizacija"}});
    if (auto* optimiran = dynamic_cast<fw::TBooleanField*>(&tRadniNal->FieldByName("Optimizacija")))
        optimiran->SetDisplayValues("Da;Ne");
    ShowColumns(*tStavkeRN, {{"Stavka", "Stavka"},
                             {"SifraTipa", "Tip prozora"},
                             {"SifraStakla", "Staklo"},
                             {"Kolicina", "Količina"},
                             {"Sirina", "Širina"},
                             {"Visina", "Visina"},
                             {"Cijena", "Cijena"}});
    ShowColumns(*tRNOptima, {{"Rbr", "Rbr"},
                             {"SifraArtikla", "Artikl"},
                             {"Prozor", "Prozor"},
                             {"Duzina", "Dužina"},
                             {"Duzina1", "Dužina 1"},
                             {"KutL", "Kut L"},
                             {"KutD", "Kut D"},
                             {"Duzina2", "Dužina 2"}});
    ShowColumns(*tRNOptSt, {{"Rbr", "Rbr"},
                            {"SifraArtikla", "Artikl"},
                            {"Kolicina", "Količina"},
                            {"Prozor", "Prozor"},
                            {"Duzina", "Dužina"},
                            {"Sirina", "Širina"}});
    // Only the own company's colours and glass of the system's product line can be chosen.
    tSifPart = Podredjena(this, "tSifPart", "Lokal", "SIF_PART.DB", "Partner", sRadniNal, "Kupac", sSifPart);
    tSistem = Podredjena(this, "tSistem", "Lokal", "WSYSTEM.DB", "Code", sRadniNal, "Sistem", sSistem);
    tSifBoja = Podredjena(this, "tSifBoja", "Global", "SIF_BOJA.DB", "Partner;Proizvodi;Code", sRadniNal,
                          "Partner;Proizvodi;Boja", sSifBoja);
    tWinGL = Podredjena(this, "tWinGL", "Lokal", "WINGL.DB", "Sistem;Code", sStavkeRN, "Sistem;Tip", sWinGL);
    tSifRobe2 = Podredjena(this, "tSifRobe2", "Global", "SIF_ROBE.DB", "Partner;Proizvodi;Grupa;Code",
                           sStavkeRN, "SifraP;Proizvodi;GrupaStaklo;Staklo", sSifRobe2);

    tRadniNal->OnNewRecord = [this](fw::TDataSet&) { tRadniNalNewRecord(); };
    tRadniNal->AfterPost = [this](fw::TDataSet& ds) {
        NajveciBrojNaloga =
            std::max<std::int32_t>(NajveciBrojNaloga, static_cast<std::int32_t>(Broj(ds, "Broj")));
    };
    tRadniNal->BeforeDelete = [this](fw::TDataSet&) { tRadniNalBeforeDelete(); };
    tRadniNal->OnNewLastRecord = [this](fw::TDataSet&) { NajveciBrojNaloga = NajveciBroj(); };
    tStavkeRN->OnNewRecord = [this](fw::TDataSet&) { tStavkeRNNewRecord(); };
    tStavkeRN->AfterPost = [this](fw::TDataSet& ds) {
        NajvecaStavka = std::max<std::int16_t>(NajvecaStavka, static_cast<std::int16_t>(Broj(ds, "Stavka")));
        if (stavkaMijenjaListe_) OznaciPromjenu();
    };
    tStavkeRN->BeforeDelete = [this](fw::TDataSet&) { tStavkeRNBeforeDelete(); };
    // What the cutting lists are made of changes: the order's lists are out of date.
    tStavkeRN->BeforePost = [this](fw::TDataSet&) {
        stavkaMijenjaListe_ = StavkaMijenjaListe();
        const auto promijenjeno = [this](const char* polje) {
            const fw::TField& f = tStavkeRN->FieldByName(polje);
            return tStavkeRN->State() == fw::dsInsert || !(f.Value() == f.OldValue());
        };
        if (promijenjeno("Tip") || promijenjeno("Sirina") || promijenjeno("Visina"))
            OdbijNeizvedivo(StavkaIzUnosa());
    };
    tStavkeRN->AfterDelete = [this](fw::TDataSet&) {
        if (!brisemNalog_) OznaciPromjenu();
    };
    tRadniNal->BeforePost = [this](fw::TDataSet&) { tRadniNalBeforePost(); };
    tStavkeRN->OnNewLastRecord = [this](fw::TDataSet&) { NajvecaStavka = NajvecaStavkaNaloga(); };
    sRadniNal.OnDataChange = [this](fw::TDataSource&, fw::TField* field) {
        if (!field) PratiOptimizaciju();
    };
    // The preview follows the item the grid moves to.
    sStavkeRN.OnDataChange = [this](fw::TDataSource&, fw::TField* field) {
        if (!field && Book->PageIndex() == 1 && PrikazKopije && !Uredjuje(*tStavkeRN)) Nacrtaj();
    };

    // A new order is dated today.
    eBroj->OnNew = [](fw::TDataSet& ds) {
        ds.FieldByName("Datum").SetAsDateTime(base::ToDateTime(base::Today()));
    };
    eBoja->OnExitChanged = [this](fw::Component&) { eBojaExitChanged(); };
    eTip->OnExitChanged = [this](fw::Component&) { eTipExitChanged(); };
    // While a type is being chosen the preview stands empty; leaving the field shows the copy again.
    eTip->OnEnter = [this](fw::Component&) {
        PrikazKopije = false;
        windows::SharedModel().OslobodiMemoriju();
        windows::SharedModel().Roletne = false;
        Roletna->hide();
        PaintBox->setPixmap({});
    };
    eTip->OnExit = [this](fw::Component&) {
        PrikazKopije = true;
        Nacrtaj();
    };
    eSirina->OnExitChanged = [this](fw::Component&) { eDimenzijaExitChanged(eVisina); };
    eVisina->OnExitChanged = [this](fw::Component&) { eDimenzijaExitChanged(eSirina); };
    BitBtn1->OnClick = [this](fw::Component&) { BitBtn1Click(); };
    Optimizacija->OnClick = [this](fw::Component&) { OptimizacijaClick(); };
    bOptimaStakla->OnClick = [this](fw::Component&) { bOptimaStaklaClick(); };
    bPregled->OnClick = [this](fw::Component&) { bPregledClick(); };
    bIspisNaloga->OnClick = [this](fw::Component&) { IspisNaloga(false); };
    bPonuda->OnClick = [this](fw::Component&) { IspisNaloga(true); };
    cPregledIspisa->OnClick = [this](fw::Component&) { PregledIspisa = cPregledIspisa->Checked(); };
    cPromjena->OnClick = [this](fw::Component&) { cPromjenaClick(); };
    bNovaStavka->OnClick = [this](fw::Component&) { bNovaStavkaClick(); };
    bNaZaglavlje->OnClick = [this](fw::Component&) { bNaZaglavljeClick(); };
    BitBtn2->OnClick = [this](fw::Component&) { bNaZaglavljeClick(); };
    OnShow = [this](fw::Component&) { FormShow(); };
    OnCloseQuery = [](fw::Component&, bool&) { windows::SharedModel().OslobodiMemoriju(); };
    OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift shift) { FormKeyDown(key, shift); };
    Book->SetPageIndex(0);
    SetActiveControl(gRadniNal);
}

// ------------------------------------------------------------------------------------------ show and keys

void TWRadniNalozi::FormShow() {
    PregledIspisa = true;
    proizvodi_.clear();
    sifre_.Forget(app::WBegin.PodaciPoduzeca.OwnPartner);
    cPregledIspisa->SetChecked(true);
    PrikazKopije = true;
    lValuta->SetCaption(app::Settings.PostavkePrograma.Valuta);
    lValuta2->SetCaption(app::Settings.PostavkePrograma.Valuta);
    Stakla = GetIniStakla(base::IniFile(app::ProgramFolder() / "PLOM.INI"));
    if (tRadniNal->Active() && !tRadniNal->IsEmpty()) tRadniNal->Last();
    NajveciBrojNaloga = NajveciBroj();
    windows::PrikaziTipoveZaPartnera(this, app::WBegin.PodaciPoduzeca.OwnPartner);
    PratiOptimizaciju();
}

void TWRadniNalozi::FormKeyDown(std::uint16_t& key, fw::Shift shift) {
    const int page = Book->PageIndex();
    if (key == fw::VK_ESCAPE && shift == fw::ssNone && page != 0) {
        key = 0;
        app::FormOpener.KeyHandled = true;
        bNaZaglavljeClick();
        return;
    }
    if (key == fw::VK_F5 && shift == fw::ssNone) {
        key = 0;
        app::FormOpener.KeyHandled = true;
        bPregledClick();
        return;
    }
    if (shift == fw::ssCtrl && (key == 'P' || key == fw::VK_F1)) {
        key = 0;
        app::FormOpener.KeyHandled = true;
        // Where the printouts go, chosen as in the preview: the choice holds for every printout after.
        controls::CreateIspis();
        controls::Ispis->bPrnSetUpClick();
        return;
    }
    if (shift == fw::ssCtrl && key == fw::VK_END) {
        fw::Control* target = page == 0   ? static_cast<fw::Control*>(Optimizacija)
                              : page == 1 ? static_cast<fw::Control*>(bNaZaglavlje)
                                          : static_cast<fw::Control*>(BitBtn2);
        key = 0;
        app::FormOpener.KeyHandled = true;
        if (target->CanFocus()) target->SetFocus();
        return;
    }
    if (page == 0)
        kit::CodeListKeyDown(this, key, shift, gRadniNal, BitBtn1, false);
    else if (page == 1)
        kit::CodeListKeyDown(this, key, shift, gStavkeRN, bNovaStavka, false);
    else
        kit::CodeListKeyDown(this, key, shift, gRNOptima, BitBtn2, false);
}

// ------------------------------------------------------------------------------------------ the header

std::int32_t TWRadniNalozi::TrenutniNalog() const {
    return tRadniNal->Active() && !tRadniNal->IsEmpty() ? static_cast<std::int32_t>(Broj(*tRadniNal, "Code"))
                                                        : 0;
}

// Read from the table, not the form's view: another station may have added orders or items.
std::int32_t TWRadniNalozi::NajveciBroj() const {
    windows::StoredTable t(app::FolderPath(app::Folder::Lokal), "RADNINAL.DB");
    std::int64_t najveci = 0;
    for (t.Cursor().First(); t.Cursor().OnRow(); t.Cursor().Next())
        najveci = std::max(najveci, t.Int(t.Cursor().Read(), "Broj"));
    return static_cast<std::int32_t>(najveci);
}

std::int16_t TWRadniNalozi::NajvecaStavkaNaloga() const {
    windows::StoredTable t(app::FolderPath(app::Folder::Lokal), "STAVKERN.DB");
    const std::vector<engine::Row> redovi = t.Rows({engine::Value::Int(TrenutniNalog())});
    return redovi.empty() ? std::int16_t{0} : t.Short(redovi.back(), "Stavka");
}

std::int16_t TWRadniNalozi::TrenutnaStavka() const {
    return tStavkeRN->Active() ? static_cast<std::int16_t>(Broj(*tStavkeRN, "Stavka")) : std::int16_t{0};
}

bool TWRadniNalozi::SpremiZaglavlje() {
    if (Uredjuje(*tRadniNal)) app::PostRecordAutoSave(tRadniNal);
    return !Uredjuje(*tRadniNal) && TrenutniNalog() != 0;
}

void TWRadniNalozi::tRadniNalNewRecord() {
    tRadniNal->FieldByName("Broj").SetAsInteger(static_cast<long long>(NajveciBrojNaloga) + 1);
}

std::int32_t TWRadniNalozi::ProizvodiSistema(std::int64_t sistem) {
    if (sistem == 0) return 0;
    if (const auto it = proizvodi_.find(sistem); it != proizvodi_.end()) return it->second;
    const auto s = windows::ReadSystem(static_cast<std::int32_t>(sistem));
    return proizvodi_[sistem] = s ? s->Proizvodi : 0;
}

// The print button follows the stored flag, which another station's change may have cleared.
void TWRadniNalozi::PratiOptimizaciju() {
    const std::int32_t rn = TrenutniNalog();
    bIspisNaloga->SetEnabled(rn != 0 && !RadTece() && Optimiziran(rn));
}

void TWRadniNalozi::OznaciPromjenu() {
    OznaciNeoptimiziran(TrenutniNalog());
    PratiOptimizaciju();
}

bool TWRadniNalozi::StavkaMijenjaListe() const {
    if (tStavkeRN->State() == fw::dsInsert) return true;
    for (const char* polje : {"Stavka", "Tip", "Staklo", "Kolicina", "Sirina", "Visina"}) {
        const fw::TField& f = tStavkeRN->FieldByName(polje);
        if (!(f.Value() == f.OldValue())) return true;
    }
    return false;
}

// A number another order already has (two stations that took the same proposed number) is not stored
// without a word: the user takes the next free number or keeps the one typed.
void TWRadniNalozi::PonudiSlobodanBroj() {
    fw::TField& broj = tRadniNal->FieldByName("Broj");
    if (broj.IsNull() || (tRadniNal->State() == fw::dsEdit && broj.Value() == broj.OldValue())) return;
    const std::int64_t trazeni = broj.AsInteger();
    const std::int64_t kod = Broj(*tRadniNal, "Code");
    windows::StoredTable t(app::FolderPath(app::Folder::Lokal), "RADNINAL.DB");
    bool zauzet = false;
    std::int64_t najveci = 0;
    for (t.Cursor().First(); t.Cursor().OnRow(); t.Cursor().Next()) {
        const engine::Row& r = t.Cursor().Read();
        najveci = std::max(najveci, t.Int(r, "Broj"));
        if (t.Int(r, "Broj") == trazeni && (tRadniNal->State() == fw::dsInsert || t.Int(r, "Code") != kod))
            zauzet = true;
    }
    if (!zauzet) return;
    if (app::AskYesNo("Nalog broj " + std::to_string(trazeni) +
                      " već postoji!!!\r\nŽelite li uzeti sljedeći " + "slobodni broj " +
                      std::to_string(najveci + 1) + "?"))
        broj.SetAsInteger(najveci + 1);
}

// The form never sets the flag itself: a header posted keeps what the runs and the item changes stored
// (also another station's), and a new system or colour leaves the lists out of date.
void TWRadniNalozi::tRadniNalBeforePost() {
    ProvjeriSifreZaglavlja(*tRadniNal);
    PonudiSlobodanBroj();
    fw::TField& zastavica = tRadniNal->FieldByName("Optimizacija");
    const std::int32_t rn = TrenutniNalog();
    bool gotovo = tRadniNal->State() == fw::dsEdit && rn != 0 && Optimiziran(rn);
    for (const char* polje : {"Sistem", "Boja"}) {
        const fw::TField& f = tRadniNal->FieldByName(polje);
        if (!(f.Value() == f.OldValue())) gotovo = false;
    }
    if (zastavica.IsNull() || zastavica.AsBoolean() != gotovo) zastavica.SetAsBoolean(gotovo);
}

void TWRadniNalozi::eBojaExitChanged() {
    const auto sistem = Broj(*tRadniNal, "Sistem"), boja = Broj(*tRadniNal, "Boja");
    windows::StoredTable boje(app::FolderPath(app::Folder::Lokal), "WSYSBOJE.DB");
    boje.Cursor().SetIndex(-1);
    if (!boje.Cursor().FindKey({engine::Value::Int(sistem), engine::Value::Int(boja)})) {
        app::ShowInfo(
            "Boja koju ste izabrali ne postoji \r\nu navedenom sistemu!!!\r\n\r\nPonovite odabir boje!!!");
        throw base::Abort();
    }
}

void TWRadniNalozi::tRadniNalBeforeDelete() {
    const std::int32_t rn = TrenutniNalog();
    if (rn == 0) return;
    // Every item goes with its copy; then the order's cutting list.
    tStavkeRN->DisableControls();
    brisemNalog_ = true;
    try {
        for (tStavkeRN->First(); !tStavkeRN->IsEmpty();)
            tStavkeRN->Delete();
    } catch (...) {
        brisemNalog_ = false;
        tStavkeRN->EnableControls();
        throw;
    }
    brisemNalog_ = false;
    tStavkeRN->EnableControls();
    windows::StoredTable optima(app::FolderPath(app::Folder::Lokal), "RNOPTIMA.DB");
    optima.ReplaceRows({engine::Value::Int(rn)}, {}); // the whole list in one write
}

// ------------------------------------------------------------------------------------------ the items

void TWRadniNalozi::BitBtn1Click() {
    if (!tRadniNal->Active() || tRadniNal->IsEmpty()) return;
    if (Broj(*tRadniNal, "Sistem") == 0) {
        app::ShowInfo("Morate izabrati sistem za izradu prozora !!!");
        eSistem->SetFocus();
        return;
    }
    if (!SpremiZaglavlje()) return;
    // A header posted just now has its Code only since the post: the items follow it from here.
    tStavkeRN->Close();
    tStavkeRN->Open();
    if (!tStavkeRN->IsEmpty()) tStavkeRN->Last();
    NajvecaStavka = NajvecaStavkaNaloga();
    sifre_.Forget(app::WBegin.PodaciPoduzeca.OwnPartner);
    Book->SetPageIndex(1);
    gStavkeRN->SetFocus();
    Nacrtaj();
}

void TWRadniNalozi::bNovaStavkaClick() {
    // The item being entered is kept, not dropped, when the next one begins.
    app::PostRecordAutoSave(tStavkeRN);
    if (Uredjuje(*tStavkeRN)) return;
    if (app::PostAndAppend(tStavkeRN)) eStavka->SetFocus();
}

void TWRadniNalozi::tStavkeRNNewRecord() {
    if (NajvecaStavka == 32767) throw base::Exception("Nalog ima previše stavaka !!!");
    tStavkeRN->FieldByName("Stavka").SetAsInteger(NajvecaStavka + 1);
    // A new item has no window until it has a type.
    IsprazniPrikaz();
}

void TWRadniNalozi::IsprazniPrikaz() {
    windows::SharedModel().OslobodiMemoriju();
    KodKopije = 0;
    PaintBox->setPixmap({});
    Roletna->hide();
}

void TWRadniNalozi::tStavkeRNBeforeDelete() {
    const windows::KopijaStavke k{TrenutniNalog(), TrenutnaStavka()};
    if (k.RN != 0 && windows::KodKopije(k) != 0 && !windows::ObrisiKopiju(k)) throw base::Abort();
    IsprazniPrikaz();
}

void TWRadniNalozi::bNaZaglavljeClick() {
    if (Book->PageIndex() == 1) {
        app::PostRecordAutoSave(tStavkeRN);
        if (Uredjuje(*tStavkeRN)) return;
        const std::int32_t rn = TrenutniNalog();
        std::int16_t n = 1;
        double ukupno = 0;
        tStavkeRN->DisableControls();
        try {
            tStavkeRN->First();
            while (!tStavkeRN->Eof() && !tStavkeRN->IsEmpty()) {
                const std::int16_t stara = TrenutnaStavka();
                if (stara != n) {
                    // The copy moves with its item, so no item loses its window to a renumbering.
                    if (!windows::PrenumerirajKopiju({rn, stara}, n)) break;
                    if (!app::PostInsertAndEdit(tStavkeRN)) {
                        // One box, with the cause; an insert the user chose not to post again was told in its
                        // question.
                        if (tStavkeRN->State() == fw::dsBrowse) {
                            const std::string cause = app::EditRefusal(tStavkeRN);
                            app::TellRefusal(std::string("Greška: Ne mogu postaviti stavku u \"Edit\" mod!") +
                                             (cause.empty() ? "" : "\r\n" + cause));
                        }
                        break;
                    }
                    tStavkeRN->FieldByName("Stavka").SetAsInteger(n);
                    // A refused post was told with its cause.
                    if (!app::PostOrCancel(tStavkeRN)) {
                        windows::PrenumerirajKopiju({rn, n}, stara);
                        break;
                    }
                }
                if (Broj(*tStavkeRN, "Kolicina") > 0 && Broj(*tStavkeRN, "Sirina") > 0 &&
                    Broj(*tStavkeRN, "Visina") > 0) {
                    ukupno += static_cast<double>(Broj(*tStavkeRN, "Kolicina")) *
                              tStavkeRN->FieldByName("Cijena").AsFloat();
                    ++n;
                    tStavkeRN->Next();
                } else {
                    tStavkeRN->Delete();
                    tStavkeRN->First();
                    tStavkeRN->MoveBy(n - 1);
                    if (tStavkeRN->RecordCount() < n) break;
                }
            }
        } catch (...) {
            tStavkeRN->EnableControls();
            throw;
        }
        tStavkeRN->EnableControls();
        NajvecaStavka = static_cast<std::int16_t>(n - 1);
        if (app::StartEdit(tRadniNal)) {
            tRadniNal->FieldByName("Iznos").SetAsFloat(ukupno);
            app::PostOrCancel(tRadniNal);
        }
    }
    Book->SetPageIndex(0);
    gRadniNal->SetFocus();
}

void TWRadniNalozi::eDimenzijaExitChanged(kit::TDBVar* druga) {
    if (!druga->Text().empty() && !eTip->Text().empty()) eTipExitChanged();
}

StavkaZaPrilagodbu TWRadniNalozi::StavkaIzUnosa() const {
    StavkaZaPrilagodbu s;
    s.RN = TrenutniNalog();
    s.Stavka = TrenutnaStavka();
    s.Tip = static_cast<std::int32_t>(Broj(*tStavkeRN, "Tip"));
    s.Sirina = static_cast<int>(Broj(*tStavkeRN, "Sirina"));
    s.Visina = static_cast<int>(Broj(*tStavkeRN, "Visina"));
    s.Sistem = static_cast<std::int32_t>(Broj(*tRadniNal, "Sistem"));
    s.Boja = static_cast<std::int32_t>(Broj(*tRadniNal, "Boja"));
    return s;
}

// A size the type cannot be made in is refused where it is typed, before anything is stored.
void TWRadniNalozi::OdbijNeizvedivo(const StavkaZaPrilagodbu& s) {
    const std::string odbijeno = ProvjeriMjere(s);
    if (odbijeno.empty()) return;
    app::ShowInfo(odbijeno);
    throw base::Abort();
}

void TWRadniNalozi::eTipExitChanged() {
    PrikazKopije = true;
    const StavkaZaPrilagodbu s = StavkaIzUnosa();
    // Nothing to fit until the item has a type and a size.
    if (s.RN == 0 || s.Stavka == 0 || s.Tip == 0 || s.Sirina <= 0 || s.Visina <= 0) return;
    OdbijNeizvedivo(s);
    FaktoriPrilagodbe f;
    if (PrilagodiStavku(windows::SharedModel(), s, &f) > 0) OznaciPromjenu();
    FaktorSirine = f.FaktorSirine;
    FaktorVisine = f.FaktorVisine;
    Nacrtaj();
}

void TWRadniNalozi::Nacrtaj() {
    windows::ModelProzora& m = windows::SharedModel();
    m.OslobodiMemoriju();
    QImage slika(200, 200, QImage::Format_RGB32);
    slika.fill(Qt::white);
    const windows::KopijaStavke k{TrenutniNalog(), TrenutnaStavka()};
    KodKopije = k.RN != 0 && k.RNS != 0 ? windows::KodKopije(k) : 0;
    const bool ima = KodKopije != 0 && windows::PrenesiKopiju(m, k, {});
    if (ima) {
        m.MaxRight = m.Sirina;
        m.MaxBottom = m.Visina;
        windows::PaintPreview(slika, m);
    }
    if (ima && m.Roletne) NacrtajRoletnu(m);
    Roletna->setVisible(ima && m.Roletne);
    m.OslobodiMemoriju();
    PaintBox->setPixmap(QPixmap::fromImage(slika));
}

// The roller shutter's box over the drawn frame, exactly as wide, grey and hatched as on the printouts.
void TWRadniNalozi::NacrtajRoletnu(const windows::ModelProzora& m) {
    const windows::ScreenTransform t(windows::PreviewScale(m));
    const int lijevo = t.Piksel(0), sirina = std::max(1, t.Piksel(m.Sirina) - lijevo);
    const QRect okvir = PaintBox->geometry();
    Roletna->setGeometry(okvir.left() + lijevo, okvir.top() - 8, sirina, 8);
    QPixmap slika(sirina, 8);
    slika.fill(Qt::white);
    QPainter p(&slika);
    p.fillRect(slika.rect(), QBrush(Qt::gray, Qt::BDiagPattern));
    p.setPen(Qt::gray);
    p.drawRect(0, 0, sirina - 1, 7);
    p.end();
    Roletna->setPixmap(slika);
}

void TWRadniNalozi::SpremiProzor(windows::TEditWindow& designer) {
    PrikazKopije = false;
    if (windows::SpremiKopiju(designer.D.Model, {TrenutniNalog(), TrenutnaStavka()},
                              static_cast<std::int32_t>(Broj(*tRadniNal, "Sistem")),
                              static_cast<std::int32_t>(Broj(*tRadniNal, "Boja"))) > 0)
        OznaciPromjenu();
    PrikazKopije = true;
    Nacrtaj();
}

void TWRadniNalozi::cPromjenaClick() {
    if (!cPromjena->Checked()) return;
    cPromjena->SetChecked(false);
    if (base::Trim(eTip->Text()).empty()) return;
    const windows::KopijaStavke k{TrenutniNalog(), TrenutnaStavka()};
    const auto sistem = static_cast<std::int32_t>(Broj(*tRadniNal, "Sistem"));
    const auto boja = static_cast<std::int32_t>(Broj(*tRadniNal, "Boja"));
    const std::optional<windows::SystemRow> sustav = windows::ReadSystem(sistem);
    const std::optional<windows::SystemColourRow> boje = windows::ReadSystemColour(sistem, boja);
    // What the copy's rows leave open comes from the order's system in the order's colour.
    const windows::ZadaneVrijednosti zadano{sistem, boje ? boje->Stok : 0,
                                            static_cast<std::int16_t>(sustav ? sustav->Preklapanje : 0)};
    if (!windows::PrenesiKopiju(windows::SharedModel(), k, zadano)) return;
    const std::string caption = "-> Promjena tipa RADNOG NALOGA: " + base::Trim(eTip->Text()) +
                                " - sistem: " + (sustav ? base::Trim(sustav->Sifra) : std::to_string(sistem));
    // The designer offers the profiles of the order's colour: what is drawn into the copy is cut from them.
    auto katalog = std::make_shared<windows::TableArticleCatalog>(app::WBegin.PodaciPoduzeca.OwnPartner);
    windows::PrikaziIzraduTipa(this, caption, 2, [this, katalog, sistem, boja](windows::TEditWindow& f) {
        f.Artikli = katalog.get();
        f.ArtikliSustava = [katalog, sistem, boja](windows::TEditWindow&) {
            return windows::ProfiliSustava(*katalog, sistem, boja);
        };
        f.SpremiProzor = [this](windows::TEditWindow& d) {
            SpremiProzor(d);
            return true;
        };
        f.Nacrtaj = [this](windows::TEditWindow&) { Nacrtaj(); };
    });
}

// ------------------------------------------------------------------------------------------ the runs

template <class F> auto TWRadniNalozi::SNapretkom(const char* naslov, F&& rad) {
    FazeZadnjegRada.clear();
    fw::Control* const aktivna = ActiveControl();
    // While a run goes its buttons rest; the progress window's cancel is the way out.
    struct Gumbi {
        TWRadniNalozi& f;
        explicit Gumbi(TWRadniNalozi& forma) : f(forma) {
            for (kit::TMyBitBtn* b : {f.Optimizacija, f.bOptimaStakla, f.bIspisNaloga})
                b->SetEnabled(false);
        }
        ~Gumbi() {
            f.Optimizacija->SetEnabled(true);
            f.bOptimaStakla->SetEnabled(true);
            try {
                f.PratiOptimizaciju();
            } catch (const std::exception&) {
                // the button is looked at again on the next move
            }
        }
    };
    auto ishod = [&] {
        const Gumbi gumbi(*this);
        ProgresOptimizacije progres(QString::fromUtf8(naslov), this);
        Napredak napredak = [&](const std::string& faza, int pozicija, int ukupno) {
            if (FazeZadnjegRada.empty() || FazeZadnjegRada.back() != faza) FazeZadnjegRada.push_back(faza);
            return progres.Javi(faza, pozicija, ukupno);
        };
        return rad(napredak);
    }();
    // The keyboard comes back to the form where it was (the resting buttons may have sent it on).
    activateWindow();
    if (aktivna && aktivna->CanFocus())
        aktivna->SetFocus();
    else if (fw::Control* c = ActiveControl())
        c->SetFocus();
    return ishod;
}

void TWRadniNalozi::bPregledClick() {
    if (!SpremiZaglavlje()) return;
    tRNOptima->Refresh();
    tRNOptSt->Refresh();
    const bool zastarjela = (!tRNOptima->IsEmpty() || !tRNOptSt->IsEmpty()) && !Optimiziran(TrenutniNalog());
    NaslovPrikaza->SetCaption("OPTIMIZIRANA LISTA PROFILA NALOGA BROJ " +
                              std::to_string(Broj(*tRadniNal, "Broj")) +
                              (zastarjela ? " - NIJE AŽURNA, pokrenite ponovo OPTIMIZACIJU I" : ""));
    sifre_.Forget(app::WBegin.PodaciPoduzeca.OwnPartner);
    Book->SetPageIndex(2);
    gRNOptima->SetFocus();
}

void TWRadniNalozi::OptimizacijaClick() {
    if (!tRadniNal->Active() || tRadniNal->IsEmpty()) return;
    if (Broj(*tRadniNal, "Sistem") == 0) {
        app::ShowInfo("Da biste pokrenuli optimizaciju,\n\rpolje \"sistem\" mora biti popunjeno !!!");
        eSistem->SetFocus();
        return;
    }
    if (Broj(*tRadniNal, "Boja") == 0) {
        app::ShowInfo("Da biste pokrenuli optimizaciju,\n\rpolje \"boja\" mora biti popunjeno !!!");
        eBoja->SetFocus();
        return;
    }
    if (!SpremiZaglavlje()) return;
    const std::int32_t rn = TrenutniNalog();
    const fw::TBookmark mjesto = tRadniNal->GetBookmark();
    SNapretkom("OPTIMIZACIJA I", [&](const Napredak& n) { return OptimizacijaI(rn, n); });
    // The run wrote the lists and the order's flag beside the form's tables.
    tRadniNal->Refresh();
    tRadniNal->GotoBookmark(mjesto);
    tRNOptima->Refresh();
    tRNOptSt->Refresh();
    PratiOptimizaciju();
}

void TWRadniNalozi::bOptimaStaklaClick() {
    if (!SpremiZaglavlje()) return;
    const std::int32_t rn = TrenutniNalog();
    {
        windows::StoredTable staklo(app::FolderPath(app::Folder::Lokal), "RNOPTST.DB");
        if (staklo.Rows({engine::Value::Int(rn)}).empty()) {
            app::ShowInfo("Nema liste stakla za optimizaciju!!!\r\nPokrenite prvo OPTIMIZACIJU I !!!");
            Optimizacija->SetFocus();
            return;
        }
    }
    if (OdbijIspisListe(rn)) return;
    const auto liste = SNapretkom("Optimizacija stakla",
                                  [&](const Napredak& n) { return OptimizacijaStakla(rn, Stakla, n); });
    if (liste && IspisiNaloga.IspisStakla) IspisiNaloga.IspisStakla(rn, *liste, PregledIspisa);
}

// A printout of the cutting or glass list of an order changed since its run would cut what is no longer
// ordered: refused (the offer holds no list).
bool TWRadniNalozi::OdbijIspisListe(std::int32_t rn) {
    if (Optimiziran(rn)) return false;
    app::ShowInfo(ListeNisuAzurne);
    PratiOptimizaciju();
    if (Optimizacija->CanFocus()) Optimizacija->SetFocus();
    return true;
}

void TWRadniNalozi::IspisNaloga(bool ponuda) {
    if (!SpremiZaglavlje()) return;
    if (!ponuda && OdbijIspisListe(TrenutniNalog())) return;
    if (IspisiNaloga.IspisNaloga) IspisiNaloga.IspisNaloga(TrenutniNalog(), ponuda, PregledIspisa);
}

void PrikaziRadneNaloge(fw::Form* sender) {
    app::OpenForm<TWRadniNalozi>(RadniNaloziForm.WRadniNalozi, sender);
}

} // namespace orders
