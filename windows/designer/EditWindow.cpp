#include "windows/designer/EditWindow.h"

#include "app/data/Dialogs.h"
#include "app/shell/FormOpener.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "controls/PrintPreviewForm.h"
#include "fw/ui/Guard.h"
#include "kit/Mycombo.h"
#include "windows/designer/WindowPrinting.h"

#include <charconv>
#include <QPainter>
#include <QTimer>

namespace windows {

EditWindowState EditWindowForm;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { EditWindowForm = EditWindowState(); });

constexpr int StranicaOkvir = 0;
constexpr int StranicaPrecka = 1;

std::optional<int> CijeliBroj(const std::string& tekst) {
    std::size_t od = tekst.find_first_not_of(' ');
    if (od == std::string::npos) return std::nullopt;
    const std::size_t doKraja = tekst.find_last_not_of(' ') + 1;
    int v = 0;
    const char* prvi = tekst.data() + od;
    const char* zadnji = tekst.data() + doKraja;
    const auto [kraj, greska] = std::from_chars(prvi, zadnji, v);
    if (greska != std::errc() || kraj != zadnji) return std::nullopt;
    return v;
}

void Isprazni(fw::Edit& e) {
    e.SetText("");
    e.SetEnabled(false);
}

} // namespace

TEditWindow::TEditWindow(fw::Component* owner, ModelProzora& model) : TMyForm(owner), D(model) {
    SetName("EditWindow");
    SetCaption("Izrada tipova prozora");
    resize(700, 500);
    Build();
    TMyForm::OnShow = [this](fw::Component&) { EditFormShow(); };
    TMyForm::OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift shift) {
        EditFormKeyDown(key, shift);
    };
    TMyForm::OnCloseQuery = [this](fw::Component&, bool& canClose) { canClose = EditFormCloseQuery(); };
    TMyForm::OnClose = [this](fw::Component&, fw::CloseAction&) { EditFormClose(); };
}

fw::SpeedButton* TEditWindow::Dugme(fw::Control* parent, const char* name, const char* caption,
                                    const char* hint, int x, int y, int w, int h) {
    auto* b = new fw::SpeedButton(parent, this);
    b->SetName(name);
    b->SetCaption(caption);
    b->setToolTip(QString::fromUtf8(hint));
    b->SetBounds(x, y, w, h);
    return b;
}

fw::Edit* TEditWindow::Polje(fw::Control* parent, const char* name, int x, int y, int w) {
    auto* e = new fw::Edit(parent, this);
    e->SetName(name);
    e->SetBounds(x, y, w, 21);
    e->SetTabStop(true);
    return e;
}

fw::Label* TEditWindow::Natpis(fw::Control* parent, const char* name, const char* caption, int x, int y) {
    auto* l = new fw::Label(parent, this);
    l->SetName(name);
    l->SetCaption(caption);
    l->SetBounds(x, y, l->Width(), l->Height());
    return l;
}

