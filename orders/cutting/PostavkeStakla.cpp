#include "orders/cutting/PostavkeStakla.h"

#include "base/IniFile.h"

namespace orders {

PostavkeStakla GetIniStakla(const base::IniFile& ini) {
    const PostavkeStakla d;
    PostavkeStakla p;
    p.PDolje = ini.ReadBool("Staklo", "PDolje", d.PDolje);
    p.PLijevo = ini.ReadBool("Staklo", "PLijevo", d.PLijevo);
    p.Popuni = ini.ReadBool("Staklo", "Popuni", d.Popuni);
    p.Umetni = ini.ReadBool("Staklo", "Umetni", d.Umetni);
    p.SvePoSirini = ini.ReadBool("Staklo", "SvePoSirini", d.SvePoSirini);
    p.ZadnjaPoSirini = ini.ReadBool("Staklo", "ZadnjaPoSirini", d.ZadnjaPoSirini);
    return p;
}

} // namespace orders
