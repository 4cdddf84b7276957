#include "windows/designer/Designer.h"

#include "base/Exceptions.h"
#include "windows/designer/Transforms.h"

#include <algorithm>
#include <cstdlib>

namespace windows {

namespace {

// The box is 401 pixels; a drag may carry the mouse past it.
constexpr int ZadnjiPiksel = 400;

} // namespace

void Designer::ClearPointers() {
    OznacenaPrecka = nullptr;
    OznaceniOkvir = nullptr;
    AktivniOkvir = nullptr;
    PritisnutaPrecka = nullptr;
    PritisnutiOkvir = nullptr;
}

void Designer::Reset() {
    Izmijenjeno = false;
    DuhVidljiv = MisDolje = PovlacenjeSpremno = Povlacenje = Pomaknuto = PomakTipkom = false;
    ClearPointers();
    Mjerilo = 0;
    KursorX = KursorY = -1;
    Alat = AlatOkomitaPrecka;
}

void Designer::CalcRuller() {
    Mjerilo = DesignerScale(Model.Sirina, Model.Visina);
    Model.IzracunajRubove();
}

int Designer::UMm(int piksel) const {
    return ScreenTransform(Mjerilo).Milimetar(std::clamp(piksel, 0, ZadnjiPiksel));
}

void Designer::MouseDown(MouseButton button, int x, int y) {
    if (Mjerilo <= 0 || button != MouseButton::Left) return;
    MisX = UMm(x), MisY = UMm(y);
    if (!Model.UnutarOkvira(MisX, MisY)) return;
    MisDolje = true;
    const Pogodak p = Model.Pogodi(MisX, MisY);
    TOkvir* okvir = p.Okvir;
    TPrecka* precka = p.Precka;
    if (!okvir && !precka) {
        switch (Alat) {
        case AlatOkvir:
            Izmijenjeno = true;
            okvir = Model.DodajOkvir(MisX, MisY, NovaDebljina, NoviArtiklOkvira, VisinaLajsne);
            break;
        case AlatDvostrukiOkvir:
            if (TOkvir* desni = Model.DodajDvostrukiOkvir(MisX, MisY, NovaDebljina, Razmak, NoviArtiklOkvira,
                                                          VisinaLajsne)) {
                Izmijenjeno = true;
                okvir = MisX < desni->L1 ? desni->Par : desni;
            }
            break;
        case AlatVodoravnaPrecka:
        case AlatOkomitaPrecka: {
            Izmijenjeno = true;
            okvir = Model.OtvorNaTocki(MisX, MisY).Okvir;
            precka =
                Model.DodajPrecku(MisX, MisY, Alat == AlatVodoravnaPrecka, NovaDebljina, NoviArtiklPrecke);
            if (precka && okvir) AktivniOkvir = okvir;
            break;
        }
        default:
            break;
        }
    } else if (okvir && !precka && Alat == AlatKvaka) {
        Model.PostaviKvaku(okvir, MisX, MisY, Scale());
        AktivniOkvir = okvir;
        Izmijenjeno = true;
    }
    PovlacenjeSpremno = true;
    Povlacenje = false;
    PritisnutiOkvir = okvir;
    PritisnutaPrecka = precka;
}

bool Designer::HitsSelection(int x, int y) {
    if (Mjerilo <= 0) return false;
    // Only the very element that is selected: a click elsewhere on the sash of a selected mullion is not it.
    const Pogodak p = Model.Pogodi(UMm(x), UMm(y));
    if (p.Precka) return p.Precka == OznacenaPrecka;
    return p.Okvir && p.Okvir == OznaceniOkvir && !OznacenaPrecka;
}

void Designer::MouseMove(int x, int y) {
    KursorX = std::clamp(x, 0, ZadnjiPiksel);
    KursorY = std::clamp(y, 0, ZadnjiPiksel);
    if (Mjerilo <= 0 || !PovlacenjeSpremno || !MisDolje || !PritisnutaPrecka) return;
    Izmijenjeno = Pomaknuto = Povlacenje = true;
    const TPrecka& m = *PritisnutaPrecka;
    const windows::Mjerilo mj = Scale();
    DuhL = m.L, DuhT = m.T, DuhR = m.R, DuhB = m.B;
    if (m.Vodoravna == 0) {
        const int w = m.R - m.L;
        DuhL = std::max(UMm(x) - w / 2, m.L - Model.MaxPomakPrecke(PritisnutiOkvir, &m, 1, mj));
        DuhL = std::min(DuhL, m.R + Model.MaxPomakPrecke(PritisnutiOkvir, &m, 3, mj) - w);
        DuhR = DuhL + w;
    } else {
        const int h = m.B - m.T;
        DuhT = std::max(UMm(y) - h / 2, m.T - Model.MaxPomakPrecke(PritisnutiOkvir, &m, 2, mj));
        DuhT = std::min(DuhT, m.B + Model.MaxPomakPrecke(PritisnutiOkvir, &m, 4, mj) - h);
        DuhB = DuhT + h;
    }
    DuhVidljiv = true;
}

void Designer::MouseUp(MouseButton button, int, int) {
    if (button != MouseButton::Left) return;
    const bool istiOdabir = OznaceniOkvir == PritisnutiOkvir && OznacenaPrecka == PritisnutaPrecka;
    if (istiOdabir && Alat != AlatKvaka && !Pomaknuto) {
        ClearPointers();
    } else {
        OznaceniOkvir = PritisnutiOkvir;
        OznacenaPrecka = PritisnutaPrecka;
    }
    Pomaknuto = false;
    AktivniOkvir = OznaceniOkvir;
    MisDolje = false;
    if (Povlacenje && PritisnutaPrecka) {
        TPrecka* m = PritisnutaPrecka;
        const bool okomita = m->Vodoravna == 0;
        const int delta = okomita ? DuhL - m->L : DuhT - m->T;
        if (delta != 0) {
            const int smjer = okomita ? (delta < 0 ? 1 : 3) : (delta < 0 ? 2 : 4);
            Model.RePaintPomak(PritisnutiOkvir, m, smjer, delta);
            OznacenaPrecka = m;
        }
        PritisnutaPrecka = nullptr;
        PritisnutiOkvir = nullptr;
    }
    Povlacenje = false;
    PovlacenjeSpremno = false;
    DuhVidljiv = false;
}

void Designer::PomakniPrecku(int smjer) {
    if (!OznacenaPrecka || Mjerilo <= 0) return;
    const bool okomita = OznacenaPrecka->Vodoravna == 0;
    if ((smjer == 1 || smjer == 3) != okomita) return;
    int korak = Mjerilo / 400;
    if (smjer == 1 || smjer == 2) korak = -korak;
    const int granica = Model.MaxPomakPrecke(OznaceniOkvir, OznacenaPrecka, smjer, Scale());
    if (std::abs(korak) > std::abs(granica)) return;
    PomakTipkom = true;
    Model.RePaintPomak(OznaceniOkvir, OznacenaPrecka, smjer, korak);
    // A move from the keyboard is a change like any other: closing must offer to save it.
    if (korak != 0) Izmijenjeno = true;
}

bool Designer::DeleteSelection() {
    if (!OznacenaPrecka && !OznaceniOkvir) return false;
    Izmijenjeno = true;
    bool obrisano = false;
    if (OznacenaPrecka) {
        // A selected mullion takes precedence over the sash that holds it: one element per command.
        if (Model.MozeBrisatiPrecku(OznaceniOkvir, OznacenaPrecka)) {
            Model.DelPrecka(OznaceniOkvir, OznacenaPrecka);
            obrisano = true;
        }
    } else if (Model.MozeBrisatiOkvir(OznaceniOkvir)) {
        Model.ObrisiOkvirSParom(OznaceniOkvir);
        obrisano = true;
    }
    if (obrisano) ClearPointers();
    return obrisano;
}

void Designer::NacinOtvaranja(int bit) {
    Izmijenjeno = true;
    Model.NacinOtvaranja(AktivniOkvir, bit);
}

void Designer::ToggleRoletne() {
    Model.Roletne = !Model.Roletne;
    Izmijenjeno = true;
}

int Designer::SetWidth(int sirina) {
    const int stara = Model.Sirina;
    const int nova = Model.PostaviSirinu(sirina, Scale());
    if (sirina != stara) Izmijenjeno = true;
    CalcRuller();
    return nova;
}

int Designer::SetHeight(int visina) {
    const int stara = Model.Visina;
    const int nova = Model.PostaviVisinu(visina, Scale());
    if (visina != stara) Izmijenjeno = true;
    CalcRuller();
    return nova;
}

int Designer::SetFrameThickness(int debljina) {
    const int stara = Model.DebStoka;
    const int nova = Model.PostaviDebStoka(debljina, Scale());
    if (nova != stara) Izmijenjeno = true;
    CalcRuller();
    return nova;
}

void Designer::Arrow(int smjer) {
    Izmijenjeno = true;
    const bool sirina = smjer == 1 || smjer == 3;
    const int stara = sirina ? Model.Sirina : Model.Visina;
    const int nova = smjer <= 2 ? stara - 1 : stara + 1;
    // The same limits as the edits: never past 9999 mm, never crushing an element.
    if (nova >= 1 && nova <= ModelProzora::NajvecaVelicina) {
        if (sirina)
            Model.PostaviSirinu(nova, Scale());
        else
            Model.PostaviVisinu(nova, Scale());
    }
    CalcRuller();
}

std::optional<Pravokutnik> Designer::Duh() const {
    if (!DuhVidljiv) return std::nullopt;
    return Pravokutnik{static_cast<std::int16_t>(DuhL), static_cast<std::int16_t>(DuhT),
                       static_cast<std::int16_t>(DuhR), static_cast<std::int16_t>(DuhB)};
}

} // namespace windows