void TEditWindow::Build() {
    RH = new TRuller(this, this);
    RH->SetName("RH");
    RH->SetBounds(32, 24, 401, 23);
    RV = new TRuller(this, this);
    RV->SetName("RV");
    RV->SetRulDirect(RDirectType::rdVert);
    RV->SetBounds(8, 48, 23, 401);
    for (TRuller* r : {RH, RV}) {
        r->SetRulColor(fw::clNavy);
        r->SetRulNumStepSize(10);
        r->setToolTip("Ravnalo");
        QFont f("Liberation Sans");
        f.setPixelSize(9);
        r->setFont(f);
        r->OnPaint = [this](TRuller& sender, QPainter& p) { RulerMark(sender, p); };
    }
    PaintBox = new DesignerBox(this, this, D);
    PaintBox->SetName("PaintBox");
    PaintBox->SetBounds(32, 48, DesignerBox::Velicina, DesignerBox::Velicina);
    PaintBox->OnMouseDown = [this](MouseButton b, int x, int y) { PaintBoxMouseDown(b, x, y); };
    PaintBox->OnMouseMove = [this](int x, int y) { PaintBoxMouseMove(x, y); };
    PaintBox->OnMouseUp = [this](MouseButton b, int x, int y) { PaintBoxMouseUp(b, x, y); };
    Xpos = Natpis(this, "Xpos", "0", 40, 456);
    Ypos = Natpis(this, "Ypos", "0", 120, 456);

    bOznaci = Dugme(this, "bOznaci", "O", "Samo odabir objekata", 444, 8);
    bOkvir = Dugme(this, "bOkvir", "K", "Krilo ili vrata", 470, 8);
    bHorzPrecka = Dugme(this, "bHorzPrecka", "—", "Vodoravan prečka", 496, 8);
    bVertPrecka = Dugme(this, "bVertPrecka", "|", "Okomita prečka", 522, 8);
    bDupOkvir = Dugme(this, "bDupOkvir", "KK", "Dvostruk krilo ili dvostruka vrata", 548, 8);
    bKvaka = Dugme(this, "bKvaka", "Kv", "Kvaka", 574, 8);
    int alat = AlatOdabir;
    for (fw::SpeedButton* b : {bOznaci, bOkvir, bHorzPrecka, bVertPrecka, bDupOkvir, bKvaka}) {
        b->setCheckable(true);
        b->OnClick = [this, alat](fw::Component&) { ToolClick(alat); };
        ++alat;
    }

    O_gore = Dugme(this, "O_gore", "^", "Otvaranje prema gore", 444, 38);
    O_lijevo = Dugme(this, "O_lijevo", "<", "Otvaranje u lijevo", 470, 38);
    O_desno = Dugme(this, "O_desno", ">", "Otvaranje u desno", 496, 38);
    K_lijevo = Dugme(this, "K_lijevo", "<<", "Klizno otvaranje u lijevo", 522, 38);
    K_desno = Dugme(this, "K_desno", ">>", "Klizno otvaranje u desno", 548, 38);
    int bit = 1;
    for (fw::SpeedButton* b : {O_gore, O_lijevo, O_desno, K_lijevo, K_desno}) {
        b->setCheckable(true);
        b->SetEnabled(false);
        b->OnClick = [this, bit](fw::Component&) { OpeningClick(bit); };
        bit *= 2;
    }
    bUkljuciRoletne = Dugme(this, "bUkljuciRoletne", "Rol", "Roletne (NE/DA)", 584, 38, 30);
    bUkljuciRoletne->setCheckable(true);
    bUkljuciRoletne->OnClick = [this](fw::Component&) { bUkljuciRoletneClick(); };
    brefresh = Dugme(this, "brefresh", "R", "Osvježavanje slike (refresh)", 620, 38);
    brefresh->OnClick = [this](fw::Component&) { brefreshClick(); };

    Natpis(this, "lWidth", "Širina:", 444, 74);
    eWidth = Polje(this, "eWidth", 520, 72, 50);
    eWidth->OnExit = [this](fw::Component&) { eWidthExit(); };
    Natpis(this, "lHeight", "Visina:", 444, 98);
    eHeight = Polje(this, "eHeight", 520, 96, 50);
    eHeight->OnExit = [this](fw::Component&) { eHeightExit(); };
    const char* strelice = "Podešavanje veličine prozora (po 1 mm)";
    bLeft = Dugme(this, "bLeft", "<", strelice, 576, 72, 21, 21);
    bRight = Dugme(this, "bRight", ">", strelice, 598, 72, 21, 21);
    bUp = Dugme(this, "bUp", "^", strelice, 576, 96, 21, 21);
    bDown = Dugme(this, "bDown", "v", strelice, 598, 96, 21, 21);
    bLeft->OnClick = [this](fw::Component&) { bArrowClick(1); };
    bUp->OnClick = [this](fw::Component&) { bArrowClick(2); };
    bRight->OnClick = [this](fw::Component&) { bArrowClick(3); };
    bDown->OnClick = [this](fw::Component&) { bArrowClick(4); };
    cSif_stoka = new TextCombo(this, this);
    cSif_stoka->SetName("cSif_stoka");
    cSif_stoka->setToolTip("Šifra artikla štoka");
    cSif_stoka->SetBounds(444, 460, 240, 22);
    cSif_stoka->OnEnter = [this](fw::Component&) { ArticleEnter(*cSif_stoka); };
    cSif_stoka->OnExit = [this](fw::Component&) { cSif_stokaExit(); };
    Natpis(this, "lDebPrecke", "Debljina profila štoka:", 444, 122);
    eDebPrecke = Polje(this, "eDebPrecke", 600, 120, 40);
    eDebPrecke->SetText("80");
    eDebPrecke->OnExit = [this](fw::Component&) { eDebPreckeExit(); };

    chVrata = new controls::TBitCheckBox(this, this);
    chVrata->SetName("chVrata");
    chVrata->SetCaption("Ulaze krila");
    chVrata->SetBounds(444, 146, 150, 20);
    chVrata->OnClick = [this](fw::Component&) { chVrataClick(); };

    Natpis(this, "lNovaDebljina", "Deb. novog objekta:", 444, 174);
    // Display only: the thickness of new elements comes from the article chosen for them.
    eNovaDebljina = Polje(this, "eNovaDebljina", 600, 172, 40);
    eNovaDebljina->SetText("80");
    eNovaDebljina->SetReadOnly(true);
    eNovaDebljina->SetTabStop(false);
    nNovi = new fw::Notebook(this, this);
    nNovi->SetName("nNovi");
    nNovi->SetBounds(444, 198, 240, 26);
    CNoviArtiklOkvira = new TextCombo(&nNovi->AddPage("Okvir"), this);
    CNoviArtiklOkvira->SetName("CNoviArtiklOkvira");
    CNoviArtiklPrecke = new TextCombo(&nNovi->AddPage("Precka"), this);
    CNoviArtiklPrecke->SetName("CNoviArtiklPrecke");
    for (TextCombo* c : {CNoviArtiklOkvira, CNoviArtiklPrecke}) {
        c->SetBounds(0, 0, 240, 22);
        c->OnExit = [this, c](fw::Component&) { CNoviArtiklExit(*c); };
    }
    nNovi->SetPageIndex(StranicaOkvir);

    nOznaceni = new fw::Notebook(this, this);
    nOznaceni->SetName("nOznaceni");
    nOznaceni->SetBounds(444, 228, 240, 26);
    cOznArtiklOkvira = new TextCombo(&nOznaceni->AddPage("Okvir"), this);
    cOznArtiklOkvira->SetName("cOznArtiklOkvira");
    cOznArtiklOkvira->SetBounds(0, 0, 240, 22);
    cOznArtiklOkvira->SetEnabled(false);
    cOznArtiklPrecke = new TextCombo(&nOznaceni->AddPage("Precka"), this);
    cOznArtiklPrecke->SetName("cOznArtiklPrecke");
    cOznArtiklPrecke->SetBounds(0, 0, 240, 22);
    nOznaceni->SetPageIndex(StranicaPrecka);
    cOznArtiklOkvira->OnEnter = [this](fw::Component&) { ArticleEnter(*cOznArtiklOkvira); };
    cOznArtiklOkvira->OnExit = [this](fw::Component&) { cOznArtiklOkviraExit(); };
    cOznArtiklPrecke->OnEnter = [this](fw::Component&) { ArticleEnter(*cOznArtiklPrecke); };
    cOznArtiklPrecke->OnExit = [this](fw::Component&) { cOznArtiklPreckeExit(); };

    Natpis(this, "lDebljina", "Deb.:", 444, 262);
    eDebljina = Polje(this, "eDebljina", 480, 260, 40);
    eDebljina->SetReadOnly(true);
    eDebljina->SetTabStop(false);
    cLajsna = new TextCombo(this, this);
    cLajsna->SetName("cLajsna");
    cLajsna->SetBounds(540, 260, 60, 22);
    cLajsna->SetItems({"45", "25"});
    cLajsna->SetText("45");
    cLajsna->Hide();
    cLajsna->OnExit = [this](fw::Component&) { cLajsnaExit(); };

    Natpis(this, "lOkomito", "X pozicija (okomito):", 444, 290);
    OOkomito = Polje(this, "OOkomito", 600, 288, 40);
    OOkomito->SetMaxLength(4);
    OOkomito->OnExit = [this](fw::Component&) { OOkomitoExit(); };
    Natpis(this, "lVodoravno", "Y pozicija (vodoravno):", 444, 314);
    OVodoravno = Polje(this, "OVodoravno", 600, 312, 40);
    OVodoravno->SetMaxLength(4);
    OVodoravno->OnExit = [this](fw::Component&) { OVodoravnoExit(); };
    OLijevo = Natpis(this, "OLijevo", "", 444, 340);
    ODesno = Natpis(this, "ODesno", "", 520, 340);
    OGore = Natpis(this, "OGore", "", 444, 358);
    ODolje = Natpis(this, "ODolje", "", 520, 358);

    bBrisi = new fw::BitBtn(this, this);
    bBrisi->SetName("bBrisi");
    bBrisi->SetCaption("Briši");
    bBrisi->setToolTip("Brisanje objekta  <Ctrl+Delete>");
    bBrisi->SetBounds(444, 384, 100, 25);
    bBrisi->SetTabStop(true);
    bBrisi->OnClick = [this](fw::Component&) { bBrisiClick(); };
    eOmjer = new controls::TPlSpinEdit(this, this);
    eOmjer->SetName("eOmjer");
    eOmjer->SetMinValue(10);
    eOmjer->SetMaxValue(250);
    eOmjer->SetIncrement(10);
    eOmjer->SetValue(50);
    eOmjer->setToolTip("Omjer ispisa (npr.  1:50)");
    eOmjer->SetBounds(560, 386, 60, 21);
    bISPIS = new fw::BitBtn(this, this);
    bISPIS->SetName("bISPIS");
    bISPIS->SetCaption("IS&PIS...");
    bISPIS->SetBounds(444, 414, 100, 25);
    bISPIS->SetTabStop(true);
    bISPIS->OnClick = [this](fw::Component&) { bISPISClick(); };
    PrinterSetup = new fw::BitBtn(this, this);
    PrinterSetup->SetName("PrinterSetup");
    PrinterSetup->SetCaption("Podaci o pisaču...");
    PrinterSetup->SetBounds(550, 414, 130, 25);
    PrinterSetup->SetTabStop(true);
    PrinterSetup->OnClick = [this](fw::Component&) {
        if (controls::PrinterSetupProc) controls::PrinterSetupProc(this);
    };
}

