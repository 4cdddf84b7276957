#include "orders/cutting/Optim.h"

#include "base/Exceptions.h"
#include "base/Int16.h"
#include "orders/cutting/ExchangeSort.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace orders {
namespace {

struct Size {
    int Sirina;
    int Visina;
};

void Turn(TKomadStakla& k) {
    std::swap(k.Sirina, k.Visina);
}

// Whether a pane of sides s x v can start a strip on an empty sheet: the strip test of the run
// accepts a pane only when its height plus the kerf stays strictly below the sheet's height.
bool PlaceableOn(int s, int v, int w, int h, int rez, bool okretno) {
    return (s + rez <= w && v + rez < h) || (okretno && v + rez <= w && s + rez < h);
}

bool FitsSheetOn(int s, int v, int w, int h, int rez, bool okretno) {
    return (s + rez <= w && v + rez <= h) || (okretno && v + rez <= w && s + rez <= h);
}

// The placement state of one run: the pane list, the placements of the sheet being filled and the
// finished cut-outs, with the sheet and the counters.
class Optim {
public:
    Optim(std::vector<TKomadStakla> komadi, const SheetJob& job)
        : komadi_(std::move(komadi)), w_(job.SirinaPloce), h_(job.VisinaPloce), rez_(job.Rez),
          okretno_(job.Okretno), p_(job.Postavke) {}

    SheetLayout Run();

private:
    // The box a placement occupies: its pane and the kerf after it in both directions.
    int Right(const TSmjestaj& s) const { return s.X + s.Sirina + rez_; }
    int Top(const TSmjestaj& s) const { return s.Y + s.Visina + rez_; }
    bool Meets(int x0, int y0, int x1, int y1) const;
    bool Fits(int x, int y, Size k, int right, int top) const {
        return x + k.Sirina + rez_ <= right && y + k.Visina + rez_ <= top &&
               !Meets(x, y, x + k.Sirina + rez_, y + k.Visina + rez_);
    }
    template <class FitTest> std::optional<Size> Orient(const TKomadStakla& k, FitTest fits) const;

    void LeaveOutUnplaceable(SheetLayout& out);
    bool ChooseFirst(TKomadStakla& k) const;
    bool ChooseLater(TKomadStakla& k, int limit) const;
    bool FillStrip();
    void FinishSheet();
    bool RedoPossible() const;
    void PackPieces();
    bool StackInRoom(int x, int y, int right, int top);
    // Strip numbers only tell the first strip of a sheet from later ones, so they stop at the
    // 16-bit limit instead of wrapping.
    std::int16_t StripNumber() const { return static_cast<std::int16_t>(std::min(brojTrake_, 32767)); }

    void ZapisiTraku();
    bool MozeSePomaknuti(const TSmjestaj& s, int& newX) const;
    void PomakniLijevo();
    void PomakniDolje();
    bool UmetniKomade();
    void ZapisiPlocu();
    void SljedecaTraka();
    void DodajSmjestaj(std::size_t indeks, int x, int y, Size k);
    void PopuniPlocu();
    void OkreniSve();
    void ZamijeniRezultate();
    void VratiZadnjuPlocu();
    void ZamijeniSmjestaje();

