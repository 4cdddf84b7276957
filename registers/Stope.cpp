#include "registers/Stope.h"

#include "app/shell/FocusNavigation.h"
#include "app/shell/FormOpener.h"
#include "base/ProgramState.h"
#include "kit/Mycombo2.h"
#include "registers/PlainRegisters.h"

namespace registers {

StopeForms Stope;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Stope = StopeForms(); });

} // namespace

struct RateLayout {
    const char* Name;
    const char* Caption;
    const char* GroupTable;
    const char* RateTable;
    std::vector<std::pair<const char*, const char*>> Rates; // field, caption
    void (*GroupOpener)(fw::Form*);
};

namespace {

const RateLayout PorezLayout{"SifarnikStopaPoreza",
                             "Šifarnik stopa poreza po tarifnim grupama",
                             "T_POREZA.DB",
                             "S_POREZA.DB",
                             {{"StopaRoba", "Roba"},
                              {"StopaRUC", "RUC"},
                              {"StopaPotrosnja", "Potrošnja"},
                              {"StopaUsluga", "Usluge"},
                              {"StopaDodVrijednost", "Dodana vrijednost"},
                              {"StopaOtpis", "Otpis"}},
                             PrikaziGrupePoreza};
const RateLayout CarinaLayout{"SifarnikStopaCarine",
                              "Šifarnik stopa carine po tarifnim grupama",
                              "T_CARINE.DB",
                              "S_CARINE.DB",
                              {{"StopaCarine", "Carina"},
                               {"StopaEvid", "Evidencija"},
                               {"StopaPoreza", "Porez"},
                               {"StopaPrireza", "Prirez"},
                               {"StopaTrosarine", "Trošarina"}},
                              PrikaziGrupeCarine};

constexpr int RowHeight = 28;

} // namespace

TRateList::TRateList(fw::Component* owner, const RateLayout& layout) : TCodeListForm(owner) {
    SetName(layout.Name);
    SetCaption(layout.Caption);
    fw::TDataSource& groups = NewSource(nullptr);
    fw::TDataSource& rates = NewSource(nullptr);
    // The groups are made in their own register, with their accounts.
    BuildFrame("Tarifa", "Tarifa", "Stopa", 900, 520, new kit::TDBJustKey(this, this));
    void (*groupOpener)(fw::Form*) = layout.GroupOpener;
    eSifra->OnF2Press = [this, groupOpener](fw::Component&) { groupOpener(this); };
    lNaziv = new fw::DBText(this, this);
    lNaziv->SetName("lNaziv");
    lNaziv->SetBounds(135, 10 + RowHeight, 200, 20);
    lNaziv->SetDataSource(&groups);
    lNaziv->SetDataField("Naziv");
    int top = 10 + 3 * RowHeight;
    cDatum = AddEdit<kit::TDBKeyField>(rates, "Datum", "cDatum", "Vrijedi od", top);
    cDatum->DisplayName = "Datum";
    for (const auto& [field, caption] : layout.Rates) {
        top += RowHeight;
        AddEdit<kit::TDBVar>(rates, field, std::string("e") + field, caption, top, 100);
    }
    gTable->SetBounds(350, 10, 540, 200);
    gMain = AddGrid("gMain", rates, 350, 220, 540, 250);

    tTable = AddTable("tTable", "Global", layout.GroupTable, "Tarifa");
    tTable->AfterOpen = [](fw::TDataSet& ds) {
        HideHousekeepingFields(ds);
        for (int i = 0; i < ds.FieldCount(); ++i)
            if (ds.Fields(i).FieldName().starts_with("Konto") ||
                ds.Fields(i).FieldName().starts_with("ZiroRn"))
                ds.Fields(i).Visible = false;
    };
    groups.SetDataSet(tTable);
    tMain = AddTable("tMain", "Global", layout.RateTable, "Tarifa;Datum");
    tMain->SetMasterSource(&groups);
    tMain->SetMasterFields("Code");
    tMain->AfterOpen = [](fw::TDataSet& ds) {
        ds.FieldByName("Tarifa").Visible = false;
        ds.FieldByName("Datum").OnSetText = DatumSetText;
    };
    rates.SetDataSet(tMain);
    SetActiveControl(gTable);
}

void TRateList::DatumSetText(fw::TField& sender, const std::string& text) {
    if (text.empty())
        sender.Clear();
    else
        sender.SetAsDateTime(app::StrToDateDMY(text));
}

void TRateList::AfterSave() {
    gMain->SetFocus();
}

TSifarnikStopaPoreza::TSifarnikStopaPoreza(fw::Component* owner) : TRateList(owner, PorezLayout) {}
TSifarnikStopaCarine::TSifarnikStopaCarine(fw::Component* owner) : TRateList(owner, CarinaLayout) {}

void PrikaziStopePoreza(fw::Form* caller) {
    app::OpenForm<TSifarnikStopaPoreza>(Stope.SifarnikStopaPoreza, caller,
                                        [caller](auto& f) { f.Caller = caller; });
}
void PrikaziStopeCarine(fw::Form* caller) {
    app::OpenForm<TSifarnikStopaCarine>(Stope.SifarnikStopaCarine, caller,
                                        [caller](auto& f) { f.Caller = caller; });
}

} // namespace registers
