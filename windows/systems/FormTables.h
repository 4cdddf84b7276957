#pragma once
// Building blocks of the systems' and profile parameters' forms: kit tables with their stored fields
// declared (so that calculated fields can sit beside them) and the controls placed on a parent.

#include "fw/db/DataSource.h"
#include "fw/ui/StdCtrls.h"
#include "kit/MyTable.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace windows {

// A kit table of the form with every stored field of the table's definition; calculated fields may be
// added after it.
kit::TMyTable* NewFormTable(fw::Component* form, const std::string& name, const std::string& database,
                            const std::string& table, const std::string& indexFieldNames);
// A calculated integer or string field, hidden from the grids.
void AddCalcInteger(fw::TDataSet& dataSet, const std::string& name);
void AddCalcString(fw::TDataSet& dataSet, const std::string& name, int size);
// Shows only these fields in the grids, with their captions.
void ShowOnly(fw::TDataSet& dataSet, const std::vector<std::pair<std::string, std::string>>& fields);

// Posts a pending edit or insert; a refusal cancels it (told to the user unless it was silent). False when
// nothing was posted.
bool PostPending(fw::TDataSet* dataSet);

fw::Label* PlaceLabel(fw::Control* parent, fw::Component* owner, const std::string& caption, int left,
                      int top, int width = 160);

// A data control bound to a field of the source, at the place given.
template <class C>
C* PlaceData(fw::Control* parent, fw::Component* owner, const std::string& name, fw::TDataSource& source,
             const std::string& field, int left, int top, int width = 120) {
    auto* control = new C(parent, owner);
    control->SetName(name);
    control->SetBounds(left, top, width, 24);
    control->SetDataSource(&source);
    control->SetDataField(field);
    return control;
}

} // namespace windows
