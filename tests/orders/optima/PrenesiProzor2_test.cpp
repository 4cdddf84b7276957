#include "orders/optima/PrenesiProzor2.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

using namespace orders;
using windows::RedoviTipa;

namespace {

std::string Rub(const windows::RedPrecke& p) {
    return std::to_string(p.L) + "," + std::to_string(p.T) + "," + std::to_string(p.R) + "," +
           std::to_string(p.B);
}

std::string Rub(const windows::RedOkvira& f) {
    return std::to_string(f.L1) + "," + std::to_string(f.T1) + "," + std::to_string(f.R1) + "," +
           std::to_string(f.B1) + " / " + std::to_string(f.L2) + "," + std::to_string(f.T2) + "," +
           std::to_string(f.R2) + "," + std::to_string(f.B2) + " k" + std::to_string(f.K);
}

TEST(PrenesiProzor2, AWiderItemMovesTheRightSideAndTheCentresButNoThickness) {
    windows::ModelProzora m;
    m.PostaviOkvirProzora(1000, 1000, 60);
    m.Preklapanje = 8;
    ASSERT_NE(m.DodajPrecku(500, 500, false, 80, 103), nullptr);
    windows::TOkvir* krilo = m.DodajOkvir(700, 500, 70, 102, 0);
    ASSERT_NE(krilo, nullptr);
    krilo->Q = 2, krilo->K = 740; // handle on the top side
    ASSERT_NE(m.DodajPrecku(700, 500, true, 40, 103), nullptr);
    const RedoviTipa tip = windows::RedoviIzModela(m, windows::VrstaTipa::Katalog);

    const Razmjer r = [&] {
        Razmjer x = RazmjerStavke(tip.Zaglavlje, 2000, 1000);
        x.Preklapanje = 8;
        return x;
    }();
    const RedoviTipa kopija = PrenesiProzor2(tip, r);
    const windows::ZaglavljeTipa& z = kopija.Zaglavlje;
    EXPECT_EQ(std::vector<int>({z.MaxRight, z.MaxBottom, z.WinLeft, z.WinTop, z.WinRight, z.WinBottom}),
              std::vector<int>({2000, 1000, 60, 60, 1940, 940}));
    ASSERT_EQ(kopija.Precke.size(), 1u);
    EXPECT_EQ(Rub(kopija.Precke[0]), "960,60,1040,940"); // centre 500 -> 1000, still 80 thick
    ASSERT_EQ(kopija.Okviri.size(), 1u);
    // Its left side rests on the mullion, its right on the frame; the handle follows the width.
    EXPECT_EQ(Rub(kopija.Okviri[0]), "1040,60,1940,940 / 1102,122,1878,878 k1480");
    ASSERT_EQ(kopija.PreckeOkvira.size(), 1u);
    EXPECT_EQ(Rub(kopija.PreckeOkvira[0]), "1102,480,1878,520");

    windows::ModelProzora kopiran;
    windows::ModelIzRedova(kopiran, kopija, windows::VrstaTipa::Kopija, {3, 101, 8});
    EXPECT_EQ(kopiran.Sirina, 2000);
    EXPECT_EQ(kopiran.WinRight, 1940);

    windows::ZaglavljeTipa bezMjera;
    EXPECT_THROW(RazmjerStavke(bezMjera, 1000, 1000), base::Exception);
}

} // namespace
