#pragma once
#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>

namespace setup {

// One argument of a kit message: a text for "%s" or a whole number for "%d".
class FormatArg {
public:
    FormatArg(std::string_view text) : text_(text) {}
    FormatArg(const std::string& text) : text_(text) {}
    FormatArg(const char* text) : text_(text ? text : "") {}
    template <std::integral T> FormatArg(T number) : text_(std::to_string(number)) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Fills "%s" and "%d" from the arguments in order ("%%" is a percent sign). A directive without an
// argument is kept as written, so a malformed message never loses text.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

// The kit message in the user's language: looked up by its English text in the main translator,
// unchanged when there is none.
std::string TranslateText(const std::string& english);

} // namespace setup
