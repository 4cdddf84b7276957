#pragma once
// Secondary index files. Ours hold the index definition (name, field-list text, options, field numbers and
// the order in which indexes were added); a large table's .Y may hold its rows' order after it
// (StoredOrder.h). Files written by Paradox are read for their definition too.

#include "engine/codec/FieldCodec.h"
#include "engine/Engine.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace engine::codec {

struct SecondaryDef {
    IndexDesc Desc;
    std::vector<int> FieldNumbers; // 0-based field numbers of the table
    std::string XFile;             // file names on disk
    std::string YFile;
    std::uint32_t Ordinal = 0;
    bool Foreign = false;
    bool Rebuilt = false; // the .X file was damaged: the definition came from elsewhere, the files are stale
};

// An .X file that gives no definition, and its .Y twin ("" when there is none).
struct DamagedIndexFile {
    std::string XFile;
    std::string YFile;
};

std::string EncodeIndexDef(const SecondaryDef& def, char role);
// The definition in an .X file; DamagedFile naming the file when it is neither ours nor a Paradox index.
SecondaryDef ReadIndexDef(const std::filesystem::path& xFile, const std::vector<FieldLayout>& tableFields,
                          int tableKeyFields);
// Every secondary index beside the .DB, ours in the order they were added, then foreign ones by file name.
// Without `damaged`, DamagedFile for a damaged .X file. With it, a damaged .X of ours is read from its .Y
// twin (both hold the definition) and one that neither gives is listed there instead.
std::vector<SecondaryDef> ReadIndexDefs(const std::filesystem::path& dbFile,
                                        const std::vector<FieldLayout>& tableFields, int tableKeyFields,
                                        std::vector<DamagedIndexFile>* damaged = nullptr);

// ".Xnn" (two hex digits) or ".XGn" (hex digits), with `letter` X or Y, in any case.
bool IsIndexFileExtension(const std::string& ext, char letter);

// Splits a ";"-separated field list into the table's field numbers; empty when a name is not a field.
std::vector<int> ResolveFieldList(const std::string& fieldsText, const std::vector<FieldLayout>& fields);

} // namespace engine::codec
