// The front of the self-extracting setup file: it checks the whole file, unpacks the setup program and
// its pre-setup files from "setup.1" into a private temporary folder and starts it there. A copy of the
// loader alone (as a transfer to a folder writes it) reads "setup.1" beside itself instead.
#include "base/Exceptions.h"
#include "base/FileIo.h"
#include "base/FileSystem.h"
#include "base/ReplaceFile.h"
#include "setup/kit/DrvnCompress.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/SelfExtractTrailer.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Where the loader's own ELF image ends; 0 when it cannot be told. Bytes beyond it belong to the
// archives, so a file longer than its image without a valid trailer was cut short or altered.
std::uint64_t ImageEnd(const std::string& self) {
    std::ifstream in(self, std::ios::binary);
    Elf64_Ehdr h{};
    if (!in.read(reinterpret_cast<char*>(&h), sizeof h) || std::memcmp(h.e_ident, ELFMAG, SELFMAG) != 0 ||
        h.e_ident[EI_CLASS] != ELFCLASS64)
        return 0;
    return h.e_shoff + std::uint64_t(h.e_shnum) * h.e_shentsize;
}

std::uint64_t SizeOf(const std::string& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "setup: %s\n", text.c_str());
    return 1;
}

// Why a program could not be started, in the user's words.
std::string StartError(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "nije dopušteno pokretanje programa iz te mape (je li mapa privremenih datoteka montirana s "
               "noexec? postavite TMPDIR na drugu mapu)";
    case ENOENT:
        return "program ne postoji";
    case ENOEXEC:
        return "program nije za ovo računalo";
    default:
        return "greška " + std::to_string(error);
    }
}

// Every kind of damage (cut short, a byte changed, a changed trailer) gets the one text.
int Damaged(const std::string& self) {
    return Fail("datoteka " + self + " je oštećena ili nepotpuna; preuzmite je ponovno");
}

std::string TempRoot() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

// Folders of earlier setups that were killed before their clean-up: ours by the marker, which holds the
// process id of the setup that used the folder, and that process is gone.
void RemoveFoldersOfKilledSetups() {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(TempRoot(), ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("lumeno-setup-", 0) != 0 || !e.is_directory(ec) || e.is_symlink(ec)) continue;
        std::ifstream marker(e.path() / ".lumeno-loader");
        long pid = 0;
        if (!(marker >> pid) || pid <= 0) continue;
        struct stat st {};
        if (::lstat(e.path().c_str(), &st) != 0 || st.st_uid != ::geteuid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        base::RemoveTree(e.path());
    }
}

// A private folder for the unpacked setup, marked as the loader's (with the id of the process that
// becomes the setup) so the setup may remove it at the end and a later setup after a kill.
std::string MakeWorkFolder() {
    std::string pattern = TempRoot() + "/lumeno-setup-XXXXXX";
    if (!base::Fs().MakeTemporaryFolder(pattern.data())) return {};
    try {
        base::ReplaceFile(pattern + "/.lumeno-loader", std::to_string(::getpid()) + "\n");
    } catch (const base::Exception&) {
        base::RemoveTree(pattern);
        return {};
    }
    return pattern;
}

} // namespace

int main(int argc, char** argv) {
    std::error_code ec;
    const std::string self = fs::read_symlink("/proc/self/exe", ec).string();
    if (ec) return Fail("ne mogu pronaći vlastitu datoteku");
    const std::string folder = setup::FolderPart(self);
    std::string archive;
    std::uint64_t offset = 0;
    std::vector<std::string> args;
    try {
        if (setup::HasTrailer(self)) {
            setup::TSelfExtractTrailer t;
            try {
                t = setup::ReadTrailer(self); // checks the whole file first
            } catch (const std::exception&) {
                return Damaged(self);
            }
            archive = self;
            offset = t.Setup1First;
            args.push_back("-e" + setup::NamePart(self));
        } else {
            const std::uint64_t end = ImageEnd(self);
            if (end != 0 && SizeOf(self) > end) return Damaged(self);
            archive = setup::AddBackslash(folder) + "setup.1";
            if (!fs::is_regular_file(archive, ec)) return Fail("datoteka setup.1 nije pronađena uz " + self);
        }
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    args.push_back("-s" + folder);
    args.push_back("-c");
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);

    RemoveFoldersOfKilledSetups();
    const std::string work = MakeWorkFolder();
    if (work.empty()) return Fail("ne mogu napraviti privremenu mapu u " + TempRoot());
    std::string program;
    try {
        setup::TDrvnCompress zip;
        zip.SetCompressedFile(archive);
        zip.SetOffset(offset);
        std::vector<std::string> members;
        for (int i = 0; i < zip.FileCount(); ++i)
            members.push_back(zip.GetFileStats(i).FileName);
        if (members.empty()) throw std::runtime_error("setup.1 ne sadrži program instalacije");
        zip.ExtractDirectory = work;
        zip.SetFilesToProcess(members);
        zip.Extract();
        program = setup::AddBackslash(work) + setup::NamePart(members.front());
        if (zip.Abort || base::Fs().ChangeModeOf(program.c_str(), 0755) != 0)
            throw std::runtime_error("ne mogu raspakirati setup.1 u " + work);
    } catch (const std::exception& e) {
        base::RemoveTree(work);
        return Fail(e.what());
    }
    std::vector<char*> argvOut;
    argvOut.push_back(program.data());
    for (std::string& a : args)
        argvOut.push_back(a.data());
    argvOut.push_back(nullptr);
    ::execv(program.c_str(), argvOut.data());
    base::RemoveTree(work);
    return Fail("ne mogu pokrenuti " + program + ": " + StartError(errno));
}
