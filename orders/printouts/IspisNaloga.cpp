#include "orders/printouts/IspisNaloga.h"

#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "app/data/Useful.h"
#include "orders/printouts/DokumentIspisa.h"
#include "orders/printouts/ListeNaloga.h"
#include "orders/printouts/RasporedSlika.h"
#include "windows/designer/Canvas.h"
#include "windows/designer/WindowPrinting.h"
#include "windows/storage/WindowTypeStore.h"

namespace orders {

namespace {

using controls::TPagePrinter;

constexpr const char* ObustavljenIspis = "Obustavljen nastavak Ispisa!!!";
constexpr const char* FormatProfila = "<20|<30|<35|>20|>15|>15|>20|>25";
constexpr const char* FormatStakla = "<20|<30|>30|>40|>30";
constexpr double SirinaListe = 180;
// Where the pictures begin on every page, below the order's head.
constexpr double SlikeLijevo = 20, SlikeVrh = 55;

enum class Glava { Nalog, Profili, Staklo };

fw::FontSpec Pismo(const TPagePrinter& prn, const char* ime, bool podebljano = false) {
    fw::FontSpec f = prn.Font();
    f.Name = ime;
    f.Bold = podebljano;
    return f;
}

// A rule across the list at the given height of the text area (printer pixels).
void Crta(TPagePrinter& prn, int y, double duzina) {
    const double mm = prn.PixelsToUnitsY(y);
    prn.DrawLine(0, mm, duzina, mm);
}

std::string Cijena(double iznos) {
    return base::FormatFloat(iznos, app::RoundingPrecision(1), true) + " " +
           app::Settings.PostavkePrograma.Valuta;
}

class IspisNalogaRun {
public:
    IspisNalogaRun(TPagePrinter& prn, const NalogZaIspis& n, bool ponuda, DokumentIspisa& dokument)
        : prn_(prn), n_(n), ponuda_(ponuda), dokument_(dokument) {}

    // The page head of the part being printed.
    void Zaglavlje() {
        switch (glava_) {
        case Glava::Nalog:
            GlavaNaloga();
            break;
        case Glava::Profili:
            GlavaListe("Prozor|Artikl|Boja|Dužina1|Kut L|Kut D|Dužina 2|Ostatak", FormatProfila);
            break;
        case Glava::Staklo:
            GlavaListe("Prozor|Artikl|Količina|Dužina|Širina", FormatStakla);
            break;
        }
    }

    void Slike() {
        RasporedSlika raspored(SlikeLijevo, SlikeVrh, prn_.PageWidth() - prn_.MarginRight(),
                               prn_.PageHeight() - prn_.MarginBottom());
        windows::ModelProzora model;
        windows::CitacKopija kopije;
        for (const StavkaIspisa& s : n_.Stavke) {
            const bool ima = kopije.Prenesi(model, {n_.Code, s.Stavka}, n_.Zadano);
            if (ima) {
                model.MaxRight = model.Sirina;
                model.MaxBottom = model.Visina;
            }
            const int sirina = ima ? model.Sirina : s.Sirina;
            const int visina = ima ? model.Visina : s.Visina;
            const RasporedSlika::Mjesto m = raspored.Sljedece(sirina, visina, SirinaNatpisa(s));
            if (m.NovaStrana) prn_.NewPage();
            Slika(model, ima, s, sirina, m);
            model.OslobodiMemoriju();
            dokument_.Korak();
        }
        krajSlika_ = raspored.Kraj();
    }

    void ListaProfila(const std::vector<RedListe>& redovi) {
        glava_ = Glava::Profili;
        prn_.NewPage();
        Redovi(redovi, FormatProfila);
    }

    void ListaStakla(const std::vector<RedListe>& redovi) {
        glava_ = Glava::Staklo;
        prn_.NewPage();
        Redovi(redovi, FormatStakla);
    }

