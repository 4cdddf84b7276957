#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "base/Finally.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "setup/install/Install.h"
#include "setup/install/InstallUi.h"
#include "setup/install/NetDistribution.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace setup {

namespace fs = std::filesystem;

namespace {

// Opened for reading only; invalid (Get() < 0) when it cannot be.
base::FileHandle OpenToRead(const std::string& file) {
    return base::FileHandle::Open(file, O_RDONLY);
}

// Writes a whole new file from its pieces through base's replace-file routine: the target is either the
// old file or the complete new one.
bool WriteWholeFile(const std::string& target, mode_t mode, const std::function<bool(int fd)>& write) {
    base::ReplaceOptions options;
    options.Mode = mode;
    try {
        base::ReplaceFile(
            target,
            [&](int fd) {
                if (!write(fd)) throw base::FileError("short write: " + target, EIO);
            },
            options);
        return true;
    } catch (const base::FileError&) {
        return false;
    }
}

// Copies count bytes of src from position from to the end of fd; false on a short read or write.
bool CopyRange(int src, std::uint64_t from, std::uint64_t count, int fd) {
    std::vector<unsigned char> block(8192);
    while (count > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), count));
        if (!base::ReadExactlyAt(src, block.data(), n, from) || base::WriteAll(fd, block.data(), n).Done != n)
            return false;
        from += n;
        count -= n;
        ProcessMessages();
    }
    return true;
}

std::uint64_t SizeOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

mode_t Executable() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0755 & ~mask;
}

// The folder of the kit: the one holding the marker file, looked for beside the running setup, in the
// folder an environment variable names, then on the library search path kept in the registry.
std::string KitFolder(const std::string& program) {
    std::vector<std::string> candidates;
    if (const char* own = std::getenv(KitFolderVariable); own && *own) candidates.push_back(own);
    candidates.push_back(FolderPart(program));
    const std::string search =
        ReadRegString(HKEY_CURRENT_USER, "\\Software\\Borland\\Delphi\\3.0\\Library", "SearchPath", "");
    for (const std::string& s : SplitList(search, ';'))
        candidates.push_back(NormalizeSeparators(base::Trim(s)));
    for (const std::string& c : candidates) {
        std::error_code ec;
        if (!c.empty() && fs::is_regular_file(fs::path(c) / KitMarker, ec)) return RemoveBackslash(c);
    }
    throw IEInstall(
        "The HKEY_LOCAL_MACHINE | %s key in the registry is either missing or points to an invalid "
        "Dorvane directory",
        {"\\Software\\Borland\\Delphi\\3.0\\Library"});
}

} // namespace

void TCustomInstall::MakeSetupArchive(const std::string& buildDir, const std::string& exeName) {
    if (base::Trim(exeName).empty()) throw IEInstall("Cannot create setup file. Executable is blank");
    std::error_code ec;
    if (!fs::is_regular_file(exeName, ec))
        throw IEInstall("TInstall: Cannot find the executable file %s", {exeName});
    // The setup program goes first: the loader starts the archive's first member.
    TInstallFile setupProgram("SetupProgram");
    setupProgram.IncludeFromDir = FolderPart(exeName);
    setupProgram.FileName = NamePart(exeName);
    setupProgram.SetArchiveFile(AddBackslash(buildDir) + "setup.1");
    setupProgram.AddToArchive = lzcOverwrite;
    setupProgram.Pack();
    for (const std::string& pre : PresetupFiles) {
        if (base::Trim(pre).empty()) continue;
        TInstallFile extra("PresetupFile");
        extra.IncludeFromDir = FolderPart(pre);
        extra.FileName = NamePart(pre);
        extra.SetArchiveFile(AddBackslash(buildDir) + "setup.1");
        extra.AddToArchive = lzcOnlyAdd;
        extra.Pack();
    }
}

