#include "registers/Pakiranja.h"

#include "app/data/DataSetServices.h"
#include "app/shell/FormOpener.h"
#include "base/Finally.h"
#include "base/ProgramState.h"
#include "fw/db/FieldClasses.h"
#include "registers/OwnedKey.h"
#include "registers/PlainRegisters.h"

namespace registers {

PakiranjaForms Pakiranja;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Pakiranja = PakiranjaForms(); });

using engine::Value;

// The units of measure, shown by their code only.
kit::TMyTable* ShowCodeOnly(kit::TMyTable* table) {
    table->AfterOpen = [](fw::TDataSet& ds) {
        for (int i = 0; i < ds.FieldCount(); ++i)
            ds.Fields(i).Visible = ds.Fields(i).FieldName() == "Sifra";
    };
    return table;
}

} // namespace

// ------------------------------------------------------------------------------------------ packing modes

TSifarnikPakiranja::TSifarnikPakiranja(fw::Component* owner) : TCodeListForm(owner) {
    SetName("SifarnikPakiranja");
    SetCaption("Šifarnik načina pakiranja proizvoda");
    fw::TDataSource& packing = NewSource(nullptr);
    fw::TDataSource& units = NewSource(nullptr);
    cJedinica = AddEdit<kit::TDBJustKey>(units, "Sifra", "cJedinica", "Jedinica", 10);
    cJedinica->OnF2Press = [this](fw::Component&) { PrikaziJedinice(this); };
    auto* key = new TOwnedKey(this, this);
    key->NoOwnerText = NoUnitText;
    BuildFrame("Sifra", "Pakiranje", "Pakiranje", 900, 520, key);
    MoveKeyTo(45);
    AddEdit<kit::TDBVar>(packing, "MinKolicina", "eMinKolicina", "Najmanja količina", 80, 100);
    AddEdit<kit::TDBVar>(packing, "Cijene", "eCijene", "Cijene za količinu", 115, 100);
    gMain = AddGrid("gMain", units, 350, 10, 540, 180);
    gTable->SetBounds(350, 200, 540, 270);
    tMain = ShowCodeOnly(AddTable("tMain", "Global", "JEDINICE.DB", "Sifra"));
    key->Owner = tMain;
    units.SetDataSet(tMain);
    tTable = AddTable("tTable", "Global", "PAKUNG.DB", "Jedinica;Sifra");
    tTable->AfterOpen = [](fw::TDataSet& ds) {
        HideHousekeepingFields(ds);
        ds.FieldByName("Jedinica").Visible = false;
    };
    tTable->SetMasterSource(&units);
    tTable->SetMasterFields("Code");
    packing.SetDataSet(tTable);
    SetActiveControl(gTable);
}

std::vector<engine::Value> TSifarnikPakiranja::SearchKey(const std::string& text) const {
    return {Value::Int(tMain->FieldByName("Code").AsInteger()), Value::Text(text)};
}

void TSifarnikPakiranja::PositionOnCaller() {
    if (!tMain->Active() || !tTable->Active()) return;
    if (Jedinica != 0) {
        tMain->DisableControls();
        base::TryFinally(
            [&] {
                std::string remembered;
                tMain->SetIndexFieldNames("Code");
                tMain->Refresh();
                if (tMain->FindKey({Value::Int(Jedinica)}))
                    remembered = tMain->FieldByName("Sifra").AsString();
                tMain->SetIndexFieldNames("Sifra");
                tMain->Refresh();
                if (remembered.empty() || !tMain->FindKey({Value::Text(remembered)})) tMain->First();
            },
            [&] { tMain->EnableControls(); });
    }
    TCodeListForm::PositionOnCaller();
}

// ------------------------------------------------------------------------------------------ labels

struct LabelLink {
    const char* Field;      // in the label table (and calculated in the languages)
    const char* OwnerField; // of the labelled row
    bool Float = false;
};
struct LabelLayout {
    const char* Name;
    const char* Caption;
    const char* Noun;
    const char* OwnerTable;
    const char* OwnerIndex;
    const char* OwnerKey;
    const char* OwnerCaption;
    const char* LabelTable;
    std::vector<LabelLink> Links;
    int Depth; // 0: the units themselves, 1: under the units, 2: under the packing modes of a unit
    void (*OwnerOpener)(fw::Form*);
};

