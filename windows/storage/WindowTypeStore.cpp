#include "windows/storage/WindowTypeStore.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "windows/storage/StoredTable.h"
#include "windows/storage/SwapNote.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace windows {

namespace {

namespace fs = std::filesystem;
using engine::Value;

constexpr const char* NeMoguSpremitiVrijednosti = "Greška: ne mogu spremiti vrijednosti prozora!!!";
constexpr const char* NeMoguSacuvatiPodatke = "Greška: Ne mogu sačuvati podatke prozora !!!";
constexpr const char* TipNijePronadjen = "Greška: tip prozora nije pronađen, promjene nisu spremljene !!!";
constexpr const char* KodDvaTipa =
    "Greška: artikl ovog tipa prozora ima i drugi tip,\r\npromjene nisu spremljene !!!";
constexpr const char* NeMoguUcitati = "Greška: ne mogu učitati tip prozora !!!";
constexpr const char* NeMoguObrisati = "Greška: ne mogu obrisati tip prozora !!!";
constexpr const char* NijeDovrseno = "Greška: započeto spremanje tipa prozora nije dovršeno !!!";

// One of the two table sets, with the messages of its row failures.
struct Skup {
    VrstaTipa Vrsta;
    const char* Oznaka; // in the swap notes
    const char* Zaglavlje;
    const char* Okviri;
    const char* PreckeOkvira;
    const char* Precke;
    const char* OkvirNijeSpremljen;
    const char* PreckaOkviraNijeSpremljena;
    const char* PreckaNijeSpremljena;
};

constexpr Skup Katalog{VrstaTipa::Katalog,
                       "WIN",
                       "WINGL.DB",
                       "WINO.DB",
                       "WINPO.DB",
                       "WINP.DB",
                       "Greška: Okvir prozora nije sačuvan !!!",
                       "Greška: Prečka okvira nije sačuvana !!!",
                       "Greška: Prečka prozora nije sačuvana !!!"};
constexpr Skup Kopije{VrstaTipa::Kopija,
                      "NWIN",
                      "NWINGL.DB",
                      "NWINO.DB",
                      "NWINPO.DB",
                      "NWINP.DB",
                      "Greška: Krilo nije sačuvano !!!",
                      "Greška: Prečka krila nije sačuvana !!!",
                      "Greška: Prečka nije sačuvana !!!"};

fs::path Mapa() {
    return fs::path(app::FolderPath(app::Folder::Lokal));
}

void Javi(const std::string& poruka, const std::exception& e) {
    app::ShowInfo(poruka + "\r\n" + e.what());
}

struct Tablice {
    explicit Tablice(const Skup& s)
        : skup(s), zaglavlje(Mapa(), s.Zaglavlje), okviri(Mapa(), s.Okviri),
          preckeOkvira(Mapa(), s.PreckeOkvira), precke(Mapa(), s.Precke) {}
    const Skup& skup;
    StoredTable zaglavlje, okviri, preckeOkvira, precke;
};

// The leading key fields of a type's detail rows: "WTip", after "RN" and "RNS" in the copies.
struct Vlasnik {
    std::vector<std::int64_t> Ispred; // RN, RNS of a copy
    std::int64_t WTip = 0;
    engine::Key Kljuc() const {
        engine::Key k;
        for (const std::int64_t v : Ispred)
            k.push_back(Value::Int(v));
        k.push_back(Value::Int(WTip));
        return k;
    }
};

void PostaviVlasnika(const StoredTable& t, engine::Row& row, const Vlasnik& v) {
    if (!v.Ispred.empty()) {
        t.Set(row, "RN", v.Ispred[0]);
        t.Set(row, "RNS", v.Ispred[1]);
    }
    t.Set(row, "WTip", v.WTip);
}

void ObrisiElemente(Tablice& t, const Vlasnik& v) {
    const engine::Key k = v.Kljuc();
    t.preckeOkvira.DeleteRows(k);
    t.okviri.DeleteRows(k);
    t.precke.DeleteRows(k);
}

// --- rows and fields

void UpisiZaglavlje(const StoredTable& t, engine::Row& row, const ZaglavljeTipa& z) {
    t.Set(row, "WinLeft", z.WinLeft);
    t.Set(row, "WinRight", z.WinRight);
    t.Set(row, "WinTop", z.WinTop);
    t.Set(row, "WinBottom", z.WinBottom);
    t.Set(row, "MaxBottom", z.MaxBottom);
    t.Set(row, "MaxRight", z.MaxRight);
    t.SetBool(row, "Roletne", z.Roletne);
    t.SetBool(row, "Vrata", z.Vrata);
    t.Set(row, "ArtiklOkvira", z.ArtiklOkvira);
}

ZaglavljeTipa ProcitajZaglavlje(const StoredTable& t, const engine::Row& row) {
    ZaglavljeTipa z;
    z.MaxRight = t.Short(row, "MaxRight");
    z.MaxBottom = t.Short(row, "MaxBottom");
    z.WinLeft = t.Short(row, "WinLeft");
    z.WinTop = t.Short(row, "WinTop");
    z.WinRight = t.Short(row, "WinRight");
    z.WinBottom = t.Short(row, "WinBottom");
    z.Vrata = t.Bool(row, "Vrata");
    z.Roletne = t.Bool(row, "Roletne");
    z.ArtiklOkvira = static_cast<std::int32_t>(t.Int(row, "ArtiklOkvira"));
    z.Sistem = static_cast<std::int32_t>(t.Int(row, "Sistem"));
    z.Boja = static_cast<std::int32_t>(t.Int(row, "Boja"));
    return z;
}

// Writes the frames and mullions; `faza` names what failed when a write raises.
void PisiElemente(Tablice& t, const RedoviTipa& r, const Vlasnik& v, const char*& faza) {
    for (const RedOkvira& o : r.Okviri) {
        faza = t.skup.OkvirNijeSpremljen;
        StoredTable& tab = t.okviri;
        engine::Row row = tab.EmptyRow();
        PostaviVlasnika(tab, row, v);
        tab.Set(row, "Rbr", o.Rbr);
        tab.Set(row, "RedniBroj", o.RedniBroj);
        tab.Set(row, "L1", o.L1), tab.Set(row, "T1", o.T1), tab.Set(row, "R1", o.R1),
            tab.Set(row, "B1", o.B1);
        tab.Set(row, "L2", o.L2), tab.Set(row, "T2", o.T2), tab.Set(row, "R2", o.R2),
            tab.Set(row, "B2", o.B2);
        tab.Set(row, "Lajsna", o.Lajsna);
        tab.Set(row, "K", o.K);
        tab.Set(row, "Q", o.Q);
        tab.Set(row, "DebProfila", o.DebProfila);
        tab.Set(row, "Otvaranje", o.Otvaranje);
        tab.Set(row, "ArtiklOkvira", o.ArtiklOkvira);
        tab.Cursor().Insert(row);

        faza = t.skup.PreckaOkviraNijeSpremljena;
        for (const RedPrecke& p : r.PreckeOkvira) {
            if (p.RedniBrojOkvira != o.Rbr) continue;
            StoredTable& pt = t.preckeOkvira;
            engine::Row pr = pt.EmptyRow();
            PostaviVlasnika(pt, pr, v);
            pt.Set(pr, "RedniBrojOkvira", p.RedniBrojOkvira);
            pt.Set(pr, "RedniBroj", p.RedniBroj);
            pt.Set(pr, "L", p.L), pt.Set(pr, "T", p.T), pt.Set(pr, "R", p.R), pt.Set(pr, "B", p.B);
            pt.Set(pr, "ArtiklPreckeOkvira", p.Artikl);
            pt.SetBool(pr, "Tip", p.Tip);
            pt.Cursor().Insert(pr);
        }
    }
    faza = t.skup.PreckaNijeSpremljena;
    for (const RedPrecke& p : r.Precke) {
        StoredTable& pt = t.precke;
        engine::Row pr = pt.EmptyRow();
        PostaviVlasnika(pt, pr, v);
        pt.Set(pr, "RedniBroj", p.RedniBroj);
        pt.Set(pr, "L", p.L), pt.Set(pr, "T", p.T), pt.Set(pr, "R", p.R), pt.Set(pr, "B", p.B);
        pt.Set(pr, "ArtiklPrecke", p.Artikl);
        pt.SetBool(pr, "Tip", p.Tip);
        pt.Cursor().Insert(pr);
    }
}

RedPrecke PreckaIzReda(const StoredTable& t, const engine::Row& row, bool okvira) {
    RedPrecke p;
    p.RedniBrojOkvira = okvira ? t.Short(row, "RedniBrojOkvira") : std::int16_t{0};
    p.RedniBroj = t.Short(row, "RedniBroj");
    p.Artikl = static_cast<std::int32_t>(t.Int(row, okvira ? "ArtiklPreckeOkvira" : "ArtiklPrecke"));
    p.L = t.Short(row, "L"), p.T = t.Short(row, "T"), p.R = t.Short(row, "R"), p.B = t.Short(row, "B");
    p.Tip = t.Bool(row, "Tip");
    return p;
}

RedoviTipa CitajElemente(Tablice& t, const Vlasnik& v) {
    RedoviTipa r;
    const engine::Key k = v.Kljuc();
    for (const engine::Row& row : t.okviri.Rows(k)) {
        const StoredTable& o = t.okviri;
        RedOkvira f;
        f.Rbr = o.Short(row, "Rbr");
        f.RedniBroj = o.Short(row, "RedniBroj");
        f.ArtiklOkvira = static_cast<std::int32_t>(o.Int(row, "ArtiklOkvira"));
        f.DebProfila = o.Short(row, "DebProfila");
        f.L1 = o.Short(row, "L1"), f.T1 = o.Short(row, "T1"), f.R1 = o.Short(row, "R1"),
        f.B1 = o.Short(row, "B1");
        f.L2 = o.Short(row, "L2"), f.T2 = o.Short(row, "T2"), f.R2 = o.Short(row, "R2"),
        f.B2 = o.Short(row, "B2");
        f.K = o.Short(row, "K");
        f.Q = o.Short(row, "Q");
        f.Otvaranje = o.Short(row, "Otvaranje");
        f.Lajsna = o.Short(row, "Lajsna");
        r.Okviri.push_back(f);
    }
    for (const engine::Row& row : t.preckeOkvira.Rows(k))
        r.PreckeOkvira.push_back(PreckaIzReda(t.preckeOkvira, row, true));
    for (const engine::Row& row : t.precke.Rows(k))
        r.Precke.push_back(PreckaIzReda(t.precke, row, false));
    return r;
}

// --- headers

// Puts the cursor on the first header with this value of the field (by the index when there is one);
// false when none.
bool NadjiPo(StoredTable& t, const std::string& indeks, const std::string& polje, std::int64_t vrijednost) {
    engine::Cursor& c = t.Cursor();
    const int i = c.FindIndexByName(indeks);
    if (i >= -1) {
        c.SetIndex(i);
        return c.FindKey({Value::Int(vrijednost)});
    }
    c.SetIndex(-1);
    for (c.First(); c.OnRow(); c.Next())
        if (t.Int(c.Read(), polje) == vrijednost) return true;
    return false;
}

// The catalogue headers with this Code; the cursor stays on the first.
int ZaglavljaTipa(StoredTable& t, std::int32_t code) {
    if (!NadjiPo(t, "_Code", "Code", code)) return 0;
    engine::Cursor& c = t.Cursor();
    const engine::Bookmark prvi = c.GetBookmark();
    int n = 0;
    for (; c.OnRow() && t.Int(c.Read(), "Code") == code; c.Next())
        ++n;
    c.GotoBookmark(prvi);
    return n;
}

std::vector<std::int64_t> KodoviKopija(StoredTable& t, const KopijaStavke& k) {
    engine::Cursor& c = t.Cursor();
    std::vector<std::int64_t> out;
    const int i = c.FindIndexByName("_RnRnsCode");
    if (i >= 0) {
        c.SetIndex(i);
        c.SetRange({Value::Int(k.RN), Value::Int(k.RNS)}, {Value::Int(k.RN), Value::Int(k.RNS)});
        for (c.First(); c.OnRow(); c.Next())
            out.push_back(t.Int(c.Read(), "Code"));
        c.CancelRange();
        return out;
    }
    c.SetIndex(-1);
    for (c.First(); c.OnRow(); c.Next()) {
        const engine::Row& row = c.Read();
        if (t.Int(row, "RN") == k.RN && t.Int(row, "RNS") == k.RNS) out.push_back(t.Int(row, "Code"));
    }
    return out;
}

// --- the swap of a catalogue type
//
// The new rows are written under the scratch WTip (never a type's Code); the note then records the header's
// new values. Finishing it: phase 1 writes the header and deletes the old rows, phase 2 moves the new rows
// to the type's Code. Each phase can be run again after a crash.

std::int64_t Privremeni(std::int32_t code) {
    return -static_cast<std::int64_t>(code) - 1;
}

fs::path BiljeskaTipa(std::int32_t code) {
    return Mapa() / ("WINGL-" + std::to_string(code) + ".zamjena");
}

fs::path BiljeskaKopije(const KopijaStavke& k) {
    return Mapa() / ("NWINGL-" + std::to_string(k.RN) + "-" + std::to_string(k.RNS) + ".zamjena");
}

BiljeskaZamjene BiljeskaZaglavlja(const ZaglavljeTipa& z, std::int32_t code) {
    return {{"Skup", Katalog.Oznaka},
            {"Faza", "1"},
            {"Kod", std::to_string(code)},
            {"MaxRight", std::to_string(z.MaxRight)},
            {"MaxBottom", std::to_string(z.MaxBottom)},
            {"WinLeft", std::to_string(z.WinLeft)},
            {"WinTop", std::to_string(z.WinTop)},
            {"WinRight", std::to_string(z.WinRight)},
            {"WinBottom", std::to_string(z.WinBottom)},
            {"Vrata", z.Vrata ? "1" : "0"},
            {"Roletne", z.Roletne ? "1" : "0"},
            {"ArtiklOkvira", std::to_string(z.ArtiklOkvira)}};
}

ZaglavljeTipa ZaglavljeIzBiljeske(const BiljeskaZamjene& b, const fs::path& file) {
    const auto broj = [&](const char* ime) { return BrojIzBiljeske(b, ime, file); };
    ZaglavljeTipa z;
    z.MaxRight = static_cast<std::int16_t>(broj("MaxRight"));
    z.MaxBottom = static_cast<std::int16_t>(broj("MaxBottom"));
    z.WinLeft = static_cast<std::int16_t>(broj("WinLeft"));
    z.WinTop = static_cast<std::int16_t>(broj("WinTop"));
    z.WinRight = static_cast<std::int16_t>(broj("WinRight"));
    z.WinBottom = static_cast<std::int16_t>(broj("WinBottom"));
    z.Vrata = broj("Vrata") != 0;
    z.Roletne = broj("Roletne") != 0;
    z.ArtiklOkvira = static_cast<std::int32_t>(broj("ArtiklOkvira"));
    return z;
}

void DovrsiZamjenuTipa(Tablice& t, std::int32_t code) {
    const fs::path file = BiljeskaTipa(code);
    std::optional<BiljeskaZamjene> b = CitajBiljesku(file);
    if (!b) return;
    if (BrojIzBiljeske(*b, "Faza", file) == 1) {
        // A delete's note carries no header.
        if (b->count("MaxRight") && ZaglavljaTipa(t.zaglavlje, code) > 0) {
            engine::Row row = t.zaglavlje.Cursor().Read();
            UpisiZaglavlje(t.zaglavlje, row, ZaglavljeIzBiljeske(*b, file));
            t.zaglavlje.Cursor().Modify(row);
        }
        ObrisiElemente(t, {{}, code});
        (*b)["Faza"] = "2";
        ZapisiBiljesku(file, *b);
    }
    const engine::Key privremeni = Vlasnik{{}, Privremeni(code)}.Kljuc();
    t.preckeOkvira.MoveRows(privremeni, "WTip", code);
    t.okviri.MoveRows(privremeni, "WTip", code);
    t.precke.MoveRows(privremeni, "WTip", code);
    UkloniBiljesku(file);
}

// Locks the type's header (the cursor on it) against another station's save; false when one holds it.
bool ZakljucajZaglavlje(Tablice& t) {
    try {
        t.zaglavlje.Cursor().LockRecord();
        return true;
    } catch (const engine::RecordLocked&) {
        return false;
    }
}

// --- the swap of a copy
//
// The note lists the item's copies before the save (phase 1); once the new copy is whole it names the one
// that stays (phase 2, 0 for none). Finishing deletes every other copy of the item with its rows.

void ObrisiKopijuKoda(Tablice& t, const KopijaStavke& k, std::int64_t code) {
    ObrisiElemente(t, {{k.RN, k.RNS}, code});
    engine::Cursor& c = t.zaglavlje.Cursor();
    c.SetIndex(-1);
    if (c.FindKey({Value::Int(code)})) c.Delete();
}

std::string Popis(const std::vector<std::int64_t>& kodovi) {
    std::string s;
    for (const std::int64_t k : kodovi)
        s += (s.empty() ? "" : ",") + std::to_string(k);
    return s;
}

std::set<std::int64_t> KodoviIzPopisa(const BiljeskaZamjene& b, const fs::path& file) {
    std::set<std::int64_t> out;
    const auto it = b.find("Stari");
    if (it == b.end() || it->second.empty()) return out;
    std::size_t from = 0;
    while (from <= it->second.size()) {
        const std::size_t zarez = std::min(it->second.find(',', from), it->second.size());
        out.insert(BrojIzBiljeske({{"x", it->second.substr(from, zarez - from)}}, "x", file));
        from = zarez + 1;
    }
    return out;
}

void DovrsiZamjenuKopije(Tablice& t, const KopijaStavke& k) {
    const fs::path file = BiljeskaKopije(k);
    const std::optional<BiljeskaZamjene> b = CitajBiljesku(file);
    if (!b) return;
    std::set<std::int64_t> ostaju;
    if (BrojIzBiljeske(*b, "Faza", file) == 1) {
        ostaju = KodoviIzPopisa(*b, file);
    } else if (const long long ostaje = BrojIzBiljeske(*b, "Ostaje", file); ostaje != 0) {
        ostaju.insert(ostaje);
    }
    for (const std::int64_t code : KodoviKopija(t.zaglavlje, k))
        if (!ostaju.count(code)) ObrisiKopijuKoda(t, k, code);
    UkloniBiljesku(file);
}

BiljeskaZamjene BiljeskaKopijeFaza(const KopijaStavke& k, int faza) {
    return {{"Skup", Kopije.Oznaka},
            {"Faza", std::to_string(faza)},
            {"RN", std::to_string(k.RN)},
            {"RNS", std::to_string(k.RNS)}};
}

// Whether the note of the finished phase is in place (written although its write reported a failure).
bool BiljeskaUFazi(const fs::path& file, int faza) {
    try {
        const std::optional<BiljeskaZamjene> b = CitajBiljesku(file);
        return b && BrojIzBiljeske(*b, "Faza", file) == faza;
    } catch (const std::exception&) {
        return false;
    }
}

// --- the stored state of a catalogue type

// FNV-1a over the values, each taken as its eight bytes.
class Otisak {
public:
    void operator()(std::int64_t v) {
        for (int i = 0; i < 8; ++i) {
            h_ ^= (static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF;
            h_ *= 1099511628211ULL;
        }
    }
    OtisakTipa Vrijednost() const { return h_; }

private:
    std::uint64_t h_ = 14695981039346656037ULL;
};

OtisakTipa OtisakRedova(const RedoviTipa& r) {
    Otisak o;
    const ZaglavljeTipa& z = r.Zaglavlje;
    // The header fields a save writes; the list's own (Sifra, Naziv, Sistem, Boja) are not the designer's.
    for (const std::int64_t v :
         std::initializer_list<std::int64_t>{z.MaxRight, z.MaxBottom, z.WinLeft, z.WinTop, z.WinRight,
                                             z.WinBottom, z.Vrata, z.Roletne, z.ArtiklOkvira})
        o(v);
    o(static_cast<std::int64_t>(r.Okviri.size()));
    for (const RedOkvira& f : r.Okviri)
        for (const std::int64_t v : std::initializer_list<std::int64_t>{
                 f.Rbr, f.RedniBroj, f.ArtiklOkvira, f.DebProfila, f.L1, f.T1, f.R1, f.B1, f.L2, f.T2, f.R2,
                 f.B2, f.K, f.Q, f.Otvaranje, f.Lajsna})
            o(v);
    for (const std::vector<RedPrecke>* lista : {&r.PreckeOkvira, &r.Precke}) {
        o(static_cast<std::int64_t>(lista->size()));
        for (const RedPrecke& p : *lista)
            for (const std::int64_t v : std::initializer_list<std::int64_t>{
                     p.RedniBrojOkvira, p.RedniBroj, p.Artikl, p.L, p.T, p.R, p.B, p.Tip})
                o(v);
    }
    return o.Vrijednost();
}

// The stored state of the type whose header the cursor stands on.
OtisakTipa StanjeTipa(Tablice& t, std::int32_t code) {
    RedoviTipa r = CitajElemente(t, {{}, code});
    r.Zaglavlje = ProcitajZaglavlje(t.zaglavlje, t.zaglavlje.Cursor().Read());
    return OtisakRedova(r);
}

// --- the scratch rows of saves that died before their note

// The scratch WTips (a save's new rows before its note) that rows of the catalogue's detail tables carry.
std::set<std::int64_t> PrivremeniKljucevi(Tablice& t) {
    std::set<std::int64_t> out;
    for (StoredTable* tab : {&t.okviri, &t.preckeOkvira, &t.precke}) {
        engine::Cursor& c = tab->Cursor();
        c.SetIndex(-1);
        for (c.First(); c.OnRow(); c.Next())
            if (const std::int64_t wtip = tab->Int(c.Read(), "WTip"); wtip < 0) out.insert(wtip);
    }
    return out;
}

// Takes away the scratch rows that no note refers to, each under its type's lock (a station holding it is
// saving that type now, and its rows are its own).
void UkloniNapusteneRedove() {
    for (const char* ime : {Katalog.Zaglavlje, Katalog.Okviri, Katalog.PreckeOkvira, Katalog.Precke})
        if (!engine::TableExists(Mapa(), ime)) return;
    std::set<std::int64_t> kljucevi;
    {
        Tablice t(Katalog);
        kljucevi = PrivremeniKljucevi(t);
    }
    for (const std::int64_t wtip : kljucevi) {
        const std::int64_t code = -wtip - 1;
        if (code > INT32_MAX) continue; // no save writes such a key
        const auto kod = static_cast<std::int32_t>(code);
        Tablice t(Katalog); // its lock goes with it
        if (ZaglavljaTipa(t.zaglavlje, kod) > 0 && !ZakljucajZaglavlje(t)) continue;
        if (BiljeskaPostoji(BiljeskaTipa(kod)))
            DovrsiZamjenuTipa(t, kod);
        else
            ObrisiElemente(t, {{}, wtip});
    }
}

// --- one try of a catalogue save

enum class Pokusaj { Spremljeno, NijeSpremljeno, Zakljucano, Promijenjeno };

struct IshodPokusaja {
    Pokusaj Ishod = Pokusaj::NijeSpremljeno;
    std::string Poruka;  // of a lock
    OtisakTipa Stanje{}; // the stored state found, when it changed
};

IshodPokusaja PokusajSpremiti(ModelProzora& model, std::int32_t code,
                              const std::optional<OtisakTipa>& ucitano) {
    const fs::path file = BiljeskaTipa(code);
    const char* faza = NeMoguSpremitiVrijednosti;
    std::unique_ptr<Tablice> t;
    bool zakljucan = false;
    bool biljeska = false;
    try {
        const RedoviTipa redovi = RedoviIzModela(model, VrstaTipa::Katalog);
        t = std::make_unique<Tablice>(Katalog);
        const int zaglavlja = ZaglavljaTipa(t->zaglavlje, code);
        if (zaglavlja != 1) {
            app::ShowInfo(zaglavlja == 0 ? TipNijePronadjen : KodDvaTipa);
            return {};
        }
        t->zaglavlje.Cursor().LockRecord();
        zakljucan = true;
        DovrsiZamjenuTipa(*t, code);
        if (ucitano) {
            ZaglavljaTipa(t->zaglavlje, code);
            if (const OtisakTipa sada = StanjeTipa(*t, code); sada != *ucitano)
                return {Pokusaj::Promijenjeno, {}, sada};
        }
        const Vlasnik privremeni{{}, Privremeni(code)};
        ObrisiElemente(*t, privremeni); // what a save that died before its note left
        PisiElemente(*t, redovi, privremeni, faza);
        faza = NeMoguSacuvatiPodatke;
        biljeska = true;
        ZapisiBiljesku(file, BiljeskaZaglavlja(redovi.Zaglavlje, code));
    } catch (const std::exception& e) {
        if (!(biljeska && BiljeskaUFazi(file, 1))) {
            try {
                // Only under the header's lock: the scratch rows may be another station's save.
                if (zakljucan) ObrisiElemente(*t, {{}, Privremeni(code)});
            } catch (const std::exception&) {
                // left for the next save of the type to delete
            }
            // Another station's lock is held for a moment only: the caller tries again.
            if (dynamic_cast<const engine::RecordLocked*>(&e) || dynamic_cast<const engine::TableBusy*>(&e))
                return {Pokusaj::Zakljucano, e.what(), {}};
            Javi(faza, e);
            return {};
        }
    }
    try {
        DovrsiZamjenuTipa(*t, code);
    } catch (const std::exception&) {
        // The save stands once its note is written: the next save, load or delete finishes the swap.
    }
    model.OslobodiMemoriju();
    return {Pokusaj::Spremljeno, {}, {}};
}

} // namespace

// ------------------------------------------------------------------------------------------ the catalogue

bool SpremiProzor(ModelProzora& model, std::int32_t code, const OtisakTipa* ucitano) {
    if (code < 0) {
        app::ShowInfo(TipNijePronadjen);
        return false;
    }
    std::optional<OtisakTipa> prihvaceno;
    if (ucitano) prihvaceno = *ucitano;
    for (int pokusaji = 1;; ++pokusaji) {
        const IshodPokusaja p = PokusajSpremiti(model, code, prihvaceno);
        switch (p.Ishod) {
        case Pokusaj::Spremljeno:
            return true;
        case Pokusaj::NijeSpremljeno:
            return false;
        case Pokusaj::Zakljucano:
            if (pokusaji < app::SilentPostTries) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            if (!app::AskYesNo(p.Poruka + "\r\n" + app::RetryQuestion)) return false;
            pokusaji = 0;
            continue;
        case Pokusaj::Promijenjeno:
            // Asked with no lock held: the other station may go on meanwhile, and is asked about again.
            if (!app::AskYesNo(TipPromijenjenPitanje)) return false;
            prihvaceno = p.Stanje;
            pokusaji = 0;
            continue;
        }
    }
}

bool PrenesiProzor(ModelProzora& model, std::int32_t code, const ZadaneVrijednosti& zadano,
                   OtisakTipa* otisak) {
    model.OslobodiMemoriju();
    try {
        Tablice t(Katalog);
        if (ZaglavljaTipa(t.zaglavlje, code) == 0) {
            model.Roletne = false;
            return false;
        }
        // A station saving the type holds its header; otherwise a swap left begun is finished first.
        const bool zakljucan = ZakljucajZaglavlje(t);
        if (zakljucan) {
            DovrsiZamjenuTipa(t, code);
            ZaglavljaTipa(t.zaglavlje, code);
        }
        engine::Row row = t.zaglavlje.Cursor().Read();
        RedoviTipa redovi = CitajElemente(t, {{}, code});
        redovi.Zaglavlje = ProcitajZaglavlje(t.zaglavlje, row);
        OtisakTipa stanje = OtisakRedova(redovi);
        if (redovi.Zaglavlje.Sistem == 0 && zadano.Sistem != 0) {
            redovi.Zaglavlje.Sistem = zadano.Sistem;
            redovi.Zaglavlje.ArtiklOkvira = zadano.Stok;
            if (zakljucan) {
                t.zaglavlje.Set(row, "Sistem", zadano.Sistem);
                t.zaglavlje.Set(row, "ArtiklOkvira", zadano.Stok);
                t.zaglavlje.Cursor().Modify(row);
                stanje = OtisakRedova(redovi);
            }
        }
        ModelIzRedova(model, redovi, VrstaTipa::Katalog, zadano);
        if (otisak) *otisak = stanje;
        return true;
    } catch (const std::exception& e) {
        model.OslobodiMemoriju();
        Javi(NeMoguUcitati, e);
        return false;
    }
}

bool CitajTip(std::int32_t code, RedoviTipa& redovi) {
    try {
        Tablice t(Katalog);
        if (ZaglavljaTipa(t.zaglavlje, code) == 0) return false;
        if (ZakljucajZaglavlje(t)) {
            DovrsiZamjenuTipa(t, code);
            ZaglavljaTipa(t.zaglavlje, code);
        }
        const engine::Row row = t.zaglavlje.Cursor().Read();
        redovi = CitajElemente(t, {{}, code});
        redovi.Zaglavlje = ProcitajZaglavlje(t.zaglavlje, row);
        return true;
    } catch (const std::exception& e) {
        Javi(NeMoguUcitati, e);
        return false;
    }
}

bool ObrisiElementeTipa(std::int32_t code) {
    if (code < 0) return true; // no type's rows carry it
    const fs::path file = BiljeskaTipa(code);
    bool biljeska = false;
    try {
        Tablice t(Katalog);
        const int zaglavlja = ZaglavljaTipa(t.zaglavlje, code);
        // The rows belong to the other type with this Code as well.
        if (zaglavlja > 1) return true;
        if (zaglavlja == 1) t.zaglavlje.Cursor().LockRecord();
        DovrsiZamjenuTipa(t, code);
        ObrisiElemente(t, {{}, Privremeni(code)});
        biljeska = true;
        ZapisiBiljesku(file, {{"Skup", Katalog.Oznaka}, {"Faza", "1"}, {"Kod", std::to_string(code)}});
        DovrsiZamjenuTipa(t, code);
        return true;
    } catch (const std::exception& e) {
        // Once the note is there the rows go, now or at the next touch of the type.
        if (biljeska && BiljeskaPostoji(file)) return true;
        Javi(NeMoguObrisati, e);
        return false;
    }
}

bool KodTipaZauzet(std::int32_t code, const std::string& sifra) {
    StoredTable t(Mapa(), Katalog.Zaglavlje);
    if (!NadjiPo(t, "_Code", "Code", code)) return false;
    for (engine::Cursor& c = t.Cursor(); c.OnRow(); c.Next()) {
        const engine::Row& row = c.Read();
        if (t.Int(row, "Code") != code) break;
        const engine::Value& s = row.at(static_cast<std::size_t>(t.Field("Sifra")));
        if (!s.IsText() || s.AsText() != sifra) return true;
    }
    return false;
}

bool TipPostoji(std::int32_t code) {
    StoredTable t(Mapa(), Katalog.Zaglavlje);
    return NadjiPo(t, "_Code", "Code", code);
}

bool TipImaElemente(std::int32_t code) {
    Tablice t(Katalog);
    const engine::Key k = Vlasnik{{}, code}.Kljuc();
    return !t.okviri.Rows(k).empty() || !t.precke.Rows(k).empty() || !t.preckeOkvira.Rows(k).empty();
}

// ------------------------------------------------------------------------------------------ the copies

std::int32_t SpremiKopiju(ModelProzora& model, const KopijaStavke& stavka, std::int32_t sistem,
                          std::int32_t boja) {
    const fs::path file = BiljeskaKopije(stavka);
    const char* faza = NeMoguSpremitiVrijednosti;
    std::unique_ptr<Tablice> t;
    std::int64_t novi = 0;
    bool zakljucan = false;
    bool biljeska = false;
    try {
        const RedoviTipa redovi = RedoviIzModela(model, VrstaTipa::Kopija);
        t = std::make_unique<Tablice>(Kopije);
        t->zaglavlje.Table().LockTable();
        zakljucan = true;
        DovrsiZamjenuKopije(*t, stavka);
        BiljeskaZamjene b = BiljeskaKopijeFaza(stavka, 1);
        b["Stari"] = Popis(KodoviKopija(t->zaglavlje, stavka));
        ZapisiBiljesku(file, b);

        faza = NeMoguSacuvatiPodatke;
        StoredTable& z = t->zaglavlje;
        engine::Row row = z.EmptyRow();
        z.Set(row, "RN", stavka.RN);
        z.Set(row, "RNS", stavka.RNS);
        UpisiZaglavlje(z, row, redovi.Zaglavlje);
        z.Set(row, "Sistem", sistem);
        z.Set(row, "Boja", boja);
        z.Cursor().Insert(row);
        novi = z.Int(z.Cursor().Read(), "Code");

        PisiElemente(*t, redovi, {{stavka.RN, stavka.RNS}, novi}, faza);
        faza = NeMoguSacuvatiPodatke;
        b = BiljeskaKopijeFaza(stavka, 2);
        b["Ostaje"] = std::to_string(novi);
        biljeska = true;
        ZapisiBiljesku(file, b);
    } catch (const std::exception& e) {
        if (!(biljeska && BiljeskaUFazi(file, 2))) {
            try {
                // The note of phase 1 takes the new copy away again (only under the lock: without it the
                // note may be another station's save).
                if (zakljucan) DovrsiZamjenuKopije(*t, stavka);
            } catch (const std::exception&) {
                // its note stays: the next touch of the item takes it away
            }
            Javi(faza, e);
            return 0;
        }
    }
    try {
        DovrsiZamjenuKopije(*t, stavka);
    } catch (const std::exception&) {
        // The save stands once its note is written: the next touch of the item finishes it.
    }
    model.OslobodiMemoriju();
    return static_cast<std::int32_t>(novi);
}

namespace {

bool PrenesiIz(Tablice& t, ModelProzora& model, const KopijaStavke& stavka, const ZadaneVrijednosti& zadano) {
    // A station saving a copy holds the header table; otherwise a swap left begun is finished first.
    bool zakljucan = false;
    try {
        t.zaglavlje.Table().LockTable();
        zakljucan = true;
    } catch (const engine::TableBusy&) {
    }
    if (zakljucan) {
        DovrsiZamjenuKopije(t, stavka);
        t.zaglavlje.Table().UnlockTable();
    }
    const std::vector<std::int64_t> kodovi = KodoviKopija(t.zaglavlje, stavka);
    if (kodovi.empty()) return false;
    engine::Cursor& c = t.zaglavlje.Cursor();
    c.SetIndex(-1);
    if (!c.FindKey({Value::Int(kodovi.front())})) return false;
    RedoviTipa redovi = CitajElemente(t, {{stavka.RN, stavka.RNS}, kodovi.front()});
    redovi.Zaglavlje = ProcitajZaglavlje(t.zaglavlje, c.Read());
    ModelIzRedova(model, redovi, VrstaTipa::Kopija, zadano);
    return true;
}

} // namespace

bool PrenesiKopiju(ModelProzora& model, const KopijaStavke& stavka, const ZadaneVrijednosti& zadano) {
    CitacKopija citac;
    return citac.Prenesi(model, stavka, zadano);
}

struct CitacKopija::Otvorene {
    Tablice t{Kopije};
};

CitacKopija::CitacKopija() = default;
CitacKopija::~CitacKopija() = default;

bool CitacKopija::Prenesi(ModelProzora& model, const KopijaStavke& stavka, const ZadaneVrijednosti& zadano) {
    model.OslobodiMemoriju();
    try {
        if (!t_) t_ = std::make_unique<Otvorene>();
        return PrenesiIz(t_->t, model, stavka, zadano);
    } catch (const std::exception& e) {
        // Opened again for the next item: a table that failed may have been left anywhere.
        t_.reset();
        model.OslobodiMemoriju();
        Javi(NeMoguUcitati, e);
        return false;
    }
}

bool ObrisiKopiju(const KopijaStavke& stavka) {
    const fs::path file = BiljeskaKopije(stavka);
    bool biljeska = false;
    try {
        Tablice t(Kopije);
        t.zaglavlje.Table().LockTable();
        DovrsiZamjenuKopije(t, stavka);
        BiljeskaZamjene b = BiljeskaKopijeFaza(stavka, 2);
        b["Ostaje"] = "0";
        biljeska = true;
        ZapisiBiljesku(file, b);
        DovrsiZamjenuKopije(t, stavka);
        return true;
    } catch (const std::exception& e) {
        if (biljeska && BiljeskaUFazi(file, 2)) return true;
        Javi(NeMoguObrisati, e);
        return false;
    }
}

bool PrenumerirajKopiju(const KopijaStavke& stavka, std::int32_t noviRNS) {
    if (noviRNS == stavka.RNS) return true;
    const KopijaStavke cilj{stavka.RN, noviRNS};
    try {
        Tablice t(Kopije);
        t.zaglavlje.Table().LockTable();
        DovrsiZamjenuKopije(t, stavka);
        DovrsiZamjenuKopije(t, cilj);
        // A copy still under the new number belongs to no item: it must not become this item's.
        for (const std::int64_t code : KodoviKopija(t.zaglavlje, cilj))
            ObrisiKopijuKoda(t, cilj, code);
        // The rows first: until the header moves, the copy is still found under its old number.
        const engine::Key stari{Value::Int(stavka.RN), Value::Int(stavka.RNS)};
        t.preckeOkvira.MoveRows(stari, "RNS", noviRNS);
        t.okviri.MoveRows(stari, "RNS", noviRNS);
        t.precke.MoveRows(stari, "RNS", noviRNS);
        engine::Cursor& c = t.zaglavlje.Cursor();
        for (const std::int64_t code : KodoviKopija(t.zaglavlje, stavka)) {
            c.SetIndex(-1);
            if (!c.FindKey({Value::Int(code)})) continue;
            engine::Row row = c.Read();
            t.zaglavlje.Set(row, "RNS", noviRNS);
            c.Modify(row);
        }
        return true;
    } catch (const std::exception& e) {
        Javi(NeMoguSpremitiVrijednosti, e);
        return false;
    }
}

std::int32_t KodKopije(const KopijaStavke& stavka) {
    StoredTable t(Mapa(), Kopije.Zaglavlje);
    const std::vector<std::int64_t> kodovi = KodoviKopija(t, stavka);
    return kodovi.empty() ? 0 : static_cast<std::int32_t>(kodovi.front());
}

// ------------------------------------------------------------------------------------------ start-up

void DovrsiZapoceteZamjene() {
    std::vector<fs::path> biljeske;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(Mapa(), ec))
        if (e.path().extension() == ".zamjena") biljeske.push_back(e.path());
    for (const fs::path& file : biljeske) {
        try {
            const std::optional<BiljeskaZamjene> b = CitajBiljesku(file);
            if (!b) continue;
            const auto skup = b->find("Skup");
            if (skup != b->end() && skup->second == Katalog.Oznaka) {
                const auto code = static_cast<std::int32_t>(BrojIzBiljeske(*b, "Kod", file));
                Tablice t(Katalog);
                if (ZaglavljaTipa(t.zaglavlje, code) > 0 && !ZakljucajZaglavlje(t)) continue;
                DovrsiZamjenuTipa(t, code);
            } else if (skup != b->end() && skup->second == Kopije.Oznaka) {
                const KopijaStavke k{static_cast<std::int32_t>(BrojIzBiljeske(*b, "RN", file)),
                                     static_cast<std::int32_t>(BrojIzBiljeske(*b, "RNS", file))};
                Tablice t(Kopije);
                t.zaglavlje.Table().LockTable();
                DovrsiZamjenuKopije(t, k);
            }
        } catch (const engine::TableBusy&) {
            // a station is saving that item now and finishes its own swap
        } catch (const std::exception& e) {
            Javi(NijeDovrseno, e);
        }
    }
    try {
        UkloniNapusteneRedove();
    } catch (const std::exception& e) {
        Javi(NijeDovrseno, e);
    }
}

} // namespace windows
