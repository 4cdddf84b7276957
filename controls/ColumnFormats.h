#pragma once
// The text side of table printing: column-format strings ("<20|>30|^180,05"), the page macros, the
// ampersand syntax of page headers and footers, and the small text helpers the page printer splits and
// pads its lines with. Widths are read and written with the program's fixed decimal comma.

#include "fw/ui/StdCtrls.h"

#include <string>
#include <string_view>
#include <vector>

namespace controls {

using fw::Alignment;

struct ColumnFormat {
    Alignment Align = Alignment::taLeftJustify;
    // In the printer's measure unit; negative for a column that is never framed.
    double Width = 0;
};

// '<' left, '>' right, '^' centred, then the width; a token without a mark is left-aligned and read whole.
// An empty, mark-only or unreadable width takes the default.
ColumnFormat ParseColumn(std::string_view token, double defaultWidth);
// Every token rewritten as mark + shortest width, the widths multiplied by factor (1 for no unit change).
std::string NormalizeFormat(std::string_view format, char separator, double defaultWidth, double factor);

// Splits at every separator: empty items are kept and the text after the last separator is always one.
std::vector<std::string> SplitTokens(std::string_view text, char separator);
// Every occurrence replaced left to right; replaced text is not looked at again.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// The text up to and including its last blank (any character of code 32 or less); all of it when it has
// none.
std::string CutToWordBreak(std::string_view text);
// Each tab becomes blanks up to the next multiple of tabSize of the output so far (counted in characters).
std::string ExpandTabs(std::string_view text, unsigned tabSize);
std::string Spaces(int count);

struct MacroValues {
    int Line = 0;
    int Page = 0;
    std::string Date;
    std::string Time;
    std::string Title;
};
// "{$LINE}", "{$PAGE}", "{$DATE}", "{$TIME}" and "{$TITLE}", in that order.
std::string ExpandMacros(std::string_view text, const MacroValues& values);

struct FriendlyValues {
    std::string FileName;
    std::string ShortDate;
    std::string LongDate;
    std::string ShortTime;
    std::string LongTime;
};
struct FriendlyRow {
    std::string Text;
    std::string Format;
};
// A header or footer written with ampersand codes (&l, &c, &r start columns; &p, &i, &d, &D, &t, &T, &f,
// &F fill in values; && is an ampersand) as a table row of equal columns across the usable width.
FriendlyRow ParseFriendly(std::string_view text, double usableWidth, char separator,
                          const FriendlyValues& values);

} // namespace controls
