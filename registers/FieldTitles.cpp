#include "registers/FieldTitles.h"

#include "base/Text.h"
#include "fw/db/FieldClasses.h"
#include "fw/db/Table.h"

#include <string_view>

namespace registers {

namespace {

struct FieldTitle {
    std::string_view Table;
    std::string_view Field;
    std::string_view Title;
};

// A register's own titles; the kit spells the names every register shares ("Sifra", "Kolicina").
constexpr FieldTitle fieldTitles[] = {
    {"JEDINICE.DB", "Sifra", "Jedinica"},
    {"PAKUNG.DB", "Sifra", "Pakiranje"},
    {"PAKUNG.DB", "MinKolicina", "Najmanja količina"},
    {"PAKUNG.DB", "Cijene", "Cijene za količinu"},
    {"PAKUNG.DB", "ImaAtoma", "Količine"},
    {"GOVOR.DB", "Sifra", "Jezik"},
    {"GRUPE.DB", "Sifra", "Šifra grupe"},
    {"GRUPE.DB", "Naziv", "Naziv grupe"},
    {"PODGRUPE.DB", "Sifra", "Šifra podgrupe"},
    {"PODGRUPE.DB", "Naziv", "Naziv podgrupe"},
    {"SIF_ROBE.DB", "Sifra", "Šifra artikla"},
    {"SIF_ROBE.DB", "Naziv", "Naziv artikla"},
    {"SIF_BOJA.DB", "Sifra", "Šifra boje"},
    {"SIF_BOJA.DB", "Naziv", "Naziv boje"},
    {"SIF_PART.DB", "Sifra", "Šifra partnera"},
    {"FIRME.DB", "Sifra", "Šifra proizvođača"},
    {"T_POREZA.DB", "Naziv", "Naziv tarifne grupe"},
    {"T_CARINE.DB", "Naziv", "Naziv tarifne grupe"},
    {"PARTNER.DB", "OstaliTelefoni", "Ostali telefoni"},
};

std::string_view TitleOf(const std::string& table, const std::string& field) {
    for (const FieldTitle& t : fieldTitles)
        if (t.Table == table && t.Field == field) return t.Title;
    return {};
}

} // namespace

void TitleFields(fw::TDataSet& dataSet) {
    auto* table = dynamic_cast<fw::TTable*>(&dataSet);
    const std::string name = table ? base::UpperCase(table->TableName()) : std::string();
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        fw::TField& f = dataSet.Fields(i);
        if (f.DisplayLabel() == f.FieldName())
            if (const std::string_view title = TitleOf(name, f.FieldName()); !title.empty())
                f.SetDisplayLabel(std::string(title));
        if (dynamic_cast<fw::TBooleanField*>(&f) && !f.OnGetText)
            f.OnGetText = [](fw::TField& field, std::string& text, bool display) {
                text = display ? (field.AsBoolean() ? "\u2713" : "") : fw::FieldHooks().GetText(field, false);
            };
    }
}

} // namespace registers