namespace {

const LabelLayout MjeraLayout{
    "SifarnikMjera", "Oznake za jedinice mjera", "Oznaka", "JEDINICE.DB",  "Sifra", "Sifra", "Jedinica",
    "MJERE.DB",      {{"Jedinica", "Code"}},     0,        PrikaziJedinice};
const LabelLayout ImePakLayout{"SifarnikImenaPakiranja",
                               "Oznake za načine pakiranja",
                               "Oznaka",
                               "PAKUNG.DB",
                               "Jedinica;Sifra",
                               "Sifra",
                               "Pakiranje",
                               "IME_PAK.DB",
                               {{"Pakung", "Code"}},
                               1,
                               [](fw::Form* caller) { PrikaziPakiranja(caller, 0); }};
const LabelLayout ImeAtomLayout{"SifarnikImenaAtoma",
                                "Oznake za načine pakiranja",
                                "Oznaka",
                                "ATOMI.DB",
                                "Pakung;Kolicina",
                                "Kolicina",
                                "Količina",
                                "IME_ATOM.DB",
                                {{"Pakung", "Pakung"}, {"Kolicina", "Kolicina", true}},
                                2,
                                PrikaziImenaPakiranja};

std::string LinkFields(const LabelLayout& layout, const char* last) {
    std::string fields;
    for (const LabelLink& l : layout.Links)
        fields += std::string(l.Field) + ";";
    return fields + last;
}

} // namespace

