#include "engine/codec/IndexDefFile.h"

#include "base/FileIo.h"
#include "base/Files.h"
#include "base/Text.h"
#include "engine/codec/Bytes.h"
#include "engine/codec/DbHeader.h"
#include "engine/codec/StoredOrder.h"
#include "engine/Errors.h"

#include <algorithm>
#include <cstring>

namespace engine::codec {
namespace {

constexpr char Magic[8] = {'P', 'L', 'O', 'M', 'I', 'D', 'X', '1'};

// What a definition of ours usually takes, and more than any can take (two texts of at most 65,535 bytes and
// a few numbers): the order stored after it is not read with it.
constexpr std::size_t DefinitionRead = 4096;
constexpr std::size_t DefinitionLimit = std::size_t{256} << 10;

std::string ReadWhole(const std::filesystem::path& p, std::size_t limit = SIZE_MAX) {
    try {
        return base::ReadWholeFile(p, limit);
    } catch (const base::FileError&) {
        ThrowDamaged(p.filename().string());
    }
}

// The length of our definition that begins `b` (as far as `b` tells: beyond it when its texts run past).
std::size_t DefinitionBytes(const std::string& b) {
    const auto* p = Bytes(b);
    std::size_t pos = 14; // magic, role, ordinal and options
    for (int text = 0; text < 2; ++text) {
        if (pos + 2 > b.size()) return pos + 2;
        pos += 2 + GetU16(p + pos);
    }
    if (pos + 1 > b.size()) return pos + 1;
    return pos + 1 + 2 * std::size_t{p[pos]} + 8;
}

} // namespace

bool IsIndexFileExtension(const std::string& ext, char letter) {
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if (ext.size() < 4 || ext[0] != '.' || std::toupper(static_cast<unsigned char>(ext[1])) != letter)
        return false;
    if (std::toupper(static_cast<unsigned char>(ext[2])) == 'G')
        return std::all_of(ext.begin() + 3, ext.end(), hex);
    return ext.size() == 4 && hex(ext[2]) && hex(ext[3]);
}

std::vector<int> ResolveFieldList(const std::string& fieldsText, const std::vector<FieldLayout>& fields) {
    std::vector<int> out;
    std::size_t start = 0;
    while (start <= fieldsText.size()) {
        std::size_t end = fieldsText.find(';', start);
        if (end == std::string::npos) end = fieldsText.size();
        const std::string name = base::Trim(fieldsText.substr(start, end - start));
        int found = -1;
        for (std::size_t i = 0; i < fields.size() && found < 0; ++i)
            if (base::SameText(fields[i].Desc.Name, name)) found = static_cast<int>(i);
        if (found < 0) return {};
        out.push_back(found);
        start = end + 1;
    }
    return out;
}

std::string EncodeIndexDef(const SecondaryDef& def, char role) {
    std::string b(Magic, 8);
    b += role;
    auto u16 = [&](std::size_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>((v >> 8) & 0xFF);
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    u32(def.Ordinal);
    b += static_cast<char>((def.Desc.Unique ? 1 : 0) | (def.Desc.CaseInsensitive ? 2 : 0) |
                           (def.Desc.Descending ? 4 : 0));
    u16(def.Desc.Name.size());
    b += def.Desc.Name;
    u16(def.Desc.FieldsText.size());
    b += def.Desc.FieldsText;
    b += static_cast<char>(def.FieldNumbers.size());
    for (int n : def.FieldNumbers)
        u16(static_cast<std::size_t>(n));
    const std::uint64_t sum = Checksum(Bytes(b), b.size());
    u32(static_cast<std::uint32_t>(sum));
    u32(static_cast<std::uint32_t>(sum >> 32));
    return b;
}

SecondaryDef ReadIndexDef(const std::filesystem::path& xFile, const std::vector<FieldLayout>& tableFields,
                          int tableKeyFields) {
    const std::string fileName = xFile.filename().string();
    std::string b = ReadWhole(xFile, DefinitionRead);
    SecondaryDef def;
    def.XFile = fileName;
    if (b.size() >= 8 && std::memcmp(b.data(), Magic, 8) == 0) {
        if (b.size() == DefinitionRead && DefinitionRead < DefinitionBytes(b))
            b = ReadWhole(xFile, DefinitionLimit);
        const auto* p = Bytes(b);
        std::size_t pos = 9;
        auto need = [&](std::size_t n) {
            if (pos + n > b.size()) ThrowDamaged(fileName);
        };
        need(4 + 1 + 2);
        def.Ordinal = GetU32(p + pos);
        const int flags = p[pos + 4];
        pos += 5;
        const std::size_t nameLen = GetU16(p + pos);
        pos += 2;
        need(nameLen + 2);
        def.Desc.Name = b.substr(pos, nameLen);
        pos += nameLen;
        const std::size_t textLen = GetU16(p + pos);
        pos += 2;
        need(textLen + 1);
        def.Desc.FieldsText = b.substr(pos, textLen);
        pos += textLen;
        const int n = p[pos++];
        need(2 * static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i, pos += 2)
            def.FieldNumbers.push_back(GetU16(p + pos));
        need(8);
        const std::uint64_t sum = GetU64(p + pos);
        const std::string_view rest = std::string_view(b).substr(pos + 8);
        if (sum != Checksum(p, pos) || n == 0 || (!rest.empty() && !IsStoredOrder(rest)))
            ThrowDamaged(fileName);
        def.Desc.Unique = flags & 1;
        def.Desc.CaseInsensitive = flags & 2;
        def.Desc.Descending = flags & 4;
    } else {
        // A Paradox secondary index: a keyed table whose leading fields are the indexed ones.
        if (b.size() == DefinitionRead) b = ReadWhole(xFile);
        const DbHeader h = ParseDbHeader(b, b.size(), fileName);
        if (h.FileType != 3 && h.FileType != 5 && h.FileType != 6 && h.FileType != 8) ThrowDamaged(fileName);
        const int extra = tableKeyFields > 0 ? tableKeyFields + 1 : 3;
        const int m = static_cast<int>(h.Fields.size()) - extra;
        if (m < 1) ThrowDamaged(fileName);
        std::string text;
        for (int i = 0; i < m; ++i) {
            const int number = (h.FieldNumbers[i] & 0x7FFF) - 1;
            if (number < 0 || number >= static_cast<int>(tableFields.size())) ThrowDamaged(fileName);
            if (h.FieldNumbers[i] & 0x8000) def.Desc.Descending = true;
            def.FieldNumbers.push_back(number);
            if (i > 0) text += ";";
            text += tableFields[number].Desc.Name;
        }
        def.Desc.FieldsText = text;
        const bool composite = h.FileType == 6 || h.FileType == 8;
        def.Desc.Name = composite ? h.IndexName : tableFields[def.FieldNumbers[0]].Desc.Name;
        def.Foreign = true;
        def.Ordinal = 0xFFFFFFFFu;
    }
    for (int n : def.FieldNumbers)
        if (n < 0 || n >= static_cast<int>(tableFields.size())) ThrowDamaged(fileName);
    return def;
}

std::vector<SecondaryDef> ReadIndexDefs(const std::filesystem::path& dbFile,
                                        const std::vector<FieldLayout>& tableFields, int tableKeyFields,
                                        std::vector<DamagedIndexFile>* damaged) {
    std::vector<SecondaryDef> defs;
    const std::string stem = dbFile.stem().string();
    for (const auto& x : base::FilesMatching(dbFile.parent_path(), stem + ".X*")) {
        if (!base::SameText(x.stem().string(), stem) || !IsIndexFileExtension(x.extension().string(), 'X'))
            continue;
        std::string ext = x.extension().string();
        ext[1] = ext[1] == 'x' ? 'y' : 'Y';
        const auto y = base::FindFile(dbFile.parent_path(), stem + ext);
        const std::string yName = y ? y->filename().string() : std::string();
        SecondaryDef def;
        try {
            def = ReadIndexDef(x, tableFields, tableKeyFields);
        } catch (const DamagedFile&) {
            if (!damaged) throw;
            std::optional<SecondaryDef> twin;
            try {
                if (y) twin = ReadIndexDef(*y, tableFields, tableKeyFields);
            } catch (const DamagedFile&) {
            }
            if (!twin || twin->Foreign) {
                damaged->push_back({x.filename().string(), yName});
                continue;
            }
            def = std::move(*twin);
            def.XFile = x.filename().string();
            def.Rebuilt = true;
        }
        def.YFile = yName;
        defs.push_back(std::move(def));
    }
    std::stable_sort(defs.begin(), defs.end(),
                     [](const SecondaryDef& a, const SecondaryDef& b) { return a.Ordinal < b.Ordinal; });
    return defs;
}

} // namespace engine::codec
