#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/PathKinds.h"
#include "setup/kit/ShellFolders.h"

#include <cctype>

namespace setup {

namespace {

std::string Variable(char letter, const PathComponent* link) {
    switch (letter) {
    case 'a':
        if (!link)
            throw EAICannotExpandContainerDirMV(
                TranslateText("Cannot expand the %a meta variable because the component is Nil"));
        return DestPath(*link);
    case 'b':
        return ProgramsFolder();
    case 'c':
        if (!link)
            throw EAICannotExpandContainerDirMV(
                TranslateText("Cannot expand the %c meta variable because the component is Nil"));
        if (!link->Container())
            throw EAICannotExpandContainerDirMV(
                TranslateText("Cannot expand the %c meta variable because the Container property is Nil"));
        return DestPath(*link->Container());
    case 'd':
        return DesktopFolder();
    case 'f':
        return CommonFilesFolder();
    case 'i':
        if (!CurrentInstall())
            throw EAICannotExpandInstallDirMV(
                TranslateText("Cannot expand the %i meta variable because there is no TInstall component"));
        return DestPath(*CurrentInstall());
    case 'm':
        return StartMenuFolder();
    case 'p':
        return ProgramFilesFolder();
    case 's':
        return SystemDirectory();
    case 'w':
        return WindowsDirectory();
    default:
        return {};
    }
}

} // namespace

std::string ExpandPathVariables(const std::string& text, const PathComponent* link) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            // the configured text may use "\" as its separator; the folders put in for variables stand
            // as they are
            out += text[i] == '\\' ? '/' : text[i];
            continue;
        }
        if (i + 1 >= text.size()) break;
        const char next = text[++i];
        if (next == '%')
            out += '%';
        else
            out += RemoveBackslash(
                Variable(static_cast<char>(std::tolower(static_cast<unsigned char>(next))), link));
    }
    return out;
}

} // namespace setup