    // The total and the instructions, below the pictures.
    void Naputak() {
        const int kraj = prn_.UnitsToPixelsY(krajSlika_ - prn_.MinMarginTop()) - prn_.MarginTopPixels();
        const int strana = prn_.CurrentPage();
        while (prn_.CurrentY < kraj && prn_.CurrentPage() == strana)
            prn_.NewLine();
        prn_.SetFont(Pismo(prn_, "Times New Roman CE", true));
        const std::vector<std::string> redovi = RedoviTeksta(n_.Naputak);
        const int potrebno = (2 + static_cast<int>(redovi.size())) * prn_.LineHeight();
        if (prn_.CurrentY + potrebno > prn_.PageBottomPixels()) prn_.NewPage();
        prn_.WriteLine("Ukupno: " + Cijena(n_.Iznos));
        prn_.WriteLine("Naputak:");
        prn_.TableGrid = false;
        prn_.SetTableFormat("<10|<160");
        for (const std::string& r : redovi)
            prn_.WriteTableLine("|" + r);
    }

private:
    void GlavaNaloga() {
        prn_.SetFont(Pismo(prn_, "Times New Roman CE"));
        prn_.TableGrid = false;
        prn_.SetTableFormat("<20|<70|<20|<70");
        prn_.WriteTableLine("Datum:|" + (n_.Datum ? base::FormatDate(*n_.Datum) : std::string()) +
                            "|Poduzeće:|" + n_.Poduzece);
        const int prije = prn_.CurrentY;
        prn_.WriteTableLine("Naručioc:|" + n_.Narucioc + "|Sistem:|" + n_.SifraSistema);
        // The colour goes beside the customer's second line rather than below it.
        if (prn_.CurrentY - prije > prn_.LineHeight()) prn_.PreviousLine();
        prn_.WriteTableLine("||Boja:|" + n_.SifraBoje);
        Crta(prn_, prn_.CurrentY, prn_.PixelsToUnitsX(prn_.TextWidthPixels()));
        prn_.NewLine();
    }

    void GlavaListe(const std::string& glava, const char* format) {
        prn_.SetFont(Pismo(prn_, "Arial CE"));
        prn_.TableGrid = true;
        prn_.SetTableFormat(format);
        prn_.WriteTableLine(glava);
        Crta(prn_, prn_.CurrentY, SirinaListe);
        prn_.NewLine();
    }

    void Redovi(const std::vector<RedListe>& redovi, const char* format) {
        for (std::size_t i = 0; i < redovi.size(); ++i) {
            const RedListe& r = redovi[i];
            if (r.Vrsta == RedListe::Oblik::Naslov) {
                // Headings go to the next page with their first row rather than stay alone at the foot
                // (the reinforcements' heading is followed by its first article's).
                if (i == 0 || redovi[i - 1].Vrsta != RedListe::Oblik::Naslov) {
                    std::size_t naslova = 1;
                    while (i + naslova < redovi.size() &&
                           redovi[i + naslova].Vrsta == RedListe::Oblik::Naslov)
                        ++naslova;
                    if (!prn_.LinesFit(static_cast<int>(naslova) + 1)) prn_.NewPage();
                }
                // Headings stand apart from the framed rows.
                prn_.TableGrid = false;
                prn_.SetTableFormat("^180");
                prn_.WriteTableLine(r.Tekst);
                prn_.SetTableFormat(format);
                prn_.TableGrid = true;
                dokument_.Korak();
                continue;
            }
            // The bar's rule is drawn first: the row's own line advance may already turn the page.
            if (r.KrajSipke) {
                const int dnoTeksta = prn_.CurrentY +
                                      ((prn_.LineHeight() - prn_.Canvas().FontHeight()) >> 1) +
                                      prn_.Canvas().FontHeight();
                const double y = prn_.PixelsToUnitsY(dnoTeksta) + 1;
                prn_.DrawLine(0, y, SirinaListe, y);
            }
            prn_.WriteTableLine(r.Tekst);
            dokument_.Korak();
        }
    }

    std::string Natpis(const StavkaIspisa& s) const {
        return std::to_string(s.Stavka) + ". tip: " + s.Tip + "  kom: " + std::to_string(s.Kolicina);
    }

    // The widest caption line of an item, in millimetres, in the captions' font.
    double SirinaNatpisa(const StavkaIspisa& s) {
        fw::PageCanvas& c = prn_.Canvas();
        const fw::FontSpec pismo = c.Font();
        windows::PageCanvasTarget platno(c);
        platno.SetFont("Arial CE", 9);
        int px = platno.TextWidth(Natpis(s));
        if (ponuda_) px = std::max(px, platno.TextWidth(Cijena(s.Cijena)));
        c.SetFont(pismo);
        return px / static_cast<double>(prn_.UnitsToPixelsX(1));
    }

