#pragma once
// The shared company register "PARTNER.DB" and the manufacturers of "FIRME.DB", each a company of it with
// its bar-code prefix and length.

#include "kit/DBChecker.h"
#include "registers/PlainRegisters.h"

namespace registers {

class TSifarnikPoduzeca : public TPlainCodeList {
public:
    explicit TSifarnikPoduzeca(fw::Component* owner);

    kit::LookupControl* cZemlja = nullptr;
    kit::LookupControl* cPosta = nullptr;
    kit::LookupControl* eGovor = nullptr;
    // The bank and the bank for payments abroad (banks that exist only), and the company's giro account.
    kit::LookupControl* cBanka = nullptr;
    kit::LookupControl* cBanka2 = nullptr;
    kit::LookupControl* cZiroRn = nullptr;
    kit::TDBChecker* xPlus = nullptr;
    kit::TDBChecker* xVise = nullptr;
    kit::TMyTable* tZemlja = nullptr;
    kit::TMyTable* tPosta = nullptr;
    kit::TMyTable* tGovor = nullptr;
    kit::TMyTable* tDjelatnost = nullptr;
    kit::TMyTable* tValuta = nullptr;

    // The company takes the language of its country.
    void cZemljaExit(fw::Component& sender);
    // The country speaks the language chosen for the company.
    void eGovorExit(fw::Component& sender);
    // The additional rebate on larger quantities only where there is an additional rebate.
    void xPlusChange(fw::Component& sender);

protected:
    std::vector<fw::TTable*> PostedTables() const override;
    void PositionOnCaller() override;
};

class TSifarnikFirmi : public TPlainCodeList {
public:
    explicit TSifarnikFirmi(fw::Component* owner);
};

struct CompanyForms {
    TSifarnikPoduzeca* SifarnikPoduzeca = nullptr;
    TSifarnikFirmi* SifarnikFirmi = nullptr;
};
// The form variables; reset with the program's state.
extern CompanyForms Companies;

void PrikaziPoduzeca(fw::Form* caller);
void PrikaziFirme(fw::Form* caller);

} // namespace registers
