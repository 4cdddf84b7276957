#include "orders/printouts/RasporedSlika.h"

#include <algorithm>

namespace orders {

RasporedSlika::RasporedSlika(double lijevo, double vrh, double desno, double dno)
    : lijevo_(lijevo), vrh_(vrh), desno_(desno), dno_(dno), x_(lijevo), y_(vrh) {}

RasporedSlika::Mjesto RasporedSlika::Sljedece(int sirina, int visina, double sirinaNatpisa) {
    const double w =
        std::max(static_cast<double>(sirina) / Omjer + MjestoKota, sirinaNatpisa + RazmakNatpisa);
    const double h = static_cast<double>(visina) / Omjer + MjestoTeksta;
    const double visinaReda = h + MjestoIspod;
    Mjesto m;
    // A picture wider or taller than the area still gets a row, or a page, of its own.
    if (x_ > lijevo_ && x_ + w > desno_) {
        y_ += visinaReda_;
        x_ = lijevo_;
        visinaReda_ = 0;
    }
    if (y_ > vrh_ && y_ + visinaReda > dno_) {
        m.NovaStrana = true;
        y_ = vrh_;
        x_ = lijevo_;
        visinaReda_ = 0;
    }
    m.X = x_;
    m.Y = y_;
    x_ += w;
    visinaReda_ = std::max(visinaReda_, visinaReda);
    return m;
}

} // namespace orders
