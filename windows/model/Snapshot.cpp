#include "windows/model/Snapshot.h"

namespace windows {

Snapshot::Snapshot(const ModelProzora& m)
    : sirina_(m.Sirina), visina_(m.Visina), debStoka_(m.DebStoka), maxRight_(m.MaxRight),
      maxBottom_(m.MaxBottom), winLeft_(m.WinLeft), winTop_(m.WinTop), winRight_(m.WinRight),
      winBottom_(m.WinBottom), brojacOkvira_(m.BrojacOkvira) {
    precke_.assign(m.Precke.begin(), m.Precke.end());
    for (const TOkvir& o : m.Okviri) {
        okviri_.push_back({o.Rbr, o.L1, o.T1, o.B1, o.R1, o.L2, o.T2, o.B2, o.R2, o.K, o.Q, o.DebProfila,
                           o.Lajsna, o.RedniBroj, o.ArtiklOkvira, o.Otvaranje});
        precke_.insert(precke_.end(), o.Precke.begin(), o.Precke.end());
    }
}

void Snapshot::Vrati(ModelProzora& m) const {
    m.Sirina = sirina_;
    m.Visina = visina_;
    m.DebStoka = debStoka_;
    m.MaxRight = maxRight_;
    m.MaxBottom = maxBottom_;
    m.WinLeft = winLeft_;
    m.WinTop = winTop_;
    m.WinRight = winRight_;
    m.WinBottom = winBottom_;
    m.BrojacOkvira = brojacOkvira_;
    auto precka = precke_.begin();
    for (TPrecka& p : m.Precke)
        p = *precka++;
    auto okvir = okviri_.begin();
    for (TOkvir& o : m.Okviri) {
        const Okvir& s = *okvir++;
        o.Rbr = s.Rbr;
        o.L1 = s.L1, o.T1 = s.T1, o.B1 = s.B1, o.R1 = s.R1;
        o.L2 = s.L2, o.T2 = s.T2, o.B2 = s.B2, o.R2 = s.R2;
        o.K = s.K, o.Q = s.Q, o.DebProfila = s.DebProfila, o.Lajsna = s.Lajsna;
        o.RedniBroj = s.RedniBroj, o.ArtiklOkvira = s.ArtiklOkvira, o.Otvaranje = s.Otvaranje;
        for (TPrecka& p : o.Precke)
            p = *precka++;
    }
}

} // namespace windows
