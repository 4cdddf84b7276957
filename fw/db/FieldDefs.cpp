#include "fw/db/FieldDefs.h"

#include "base/Text.h"
#include "fw/db/DatabaseError.h"

namespace fw {

TFieldDef& TFieldDefs::Add(const std::string& name, TFieldType type, int size, bool required) {
    if (name.empty()) DatabaseError("Polje mora imati ime");
    if (IndexOf(name) >= 0) DatabaseError("Polje '" + name + "' je već definirano");
    TFieldDef def{name, type, size, required, Count() + 1};
    items_.push_back(def);
    return items_.back();
}

int TFieldDefs::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (base::SameText(items_[i].Name, name)) return static_cast<int>(i);
    return -1;
}

const TFieldDef* TFieldDefs::Find(const std::string& name) const {
    int i = IndexOf(name);
    return i < 0 ? nullptr : &items_[static_cast<std::size_t>(i)];
}

void TFieldDefs::Update() {
    if (!update_) DatabaseError("Popis polja nema tablicu iz koje bi se pročitao");
    update_();
}

TIndexDef& TIndexDefs::Add(const std::string& name, const std::string& fields, TIndexOptions options) {
    items_.push_back(TIndexDef{name, fields, options});
    return items_.back();
}

int TIndexDefs::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (base::SameText(items_[i].Name, name)) return static_cast<int>(i);
    return -1;
}

static bool SameFieldList(const std::string& a, const std::string& b) {
    auto x = SplitFieldNames(a);
    auto y = SplitFieldNames(b);
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (!base::SameText(x[i], y[i])) return false;
    return true;
}

const TIndexDef* TIndexDefs::FindIndexForFields(const std::string& fields) const {
    for (const auto& def : items_)
        if (SameFieldList(def.Fields, fields)) return &def;
    return nullptr;
}

void TIndexDefs::Update() {
    if (!update_) DatabaseError("Popis indeksa nema tablicu iz koje bi se pročitao");
    update_();
}

std::vector<std::string> SplitFieldNames(const std::string& fields) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= fields.size()) {
        std::size_t end = fields.find(';', start);
        if (end == std::string::npos) end = fields.size();
        std::string name = base::Trim(fields.substr(start, end - start));
        if (!name.empty()) names.push_back(name);
        start = end + 1;
    }
    return names;
}

} // namespace fw
