#pragma once
// What a user cannot read in a form's grids: columns titled by a field's own name, flags shown as words.

#include "fw/db/Field.h"
#include "fw/ui/DataSetModel.h"
#include "fw/ui/Form.h"
#include "kit/MyDBGrid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace regtest {

using Strings = std::vector<std::string>;

// Grid titles that are a field's own name rather than a caption the form shows, and flags shown as words.
inline Strings GridFaults(fw::Form& form) {
    std::set<std::string> captions;
    for (QLabel* l : form.findChildren<QLabel*>()) {
        std::string c = l->text().toStdString();
        while (!c.empty() && (c.back() == ':' || c.back() == ' '))
            c.pop_back();
        captions.insert(c);
    }
    for (QCheckBox* c : form.findChildren<QCheckBox*>())
        captions.insert(c->text().toStdString());
    for (QGroupBox* g : form.findChildren<QGroupBox*>())
        captions.insert(g->title().toStdString());
    // A field's own name: run together, spelled without its letters, or shorter than the form labels it.
    auto raw = [&](const std::string& title) {
        if (captions.count(title)) return false;
        if (std::any_of(title.begin() + 1, title.end(), [](char ch) { return ch >= 'A' && ch <= 'Z'; }))
            return true;
        if (title.find("Sifra") != std::string::npos || title.find("Kolicina") != std::string::npos)
            return true;
        return std::any_of(captions.begin(), captions.end(),
                           [&](const std::string& c) { return c.rfind(title + " ", 0) == 0; });
    };
    Strings faults;
    for (kit::TMyDBGrid* grid : form.findChildren<kit::TMyDBGrid*>()) {
        fw::DataSetModel& m = grid->Model();
        for (int c = 0; c < m.columnCount(); ++c) {
            const fw::TField* field = m.Columns()[static_cast<std::size_t>(c)];
            const std::string title =
                m.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
            if (title == field->FieldName() && raw(title)) faults.push_back("raw title: " + title);
            for (int r = 0; r < m.rowCount(); ++r) {
                const std::string text = m.data(m.index(r, c), Qt::DisplayRole).toString().toStdString();
                if (text == "True" || text == "False") faults.push_back("flag as a word: " + title);
            }
        }
    }
    return faults;
}

} // namespace regtest
