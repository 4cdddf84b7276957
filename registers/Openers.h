#pragma once
// Puts the openers of the code lists into the shell's list of register openers, by the table each register
// keeps, so that F2 on a field of any form reaches them; start-up calls it once the shell is up.

namespace registers {

void InstallCodeListOpeners();

} // namespace registers
