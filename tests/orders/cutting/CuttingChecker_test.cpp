// Randomized jobs checked against the layout rules rather than against fixed answers.
#include "orders/cutting/Kombinacija.h"
#include "orders/cutting/Optim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace orders;

namespace {

int Between(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

struct Box {
    int x0, y0, x1, y1;
};

bool Intersect(const Box& a, const Box& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

SheetJob RandomJob(std::mt19937& rng) {
    SheetJob job;
    job.SirinaPloce = Between(rng, 200, 3500);
    job.VisinaPloce = Between(rng, 200, 3500);
    job.Rez = Between(rng, 0, 1) ? 0 : Between(rng, 1, 12);
    job.Okretno = Between(rng, 0, 1);
    PostavkeStakla& p = job.Postavke;
    p.PDolje = Between(rng, 0, 1);
    p.PLijevo = Between(rng, 0, 1);
    p.Popuni = Between(rng, 0, 1);
    p.Umetni = Between(rng, 0, 1);
    p.SvePoSirini = Between(rng, 0, 3) == 0;
    p.ZadnjaPoSirini = Between(rng, 0, 1);
    return job;
}

std::vector<TKomadStakla> RandomPanes(std::mt19937& rng, const SheetJob& job) {
    std::vector<TKomadStakla> panes;
    const int n = Between(rng, 0, 60);
    const int big = std::max(job.SirinaPloce, job.VisinaPloce) + 50;
    for (int i = 0; i < n; ++i) {
        TKomadStakla k;
        k.Broj = static_cast<std::int16_t>(i);
        const int kind = Between(rng, 0, 19);
        if (kind == 0) { // occasionally a pane that cannot be placed or has no size
            k.Sirina = static_cast<std::int16_t>(Between(rng, -5, big));
            k.Visina = static_cast<std::int16_t>(Between(rng, -5, big));
        } else if (kind == 1) { // exactly as high (or wide) as the sheet less the kerf
            k.Sirina = static_cast<std::int16_t>(Between(rng, 1, job.SirinaPloce / 2));
            k.Visina = static_cast<std::int16_t>(std::max(1, job.VisinaPloce - job.Rez));
        } else {
            k.Sirina = static_cast<std::int16_t>(Between(rng, 1, job.SirinaPloce * 2 / 3));
            k.Visina = static_cast<std::int16_t>(Between(rng, 1, job.VisinaPloce * 2 / 3));
        }
        panes.push_back(k);
    }
    SortPiecesByArea(panes);
    return panes;
}

void CheckSheetLayout(const std::vector<TKomadStakla>& panes, const SheetJob& job, const SheetLayout& r) {
    const int w = r.SirinaPloce, h = r.VisinaPloce, rez = job.Rez;
    ASSERT_EQ(std::min(w, h), std::min(job.SirinaPloce, job.VisinaPloce));
    std::map<int, std::vector<Box>> sheets;
    std::map<int, int> seen;
    std::map<int, TKomadStakla> byBroj;
    for (const TKomadStakla& k : panes)
        byBroj[k.Broj] = k;
    for (const TIzrezak& c : r.Izresci) {
        ASSERT_GE(c.Ploca, 1);
        ASSERT_LE(c.Ploca, r.BrojPloca);
        const Box b{c.X, c.Y, c.X + c.Sirina + rez, c.Y + c.Visina + rez};
        ASSERT_TRUE(c.X >= 0 && c.Y >= 0 && b.x1 <= w && b.y1 <= h)
            << "pane " << c.Broj << " leaves the sheet";
        for (const Box& o : sheets[c.Ploca])
            ASSERT_FALSE(Intersect(b, o)) << "pane " << c.Broj << " overlaps";
        sheets[c.Ploca].push_back(b);
        const TKomadStakla& in = byBroj.at(c.Broj);
        const bool same = c.Sirina == in.Sirina && c.Visina == in.Visina;
        const bool turned = c.Sirina == in.Visina && c.Visina == in.Sirina;
        ASSERT_TRUE(same || (job.Okretno && turned)) << "pane " << c.Broj << " changed size";
        ++seen[c.Broj];
    }
    for (const LeftOutPane& l : r.Izostavljeni)
        ++seen[l.Komad.Broj];
    ASSERT_EQ(seen.size(), panes.size());
    for (const auto& [broj, count] : seen)
        ASSERT_EQ(count, 1) << "pane " << broj;
    ASSERT_EQ(static_cast<int>(sheets.size()), r.BrojPloca) << "an empty sheet was counted";
}

} // namespace

TEST(SheetChecker, ThousandsOfRandomJobsKeepEveryPaneInsideItsSheetWithoutOverlap) {
    std::mt19937 rng(20261208);
    for (int run = 0; run < 3000; ++run) {
        const SheetJob job = RandomJob(rng);
        const std::vector<TKomadStakla> panes = RandomPanes(rng, job);
        SCOPED_TRACE("run " + std::to_string(run));
        CheckSheetLayout(panes, job, RunCuttingOptimisation(panes, job));
        if (HasFatalFailure()) return;
    }
}

TEST(BarChecker, ThousandsOfRandomListsFillBarsWithinTheirLength) {
    std::mt19937 rng(6102);
    for (int run = 0; run < 3000; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const int duzina = Between(rng, 0, 20) == 0 ? Between(rng, -10, 0) : Between(rng, 100, 6500);
        std::vector<TKomad> komadi;
        const int n = Between(rng, 0, 80);
        for (int i = 0; i < n; ++i) {
            TKomad k;
            k.Artikl = i;
            k.Prozor = static_cast<std::int16_t>(Between(rng, 1, 5));
            k.Duzina = static_cast<std::int16_t>(
                Between(rng, 0, 30) == 0 ? Between(rng, -50, 7000) : Between(rng, 20, std::max(20, duzina)));
            komadi.push_back(k);
        }
        Sort(komadi);
        const BarLayout r = Kombinacija(komadi, duzina);
        std::vector<int> seen(n, 0);
        for (const Sipka& s : r.Sipke) {
            ASSERT_FALSE(s.Komadi.empty());
            int sum = 0;
            for (std::size_t i = 0; i < s.Komadi.size(); ++i) {
                sum += s.Komadi[i].Duzina;
                ++seen.at(s.Komadi[i].Artikl);
                if (i > 0) {
                    const TKomad &a = s.Komadi[i - 1], &b = s.Komadi[i];
                    ASSERT_TRUE(a.Duzina > b.Duzina || (a.Duzina == b.Duzina && a.Prozor >= b.Prozor));
                }
            }
            ASSERT_EQ(sum, s.Iskoristeno);
            ASSERT_LE(sum, duzina);
        }
        for (const LeftOutPiece& l : r.Izostavljeni) {
            ++seen.at(l.Komad.Artikl);
            ASSERT_TRUE(duzina <= 0 || l.Komad.Duzina <= 0 || l.Komad.Duzina > duzina);
        }
        for (int c : seen)
            ASSERT_EQ(c, 1);
    }
}
