#include "app/archive/ZipDll.h"

#include "base/Files.h"
#include "base/FileSystem.h"
#include "base/Text.h"

#include <zip.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sys/stat.h>

namespace app {

namespace fs = std::filesystem;

namespace {

constexpr int NewFileAction = 1;
constexpr int ProgressAction = 2;
constexpr int EndOfBatchAction = 3;
constexpr int MessageAction = 4;

struct SelectedFile {
    fs::path Path;
    std::string EntryName;
};

int Report(const ZipParams& p, int action, int errorCode, std::int64_t size, const std::string& text) {
    if (!p.Callback) return 0;
    return p.Callback(ZipCallbackRecord{p.Caller, action, errorCode, size, text});
}

[[noreturn]] void Cancelled() {
    throw ZipError("Error - archiving cancelled");
}

bool IsHidden(const fs::path& p) {
    const std::string name = p.filename().string();
    return !name.empty() && name[0] == '.';
}

// "name.ext" as an old 8.3 name in capitals.
std::string DosName(const std::string& name) {
    const std::string upper = base::UpperCase(name);
    const auto dot = upper.rfind('.');
    if (dot == std::string::npos || dot == 0) return base::CutChars(upper, 8);
    return base::CutChars(upper.substr(0, dot), 8) + "." + base::CutChars(upper.substr(dot + 1), 3);
}

std::string EntryNameOf(const fs::path& file, const fs::path& base, const ZipParams& p) {
    const fs::path full = fs::absolute(file).lexically_normal();
    fs::path name;
    if (p.NoDirNames) {
        name = full.filename();
    } else {
        name = full.lexically_relative(base);
        if (name.empty() || *name.begin() == "..") name = full.relative_path();
    }
    if (!p.ForceDOS) return name.generic_string();
    std::string dos;
    for (const auto& part : name)
        dos += (dos.empty() ? "" : "/") + DosName(part.string());
    return dos;
}

// The files one file pattern selects, sorted by path.
std::vector<fs::path> FilesOf(const std::string& fileSpec, const ZipParams& p) {
    const fs::path specPath(fileSpec);
    fs::path folder = specPath.parent_path();
    std::string mask = specPath.filename().string();
    if (folder.empty()) folder = ".";
    if (mask.empty()) mask = "*";
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw ZipError("Error - folder not found: " + folder.string());
    std::vector<fs::path> files;
    auto take = [&](const fs::directory_entry& entry) {
        if (!p.HiddenFiles && IsHidden(entry.path())) return;
        if (entry.is_regular_file(ec) && base::MatchesMask(entry.path().filename().string(), mask))
            files.push_back(entry.path());
    };
    if (p.RecurseDirs) {
        fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            if (it->is_directory(ec) && !p.HiddenFiles && IsHidden(it->path()))
                it.disable_recursion_pending();
            take(*it);
        }
    } else {
        for (const auto& entry : fs::directory_iterator(folder, ec))
            take(entry);
    }
    if (ec) throw ZipError("Error - can't read folder " + folder.string() + ": " + ec.message());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<SelectedFile> SelectFiles(const ZipParams& p) {
    const fs::path archive = fs::absolute(p.ZipFilename).lexically_normal();
    const fs::path base = archive.parent_path();
    std::set<fs::path> seenFiles;
    std::set<std::string> seenNames;
    std::vector<SelectedFile> selected;
    for (const auto& fileSpec : p.FileSpecs) {
        for (const auto& file : FilesOf(fileSpec, p)) {
            std::error_code ec;
            const fs::path real = fs::weakly_canonical(file, ec);
            if (fs::equivalent(file, archive, ec)) continue;
            std::string name = EntryNameOf(file, base, p);
            if (!seenFiles.insert(real).second) continue;
            // Without folder names (or with short names) two files may meet under one name: keep both or
            // none.
            if (!seenNames.insert(name).second)
                throw ZipError("Error - two files would be stored as " + name);
            selected.push_back({file, std::move(name)});
        }
    }
    return selected;
}

using ZipHandle = std::unique_ptr<zip_t, decltype(&zip_discard)>;

ZipHandle OpenArchive(const std::string& name) {
    int code = 0;
    zip_t* za = zip_open(name.c_str(), ZIP_CREATE, &code);
    if (!za) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string text = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw ZipError("Error - can't open zip file " + name + ": " + text);
    }
    return ZipHandle(za, &zip_discard);
}

std::string LastError(zip_t* za) {
    return zip_error_strerror(zip_get_error(za));
}

// Whole seconds of the file's modification time; the entries keep 2-second DOS times.
std::int64_t FileSeconds(const fs::path& file) {
    const std::int64_t ns = base::FileTime(file);
    return ns >= 0 ? ns / 1'000'000'000 : -((-ns + 999'999'999) / 1'000'000'000);
}

// An existing entry counts as current unless its file is newer (beyond the 2-second DOS rounding).
bool EntryIsCurrent(zip_t* za, zip_int64_t index, const fs::path& file) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_MTIME)) return false;
    return (FileSeconds(file) & ~std::int64_t(1)) <= std::int64_t(st.mtime);
}

