#include "orders/optima/Optima.h"

#include <algorithm>
#include <limits>

namespace orders {

namespace {

struct OpisVrste {
    int vrsta;
    std::int32_t BojaSistema::*artikl;
    const char* rijec;
};

constexpr OpisVrste Profili[] = {
    {V_Stok, &BojaSistema::Stok, "štokova"},
    {V_Okvir, &BojaSistema::Okvir, "okvira"},
    {V_Vrata, &BojaSistema::Vrata, "vratiju"},
    {V_Precka, &BojaSistema::Precka, "prečki"},
    {V_KlizniOkvir, &BojaSistema::KlizniOkvir, "kliznih okvira"},
};
constexpr OpisVrste Zeljeza[] = {
    {V_ZStoka, &BojaSistema::ZStoka, "željeza štokova"},
    {V_ZOkvira, &BojaSistema::ZOkvira, "željeza okvira"},
    {V_ZKlizniOkvir, &BojaSistema::ZKlizniOkvir, "željeza kliznih okvira"},
    {V_ZVrata, &BojaSistema::ZVrata, "željeza vratiju"},
    {V_ZPrecka, &BojaSistema::ZPrecka, "željeza prečki"},
};

bool Varena(int vrsta) {
    return vrsta == V_Stok || vrsta == V_Okvir || vrsta == V_Vrata || vrsta == V_KlizniOkvir;
}

class Pokret {
public:
    Pokret(const KonstanteSistema& s, const BojaSistema& b, const TokOptime& t, int ukupno)
        : sistem_(s), boja_(b), tok_(t), ukupno_(ukupno) {}

    IshodOptime ishod;

    bool Dodaj(RedOptime red) {
        if (rbr_ == std::numeric_limits<std::int16_t>::max()) {
            ishod.Poruke.push_back("Greška: Lista optimizacije ima previše redova!!!");
            ishod.Potpun = false;
            ishod.Preljev = true;
            return false;
        }
        red.Rbr = ++rbr_;
        ishod.Redovi.push_back(red);
        return true;
    }

    bool Stani(const std::string& faza) {
        if (tok_.Napredak && tok_.Napredak(faza, rbr_, ukupno_)) ishod.Prekinut = true;
        return ishod.Prekinut;
    }

    // False ends the whole run (cancelled, or the list can hold no more rows).
    bool Kombiniraj(const OpisVrste& v, const std::vector<TKomad>& komadi) {
        if (komadi.empty()) return true;
        // A list too long to number is told once, not again as each kind's failure.
        if (!Kombinacija(v, komadi) && !ishod.Preljev) {
            ishod.Potpun = false;
            ishod.Poruke.push_back(std::string("UPOZORENJE: Nastala je greška\r\nkod optimizacije ") +
                                   v.rijec + "!!!");
        }
        return !ishod.Prekinut && rbr_ < std::numeric_limits<std::int16_t>::max();
    }

private:
    bool Kombinacija(const OpisVrste& v, const std::vector<TKomad>& komadi) {
        const std::int32_t artikl = boja_.*v.artikl;
        const PodaciSipke sipka = tok_.Sipka ? tok_.Sipka(artikl) : PodaciSipke{};
        if (!sipka.UWRobi) {
            if (sipka.USifRobe)
                ishod.Poruke.push_back(
                    "Greška: Nije pronađen podatak\n\rza artikl Prozora\n\r(" + sipka.Sifra +
                    ")!!!\n\rProvjerite da li su unijeti\n\rsvi podaci artikla (npr. dužina)!!!");
            else
                ishod.Poruke.push_back("Kod boje sistema je unesena\n\rnepostojeća šifra artikla (code " +
                                       std::to_string(artikl) + ")!!!");
            return false;
        }
        // The kind list holds the newest piece first.
        std::vector<TKomad> lista(komadi.rbegin(), komadi.rend());
        Sort(lista);
        const BarLayout raspored = orders::Kombinacija(lista, sipka.Duzina);
        const int RP = 2 * sistem_.ReznaPila, VR = 2 * sistem_.Varenje;
        for (const Sipka& s : raspored.Sipke) {
            for (const TKomad& k : s.Komadi) {
                RedOptime r;
                r.Artikl = artikl;
                r.Prozor = k.Prozor;
                r.Duzina = k.Duzina;
                r.KutL = k.KutL;
                r.KutD = k.KutD;
                r.Duzina1 = static_cast<std::int16_t>(k.Duzina - RP);
                r.Duzina2 = static_cast<std::int16_t>(r.Duzina1 - (Varena(v.vrsta) ? VR : 0));
                if (!Dodaj(r)) return false;
            }
            if (Stani("Optimizacija...")) return true;
        }
        for (const LeftOutPiece& l : raspored.Izostavljeni)
            ishod.Izostavljeni.push_back({sipka.Sifra, l.Komad.Prozor, l.Komad.Duzina, Opis(l.Razlog)});
        return raspored.Izostavljeni.empty();
    }

    const KonstanteSistema& sistem_;
    const BojaSistema& boja_;
    const TokOptime& tok_;
    int ukupno_;
    std::int16_t rbr_ = 0;
};

} // namespace

IshodOptime Optima(const ListeKomada& liste, const KonstanteSistema& sistem, const BojaSistema& boja,
                   const TokOptime& tok) {
    int ukupno = 1;
    for (int v = V_Stok; v <= V_ZKlizniOkvir; ++v)
        if (v != V_Staklo) ukupno += static_cast<int>(liste[static_cast<std::size_t>(v)].size());
    Pokret p(sistem, boja, tok, ukupno);
    if (p.Stani("Optimizacija...")) return std::move(p.ishod);
    for (const OpisVrste& v : Profili)
        if (!p.Kombiniraj(v, liste[static_cast<std::size_t>(v.vrsta)])) return std::move(p.ishod);
    RedOptime razdjelnik;
    razdjelnik.Razdjelnik = true;
    if (!p.Dodaj(razdjelnik)) return std::move(p.ishod);
    for (const OpisVrste& v : Zeljeza)
        if (!p.Kombiniraj(v, liste[static_cast<std::size_t>(v.vrsta)])) return std::move(p.ishod);
    return std::move(p.ishod);
}

} // namespace orders
