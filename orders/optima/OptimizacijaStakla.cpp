#include "orders/optima/ArtikliRobe.h"
#include "orders/optima/RadniNalog.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "windows/storage/StoredTable.h"

#include <algorithm>

namespace orders {

namespace {

struct RedStakla {
    std::int32_t Artikl = 0;
    int Kolicina = 0;
    std::int16_t Prozor = 0, Duzina = 0, Sirina = 0;
};

// The sheet of a glass article; nothing (told) when it has no usable size.
std::optional<SheetJob> DobarArtikl(std::int32_t artikl, const std::map<std::int32_t, Artikl>& artikli) {
    const auto it = artikli.find(artikl);
    const std::string kod = std::to_string(artikl);
    if (it == artikli.end() || !it->second.UWRobi) {
        app::ShowInfo("Artikl: " + kod + "\r\nnaveden u listi stakla nema podatke o širini i visini!");
        return std::nullopt;
    }
    if (it->second.Debljina < 1 || it->second.Duzina < 1) {
        app::ShowInfo("Artikl: " + kod +
                      "\r\nnema dobro unesene vrijednosti za\r\nširinu, tj. visinu artikla!");
        return std::nullopt;
    }
    SheetJob job;
    job.SirinaPloce = it->second.Debljina;
    job.VisinaPloce = it->second.Duzina;
    return job;
}

} // namespace

std::optional<std::vector<ListaStakla>>
OptimizacijaStakla(std::int32_t radniNalog, const PostavkeStakla& postavke, const Napredak& napredak) {
    const JedanRad rad;
    if (rad.Odbijen()) return std::nullopt;
    std::vector<RedStakla> redovi;
    std::map<std::int32_t, Artikl> artikli;
    try {
        windows::StoredTable t(app::FolderPath(app::Folder::Lokal), "RNOPTST.DB");
        for (const engine::Row& r : t.Rows({engine::Value::Int(radniNalog)}))
            redovi.push_back({static_cast<std::int32_t>(t.Int(r, "Artikl")), t.Short(r, "Kolicina"),
                              t.Short(r, "Prozor"), t.Short(r, "Duzina"), t.Short(r, "Sirina")});
        if (redovi.empty()) {
            app::ShowInfo("Nema liste stakla za optimizaciju!!!\r\nPokrenite prvo OPTIMIZACIJU I !!!");
            return std::nullopt;
        }
        artikli = CitajArtikle();
    } catch (const std::exception& e) {
        app::ShowInfo(e.what());
        return std::nullopt;
    }
    // Article order, the list's own order within an article.
    std::stable_sort(redovi.begin(), redovi.end(),
                     [](const RedStakla& a, const RedStakla& b) { return a.Artikl < b.Artikl; });

    std::vector<ListaStakla> liste;
    std::string izostavljena;
    const int ukupno = static_cast<int>(redovi.size());
    for (std::size_t i = 0; i < redovi.size();) {
        const std::int32_t artikl = redovi[i].Artikl;
        if (napredak && napredak("Optimizacija stakla...", static_cast<int>(i), ukupno)) return std::nullopt;
        std::optional<SheetJob> job = DobarArtikl(artikl, artikli);
        if (!job) return std::nullopt;
        job->Okretno = true;
        job->Rez = 0;
        job->Postavke = postavke;
        std::vector<TKomadStakla> komadi;
        for (; i < redovi.size() && redovi[i].Artikl == artikl; ++i)
            for (int n = 0; n < redovi[i].Kolicina; ++n) {
                TKomadStakla k;
                k.Broj = redovi[i].Prozor;
                k.Sirina = redovi[i].Sirina;
                k.Visina = redovi[i].Duzina;
                komadi.push_back(k);
            }
        SortPiecesByArea(komadi);
        ListaStakla lista;
        lista.Artikl = artikl;
        lista.Sifra = artikli[artikl].Sifra;
        lista.Raspored = RunCuttingOptimisation(std::move(komadi), *job);
        for (const LeftOutPane& l : lista.Raspored.Izostavljeni)
            izostavljena += "\r\n" + lista.Sifra + ", stavka " + std::to_string(l.Komad.Broj) + ", " +
                            std::to_string(l.Komad.Sirina) + " x " + std::to_string(l.Komad.Visina) +
                            " mm: " + Opis(l.Razlog);
        liste.push_back(std::move(lista));
    }
    if (!izostavljena.empty())
        app::ShowInfo("Stakla koja nisu na listi (artikl, stavka, mjere):" + izostavljena);
    return liste;
}

} // namespace orders
