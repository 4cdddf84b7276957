#pragma once
// A company's payment model ("Poziv", the model number) and its payment reference ("Model") must agree:
// both partner forms refuse, as it is typed, a model number or a reference that fails the model's control
// rule, so no such pair is ever stored.

#include "fw/db/DataSet.h"

namespace registers {

// The message of a refused model or reference.
inline constexpr const char* ModelRefused = "Model ne prolazi kontrolu";

// Throws with ModelRefused when the company row's reference fails the control rule of its model. A model
// number outside 0..255 names no rule.
void CheckCompanyModel(const fw::TDataSet& company);
// Checks every change of the model number and the reference of an open company table.
void WatchCompanyModel(fw::TDataSet& company);

} // namespace registers
