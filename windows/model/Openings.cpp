#include "windows/model/ModelProzora.h"

#include "base/Exceptions.h"
#include "base/Int16.h"

#include <algorithm>

namespace windows {

namespace {

bool Sadrzi(int l, int t, int r, int b, int x, int y) {
    return l <= x && x <= r && t <= y && y <= b;
}

using base::Checked16;

// The sash's rectangles for an opening; a door leaf reaches down to the sill.
struct Rubovi {
    int L1, T1, R1, B1, L2, T2, R2, B2;
    int dno; // the lowest the leaf may reach
    bool Ispravni() const {
        return L1 < L2 && L2 < R2 && R2 < R1 && T1 < T2 && T2 < B2 && B2 <= B1 && B1 <= dno;
    }
    // Every value must fit the 16-bit fields before a node is made.
    void Provjeri16() const {
        for (int v : {L1, T1, R1, B1, L2, T2, R2, B2})
            Checked16(v);
    }
};

} // namespace

bool ModelProzora::UnutarOkvira(int x, int y) const {
    return DebStoka < x && x < Sirina - DebStoka && DebStoka < y && y < Visina - DebStoka;
}

Pogodak ModelProzora::Pogodi(int x, int y) {
    for (TPrecka& p : Precke)
        if (Sadrzi(p.L, p.T, p.R, p.B, x, y)) return {nullptr, &p};
    for (TOkvir& s : Okviri) {
        // A door leaf owns its opening down to the frame even when its sill strip ends above it.
        const int dno = s.Lajsna > 0 ? std::max(s.B1, WinBottom) : s.B1;
        if (!Sadrzi(s.L1, s.T1, s.R1, dno, x, y)) continue;
        if (!Sadrzi(s.L2, s.T2, s.R2, s.B2, x, y)) return {&s, nullptr};
        for (TPrecka& p : s.Precke)
            if (Sadrzi(p.L, p.T, p.R, p.B, x, y)) return {&s, &p};
    }
    return {};
}

Otvor ModelProzora::OtvorNaTocki(int x, int y) {
    Otvor o;
    for (TOkvir& s : Okviri) {
        if (Sadrzi(s.L2, s.T2, s.R2, s.B2, x, y)) {
            o.Okvir = &s;
            o.Rub = {s.L2, s.T2, s.R2, s.B2};
            break;
        }
    }
    if (!o.Okvir) o.Rub = {DebStoka, DebStoka, base::Sub16(Sirina, DebStoka), base::Sub16(Visina, DebStoka)};
    Pravokutnik& r = o.Rub;
    for (const TPrecka& p : ListaZa(o.Okvir)) {
        if (p.Vodoravna == 0 && p.T <= y && y <= p.B) {
            if (p.R > r.L && p.R <= x) r.L = p.R;
            if (p.L < r.R && p.L >= x) r.R = p.L;
        }
        if (p.Vodoravna != 0 && p.L <= x && x <= p.R) {
            if (p.B > r.T && p.B <= y) r.T = p.B;
            if (p.T < r.B && p.T >= y) r.B = p.T;
        }
    }
    return o;
}

namespace {

// Only an empty spot inside the frame, outside every sash, takes a new sash.
bool SlobodnoZaOkvir(ModelProzora& m, int x, int y, Otvor& otvor) {
    if (!m.UnutarOkvira(x, y)) return false;
    const Pogodak p = m.Pogodi(x, y);
    if (p.Okvir || p.Precka) return false;
    otvor = m.OtvorNaTocki(x, y);
    return otvor.Okvir == nullptr;
}

Rubovi RuboviOkvira(const ModelProzora& m, int l, int t, int r, int b, int debljina, int lajsna) {
    const int p = m.Preklapanje;
    Rubovi k{l, t, r, b, l + debljina - p, t + debljina - p, r - debljina + p, b - debljina + p, m.MaxBottom};
    if (m.Vrata && b == m.WinBottom) {
        if (lajsna < 1) throw base::Exception("Visina lajsne vrata mora biti veća od 0");
        k.B1 = m.MaxBottom - lajsna + p;
        k.B2 = k.B1 - debljina;
    }
    return k;
}

void Upisi(TOkvir& s, const Rubovi& k, int debljina, std::int32_t artikl, int lajsna, bool vrata) {
    s.L1 = Checked16(k.L1), s.T1 = Checked16(k.T1), s.R1 = Checked16(k.R1), s.B1 = Checked16(k.B1);
    s.L2 = Checked16(k.L2), s.T2 = Checked16(k.T2), s.R2 = Checked16(k.R2), s.B2 = Checked16(k.B2);
    s.DebProfila = Checked16(debljina);
    s.ArtiklOkvira = artikl;
    s.Lajsna = vrata ? Checked16(lajsna) : 0;
}

} // namespace

TOkvir* ModelProzora::DodajOkvir(int x, int y, int debljina, std::int32_t artikl, int lajsna) {
    Otvor otvor;
    if (debljina < 1 || !SlobodnoZaOkvir(*this, x, y, otvor)) return nullptr;
    const Pravokutnik& o = otvor.Rub;
    if (o.R - o.L <= 2 * debljina || o.B - o.T <= 2 * debljina) return nullptr;
    const Rubovi k = RuboviOkvira(*this, o.L, o.T, o.R, o.B, debljina, lajsna);
    if (!k.Ispravni()) return nullptr;
    k.Provjeri16();
    Checked16(lajsna);
    const std::int16_t broj = base::Add16(BrojacOkvira, 1);
    TOkvir& s = NewOkvir();
    Upisi(s, k, debljina, artikl, lajsna, Vrata && o.B == WinBottom);
    s.RedniBroj = BrojacOkvira = broj;
    return &s;
}

TOkvir* ModelProzora::DodajDvostrukiOkvir(int x, int y, int t, int g, std::int32_t artikl, int lajsna) {
    Otvor otvor;
    if (t < 1 || g < 0 || !SlobodnoZaOkvir(*this, x, y, otvor)) return nullptr;
    const Pravokutnik& o = otvor.Rub;
    if (o.R - o.L < 4 * t || o.B - o.T < 2 * t) return nullptr;
    const int pola = (o.R - o.L) / 2;
    const int p = Preklapanje;
    Rubovi lijevi = RuboviOkvira(*this, o.L, o.T, o.L + pola, o.B, t, lajsna);
    lijevi.R2 = lijevi.R1 - t - g / 2;
    Rubovi desni = RuboviOkvira(*this, o.L + pola, o.T, o.R, o.B, t, lajsna);
    desni.L2 = desni.L1 + t + (g - g / 2);
    desni.R2 = o.R - t + p;
    if (!lijevi.Ispravni() || !desni.Ispravni()) return nullptr;
    lijevi.Provjeri16();
    desni.Provjeri16();
    Checked16(lajsna);
    const std::int16_t broj = base::Add16(BrojacOkvira, 1);
    if (Okviri.size() + 2 > static_cast<std::size_t>(INT16_MAX)) throw base::Overflow();
    const bool vrata = Vrata && o.B == WinBottom;
    TOkvir& l = NewOkvir();
    Upisi(l, lijevi, t, artikl, lajsna, vrata);
    TOkvir& d = NewOkvir();
    Upisi(d, desni, t, artikl, lajsna, vrata);
    l.RedniBroj = d.RedniBroj = BrojacOkvira = broj;
    l.Par = &d;
    d.Par = &l;
    return &d;
}

TPrecka* ModelProzora::DodajPrecku(int x, int y, bool vodoravna, int debljina, std::int32_t artikl) {
    if (debljina < 1 || !UnutarOkvira(x, y)) return nullptr;
    const Pogodak p = Pogodi(x, y);
    if (p.Okvir || p.Precka) return nullptr;
    const Otvor otvor = OtvorNaTocki(x, y);
    const Pravokutnik& o = otvor.Rub;
    // Across the opening: [lo, hi) is the span the new mullion's thickness lies in.
    const int lo = vodoravna ? o.T : o.L, hi = vodoravna ? o.B : o.R;
    if (hi - lo < debljina) return nullptr;
    int pocetak = std::max((vodoravna ? y : x) - debljina / 2, lo);
    if (pocetak + debljina > hi) pocetak = hi - debljina;
    const std::int16_t od = Checked16(pocetak), doKraja = Checked16(pocetak + debljina);
    TPrecka& n = NewPrecka(otvor.Okvir);
    n.ArtiklPrecke = artikl;
    n.Debljina = static_cast<std::int16_t>(debljina);
    n.Vodoravna = vodoravna ? 1 : 0;
    if (vodoravna) {
        n.L = o.L, n.R = o.R;
        n.T = od, n.B = doKraja;
    } else {
        n.T = o.T, n.B = o.B;
        n.L = od, n.R = doKraja;
    }
    return &n;
}

} // namespace windows
