#include "windows/storage/TypeRows.h"

#include "base/Exceptions.h"
#include "base/Int16.h"

namespace windows {

namespace {

std::int16_t Broj(std::size_t n) {
    return base::Checked16(static_cast<long long>(n));
}

RedPrecke RedIz(const TPrecka& p, std::int16_t okvir, std::int16_t redniBroj) {
    RedPrecke r;
    r.RedniBrojOkvira = okvir;
    r.RedniBroj = redniBroj;
    r.Artikl = p.ArtiklPrecke;
    r.L = p.L, r.T = p.T, r.R = p.R, r.B = p.B;
    r.Tip = p.Vodoravna == 0;
    return r;
}

void PreckaIz(TPrecka& p, const RedPrecke& r) {
    p.RedniBroj = r.RedniBroj;
    p.ArtiklPrecke = r.Artikl;
    p.L = r.L, p.T = r.T, p.R = r.R, p.B = r.B;
    p.Vodoravna = r.Tip ? 0 : 1;
    p.Debljina = r.Tip ? base::Sub16(r.R, r.L) : base::Sub16(r.B, r.T);
}

} // namespace

RedoviTipa RedoviIzModela(const ModelProzora& m, VrstaTipa vrsta) {
    RedoviTipa out;
    ZaglavljeTipa& z = out.Zaglavlje;
    const bool kopija = vrsta == VrstaTipa::Kopija;
    z.MaxRight = kopija ? m.Sirina : m.MaxRight;
    z.MaxBottom = kopija ? m.Visina : m.MaxBottom;
    z.WinLeft = m.WinLeft, z.WinTop = m.WinTop, z.WinRight = m.WinRight, z.WinBottom = m.WinBottom;
    z.Vrata = m.Vrata;
    z.Roletne = m.Roletne;
    z.ArtiklOkvira = m.ArtiklStoka;
    z.Sistem = m.Sistem;

    std::size_t i = 0;
    for (const TOkvir& o : m.Okviri) {
        RedOkvira r;
        r.Rbr = Broj(++i);
        r.RedniBroj = o.RedniBroj;
        r.ArtiklOkvira = o.ArtiklOkvira;
        r.DebProfila = o.DebProfila;
        r.L1 = o.L1, r.T1 = o.T1, r.R1 = o.R1, r.B1 = o.B1;
        r.L2 = o.L2, r.T2 = o.T2, r.R2 = o.R2, r.B2 = o.B2;
        r.K = o.K, r.Q = o.Q, r.Otvaranje = o.Otvaranje, r.Lajsna = o.Lajsna;
        out.Okviri.push_back(r);
        std::size_t j = 0;
        for (const TPrecka& p : o.Precke)
            out.PreckeOkvira.push_back(RedIz(p, r.Rbr, Broj(++j)));
    }
    std::size_t j = 0;
    for (const TPrecka& p : m.Precke)
        out.Precke.push_back(RedIz(p, 0, Broj(++j)));
    return out;
}

namespace {

void Napuni(ModelProzora& m, const RedoviTipa& redovi, VrstaTipa vrsta, const ZadaneVrijednosti& zadano) {
    const ZaglavljeTipa& z = redovi.Zaglavlje;
    const std::int16_t uvuceno = base::Sub16(z.MaxRight, z.WinRight);
    m.MaxRight = m.Sirina = z.MaxRight;
    m.MaxBottom = m.Visina = z.MaxBottom;
    m.DebStoka = uvuceno;
    m.WinLeft = m.WinTop = uvuceno;
    m.WinRight = base::Sub16(z.MaxRight, uvuceno);
    m.WinBottom = vrsta == VrstaTipa::Kopija ? z.WinBottom : base::Sub16(z.MaxBottom, uvuceno);
    m.Vrata = z.Vrata;
    m.ArtiklStoka = z.ArtiklOkvira != 0 ? z.ArtiklOkvira : zadano.Stok;
    m.Sistem = z.Sistem;
    m.Roletne = z.Roletne;
    m.BrojacOkvira = 0;

    // Frames arrive in Rbr order, each frame's mullions in RedniBroj order.
    const RedOkvira* prethodni = nullptr;
    for (const RedOkvira& r : redovi.Okviri) {
        TOkvir* stari = m.Okviri.empty() ? nullptr : &m.Okviri.front();
        TOkvir& o = m.NewOkvir();
        m.BrojacOkvira = base::Add16(m.BrojacOkvira, 1);
        o.Rbr = r.Rbr;
        o.DebProfila =
            r.DebProfila != 0 ? r.DebProfila : base::Add16(base::Sub16(r.T2, r.T1), zadano.Preklapanje);
        o.L1 = r.L1, o.T1 = r.T1, o.R1 = r.R1, o.B1 = r.B1;
        o.L2 = r.L2, o.T2 = r.T2, o.R2 = r.R2, o.B2 = r.B2;
        o.Lajsna = r.Lajsna;
        o.ArtiklOkvira = r.ArtiklOkvira;
        o.Otvaranje = static_cast<std::uint8_t>(r.Otvaranje & 0xFF);
        o.Q = r.Q;
        o.K = r.K;
        // A double sash is two leaves, never more: a third row with the same number stays single.
        if (prethodni && stari && prethodni->RedniBroj == r.RedniBroj && !stari->Par) {
            o.Par = stari;
            stari->Par = &o;
            m.BrojacOkvira = base::Sub16(m.BrojacOkvira, 1);
        }
        o.RedniBroj = r.RedniBroj;
        prethodni = &r;

        for (const RedPrecke& p : redovi.PreckeOkvira)
            if (p.RedniBrojOkvira == r.Rbr) PreckaIz(m.NewPrecka(&o), p);
    }
    for (const RedPrecke& r : redovi.Precke)
        PreckaIz(m.NewPrecka(nullptr), r);
}

} // namespace

void ModelIzRedova(ModelProzora& m, const RedoviTipa& redovi, VrstaTipa vrsta,
                   const ZadaneVrijednosti& zadano) {
    m.OslobodiMemoriju();
    try {
        Napuni(m, redovi, vrsta, zadano);
    } catch (...) {
        m.OslobodiMemoriju();
        throw;
    }
}

} // namespace windows
