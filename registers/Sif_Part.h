#pragma once
// The installation's own partner register "SIF_PART.DB": one row per business partner with our code for it,
// linked to its company of the shared company register, which is edited on the same form. The partner's kind
// letter and language follow the company and its country; the kind and the supplier flag decide what may be
// typed; balances come from "S_PART.DB".

#include "fw/ui/DBMemo.h"
#include "fw/ui/ExtCtrls.h"
#include "kit/DBChecker.h"
#include "kit/LookupFields.h"
#include "kit/Mycombo2.h"
#include "registers/CodeListForm.h"

namespace registers {

class TSifarnikPartnera : public TCodeListForm {
public:
    explicit TSifarnikPartnera(fw::Component* owner);
    // The tables and controls go while the handlers they call still belong to this form.
    ~TSifarnikPartnera() override { DestroyComponents(); }

    kit::TMyTable* tSifPart = nullptr;
    kit::TMyTable* tPartner = nullptr;
    kit::TMyTable* tZemlja = nullptr;
    kit::TMyTable* tPosta = nullptr;
    kit::TMyTable* tGovor = nullptr;
    kit::TMyTable* tDjelatnost = nullptr;
    kit::TMyTable* tBanka = nullptr;
    kit::TMyTable* tBanka2 = nullptr;
    kit::TMyTable* tValuta = nullptr;
    kit::TMyTable* tZiroRn = nullptr;
    kit::TMyTable* tStanjeS = nullptr;
    kit::TMyTable* tStanjeU = nullptr;
    kit::TMyTable* tStanjeI = nullptr;

    kit::TDBKeyField* cSifra = nullptr;
    kit::TDBLookupField* cKraciNaziv = nullptr;
    kit::TDBChecker* xDobavljac = nullptr;
    kit::TDBVar* eDrzava = nullptr;
    kit::TDBVar* EditNaziv = nullptr;
    kit::TDBLookupField* cZemlja = nullptr;
    kit::TDBLookupField* cPosta = nullptr;
    kit::TDBLookupField* eGovor = nullptr;
    kit::TDBLookupField* cValuta = nullptr;
    kit::TDBLookupField* cDjelatnost = nullptr;
    kit::TDBVar* EditDirektor = nullptr;
    kit::TDBVar* EditMaticni = nullptr;
    fw::DBMemo* OstaloMemo = nullptr;
    kit::TDBJustLookup* cBanka = nullptr;
    kit::TDBJustLookup* cBanka2 = nullptr;
    kit::TDBChecker* xIstiZiroRn = nullptr;
    kit::TDBLookupField* cZiroRn = nullptr;
    kit::TDBVar* ePoziv = nullptr;
    kit::TDBVar* eModel = nullptr;
    fw::Panel* DobavljacPanel = nullptr;
    fw::Panel* DobavljacPanel2 = nullptr;
    kit::TDBChecker* xRabat2 = nullptr;
    kit::TDBChecker* xRabat2Kolicina = nullptr;
    kit::TDBChecker* xVise = nullptr;
    kit::TDBChecker* xSpecijalniTretman = nullptr;
    fw::Panel* DobavljacScroll = nullptr;
    fw::CheckBox* SaldoButton = nullptr;
    fw::Panel* SaldoPanel = nullptr;
    fw::Label* lDug = nullptr;
    fw::Label* lPotr = nullptr;

    // The handlers of the kind, language and enabling rules.
    void cKraciNazivExit(fw::Component& sender);
    void cZemljaExit(fw::Component& sender);
    void eGovorExit(fw::Component& sender);
    void xDrzavaChange(fw::Component& sender);
    void xDobavljacChange(fw::Component& sender);
    void xSpecijalniTretmanChange(fw::Component& sender);
    void xRabat2Change(fw::Component& sender);
    void SaldoButtonClick(fw::Component& sender);

protected:
    std::vector<fw::TTable*> PostedTables() const override;
    void PositionOnCaller() override;

private:
    // The kind letter the linked company gives; empty while either table has no rows.
    std::string CompanyKind() const;

    // The sources of the three balances: the total, the documents in, the documents out.
    fw::TDataSource* balanceSources_[3] = {};
};

struct PartnerForms {
    TSifarnikPartnera* SifarnikPartnera = nullptr;
};
// The form variable; reset with the program's state.
extern PartnerForms SifPart;

void PrikaziPartnere(fw::Form* caller);

} // namespace registers
