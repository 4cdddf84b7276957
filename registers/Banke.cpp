#include "registers/Banke.h"

#include "app/shell/FormOpener.h"
#include "base/ProgramState.h"
#include "fw/db/FieldClasses.h"
#include "registers/CompanyModel.h"

namespace registers {

BankeForms Banke;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Banke = BankeForms(); });

constexpr int RowHeight = 28;

// The accounts: the field that holds each, the data set it belongs to (0: the bank's company, 1: the bank)
// and its caption.
struct Account {
    const char* Field;
    int Owner;
    const char* Caption;
};
const std::array<Account, 4> accounts{{{"ZiroRN", 0, "Žiro-račun"},
                                       {"ZiroRnProvizija", 1, "Račun provizije"},
                                       {"ZiroRnDeviznaDoznaka", 1, "Račun dev. doznaka"},
                                       {"ZiroRnKrediti", 1, "Račun kredita"}}};

} // namespace

TSifarnikBanaka::TSifarnikBanaka(fw::Component* owner) : TCodeListForm(owner) {
    SetName("SifarnikBanaka");
    SetCaption("Šifarnik banaka");
    fw::TDataSource& banks = NewSource(nullptr);
    fw::TDataSource& company = NewSource(nullptr);
    std::array<fw::TDataSource*, 4> ziro{};
    for (auto& source : ziro)
        source = &NewSource(nullptr);
    BuildFrame("Sifra", "Banka", "Banka", 900, 640);
    gTable->SetName("gBanke");
    int top = 10 + RowHeight;
    AddLabel("Poduzeće", 10, top + 3);
    cPartner = new kit::TDBLookupField(this, this);
    cPartner->SetName("cPartner");
    cPartner->SetBounds(135, top, 200, 24);
    cPartner->SetDataSource(&banks);
    cPartner->SetDataField("Partner");
    cPartner->SetLookupSource(&company);
    cPartner->SetLookupField("Code");
    cPartner->SetLookupDisplay("Sifra");
    cPartner->Required = true;
    cPartner->DisplayName = "Poduzeće";
    const std::pair<const char*, const char*> companyFields[] = {
        {"Naziv", "Naziv"},     {"UlicaBroj", "Ulica i broj"}, {"Mjesto", "Mjesto"},
        {"Telefon", "Telefon"}, {"Telefax", "Telefax"},        {"Maticni", "Matični broj"},
        {"Poziv", "Model"},     {"Model", "Poziv na broj"}};
    for (const auto& [field, caption] : companyFields)
        AddEdit<kit::TDBVar>(company, field, std::string("e") + field, caption, top += RowHeight);
    auto addAccount = [&](std::size_t i) {
        AddLabel(accounts[i].Caption, 10, (top += RowHeight) + 3);
        auto* lookup = new kit::TDBLookupField(this, this);
        lookup->SetName(std::string("c") + accounts[i].Field);
        lookup->SetBounds(135, top, 200, 24);
        lookup->SetDataSource(accounts[i].Owner == 0 ? &company : &banks);
        lookup->SetDataField(accounts[i].Field);
        lookup->SetLookupSource(ziro[i]);
        lookup->SetLookupField("Code");
        lookup->SetLookupDisplay("Sifra");
        lookup->DisplayName = accounts[i].Caption;
        cZiro[i] = lookup;
    };
    addAccount(0);
    const char* suffix[] = {"P", "D", "K"};
    for (std::size_t i = 1; i < 4; ++i) {
        addAccount(i);
        AddEdit<kit::TDBVar>(banks, std::string("Poziv") + suffix[i - 1],
                             std::string("ePoziv") + suffix[i - 1], "Model", top += RowHeight, 60);
        AddEdit<kit::TDBVar>(banks, std::string("Model") + suffix[i - 1],
                             std::string("eModel") + suffix[i - 1], "Poziv na broj", top += RowHeight);
    }

    // Opened before the banks, whose names it reads.
    tPartner2 = AddTable("tPartner2", "Global", "PARTNER.DB", "Code");
    tTable = AddTable("tTable", "Global", "BANKE.DB", "Sifra");
    tTable->AfterOpen = nullptr;
    tTable->AddField(std::make_unique<fw::TStringField>(40), "Sifra");
    for (const char* f : {"Partner", "ZiroRnProvizija"})
        tTable->AddField(std::make_unique<fw::TIntegerField>(), f).Visible = false;
    for (const char* s : {"P", "D", "K"}) {
        if (*s == 'D')
            tTable->AddField(std::make_unique<fw::TIntegerField>(), "ZiroRnDeviznaDoznaka").Visible = false;
        if (*s == 'K')
            tTable->AddField(std::make_unique<fw::TIntegerField>(), "ZiroRnKrediti").Visible = false;
        tTable->AddField(std::make_unique<fw::TSmallintField>(), std::string("Poziv") + s).Visible = false;
        tTable->AddField(std::make_unique<fw::TStringField>(30), std::string("Model") + s).Visible = false;
    }
    tTable->AddField(std::make_unique<fw::TStringField>(80), "Naziv", fw::fkCalculated);
    tTable->OnCalcFields = [this](fw::TDataSet& ds) { tTableCalcFields(ds); };
    banks.SetDataSet(tTable);
    tPartner = AddTable("tPartner", "Global", "PARTNER.DB", "Code");
    tPartner->SetMasterSource(&banks);
    tPartner->SetMasterFields("Partner");
    tPartner->AfterOpen = [](fw::TDataSet& ds) {
        HideHousekeepingFields(ds);
        WatchCompanyModel(ds);
    };
    company.SetDataSet(tPartner);
    for (std::size_t i = 0; i < 4; ++i) {
        kit::TMyTable* t =
            AddTable(std::string("t") + accounts[i].Field, "Global", "ZIREKI.DB", "Partner;Code");
        t->SetMasterSource(accounts[i].Owner == 0 ? &company : &banks);
        t->SetMasterFields(std::string(accounts[i].Owner == 0 ? "Code;" : "Partner;") + accounts[i].Field);
        ziro[i]->SetDataSet(t);
        tZiro[i] = t;
    }
    SetActiveControl(gTable);
}

void TSifarnikBanaka::tTableCalcFields(fw::TDataSet& ds) {
    std::string name;
    const long long partner = ds.FieldByName("Partner").AsInteger();
    if (partner != 0 && tPartner2->Active() && tPartner2->FindKey({engine::Value::Int(partner)}))
        name = tPartner2->FieldByName("Naziv").AsString();
    ds.FieldByName("Naziv").SetAsString(name);
}

std::vector<fw::TTable*> TSifarnikBanaka::PostedTables() const {
    return {tTable, tPartner, tZiro[0], tZiro[1], tZiro[2], tZiro[3]};
}

void PrikaziBanke(fw::Form* caller) {
    app::OpenForm<TSifarnikBanaka>(Banke.SifarnikBanaka, caller, [caller](auto& f) { f.Caller = caller; });
}

} // namespace registers