void TCustomInstall::Build(const std::string& exeName, const std::string& buildDir, bool selfExtracting) {
    if (selfExtracting && !UseLoadingProgram)
        throw IEInstall(
            "Cannot build a stand alone executable if the UseLoadingProgram property of the TInstall "
            "is set to False");
    const std::string dir = RemoveBackslash(NormalizeSeparators(buildDir));
    const std::string setupExe = AddBackslash(dir) + "setup";
    const std::string setup1 = AddBackslash(dir) + "setup.1";
    const std::string files1 = AddBackslash(dir) + "files.1";
    std::error_code ec;
    base::MakeFolders(dir);
    // A rebuild starts from nothing: appending to an old archive would keep its records in front.
    base::Fs().Unlink(setup1.c_str());
    base::Fs().Unlink(files1.c_str());

    if (UseLoadingProgram) {
        try {
            MakeSetupArchive(dir, exeName);
        } catch (const EdcDiskFull&) {
            throw IEInstall(
                "The disk that you have specified has been determined to be either too full or is "
                "corrupt while trying to copy the SETUP.1 archive file. You should probably clear all "
                "files off of the drive. Minimally, you should leave enough space on the drive for the "
                "SETUP.1 archive file.");
        }
        const std::string loader = AddBackslash(KitFolder(ProgramFile)) + LoaderProgramName;
        if (!fs::is_regular_file(loader, ec))
            throw IEInstall("The loader program %s was not found", {loader});
        const base::FileHandle src = OpenToRead(loader);
        if (src.Get() < 0 || !WriteWholeFile(setupExe, Executable(), [&](int fd) {
                return CopyRange(src.Get(), 0, SizeOf(src.Get()), fd);
            }))
            throw IEInstall("Cannot copy the loading program from %s to %s", {loader, setupExe});
    } else {
        const std::string copy = AddBackslash(dir) + NamePart(exeName);
        const base::FileHandle src = OpenToRead(exeName);
        if (src.Get() < 0 || !WriteWholeFile(copy, Executable(), [&](int fd) {
                return CopyRange(src.Get(), 0, SizeOf(src.Get()), fd);
            }))
            throw IEInstall("Cannot copy the installation application from %s to %s", {exeName, copy});
    }

    // Every file of the tree, selected or not, into the main archive; the install's own archive
    // settings are put back whatever happens.
    const std::string oldFile = ArchiveFile();
    const TCustomPathSpecifier* oldType = ArchiveFileType();
    SetArchiveFileType(nullptr);
    SetArchiveFile(files1);
    const unsigned placement = distributeType_ == dtTraditional ? coForceNetFilesLocal
                               : distributeType_ == dtWeb       ? coForceFilesNet
                                                                : 0u;
    PackedNetFiles().clear();
    base::TryFinally([&] { Compress(placement | coIncludeEverything); },
                     [&] {
                         SetArchiveFile(oldFile);
                         SetArchiveFileType(oldType);
                     });
    if (distributeType_ != dtTraditional)
        WriteFileList(AddBackslash(NetFolder(*this, files1)) + FileListName, PackedNetFiles());
    if (selfExtracting) AppendArchives(setupExe, setup1, files1);
}

void TCustomInstall::AppendArchives(const std::string& setupExe, const std::string& setup1,
                                    const std::string& files1) {
    const base::FileHandle loader = OpenToRead(setupExe);
    const base::FileHandle first = OpenToRead(setup1);
    const base::FileHandle main = OpenToRead(files1);
    const auto failed = [&](const std::string& piece) {
        return IEInstall("Cannot create the self-extracting exe because %s could not be loaded onto %s",
                         {piece, setupExe});
    };
    if (loader.Get() < 0) throw failed(setupExe);
    if (first.Get() < 0) throw failed(setup1);
    std::string failedPiece;
    // The whole file is written anew and renamed into place: a build stopped half-way leaves no setup
    // that looks finished.
    const bool ok = WriteWholeFile(setupExe, Executable(), [&](int fd) {
        TSelfExtractTrailer t;
        std::uint64_t pos = SizeOf(loader.Get());
        if (!CopyRange(loader.Get(), 0, pos, fd)) return (failedPiece = setupExe), false;
        const std::uint64_t firstSize = SizeOf(first.Get());
        if (firstSize == 0 || !CopyRange(first.Get(), 0, firstSize, fd)) return (failedPiece = setup1), false;
        t.Setup1First = static_cast<std::uint32_t>(pos);
        pos += firstSize;
        t.Setup1Last = static_cast<std::uint32_t>(pos - 1);
        if (main.Get() >= 0) {
            const std::uint64_t mainSize = SizeOf(main.Get());
            if (mainSize == 0 || !CopyRange(main.Get(), 0, mainSize, fd))
                return (failedPiece = files1), false;
            t.Files1First = static_cast<std::uint32_t>(pos);
            pos += mainSize;
            t.Files1Last = static_cast<std::uint32_t>(pos - 1);
        }
        std::uint32_t bodyCrc = 0;
        if (pos > 0xFFFFFFFFull - TrailerSize || !Crc32Of(fd, 0, pos, bodyCrc))
            return (failedPiece = files1), false;
        SealTrailer(t, bodyCrc);
        const auto trailer = EncodeTrailer(t);
        return base::WriteAt(fd, trailer.data(), trailer.size(), pos).Done == trailer.size();
    });
    if (!ok) throw failed(failedPiece.empty() ? setupExe : failedPiece);
}

