#pragma once
// The sample workshop as a staged folder's last step (StageOptions::Sample): written only when the
// folder's registers hold no window system yet.

#include "app/tables/StageFolder.h"

namespace app {

void StageSampleWorkshop(const StagedFolder& staged);

} // namespace app
