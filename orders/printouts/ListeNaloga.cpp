#include "orders/printouts/ListeNaloga.h"

#include <optional>

namespace orders {

namespace {

std::string Broj(long long v) {
    return std::to_string(v);
}

} // namespace

ListaProfila SlozListuProfila(const std::vector<RedOptime>& redovi,
                              const std::map<std::int32_t, ArtiklIspisa>& artikli, const std::string& boja) {
    ListaProfila lista;
    std::int32_t artikl = 0;
    bool prvi = true;
    int duzinaSipke = 0;
    int zbroj = 0;
    // The row that holds the bar's last piece so far: it gets the rest when the bar is closed.
    std::optional<std::size_t> zadnjiKomad;
    const auto zatvoriSipku = [&] {
        if (zadnjiKomad) {
            lista.Redovi[*zadnjiKomad].Tekst += "|" + Broj(duzinaSipke - zbroj);
            lista.Redovi[*zadnjiKomad].KrajSipke = true;
        }
        zadnjiKomad.reset();
        zbroj = 0;
    };
    for (const RedOptime& r : redovi) {
        if (r.Razdjelnik) {
            zatvoriSipku();
            lista.Redovi.push_back({RedListe::Oblik::Naslov, NaslovPojacanja});
            artikl = 0;
            prvi = false;
            continue;
        }
        if (prvi || r.Artikl != artikl) {
            zatvoriSipku();
            prvi = false;
            artikl = r.Artikl;
            const auto it = artikli.find(artikl);
            if (it == artikli.end() || !it->second.UWRobi) {
                lista.Greska = "Artikl " + Broj(artikl) + " nije pronađen u \"WRoba\"!!!";
                return lista;
            }
            if (!it->second.USifRobe) {
                lista.Greska = "Artikl " + Broj(artikl) + " nije pronađen u \"Sif_Robe\"!!!";
                return lista;
            }
            duzinaSipke = it->second.Duzina;
            lista.Redovi.push_back({RedListe::Oblik::Naslov, "Artikl: " + it->second.Sifra + "  -  " +
                                                                 it->second.Naziv +
                                                                 "   -> o. m. = " + Broj(duzinaSipke)});
        } else if (zbroj + r.Duzina > duzinaSipke) {
            zatvoriSipku();
        }
        zbroj += r.Duzina;
        const std::string sifra = artikli.at(artikl).Sifra;
        lista.Redovi.push_back({RedListe::Oblik::Redak, Broj(r.Prozor) + "|" + sifra + "|" + boja + "|" +
                                                            Broj(r.Duzina1) + "|" + Broj(r.KutL) + "|" +
                                                            Broj(r.KutD) + "|" + Broj(r.Duzina2)});
        zadnjiKomad = lista.Redovi.size() - 1;
    }
    zatvoriSipku();
    return lista;
}

std::vector<RedListe> SlozListuStakla(const std::vector<RedStaklaIspisa>& redovi,
                                      const std::map<std::int32_t, ArtiklIspisa>& artikli) {
    std::vector<RedListe> lista;
    std::optional<std::int32_t> artikl;
    for (const RedStaklaIspisa& r : redovi) {
        const bool novi = artikl != r.Artikl;
        artikl = r.Artikl;
        const auto it = artikli.find(r.Artikl);
        if (it == artikli.end() || !it->second.USifRobe || !it->second.UWRobi) continue;
        const ArtiklIspisa& a = it->second;
        if (novi) {
            lista.push_back({RedListe::Oblik::Naslov, "Artikl: " + a.Sifra + "  -  " + a.Naziv +
                                                          "   -> o. m. = " + Broj(a.Debljina) + " x " +
                                                          Broj(a.Duzina)});
        }
        lista.push_back({RedListe::Oblik::Redak, Broj(r.Prozor) + "|" + a.Sifra + "|" + Broj(r.Kolicina) +
                                                     " kom|" + Broj(r.Duzina) + "|" + Broj(r.Sirina)});
    }
    return lista;
}

} // namespace orders
