#include "registers/PartnerKind.h"

namespace registers {

std::string PartnerKind(const std::string& companySifra, std::int32_t companyZemlja,
                        const std::string& ownSifra, std::int32_t ownZemlja) {
    if (companySifra == ownSifra) return "J";
    if (companyZemlja == ownZemlja) return "T";
    return "I";
}

std::optional<PartnerControlStates> ControlStatesFor(const std::string& kind, bool supplier) {
    if (kind == "J") return PartnerControlStates{false, true, true, true, true, false};
    if (kind == "T") return PartnerControlStates{true, false, supplier, false, supplier, false};
    if (kind == "I") return PartnerControlStates{true, false, supplier, supplier, false, true};
    return std::nullopt;
}

BalanceCaptions BalanceCaptionsFor(const std::string& kind) {
    if (kind == "J") return {"Duguju:", "Potražuju:"};
    return {"Duguje:", "Potražuje:"};
}

} // namespace registers