// ----------------------------------------------------------------------------------------------- showing

void TEditWindow::EditFormShow() {
    D.Reset();
    PostaviAlat(AlatOkomitaPrecka);
    PrikaziVrata();
    cLajsna->Hide();
    bUkljuciRoletne->setChecked(D.Model.Roletne);
    eWidth->SetText(std::to_string(D.Model.MaxRight > 0 ? D.Model.MaxRight : 2400));
    eHeight->SetText(std::to_string(D.Model.MaxBottom > 0 ? D.Model.MaxBottom : 2400));
    PrijenosArtikala();
    eWidth->SetFocus();
    Isprazni(*OOkomito);
    Isprazni(*OVodoravno);
    auto mjera = [](fw::Edit& e) { return std::clamp(CijeliBroj(e.Text()).value_or(2400), 1, 9999); };
    D.Model.Sirina = static_cast<std::int16_t>(mjera(*eWidth));
    D.Model.Visina = static_cast<std::int16_t>(mjera(*eHeight));
    // A stored frame opens as it was saved; only a frame not drawn yet takes its article's thickness.
    if (NovOkvir()) D.Model.DebStoka = static_cast<std::int16_t>(mjera(*eDebPrecke));
    eDebPrecke->SetText(std::to_string(D.Model.DebStoka));
    CalcRuller();
    nNovi->SetPageIndex(StranicaOkvir);
    ToolClick(AlatOkomitaPrecka);
    D.Razmak = sustav_.Razmak;
    PostaviNovuDebljinu(CijeliBroj(eNovaDebljina->Text()).value_or(80));
    ShowSelectionData();
    OsvjeziSliku();
}