TLabelList::TLabelList(fw::Component* owner, const LabelLayout& layout)
    : TCodeListForm(owner), layout_(layout) {
    SetName(layout.Name);
    SetCaption(layout.Caption);
    fw::TDataSource& owners = NewSource(nullptr);
    fw::TDataSource* units = layout.Depth >= 1 ? &NewSource(nullptr) : nullptr;
    fw::TDataSource* packing = layout.Depth >= 2 ? &NewSource(nullptr) : nullptr;
    fw::TDataSource& languages = NewSource(nullptr);
    fw::TDataSource& labels = NewSource(nullptr);
    // Packing modes belong to a unit, quantities to a packing mode.
    auto* key = new TOwnedKey(this, this);
    key->NoOwnerText = layout.Depth >= 2 ? NoPackingText : NoUnitText;
    BuildFrame(layout.OwnerKey, layout.OwnerCaption, layout.Noun, 900, 600, key);
    void (*opener)(fw::Form*) = layout.OwnerOpener;
    eSifra->OnF2Press = [this, opener](fw::Component&) { opener(this); };
    // Another code shown: its labels are read again.
    eSifra->OnChange = [this](fw::Component&) {
        if (tGovor && tGovor->Active()) tGovor->Refresh();
    };
    eNaziv = AddEdit<kit::TDBVar>(labels, "Naziv", "eNaziv", "Oznaka", 45, 200);
    eNaziv->OnExitChanged = [this](fw::Component&) { eNazivExitChanged(); };
    int top = 10;
    const int gridHeight = layout.Depth >= 2 ? 110 : 150;
    if (units) {
        gMain = AddGrid("gMain", *units, 350, top, 540, gridHeight);
        top += gridHeight + 10;
    }
    if (packing) {
        gPakung = AddGrid("gPakung", *packing, 350, top, 540, gridHeight);
        top += gridHeight + 10;
    }
    gTable->SetBounds(350, top, 540, gridHeight);
    gGovor = AddGrid("gGovor", languages, 350, top + gridHeight + 10, 540, 530 - top - gridHeight);

    fw::TDataSource* ownerMaster = units;
    if (units) {
        tMain = ShowCodeOnly(AddTable("tMain", "Global", "JEDINICE.DB", "Sifra"));
        units->SetDataSet(tMain);
        key->Owner = tMain;
    }
    if (packing) {
        tPakung = ShowCodeOnly(AddTable("tPakung", "Global", "PAKUNG.DB", "Jedinica;Sifra"));
        tPakung->SetMasterSource(units);
        tPakung->SetMasterFields("Code");
        packing->SetDataSet(tPakung);
        ownerMaster = packing;
        key->Owner = tPakung;
    }
    tTable = AddTable("tTable", "Global", layout.OwnerTable, layout.OwnerIndex);
    if (ownerMaster) {
        tTable->SetMasterSource(ownerMaster);
        tTable->SetMasterFields("Code");
    }
    if (packing) {
        // The packing mode knows whether it has quantities.
        tTable->AfterOpen = [](fw::TDataSet& ds) { ds.FieldByName("Pakung").Visible = false; };
        tTable->BeforePost = [this](fw::TDataSet& ds) { RefuseQuantityWithoutPacking(*tPakung, ds); };
        tTable->AfterPost = [this](fw::TDataSet&) {
            if (app::HasRecords(tTable)) KeepQuantityMark(*tPakung, true);
        };
        tTable->AfterDelete = [this](fw::TDataSet&) {
            if (!app::HasRecords(tTable)) KeepQuantityMark(*tPakung, false);
        };
    }
    owners.SetDataSet(tTable);
    // Labels are read through their own cursor before the languages calculate them.
    tNaziv2 = AddTable("tNaziv2", "Global", layout.LabelTable, LinkFields(layout, "Govor"));
    tGovor = AddTable("tGovor", "Global", "GOVOR.DB", "");
    tGovor->AfterOpen = nullptr;
    tGovor->AddField(std::make_unique<fw::TAutoIncField>(), "Code").Visible = false;
    tGovor->AddField(std::make_unique<fw::TStringField>(40), "Sifra");
    tGovor->AddField(std::make_unique<fw::TStringField>(60), "Naziv");
    for (const LabelLink& l : layout.Links) {
        fw::TField& f =
            l.Float ? static_cast<fw::TField&>(
                          tGovor->AddField(std::make_unique<fw::TFloatField>(), l.Field, fw::fkCalculated))
                    : tGovor->AddField(std::make_unique<fw::TIntegerField>(), l.Field, fw::fkCalculated);
        f.Visible = false;
    }
    tGovor->AddField(std::make_unique<fw::TStringField>(60), "Oznaka", fw::fkCalculated);
    tGovor->OnCalcFields = [this](fw::TDataSet& ds) { tGovorCalcFields(ds); };
    languages.SetDataSet(tGovor);
    // The languages carry the labelled row's link, which the label edited hangs on.
    ownerLink_ = std::make_unique<CalculatedLink>(owners, *tGovor);
    tNaziv = AddTable("tNaziv", "Global", layout.LabelTable, LinkFields(layout, "Govor"));
    tNaziv->FreeToModify = true;
    tNaziv->SetMasterSource(&languages);
    tNaziv->SetMasterFields(LinkFields(layout, "Code"));
    tNaziv->BeforePost = [this](fw::TDataSet& ds) { tNazivBeforePost(ds); };
    labels.SetDataSet(tNaziv);
    eNaziv->OwnerRecord = tTable;
    SetActiveControl(gTable);
}

void TLabelList::tGovorCalcFields(fw::TDataSet& ds) {
    const bool owner = tTable->Active() && !tTable->IsEmpty();
    std::vector<Value> key;
    for (const LabelLink& l : layout_.Links) {
        fw::TField& link = ds.FieldByName(l.Field);
        if (l.Float) {
            const double v = owner ? tTable->FieldByName(l.OwnerField).AsFloat() : 0;
            link.SetAsFloat(v);
            key.push_back(Value::Float(v));
        } else {
            const long long v = owner ? tTable->FieldByName(l.OwnerField).AsInteger() : 0;
            link.SetAsInteger(v);
            key.push_back(Value::Int(v));
        }
    }
    key.push_back(Value::Int(ds.FieldByName("Code").AsInteger()));
    std::string label;
    if (owner && tNaziv2->Active() && tNaziv2->FindKey(key)) label = tNaziv2->FieldByName("Naziv").AsString();
    ds.FieldByName("Oznaka").SetAsString(label);
}

