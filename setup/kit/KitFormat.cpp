#include "setup/kit/KitFormat.h"

namespace setup {

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string out;
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const char d = format[i + 1];
        if (d == '%') {
            out += '%';
            ++i;
        } else if ((d == 's' || d == 'd') && next != args.end()) {
            out += (next++)->Text();
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace setup