void TCustomInstall::BuildFromBuildInf() {
    try {
        const std::string inf = AddBackslash(FolderPart(ProgramFile)) + "BUILD.INF";
        std::ifstream in(inf);
        if (!in)
            throw IEInstall(
                "Need to have a BUILD.INF file in this directory with the first line specifying the "
                "build directory");
        std::string buildDir, sourceRoot;
        std::getline(in, buildDir);
        std::getline(in, sourceRoot);
        buildDir = base::Trim(buildDir);
        sourceRoot = base::Trim(sourceRoot);
        if (buildDir.empty())
            throw IEInstall("Must be 1 line in BUILD.INF. This line should specify the build directory");
        // Sources are named relative to the source root, so the archive keys are short and the same on
        // every machine.
        const fs::path old = fs::current_path();
        if (!sourceRoot.empty()) fs::current_path(sourceRoot);
        base::TryFinally([&] { Build(ProgramFile, buildDir, true); },
                         [&] {
                             std::error_code ec;
                             fs::current_path(old, ec);
                         });
    } catch (const std::exception& e) {
        ShowKitMessage(e.what());
        exitCode_ = 1;
    }
    TerminateApp();
}

void TCustomInstall::UseSelfExtractingOffset() {
    const std::string self = ArchivePath();
    const TSelfExtractTrailer t = ReadTrailer(self);
    if (!t.HasFiles1()) {
        // A network setup may carry no file of its own: everything comes from the network folder.
        if (distributeType_ != dtTraditional) return;
        throw IEInstall("The setup file %s holds no files to install", {self});
    }
    SharedCompressor().SetCompressedFile(self);
    SharedCompressor().SetOffset(t.Files1First);
}

void TCustomInstall::TransferToFloppies(const std::string& folder, std::uint64_t capacity) {
    BusyCursor busy;
    if (!Switch('e'))
        throw IEInstall(
            "Žao mi je... Možeš jedino prijenos instalacije na disketu obaviti kroz samo-raširujuću "
            "datoteku. Primjer upotrebe: setup.exe *TODISK");
    const std::string self = ArchivePath();
    const TSelfExtractTrailer t = ReadTrailer(self);
    ShowStatus("Prijenos instalacije na diskete. Molim pričekajte...");
    TDrvnCompress& zip = SharedCompressor();
    base::TryFinally(
        [&] {
            const std::string dir = RemoveBackslash(NormalizeSeparators(folder));
            base::MakeFolders(dir);
            const base::FileHandle src = OpenToRead(self);
            if (src.Get() < 0 || !WriteWholeFile(AddBackslash(dir) + "setup", Executable(), [&](int fd) {
                    return CopyRange(src.Get(), 0, t.Setup1First, fd);
                }))
                throw IEInstall("Cannot create setup.exe on the A drive. Probably not enough room");
            if (!WriteWholeFile(AddBackslash(dir) + "setup.1", 0666 & ~0022u, [&](int fd) {
                    return CopyRange(src.Get(), t.Setup1First,
                                     std::uint64_t(t.Setup1Last) - t.Setup1First + 1, fd);
                }))
                throw IEInstall("Cannot create setup.1 on the A drive. Probably not enough room");
            if (!t.HasFiles1()) return;
            zip.SetCompressedFile(self);
            zip.SetOffset(t.Files1First);
            zip.VolumeCapacity = capacity;
            // With nobody to ask (no window, no terminal) the volumes simply follow in the same folder.
            zip.OnNewDisk = [](TDrvnCompress&, int disk, std::string&) {
                if ((Ui().Confirm || ::isatty(STDIN_FILENO)) &&
                    !ConfirmKit(FormatText(TranslateText("Please insert disk %d"), {disk})))
                    throw IEInstall("Aborted by user");
            };
            zip.OnStatus = [](TDrvnCompress&, const TlzhFileStats&) { ProcessMessages(); };
            zip.CopyToVolumes(dir, "files.1");
        },
        [&] {
            zip.OnNewDisk = nullptr;
            zip.OnStatus = nullptr;
            zip.VolumeCapacity = 0;
            HideStatus();
        });
}

} // namespace setup
