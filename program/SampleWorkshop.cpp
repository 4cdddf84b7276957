#include "program/SampleWorkshop.h"

#include "app/data/WBegin.h"
#include "base/CroatianFormat.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "orders/workorder/PrilagodbaStavke.h"
#include "windows/model/ModelProzora.h"
#include "windows/storage/WindowTypeStore.h"

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace app {

namespace {

using namespace sample;
// A field's value: a number, a text or a yes/no.
struct Vrijednost {
    std::variant<long long, std::string, bool> V;
    Vrijednost(long long v) : V(v) {}
    Vrijednost(int v) : V(static_cast<long long>(v)) {}
    Vrijednost(const char* v) : V(std::string(v)) {}
    Vrijednost(std::string v) : V(std::move(v)) {}
    Vrijednost(bool v) : V(v) {}
};
using Polja = std::initializer_list<std::pair<const char*, Vrijednost>>;

// Appends one row to a table of "Global" or "Lokal"; the row's "Code" when the table numbers its rows.
std::int32_t Dodaj(const char* baza, const char* tablica, Polja polja) {
    fw::TTable t;
    t.SetDatabaseName(baza);
    t.SetTableName(tablica);
    t.Open();
    t.Append();
    for (const auto& [ime, vrijednost] : polja) {
        const auto& v = vrijednost.V;
        fw::TField& f = t.FieldByName(ime);
        if (const auto* broj = std::get_if<long long>(&v))
            f.SetAsInteger(*broj);
        else if (const auto* tekst = std::get_if<std::string>(&v))
            f.SetAsString(*tekst);
        else
            f.SetAsBoolean(std::get<bool>(v));
    }
    t.Post();
    std::int32_t code = 0;
    if (fw::TField* c = t.FindField("Code")) code = static_cast<std::int32_t>(c->AsInteger());
    t.SaveChanges();
    t.Close();
    return code;
}

void Ocekuj(std::int32_t dobiveno, std::int32_t ocekivano, const char* sto) {
    if (dobiveno != ocekivano)
        throw std::runtime_error(std::string("Primjer radionice: ") + sto + " nije dobio šifru " +
                                 std::to_string(ocekivano) + " (" + std::to_string(dobiveno) + ").");
}

struct Tvrtka {
    const char* Sifra;
    const char* Naziv;
    const char* Mjesto;
    const char* UlicaBroj;
    const char* Telefon;
};

// A company, its local partner row and, for a manufacturer, its "FIRME.DB" row; its PARTNER.DB Code.
std::int32_t DodajPartnera(const Tvrtka& t, std::int32_t posta, const char* dobavljac, bool proizvodjac) {
    const std::int32_t code = Dodaj("Global", "PARTNER.DB",
                                    {{"Sifra", t.Sifra},
                                     {"Naziv", t.Naziv},
                                     {"Mjesto", t.Mjesto},
                                     {"UlicaBroj", t.UlicaBroj},
                                     {"Posta", posta},
                                     {"Zemlja", 1LL},
                                     {"Jezik", 1LL},
                                     {"Valuta", 1LL},
                                     {"Telefon", t.Telefon}});
    Dodaj("Lokal", "SIF_PART.DB",
          {{"Sifra", t.Sifra}, {"Partner", code}, {"Dobavljac", dobavljac}, {"Drzava", "T"}, {"Govor", 1LL}});
    if (proizvodjac)
        Dodaj("Global", "FIRME.DB",
              {{"Sifra", t.Sifra}, {"Partner", code}, {"BarKodOsnova", "385"}, {"BarKodVelicina", 13LL}});
    return code;
}

struct Artikl {
    const char* Sifra;
    const char* Naziv;
    std::int32_t Grupa;
    int Debljina; // profile face, or the sheet's width
    int Duzina;   // bar length, or the sheet's height
};

// An article: its "ROBA.DB" row, our code and the supplier's, its name in Croatian and its bar or sheet
// ("WROBA.DB"). It belongs to a product line: an item's glass is chosen among the glass of the order's
// system line, so the glass bought from the glass supplier is kept in the profile system's line.
void DodajArtikl(const Artikl& a, std::int32_t ownPartner, std::int32_t dobavljac, std::int32_t proizvodi,
                 const char* sifraDobavljaca, std::int32_t jedinica, std::int32_t ocekivaniCode) {
    const std::int32_t code = Dodaj("Global", "ROBA.DB",
                                    {{"Sifra", a.Sifra},
                                     {"Proizvodi", proizvodi},
                                     {"Naziv", a.Naziv},
                                     {"JedMj", jedinica},
                                     {"Bezbojno", false}});
    Ocekuj(code, ocekivaniCode, a.Sifra);
    // Our code, the supplier's and, when the supplier is not its manufacturer, the manufacturer's: the
    // article register shows an article through its manufacturer's row, as it makes them.
    std::vector<std::pair<std::int32_t, std::string>> sifre{{ownPartner, a.Sifra},
                                                            {dobavljac, sifraDobavljaca}};
    if (proizvodi != ownPartner && proizvodi != dobavljac) sifre.emplace_back(proizvodi, sifraDobavljaca);
    for (const auto& [partner, sifra] : sifre)
        Dodaj("Global", "SIF_ROBE.DB",
              {{"Partner", partner},
               {"Sifra", sifra},
               {"Code", code},
               {"Proizvodi", proizvodi},
               {"Grupa", a.Grupa},
               {"Naziv", a.Naziv},
               {"Otkup", "N"}});
    Dodaj("Global", "IME_ROBE.DB", {{"Roba", code}, {"Govor", 1LL}, {"Naziv", a.Naziv}});
    Dodaj("Global", "WROBA.DB",
          {{"Code", code}, {"DebljinaProfila", a.Debljina}, {"DuzinaProfila", a.Duzina}});
}

// The article group of what the workshop sells, after the six groups of profiles, steel and glass.
constexpr std::int32_t ProdajnaGrupa = 7;

// An article the workshop sells (a window or a door): our code only, in pieces, no bar.
void DodajProdajniArtikl(const char* sifra, const char* naziv, std::int32_t ownPartner,
                         std::int32_t proizvodi, std::int32_t jedinica, std::int32_t ocekivaniCode) {
    const std::int32_t code = Dodaj("Global", "ROBA.DB",
                                    {{"Sifra", sifra},
                                     {"Proizvodi", proizvodi},
                                     {"Naziv", naziv},
                                     {"JedMj", jedinica},
                                     {"Bezbojno", false}});
    Ocekuj(code, ocekivaniCode, sifra);
    // It belongs to the profile system's line: the line's manufacturer has a row for it too.
    for (const std::int32_t partner : {ownPartner, proizvodi})
        Dodaj("Global", "SIF_ROBE.DB",
              {{"Partner", partner},
               {"Sifra", sifra},
               {"Code", code},
               {"Proizvodi", proizvodi},
               {"Grupa", ProdajnaGrupa},
               {"Naziv", naziv},
               {"Otkup", "N"}});
    Dodaj("Global", "IME_ROBE.DB", {{"Roba", code}, {"Govor", 1LL}, {"Naziv", naziv}});
}

void DodajBoju(std::int32_t code, const char* sifra, const char* naziv, std::int32_t ownPartner,
               std::int32_t proizvodjac) {
    Ocekuj(Dodaj("Global", "BOJE.DB", {{"Sifra", sifra}, {"Proizvodi", proizvodjac}, {"Naziv", naziv}}), code,
           sifra);
    for (const std::int32_t partner : {ownPartner, proizvodjac})
        Dodaj("Global", "SIF_BOJA.DB",
              {{"Partner", partner},
               {"Proizvodi", proizvodjac},
               {"Sifra", sifra},
               {"Code", code},
               {"Naziv", naziv}});
    Dodaj("Global", "IME_BOJA.DB", {{"Boja", code}, {"Govor", 1LL}, {"Naziv", naziv}});
}

// The colour's four profiles: frame, sash, mullion, door leaf, from `prvi` on.
void DodajBojuSistema(std::int32_t boja, std::int32_t prvi) {
    Dodaj("Lokal", "WSYSBOJE.DB",
          {{"Sistem", Sistem},
           {"Boja", boja},
           {"Stok", prvi},
           {"ZStoka", OjacanjeStoka},
           {"ZSM", 10LL},
           {"Okvir", prvi + 1},
           {"ZOkvira", OjacanjeKrila},
           {"ZOM", 15LL},
           {"Precka", prvi + 2},
           {"ZPrecka", OjacanjePrecke},
           {"ZPM", 5LL},
           {"Vrata", prvi + 3},
           {"ZVrata", OjacanjeVrata},
           {"ZVM", 20LL}});
    for (std::int32_t a = prvi; a < prvi + 4; ++a)
        Dodaj("Global", "BOJEROBE.DB", {{"Roba", a}, {"Boja", boja}});
    for (const std::int32_t a : {OjacanjeStoka, OjacanjeKrila, OjacanjePrecke, OjacanjeVrata})
        Dodaj("Global", "BOJEROBE.DB", {{"Roba", a}, {"Boja", boja}});
}

struct Tip {
    std::int32_t Code;
    const char* Sifra;
    const char* Naziv;
    int Sirina, Visina;
    bool Vrata, Roletne;
};

// A catalogue type of the system in white, built in the model as the designer builds it and stored.
void DodajTip(const Tip& t, void (*gradi)(windows::ModelProzora&)) {
    Dodaj("Lokal", "WINGL.DB",
          {{"Sifra", t.Sifra},
           {"Naziv", t.Naziv},
           {"Code", t.Code},
           {"Sistem", Sistem},
           {"Boja", Bijela},
           {"Vrata", t.Vrata},
           {"Roletne", t.Roletne},
           {"ArtiklOkvira", StokBijeli}});
    windows::ModelProzora m;
    m.PostaviOkvirProzora(t.Sirina, t.Visina, SirinaStoka);
    m.Preklapanje = Preklapanje;
    m.ArtiklStoka = StokBijeli;
    m.Sistem = Sistem;
    m.Vrata = t.Vrata;
    m.Roletne = t.Roletne;
    gradi(m);
    if (!windows::SpremiProzor(m, t.Code))
        throw std::runtime_error(std::string("Primjer radionice: tip ") + t.Sifra + " nije spremljen.");
}

windows::TOkvir& Krilo(windows::TOkvir* o, const char* tip) {
    if (!o) throw std::runtime_error(std::string("Primjer radionice: tip ") + tip + " nema mjesta za krilo.");
    return *o;
}

// Turn and tilt: opens to the side and tilts at the top.
void OkretnoNagibno(windows::ModelProzora& m, windows::TOkvir& o, int strana) {
    m.NacinOtvaranja(&o, strana);
    m.NacinOtvaranja(&o, 1);
}

void DodajTipove() {
    DodajTip({TipFix, "FIX", "Fiksni prozor", 1000, 1000, false, false}, [](windows::ModelProzora&) {});
    DodajTip({TipK1, "K1", "Prozor s jednim krilom", 1000, 1000, false, false}, [](windows::ModelProzora& m) {
        OkretnoNagibno(m, Krilo(m.DodajOkvir(500, 500, SirinaKrila, KriloBijelo, 0), "K1"), 4);
    });
    DodajTip({TipK2P, "K2P", "Dva krila s prečkom", 1400, 1400, false, false}, [](windows::ModelProzora& m) {
        if (!m.DodajPrecku(700, 700, false, SirinaPrecke, PreckaBijela))
            throw std::runtime_error("Primjer radionice: tip K2P nema prečku.");
        OkretnoNagibno(m, Krilo(m.DodajOkvir(350, 700, SirinaKrila, KriloBijelo, 0), "K2P"), 2);
        OkretnoNagibno(m, Krilo(m.DodajOkvir(1050, 700, SirinaKrila, KriloBijelo, 0), "K2P"), 4);
    });
    DodajTip({TipK2, "K2", "Dvokrilni prozor", 1400, 1400, false, false}, [](windows::ModelProzora& m) {
        windows::TOkvir& desno =
            Krilo(m.DodajDvostrukiOkvir(700, 700, SirinaKrila, Razmak, KriloBijelo, 0), "K2");
        OkretnoNagibno(m, desno, 4);
        if (desno.Par) m.NacinOtvaranja(desno.Par, 2);
    });
    DodajTip({TipBVN, "BVN", "Balkonska vrata s nadsvjetlom", 900, 2400, true, false},
             [](windows::ModelProzora& m) {
                 if (!m.DodajPrecku(450, 400, true, SirinaPrecke, PreckaBijela))
                     throw std::runtime_error("Primjer radionice: tip BVN nema prečku.");
                 OkretnoNagibno(m, Krilo(m.DodajOkvir(450, 1400, SirinaVrata, VrataBijela, 20), "BVN"), 4);
             });
    DodajTip({TipK1R, "K1R", "Prozor s roletnom", 1200, 1400, false, true}, [](windows::ModelProzora& m) {
        OkretnoNagibno(m, Krilo(m.DodajOkvir(600, 700, SirinaKrila, KriloBijelo, 0), "K1R"), 4);
    });
}

} // namespace

bool RegistersEmpty() {
    fw::TTable t;
    t.SetDatabaseName("Lokal");
    t.SetTableName("WSYSTEM.DB");
    t.Open();
    const bool prazno = t.RecordCount() == 0;
    t.Close();
    return prazno;
}

void WriteSampleWorkshop(std::int32_t ownPartner) {
    // Language, country, currency, units, a post office.
    Ocekuj(Dodaj("Global", "GOVOR.DB", {{"Sifra", "HR"}, {"Naziv", "Hrvatski"}}), 1, "jezik");
    Ocekuj(Dodaj("Global", "ZEMLJA.DB", {{"Sifra", "Hrvatska"}, {"Govor", 1LL}}), 1, "zemlja");
    Ocekuj(Dodaj("Global", "VALUTA.DB",
                 {{"Sifra", "EUR"}, {"Oznaka", "EUR"}, {"Govor", 1LL}, {"Naziv", "Euro"}, {"Decimale", 2LL}}),
           1, "valuta");
    const char* jedinice[][2] = {{"kom", "komad"}, {"m", "metar"}, {"m2", "kvadratni metar"}};
    for (const auto& [sifra, naziv] : jedinice) {
        const std::int32_t j = Dodaj("Global", "JEDINICE.DB", {{"Sifra", sifra}});
        Dodaj("Global", "MJERE.DB", {{"Jedinica", j}, {"Govor", 1LL}, {"Naziv", naziv}});
    }
    constexpr std::int32_t kom = 1, metar = 2, kvadrat = 3;
    const std::int32_t zagreb =
        Dodaj("Global", "POSTA.DB", {{"Sifra", "Zagreb"}, {"Broj", 10000LL}, {"Zemlja", 1LL}});
    const std::int32_t osijek =
        Dodaj("Global", "POSTA.DB", {{"Sifra", "Osijek"}, {"Broj", 31000LL}, {"Zemlja", 1LL}});
    const std::int32_t rijeka =
        Dodaj("Global", "POSTA.DB", {{"Sifra", "Rijeka"}, {"Broj", 51000LL}, {"Zemlja", 1LL}});

    // The own company speaks Croatian, lives in Croatia and counts in euro.
    {
        fw::TTable partner;
        partner.SetDatabaseName("Global");
        partner.SetTableName("PARTNER.DB");
        partner.SetIndexFieldNames("Code");
        partner.Open();
        if (partner.FindKey({engine::Value::Int(ownPartner)})) {
            partner.Edit();
            partner.FieldByName("Posta").SetAsInteger(zagreb);
            partner.FieldByName("Zemlja").SetAsInteger(1);
            partner.FieldByName("Jezik").SetAsInteger(1);
            partner.FieldByName("Valuta").SetAsInteger(1);
            partner.FieldByName("Telefon").SetAsString("01 4567 890");
            partner.Post();
        }
        partner.SaveChanges();
        partner.Close();
        // As its own supplier too: the article register names its articles in the supplier's language.
        fw::TTable sifPart;
        sifPart.SetDatabaseName("Lokal");
        sifPart.SetTableName("SIF_PART.DB");
        sifPart.Open();
        for (sifPart.First(); !sifPart.Eof(); sifPart.Next()) {
            if (sifPart.FieldByName("Partner").AsInteger() != ownPartner) continue;
            sifPart.Edit();
            sifPart.FieldByName("Govor").SetAsInteger(1);
            sifPart.Post();
        }
        sifPart.SaveChanges();
        sifPart.Close();
    }
    const std::int32_t profili = DodajPartnera(
        {"PROFILPLAST", "Profilplast d.o.o., Osijek", "Osijek", "Vukovarska 120", "031 200 300"}, osijek, "D",
        true);
    const std::int32_t staklo = DodajPartnera(
        {"STAKLO-KVARNER", "Staklo Kvarner d.o.o., Rijeka", "Rijeka", "Riječka 45", "051 300 400"}, rijeka,
        "D", true);
    const std::int32_t kupac = DodajPartnera(
        {"GRADNJA-HORVAT", "Gradnja Horvat d.o.o., Zagreb", "Zagreb", "Savska 88", "01 6123 456"}, zagreb,
        "K", false);

    // The article groups, numbered as "PLOM.INI" names them.
    const char* grupe[][2] = {{"STOK", "Štokovi"},           {"KRILO", "Krila"},       {"PRECKA", "Prečke"},
                              {"VRATA", "Krila vrata"},      {"OJACANJE", "Ojačanja"}, {"STAKLO", "Stakla"},
                              {"PROZORI", "Prozori i vrata"}};
    std::int32_t grupa = 0;
    for (const auto& [sifra, naziv] : grupe)
        Ocekuj(Dodaj("Global", "GRUPE.DB", {{"Partner", ownPartner}, {"Sifra", sifra}, {"Naziv", naziv}}),
               ++grupa, sifra);

    // Profiles of a 70 mm five-chamber system in white and in golden oak, the steel, the glass.
    const Artikl artikli[] = {
        {"PP70-S-BI", "Štok 70 mm bijeli", 1, SirinaStoka, DuzinaSipke},
        {"PP70-K-BI", "Krilo 70 mm bijelo", 2, SirinaKrila, DuzinaSipke},
        {"PP70-P-BI", "Prečka 70 mm bijela", 3, SirinaPrecke, DuzinaSipke},
        {"PP70-V-BI", "Krilo vrata 70 mm bijelo", 4, SirinaVrata, DuzinaSipke},
        {"PP70-S-ZH", "Štok 70 mm zlatni hrast", 1, SirinaStoka, DuzinaSipke},
        {"PP70-K-ZH", "Krilo 70 mm zlatni hrast", 2, SirinaKrila, DuzinaSipke},
        {"PP70-P-ZH", "Prečka 70 mm zlatni hrast", 3, SirinaPrecke, DuzinaSipke},
        {"PP70-V-ZH", "Krilo vrata 70 mm zlatni hrast", 4, SirinaVrata, DuzinaSipke},
        {"OJ-S", "Ojačanje štoka, čelik 35 x 30 x 1,5", 5, 35, DuzinaOjacanja},
        {"OJ-K", "Ojačanje krila, čelik 28 x 26 x 1,5", 5, 28, DuzinaOjacanja},
        {"OJ-P", "Ojačanje prečke, čelik 40 x 30 x 2", 5, 40, DuzinaOjacanja},
        {"OJ-V", "Ojačanje krila vrata, čelik 50 x 30 x 2", 5, 50, DuzinaOjacanja},
        {"IZO-4-16-4", "Izo staklo 4-16-4", 6, SirinaPloce, VisinaPloce},
        {"IZO-4-16-4LE", "Izo staklo 4-16-4 Low-E", 6, SirinaPloce, VisinaPloce},
    };
    std::int32_t code = 0;
    for (const Artikl& a : artikli) {
        ++code;
        const bool jeStaklo = a.Grupa == 6;
        DodajArtikl(a, ownPartner, jeStaklo ? staklo : profili, profili,
                    (std::string(jeStaklo ? "SK-" : "PP-") + std::to_string(1000 + code)).c_str(),
                    jeStaklo ? kvadrat : (a.Grupa == 5 ? metar : kom), code);
    }

    // What the workshop sells: one article for each window type, which the type is drawn under.
    const std::pair<const char*, const char*> prodaja[] = {{"PR-FIX", "Fiksni prozor"},
                                                           {"PR-K1", "Prozor s jednim krilom"},
                                                           {"PR-K2P", "Dva krila s prečkom"},
                                                           {"PR-K2", "Dvokrilni prozor"},
                                                           {"PR-BVN", "Balkonska vrata s nadsvjetlom"},
                                                           {"PR-K1R", "Prozor s roletnom"}};
    for (const auto& [sifra, naziv] : prodaja)
        DodajProdajniArtikl(sifra, naziv, ownPartner, profili, kom, ++code);

    DodajBoju(Bijela, "BI", "Bijela", ownPartner, profili);
    DodajBoju(ZlatniHrast, "ZH", "Zlatni hrast", ownPartner, profili);

    Ocekuj(Dodaj("Lokal", "WSYSTEM.DB",
                 {{"Sifra", "PROFILPLAST 70"},
                  {"Proizvodi", profili},
                  {"Razmak", Razmak},
                  {"Preklapanje", Preklapanje},
                  {"SmanjenjeStakla", SmanjenjeStakla},
                  {"ReznaPila", ReznaPila},
                  {"Varenje", Varenje},
                  {"DodatakNaPrecku", DodatakNaPrecku}}),
           Sistem, "sistem");
    DodajBojuSistema(Bijela, StokBijeli);
    DodajBojuSistema(ZlatniHrast, StokBijeli + 4);

    DodajTipove();

    // The work order: five items, each with its own copy of its type; not optimised yet.
    // Its items with their prices in whole euros, glass and fitting included.
    struct Stavka {
        std::int32_t Tip, Staklo;
        int Kolicina, Sirina, Visina, Cijena;
    };
    const Stavka stavke[] = {{TipFix, Staklo4164, 2, 600, 800, 165},
                             {TipK1, Staklo4164, 1, 800, 1200, 310},
                             {TipK2P, Staklo4164LowE, 1, 1600, 1400, 620},
                             {TipBVN, Staklo4164LowE, 1, 900, 2200, 790},
                             {TipK1R, Staklo4164, 1, 1200, 1400, 540}};
    long long iznos = 0;
    for (const Stavka& s : stavke)
        iznos += static_cast<long long>(s.Kolicina) * s.Cijena;
    Ocekuj(Dodaj("Lokal", "RADNINAL.DB",
                 {{"Sifra", "1/2026"},
                  {"Broj", 1LL},
                  {"Optimizacija", false},
                  {"Kupac", kupac},
                  {"Sistem", Sistem},
                  {"Boja", Bijela},
                  {"Narucioc", "Gradnja Horvat d.o.o., Savska 88, Zagreb"}}),
           RadniNalog, "radni nalog");
    {
        fw::TTable nalog;
        nalog.SetDatabaseName("Lokal");
        nalog.SetTableName("RADNINAL.DB");
        nalog.SetIndexFieldNames("Code");
        nalog.Open();
        if (nalog.FindKey({engine::Value::Int(RadniNalog)})) {
            nalog.Edit();
            nalog.FieldByName("Datum").SetAsDateTime(base::ToDateTime(base::Today()));
            nalog.FieldByName("Iznos").SetAsFloat(static_cast<double>(iznos));
            nalog.Post();
        }
        nalog.SaveChanges();
        nalog.Close();
    }
    int broj = 0;
    for (const Stavka& s : stavke) {
        ++broj;
        Dodaj("Lokal", "STAVKERN.DB",
              {{"BrojRN", RadniNalog},
               {"Stavka", broj},
               {"Tip", s.Tip},
               {"Staklo", s.Staklo},
               {"Kolicina", s.Kolicina},
               {"Sirina", s.Sirina},
               {"Visina", s.Visina},
               {"Cijena", s.Cijena}});
        windows::ModelProzora m;
        if (orders::PrilagodiStavku(m, {RadniNalog, broj, s.Tip, s.Sirina, s.Visina, Sistem, Bijela}) == 0)
            throw std::runtime_error("Primjer radionice: stavka " + std::to_string(broj) +
                                     " nije prilagođena svom tipu.");
    }
}

} // namespace app
