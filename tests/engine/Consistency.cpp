#include "Consistency.h"

#include "base/Files.h"
#include "engine/codec/Bytes.h"
#include "engine/codec/DbHeader.h"
#include "engine/Engine.h"
#include "tests/support/TempFolder.h"

#include <cstring>
#include <functional>
#include <vector>

namespace enginetest {

using namespace engine;
using namespace engine::codec;

std::string CheckConsistency(const std::filesystem::path& folder, const std::string& table) {
    // Opening replays a write that a kill interrupted; then the files themselves must agree.
    try {
        auto t = Table::Open(folder, table, OpenMode::Shared);
        auto c = t->OpenCursor();
        std::int64_t n = 0;
        for (c->First(); c->OnRow(); c->Next()) {
            c->Read();
            ++n;
        }
        if (n != t->RecordCount()) return "cursor walk count";
    } catch (const std::exception& e) {
        return std::string("open: ") + e.what();
    }
    const std::string db = testsupport::ReadFile(folder / table);
    DbHeader h;
    try {
        h = ParseDbHeader(db, db.size(), table);
    } catch (const std::exception& e) {
        return std::string("header: ") + e.what();
    }
    const std::size_t bs = h.BlockSize();
    if (db.size() != h.HeaderSize + h.FileBlocks * bs) return "file size does not match the block count";
    int keyBytes = 0;
    for (int i = 0; i < h.KeyFields; ++i)
        keyBytes += h.Fields[i].Bytes;
    struct Block {
        int Number;
        int Count;
        std::string FirstKey;
    };
    std::vector<Block> chain;
    std::vector<bool> seen(h.FileBlocks + 1u);
    std::string prevKey;
    std::uint32_t total = 0;
    int prev = 0;
    for (int b = h.FirstBlock; b != 0;) {
        if (b > h.FileBlocks || seen[b]) return "bad chain";
        seen[b] = true;
        const auto* p = Bytes(db) + h.HeaderSize + (b - 1) * bs;
        if (GetU16(p + 2) != prev) return "bad prev link in block " + std::to_string(b);
        const auto add = static_cast<std::int16_t>(GetU16(p + 4));
        if (add < 0) return "empty block in chain";
        const int count = add / h.RecordSize + 1;
        for (int i = 0; i < count; ++i) {
            const std::string key(reinterpret_cast<const char*>(p + 6 + i * h.RecordSize), keyBytes);
            if (h.KeyFields > 0 && !chain.empty() + i > 0 && key <= prevKey) return "keys out of order";
            prevKey = key;
        }
        // Bytes after the last record are zero.
        for (std::size_t k = 6 + count * h.RecordSize; k < bs; ++k)
            if (p[k] != 0) return "garbage after the records of block " + std::to_string(b);
        chain.push_back({b, count, std::string(reinterpret_cast<const char*>(p + 6), keyBytes)});
        total += count;
        prev = b;
        b = GetU16(p);
    }
    if (total != h.NumRecords) return "record count differs from the blocks";
    if (chain.size() != h.FileBlocks) return "blocks outside the chain";
    if (!chain.empty() && h.LastBlock != chain.back().Number) return "wrong last block";

    if (h.KeyFields > 0) {
        const auto pxFile = base::FindFile(folder, std::filesystem::path(table).stem().string() + ".PX");
        if (!pxFile) return "no .PX";
        const std::string px = testsupport::ReadFile(*pxFile);
        if (px.size() < 0x800) return "short .PX";
        const auto* ph = Bytes(px);
        const int entry = GetU16(ph);
        if (entry != keyBytes + 6) return ".PX entry size";
        const int levels = ph[0x20];
        const int blocks = GetU16(ph + 0x0C);
        const int root = GetU16(ph + 0x1E);
        const std::size_t pxBlock = std::size_t{ph[0x05]} * 1024;
        if (pxBlock < 2048 || px.size() != 0x800u + blocks * pxBlock) return ".PX size";
        if (chain.empty()) return levels == 0 ? "" : ".PX levels of an empty table";
        if (root < 1 || root > blocks) return ".PX root";
        // Other readers walk the block chain from its first block, which they take for the root.
        if (GetU16(ph + 0x0E) != root) return ".PX chain does not start at the root";
        {
            int seen = 0;
            for (int b = root, before = 0; b != 0; before = b, b = GetU16(ph + 0x800 + (b - 1) * pxBlock)) {
                if (b < 1 || b > blocks || ++seen > blocks) return ".PX chain broken";
                if (GetU16(ph + 0x800 + (b - 1) * pxBlock + 2) != before) return ".PX chain's back link";
                if (GetU16(ph + 0x800 + (b - 1) * pxBlock) == 0 && GetU16(ph + 0x10) != b)
                    return ".PX last block";
            }
            if (seen != blocks) return ".PX blocks outside its chain";
        }
        // Walk down from the root: every entry holds its child's first key and the records under it; the
        // level-1 entries, in order, are the .DB blocks of the chain.
        std::size_t k = 0;
        std::string problem;
        std::function<std::int64_t(int, int, const unsigned char*)> walk =
            [&](int block, int level, const unsigned char* firstKey) {
                if (block < 1 || block > blocks || !problem.empty()) {
                    problem = ".PX block out of range";
                    return std::int64_t{0};
                }
                const auto* p = ph + 0x800 + (block - 1) * pxBlock;
                // One entry of each block stays free, as real files leave it.
                if (static_cast<std::int16_t>(GetU16(p + 4)) / entry + 1 >=
                    static_cast<int>((pxBlock - 6) / entry))
                    problem = ".PX block filled to the last entry";
                const auto add = static_cast<std::int16_t>(GetU16(p + 4));
                const int count = add < 0 ? 0 : add / entry + 1;
                std::int64_t sum = 0;
                for (int i = 0; i < count; ++i) {
                    const auto* e = p + 6 + i * entry;
                    if (i == 0 && firstKey != nullptr && std::memcmp(e, firstKey, keyBytes) != 0)
                        problem = ".PX key differs from its child";
                    const std::int64_t child = DecodeInt(e + keyBytes, 2);
                    const std::int64_t records = DecodeInt(e + keyBytes + 2, 2);
                    if (level == 1) {
                        if (k >= chain.size()) {
                            problem = ".PX has more blocks than the chain";
                            return sum;
                        }
                        if (std::memcmp(e, chain[k].FirstKey.data(), keyBytes) != 0)
                            problem = ".PX key differs";
                        if (child != chain[k].Number) problem = ".PX block number differs";
                        if (records != chain[k].Count) problem = ".PX count differs";
                        ++k;
                    } else if (walk(static_cast<int>(child), level - 1, e) != records) {
                        problem = ".PX sum differs";
                    }
                    sum += records;
                }
                return sum;
            };
        walk(root, levels, nullptr);
        if (!problem.empty()) return problem;
    }
    return "";
}

} // namespace enginetest
