#pragma once
// Placing the data controls of the larger registers: each control with its caption on its left, on any
// panel of the form (the form owns them all, so they are found by name).

#include "app/shell/CodeListOpeners.h"
#include "fw/db/DataSource.h"
#include "fw/ui/Form.h"
#include "fw/ui/StdCtrls.h"
#include "kit/DBChecker.h"
#include "kit/MyDBGrid.h"

#include <algorithm>
#include <string>

namespace registers {

inline constexpr int CaptionWidth = 125;

// A caption longer than its place goes on two lines, centred on its row, rather than being cut.
inline void FitCaption(fw::Label& label) {
    if (label.sizeHint().width() <= label.width() || label.text().contains(QChar('\n'))) return;
    label.setWordWrap(true);
    const int height = label.heightForWidth(label.width());
    label.SetBounds(label.Left(), label.Top() + (label.height() - height) / 2, label.width(), height);
}

inline fw::Label* PlaceLabel(fw::Control* parent, fw::Form* form, const std::string& caption, int left,
                             int top, int width = CaptionWidth - 5) {
    auto* label = new fw::Label(parent, form);
    label->SetBounds(left, top + 3, width, 20);
    label->SetCaption(caption);
    FitCaption(*label);
    return label;
}

// An edit on a field; an empty caption places no label.
template <class Edit>
Edit* PlaceEdit(fw::Control* parent, fw::Form* form, fw::TDataSource& source, const std::string& field,
                const std::string& name, const std::string& caption, int left, int top, int width = 200) {
    if (!caption.empty()) PlaceLabel(parent, form, caption, left, top);
    auto* edit = new Edit(parent, form);
    edit->SetName(name);
    edit->SetBounds(left + CaptionWidth, top, width, 24);
    edit->SetDataSource(&source);
    edit->SetDataField(field);
    return edit;
}

// A lookup of a field on the rows of another register (the lookup source, a slave table on its key field);
// F2 opens that register over the form.
template <class Lookup>
Lookup* PlaceLookup(fw::Control* parent, fw::Form* form, fw::TDataSource& source, const std::string& field,
                    fw::TDataSource& lookupSource, const std::string& keyField, const std::string& display,
                    const std::string& registerTable, const std::string& name, const std::string& caption,
                    int left, int top, int width = 200) {
    Lookup* lookup = PlaceEdit<Lookup>(parent, form, source, field, name, caption, left, top, width);
    lookup->SetLookupSource(&lookupSource);
    lookup->SetLookupField(keyField);
    lookup->SetLookupDisplay(display);
    lookup->DisplayName = caption;
    lookup->OnF2Press = [form, registerTable](fw::Component&) { app::OpenCodeListOf(registerTable, form); };
    return lookup;
}

// A check box on a field holding the first word of `checked` or of `unchecked`.
inline kit::TDBChecker* PlaceCheck(fw::Control* parent, fw::Form* form, fw::TDataSource& source,
                                   const std::string& field, const std::string& name,
                                   const std::string& caption, int left, int top, int width = 230,
                                   const std::string& checked = "True",
                                   const std::string& unchecked = "False") {
    auto* check = new kit::TDBChecker(parent, form);
    check->SetName(name);
    check->SetCaption(caption);
    // As wide as its caption needs: a check box's text is never cut.
    check->SetBounds(left, top, std::max(width, check->sizeHint().width()), 24);
    check->SetDataSource(&source);
    check->SetDataField(field);
    check->SetValueChecked(checked);
    check->SetValueUnchecked(unchecked);
    return check;
}

inline kit::TMyDBGrid* PlaceGrid(fw::Form* form, fw::TDataSource& source, const std::string& name, int left,
                                 int top, int width, int height) {
    auto* grid = new kit::TMyDBGrid(form, form);
    grid->SetName(name);
    grid->SetBounds(left, top, width, height);
    grid->SetDataSource(&source);
    return grid;
}

// Shows only the named fields of the table in the grids.
inline void ShowOnly(fw::TDataSet& dataSet, std::initializer_list<const char*> names) {
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        bool shown = false;
        for (const char* n : names)
            shown = shown || dataSet.Fields(i).FieldName() == n;
        dataSet.Fields(i).Visible = shown;
    }
}

} // namespace registers
