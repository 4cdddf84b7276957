#include "windows/typelist/PEWin.h"

#include "app/data/Dialogs.h"
#include "app/data/WBegin.h"
#include "app/shell/FormOpener.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/ui/StdCtrls.h"
#include "windows/designer/EditWindow.h"
#include "windows/designer/WindowPainter.h"
#include "windows/storage/WindowTypeStore.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace windows {

PEditWindowState PEditWindowForm;

namespace {
const bool registered = base::RegisterStateReset(base::StateLayer::Forms, [] { PEditWindowForm = {}; });

// An edit of the current type with its caption above it.
template <class E>
E* Bind(TPEditWindow* f, E* edit, const char* name, const char* field, const char* caption, int top) {
    auto* label = new fw::Label(f, f);
    label->SetBounds(440, top, 150, 18);
    label->SetCaption(caption);
    edit->SetName(name);
    edit->SetBounds(440, top + 18, 150, 24);
    edit->SetDataSource(&f->sWinGL2);
    edit->SetDataField(field);
    return edit;
}
} // namespace

TPEditWindow::TPEditWindow(fw::Component* owner) : kit::TMyForm(owner) {
    SetCaption("Pregled tipova prozora");
    KeyPreview = true;
    resize(820, 460);
    gWinGL2 = new kit::TMyDBGrid(this, this);
    gWinGL2->SetName("gWinGL2");
    gWinGL2->SetBounds(10, 10, 420, 440);
    gWinGL2->SetDataSource(&sWinGL2);
    eSifra = Bind(this, new kit::TDBVar(this, this), "eSifra", "Sifra", "Tip prozora:", 10);
    eNaziv = Bind(this, new kit::TDBName(this, this), "eNaziv", "Naziv", "Naziv tipa prozora:", 58);
    eArtikl = Bind(this, new kit::TDBVar(this, this), "eArtikl", "Code", "Šifra artikla prozora:", 106);
    eSistem = Bind(this, new kit::TDBVar(this, this), "eSistem", "Sistem", "Sistem:", 154);
    Pregled = new kit::TMyBitBtn(this, this);
    Pregled->SetName("Pregled");
    Pregled->SetCaption("Obrada prozora");
    Pregled->SetBounds(440, 420, 150, 30);
    Pregled->OnClick = [this](fw::Component&) { ePregledClick(); };
    Roletna = new QLabel(this);
    Roletna->setGeometry(600, 10, 200, 8);
    Roletna->setStyleSheet("background: gray");
    Roletna->hide();
    PaintBox = new QLabel(this);
    PaintBox->setGeometry(600, 20, 200, 200);
    // The form opens the tables that end its component list.
    tWinGL2 = new kit::TMyTable(this);
    tWinGL2->SetName("tWinGL2");
    tWinGL2->SetDatabaseName("Lokal");
    tWinGL2->SetTableName("WINGL.DB");
    tWinGL2->FreeToInsert = tWinGL2->FreeToModify = tWinGL2->FreeToDelete = true;
    tWinGL2->BeforeDelete = [this](fw::TDataSet&) { tWinGL2BeforeDelete(); };
    sWinGL2.SetDataSet(tWinGL2);
    // Scrolling the grid from elsewhere (the mouse) leaves the preview as it is.
    sWinGL2.OnDataChange = [this](fw::TDataSource&, fw::TField* field) {
        if (!field && ActiveControl() == gWinGL2) Nacrtaj(TrenutniKod());
    };
    OnShow = [this](fw::Component&) { Nacrtaj(TrenutniKod()); };
    OnCloseQuery = [](fw::Component&, bool&) { SharedModel().OslobodiMemoriju(); };
    SetActiveControl(gWinGL2);
}

std::int32_t TPEditWindow::TrenutniKod() const {
    if (!tWinGL2->Active() || tWinGL2->RecordCount() == 0) return 0;
    return tWinGL2->FieldByName("Code").AsInteger();
}

void TPEditWindow::Nacrtaj(std::int32_t code) {
    ModelProzora& m = SharedModel();
    QImage slika(200, 200, QImage::Format_RGB32);
    slika.fill(Qt::white);
    const bool ima = code != 0 && PrenesiProzor(m, code, {});
    if (ima) PaintPreview(slika, m);
    Roletna->setVisible(ima && m.Roletne);
    if (ima) m.OslobodiMemoriju();
    PaintBox->setPixmap(QPixmap::fromImage(slika));
}

void TPEditWindow::SpremiProzor(TEditWindow& designer) {
    const std::int32_t code = TrenutniKod();
    if (code != 0) windows::SpremiProzor(designer.D.Model, code);
    Nacrtaj(code);
}

void TPEditWindow::tWinGL2BeforeDelete() {
    const std::int32_t code = tWinGL2->FieldByName("Code").AsInteger();
    if (code != 0 && !ObrisiElementeTipa(code)) throw base::Abort();
    PaintBox->setPixmap({});
    Roletna->hide();
}

void TPEditWindow::ePregledClick() {
    if (tWinGL2->State() == fw::dsEdit || tWinGL2->State() == fw::dsInsert) tWinGL2->Post();
    const std::int32_t code = TrenutniKod();
    if (code == 0) return; // a type without its sale article cannot be drawn
    const std::int32_t sistem = tWinGL2->FieldByName("Sistem").AsInteger();
    if (sistem == 0) {
        app::ShowInfo("Morate unijeti šifru sistema\n\rza izradu prozora!!!");
        eSistem->SetFocus();
        return;
    }
    gWinGL2->SetFocus();
    PrenesiProzor(SharedModel(), code, {sistem, 0, 0});
    const std::string caption = "Kreiranje tipa: " + base::Trim(tWinGL2->FieldByName("Sifra").AsString()) +
                                " - sistem: " + std::to_string(sistem);
    PrikaziIzraduTipa(this, caption, 1, [this, code](TEditWindow& f) {
        f.SpremiProzor = [this](TEditWindow& d) { SpremiProzor(d); };
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
    PEditWindowForm.PEditWindow->tWinGL2->Open();
}

} // namespace windows