bool TEditWindow::NovOkvir() const {
    return D.Model.DebStoka < 1 || D.Model.MaxRight <= 0;
}

void TEditWindow::CalcRuller() {
    D.CalcRuller();
    // Each number reads the millimetres at its tick, as every other figure of the designer does: a tick is
    // Mjerilo / RulRange millimetres, and a number stands at every RulNumStep-th tick.
    for (TRuller* r : {RH, RV})
        if (r->RulRange() > 0)
            r->SetRulNumStepSize(static_cast<std::int16_t>(D.Mjerilo / r->RulRange() * r->RulNumStep()));
    DrawCoords();
}

void TEditWindow::DrawCoords() {
    auto mm = [this](int piksel) { return piksel < 0 || D.Mjerilo <= 0 ? 0 : piksel * D.Mjerilo / 400; };
    Xpos->SetCaption(std::to_string(mm(D.KursorX)));
    Ypos->SetCaption(std::to_string(mm(D.KursorY)));
}

void TEditWindow::OsvjeziSliku() {
    PaintBox->Redraw();
    UpdateOpeningButtons();
}

void TEditWindow::UpdateOpeningButtons() {
    const TOkvir* s = D.OznacenaPrecka ? nullptr : D.OznaceniOkvir;
    int bit = 1;
    for (fw::SpeedButton* b : {O_gore, O_lijevo, O_desno, K_lijevo, K_desno}) {
        b->SetEnabled(s != nullptr);
        b->setChecked(s && (s->Otvaranje & bit));
        bit *= 2;
    }
}

