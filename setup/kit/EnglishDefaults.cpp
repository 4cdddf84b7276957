#include "setup/kit/EnglishDefaults.h"

namespace setup {

const std::vector<std::string>& EnglishDefaultLines() {
    static const std::vector<std::string> lines = {
        "* The installer kit's messages in English; numbers from 1000 are the kit's.",
        "1000;Installation aborted by the user",
        "1001;Could not reboot windows. Please manually reboot windows.",
        "1002;Please insert disk #%d",
        "1010;%s must be a %s to use the %s path specifier",
        "1011;Cannot use ddContainerArchiveFile for %s unless you assign a Container",
        "1012;Cannot use the ddContainerArchiveFile path specifier for %s because the Container is not a "
        "TFileRelated descendant",
        "1013;Cannot use ddContainerDestDir for %s unless you assign a Container",
        "1014;There is no TInstall component so the path specifier could not be expanded for %s",
        "1015;Cannot use the ddMainInstallDir path specifier for a TInstall component",
        "1016;You forgot to pass in the name of the self-extracting executable. Usage example: "
        "\"-eSetup.exe\"",
        "1017;Tried to add a nil object to the path specifier list",
        "1018;Could not find the path specifier",
        "1020;Cannot expand the %a meta variable because the component is Nil",
        "1021;Cannot expand the %c meta variable because the component is Nil",
        "1022;Cannot expand the %c meta variable because the Container property is Nil",
        "1023;Cannot expand the %i meta variable because there is no TInstall component",
        "1030;Found the end of memo marker # at line %d. Was not in a memo however",
        "1031;The %d'th string (%s) does not have the proper format of .GLID;",
        "1032;The %d'th string (%s) does not have the proper format of GLID;Text",
        "1033;The %d'th string (%s) does not have the proper format of GLID;Text or .GLID;",
        "1034;Unrecognized language",
        "1035;Cannot open the language file %s",
        "1040;Could not find a free name for %s",
    };
    return lines;
}

} // namespace setup
