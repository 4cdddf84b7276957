#include "windows/model/ModelFaults.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <sstream>

namespace windows {

namespace {

struct Rect {
    int L, T, R, B;
};

Rect Od(const TPrecka& p) {
    return {p.L, p.T, p.R, p.B};
}
Rect Vanjski(const TOkvir& s) {
    return {s.L1, s.T1, s.R1, s.B1};
}
Rect Unutarnji(const TOkvir& s) {
    return {s.L2, s.T2, s.R2, s.B2};
}

bool Preklapaju(const Rect& a, const Rect& b) {
    return a.L < b.R && b.L < a.R && a.T < b.B && b.T < a.B;
}

std::string Opis(const Rect& r) {
    std::ostringstream o;
    o << "(" << r.L << "," << r.T << "," << r.R << "," << r.B << ")";
    return o.str();
}

class Provjera {
public:
    explicit Provjera(const ModelProzora& m) : m_(m) {}

    std::vector<std::string> Sve() {
        const Rect okvir{m_.WinLeft, m_.WinTop, m_.WinRight, m_.WinBottom};
        Precke(m_.Precke, okvir, "window mullion");
        for (const TOkvir& s : m_.Okviri)
            Okvir(s, okvir);
        Preklapanja();
        Brojevi();
        return greske_;
    }

private:
    const ModelProzora& m_;
    std::vector<std::string> greske_;

    void Greska(const std::string& s) { greske_.push_back(s); }

    void Precke(const ListaPrecki& lista, const Rect& u, const std::string& vrsta) {
        for (const TPrecka& p : lista) {
            const Rect r = Od(p);
            const int debljina = p.Vodoravna ? p.B - p.T : p.R - p.L;
            if (debljina < 1 || debljina != p.Debljina) Greska(vrsta + " thickness wrong " + Opis(r));
            if (r.L >= r.R || r.T >= r.B) Greska(vrsta + " empty or inverted " + Opis(r));
            if (r.L < u.L || r.R > u.R || r.T < u.T || r.B > u.B)
                Greska(vrsta + " " + Opis(r) + " outside its opening " + Opis(u));
            Krajevi(lista, p, u, vrsta);
        }
        for (auto a = lista.begin(); a != lista.end(); ++a)
            for (auto b = std::next(a); b != lista.end(); ++b)
                if (Preklapaju(Od(*a), Od(*b)))
                    Greska(vrsta + "s overlap " + Opis(Od(*a)) + " " + Opis(Od(*b)));
    }

    // Each end of a mullion rests on its opening's edge or on the side of a crossing mullion.
    void Krajevi(const ListaPrecki& lista, const TPrecka& p, const Rect& u, const std::string& vrsta) {
        const bool vod = p.Vodoravna != 0;
        const int lo = vod ? p.L : p.T, hi = vod ? p.R : p.B;
        const int plo = vod ? p.T : p.L, phi = vod ? p.B : p.R;
        auto naslonjen = [&](int kraj, bool naPocetku) {
            if (kraj == (vod ? (naPocetku ? u.L : u.R) : (naPocetku ? u.T : u.B))) return true;
            return std::any_of(lista.begin(), lista.end(), [&](const TPrecka& o) {
                if (o.Vodoravna == p.Vodoravna) return false;
                const int olo = vod ? o.L : o.T, ohi = vod ? o.R : o.B;
                const int oplo = vod ? o.T : o.L, ophi = vod ? o.B : o.R;
                return (naPocetku ? ohi : olo) == kraj && oplo <= plo && phi <= ophi;
            });
        };
        if (!naslonjen(lo, true) || !naslonjen(hi, false))
            Greska(vrsta + " end rests on nothing " + Opis(Od(p)));
    }

