#include "engine/FileWrite.h"

#include "engine/Errors.h"

#include <fstream>

namespace engine {

void WriteFileReplacing(const std::filesystem::path& path, const std::string& bytes) {
    const std::filesystem::path tmp = path.string() + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) throw Error("Datoteka " + path.filename().string() + " se ne može zapisati");
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        throw Error("Datoteka " + path.filename().string() + " se ne može zapisati");
    }
}

} // namespace engine
