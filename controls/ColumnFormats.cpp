#include "controls/ColumnFormats.h"

#include "base/CroatianFormat.h"
#include "base/Text.h"
#include "base/Utf8.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace controls {

namespace {

char MarkOf(Alignment a) {
    switch (a) {
    case Alignment::taRightJustify:
        return '>';
    case Alignment::taCenter:
        return '^';
    default:
        return '<';
    }
}

// The byte length of the UTF-8 character that starts with this byte.
std::size_t CharLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

// The shortest general form with 15 significant digits and the decimal comma: 25.4 -> "25,4".
std::string GeneralFloat(double value) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string s = buf;
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}

} // namespace

ColumnFormat ParseColumn(std::string_view token, double defaultWidth) {
    ColumnFormat c;
    std::string_view number = token;
    if (!token.empty() && (token[0] == '<' || token[0] == '>' || token[0] == '^')) {
        c.Align = token[0] == '>'   ? Alignment::taRightJustify
                  : token[0] == '^' ? Alignment::taCenter
                                    : Alignment::taLeftJustify;
        number.remove_prefix(1);
    }
    const std::optional<double> width = number.empty() ? std::nullopt : base::ParseFloat(std::string(number));
    c.Width = width && std::isfinite(*width) ? *width : defaultWidth;
    return c;
}

std::string NormalizeFormat(std::string_view format, char separator, double defaultWidth, double factor) {
    if (format.empty()) return {};
    std::string out;
    bool first = true;
    for (const std::string& token : SplitTokens(format, separator)) {
        const ColumnFormat c = ParseColumn(token, defaultWidth);
        if (!first) out += separator;
        first = false;
        out += MarkOf(c.Align);
        out += GeneralFloat(c.Width * factor);
    }
    return out;
}

std::vector<std::string> SplitTokens(std::string_view text, char separator) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == separator) {
            items.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    items.emplace_back(text.substr(start));
    return items;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(from, pos)) != std::string_view::npos; pos = hit + from.size()) {
        out.append(text.substr(pos, hit - pos));
        out.append(to);
    }
    out.append(text.substr(pos));
    return out;
}

std::string CutToWordBreak(std::string_view text) {
    for (std::size_t i = text.size(); i-- > 0;)
        if (static_cast<unsigned char>(text[i]) <= 32) return std::string(text.substr(0, i + 1));
    return std::string(text);
}

std::string ExpandTabs(std::string_view text, unsigned tabSize) {
    std::string out;
    std::size_t column = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\t') {
            const std::size_t next = tabSize ? (column / tabSize + 1) * tabSize : column;
            out.append(next - column, ' ');
            column = next;
            ++i;
            continue;
        }
        const std::size_t n = std::min(CharLength(static_cast<unsigned char>(text[i])), text.size() - i);
        out.append(text.substr(i, n));
        ++column;
        i += n;
    }
    return out;
}

std::string Spaces(int count) {
    return count > 0 ? std::string(static_cast<std::size_t>(count), ' ') : std::string();
}

std::string ExpandMacros(std::string_view text, const MacroValues& v) {
    std::string s = ReplaceAll(text, "{$LINE}", std::to_string(v.Line));
    s = ReplaceAll(s, "{$PAGE}", std::to_string(v.Page));
    s = ReplaceAll(s, "{$DATE}", v.Date);
    s = ReplaceAll(s, "{$TIME}", v.Time);
    return ReplaceAll(s, "{$TITLE}", v.Title);
}

FriendlyRow ParseFriendly(std::string_view text, double usableWidth, char separator,
                          const FriendlyValues& v) {
    std::vector<std::pair<char, std::string>> columns;
    std::string current;
    char mark = '<';
    bool opened = false;
    auto startColumn = [&](char nextMark) {
        if (opened || !current.empty()) columns.emplace_back(opened ? mark : '<', current);
        current.clear();
        mark = nextMark;
        opened = true;
    };
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = std::min(CharLength(static_cast<unsigned char>(text[i])), text.size() - i);
        if (text[i] != '&' || i + 1 >= text.size()) {
            if (text[i] != '&') current.append(text.substr(i, n));
            i += n;
            continue;
        }
        const std::size_t codeLength =
            std::min(CharLength(static_cast<unsigned char>(text[i + 1])), text.size() - i - 1);
        switch (text[i + 1]) {
        case 'f':
            current += std::filesystem::path(v.FileName).filename().string();
            break;
        case 'F':
            current += v.FileName;
            break;
        case 'd':
            current += v.ShortDate;
            break;
        case 'D':
            current += v.LongDate;
            break;
        case 't':
            current += v.ShortTime;
            break;
        case 'T':
            current += v.LongTime;
            break;
        case 'p':
            current += "{$PAGE}";
            break;
        case 'i':
            current += "{$TITLE}";
            break;
        case '&':
            current += '&';
            break;
        case 'l':
            startColumn('<');
            break;
        case 'c':
            startColumn('^');
            break;
        case 'r':
            startColumn('>');
            break;
        default:
            current += ' ';
            break;
        }
        i += 1 + codeLength;
    }
    if (opened || !current.empty()) columns.emplace_back(opened ? mark : '<', current);
    FriendlyRow row;
    if (columns.empty()) return row;
    const std::string width =
        base::Trim(base::FormatFloat(usableWidth / static_cast<double>(columns.size()), 2, false));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) {
            row.Text += separator;
            row.Format += separator;
        }
        row.Text += columns[i].second;
        row.Format += columns[i].first + width;
    }
    return row;
}

} // namespace controls