    void Okvir(const TOkvir& s, const Rect& u) {
        const Rect v = Vanjski(s), n = Unutarnji(s);
        const int dno = s.Lajsna > 0 ? m_.MaxBottom : u.B;
        if (v.L < u.L || v.T < u.T || v.R > u.R || v.B > dno)
            Greska("sash " + Opis(v) + " outside the frame");
        if (!(v.L <= n.L && n.L < n.R && n.R <= v.R && v.T <= n.T && n.T < n.B && n.B <= v.B))
            Greska("sash glazing " + Opis(n) + " not inside " + Opis(v));
        if (s.Lajsna > 0 && s.B1 != m_.MaxBottom - s.Lajsna + m_.Preklapanje)
            Greska("door leaf " + Opis(v) + " off the sill");
        if (s.Lajsna > 0 && s.T1 >= u.B) Greska("door leaf " + Opis(v) + " below the frame's inner edge");
        if (s.Q < 0 || s.Q > 4 || (s.Q == 0 && s.K != 0)) Greska("handle side wrong " + Opis(v));
        if ((s.Q == 1 || s.Q == 3) && (s.K < s.T2 || s.K > s.B2)) Greska("handle off its band " + Opis(v));
        if ((s.Q == 2 || s.Q == 4) && (s.K < s.L2 || s.K > s.R2)) Greska("handle off its band " + Opis(v));
        Strane(s, u);
        Precke(s.Precke, n, "sash mullion");
    }

    // Each side of a sash rests on the frame, on a window mullion or on its partner.
    void Strane(const TOkvir& s, const Rect& u) {
        const int dno = std::min<int>(s.B1, u.B);
        auto okomita = [&](int x, bool lijevo) {
            if (x == (lijevo ? u.L : u.R)) return true;
            if (s.Par && x == (lijevo ? s.Par->R1 : s.Par->L1)) return true;
            return std::any_of(m_.Precke.begin(), m_.Precke.end(), [&](const TPrecka& p) {
                return p.Vodoravna == 0 && (lijevo ? p.R : p.L) == x && p.T <= s.T1 && dno <= p.B;
            });
        };
        auto vodoravna = [&](int y, bool gore) {
            if (y == (gore ? u.T : u.B)) return true;
            return std::any_of(m_.Precke.begin(), m_.Precke.end(), [&](const TPrecka& p) {
                return p.Vodoravna != 0 && (gore ? p.B : p.T) == y && p.L <= s.L1 && s.R1 <= p.R;
            });
        };
        const bool pragOk = s.Lajsna > 0 || vodoravna(s.B1, false);
        if (!okomita(s.L1, true) || !okomita(s.R1, false) || !vodoravna(s.T1, true) || !pragOk)
            Greska("sash side rests on nothing " + Opis(Vanjski(s)));
    }

    void Preklapanja() {
        for (auto a = m_.Okviri.begin(); a != m_.Okviri.end(); ++a) {
            for (auto b = std::next(a); b != m_.Okviri.end(); ++b)
                if (Preklapaju(Vanjski(*a), Vanjski(*b)))
                    Greska("sashes overlap " + Opis(Vanjski(*a)) + " " + Opis(Vanjski(*b)));
            for (const TPrecka& p : m_.Precke)
                if (Preklapaju(Vanjski(*a), Od(p)))
                    Greska("sash " + Opis(Vanjski(*a)) + " overlaps mullion " + Opis(Od(p)));
        }
    }

    void Brojevi() {
        std::set<int> brojevi;
        for (auto it = m_.Okviri.begin(); it != m_.Okviri.end(); ++it) {
            const TOkvir& s = *it;
            brojevi.insert(s.RedniBroj);
            if (!s.Par) continue;
            const bool uz = (std::next(it) != m_.Okviri.end() && &*std::next(it) == s.Par) ||
                            (it != m_.Okviri.begin() && &*std::prev(it) == s.Par);
            if (s.Par->Par != &s || !uz || s.Par->RedniBroj != s.RedniBroj)
                Greska("double sash leaves not linked " + Opis(Vanjski(s)));
        }
        std::set<int> ocekivano;
        for (int i = 1; i <= m_.BrojacOkvira; ++i)
            ocekivano.insert(i);
        if (brojevi != ocekivano) Greska("sash numbers not 1..BrojacOkvira");
        int samostalni = 0;
        for (const TOkvir& s : m_.Okviri)
            samostalni += s.Par ? 0 : 1;
        if (samostalni + (static_cast<int>(m_.Okviri.size()) - samostalni) / 2 != m_.BrojacOkvira)
            Greska("two sashes share a number");
    }
};

} // namespace

std::vector<std::string> ModelFaults(const ModelProzora& model) {
    return Provjera(model).Sve();
}

} // namespace windows
