#include "registers/Openers.h"

#include "app/shell/CodeListOpeners.h"
#include "registers/Artikli.h"
#include "registers/Atomi.h"
#include "registers/Banke.h"
#include "registers/Gkonta.h"
#include "registers/Grupe.h"
#include "registers/Konta.h"
#include "registers/Pakiranja.h"
#include "registers/Partner.h"
#include "registers/PlainRegisters.h"
#include "registers/Sif_Boja.h"
#include "registers/Sif_Part.h"
#include "registers/Stope.h"

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
        {"KONTA.DB", PrikaziGKontniPlan},
        {"KONTA1.DB", PrikaziKontniPlan},
        {"KONTA2.DB", PrikaziKontniPlan},
        {"KONTA3.DB", PrikaziKontniPlan},
        {"KONTA4.DB", PrikaziKontniPlan},
        {"BANKE.DB", PrikaziBanke},
        {"S_POREZA.DB", PrikaziStopePoreza},
        {"S_CARINE.DB", PrikaziStopeCarine},
        {"MJERE.DB", PrikaziMjere},
        {"IME_PAK.DB", PrikaziImenaPakiranja},
        {"IME_ATOM.DB", PrikaziImenaAtoma},
        {"PARTNER.DB", PrikaziPoduzeca},
        {"FIRME.DB", PrikaziFirme},
        {"SIF_PART.DB", PrikaziPartnere},
    };
    for (const auto& [table, opener] : openers)
        app::RegisterCodeListOpener(table, opener);
    // Reached without a supplier, the groups open on the own company's.
    app::RegisterCodeListOpener("GRUPE.DB", [](fw::Form* caller) { PrikaziGrupeArtikala(caller, 0); });
    app::RegisterCodeListOpener("ATOMI.DB", [](fw::Form* caller) { PrikaziAtome(caller, 0); });
    app::RegisterCodeListOpener("PAKUNG.DB", [](fw::Form* caller) { PrikaziPakiranja(caller, 0); });
    app::RegisterCodeListOpener("PODGRUPE.DB",
                                [](fw::Form* caller) { PrikaziPodGrupeArtikala(caller, 0, 0); });
    // The articles picked from another form: the short register of the own company's codes.
    app::RegisterCodeListOpener("SIF_ROBE.DB", [](fw::Form* caller) { PrikaziArtikle(caller, 0, 0); });
    // The colours open on the own company's codes, with no manufacturer chosen.
    for (const char* table : {"SIF_BOJA.DB", "BOJE.DB"})
        app::RegisterCodeListOpener(table, [](fw::Form* caller) { PrikaziBoje(caller, 0, 0); });
}

} // namespace registers
