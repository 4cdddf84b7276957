#include "program/StageSample.h"

#include "app/data/WBegin.h"
#include "base/Finally.h"
#include "program/SampleWorkshop.h"

namespace app {

void StageSampleWorkshop(const StagedFolder& staged) {
    // The sample's window types are stored through the program's folder services, which find the data
    // folders in WBegin: they point at the staged ones while it is written.
    const std::string oldGlobal = WBegin.GlobalFolder, oldLokal = WBegin.LokalFolder;
    WBegin.GlobalFolder = staged.Global;
    WBegin.LokalFolder = staged.Lokal;
    base::TryFinally(
        [&] {
            if (!RegistersEmpty()) return;
            WBegin.PodaciPoduzeca.OwnPartner = staged.OwnPartner;
            WriteSampleWorkshop(staged.OwnPartner);
        },
        [&] {
            WBegin.GlobalFolder = oldGlobal;
            WBegin.LokalFolder = oldLokal;
        });
}

} // namespace app
