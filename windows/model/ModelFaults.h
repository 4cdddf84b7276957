#pragma once
#include "windows/model/ModelProzora.h"

#include <string>
#include <vector>

namespace windows {

// Checks the model's invariants: every element inside its opening and resting on its neighbours, no
// two elements overlapping, partners linked both ways and adjacent, sequence numbers dense. Returns
// one line per fault (empty when the model is sound). Loaders can use it on data read from disk.
std::vector<std::string> ModelFaults(const ModelProzora& model);

} // namespace windows
