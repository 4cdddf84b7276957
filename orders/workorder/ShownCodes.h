#pragma once
// The codes a user knows, for the grids of the work-order form: an article's "SIF_ROBE" Sifra (the own
// company's row before another partner's) and a type's "WINGL" Sifra, by the integer Code the rows store.
// Each table is read once and kept; a Code not found reads the table again once, then shows empty until
// Forget. No Qt here.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace orders {

class ShownCodes {
public:
    explicit ShownCodes(std::int32_t ownPartner = 0) : ownPartner_(ownPartner) {}
    std::string Article(std::int32_t code);
    std::string Type(std::int32_t code);
    // Read afresh next time (the lists were made again, or the user comes back to them).
    void Forget(std::int32_t ownPartner);

private:
    using Codes = std::map<std::int32_t, std::optional<std::string>>;
    std::string Find(Codes& codes, bool& read, std::int32_t code, void (ShownCodes::*load)(Codes&));
    void LoadArticles(Codes& codes);
    void LoadTypes(Codes& codes);

    std::int32_t ownPartner_;
    Codes articles_, types_;
    bool articlesRead_ = false, typesRead_ = false;
};

} // namespace orders
