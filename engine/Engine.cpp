// Table files as a whole: create, delete, rename, read the definition.
#include "engine/Engine.h"

#include "base/Cp1250.h"
#include "base/FileIo.h"
#include "base/Files.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "engine/codec/DbHeader.h"
#include "engine/codec/IndexDefFile.h"
#include "engine/codec/MemoFile.h"
#include "engine/Errors.h"
#include "engine/FileLock.h"
#include "engine/FileWrite.h"
#include "engine/TableCopy.h"
#include "engine/TableHandle.h"
#include "engine/TableImage.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace engine {
namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The files of a table's family: .DB, .PX, .MB, .VAL, the journal, and the index files .Xnn/.Ynn/.XGn/.YGn.
std::vector<fs::path> FamilyFiles(const fs::path& db) {
    std::vector<fs::path> out;
    const std::string stem = db.stem().string();
    for (const auto& f : base::FilesMatching(db.parent_path(), stem + ".*")) {
        if (!base::SameText(f.stem().string(), stem)) continue;
        const std::string ext = Upper(f.extension().string());
        const bool index = codec::IsIndexFileExtension(ext, 'X') || codec::IsIndexFileExtension(ext, 'Y');
        if (ext == ".DB" || ext == ".PX" || ext == ".MB" || ext == ".VAL" || ext == ".JNL" || index)
            out.push_back(f);
    }
    // The .DB goes last, so an interrupted delete or rename never leaves a family without its table.
    std::stable_partition(out.begin(), out.end(),
                          [](const fs::path& p) { return Upper(p.extension().string()) != ".DB"; });
    return out;
}

// Holds the table exclusively against every other open (any process) while the family is changed.
class FamilyLock {
public:
    explicit FamilyLock(const fs::path& db) : lock_(db) {
        if (TableImage::IsOpenInProcess(db) || !lock_.TryLock(lockspace::Table, 1, LockKind::Exclusive) ||
            !lock_.TryLock(lockspace::Write, 2, LockKind::Exclusive))
            ThrowBusy(db.filename().string());
    }

private:
    LockFile lock_;
};

std::string ReadAll(const fs::path& p, std::size_t limit) {
    try {
        return base::ReadWholeFile(p, limit);
    } catch (const base::FileError& e) {
        if (e.Error() == ENOENT) ThrowMissing(p.filename().string());
        throw Error(e.Message());
    }
}

// Removes a file of the family; false (errno set) when it stays.
bool RemoveFile(const fs::path& f) {
    return base::Fs().Unlink(f.c_str()) == 0 || errno == ENOENT;
}

} // namespace

namespace {
std::map<std::string, std::vector<IndexDesc>>& IndexRegistry() {
    static std::map<std::string, std::vector<IndexDesc>> registry;
    return registry;
}
} // namespace

void RegisterIndexDefinitions(const std::string& fileName, std::vector<IndexDesc> indexes) {
    IndexRegistry()[Upper(TableFileName(fileName))] = std::move(indexes);
}

std::vector<IndexDesc> RegisteredIndexDefinitions(const std::string& fileName) {
    const auto& registry = IndexRegistry();
    const auto it = registry.find(Upper(TableFileName(fileName)));
    return it == registry.end() ? std::vector<IndexDesc>() : it->second;
}

bool TableExists(const fs::path& folder, const std::string& name) {
    return FindTableFile(folder, name).has_value();
}

void CreateTable(const fs::path& folder, const std::string& name, const std::vector<FieldDesc>& fields) {
    const std::string fileName = TableFileName(name);
    if (fields.empty() || fields.size() > 255) throw Error("Neispravan broj polja (" + fileName + ")");
    codec::DbHeader h;
    h.TableName = fileName;
    int offset = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto& f = fields[i];
        if (base::Trim(f.Name).empty() || !base::IsCp1250Text(f.Name))
            throw Error("Neispravno ime polja \"" + f.Name + "\" (" + fileName + ")");
        for (std::size_t k = 0; k < i; ++k)
            if (base::SameText(fields[k].Name, f.Name))
                throw Error("Polje " + f.Name + " se ponavlja (" + fileName + ")");
        if (f.Required) throw Error("Obavezna polja nisu podržana (" + fileName + ")");
        codec::FieldLayout l = codec::LayoutForNew(f, fileName);
        l.Offset = offset;
        offset += l.Bytes;
        h.Fields.push_back(l);
    }
    if (offset > 16384 - 6) throw Error("Slog je predug (" + fileName + ")");
    h.RecordSize = static_cast<std::uint16_t>(offset);
    h.BlockKb = codec::BlockKbForRecord(offset);
    // The header grows in whole 2 KiB steps when the field list does not fit in one.
    std::size_t need =
        0x78 + 2 * fields.size() + 4 + 4 * fields.size() + 261 + 2 * fields.size() + h.SortOrderId.size() + 1;
    for (const auto& f : fields)
        need += base::Utf8ToCp1250(f.Name).size() + 1;
    h.HeaderSize =
        static_cast<std::uint16_t>((need + codec::HeaderBytes - 1) / codec::HeaderBytes * codec::HeaderBytes);

    if (const auto existing = FindTableFile(folder, name)) {
        FamilyLock lock(*existing);
        for (const auto& f : FamilyFiles(*existing))
            if (!RemoveFile(f)) ThrowIo(f.filename().string(), errno);
    }
    const fs::path db = folder / fileName;
    bool memo = false;
    for (const auto& l : h.Fields)
        memo = memo || codec::IsMemoType(l.Code);
    if (memo) {
        const std::string ext = fs::path(fileName).extension().string();
        const bool lower = ext.size() > 1 && std::islower(static_cast<unsigned char>(ext[1]));
        WriteFileReplacing(folder / (fs::path(fileName).stem().string() + (lower ? ".mb" : ".MB")),
                           codec::MemoFile::NewFileBytes());
    }
    WriteFileReplacing(db, codec::BuildDbHeader(h));
}

