#include "engine/FileWrite.h"

#include "base/FileIo.h"
#include "base/ReplaceFile.h"
#include "engine/Errors.h"

namespace engine {

void WriteFileReplacing(const std::filesystem::path& path, const std::string& bytes) {
    try {
        base::ReplaceFile(path, bytes);
    } catch (const base::FileError& e) {
        throw IoError(e.Message());
    }
}

} // namespace engine