    void Slika(windows::ModelProzora& model, bool ima, const StavkaIspisa& s, int sirina,
               const RasporedSlika::Mjesto& m) {
        windows::PrintLayout p;
        p.Scale = RasporedSlika::Omjer;
        p.PixelsPerMmX = prn_.UnitsToPixelsX(1);
        p.PixelsPerMmY = prn_.UnitsToPixelsY(1);
        p.FaktorX = p.PixelsPerMmX / p.Scale;
        p.FaktorY = p.PixelsPerMmY / p.Scale;
        p.IshodisteX = prn_.UnitsToPixelsX(m.X - prn_.MinMarginLeft());
        p.IshodisteY = prn_.UnitsToPixelsY(m.Y + RasporedSlika::MjestoTeksta - prn_.MinMarginTop());
        const std::string naslov = Natpis(s);
        const std::string cijena = ponuda_ ? Cijena(s.Cijena) : std::string();
        fw::PageCanvas& c = prn_.Canvas();
        const fw::PagePen olovka = c.Pen;
        const fw::PageBrush kist = c.Brush;
        windows::PageCanvasTarget platno(c);
        if (ima) {
            windows::IspisCrteza(platno, model, p, naslov, cijena, false);
        } else {
            // An item without its window still shows what it is and what it costs.
            platno.SetFont("Arial CE", 9);
            const int sredina = p.IshodisteX + app::RoundToInteger(sirina / 50.0 * p.PixelsPerMmX) / 2;
            // Centred over the window's place, but never left of it.
            auto lijevo = [&](const std::string& t) {
                return std::max(p.IshodisteX, sredina - platno.TextWidth(t) / 2);
            };
            platno.TextOut(lijevo(naslov), p.IshodisteY - app::RoundToInteger(15 * p.PixelsPerMmY), naslov);
            if (!cijena.empty())
                platno.TextOut(lijevo(cijena), p.IshodisteY - app::RoundToInteger(10 * p.PixelsPerMmY),
                               cijena);
        }
        c.Pen = olovka;
        c.Brush = kist;
        prn_.SetFont(prn_.Font());
    }

    TPagePrinter& prn_;
    const NalogZaIspis& n_;
    bool ponuda_;
    DokumentIspisa& dokument_;
    Glava glava_ = Glava::Nalog;
    double krajSlika_ = SlikeVrh;
};

} // namespace

bool IspisNaloga(std::int32_t radniNalog, bool ponuda, const NacinIspisa& nacin) {
    TPagePrinter& prn = PisacIspisa();
    if (!MozeIspis(prn)) return false;
    try {
        // The busy cursor already while the order is read.
        DokumentIspisa dokument(prn, nacin);
        const std::optional<NalogZaIspis> n = CitajNalogZaIspis(radniNalog);
        if (!n) return false;
        // The lists are worked out first: an article missing from them stops the printout before it starts.
        ListaProfila profili;
        std::vector<RedListe> stakla;
        if (!ponuda) {
            profili = SlozListuProfila(n->Optima, n->Artikli, n->SifraBoje);
            if (!profili.Greska.empty()) {
                app::ShowInfo(profili.Greska);
                app::ShowInfo(ObustavljenIspis);
                return false;
            }
            stakla = SlozListuStakla(n->Stakla, n->Artikli);
        }
        const std::string naslov = ponuda ? "PONUDA br. " + std::to_string(n->Broj) : "RADNI NALOG";
        prn.SetTitle(naslov + " " + n->Sifra);
        prn.Header = naslov + "|" + n->Sifra;
        prn.SetHeaderFormat("<120|>60");
        prn.Footer = "Strana: {$PAGE}";
        prn.SetFont(Pismo(prn, "Arial CE"));
        IspisNalogaRun ispis(prn, *n, ponuda, dokument);
        dokument.Pocni([&ispis] { ispis.Zaglavlje(); },
                       static_cast<int>(n->Stavke.size() + profili.Redovi.size() + stakla.size()));
        ispis.Slike();
        if (ponuda) {
            ispis.Naputak();
        } else {
            ispis.ListaProfila(profili.Redovi);
            ispis.ListaStakla(stakla);
        }
        dokument.Zavrsi();
        return true;
    } catch (const base::Abort&) {
        // Cancelled in the progress window: the document is gone, and the user knows why.
        return false;
    } catch (const std::exception& e) {
        app::ShowInfo(e.what());
        return false;
    }
}

} // namespace orders