void TLabelList::tNazivBeforePost(fw::TDataSet& ds) {
    // A label belongs to a row and a language: without either there is nothing to label. It is the label of
    // the row chosen, never of one whose link is missing or of another row.
    bool labelled = app::HasRecords(tTable) && tGovor->FieldByName("Code").AsInteger() != 0;
    for (const LabelLink& l : layout_.Links) {
        if (!labelled) break;
        const fw::TField& owner = tTable->FieldByName(l.OwnerField);
        const fw::TField& link = ds.FieldByName(l.Field);
        labelled =
            !owner.IsNull() && (l.Float ? link.AsFloat() == owner.AsFloat()
                                        : owner.AsInteger() != 0 && link.AsInteger() == owner.AsInteger());
    }
    if (!labelled) {
        ds.Cancel();
        throw base::Abort();
    }
}

void TLabelList::eNazivExitChanged() {
    if (app::IsEditing(tNaziv)) tNaziv->Post();
    tNaziv2->Refresh();
    tGovor->Refresh();
}

std::vector<fw::TTable*> TLabelList::PostedTables() const {
    std::vector<fw::TTable*> tables{tTable};
    if (tMain) tables.push_back(tMain);
    return tables;
}

void TLabelList::AfterSave() {
    // A new label is an insert: posted here, where the generic save would drop it.
    app::PostOrCancel(tNaziv);
    tNaziv2->Refresh();
    tGovor->Refresh();
    tGovor->Next();
    if (tGovor->Eof())
        gGovor->SetFocus();
    else
        eNaziv->SetFocus();
}

TSifarnikMjera::TSifarnikMjera(fw::Component* owner) : TLabelList(owner, MjeraLayout) {}
TSifarnikImenaPakiranja::TSifarnikImenaPakiranja(fw::Component* owner) : TLabelList(owner, ImePakLayout) {}
TSifarnikImenaAtoma::TSifarnikImenaAtoma(fw::Component* owner) : TLabelList(owner, ImeAtomLayout) {}

// ------------------------------------------------------------------------------------------ openers

void PrikaziPakiranja(fw::Form* caller, std::int32_t jedinica) {
    app::OpenForm<TSifarnikPakiranja>(Pakiranja.SifarnikPakiranja, caller, [&](TSifarnikPakiranja& f) {
        f.Caller = caller;
        f.Jedinica = jedinica;
    });
}

void PrikaziMjere(fw::Form* caller) {
    app::OpenForm<TSifarnikMjera>(Pakiranja.SifarnikMjera, caller, [caller](auto& f) { f.Caller = caller; });
}

void PrikaziImenaPakiranja(fw::Form* caller) {
    // A list to look at, never a picker.
    app::OpenForm<TSifarnikImenaPakiranja>(Pakiranja.SifarnikImenaPakiranja, caller,
                                           [](auto& f) { f.Caller = nullptr; });
}

void PrikaziImenaAtoma(fw::Form* caller) {
    app::OpenForm<TSifarnikImenaAtoma>(Pakiranja.SifarnikImenaAtoma, caller,
                                       [](auto& f) { f.Caller = nullptr; });
}

void RefuseQuantityWithoutPacking(fw::TTable& packing, fw::TDataSet& quantity) {
    if (app::HasRecords(&packing) && quantity.FieldByName("Pakung").AsInteger() != 0 &&
        !quantity.FieldByName("Kolicina").IsNull())
        return;
    quantity.Cancel();
    throw base::Abort();
}

void KeepQuantityMark(fw::TTable& packing, bool has) {
    if (!app::HasRecords(&packing)) return;
    fw::TField& flag = packing.FieldByName("ImaAtoma");
    if (flag.AsBoolean() == has || !app::StartEdit(&packing)) return;
    flag.SetAsBoolean(has);
    // Posted at once: a mark left pending would go with the next cancel.
    app::PostEditAutoSave(&packing);
}

} // namespace registers
