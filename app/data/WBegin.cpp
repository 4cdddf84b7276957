#include "app/data/WBegin.h"

#include "base/ProgramState.h"
#include "base/Text.h"

#include <array>
#include <string_view>

namespace app {

WBeginState WBegin;

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { WBegin = WBeginState(); });
} // namespace

namespace {

// The characters of text from the first `from` characters on.
std::string CharsFrom(const std::string& text, std::size_t from) {
    const std::string head = base::CutChars(text, from);
    return text.substr(head.size());
}

} // namespace

void SplitCompanyName(const std::string& Name, std::string& NazivKratki, std::string& PravniOblik,
                      std::string& NazivPuni) {
    struct Marker {
        std::string_view Text;
        std::size_t Count; // the dotted forms take in their closing dot
    };
    static constexpr std::array<Marker, 5> markers{
        {{" D.O.O", 6}, {" D.D", 4}, {" S P.O", 6}, {" S.P.O", 6}, {" OBRT", 4}}};
    const std::string upper = base::UpperCase(Name);
    for (const Marker& m : markers) {
        const std::size_t at = upper.find(m.Text);
        if (at == std::string::npos) continue;
        const std::size_t p = base::CharCount(std::string_view(upper).substr(0, at)) + 1;
        NazivPuni = base::CutChars(Name, p + m.Count);
        if (p == 1) {
            NazivKratki = Name;
            PravniOblik.clear();
        } else {
            NazivKratki = base::CutChars(Name, p - 1);
            PravniOblik = CharsFrom(Name, p - 1);
        }
        return;
    }
    NazivKratki = Name;
    PravniOblik.clear();
    NazivPuni = Name;
}

} // namespace app
