#include "setup/kit/KitExceptions.h"

namespace setup {

EAIUserAbort::EAIUserAbort() : EAI(TranslateText("Installation aborted by the user")) {}

EdcDiskFull::EdcDiskFull() : EDrvnCompress("Disk je pun") {}

EdcDiskFull::EdcDiskFull(const std::string& folder, std::uint64_t missing)
    : EDrvnCompress(FormatText("Disk je pun: u mapi %s nedostaje još %s bajtova.",
                               {folder, std::to_string(missing)})) {}

EdcAborted::EdcAborted() : EDrvnCompress("Operacija je opozvana od strane korisnika") {}

IException::IException(const std::string& message) : ECustomDorvaneAbnormal(TranslateText(message)) {}

IException::IException(const std::string& format, std::initializer_list<FormatArg> args)
    : ECustomDorvaneAbnormal(FormatText(TranslateText(format), args)) {}

} // namespace setup
