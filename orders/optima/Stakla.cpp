#include "orders/optima/Komadi.h"

#include <algorithm>

namespace orders {

namespace {

using windows::TOkvir;
using windows::TPrecka;

constexpr int NemaSusjeda = 32000;

struct Rub {
    int L, T, R, B;
    bool operator==(const Rub&) const = default;
};

struct Otvori {
    int sm;
    std::vector<Rub> vidjeni; // one pane per opening, however many mullions reach it
    std::vector<Okno> okna;

    void Dodaj(const Rub& otvor) {
        if (std::find(vidjeni.begin(), vidjeni.end(), otvor) != vidjeni.end()) return;
        vidjeni.push_back(otvor);
        okna.push_back({otvor.R - otvor.L - 2 * sm, otvor.B - otvor.T - 2 * sm});
    }
};

// The openings on both sides of mullion M, up to its nearest neighbour facing it (a mullion of the same
// list or, at window level, a sash) or else the limit. Only neighbours that overlap M along its length
// face it.
void OtvoriUzPrecku(const TPrecka& M, const std::vector<Rub>& susjedi, const Rub& granica, Otvori& out) {
    const bool okomita = M.Vodoravna == 0;
    int prije = NemaSusjeda, poslije = NemaSusjeda;
    for (const Rub& N : susjedi) {
        const bool nasuprot = okomita ? (N.T < M.B && M.T < N.B) : (N.L < M.R && M.L < N.R);
        if (!nasuprot) continue;
        const int p = okomita ? M.L - N.R : M.T - N.B;
        const int d = okomita ? N.L - M.R : N.T - M.B;
        if (p >= 0 && p < prije) prije = p;
        if (d >= 0 && d < poslije) poslije = d;
    }
    if (okomita) {
        if (prije == NemaSusjeda) prije = M.L - granica.L;
        if (poslije == NemaSusjeda) poslije = granica.R - M.R;
        if (prije > 0) out.Dodaj({M.L - prije, M.T, M.L, M.B});
        if (poslije > 0) out.Dodaj({M.R, M.T, M.R + poslije, M.B});
    } else {
        if (prije == NemaSusjeda) prije = M.T - granica.T;
        if (poslije == NemaSusjeda) poslije = granica.B - M.B;
        if (prije > 0) out.Dodaj({M.L, M.T - prije, M.R, M.T});
        if (poslije > 0) out.Dodaj({M.L, M.B, M.R, M.B + poslije});
    }
}

void OtvoriListe(const windows::ListaPrecki& lista, std::vector<Rub> drugi, const Rub& granica, Otvori& out) {
    for (const TPrecka& M : lista) {
        std::vector<Rub> susjedi = drugi;
        for (const TPrecka& N : lista)
            if (&N != &M) susjedi.push_back({N.L, N.T, N.R, N.B});
        OtvoriUzPrecku(M, susjedi, granica, out);
    }
}

} // namespace

std::vector<Okno> NaciniListuStakla(const windows::ModelProzora& m, int sm, int preklapanje) {
    Otvori prozor{sm, {}, {}};
    std::vector<Rub> krila;
    for (const TOkvir& f : m.Okviri)
        krila.push_back({f.L1, f.T1, f.R1, f.B1});
    const Rub unutra{m.WinLeft, m.WinTop, m.WinRight, m.WinBottom};
    OtvoriListe(m.Precke, krila, unutra, prozor);
    // A fixed light: the frame's whole opening is glazed.
    if (m.Precke.empty() && m.Okviri.empty()) prozor.Dodaj(unutra);

    std::vector<Okno> okna = prozor.okna;
    for (const TOkvir& f : m.Okviri) {
        if (f.Precke.empty()) {
            okna.push_back({f.R2 - f.L2, f.B2 - f.T2}); // a sash's glass is not reduced
            continue;
        }
        Rub granica{f.L2, f.T2, f.R2, f.B2};
        // Inside a door leaf the glass below a transom ends above the sill strip.
        if (f.Lajsna != 0) granica.B = f.B2 - (f.DebProfila - f.Lajsna + preklapanje);
        Otvori krilo{sm, {}, {}};
        for (const TPrecka& M : f.Precke) {
            std::vector<Rub> susjedi;
            for (const TPrecka& N : f.Precke)
                if (&N != &M) susjedi.push_back({N.L, N.T, N.R, N.B});
            Rub g = granica;
            if (M.Vodoravna == 0) g.B = f.B2; // the sill limit applies below a transom only
            OtvoriUzPrecku(M, susjedi, g, krilo);
        }
        okna.insert(okna.end(), krilo.okna.begin(), krilo.okna.end());
    }
    return okna;
}

} // namespace orders
