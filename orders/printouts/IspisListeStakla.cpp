#include "orders/printouts/IspisListeStakla.h"

#include "app/data/Dialogs.h"
#include "base/CroatianFormat.h"
#include "orders/printouts/DokumentIspisa.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace orders {

namespace {

using controls::TPagePrinter;

constexpr const char* Autor = "Plom, program za radionice prozora";
constexpr fw::TColor BojaPloce = 0xE0E0E0;
// Light fills that tell neighbouring panes apart on paper and still let their figures read.
constexpr fw::TColor BojeIzrezaka[] = {0xC0FFFF, 0xFFE0C0, 0xC0FFC0, 0xE0C0FF, 0xFFC0FF, 0xC0E0FF};

// Fifteen significant digits with the decimal comma: the program's plain number text.
std::string ObicanBroj(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::string s = buf;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

fw::FontSpec Pismo(const char* ime, int velicina, bool podebljano = false, int kut = 0) {
    fw::FontSpec f;
    f.Name = ime;
    f.Size = velicina;
    f.Bold = podebljano;
    f.Escapement = kut;
    return f;
}

// A size written along an edge of `duzina` pixels: in the narrow face when the usual one is too long.
void MjeraUzRub(fw::PageCanvas& c, const std::string& tekst, int duzina, int kut) {
    c.SetFont(Pismo("Arial CE", 8, false, kut));
    if (c.TextWidth(tekst) > duzina) c.SetFont(Pismo("Arial Thin", 8, false, kut));
}

class CrtezPloce {
public:
    CrtezPloce(TPagePrinter& prn, const SheetLayout& r, double mjerilo, int x, int y)
        : prn_(prn), c_(prn.Canvas()), r_(r), mjerilo_(mjerilo), x_(x), y_(y) {}

    // The sheet's height on paper, pixels.
    int Visina() const { return prn_.UnitsToPixelsY(r_.VisinaPloce * mjerilo_); }

    // The sheet with its cut-outs.
    void Nacrtaj(const std::vector<const TIzrezak*>& izresci) {
        const fw::PagePen olovka = c_.Pen;
        const fw::PageBrush kist = c_.Brush;
        const fw::FontSpec pismo = c_.Font();
        c_.Pen = {fw::clBlack, std::max(1, c_.Resolution() / 300), fw::PenStyle::psSolid};
        Pravokutnik(0, 0, r_.SirinaPloce, r_.VisinaPloce, BojaPloce);
        std::size_t n = 0;
        for (const TIzrezak* i : izresci)
            Izrezak(*i, BojeIzrezaka[n++ % std::size(BojeIzrezaka)]);
        c_.Pen = olovka;
        c_.Brush = kist;
        c_.SetFont(pismo);
    }

private:
    int X(int mm) const { return x_ + prn_.UnitsToPixelsX(mm * mjerilo_); }
    // The engine counts up from the sheet's bottom edge; paper counts down from the top.
    int Y(int mm) const { return y_ + prn_.UnitsToPixelsY((r_.VisinaPloce - mm) * mjerilo_); }

    void Pravokutnik(int x, int y, int sirina, int visina, fw::TColor boja) {
        c_.Brush = {boja, fw::BrushStyle::bsSolid};
        c_.Rectangle(X(x), Y(y + visina), X(x + sirina) + 1, Y(y) + 1);
    }

    void Izrezak(const TIzrezak& i, fw::TColor boja) {
        Pravokutnik(i.X, i.Y, i.Sirina, i.Visina, boja);
        const int l = X(i.X), r = X(i.X + i.Sirina), t = Y(i.Y + i.Visina), b = Y(i.Y);
        const int razmak = std::max(1, prn_.UnitsToPixelsX(0.5));

        c_.SetFont(Pismo("Arial CE", 10, true));
        const std::string broj = std::to_string(i.Broj);
        c_.TextOut((l + r - c_.TextWidth(broj)) / 2, (t + b - c_.FontHeight()) / 2, broj);

        const std::string sirina = std::to_string(i.Sirina);
        MjeraUzRub(c_, sirina, r - l, 0);
        c_.TextOut((l + r - c_.TextWidth(sirina)) / 2, t + razmak, sirina);

        // Turned a quarter to the left: the text runs upwards from its point, its body to the right.
        const std::string visina = std::to_string(i.Visina);
        MjeraUzRub(c_, visina, b - t, 900);
        c_.TextOut(l + razmak, (t + b + c_.TextWidth(visina)) / 2, visina);
    }

    TPagePrinter& prn_;
    fw::PageCanvas& c_;
    const SheetLayout& r_;
    double mjerilo_;
    int x_, y_;
};

std::string Iskoristenje(const SheetLayout& raspored, const std::vector<const TIzrezak*>& izresci) {
    long long povrsina = 0;
    for (const TIzrezak* i : izresci)
        povrsina += static_cast<long long>(i->Sirina) * i->Visina;
    const double ploha = static_cast<double>(raspored.SirinaPloce) * raspored.VisinaPloce;
    return ObicanBroj(ploha > 0 ? povrsina / ploha * 100 : 0);
}

// The cut-outs of every sheet (1-based; a sheet number out of range belongs to none), gathered once so
// that a list of many sheets costs what its cut-outs cost.
std::vector<std::vector<const TIzrezak*>> PoPlocama(const SheetLayout& r) {
    std::vector<std::vector<const TIzrezak*>> out(static_cast<std::size_t>(std::max(0, r.BrojPloca)) + 1);
    for (const TIzrezak& i : r.Izresci)
        if (i.Ploca >= 1 && i.Ploca <= r.BrojPloca) out[static_cast<std::size_t>(i.Ploca)].push_back(&i);
    return out;
}

void TablicaPloce(TPagePrinter& prn, const ListaStakla& lista, const ArtiklIspisa& artikl,
                  const PodaciListeStakla& podaci, const std::vector<const TIzrezak*>& izresci) {
    const SheetLayout& r = lista.Raspored;
    const std::size_t naPloci = izresci.size();
    const std::size_t svih = r.Izresci.size() + r.Izostavljeni.size();
    const bool mreza = prn.TableGrid;
    prn.TableGrid = true;
    prn.SetTableFormat(">30|<60|>30|<60");
    prn.WriteTableLine(std::string("Aplikacija:|Lumeno|Autor:|") + Autor);
    prn.WriteTableLine("Korisnik:|" + podaci.Poduzece + "|Mjesto:|" + podaci.Mjesto);
    prn.WriteTableLine("Artikl:|" + artikl.Sifra + " " + artikl.Naziv + "|Iskorištenje:|" +
                       Iskoristenje(r, izresci) + " %");
    prn.WriteTableLine("Dimenzija:|" + std::to_string(r.SirinaPloce) + " x " + std::to_string(r.VisinaPloce) +
                       " mm|Elemenata:|" + std::to_string(naPloci) + " od " + std::to_string(svih));
    prn.WriteTableLine(std::string("Okretno:|") + (podaci.Okretno ? "DA" : "NE") + "|Rezna ploča:|" +
                       std::to_string(podaci.Rez) + " mm");
    prn.TableGrid = mreza;
}

} // namespace

std::string Iskoristenje(const SheetLayout& raspored, int ploca) {
    std::vector<const TIzrezak*> izresci;
    for (const TIzrezak& i : raspored.Izresci)
        if (i.Ploca == ploca) izresci.push_back(&i);
    return Iskoristenje(raspored, izresci);
}

void IspisListeStakla(TPagePrinter& prn, const ListaStakla& lista, const ArtiklIspisa& artikl,
                      const PodaciListeStakla& podaci, bool prviUDokumentu,
                      const std::function<void()>& korak) {
    const SheetLayout& r = lista.Raspored;
    if (r.SirinaPloce <= 0 || r.VisinaPloce <= 0) return;
    // At most the usable width (less a little) and four fifths of the usable height.
    const double mjerilo =
        std::min((prn.UsableWidth() - 5) / r.SirinaPloce, 0.8 * prn.UsableHeight() / r.VisinaPloce);
    const std::vector<std::vector<const TIzrezak*>> poPlocama = PoPlocama(r);
    for (int ploca = 1; ploca <= r.BrojPloca; ++ploca) {
        const std::vector<const TIzrezak*>& izresci = poPlocama[static_cast<std::size_t>(ploca)];
        if (!prviUDokumentu || ploca > 1) prn.NewPage();
        CrtezPloce crtez(prn, r, mjerilo, prn.MarginLeftPixels(), prn.MarginTopPixels() + prn.CurrentY);
        crtez.Nacrtaj(izresci);
        prn.CurrentY += crtez.Visina();
        prn.NewLine();
        TablicaPloce(prn, lista, artikl, podaci, izresci);
        if (korak) korak();
    }
}

bool PrijenosPodatakaStakla(std::int32_t radniNalog, const PostavkeStakla& postavke, const NacinIspisa& nacin,
                            const Napredak& napredak) {
    // A printout still being built is told before the run, which would otherwise be in vain.
    if (!MozeIspis(PisacIspisa())) return false;
    std::optional<std::vector<ListaStakla>> liste;
    try {
        liste = OptimizacijaStakla(radniNalog, postavke, napredak);
    } catch (const std::exception& e) {
        app::ShowInfo(e.what());
        return false;
    }
    return liste && IspisStakla(radniNalog, *liste, nacin);
}

bool IspisStakla(std::int32_t radniNalog, const std::vector<ListaStakla>& liste, const NacinIspisa& nacin) {
    TPagePrinter& prn = PisacIspisa();
    if (!MozeIspis(prn)) return false;
    try {
        DokumentIspisa dokument(prn, nacin);
        const std::optional<NalogZaIspis> n = CitajNalogZaIspis(radniNalog);
        if (!n) return false;
        // The glass run turns panes freely and cuts without a kerf.
        const PodaciListeStakla podaci{n->Poduzece, n->Mjesto, true, 0};
        prn.SetTitle("Rezna Lista RN: " + n->Sifra);
        prn.Header = "Rezna Lista RN: " + n->Sifra + "|" + base::FormatDate(base::Today());
        prn.SetHeaderFormat("<120|>60");
        prn.Footer = "|Strana: {$PAGE}";
        fw::FontSpec pismo = prn.Font();
        pismo.Name = "Arial CE";
        prn.SetFont(pismo);
        // The run's own articles: the glass list may have changed since.
        std::vector<std::int32_t> kodovi;
        for (const ListaStakla& lista : liste)
            kodovi.push_back(lista.Artikl);
        const std::map<std::int32_t, ArtiklIspisa> artikli = CitajArtikleIspisa(kodovi);
        int ploca = 0;
        for (const ListaStakla& lista : liste)
            ploca += std::max(0, lista.Raspored.BrojPloca);
        dokument.Pocni(nullptr, ploca);
        bool prvi = true;
        for (const ListaStakla& lista : liste) {
            const auto a = artikli.find(lista.Artikl);
            ArtiklIspisa artikl = a == artikli.end() ? ArtiklIspisa{} : a->second;
            if (artikl.Sifra.empty()) artikl.Sifra = lista.Sifra;
            IspisListeStakla(prn, lista, artikl, podaci, prvi, [&dokument] { dokument.Korak(); });
            if (lista.Raspored.BrojPloca > 0) prvi = false;
        }
        dokument.Zavrsi();
        return true;
    } catch (const base::Abort&) {
        return false;
    } catch (const std::exception& e) {
        app::ShowInfo(e.what());
        return false;
    }
}

} // namespace orders