std::int64_t CheckedSize(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (!in || ec) throw ZipError("Error - can't read file " + file.string());
    return std::int64_t(size);
}

void AddEntry(zip_t* za, const SelectedFile& f, const ZipParams& p) {
    zip_source_t* source = zip_source_file(za, f.Path.c_str(), 0, -1);
    if (!source) throw ZipError("Error - can't read file " + f.Path.string() + ": " + LastError(za));
    const zip_int64_t index =
        zip_file_add(za, f.EntryName.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
    if (index < 0) {
        zip_source_free(source);
        throw ZipError("Error - can't add " + f.EntryName + ": " + LastError(za));
    }
    const auto i = zip_uint64_t(index);
    const int level = std::clamp(p.CompressionLevel, 0, 9);
    if (zip_set_file_compression(za, i, level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, zip_uint32_t(level)) != 0)
        throw ZipError("Error - can't compress " + f.EntryName + ": " + LastError(za));
    if (p.Encrypt && zip_file_set_encryption(za, i, ZIP_EM_TRAD_PKWARE, p.Password.c_str()) != 0)
        throw ZipError("Error - can't encrypt " + f.EntryName + ": " + LastError(za));
}

// Callbacks from inside zip_close: a failing or cancelling callback stops the write.
struct CloseState {
    const ZipParams* Params;
    bool Cancel = false;
    std::exception_ptr Failure;
};

void OnCloseProgress(zip_t*, double, void* state) {
    auto& s = *static_cast<CloseState*>(state);
    if (s.Cancel) return;
    try {
        if (Report(*s.Params, ProgressAction, 0, 0, " ") != 0) s.Cancel = true;
    } catch (...) {
        s.Failure = std::current_exception();
        s.Cancel = true;
    }
}

int OnCloseCancel(zip_t*, void* state) {
    return static_cast<CloseState*>(state)->Cancel ? 1 : 0;
}

void CloseArchive(ZipHandle& za, const ZipParams& p) {
    CloseState state{&p, false, nullptr};
    zip_register_progress_callback_with_state(za.get(), 0.01, OnCloseProgress, nullptr, &state);
    zip_register_cancel_callback_with_state(za.get(), OnCloseCancel, nullptr, &state);
    if (zip_close(za.get()) != 0) {
        if (state.Failure) std::rethrow_exception(state.Failure);
        if (state.Cancel) Cancelled();
        throw ZipError("Error - can't write zip file " + p.ZipFilename + ": " + LastError(za.get()));
    }
    za.release();
}

void StampWithNewestEntry(const std::string& archive) {
    int code = 0;
    ZipHandle za(zip_open(archive.c_str(), ZIP_RDONLY, &code), &zip_discard);
    if (!za) return;
    std::int64_t newest = 0;
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(za.get(), zip_uint64_t(i), 0, &st) == 0 && (st.valid & ZIP_STAT_MTIME))
            newest = std::max<std::int64_t>(newest, st.mtime);
    }
    if (newest > 0) base::SetFileTime(archive, newest * 1'000'000'000);
}

} // namespace

int ZipDllExec(const ZipParams& p) {
    if (p.ZipFilename.empty()) throw ZipError("Error - no zip file specified");
    if (p.Encrypt && p.Password.empty()) throw ZipError("Error - no password for encryption");
    const std::vector<SelectedFile> files = SelectFiles(p);
    ZipHandle za = OpenArchive(p.ZipFilename);
    const bool freshen = p.Freshen && !p.Update;
    std::vector<fs::path> stored; // files whose entry is current once the archive is written
    int added = 0;
    for (const auto& f : files) {
        const zip_int64_t existing = zip_name_locate(za.get(), f.EntryName.c_str(), ZIP_FL_ENC_GUESS);
        if (existing < 0 && freshen) continue;
        if (existing >= 0 && (p.Update || freshen) && EntryIsCurrent(za.get(), existing, f.Path)) {
            stored.push_back(f.Path);
            continue;
        }
        const SelectedFile source{p.ReadFrom ? fs::path(p.ReadFrom(f.Path.string())) : f.Path, f.EntryName};
        const std::int64_t size = CheckedSize(source.Path);
        if (Report(p, NewFileAction, 0, size, f.EntryName) != 0) Cancelled();
        if ((p.Verbose || p.Trace) &&
            Report(p, MessageAction, 0, 0, (existing >= 0 ? "  updating: " : "  adding: ") + f.EntryName) !=
                0)
            Cancelled();
        AddEntry(za.get(), source, p);
        stored.push_back(f.Path);
        ++added;
    }
    CloseArchive(za, p);
    Report(p, EndOfBatchAction, 0, 0, " "); // the archive is written: too late to cancel
    if (p.ZipTime && added > 0) StampWithNewestEntry(p.ZipFilename);
    if (p.Move)
        for (const auto& file : stored) {
            base::Fs().Unlink(file.c_str());
        }
    return added;
}

} // namespace app
