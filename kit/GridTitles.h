#pragma once
// The grids' column titles as the user reads the form: a field's title is the caption of the label beside
// the control that edits it (or a check box's own caption), and a field holding the link key of another
// register's row, which a lookup shows by its code, is not a column at all. Titles a program gave a field
// itself stay.

#include <functional>
#include <string_view>

namespace fw {
class Form;
class TDataSet;
} // namespace fw

namespace kit {

// ownTitles titles the fields of a grid's dataset that no caption titled, before the kit spells the rest.
void TitleColumnsAsLabelled(fw::Form& form, const std::function<void(fw::TDataSet&)>& ownTitles = {});

// A field name written in its Croatian letters ("Sifra" -> "Šifra"), or empty when the name has none.
std::string_view SpelledFieldName(std::string_view fieldName);

} // namespace kit
