#pragma once
// The grids' column titles as the user reads the form: a field's title is the caption of the label beside
// the control that edits it (or a check box's own caption), and a field holding the link key of another
// register's row, which a lookup shows by its code, is not a column at all. Titles a program gave a field
// itself stay.

namespace fw {
class Form;
}

namespace kit {

void TitleColumnsAsLabelled(fw::Form& form);

} // namespace kit
