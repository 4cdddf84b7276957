#include "setup/program/PlomFiles.h"

namespace setup::plom {

const std::vector<std::string>& InstallFiles() {
    static const std::vector<std::string> files{ProgramName, "Link.DB", "plom.ini", ReadmeName};
    return files;
}

const std::vector<std::string>& GlobalFiles() {
    static const std::vector<std::string> files{
        "Zireki.db",   "Banke.db",    "Boje.db",     "Bojerobe.db", "Brojke.db",   "Djelatno.db",
        "Firme.db",    "Govor.db",    "Gr_amort.db", "Gr_reval.db", "Grupe.db",    "Ime_boja.db",
        "Ime_pak.db",  "Ime_robe.db", "Jedinice.db", "Mjere.db",    "Open.db",     "Pakung.db",
        "Partner.db",  "Podgrupe.db", "Posta.db",    "Roba.db",     "S_poreza.db", "Sif_boja.db",
        "Sif_robe.db", "T_carine.db", "T_poreza.db", "Valuta.db",   "Vrste.db",    "Wroba.db",
        "Wroba_d.db",  "Zemlja.db",   "Atomi.db",    "Grupe.mb",    "PARTNER.mb",  "ROBA.mb",
        "Vrste.mb"};
    return files;
}

const std::vector<std::string>& LokalFiles() {
    static const std::vector<std::string> files{
        "Nwingl.db",  "Nwino.db",    "Nwinp.db",    "Nwinpo.db",   "Open.db",    "Radninal.db", "Rnoptima.db",
        "Rnoptst.db", "S_part.db",   "Sif_part.db", "Stavkern.db", "Wingl.db",   "Wino.db",     "Winp.db",
        "Winpo.db",   "Wsysboje.db", "Wsystem.db",  "RADNINAL.mb", "SIF_PART.mb"};
    return files;
}

const std::vector<std::string>& HelpFiles() {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> f{HelpStartPage,      "Bullet1.gif", "Bullet3.gif",
                                   "Bullet5.gif",      "Bullet7.gif", "Green Ball.gif",
                                   "Metallic Orb.gif", "line1.gif",   "line8.gif"};
        for (int i = 5; i <= 39; ++i)
            f.push_back("Image" + std::to_string(i) + ".gif");
        for (int i = 43; i <= 48; ++i)
            f.push_back("Image" + std::to_string(i) + ".gif");
        return f;
    }();
    return files;
}

} // namespace setup::plom
