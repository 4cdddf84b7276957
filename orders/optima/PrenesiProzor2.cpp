#include "orders/optima/PrenesiProzor2.h"

#include "app/data/Useful.h"
#include "base/Exceptions.h"
#include "base/Int16.h"

namespace orders {

namespace {

using windows::RedOkvira;
using windows::RedPrecke;

std::int16_t Kratko(long long v) {
    return base::Checked16(v);
}

std::int16_t Skaliraj(long long v, double faktor) {
    return Kratko(app::RoundToInteger(static_cast<double>(v) * faktor));
}

// A mullion keeps its thickness around its scaled centre.
RedPrecke Centriraj(const RedPrecke& p, const Razmjer& r) {
    RedPrecke n = p;
    if (p.Tip) {
        const int deb = p.R - p.L;
        n.L = Kratko(Skaliraj((p.L + p.R) / 2, r.FaktorSirine) - deb / 2);
        n.R = Kratko(n.L + deb);
    } else {
        const int deb = p.B - p.T;
        n.T = Kratko(Skaliraj((p.T + p.B) / 2, r.FaktorVisine) - deb / 2);
        n.B = Kratko(n.T + deb);
    }
    return n;
}

// Mullion ends resting on a crossing mullion of the same list follow it.
void PratiKrajeve(const std::vector<RedPrecke>& stari, std::vector<RedPrecke>& novi) {
    for (RedPrecke& n : novi)
        for (std::size_t i = 0; i < stari.size(); ++i) {
            const RedPrecke& s = stari[i];
            if (s.Tip == n.Tip) continue;
            if (!n.Tip) {
                if (s.R == n.L) n.L = novi[i].R;
                if (s.L == n.R) n.R = novi[i].L;
            } else {
                if (s.B == n.T) n.T = novi[i].B;
                if (s.T == n.B) n.B = novi[i].T;
            }
        }
}

void PrilagodiOkvir(RedOkvira& f, const windows::ZaglavljeTipa& stari, const windows::ZaglavljeTipa& novi,
                    const std::vector<RedPrecke>& stare, const std::vector<RedPrecke>& nove, bool dvostruki,
                    const Razmjer& r) {
    const int D = f.DebProfila, P = r.Preklapanje;
    if (f.Lajsna == 0 && f.B1 == stari.WinBottom) {
        f.B1 = novi.WinBottom;
        f.B2 = Kratko(f.B1 - D + P);
    } else if (f.Lajsna != 0 && f.Lajsna - P + f.B1 == stari.MaxBottom) {
        f.B1 = Kratko(novi.MaxBottom - f.Lajsna + P);
        f.B2 = Kratko(f.B1 - D + P);
    }
    if (f.R1 == stari.WinRight) {
        f.R1 = novi.WinRight;
        f.R2 = Kratko(f.R1 - D + P);
    }
    for (std::size_t i = 0; i < stare.size(); ++i) {
        const RedPrecke &s = stare[i], &n = nove[i];
        if (!s.Tip && s.B == f.T1) {
            f.T1 = n.B;
            f.T2 = Kratko(f.T1 + D - P);
        }
        if (!s.Tip && s.T == f.B1) {
            f.B1 = n.T;
            f.B2 = Kratko(f.B1 - D + P);
        }
        if (s.Tip && s.R == f.L1 && (f.L2 - f.L1) <= (f.R1 - f.R2)) {
            f.L1 = n.R;
            f.L2 = Kratko(f.L1 + D - P);
        }
        if (s.Tip && s.L == f.R1 && (f.R1 - f.R2) <= (f.L2 - f.L1)) {
            f.R1 = n.L;
            f.R2 = Kratko(f.R1 - D + P);
        }
    }
    if (dvostruki) {
        if (f.R1 - f.R2 < f.L2 - f.L1) {
            f.L1 = Skaliraj(f.L1, r.FaktorSirine);
            f.L2 = Kratko(f.L1 + D + r.Razmak);
        } else {
            f.R1 = Skaliraj(f.R1, r.FaktorSirine);
            f.R2 = Kratko(f.R1 - D - r.Razmak);
        }
    }
    if (f.Q == 1 || f.Q == 3) f.K = Skaliraj(f.K, r.FaktorVisine);
    if (f.Q == 2 || f.Q == 4) f.K = Skaliraj(f.K, r.FaktorSirine);
}

// A sash's own mullions: centred like the window's, their ends snapping to the sash's new glazing edges.
std::vector<RedPrecke> PreckeOkvira(const std::vector<RedPrecke>& sve, const RedOkvira& stari,
                                    const RedOkvira& f, const Razmjer& r) {
    std::vector<RedPrecke> svoje, nove;
    for (const RedPrecke& p : sve)
        if (p.RedniBrojOkvira == stari.Rbr) svoje.push_back(p);
    for (const RedPrecke& p : svoje) {
        RedPrecke n = Centriraj(p, r);
        if (!p.Tip) {
            if (p.L == stari.L2) n.L = f.L2;
            if (p.R == stari.R2) n.R = f.R2;
        } else {
            if (p.T == stari.T2) n.T = f.T2;
            if (p.B == stari.B2) n.B = f.B2;
        }
        nove.push_back(n);
    }
    PratiKrajeve(svoje, nove);
    return nove;
}

} // namespace

Razmjer RazmjerStavke(const windows::ZaglavljeTipa& tip, int sirina, int visina) {
    if (tip.MaxRight <= 0 || tip.MaxBottom <= 0)
        throw base::Exception("Tip prozora nema unesene dimenzije (širina, visina)!!!");
    Razmjer r;
    r.FaktorSirine = static_cast<double>(sirina) / tip.MaxRight;
    r.FaktorVisine = static_cast<double>(visina) / tip.MaxBottom;
    return r;
}

windows::RedoviTipa PrenesiProzor2(const windows::RedoviTipa& tip, const Razmjer& r) {
    const windows::ZaglavljeTipa& stari = tip.Zaglavlje;
    windows::RedoviTipa out;
    windows::ZaglavljeTipa& z = out.Zaglavlje;
    z = stari;
    const int s = stari.MaxRight - stari.WinRight;
    z.MaxRight = Skaliraj(stari.MaxRight, r.FaktorSirine);
    z.MaxBottom = Skaliraj(stari.MaxBottom, r.FaktorVisine);
    z.WinLeft = z.WinTop = Kratko(s);
    z.WinRight = Kratko(z.MaxRight - s);
    z.WinBottom = Kratko(z.MaxBottom - s);

    for (const RedPrecke& p : tip.Precke) {
        RedPrecke n = Centriraj(p, r);
        if (!p.Tip && p.R == stari.WinRight) n.R = z.WinRight;
        if (p.Tip && p.B == stari.WinBottom) n.B = z.WinBottom;
        out.Precke.push_back(n);
    }
    PratiKrajeve(tip.Precke, out.Precke);

    for (std::size_t i = 0; i < tip.Okviri.size(); ++i) {
        const RedOkvira& stariOkvir = tip.Okviri[i];
        const auto isti = [&](std::size_t j) {
            return j < tip.Okviri.size() && tip.Okviri[j].RedniBroj == stariOkvir.RedniBroj;
        };
        const bool dvostruki = isti(i + 1) || (i > 0 && isti(i - 1));
        RedOkvira f = stariOkvir;
        PrilagodiOkvir(f, stari, z, tip.Precke, out.Precke, dvostruki, r);
        out.Okviri.push_back(f);
        for (const RedPrecke& p : PreckeOkvira(tip.PreckeOkvira, stariOkvir, f, r))
            out.PreckeOkvira.push_back(p);
    }
    return out;
}

} // namespace orders
