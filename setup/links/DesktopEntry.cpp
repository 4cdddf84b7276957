#include "setup/links/DesktopEntry.h"

#include "setup/kit/KitExceptions.h"

namespace setup {

std::string EscapeDesktopValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == ' ' && i == 0)
            out += "\\s";
        else if (c < 0x20 || c == 0x7F)
            throw IEInstallShellLink(
                "The text %s holds a control character and cannot be written to a shortcut",
                {std::string(value)});
        else
            out += static_cast<char>(c);
    }
    return out;
}

std::string QuoteExecArgument(std::string_view argument) {
    std::string out = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}

std::vector<std::string> SplitArguments(std::string_view arguments) {
    std::vector<std::string> list;
    std::string current;
    bool quoted = false, any = false;
    for (char c : arguments) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) list.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) list.push_back(current);
    return list;
}

std::string ExecLine(const std::string& program, std::string_view arguments) {
    std::string line = QuoteExecArgument(program);
    for (const std::string& a : SplitArguments(arguments))
        line += " " + QuoteExecArgument(a);
    return line;
}

std::string FormatDesktopEntry(const DesktopEntry& e) {
    std::string text = "[Desktop Entry]\nType=" + e.Type + "\nName=" + EscapeDesktopValue(e.Name) + "\n";
    if (e.Type == "Application") {
        text += "Exec=" + EscapeDesktopValue(e.Exec) + "\n";
        if (!e.Path.empty()) text += "Path=" + EscapeDesktopValue(e.Path) + "\n";
        text += std::string("Terminal=") + (e.Terminal ? "true" : "false") + "\n";
    } else if (e.Type == "Link") {
        text += "URL=" + EscapeDesktopValue(e.URL) + "\n";
    }
    return text;
}

namespace {

std::string XmlText(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

std::string FormatMergedMenu(const std::string& menuName, const std::string& directoryFile,
                             const std::vector<std::string>& desktopIds) {
    std::string text = "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
                       "    \"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
                       "<Menu>\n  <Name>Applications</Name>\n  <Menu>\n    <Name>" +
                       XmlText(menuName) + "</Name>\n    <Directory>" + XmlText(directoryFile) +
                       "</Directory>\n    <Include>\n";
    for (const std::string& id : desktopIds)
        text += "      <Filename>" + XmlText(id) + "</Filename>\n";
    return text + "    </Include>\n  </Menu>\n</Menu>\n";
}

} // namespace setup
