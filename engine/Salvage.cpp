// Reading what can be read of a table whose files no longer hold together. Nothing here trusts a value from
// the file before checking it against the file's size, so every loop ends and every read stays inside.

#include "base/FileIo.h"
#include "base/Files.h"
#include "engine/codec/Bytes.h"
#include "engine/codec/DbHeader.h"
#include "engine/codec/MemoFile.h"
#include "engine/Engine.h"
#include "engine/Errors.h"
#include "engine/TableHandle.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <set>

namespace engine {
namespace {

constexpr std::int64_t LastValidDay = 3652059; // 31 December 9999
constexpr std::int64_t DayMilliseconds = 86400000;

std::string ReadFile(const fs::path& p, std::uint64_t limit) {
    try {
        return base::ReadWholeFile(p, limit);
    } catch (const base::FileError& e) {
        if (e.Error() == ENOENT) ThrowMissing(p.filename().string());
        throw Error(e.Message());
    }
}

// The header without the values that describe the blocks: those are what the salvage does not trust.
codec::DbHeader ReadHeader(const std::string& file, const std::string& fileName) {
    std::string head = file.substr(0, std::min<std::size_t>(file.size(), 0x10000));
    if (head.size() >= 0x12) std::fill(head.begin() + 0x06, head.begin() + 0x12, '\0');
    codec::DbHeader h = codec::ParseDbHeader(head, file.size(), fileName);
    if (h.FileType != codec::FileKeyed && h.FileType != codec::FileUnkeyed) ThrowDamaged(fileName);
    if ((h.FileType == codec::FileKeyed) != (h.KeyFields > 0)) ThrowDamaged(fileName);
    for (int i = 0; i < h.KeyFields; ++i)
        if (codec::IsMemoType(h.Fields[i].Code)) ThrowDamaged(fileName);
    const auto* p = codec::Bytes(file);
    h.FileBlocks = codec::GetU16(p + 0x0C);
    return h;
}

bool ValidAlpha(const unsigned char* p, int n) {
    int i = 0;
    for (; i < n && p[i] != 0; ++i)
        if (p[i] < 0x20 && p[i] != '\t' && p[i] != '\n' && p[i] != '\r') return false;
    return codec::IsAllZero(p + i, n - i);
}

// A stored value that the field's type could have written.
bool ValidField(const codec::FieldLayout& f, const unsigned char* p, const Value& v) {
    if (f.Desc.Type == FieldType::Alpha) return ValidAlpha(p, f.Bytes);
    if (f.Desc.Type == FieldType::AutoInc) return v.IsInt() && v.AsInt() > 0;
    if (v.IsNull()) return true;
    switch (f.Desc.Type) {
    case FieldType::Date:
        return v.AsDate() >= 1 && v.AsDate() <= LastValidDay;
    case FieldType::Time:
        return v.AsInt() >= 0 && v.AsInt() < DayMilliseconds;
    case FieldType::Logical:
        return p[0] == 0x80 || p[0] == 0x81;
    case FieldType::Number:
    case FieldType::Currency:
    case FieldType::Timestamp:
        return std::isfinite(v.AsFloat());
    default:
        return true;
    }
}

class Salvager {
public:
    Salvager(const fs::path& db, SalvagedTable& out) : db_(db), out_(out) {}
    void Run();

private:
    void LoadMemoFile();
    void ReadBlock(std::uint16_t block);
    void ReadRecord(const unsigned char* rec);
    Value Memo(const codec::FieldLayout& f, const unsigned char* p);

