#include "app/data/CodeUses.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/WBegin.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "fw/db/DataSet.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace app {

namespace {

const CountedNoun Artikl{"artikl", "artikla", "artikala"};
const CountedNoun SifraArtikla{"šifra artikla", "šifre artikla", "šifri artikla"};
const CountedNoun Naziv{"naziv", "naziva", "naziva"};
const CountedNoun Zemlja{"zemlja", "zemlje", "zemalja"};
const CountedNoun Valuta{"valuta", "valute", "valuta"};
const CountedNoun Tecaj{"tečaj", "tečaja", "tečajeva"};
const CountedNoun Posta{"pošta", "pošte", "pošta"};
const CountedNoun Poduzece{"poduzeće", "poduzeća", "poduzeća"};
const CountedNoun Partner{"partner", "partnera", "partnera"};
const CountedNoun Proizvodjac{"proizvođač", "proizvođača", "proizvođača"};
const CountedNoun Banka{"banka", "banke", "banaka"};
const CountedNoun ZiroRacun{"žiro-račun", "žiro-računa", "žiro-računa"};
const CountedNoun GrupaPoreza{"tarifna grupa poreza", "tarifne grupe poreza", "tarifnih grupa poreza"};
const CountedNoun GrupaCarine{"tarifna grupa carine", "tarifne grupe carine", "tarifnih grupa carine"};
const CountedNoun Stopa{"stopa", "stope", "stopa"};
const CountedNoun Grupa{"grupa", "grupe", "grupa"};
const CountedNoun Podgrupa{"podgrupa", "podgrupe", "podgrupa"};
const CountedNoun Pakiranje{"način pakiranja", "načina pakiranja", "načina pakiranja"};
const CountedNoun Kolicina{"količina pakiranja", "količine pakiranja", "količina pakiranja"};
const CountedNoun Boja{"boja", "boje", "boja"};
const CountedNoun Sistem{"sistem", "sistema", "sistema"};
const CountedNoun BojaSistema{"boja sistema", "boje sistema", "boja sistema"};
const CountedNoun TipProzora{"tip prozora", "tipa prozora", "tipova prozora"};
const CountedNoun RadniNalog{"radni nalog", "radna naloga", "radnih naloga"};
const CountedNoun StavkaNaloga{"stavka naloga", "stavke naloga", "stavki naloga"};
const CountedNoun ParametriProfila{"zapis parametara profila", "zapisa parametara profila",
                                   "zapisa parametara profila"};
const CountedNoun VezaProfila{"veza s profilom", "veze s profilom", "veza s profilom"};

const char* const SystemArticles =
    "Stok;ZStoka;Vrata;ZVrata;Okvir;ZOkvira;KlizniOkvir;ZKlizniOkvir;Precka;ZPrecka";

const std::vector<CodeRegister> registers = {
    {"GOVOR.DB", "Global", "Code", "", false},          {"ZEMLJA.DB", "Global", "Code", "", false},
    {"POSTA.DB", "Global", "Code", "", false},          {"DJELATNO.DB", "Global", "Code", "", false},
    {"BANKE.DB", "Global", "Partner", "", false},       {"VALUTA.DB", "Global", "Code", "", false},
    {"ZIRO_RN.DB", "Global", "Code", "", false},        {"ZIREKI.DB", "Global", "Code", "", false},
    {"VRSTE.DB", "Global", "Code", "", false},          {"GRUPE.DB", "Global", "Code", "", false},
    {"PODGRUPE.DB", "Global", "Code", "", false},       {"GR_AMORT.DB", "Global", "Code", "", false},
    {"GR_REVAL.DB", "Global", "Code", "", false},       {"KONTA.DB", "Global", "Code", "", false},
    {"T_POREZA.DB", "Global", "Code", "", false},       {"T_CARINE.DB", "Global", "Code", "", false},
    {"JEDINICE.DB", "Global", "Code", "", false},       {"PAKUNG.DB", "Global", "Code", "", false},
    {"PARTNER.DB", "Global", "Code", "", false},        {"FIRME.DB", "Global", "Partner", "", false},
    {"BOJE.DB", "Global", "Code", "", false},           {"SIF_BOJA.DB", "Global", "Code", "Partner", true},
    {"SIF_ROBE.DB", "Global", "Code", "Partner", true}, {"ROBA.DB", "Global", "Code", "", false},
    {"SIF_PART.DB", "Lokal", "Partner", "", false},     {"WSYSTEM.DB", "Lokal", "Code", "", false},
    {"WINGL.DB", "Lokal", "Code", "", false},
};

const std::vector<CodeUse> uses = {
    {"GOVOR.DB", "Global", "ZEMLJA.DB", "Govor", Zemlja, "Sifra"},
    {"GOVOR.DB", "Global", "VALUTA.DB", "Govor", Valuta, "Sifra"},
    {"GOVOR.DB", "Global", "PARTNER.DB", "Jezik", Poduzece, "Sifra"},
    {"GOVOR.DB", "Lokal", "SIF_PART.DB", "Govor", Partner, "Sifra"},
    {"GOVOR.DB", "Global", "MJERE.DB", "Govor", Naziv, ""},
    {"GOVOR.DB", "Global", "IME_PAK.DB", "Govor", Naziv, ""},
    {"GOVOR.DB", "Global", "IME_ATOM.DB", "Govor", Naziv, ""},
    {"GOVOR.DB", "Global", "IME_ROBE.DB", "Govor", Naziv, ""},
    {"GOVOR.DB", "Global", "IME_BOJA.DB", "Govor", Naziv, ""},
    {"ZEMLJA.DB", "Global", "POSTA.DB", "Zemlja", Posta, "Sifra"},
    {"ZEMLJA.DB", "Global", "PARTNER.DB", "Zemlja", Poduzece, "Sifra"},
    {"POSTA.DB", "Global", "PARTNER.DB", "Posta", Poduzece, "Sifra"},
    {"DJELATNO.DB", "Global", "PARTNER.DB", "Djelatnost", Poduzece, "Sifra"},
    {"BANKE.DB", "Global", "PARTNER.DB", "Banka;InoBanka", Poduzece, "Sifra"},
    {"VALUTA.DB", "Global", "PARTNER.DB", "Valuta", Poduzece, "Sifra"},
    {"VALUTA.DB", "Global", "TECAJ.DB", "U_Valutu;Iz_Valute", Tecaj, ""},
    {"ZIRO_RN.DB", "Global", "T_POREZA.DB",
     "ZiroRnRoba;ZiroRnRUC;ZiroRnUsluga;ZiroRnOtpis;ZiroRnPotrosnja;ZiroRnDodVrijednost", GrupaPoreza,
     "Tarifa"},
    {"ZIRO_RN.DB", "Global", "T_CARINE.DB",
     "ZiroRnCarine;ZiroRnEvid;ZiroRnPoreza;ZiroRnPrireza;ZiroRnTrosarine", GrupaCarine, "Tarifa"},
    {"ZIREKI.DB", "Global", "PARTNER.DB", "ZiroRN", Poduzece, "Sifra"},
    {"ZIREKI.DB", "Global", "BANKE.DB", "ZiroRnProvizija;ZiroRnDeviznaDoznaka;ZiroRnKrediti", Banka, "Sifra"},
    {"VRSTE.DB", "Global", "ROBA.DB", "Vrsta", Artikl, "Sifra"},
    {"GRUPE.DB", "Global", "SIF_ROBE.DB", "Grupa", Artikl, "Sifra"},
    {"GRUPE.DB", "Global", "PODGRUPE.DB", "Grupa", Podgrupa, "Sifra"},
    {"PODGRUPE.DB", "Global", "SIF_ROBE.DB", "PodGrupa", Artikl, "Sifra"},
    {"GR_AMORT.DB", "Global", "SIF_ROBE.DB", "Amortizacija", Artikl, "Sifra"},
    {"GR_REVAL.DB", "Global", "SIF_ROBE.DB", "Revalorizacija", Artikl, "Sifra"},
    {"KONTA.DB", "Global", "T_POREZA.DB",
     "KontoRoba;KontoRUC;KontoUsluga;KontoOtpis;KontoPotrosnja;KontoDodVrijednost", GrupaPoreza, "Tarifa"},
    {"KONTA.DB", "Global", "T_CARINE.DB", "KontoCarine;KontoEvid;KontoPoreza;KontoPrireza;KontoTrosarine",
     GrupaCarine, "Tarifa"},
    {"T_POREZA.DB", "Global", "ROBA.DB", "TarifaPoreza", Artikl, "Sifra"},
    {"T_POREZA.DB", "Global", "S_POREZA.DB", "Tarifa", Stopa, ""},
    {"T_CARINE.DB", "Global", "ROBA.DB", "TarifaCarine", Artikl, "Sifra"},
    {"T_CARINE.DB", "Global", "S_CARINE.DB", "Tarifa", Stopa, ""},
    {"JEDINICE.DB", "Global", "ROBA.DB", "JedMj", Artikl, "Sifra"},
    {"JEDINICE.DB", "Global", "PAKUNG.DB", "Jedinica", Pakiranje, "Sifra"},
    {"JEDINICE.DB", "Global", "MJERE.DB", "Jedinica", Naziv, ""},
    {"PAKUNG.DB", "Global", "ROBA.DB", "Pakiranje", Artikl, "Sifra"},
    {"PAKUNG.DB", "Global", "ATOMI.DB", "Pakung", Kolicina, ""},
    {"PAKUNG.DB", "Global", "IME_PAK.DB", "Pakung", Naziv, ""},
    {"PAKUNG.DB", "Global", "IME_ATOM.DB", "Pakung", Naziv, ""},
    {"PARTNER.DB", "Lokal", "SIF_PART.DB", "Partner", Partner, "Sifra"},
    {"PARTNER.DB", "Global", "FIRME.DB", "Partner", Proizvodjac, "Sifra"},
    {"PARTNER.DB", "Global", "BANKE.DB", "Partner", Banka, "Sifra"},
    {"PARTNER.DB", "Global", "ZIREKI.DB", "Partner", ZiroRacun, "Sifra"},
    {"PARTNER.DB", "Global", "GRUPE.DB", "Partner", Grupa, "Sifra"},
    {"PARTNER.DB", "Global", "SIF_ROBE.DB", "Partner;Proizvodi", Artikl, "Sifra"},
    {"PARTNER.DB", "Global", "SIF_BOJA.DB", "Partner;Proizvodi", Boja, "Sifra"},
    {"PARTNER.DB", "Lokal", "WSYSTEM.DB", "Proizvodi", Sistem, "Sifra"},
    {"FIRME.DB", "Global", "SIF_ROBE.DB", "Proizvodi", Artikl, "Sifra"},
    {"FIRME.DB", "Global", "SIF_BOJA.DB", "Proizvodi", Boja, "Sifra"},
    {"FIRME.DB", "Lokal", "WSYSTEM.DB", "Proizvodi", Sistem, "Sifra"},
    {"BOJE.DB", "Global", "SIF_BOJA.DB", "Code", Boja, "Sifra"},
    {"BOJE.DB", "Global", "IME_BOJA.DB", "Boja", Naziv, ""},
    {"SIF_BOJA.DB", "Lokal", "WSYSBOJE.DB", "Boja", Sistem, "Sistem", "WSYSTEM.DB", "Code", "Sifra"},
    {"SIF_BOJA.DB", "Lokal", "WINGL.DB", "Boja", TipProzora, "Sifra"},
    {"SIF_BOJA.DB", "Lokal", "RADNINAL.DB", "Boja", RadniNalog, "Sifra"},
    {"SIF_ROBE.DB", "Global", "WROBA.DB", "Code", ParametriProfila, ""},
    {"SIF_ROBE.DB", "Global", "WROBA_D.DB", "Artikl", VezaProfila, ""},
    {"SIF_ROBE.DB", "Lokal", "WSYSBOJE.DB", SystemArticles, Sistem, "Sistem", "WSYSTEM.DB", "Code", "Sifra"},
    {"SIF_ROBE.DB", "Lokal", "WINGL.DB", "Code;ArtiklOkvira", TipProzora, "Sifra"},
    {"SIF_ROBE.DB", "Lokal", "WINO.DB", "ArtiklOkvira", TipProzora, "WTip", "WINGL.DB", "Code", "Sifra"},
    {"SIF_ROBE.DB", "Lokal", "WINP.DB", "ArtiklPrecke", TipProzora, "WTip", "WINGL.DB", "Code", "Sifra"},
    {"SIF_ROBE.DB", "Lokal", "WINPO.DB", "ArtiklPreckeOkvira", TipProzora, "WTip", "WINGL.DB", "Code",
     "Sifra"},
    {"SIF_ROBE.DB", "Lokal", "STAVKERN.DB", "Staklo", StavkaNaloga, ""},
    {"ROBA.DB", "Global", "SIF_ROBE.DB", "Code", SifraArtikla, "Sifra"},
    {"ROBA.DB", "Global", "IME_ROBE.DB", "Roba", Naziv, ""},
    {"SIF_PART.DB", "Global", "SIF_ROBE.DB", "Partner", Artikl, "Sifra"},
    {"SIF_PART.DB", "Global", "SIF_BOJA.DB", "Partner", Boja, "Sifra"},
    {"SIF_PART.DB", "Global", "GRUPE.DB", "Partner", Grupa, "Sifra"},
    {"SIF_PART.DB", "Lokal", "RADNINAL.DB", "Kupac", RadniNalog, "Sifra"},
    {"WSYSTEM.DB", "Lokal", "WINGL.DB", "Sistem", TipProzora, "Sifra"},
    {"WSYSTEM.DB", "Lokal", "RADNINAL.DB", "Sistem", RadniNalog, "Sifra"},
    {"WSYSTEM.DB", "Lokal", "WSYSBOJE.DB", "Sistem", BojaSistema, ""},
    {"WINGL.DB", "Lokal", "STAVKERN.DB", "Tip", StavkaNaloga, "BrojRN", "RADNINAL.DB", "Code", "Sifra",
     "Stavka", "stavka"},
};

// How many names of the users the message lists.
constexpr std::size_t NamesShown = 3;

// An open of a table in its folder, or none when the table does not exist yet (nothing uses anything then).
struct OpenedTable {
    std::unique_ptr<engine::Table> Table;
    std::unique_ptr<engine::Cursor> Cursor;
    int FieldIndex(const std::string& name) const {
        const auto& fields = Table->Fields();
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (base::UpperCase(fields[i].Name) == base::UpperCase(name)) return static_cast<int>(i);
        throw base::Exception("Tablica " + Table->FilePath().filename().string() + " nema polje " + name);
    }
};

OpenedTable OpenIn(const std::string& database, const std::string& table) {
    OpenedTable t;
    const std::optional<Folder> folder = FolderOfDatabase(database);
    if (!folder) return t;
    const std::string path = FolderPath(*folder);
    if (!engine::TableExists(path, table)) return t;
    t.Table = engine::Table::Open(path, table, engine::OpenMode::Shared);
    t.Cursor = t.Table->OpenCursor();
    return t;
}

std::vector<std::string> Names(const std::string& list) {
    std::vector<std::string> names;
    std::string::size_type start = 0;
    while (start < list.size()) {
        const std::string::size_type end = std::min(list.find(';', start), list.size());
        if (end > start) names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::int64_t IntOf(const engine::Value& v) {
    return v.IsInt() ? v.AsInt() : 0;
}

std::vector<int> FieldIndexes(const OpenedTable& t, const std::string& names) {
    std::vector<int> indexes;
    for (const std::string& name : Names(names))
        indexes.push_back(t.FieldIndex(name));
    return indexes;
}

// The names of another table's rows by their key, for the users that name themselves through it.
std::map<std::int64_t, std::string> NamesByKey(const CodeUse& use) {
    std::map<std::int64_t, std::string> names;
    OpenedTable t = OpenIn(use.Database, use.NameTable);
    if (!t.Table) return names;
    const int key = t.FieldIndex(use.NameTableKey), name = t.FieldIndex(use.NameTableField);
    for (t.Cursor->First(); t.Cursor->OnRow(); t.Cursor->Next()) {
        const engine::Row& row = t.Cursor->Read();
        const engine::Value& v = row[static_cast<std::size_t>(name)];
        names[IntOf(row[static_cast<std::size_t>(key)])] = v.IsText() ? v.AsText() : "";
    }
    return names;
}

// The users' names in the order the using table holds them, each once; alphabetical unless each row is a
// user of its own (its number told after the name).
class UserNames {
public:
    void Add(std::string name) {
        if (!name.empty() && seen_.insert(name).second) names_.push_back(std::move(name));
    }
    std::vector<std::string> Shown(bool rowOrder) const {
        std::vector<std::string> out = names_;
        if (!rowOrder) std::sort(out.begin(), out.end());
        return out;
    }
    std::size_t Count() const { return names_.size(); }

private:
    std::set<std::string> seen_;
    std::vector<std::string> names_;
};

std::string WithItem(const std::string& name, const std::string& item) {
    return name.empty() || item.empty() ? name + item : name + " " + item;
}

// "3 artikla", or with the users' names "2 sistema (ALU70, PVC60)"; "" when nothing uses the key.
std::string UsesIn(const CodeUse& use, std::int64_t key) {
    OpenedTable t = OpenIn(use.Database, use.Table);
    if (!t.Table) return "";
    const std::vector<int> fields = FieldIndexes(t, use.Fields);
    const int nameField = *use.NameField ? t.FieldIndex(use.NameField) : -1;
    const int itemField = *use.ItemField ? t.FieldIndex(use.ItemField) : -1;
    long long count = 0;
    UserNames names;
    std::vector<std::pair<std::int64_t, std::string>> nameKeys; // with the item told after the name
    for (t.Cursor->First(); t.Cursor->OnRow(); t.Cursor->Next()) {
        const engine::Row& row = t.Cursor->Read();
        bool used = false;
        for (int f : fields)
            used = used || IntOf(row[static_cast<std::size_t>(f)]) == key;
        if (!used) continue;
        ++count;
        if (nameField < 0) continue;
        const std::string item = itemField < 0
                                     ? ""
                                     : std::string(use.ItemLabel) + " " +
                                           std::to_string(IntOf(row[static_cast<std::size_t>(itemField)]));
        const engine::Value& v = row[static_cast<std::size_t>(nameField)];
        if (*use.NameTable)
            nameKeys.emplace_back(IntOf(v), item);
        else
            names.Add(WithItem(v.IsText() ? v.AsText() : "", item));
    }
    if (count == 0) return "";
    if (!nameKeys.empty()) {
        const std::map<std::int64_t, std::string> byKey = NamesByKey(use);
        for (const auto& [k, item] : nameKeys) {
            const auto it = byKey.find(k);
            names.Add(WithItem(it == byKey.end() ? "" : it->second, item));
        }
        // Several rows of one user (a system's colours) are that one user.
        if (names.Count() > 0 && itemField < 0) count = static_cast<long long>(names.Count());
    }
    std::string text = CountedText(count, use.What);
    if (names.Count() == 0) return text;
    std::string list;
    std::size_t shown = 0;
    for (const std::string& n : names.Shown(itemField >= 0)) {
        if (shown++ == NamesShown) {
            list += ", ...";
            break;
        }
        list += (list.empty() ? "" : ", ") + n;
    }
    return text + " (" + list + ")";
}

const CodeRegister* RegisterOf(const std::string& tableName, const std::string& databaseName) {
    const std::string file = TableFileKey(tableName);
    const std::optional<Folder> folder = FolderOfDatabase(databaseName);
    for (const CodeRegister& r : registers)
        if (file == r.Table && folder && folder == FolderOfDatabase(r.Database)) return &r;
    return nullptr;
}

// Another row of the register carries the same key (within the scope): the key stays defined.
bool KeyKeptByAnotherRow(const CodeRegister& r, const std::function<engine::Value(const std::string&)>& field,
                         std::int64_t key) {
    OpenedTable t = OpenIn(r.Database, r.Table);
    if (!t.Table) return false;
    const int keyField = t.FieldIndex(r.Key);
    const std::vector<int> scope = FieldIndexes(t, r.Scope);
    const std::vector<std::string> scopeNames = Names(r.Scope);
    int same = 0;
    for (t.Cursor->First(); t.Cursor->OnRow(); t.Cursor->Next()) {
        const engine::Row& row = t.Cursor->Read();
        if (IntOf(row[static_cast<std::size_t>(keyField)]) != key) continue;
        bool inScope = true;
        for (std::size_t i = 0; i < scope.size(); ++i)
            inScope =
                inScope && IntOf(row[static_cast<std::size_t>(scope[i])]) == IntOf(field(scopeNames[i]));
        // The row being deleted is one of them.
        if (inScope && ++same > 1) return true;
    }
    return false;
}

std::string ShownCode(fw::TDataSet& dataSet) {
    for (const char* name : {"Sifra", "Tarifa", "Konto"})
        if (fw::TField* f = dataSet.FindField(name)) return f->AsString();
    return "";
}

} // namespace

const std::vector<CodeRegister>& CodeRegisters() {
    return registers;
}

const std::vector<CodeUse>& CodeUses() {
    return uses;
}

std::string CountedText(long long count, const CountedNoun& noun) {
    const long long ones = count % 10, tens = count % 100;
    const char* form = noun.Many;
    if (ones == 1 && tens != 11)
        form = noun.One;
    else if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14))
        form = noun.Few;
    return std::to_string(count) + " " + form;
}

