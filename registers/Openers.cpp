#include "registers/Openers.h"

#include "app/shell/CodeListOpeners.h"
#include "registers/PlainRegisters.h"

namespace registers {

void InstallCodeListOpeners() {
    const std::pair<const char*, void (*)(fw::Form*)> openers[] = {
        {"GOVOR.DB", PrikaziGovore},
        {"ZEMLJA.DB", PrikaziZemlje},
        {"POSTA.DB", PrikaziPoste},
        {"DJELATNO.DB", PrikaziDjelatnosti},
        {"VRSTE.DB", PrikaziVrsteArtikala},
        {"GR_AMORT.DB", PrikaziGrupeAmortizacije},
        {"GR_REVAL.DB", PrikaziGrupeRevalorizacije},
        {"JEDINICE.DB", PrikaziJedinice},
        {"ZIRO_RN.DB", PrikaziZiroRacune},
        {"VALUTA.DB", PrikaziValute},
        {"T_POREZA.DB", PrikaziGrupePoreza},
        {"T_CARINE.DB", PrikaziGrupeCarine},
    };
    for (const auto& [table, opener] : openers)
        app::RegisterCodeListOpener(table, opener);
}

} // namespace registers
