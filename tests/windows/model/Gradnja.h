#pragma once
#include "windows/model/ModelProzora.h"

#include <gtest/gtest.h>

// Models built directly in code for the tests.
namespace gradnja {

using windows::ModelProzora;
using windows::TOkvir;
using windows::TPrecka;

inline std::int16_t S(int v) {
    return static_cast<std::int16_t>(v);
}

// A sash laid into an opening: glazing inset by the profile less the overlap.
inline TOkvir& Krilo(ModelProzora& m, int l, int t, int r, int b, int d) {
    TOkvir& s = m.NewOkvir();
    const int u = d - m.Preklapanje;
    s.L1 = S(l), s.T1 = S(t), s.R1 = S(r), s.B1 = S(b);
    s.L2 = S(l + u), s.T2 = S(t + u), s.R2 = S(r - u), s.B2 = S(b - u);
    s.DebProfila = S(d);
    m.BrojacOkvira = S(m.BrojacOkvira + 1);
    s.RedniBroj = m.BrojacOkvira;
    return s;
}

inline TPrecka& Precka(ModelProzora& m, TOkvir* vlasnik, int l, int t, int r, int b, bool vodoravna) {
    TPrecka& p = m.NewPrecka(vlasnik);
    p.L = S(l), p.T = S(t), p.R = S(r), p.B = S(b);
    p.Vodoravna = vodoravna ? 1 : 0;
    p.Debljina = S(vodoravna ? b - t : r - l);
    return p;
}

inline TPrecka& Okomita(ModelProzora& m, TOkvir* vlasnik, int l, int r, int t, int b) {
    return Precka(m, vlasnik, l, t, r, b, false);
}
inline TPrecka& Vodoravna(ModelProzora& m, TOkvir* vlasnik, int t, int b, int l, int r) {
    return Precka(m, vlasnik, l, t, r, b, true);
}

// A window of the given size with a 60 mm frame and a 5 mm overlap, drawn at the scale 2400
// (Tolerancija1 8, Tolerancija2 28).
template <int Sirina, int Visina> class Prozor : public ::testing::Test {
protected:
    ModelProzora m;
    const windows::Mjerilo mj2400{2400};
    void SetUp() override {
        m.PostaviOkvirProzora(Sirina, Visina, 60);
        m.Preklapanje = 5;
    }
};

} // namespace gradnja