    fs::path db_;
    SalvagedTable& out_;
    std::string fileName_;
    std::string file_;
    codec::DbHeader h_;
    std::unique_ptr<codec::CodePage> cp_;
    codec::MemoFile mb_;
    bool haveMb_ = false;
    std::set<std::string> keys_;
};

void Salvager::Run() {
    fileName_ = db_.filename().string();
    // No table this engine can read is larger: 65535 blocks of at most 32 KiB behind the header.
    file_ = ReadFile(db_, 0x10000 + std::uint64_t{UINT16_MAX} * 32 * 1024);
    h_ = ReadHeader(file_, fileName_);
    cp_ = std::make_unique<codec::CodePage>(h_.CodePage);
    for (const auto& f : h_.Fields)
        out_.Fields.push_back(f.Desc);
    out_.KeyFieldCount = h_.KeyFields;
    out_.LastAutoIncValue = h_.AutoInc;
    out_.Report.RowsCounted = codec::GetU32(codec::Bytes(file_) + 0x06);
    if (std::any_of(h_.Fields.begin(), h_.Fields.end(),
                    [](const auto& f) { return codec::IsMemoType(f.Code); }))
        LoadMemoFile();
    for (std::uint32_t b = 1; b <= h_.FileBlocks; ++b)
        ReadBlock(static_cast<std::uint16_t>(b));
    out_.Report.RowsKept = static_cast<std::int64_t>(out_.Rows.size());
}

void Salvager::LoadMemoFile() {
    const auto path = base::FindFile(db_.parent_path(), db_.stem().string() + ".MB");
    if (!path) return;
    try {
        // A short last block reads zero-padded, a damaged block loses only the texts in it.
        mb_.Load(ReadFile(*path, std::uint64_t{1} << 32), path->filename().string());
        haveMb_ = true;
    } catch (const Error&) {
        // Every memo keeps the text its record holds.
    }
}

void Salvager::ReadBlock(std::uint16_t block) {
    const std::uint64_t start = h_.HeaderSize + std::uint64_t{block - 1u} * h_.BlockSize();
    if (start + 6 > file_.size()) {
        ++out_.Report.BlocksDropped;
        return;
    }
    const auto* p = codec::Bytes(file_) + start;
    const auto add = static_cast<std::int16_t>(codec::GetU16(p + 4));
    int count = 0;
    if (add >= 0) {
        count = add / h_.RecordSize + 1;
        if (add % h_.RecordSize != 0 || count > h_.RecordsPerBlock()) {
            ++out_.Report.BlocksDropped;
            return;
        }
    }
    ++out_.Report.BlocksRead;
    for (int i = 0; i < count; ++i) {
        const std::uint64_t rec = start + 6 + std::uint64_t(i) * h_.RecordSize;
        if (rec + h_.RecordSize > file_.size()) {
            out_.Report.RowsDropped += count - i;
            return;
        }
        ReadRecord(codec::Bytes(file_) + rec);
    }
}

void Salvager::ReadRecord(const unsigned char* rec) {
    Row row;
    row.reserve(h_.Fields.size());
    for (const auto& f : h_.Fields) {
        const unsigned char* p = rec + f.Offset;
        Value v = codec::IsMemoType(f.Code) ? Memo(f, p) : codec::DecodeField(f, p, *cp_);
        if (!codec::IsMemoType(f.Code) && !ValidField(f, p, v)) {
            ++out_.Report.RowsDropped;
            return;
        }
        row.push_back(std::move(v));
    }
    if (h_.KeyFields > 0 &&
        !keys_.insert(std::string(reinterpret_cast<const char*>(rec), h_.IdentityBytes())).second) {
        ++out_.Report.DuplicateKeys;
        return;
    }
    for (std::size_t i = 0; i < row.size(); ++i)
        if (h_.Fields[i].Desc.Type == FieldType::AutoInc)
            out_.LastAutoIncValue = std::max(out_.LastAutoIncValue, row[i].AsInt());
    out_.Rows.push_back(std::move(row));
}

// The memo file's text when the record's pointer leads to it, otherwise what the record itself keeps.
Value Salvager::Memo(const codec::FieldLayout& f, const unsigned char* p) {
    const int leader = codec::MemoLeader(f);
    const std::uint32_t location = codec::GetU32(p + leader);
    const std::uint32_t length = codec::GetU32(p + leader + 4);
    if (location != 0 && haveMb_) {
        try {
            return codec::DecodeMemoText(
                f, mb_.Read(codec::MemoRef::Of(p, leader, f.Desc.Type == FieldType::Memo)), *cp_);
        } catch (const Error&) {
        }
    }
    if (location != 0 || length > static_cast<std::uint32_t>(leader)) ++out_.Report.MemosFromLeader;
    int n = 0;
    const int limit = static_cast<int>(std::min<std::uint32_t>(length, static_cast<std::uint32_t>(leader)));
    if (location == 0)
        n = limit;
    else
        while (n < leader && p[n] != 0)
            ++n;
    return codec::DecodeMemoText(f, std::string(reinterpret_cast<const char*>(p), std::size_t(n)), *cp_);
}

} // namespace

SalvagedTable SalvageTable(const fs::path& folder, const std::string& name) {
    const auto db = FindTableFile(folder, name);
    if (!db) ThrowMissing(TableFileName(name));
    SalvagedTable out;
    Salvager(*db, out).Run();
    return out;
}

} // namespace engine
