#include "setup/program/SetupImage.h"

#include "app/tables/StageFolder.h"
#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/ReplaceFile.h"
#include "setup/program/PlomFiles.h"
#include "setup/program/PlomSetup.h"
#include "setup/program/SmallGif.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace setup::plom {

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw base::Exception("Cannot read " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const fs::path& target, const std::string& bytes,
         fs::perms perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                           fs::perms::others_read) {
    if (const int error = base::MakeFolders(target.parent_path())) base::ThrowWriteError(target, error);
    base::ReplaceOptions options; // a build's output: nothing to keep across a crash
    options.SyncFile = options.SyncFolder = false;
    options.Mode = static_cast<mode_t>(perms);
    base::ReplaceFile(target, bytes, options);
}

// The staged file of that name, whatever its case.
fs::path Staged(const fs::path& folder, const std::string& name) {
    for (const auto& e : fs::directory_iterator(folder))
        if (Upper(e.path().filename().string()) == Upper(name)) return e.path();
    throw base::Exception("The table file " + name + " was not made in " + folder.string());
}

// A picture for a help page: a ball, a bullet or a line, by its name.
std::string Picture(const std::string& name, int index) {
    const bool line = name.rfind("line", 0) == 0;
    const int w = line ? 32 : 16, h = line ? 4 : 16;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int dx = 2 * x - w + 1, dy = 2 * y - h + 1;
            pixels[static_cast<std::size_t>(y * w + x)] = line || dx * dx + dy * dy <= w * w ? 1 : 0;
        }
    static const std::uint32_t colours[] = {0x1F4E9A, 0x2E8B57, 0xB22222, 0x708090, 0xDAA520};
    const std::uint32_t colour =
        name.find("Green") != std::string::npos ? 0x22AA22 : colours[static_cast<std::size_t>(index) % 5];
    return SmallGif(w, h, pixels, 0xFFFFFF, colour);
}

} // namespace

void MakeSetupImage(const fs::path& folder, const ImageSources& sources) {
    const fs::path stage = folder / ".stage";
    if (const int error = base::RemoveTree(folder)) base::ThrowWriteError(folder, error);
    if (const int error = base::MakeFolders(folder)) base::ThrowWriteError(folder, error);
    app::StageProgramFolder(stage);

    const fs::perms program = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec;
    Put(folder / ProgramName, ReadAll(sources.Program), program);
    Put(folder / UninstallName, ReadAll(sources.Uninstall), program);
    Put(folder / EngineLibrary, ReadAll(sources.EngineLibrary), program);
    // The engine's configuration: what the Paradox and dBASE drivers would need, merged into one already
    // on the machine.
    Put(folder / EngineConfig, "[INIT]\nLOCAL SHARE=FALSE\nLANGDRIVER=\n[DRIVERS]\nPARADOX=1\nDBASE=1\n");
    Put(folder / "Link.DB", ReadAll(Staged(stage, "Link.DB")));
    Put(folder / "plom.ini", ReadAll(Staged(stage, "PLOM.INI")));
    std::string readme;
    for (const std::string& line : ReadmeText())
        readme += line + "\r\n";
    Put(folder / ReadmeName, readme);
    for (const std::string& name : GlobalFiles())
        Put(folder / "Global" / name, ReadAll(Staged(stage / "global", name)));
    for (const std::string& name : LokalFiles())
        Put(folder / "Lokal" / name, ReadAll(Staged(stage / "lokal", name)));
    int index = 0;
    for (const std::string& name : HelpFiles()) {
        const fs::path target = folder / "Pomoć" / name;
        Put(target, name == HelpStartPage ? ReadAll(sources.HelpPage) : Picture(name, index++));
    }
    if (const int error = base::RemoveTree(stage)) base::ThrowWriteError(stage, error);
}

} // namespace setup::plom
