#include "kit/GridTitles.h"

#include "base/Text.h"
#include "fw/db/Field.h"
#include "fw/ui/DBCtrls.h"
#include "fw/ui/DBGrid.h"
#include "fw/ui/DBMemo.h"
#include "fw/ui/DBRadioGroup.h"
#include "fw/ui/Form.h"
#include "fw/ui/StdCtrls.h"
#include "kit/LookupFields.h"

#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace kit {

namespace {

// The caption as a title: no accelerator mark, no closing colon, no spaces around it.
std::string titleOf(std::string caption) {
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i)
        if (caption[i] != '&' || (i + 1 < caption.size() && caption[i + 1] == '&')) plain += caption[i];
    plain = base::Trim(plain);
    while (!plain.empty() && (plain.back() == ':' || plain.back() == ' '))
        plain.pop_back();
    return plain;
}

// The label on the control's row, left of it and nearest to it.
const fw::Label* labelBeside(const fw::Form& form, const fw::Control& control) {
    const fw::Label* best = nullptr;
    int bestGap = std::numeric_limits<int>::max();
    const int middle = control.Top() + control.Height() / 2;
    for (int i = 0; i < form.ComponentCount(); ++i) {
        const auto* label = dynamic_cast<const fw::Label*>(form.Components(i));
        if (!label || label->Parent() != control.Parent() || label->Caption().empty()) continue;
        if (std::abs(label->Top() + label->Height() / 2 - middle) > 8) continue;
        const int gap = control.Left() - label->Left();
        if (gap <= 0 || gap >= bestGap) continue;
        best = label;
        bestGap = gap;
    }
    return best;
}

fw::TField* boundField(fw::Component* c) {
    if (auto* data = dynamic_cast<fw::DataControl*>(c)) return data->Field();
    return nullptr;
}

} // namespace

namespace {

struct Titled {
    fw::Control* Control;
    fw::TField* Field;
    std::string Title;
};

// The caption the control itself carries (a check box, a radio group), else the label beside it.
std::string captionOf(const fw::Form& form, fw::Control& control) {
    if (auto* check = dynamic_cast<fw::CheckBox*>(&control)) return titleOf(check->Caption());
    if (auto* group = dynamic_cast<fw::DBRadioGroup*>(&control)) return titleOf(group->Caption());
    if (const fw::Label* label = labelBeside(form, control)) return titleOf(label->Caption());
    return {};
}

// A row without a label of its own continues the labelled one above it ("Svrha", then "Svrha2"): it takes
// that title and the number its field ends in.
std::string continuedTitle(const std::vector<Titled>& titled, const Titled& row) {
    const Titled* above = nullptr;
    for (const Titled& t : titled)
        if (!t.Title.empty() && t.Control->Parent() == row.Control->Parent() &&
            t.Control->Left() == row.Control->Left() && t.Control->Top() < row.Control->Top() &&
            (!above || t.Control->Top() > above->Control->Top()))
            above = &t;
    if (!above) return {};
    const std::string& name = row.Field->FieldName();
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    return digits < name.size() ? above->Title + " " + name.substr(digits) : std::string();
}

// A reference a lookup shows by another field: the user knows the code, not the number.
bool hiddenReference(fw::Component* c, fw::TField& field) {
    auto* lookup = dynamic_cast<LookupControl*>(c);
    if (!lookup) return false;
    const bool integer = field.DataType() == fw::ftInteger || field.DataType() == fw::ftSmallint;
    return integer && !lookup->LookupDisplay().empty() &&
           !base::SameText(lookup->LookupDisplay(), lookup->LookupField());
}

void SpellRawTitles(fw::DBGrid& grid) {
    for (fw::TField* field : grid.Model().Columns()) {
        if (field->DisplayLabel() != field->FieldName()) continue;
        if (const std::string_view spelled = SpelledFieldName(field->FieldName()); !spelled.empty())
            field->SetDisplayLabel(std::string(spelled));
    }
}

} // namespace

// Field names are written without the Croatian letters; a column no control labels is titled in them.
std::string_view SpelledFieldName(std::string_view fieldName) {
    static constexpr std::pair<std::string_view, std::string_view> croatianNames[] = {
        {"Sifra", "Šifra"},   {"Kolicina", "Količina"}, {"Dobavljac", "Dobavljač"},   {"Tezina", "Težina"},
        {"Drzava", "Država"}, {"Posta", "Pošta"},       {"Proizvodac", "Proizvođač"},
    };
    for (const auto& [raw, spelled] : croatianNames)
        if (fieldName == raw) return spelled;
    return {};
}

bool HasRawTitle(const fw::TField& field) {
    return field.DisplayLabel() == field.FieldName() ||
           field.DisplayLabel() == SpelledFieldName(field.FieldName());
}

void TitleColumnsAsLabelled(fw::Form& form, const std::function<void(fw::TDataSet&)>& ownTitles) {
    std::vector<Titled> rows;
    bool columnsChanged = false;
    for (int i = 0; i < form.ComponentCount(); ++i) {
        fw::Component* c = form.Components(i);
        fw::TField* field = boundField(c);
        auto* control = dynamic_cast<fw::Control*>(c);
        if (!field || !control) continue;
        if (field->Visible && hiddenReference(c, *field)) {
            field->Visible = false;
            columnsChanged = true;
        }
        // A label the program set is the program's.
        if (field->DisplayLabel() != field->FieldName()) continue;
        rows.push_back({control, field, captionOf(form, *control)});
    }
    for (Titled& row : rows)
        if (row.Title.empty()) row.Title = continuedTitle(rows, row);
    for (const Titled& row : rows)
        if (!row.Title.empty()) row.Field->SetDisplayLabel(row.Title);
    for (int i = 0; i < form.ComponentCount(); ++i)
        if (auto* grid = dynamic_cast<fw::DBGrid*>(form.Components(i))) {
            // The form's own titles before the spelling of the names that are left.
            if (fw::TDataSet* shown = ownTitles ? grid->Model().DataSet() : nullptr) ownTitles(*shown);
            SpellRawTitles(*grid);
            if (columnsChanged)
                grid->Model().SetDataSource(grid->Model().DataSource());
            else
                grid->Model().TitlesChanged();
        }
}

} // namespace kit