    std::vector<TKomadStakla> komadi_;
    std::vector<TSmjestaj> smjestaji_;
    std::vector<TIzrezak> izresci_;
    int w_, h_, rez_;
    bool okretno_;
    PostavkeStakla p_;
    int brojTrake_ = 1;
    int brojPloca_ = 0;
    int stripX_ = 0;
    int rightEdge_ = 0;
    // The placements of the last non-empty strip of the sheet (placements are only appended while a
    // sheet is filled, so the range stays valid while they move).
    std::size_t lastStripBegin_ = 0, lastStripEnd_ = 0;
};

bool Optim::Meets(int x0, int y0, int x1, int y1) const {
    for (const TSmjestaj& s : smjestaji_)
        if (s.X < x1 && x0 < Right(s) && s.Y < y1 && y0 < Top(s)) return true;
    return false;
}

// Orientation of a pane in the filling helpers: turned when the turned pane fits and either it does
// not fit as it lies or turning puts its longer side across; else as it lies when that fits.
template <class FitTest> std::optional<Size> Optim::Orient(const TKomadStakla& k, FitTest fits) const {
    const Size lies{k.Sirina, k.Visina}, turned{k.Visina, k.Sirina};
    const bool liesFits = fits(lies);
    if (okretno_ && fits(turned) && (!liesFits || k.Visina > k.Sirina)) return turned;
    if (liesFits) return lies;
    return std::nullopt;
}

void Optim::LeaveOutUnplaceable(SheetLayout& out) {
    std::vector<TKomadStakla> kept;
    for (const TKomadStakla& k : komadi_) {
        // The working sheet may already be turned across; the pane is tested as the run will see it.
        const int s = p_.SvePoSirini ? k.Visina : k.Sirina;
        const int v = p_.SvePoSirini ? k.Sirina : k.Visina;
        if (k.Sirina <= 0 || k.Visina <= 0)
            out.Izostavljeni.push_back({k, PaneFault::SizeNotPositive});
        else if (!FitsSheetOn(s, v, w_, h_, rez_, okretno_))
            out.Izostavljeni.push_back({k, PaneFault::LargerThanSheet});
        else if (!PlaceableOn(s, v, w_, h_, rez_, okretno_))
            out.Izostavljeni.push_back({k, PaneFault::TooHighForStrip});
        else
            kept.push_back(k);
    }
    komadi_ = std::move(kept);
}

bool Optim::ChooseFirst(TKomadStakla& k) const {
    const bool liesFits = stripX_ + k.Sirina + rez_ <= w_ && k.Visina + rez_ <= h_;
    if (!okretno_) return liesFits;
    if (liesFits) {
        if (stripX_ + k.Visina + rez_ <= w_ && k.Visina > k.Sirina) Turn(k);
        return true;
    }
    if (stripX_ + k.Visina + rez_ <= w_ && k.Sirina + rez_ <= h_) {
        Turn(k);
        return true;
    }
    return false;
}

bool Optim::ChooseLater(TKomadStakla& k, int limit) const {
    if (k.Sirina + rez_ > limit) {
        if (!okretno_ || k.Visina + rez_ > limit) return false;
        Turn(k);
        return true;
    }
    if (okretno_ && k.Sirina < k.Visina && k.Visina + rez_ <= limit) Turn(k);
    return true;
}

// One pass over the pane list for the strip at stripX_. The width limit starts at the room left from
// the strip's x, so no pane can reach past the sheet's edge even when the first chosen pane is then
// refused by the height test.
bool Optim::FillStrip() {
    bool started = false, placed = false;
    int y = 0, limit = w_ - stripX_;
    rightEdge_ = stripX_;
    for (TKomadStakla& k : komadi_) {
        if (!started) {
            if (!ChooseFirst(k)) continue;
            started = true;
        } else if (!ChooseLater(k, limit)) {
            continue;
        }
        if (y + k.Visina + rez_ < h_) {
            k.Postavljen = 1;
            k.Uz = 0;
            limit = k.Sirina + rez_;
            rightEdge_ = std::max(rightEdge_, stripX_ + k.Sirina + rez_);
            y += k.Visina + rez_;
            placed = true;
        }
    }
    return placed;
}

void Optim::PackPieces() {
    std::erase_if(komadi_, [](const TKomadStakla& k) { return k.Postavljen != 0; });
}

void Optim::ZapisiTraku() {
    const std::size_t begin = smjestaji_.size();
    int y = 0;
    for (std::size_t i = 0; i < komadi_.size(); ++i) {
        const TKomadStakla& k = komadi_[i];
        if (!k.Postavljen) continue;
        smjestaji_.push_back({k.Broj, StripNumber(), static_cast<std::int16_t>(stripX_),
                              static_cast<std::int16_t>(y), k.Sirina, k.Visina,
                              static_cast<std::int32_t>(i)});
        y += k.Visina + rez_;
    }
    if (smjestaji_.size() > begin) {
        lastStripBegin_ = begin;
        lastStripEnd_ = smjestaji_.size();
    }
    ++brojTrake_;
    PackPieces();
}

void Optim::DodajSmjestaj(std::size_t indeks, int x, int y, Size k) {
    TKomadStakla& komad = komadi_.at(indeks);
    smjestaji_.push_back({komad.Broj, StripNumber(), static_cast<std::int16_t>(x),
                          static_cast<std::int16_t>(y), static_cast<std::int16_t>(k.Sirina),
                          static_cast<std::int16_t>(k.Visina), static_cast<std::int32_t>(indeks)});
    komad.Postavljen = 1;
    komad.Uz = 0;
}

// Room to the left: the nearest box edge met when sliding the placement towards x = 0 at its height.
bool Optim::MozeSePomaknuti(const TSmjestaj& s, int& newX) const {
    newX = 0;
    for (const TSmjestaj& o : smjestaji_)
        if (&o != &s && o.Y < Top(s) && s.Y < Top(o) && Right(o) <= s.X) newX = std::max(newX, Right(o));
    return newX < s.X && s.Visina > 0;
}

void Optim::PomakniLijevo() {
    if (!p_.PLijevo) return;
    for (TSmjestaj& s : smjestaji_) {
        int newX = 0;
        if (s.Ploca > 1 && s.X > 0 && MozeSePomaknuti(s, newX)) s.X = static_cast<std::int16_t>(newX);
    }
}

void Optim::PomakniDolje() {
    if (!p_.PDolje) return;
    for (TSmjestaj& s : smjestaji_) {
        if (s.Y <= 0) continue;
        int newY = 0;
        for (const TSmjestaj& o : smjestaji_)
            if (&o != &s && o.X < Right(s) && s.X < Right(o) && Top(o) <= s.Y) newY = std::max(newY, Top(o));
        s.Y = static_cast<std::int16_t>(newY);
    }
}

// Beside every placement of the last strip, from its right box edge to the sheet's right and top
// edges, panes are stacked upwards where they meet no other placement.
// Tries each remaining pane once, in list order, stacking those that fit upwards from (x, y) in the
// room up to `right` and `top`, clear of every other placement.
bool Optim::StackInRoom(int x, int y, int right, int top) {
    bool added = false;
    for (std::size_t i = 0; i < komadi_.size(); ++i) {
        if (komadi_[i].Postavljen) continue;
        auto o = Orient(komadi_[i], [&](Size k) { return Fits(x, y, k, right, top); });
        if (!o) continue;
        DodajSmjestaj(i, x, y, *o);
        y += o->Visina + rez_;
        added = true;
    }
    return added;
}

bool Optim::UmetniKomade() {
    if (!p_.Umetni) return false;
    bool inserted = false;
    for (std::size_t s = lastStripBegin_; s < lastStripEnd_; ++s) {
        if (StackInRoom(Right(smjestaji_[s]), smjestaji_[s].Y, w_, h_)) inserted = true;
    }
    PackPieces();
    return inserted;
}

void Optim::ZapisiPlocu() {
    const std::int16_t ploca = base::Checked16(brojPloca_);
    for (const TSmjestaj& s : smjestaji_)
        izresci_.push_back({s.Broj, ploca, s.X, s.Y, s.Sirina, s.Visina});
    smjestaji_.clear();
    lastStripBegin_ = lastStripEnd_ = 0;
}

// The strip just recorded is as wide as its first placement; beside each narrower placement the room
// up to that width, over the narrower placement's own box height, takes panes stacked upwards.
void Optim::SljedecaTraka() {
    const int stripRight = Right(smjestaji_[lastStripBegin_]);
    const int stripWidth = smjestaji_[lastStripBegin_].Sirina;
    ++brojTrake_;
    bool added = false;
    for (std::size_t s = lastStripBegin_; s < lastStripEnd_; ++s) {
        if (smjestaji_[s].Sirina >= stripWidth) continue;
        if (StackInRoom(Right(smjestaji_[s]), smjestaji_[s].Y, stripRight, Top(smjestaji_[s]))) added = true;
    }
    if (!added) {
        --brojTrake_;
        return;
    }
    PackPieces();
    PomakniLijevo();
    PomakniDolje();
    PomakniLijevo();
}

// On top of every placement whose area up to the sheet's right and top edges is free of other
// placements, the first remaining pane that fits there. Covers the placements present when it starts.
void Optim::PopuniPlocu() {
    if (!p_.Popuni) return;
    const std::size_t count = smjestaji_.size();
    for (std::size_t s = 0; s < count && !komadi_.empty(); ++s) {
        const int x = smjestaji_[s].X;
        const int y = Top(smjestaji_[s]);
        if (y >= h_ || Meets(x, y, w_, h_)) continue;
        for (std::size_t i = 0; i < komadi_.size(); ++i) {
            if (komadi_[i].Postavljen) continue;
            auto o = Orient(komadi_[i],
                            [&](Size k) { return x + k.Sirina + rez_ <= w_ && y + k.Visina + rez_ <= h_; });
            if (!o) continue;
            DodajSmjestaj(i, x, y, *o);
            break;
        }
    }
    PackPieces();
}

void Optim::OkreniSve() {
    for (TKomadStakla& k : komadi_)
        Turn(k);
}

void Optim::ZamijeniRezultate() {
    for (TIzrezak& r : izresci_) {
        std::swap(r.X, r.Y);
        std::swap(r.Sirina, r.Visina);
    }
    std::swap(w_, h_);
}

void Optim::ZamijeniSmjestaje() {
    for (TSmjestaj& s : smjestaji_) {
        std::swap(s.X, s.Y);
        std::swap(s.Sirina, s.Visina);
    }
    std::swap(w_, h_);
}

void Optim::VratiZadnjuPlocu() {
    for (const TSmjestaj& s : smjestaji_)
        komadi_.push_back({s.Broj, s.Sirina, s.Visina, 0, 0});
    smjestaji_.clear();
    lastStripBegin_ = lastStripEnd_ = 0;
}

void Optim::FinishSheet() {
    ++brojPloca_;
    for (int pass = 0; pass < 5; ++pass) {
        PopuniPlocu();
        PomakniLijevo();
        PomakniDolje();
        PomakniLijevo();
    }
}

// The last sheet laid across must be able to start a strip with each of its panes.
bool Optim::RedoPossible() const {
    return std::all_of(smjestaji_.begin(), smjestaji_.end(), [&](const TSmjestaj& s) {
        return PlaceableOn(s.Visina, s.Sirina, h_, w_, rez_, okretno_);
    });
}

SheetLayout Optim::Run() {
    SheetLayout out;
    if (okretno_ && h_ < w_) std::swap(w_, h_);
    out.SirinaPloce = w_;
    out.VisinaPloce = h_;
    if (p_.SvePoSirini) std::swap(w_, h_);
    LeaveOutUnplaceable(out);
    if (komadi_.empty()) return out;
    if (p_.SvePoSirini) OkreniSve();

    struct Saved {
        std::vector<TSmjestaj> smjestaji;
        int w, h, brojPloca;
    };
    std::optional<Saved> firstLayout; // the last sheet as first laid out, while its redo runs
    while (true) {
        const bool placed = FillStrip();
        ZapisiTraku();
        if (komadi_.empty()) {
            PomakniLijevo();
            PomakniDolje();
            while (UmetniKomade()) {
                PomakniLijevo();
                PomakniDolje();
            }
            FinishSheet();
            if (!p_.SvePoSirini && p_.ZadnjaPoSirini && !firstLayout && RedoPossible()) {
                firstLayout = Saved{smjestaji_, w_, h_, brojPloca_};
                stripX_ = 0;
                --brojPloca_;
                VratiZadnjuPlocu();
                OkreniSve();
                std::swap(w_, h_);
                continue;
            }
            if (firstLayout) ZamijeniSmjestaje();
            break;
        }
        if (placed) {
            stripX_ = rightEdge_;
            SljedecaTraka();
            continue;
        }
        if (firstLayout) {
            // The redo needs a second sheet: the first layout of the last sheet stays.
            smjestaji_ = std::move(firstLayout->smjestaji);
            w_ = firstLayout->w;
            h_ = firstLayout->h;
            brojPloca_ = firstLayout->brojPloca;
            komadi_.clear();
            break;
        }
        if (smjestaji_.empty()) throw base::Exception("Greška: Optimizacija stakla nije mogla nastaviti!!!");
        stripX_ = 0;
        PomakniLijevo();
        PomakniDolje();
        PomakniLijevo();
        while (UmetniKomade()) {
            PomakniLijevo();
            PomakniDolje();
        }
        brojTrake_ = 1;
        FinishSheet();
        ZapisiPlocu();
        // Filling the full sheet may have used the last panes: no empty sheet follows.
        if (komadi_.empty()) break;
    }
    ZapisiPlocu();
    if (p_.SvePoSirini) ZamijeniRezultate();
    out.BrojPloca = brojPloca_;
    out.Izresci = std::move(izresci_);
    return out;
}

} // namespace