std::vector<std::string> UsesOfRow(const std::string& tableName, const std::string& databaseName,
                                   const std::function<engine::Value(const std::string& field)>& field) {
    std::vector<std::string> found;
    const CodeRegister* r = RegisterOf(tableName, databaseName);
    if (!r) return found;
    const std::int64_t key = IntOf(field(r->Key));
    if (key == 0) return found;
    if (r->OwnRowsOnly && IntOf(field("Partner")) != WBegin.PodaciPoduzeca.OwnPartner) return found;
    if (KeyKeptByAnotherRow(*r, field, key)) return found;
    for (const CodeUse& use : uses)
        if (TableFileKey(use.Register) == r->Table)
            if (std::string text = UsesIn(use, key); !text.empty()) found.push_back(std::move(text));
    return found;
}

bool TellUsesOfRow(fw::TDataSet& dataSet) {
    auto* table = dynamic_cast<fw::TTable*>(&dataSet);
    if (!table || dataSet.IsEmpty() || dataSet.State() == fw::dsInsert) return false;
    const std::vector<std::string> found =
        UsesOfRow(table->TableName(), table->DatabaseName(), [&](const std::string& name) {
            fw::TField* f = dataSet.FindField(name);
            return f ? f->Value() : engine::Value();
        });
    if (found.empty()) return false;
    std::string list;
    for (const std::string& text : found)
        list += (list.empty() ? "" : ", ") + text;
    const std::string code = ShownCode(dataSet);
    ShowInfo("Nije dozvoljeno brisanje šifre" + (code.empty() ? std::string() : " " + code) +
             ",\r\njer je koriste: " + list + ".");
    return true;
}

void RefuseDeletingUsedRow(fw::TDataSet& dataSet) {
    if (TellUsesOfRow(dataSet)) throw base::Abort();
}

} // namespace app
