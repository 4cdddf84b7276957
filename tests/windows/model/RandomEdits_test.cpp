#include "windows/model/ModelFaults.h"
#include "windows/model/ModelProzora.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>

using namespace windows;

namespace {

class Nasumicno {
public:
    explicit Nasumicno(unsigned seed) : gen_(seed) {}
    int Broj(int od, int doKraja) {
        return doKraja <= od ? od : std::uniform_int_distribution<int>(od, doKraja)(gen_);
    }
    bool Novcic() { return Broj(0, 1) == 1; }

private:
    std::mt19937 gen_;
};

struct Izbor {
    TOkvir* vlasnik = nullptr;
    TPrecka* precka = nullptr;
};

Izbor NekaPrecka(ModelProzora& m, Nasumicno& r) {
    int ukupno = m.BrojPrecki();
    for (TOkvir& s : m.Okviri)
        ukupno += s.BrojPrecki();
    if (ukupno == 0) return {};
    int n = r.Broj(0, ukupno - 1);
    for (TPrecka& p : m.Precke)
        if (n-- == 0) return {nullptr, &p};
    for (TOkvir& s : m.Okviri)
        for (TPrecka& p : s.Precke)
            if (n-- == 0) return {&s, &p};
    return {};
}

TOkvir* NekiOkvir(ModelProzora& m, Nasumicno& r) {
    if (m.Okviri.empty()) return nullptr;
    auto it = m.Okviri.begin();
    std::advance(it, r.Broj(0, m.BrojOkvira() - 1));
    return &*it;
}

// One random edit of the kind the designer and the work orders make; returns what it did.
std::string NasumicnaIzmjena(ModelProzora& m, Nasumicno& r, int& pomaknuto) {
    const Mjerilo mj = Mjerilo::ZaVelicinu(m.Sirina, m.Visina);
    const int x = r.Broj(m.DebStoka + 1, m.Sirina - m.DebStoka - 1);
    const int y = r.Broj(m.DebStoka + 1, m.Visina - m.DebStoka - 1);
    switch (r.Broj(0, 13)) {
    case 0:
    case 1:
        m.DodajPrecku(x, y, r.Novcic(), r.Broj(20, 80), 1);
        return "add mullion";
    case 2:
        m.DodajOkvir(x, y, r.Broj(15, 130), 2, r.Novcic() ? 45 : 25);
        return "add sash";
    case 3:
        m.DodajDvostrukiOkvir(x, y, r.Broj(15, 130), r.Broj(0, 30), 3, 45);
        return "add double sash";
    case 4:
    case 5:
    case 6: {
        const Izbor i = NekaPrecka(m, r);
        if (!i.precka) return "nothing";
        const int smjer = i.precka->Vodoravna ? (r.Novcic() ? 2 : 4) : (r.Novcic() ? 1 : 3);
        pomaknuto += m.PomakniPrecku(i.vlasnik, i.precka, smjer, r.Broj(1, 600), mj);
        return "move mullion";
    }
    case 7: {
        const int koja = r.Novcic() ? -1 : 1;
        const int stara = koja < 0 ? m.Sirina : m.Visina;
        const int nova = std::clamp(stara + r.Broj(-800, 500), 1, ModelProzora::NajvecaVelicina);
        const int dobiveno = koja < 0 ? m.PostaviSirinu(nova, mj) : m.PostaviVisinu(nova, mj);
        pomaknuto += std::abs(dobiveno - stara);
        return koja < 0 ? "change width" : "change height";
    }
    case 8:
        pomaknuto += std::abs(m.DebStoka - m.PostaviDebStoka(std::max(1, m.DebStoka + r.Broj(-20, 40)), mj));
        return "change frame thickness";
    case 9: {
        TOkvir* s = NekiOkvir(m, r);
        if (s) m.PromijeniDebljinuOkvira(s, std::max(1, s->DebProfila + r.Broj(-20, 40)), mj);
        return "change sash thickness";
    }
    case 10: {
        const Izbor i = NekaPrecka(m, r);
        if (!i.precka) return "nothing";
        m.PromijeniDebljinuPrecke(i.vlasnik, i.precka, std::max(1, i.precka->Debljina + r.Broj(-20, 60)), mj);
        return "change mullion thickness";
    }
    case 11: {
        TOkvir* s = NekiOkvir(m, r);
        if (s) pomaknuto += std::abs(m.PomakniSredinuOkvira(s, r.Broj(-400, 400), mj));
        return "move meeting line";
    }
    case 12: {
        TOkvir* s = NekiOkvir(m, r);
        if (s && r.Novcic()) m.NacinOtvaranja(s, 1 << r.Broj(0, 4));
        if (s) m.PostaviKvaku(s, r.Broj(s->L1, s->R1), r.Broj(s->T1, s->B1), mj);
        return "opening mode or handle";
    }
    default: {
        if (r.Novcic()) {
            const Izbor i = NekaPrecka(m, r);
            if (i.precka && m.MozeBrisatiPrecku(i.vlasnik, i.precka)) m.DelPrecka(i.vlasnik, i.precka);
            return "delete mullion";
        }
        TOkvir* s = NekiOkvir(m, r);
        if (s && m.MozeBrisatiOkvir(s)) m.ObrisiOkvirSParom(s);
        return "delete sash";
    }
    }
}

std::string Opis(const ModelProzora& m) {
    std::ostringstream o;
    o << "window " << m.Sirina << " x " << m.Visina << ", frame " << m.DebStoka << ", overlap "
      << m.Preklapanje << "\n";
    auto precka = [&](const TPrecka& p, const char* uvlaka) {
        o << uvlaka << (p.Vodoravna ? "horizontal " : "vertical ") << p.L << "," << p.T << "," << p.R << ","
          << p.B << "\n";
    };
    for (const TPrecka& p : m.Precke)
        precka(p, " ");
    for (const TOkvir& s : m.Okviri) {
        o << " sash " << s.L1 << "," << s.T1 << "," << s.R1 << "," << s.B1 << " / " << s.L2 << "," << s.T2
          << "," << s.R2 << "," << s.B2 << (s.Par ? " double" : "") << " profile " << s.DebProfila
          << " handle " << s.Q << "@" << s.K << " sill " << s.Lajsna << "\n";
        for (const TPrecka& p : s.Precke)
            precka(p, "   ");
    }
    return o.str();
}

} // namespace

TEST(RandomEdits, EveryElementStaysInItsOpeningAndNothingOverlaps) {
    int pomaknuto = 0, koraka = 0;
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        Nasumicno r(seed);
        ModelProzora m;
        m.PostaviOkvirProzora(r.Broj(300, 6000), r.Broj(300, 6000), r.Broj(20, 100));
        m.Preklapanje = static_cast<std::int16_t>(r.Broj(0, 20));
        m.Vrata = r.Broj(0, 3) == 0;
        for (int korak = 0; korak < 250; ++korak, ++koraka) {
            const std::string sto = NasumicnaIzmjena(m, r, pomaknuto);
            const auto greske = ModelFaults(m);
            ASSERT_TRUE(greske.empty())
                << "seed " << seed << " step " << korak << " after " << sto << ": " << greske.front() << "\n"
                << Opis(m);
        }
    }
    EXPECT_GE(koraka, 250000);
    // The edits really moved things: the limits are not all zero.
    EXPECT_GT(pomaknuto, 100000);
}