void SortPiecesByArea(std::vector<TKomadStakla>& komadi) {
    std::vector<std::int64_t> area;
    for (const TKomadStakla& k : komadi)
        area.push_back(std::int64_t{k.Sirina} * k.Visina);
    ExchangeSortDescending(komadi, std::move(area));
}

SheetLayout RunCuttingOptimisation(std::vector<TKomadStakla> komadi, const SheetJob& job) {
    if (job.SirinaPloce < 1 || job.SirinaPloce > 32767 || job.VisinaPloce < 1 || job.VisinaPloce > 32767)
        throw base::Exception("Greška: Ploča stakla mora imati širinu i visinu od 1 do 32767 mm!!!");
    if (job.Rez < 0 || job.Rez > 255) throw base::Exception("Greška: Rez mora biti od 0 do 255 mm!!!");
    return Optim(std::move(komadi), job).Run();
}

std::string Opis(PaneFault razlog) {
    switch (razlog) {
    case PaneFault::SizeNotPositive:
        return "Staklo nema širinu i visinu veće od 0!!!";
    case PaneFault::LargerThanSheet:
        return "Staklo je veće od ploče!!!";
    case PaneFault::TooHighForStrip:
        return "Staklo je visoko kao ploča umanjena za rez!!!";
    }
    return {};
}

} // namespace orders
