#pragma once
// How the registers' grids title the fields that no form captions itself, and how they show a flag: a check
// mark, not a word.

#include "fw/db/DataSet.h"

namespace registers {

// Titles the fields of the dataset still titled by their own names, and shows its flags as checks.
void TitleFields(fw::TDataSet& dataSet);

} // namespace registers
