#pragma once
// Rows of the test tables keyed on Partner with a Naziv text, shared by the data-layer and kit fixtures.

#include "fw/db/Field.h"
#include "fw/db/Table.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

inline void AddRows(fw::TTable& t, std::initializer_list<std::pair<int, const char*>> rows) {
    for (const auto& [partner, naziv] : rows) {
        t.Append();
        t.FieldByName("Partner").SetAsInteger(partner);
        t.FieldByName("Naziv").SetAsString(naziv);
        t.Post();
    }
}

// The Naziv of every row in the table's current order.
inline std::vector<std::string> Walk(fw::TTable& t) {
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next())
        out.push_back(t.FieldByName("Naziv").AsString());
    return out;
}

} // namespace testsupport