void DeleteTable(const fs::path& folder, const std::string& name) {
    const auto db = FindTableFile(folder, name);
    if (!db) ThrowMissing(TableFileName(name));
    FamilyLock lock(*db);
    for (const auto& f : FamilyFiles(*db)) {
        if (!RemoveFile(f))
            throw Error("Datoteka " + f.filename().string() +
                        " se ne može obrisati: " + base::ErrnoText(errno));
    }
}

void RenameTable(const fs::path& folder, const std::string& name, const std::string& newName) {
    const auto db = FindTableFile(folder, name);
    if (!db) ThrowMissing(TableFileName(name));
    const std::string target = TableFileName(newName);
    const std::string newStem = fs::path(target).stem().string();
    if (FindTableFile(folder, newName)) throw Error("Tablica " + target + " već postoji");
    FamilyLock lock(*db);
    for (const auto& f : FamilyFiles(*db)) {
        std::string ext = f.extension().string();
        if (Upper(ext) == ".DB") ext = fs::path(target).extension().string();
        if (base::Fs().Rename(f.c_str(), (folder / (newStem + ext)).c_str()) != 0)
            throw Error("Datoteka " + f.filename().string() +
                        " se ne može preimenovati: " + base::ErrnoText(errno));
    }
}

std::vector<std::string> CopyTableFiles(const fs::path& folder, const std::string& name,
                                        const fs::path& toFolder) {
    const auto db = FindTableFile(folder, name);
    if (!db) ThrowMissing(TableFileName(name));
    LockFile lock(*db);
    if (!lock.LockWithin(lockspace::Apply, 1, LockKind::Shared, 10000)) ThrowBusy(db->filename().string());
    std::vector<std::string> copied;
    for (const auto& f : FamilyFiles(*db)) {
        const std::string fileName = f.filename().string();
        const fs::path to = toFolder / fileName;
        std::error_code ec;
        fs::copy_file(f, to, fs::copy_options::overwrite_existing, ec);
        if (ec) throw Error("Datoteka " + fileName + " se ne može kopirati: " + base::ErrnoText(ec.value()));
        base::SetFileTime(to, base::FileTime(f));
        copied.push_back(fileName);
    }
    lock.Unlock(lockspace::Apply, 1);
    return copied;
}

TableInfo ReadTableInfo(const fs::path& folder, const std::string& name) {
    const auto db = FindTableFile(folder, name);
    if (!db) ThrowMissing(TableFileName(name));
    const std::string fileName = db->filename().string();
    // A write that a killed process left in the journal is finished first, so the counts are right.
    if (const auto jnl = base::FindFile(folder, db->stem().string() + ".JNL")) {
        const std::string head = ReadAll(*jnl, 20);
        if (head.size() == 20 && head.compare(0, 8, "PLOMJNL1") == 0 && head[16] != 0) {
            try {
                Table::Open(folder, fileName, OpenMode::Shared);
            } catch (const TableBusy&) {
                // Held exclusively elsewhere: that open has replayed it already.
            }
        }
    }
    std::error_code ec;
    const auto size = fs::file_size(*db, ec);
    if (ec) ThrowMissing(fileName);
    const codec::DbHeader h = codec::ParseDbHeader(ReadAll(*db, 0x10000), size, fileName);
    if (h.FileType != codec::FileKeyed && h.FileType != codec::FileUnkeyed) ThrowDamaged(fileName);
    TableInfo info;
    for (const auto& f : h.Fields)
        info.Fields.push_back(f.Desc);
    if (h.KeyFields > 0) info.Indexes.push_back(h.PrimaryIndex());
    for (const auto& s : codec::ReadIndexDefs(*db, h.Fields, h.KeyFields))
        info.Indexes.push_back(s.Desc);
    info.RecordCount = h.NumRecords;
    return info;
}

} // namespace engine
