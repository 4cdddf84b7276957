#pragma once
// Fitting a stored window type to a work-order item's size: the type's rows become the rows of the item's
// copy. The outer frame's inset and every profile thickness keep their size; mullion centres, the right
// and bottom edges and what rests on them follow the item's width and height.

#include "windows/storage/TypeRows.h"

namespace orders {

struct Razmjer {
    double FaktorSirine = 1; // item width / the type's width
    double FaktorVisine = 1; // item height / the type's height
    int Preklapanje = 0;     // the system's overlap
    int Razmak = 0;          // the system's gap between the leaves of a double sash
};

// The factors of an item of the given size; raises base::Exception for a type without a size.
Razmjer RazmjerStavke(const windows::ZaglavljeTipa& tip, int sirina, int visina);

// The rows of the copy (header as a copy stores it). Raises base::Overflow when a value leaves the
// 16-bit range.
windows::RedoviTipa PrenesiProzor2(const windows::RedoviTipa& tip, const Razmjer& r);

} // namespace orders
