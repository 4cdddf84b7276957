#include "app/WBegin.h"

namespace app {

TPodaciInstalacije PodaciInstalacije;
std::string GlobalFolder;
std::string LokalFolder;
std::string LinkFolder;

} // namespace app
