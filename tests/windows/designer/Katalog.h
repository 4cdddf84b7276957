#pragma once
// An article register for the designer in memory: articles by Code and Sifra, the nearest Sifra.

#include "windows/designer/EditWindow.h"

#include <initializer_list>
#include <map>
#include <string>

namespace designertest {

class Katalog : public windows::ArticleCatalog {
public:
    Katalog(std::initializer_list<windows::ProfileArticle> artikli) {
        for (const windows::ProfileArticle& a : artikli)
            poSifri[a.Sifra] = a;
    }
    std::optional<windows::ProfileArticle> ByCode(std::int32_t code) override {
        for (auto& [s, a] : poSifri)
            if (a.Code == code) return a;
        return std::nullopt;
    }
    std::optional<windows::ProfileArticle> BySifra(const std::string& sifra) override {
        const auto it = poSifri.find(sifra);
        return it == poSifri.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<windows::ProfileArticle> NearestSifra(const std::string& sifra) override {
        const auto it = poSifri.lower_bound(sifra);
        return it == poSifri.end() ? poSifri.rbegin()->second : it->second;
    }
    std::map<std::string, windows::ProfileArticle> poSifri;
};

} // namespace designertest
