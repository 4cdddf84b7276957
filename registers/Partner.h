#pragma once
// The shared company register "PARTNER.DB" and the manufacturers of "FIRME.DB", each a company of it with
// its bar-code prefix and length.

#include "kit/DBChecker.h"
#include "registers/PlainRegisters.h"

namespace registers {

class TSifarnikPoduzeca : public TPlainCodeList {
public:
    explicit TSifarnikPoduzeca(fw::Component* owner);

    kit::TDBLookupField* cZemlja = nullptr;
    kit::TDBChecker* xPlus = nullptr;
    kit::TDBChecker* xVise = nullptr;

    // The company takes the language of its country.
    void cZemljaExit(fw::Component& sender);
    // The additional rebate on larger quantities only where there is an additional rebate.
    void xPlusChange(fw::Component& sender);

protected:
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
