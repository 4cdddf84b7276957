#pragma once
// The codes an order header stores from the registers (its customer, its system). Another station may delete
// such a register row while the header is being typed here (nothing uses it yet): the header's post checks
// that each code still names a row, tells the user which one is gone and keeps the header for a new choice.

namespace fw {
class TDataSet;
}

namespace orders {

// Raises the silent Abort, after telling the user, when a code of the header names no row any more.
void ProvjeriSifreZaglavlja(const fw::TDataSet& zaglavlje);

} // namespace orders
