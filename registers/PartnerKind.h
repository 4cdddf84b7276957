#pragma once
// What a local partner is to us, and what may be typed for it: the kind letter follows the linked company
// ("J" our own company, "T" a company of our country, "I" a foreign one), and the kind (with the supplier
// flag) decides which of the partner form's controls are open. No screen here.

#include <cstdint>
#include <optional>
#include <string>

namespace registers {

// The kind letter of a partner linked to a company with that short name and country.
std::string PartnerKind(const std::string& companySifra, std::int32_t companyZemlja,
                        const std::string& ownSifra, std::int32_t ownZemlja);

// Which controls of the partner form are open for a kind.
struct PartnerControlStates {
    bool Dobavljac;                 // xDobavljac
    bool DjelatnostDirektorMaticni; // cDjelatnost, EditDirektor, EditMaticni
    bool Banka;                     // cBanka
    bool Banka2;                    // cBanka2
    bool ZiroPozivModel;            // xIstiZiroRn, ePoziv, eModel
    bool GovorValuta;               // eGovor, cValuta
};
// Empty for a letter that is no kind: the controls stay as they are.
std::optional<PartnerControlStates> ControlStatesFor(const std::string& kind, bool supplier);

// The captions of the balance labels: what they owe us and what we owe them, or the other way round for our
// own company.
struct BalanceCaptions {
    const char* Dug;
    const char* Potr;
};
BalanceCaptions BalanceCaptionsFor(const std::string& kind);

} // namespace registers