void TEditWindow::RulerMark(TRuller& r, QPainter& p) {
    const int polozaj = r.RulDirect() == RDirectType::rdHorz ? D.KursorX : D.KursorY;
    if (polozaj < 0) return;
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor aqua = fw::ToQColor(0xFFFF00);
    if (r.RulDirect() == RDirectType::rdHorz)
        p.fillRect(QRect(polozaj, 0, 1, r.Height()), aqua);
    else
        p.fillRect(QRect(0, polozaj, r.Width(), 1), aqua);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ------------------------------------------------------------------------------------------------- mouse

void TEditWindow::PaintBoxMouseDown(MouseButton button, int x, int y) {
    if (button == MouseButton::Right) {
        if (D.HitsSelection(x, y)) bBrisiClick();
        return;
    }
    D.MouseDown(button, x, y);
    OsvjeziSliku();
}

void TEditWindow::PaintBoxMouseMove(int x, int y) {
    D.MouseMove(x, y);
    DrawCoords();
    RH->update();
    RV->update();
    PaintBox->update();
}

void TEditWindow::PaintBoxMouseUp(MouseButton button, int x, int y) {
    if (button != MouseButton::Left) return;
    D.MouseUp(button, x, y);
    OsvjeziSliku();
    ShowSelectionData();
}

std::string TEditWindow::TekstArtikla(std::int32_t code) const {
    if (!Artikli) return {};
    const auto a = Artikli->ByCode(code);
    return a ? a->Tekst() : std::string();
}

void TEditWindow::PrikaziIzmjenu() {
    OsvjeziSliku();
    if (D.OznacenaPrecka || D.OznaceniOkvir) ShowSelectionData(false);
}

void TEditWindow::ShowSelectionData(bool fokus) {
    const TOkvir* s = D.OznaceniOkvir;
    const TPrecka* p = D.OznacenaPrecka;
    auto okviri = [this](int l, int r, int t, int b) {
        OLijevo->SetCaption(std::to_string(l));
        ODesno->SetCaption(std::to_string(r));
        OGore->SetCaption(std::to_string(t));
        ODolje->SetCaption(std::to_string(b));
    };
    auto pozicija = [](fw::Edit& e, int v) {
        e.SetEnabled(true);
        e.SetText(std::to_string(v));
    };
    if (p) {
        nOznaceni->SetPageIndex(StranicaPrecka);
        cOznArtiklOkvira->Clear();
        cOznArtiklOkvira->SetEnabled(false);
        cLajsna->Hide();
        okviri(p->L, p->R, p->T, p->B);
        eDebljina->SetText(std::to_string(p->Debljina));
        cOznArtiklPrecke->SetText(TekstArtikla(p->ArtiklPrecke));
        if (p->Vodoravna) {
            Isprazni(*OOkomito);
            pozicija(*OVodoravno, (p->T + p->B) / 2);
        } else {
            Isprazni(*OVodoravno);
            pozicija(*OOkomito, (p->L + p->R) / 2);
        }
        return;
    }
    if (s) {
        nOznaceni->SetPageIndex(StranicaOkvir);
        cOznArtiklOkvira->SetEnabled(true);
        cLajsna->SetVisible(s->Lajsna > 0);
        if (s->Lajsna > 0) cLajsna->SetText(std::to_string(s->Lajsna));
        eDebljina->SetText(std::to_string(s->DebProfila));
        Isprazni(*OVodoravno);
        if (s->Par)
            pozicija(*OOkomito, s->R1 == s->Par->L1 ? s->R1 : s->Par->R1);
        else
            Isprazni(*OOkomito);
        okviri(s->L1, s->R1, s->T1, s->B1);
        cOznArtiklOkvira->SetText(TekstArtikla(s->ArtiklOkvira));
        if (fokus) cOznArtiklOkvira->SetFocus();
        return;
    }
    nOznaceni->SetPageIndex(StranicaPrecka);
    if (fokus) eWidth->SetFocus();
    for (fw::Label* l : {OLijevo, ODesno, OGore, ODolje})
        l->SetCaption("");
    Isprazni(*OVodoravno);
    Isprazni(*OOkomito);
    eDebljina->SetText("");
    cOznArtiklOkvira->Clear();
    cOznArtiklPrecke->Clear();
    cOznArtiklOkvira->SetEnabled(false);
    cLajsna->Hide();
}

// --------------------------------------------------------------------------------------------------- keys

void TEditWindow::EditFormKeyDown(std::uint16_t& key, fw::Shift shift) {
    // Alt+arrows move the selected mullion here; they never move the focus.
    if (shift == fw::ssAlt && fw::IsArrowKey(key)) {
        const int smjer = key == fw::VK_LEFT ? 1 : key == fw::VK_UP ? 2 : key == fw::VK_RIGHT ? 3 : 4;
        key = 0;
        D.PomakniPrecku(smjer);
        OsvjeziSliku();
        ShowSelectionData();
        return;
    }
    if (key == fw::VK_DELETE && shift == fw::ssCtrl) {
        key = 0;
        bBrisiClick();
        return;
    }
    // Esc and Enter are the kit's: Esc closes the form, Enter moves to the next control.
    kit::CodeListKeyDown(this, key, shift, eOmjer, eWidth, false);
}

// ------------------------------------------------------------------------------------------ tools, modes

void TEditWindow::PostaviAlat(int alat) {
    D.Alat = alat;
    int i = AlatOdabir;
    for (fw::SpeedButton* b : {bOznaci, bOkvir, bHorzPrecka, bVertPrecka, bDupOkvir, bKvaka})
        b->setChecked(i++ == alat);
}

void TEditWindow::ToolClick(int alat) {
    PostaviAlat(alat);
    if (alat == AlatOkvir || alat == AlatDvostrukiOkvir) {
        nNovi->SetPageIndex(StranicaOkvir);
        TraziArtiklOkvira();
    } else if (alat == AlatVodoravnaPrecka || alat == AlatOkomitaPrecka) {
        nNovi->SetPageIndex(StranicaPrecka);
        TraziArtiklPrecke();
    }
}

void TEditWindow::OpeningClick(int bit) {
    D.NacinOtvaranja(bit);
    OsvjeziSliku();
}

void TEditWindow::bUkljuciRoletneClick() {
    D.ToggleRoletne();
    bUkljuciRoletne->setChecked(D.Model.Roletne);
}

// --------------------------------------------------------------------------------------- sizes and edits

int TEditWindow::Broj(fw::Edit& edit, int trenutni, int najmanji, int najveci) {
    const auto v = CijeliBroj(edit.Text());
    if (v && *v >= najmanji && *v <= najveci) return *v;
    fw::MessageBeep(0);
    edit.SetText(std::to_string(trenutni));
    edit.SelectAll();
    throw base::Abort();
}

void TEditWindow::eWidthExit() {
    const int v = Broj(*eWidth, D.Model.Sirina, 1, ModelProzora::NajvecaVelicina);
    if (v == D.Model.Sirina) return;
    eWidth->SetText(std::to_string(D.SetWidth(v)));
    eWidth->SelectAll();
    CalcRuller();
    PrikaziIzmjenu();
}

void TEditWindow::eHeightExit() {
    // The height has the width's upper limit: a larger side would overflow the scale.
    const int v = Broj(*eHeight, D.Model.Visina, 1, ModelProzora::NajvecaVelicina);
    if (v == D.Model.Visina) return;
    eHeight->SetText(std::to_string(D.SetHeight(v)));
    eHeight->SelectAll();
    CalcRuller();
    PrikaziIzmjenu();
}

void TEditWindow::eDebPreckeExit() {
    const int v = Broj(*eDebPrecke, D.Model.DebStoka, 1, ModelProzora::NajvecaVelicina);
    if (v == D.Model.DebStoka) return;
    eDebPrecke->SetText(std::to_string(D.SetFrameThickness(v)));
    CalcRuller();
    PrikaziIzmjenu();
}

void TEditWindow::bArrowClick(int smjer) {
    D.Arrow(smjer);
    eWidth->SetText(std::to_string(D.Model.Sirina));
    eHeight->SetText(std::to_string(D.Model.Visina));
    CalcRuller();
    PrikaziIzmjenu();
}

void TEditWindow::PostaviNovuDebljinu(int debljina) {
    D.NovaDebljina = std::max(1, debljina);
    eNovaDebljina->SetText(std::to_string(D.NovaDebljina));
}

void TEditWindow::OOkomitoExit() {
    if (!OOkomito->Enabled()) return;
    TPrecka* p = D.OznacenaPrecka;
    TOkvir* s = D.OznaceniOkvir;
    const auto v = CijeliBroj(OOkomito->Text());
    if (v && D.Mjerilo > 0) {
        if (p && p->Vodoravna == 0) {
            const int d = *v - (p->L + p->R) / 2;
            if (d != 0) D.Izmijenjeno = true;
            D.Model.PomakniPrecku(s, p, d < 0 ? 1 : 3, std::abs(d), D.Scale());
        } else if (!p && s && s->Par) {
            const int sredina = s->R1 == s->Par->L1 ? s->R1 : s->Par->R1;
            if (*v != sredina) D.Izmijenjeno = true;
            D.Model.PomakniSredinuOkvira(s, *v - sredina, D.Scale());
        }
        OsvjeziSliku();
    }
    ShowSelectionData(false);
    OOkomito->SelectAll();
}

void TEditWindow::OVodoravnoExit() {
    if (!OVodoravno->Enabled()) return;
    TPrecka* p = D.OznacenaPrecka;
    const auto v = CijeliBroj(OVodoravno->Text());
    if (v && p && p->Vodoravna && D.Mjerilo > 0) {
        const int d = *v - (p->T + p->B) / 2;
        if (d != 0) D.Izmijenjeno = true;
        D.Model.PomakniPrecku(D.OznaceniOkvir, p, d < 0 ? 2 : 4, std::abs(d), D.Scale());
        OsvjeziSliku();
    }
    ShowSelectionData(false);
    OVodoravno->SelectAll();
}

void TEditWindow::cLajsnaExit() {
    TOkvir* s = D.OznacenaPrecka ? nullptr : D.OznaceniOkvir;
    if (!s || s->Lajsna <= 0) return;
    const auto v = CijeliBroj(cLajsna->Text());
    if (v == s->Lajsna) return;
    const int b1 = v ? D.Model.MaxBottom - *v + D.Model.Preklapanje : 0;
    const int b2 = b1 - s->DebProfila;
    // The leaf must keep its glazing and its mullions must keep their length.
    bool moze = v && *v > 0 && b2 > s->T2 && b1 <= D.Model.MaxBottom;
    for (const TPrecka& p : s->Precke)
        if (moze && p.Vodoravna && p.B >= b2) moze = false;
    for (const TPrecka& p : s->Precke)
        if (moze && !p.Vodoravna && p.B == s->B2 && b2 - p.T < 30) moze = false;
    if (!moze) {
        fw::MessageBeep(0);
        cLajsna->SetText(std::to_string(s->Lajsna));
        throw base::Abort();
    }
    for (TPrecka& p : s->Precke)
        if (!p.Vodoravna && p.B == s->B2) p.B = static_cast<std::int16_t>(b2);
    s->B1 = static_cast<std::int16_t>(b1);
    s->B2 = static_cast<std::int16_t>(b2);
    s->Lajsna = static_cast<std::int16_t>(*v);
    D.Izmijenjeno = true;
    PrikaziIzmjenu();
}

void TEditWindow::PrikaziVrata() {
    chVrata->SetChecked(D.Model.Vrata);
    chVrata->SetCaption(D.Model.Vrata ? "Ulaze vrata" : "Ulaze krila");
}

void TEditWindow::chVrataClick() {
    bool naDnu = false;
    for (const TOkvir& s : D.Model.Okviri)
        if (s.Lajsna > 0 || s.B1 >= D.Model.WinBottom) naDnu = true;
    if (naDnu) {
        app::ShowInfo(
            "Promjena opcije je dopuštena samo\r\nkada nema u prozoru ili vratima\r\ndrugih objekata "
            "!!!\r\n\r\nObrišite unutarnje objekte pa\r\ntada promijenite opciju!!!");
    } else {
        D.Model.Vrata = !D.Model.Vrata;
        D.Izmijenjeno = true;
    }
    PrikaziVrata();
    TraziArtiklOkvira();
    OsvjeziSliku();
}

// ------------------------------------------------------------------------------------ delete, print, close

void TEditWindow::bBrisiClick() {
    if (!D.DeleteSelection()) return;
    ShowSelectionData();
    cOznArtiklPrecke->Clear();
    eWidth->SetFocus();
    OsvjeziSliku();
}

void TEditWindow::brefreshClick() {
    OsvjeziSliku();
}

void TEditWindow::bISPISClick() {
    if (!controls::Ispis) controls::CreateIspis();
    // The printout is named after the type the form's caption names.
    const int n =
        PrintType(*controls::Ispis->Prn, D.Model, static_cast<int>(eOmjer->Value()), Caption().toStdString());
    if (n <= 0) return;
    eOmjer->SetValue(n);
    controls::Ispis->ShowPreview();
}

bool TEditWindow::EditFormCloseQuery() {
    // A save that did not store the model (the user was told why, or said "Ne" to overwriting another
    // station's type or to trying a lock again) keeps the designer open with the drawing.
    bool zatvori = true;
    fw::Guarded([&] {
        if (D.Izmijenjeno && app::AskYesNo("Želite li sačuvati promjene ?")) {
            zatvori = false;
            if (!SpremiProzor || SpremiProzor(*this)) zatvori = true;
        } else if (Nacrtaj) {
            Nacrtaj(*this);
        }
    });
    return zatvori;
}

void TEditWindow::EditFormClose() {
    D.OznacenaPrecka = nullptr;
    D.OznaceniOkvir = nullptr;
    D.AktivniOkvir = nullptr;
    D.PritisnutaPrecka = nullptr;
    D.PritisnutiOkvir = nullptr;
    D.Model.Preklapanje = 0;
    for (TextCombo* c :
         {cSif_stoka, cOznArtiklOkvira, cOznArtiklPrecke, CNoviArtiklOkvira, CNoviArtiklPrecke}) {
        c->SetItems({});
        c->Clear();
    }
}

// -------------------------------------------------------------------------------------------- articles

void TEditWindow::PrijenosArtikala() {
    sustav_ = ArtikliSustava ? ArtikliSustava(*this) : SystemArticles();
    D.Model.Preklapanje = static_cast<std::int16_t>(sustav_.Preklapanje);
    auto tekstovi = [](std::initializer_list<const std::optional<ProfileArticle>*> lista) {
        std::vector<std::string> out;
        for (const auto* a : lista)
            if (*a) out.push_back((*a)->Tekst());
        return out;
    };
    const std::vector<std::string> precke = tekstovi({&sustav_.Precka});
    cOznArtiklPrecke->SetItems(precke);
    cOznArtiklPrecke->SetText(sustav_.Precka ? sustav_.Precka->Tekst() : "");
    if (sustav_.Precka) {
        PostaviNovuDebljinu(sustav_.Precka->Debljina);
        D.NoviArtiklPrecke = sustav_.Precka->Code;
    }
    const auto stok = Artikli ? Artikli->ByCode(D.Model.ArtiklStoka) : std::nullopt;
    cSif_stoka->SetText(stok ? stok->Tekst() : "");
    if (!NovOkvir())
        eDebPrecke->SetText(std::to_string(D.Model.DebStoka));
    else if (stok && stok->Debljina > 0)
        eDebPrecke->SetText(std::to_string(stok->Debljina));
    const std::vector<std::string> okviri = tekstovi({&sustav_.Okvir, &sustav_.KlizniOkvir, &sustav_.Vrata});
    cOznArtiklOkvira->SetItems(okviri);
    CNoviArtiklOkvira->SetItems(okviri);
    CNoviArtiklPrecke->SetItems(precke);
    CNoviArtiklPrecke->SetText(cOznArtiklPrecke->Text());
}

void TEditWindow::TraziArtiklPrecke() {
    if (sustav_.Precka) PostaviNovuDebljinu(sustav_.Precka->Debljina);
}

void TEditWindow::TraziArtiklOkvira() {
    // A door takes the door leaf; a window its ordinary sash (not the sliding one).
    const std::optional<ProfileArticle>& novi = D.Model.Vrata ? sustav_.Vrata : sustav_.Okvir;
    if (novi) {
        CNoviArtiklOkvira->SetText(novi->Tekst());
        D.NoviArtiklOkvira = novi->Code;
    }
    D.Model.Preklapanje = static_cast<std::int16_t>(sustav_.Preklapanje);
    if (sustav_.Okvir) PostaviNovuDebljinu(sustav_.Okvir->Debljina);
}

void TEditWindow::ArticleEnter(TextCombo& combo) {
    zapamceno_ = combo.Text();
}

std::optional<ProfileArticle> TEditWindow::NadjiArtikl(const std::string& tekst) const {
    if (!Artikli) return std::nullopt;
    const std::size_t razdjel = tekst.find(" : ");
    if (razdjel != std::string::npos) return Artikli->BySifra(tekst.substr(0, razdjel));
    return Artikli->NearestSifra(base::UpperCase(tekst));
}

std::optional<ProfileArticle> TEditWindow::UpisaniArtikl(const TextCombo& combo) const {
    const std::string tekst = combo.Text();
    if (base::Trim(tekst).empty() || tekst == zapamceno_) return std::nullopt;
    return NadjiArtikl(tekst);
}

void TEditWindow::OdbijArtikl(TextCombo& combo, const std::string& poruka) {
    combo.SetText(zapamceno_);
    app::ShowInfo(poruka);
    throw base::Abort();
}

void TEditWindow::cSif_stokaExit() {
    const auto a = UpisaniArtikl(*cSif_stoka);
    if (!a || a->Code == D.Model.ArtiklStoka) {
        cSif_stoka->SetText(a ? a->Tekst() : zapamceno_);
        return;
    }
    // An article without a profile thickness would leave the window without a frame.
    if (a->Debljina < 1) OdbijArtikl(*cSif_stoka, "Artikl koji ste odabrali nema debljinu profila!!!");
    if (D.Mjerilo > 0 && a->Debljina - D.Model.DebStoka > D.Model.MaxDebljinaStoka(D.Scale()))
        OdbijArtikl(*cSif_stoka, "Debljina artikla koji ste odabrali je prevelika!!!");
    D.Model.ArtiklStoka = a->Code;
    D.Izmijenjeno = true;
    cSif_stoka->SetText(a->Tekst());
    eDebPrecke->SetText(std::to_string(D.SetFrameThickness(a->Debljina)));
    CalcRuller();
    PrikaziIzmjenu();
}

void TEditWindow::cOznArtiklOkviraExit() {
    TOkvir* s = D.OznacenaPrecka ? nullptr : D.OznaceniOkvir;
    const auto a = UpisaniArtikl(*cOznArtiklOkvira);
    if (s && !a) cOznArtiklOkvira->SetText(TekstArtikla(s->ArtiklOkvira));
    if (!s || !a || D.Mjerilo <= 0 || a->Code == s->ArtiklOkvira) return;
    if (a->Debljina < 1 || a->Debljina - s->DebProfila > D.Model.MaxPomakDebljineOkvira(s, D.Scale()))
        OdbijArtikl(*cOznArtiklOkvira, "Debljina artikla koji ste odabrali za okvir je prevelika !!!");
    D.Model.PromijeniDebljinuOkvira(s, a->Debljina, D.Scale());
    // Both leaves of a double sash are one profile.
    s->ArtiklOkvira = a->Code;
    if (s->Par) s->Par->ArtiklOkvira = a->Code;
    D.Izmijenjeno = true;
    cOznArtiklOkvira->SetText(a->Tekst());
    eDebljina->SetText(std::to_string(s->DebProfila));
    PrikaziIzmjenu();
}

void TEditWindow::cOznArtiklPreckeExit() {
    TPrecka* p = D.OznacenaPrecka;
    const auto a = UpisaniArtikl(*cOznArtiklPrecke);
    if (p && !a) cOznArtiklPrecke->SetText(TekstArtikla(p->ArtiklPrecke));
    if (!p || !a || D.Mjerilo <= 0 || a->Code == p->ArtiklPrecke) return;
    const bool okomita = p->Vodoravna == 0;
    const int slobodno = std::min(D.Model.MaxPomakPrecke(D.OznaceniOkvir, p, okomita ? 1 : 2, D.Scale()),
                                  D.Model.MaxPomakPrecke(D.OznaceniOkvir, p, okomita ? 3 : 4, D.Scale()));
    if (a->Debljina < 1 || a->Debljina - p->Debljina > 2 * slobodno)
        OdbijArtikl(*cOznArtiklPrecke, "Debljina artikla koji ste odabrali za prečku je prevelika!!!");
    D.Model.PromijeniDebljinuPrecke(D.OznaceniOkvir, p, a->Debljina, D.Scale());
    p->ArtiklPrecke = a->Code;
    D.Izmijenjeno = true;
    cOznArtiklPrecke->SetText(a->Tekst());
    eDebljina->SetText(std::to_string(p->Debljina));
    PrikaziIzmjenu();
}

void TEditWindow::CNoviArtiklExit(TextCombo& combo) {
    const auto a = NadjiArtikl(combo.Text());
    if (!a) return;
    combo.SetText(a->Tekst());
    if (&combo == CNoviArtiklPrecke) {
        D.NoviArtiklPrecke = a->Code;
    } else {
        D.NoviArtiklOkvira = a->Code;
        if ((D.Alat == AlatOkvir || D.Alat == AlatDvostrukiOkvir) && a->Debljina > 0)
            PostaviNovuDebljinu(a->Debljina);
    }
    // After the exit has finished: the focus is still on its way to the control the user chose.
    QTimer::singleShot(0, this, [this] {
        eWidth->SetFocus();
        eWidth->SelectAll();
    });
}

void PrikaziIzraduTipa(fw::Form* sender, const std::string& caption, int mode,
                       const std::function<void(TEditWindow&)>& prepare) {
    app::OpenForm<TEditWindow>(EditWindowForm.EditWindow, sender, [&](TEditWindow& f) {
        f.SetCaption(caption);
        f.D.NacinRada = mode;
        if (prepare) prepare(f);
    });
}

} // namespace windows
