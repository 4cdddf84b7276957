#pragma once
#include "base/Exceptions.h"
#include "setup/kit/KitFormat.h"

#include <cstdint>
#include <string>

namespace setup {

// The kit's exception families. Every class carries the text the user sees; the IException family
// translates its message before formatting it.

#define SETUP_KIT_EXCEPTION(Name, Parent)                                                                    \
    class Name : public Parent {                                                                             \
    public:                                                                                                  \
        explicit Name(const std::string& message) : Parent(message) {}                                       \
    };

// The engine's family.
SETUP_KIT_EXCEPTION(EAI, base::Exception)
class EAIUserAbort : public EAI {
public:
    EAIUserAbort();
};
SETUP_KIT_EXCEPTION(EAICannotExpandContainerDirMV, EAI)
SETUP_KIT_EXCEPTION(EAICannotExpandInstallDirMV, EAI)

// Abnormal failures of the kit's parts.
SETUP_KIT_EXCEPTION(ECustomDorvaneAbnormal, base::Exception)
SETUP_KIT_EXCEPTION(EDorvaneAbnormal, ECustomDorvaneAbnormal)
SETUP_KIT_EXCEPTION(EDrvnCompress, EDorvaneAbnormal)
class EdcDiskFull : public EDrvnCompress {
public:
    EdcDiskFull();
    // Names the folder and how many more bytes the file needs there.
    EdcDiskFull(const std::string& folder, std::uint64_t missing);
};
class EdcAborted : public EDrvnCompress {
public:
    EdcAborted();
};
SETUP_KIT_EXCEPTION(EAPIRoutines, EDorvaneAbnormal)
// A registry value that could not be written.
SETUP_KIT_EXCEPTION(EIRCannotWriteValue, EDorvaneAbnormal)

// Messages that pass through the translator: the English text is looked up first, then formatted.
class IException : public ECustomDorvaneAbnormal {
public:
    explicit IException(const std::string& message);
    IException(const std::string& format, std::initializer_list<FormatArg> args);
};

#define SETUP_KIT_IEXCEPTION(Name, Parent)                                                                   \
    class Name : public Parent {                                                                             \
    public:                                                                                                  \
        explicit Name(const std::string& message) : Parent(message) {}                                       \
        Name(const std::string& format, std::initializer_list<FormatArg> args) : Parent(format, args) {}     \
    };

SETUP_KIT_IEXCEPTION(IEInstall, IException)
SETUP_KIT_IEXCEPTION(IEInstallContainer, IException)
SETUP_KIT_IEXCEPTION(IEFileRelated, IException)
SETUP_KIT_IEXCEPTION(IEFileContainer, IException)
SETUP_KIT_IEXCEPTION(IEObjectRepositoryEntry, IException)
SETUP_KIT_IEXCEPTION(IEInstallBDE, IException)
SETUP_KIT_IEXCEPTION(IEInstallShellLink, IException)
SETUP_KIT_IEXCEPTION(IEShellLinkGroup, IException)
SETUP_KIT_IEXCEPTION(IEInstallShellLinkList, IException)
SETUP_KIT_IEXCEPTION(IECustomInstallFile, IException)
SETUP_KIT_IEXCEPTION(IEUninstallEXE, IException)
SETUP_KIT_IEXCEPTION(IECustomInstallFileList, IException)
SETUP_KIT_IEXCEPTION(IEFileGroupSelectForm, IException)
SETUP_KIT_IEXCEPTION(IEPathSpecifierList, IException)
SETUP_KIT_IEXCEPTION(IEPathSpecifier, IException)
SETUP_KIT_IEXCEPTION(IEbdeCannotFindDorvanePath, IEInstallBDE)
SETUP_KIT_IEXCEPTION(IEbdeFileDoesNotExist, IEInstallBDE)
SETUP_KIT_IEXCEPTION(IEfcDuplicateFile, IEFileContainer)

// The Program Manager's own family: its EAI is a different class from the engine's.
namespace pm {
SETUP_KIT_EXCEPTION(EAI, base::Exception)
SETUP_KIT_EXCEPTION(EAIPMError, EAI)
SETUP_KIT_EXCEPTION(EAIPMCannotOpen, EAIPMError)
} // namespace pm

#undef SETUP_KIT_EXCEPTION
#undef SETUP_KIT_IEXCEPTION

} // namespace setup
