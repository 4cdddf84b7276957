// TZipMaster::ReadZipDirectory: the entries of an archive, read from its local file headers in file order.

#include "app/archive/ZipMaster.h"

#include "base/Exceptions.h"
#include "base/SingleByteCodePage.h"
#include "base/Text.h"
#include "base/Utf8.h"

#include <filesystem>
#include <fstream>

namespace app {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t LocalHeaderSignature = 0x04034B50;
constexpr std::uint32_t CentralHeaderSignature = 0x02014B50;
constexpr std::uint32_t EndOfCentralSignature = 0x06054B50;
constexpr std::uint32_t DataDescriptorSignature = 0x08074B50;
constexpr std::size_t LocalHeaderSize = 26;
constexpr std::uint64_t EndOfCentralSize = 22;
// A self-extractor's stub comes first; its archive is searched from here.
constexpr std::uint64_t SelfExtractorStart = 14000;
// How far the search for the first header goes.
constexpr std::uint64_t SearchLimit = 60000;
constexpr std::uint16_t DataDescriptorFlag = 0x0008;
constexpr std::uint16_t Utf8NameFlag = 0x0800;

// Code page 437 from 0x80 on: names of entries written without the UTF-8 flag.
constexpr base::HighHalf Cp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

std::string EntryName(const std::string& raw, std::uint16_t flag) {
    if ((flag & Utf8NameFlag) || base::IsValidUtf8(raw)) return raw;
    return base::SingleByteToUtf8(raw, Cp437High);
}

std::uint16_t Word(const unsigned char* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}
std::uint32_t Long(const unsigned char* p) {
    return std::uint32_t(Word(p)) | std::uint32_t(Word(p + 2)) << 16;
}

class DirectoryReader {
public:
    DirectoryReader(const std::string& fileName, std::vector<ZipDirEntry>& entries)
        : in_(fs::path(fileName), std::ios::binary), entries_(entries) {
        std::error_code ec;
        size_ = fs::file_size(fileName, ec);
        if (!in_ || ec) throw base::Exception("Cannot open file " + fileName);
        if (base::UpperCase(fs::path(fileName).extension().string()) == ".EXE") in_.seekg(SelfExtractorStart);
    }

    void Read() {
        bool inStep = false;
        for (;;) {
            std::uint32_t signature = LocalHeaderSignature;
            if (!inStep) {
                if (!FindSignature()) return ZipShowMessage("No valid zip entries found");
                inStep = true;
            } else {
                unsigned char bytes[4];
                if (!ReadBytes(bytes, 4)) throw base::Exception("Error reading Zip File");
                signature = Long(bytes);
            }
            if (signature == CentralHeaderSignature || signature == EndOfCentralSignature) return;
            if (signature == LocalHeaderSignature) inStep = ReadEntry();
        }
    }

private:
    bool ReadBytes(void* to, std::size_t count) {
        in_.read(static_cast<char*>(to), std::streamsize(count));
        return std::size_t(in_.gcount()) == count;
    }

    // Looks for "PK" 3 4 among the next bytes, up to the search limit.
    bool FindSignature() {
        static constexpr unsigned char Wanted[4] = {'P', 'K', 3, 4};
        int matched = 0;
        in_.clear();
        while (searched_ < SearchLimit) {
            const int c = in_.get();
            if (c == EOF) return false;
            ++searched_;
            if (c == Wanted[matched])
                ++matched;
            else
                matched = c == 'P' ? 1 : 0;
            if (matched == 4) return true;
        }
        return false;
    }

    // One local header and its name; answers false to go back to searching.
    bool ReadEntry() {
        unsigned char h[LocalHeaderSize];
        ZipDirEntry e;
        if (ReadBytes(h, LocalHeaderSize)) {
            e = ZipDirEntry{Word(h),      Word(h + 2),  Word(h + 4),  Word(h + 6),  Word(h + 8), Long(h + 10),
                            Long(h + 14), Long(h + 18), Word(h + 22), Word(h + 24), {}};
            std::string raw(e.FileNameLength, '\0');
            if (ReadBytes(raw.data(), raw.size())) {
                e.FileName = EntryName(raw, e.Flag);
                return Append(std::move(e));
            }
        }
        if (!entries_.empty()) throw base::Exception("Error 2 reading Zip file");
        return false;
    }

    // Skips the entry's extra field and data; an entry that overruns the file is damage.
    bool Append(ZipDirEntry e) {
        // A writer that streams leaves the sizes out of the header: such an entry cannot be walked over.
        const bool descriptor = (e.Flag & DataDescriptorFlag) != 0;
        if (descriptor && e.CompressedSize == 0 && e.CRC32 == 0)
            throw base::Exception("Error 3 reading Zip file");
        const auto position = std::uint64_t(in_.tellg());
        const std::uint64_t end = position + e.ExtraFieldLength + e.CompressedSize;
        if (size_ < EndOfCentralSize || end > size_ - EndOfCentralSize) {
            if (entries_.empty()) return false;
            throw base::Exception("Error 3 reading Zip file");
        }
        if (!in_.seekg(std::streamoff(position + e.ExtraFieldLength)))
            throw base::Exception("Error 4 reading Zip file");
        if (!in_.seekg(std::streamoff(end))) throw base::Exception("Error 5 reading Zip file");
        if (descriptor) SkipDataDescriptor();
        entries_.push_back(std::move(e));
        return true;
    }

    // CRC and sizes repeated after the data, with or without their own signature.
    void SkipDataDescriptor() {
        const auto position = std::uint64_t(in_.tellg());
        unsigned char bytes[4];
        if (!ReadBytes(bytes, 4)) throw base::Exception("Error 5 reading Zip file");
        const std::uint64_t length = Long(bytes) == DataDescriptorSignature ? 16 : 12;
        if (!in_.seekg(std::streamoff(position + length))) throw base::Exception("Error 5 reading Zip file");
    }

    std::ifstream in_;
    std::uint64_t size_ = 0;
    std::uint64_t searched_ = 0;
    std::vector<ZipDirEntry>& entries_;
};

} // namespace

void TZipMaster::ReadZipDirectory() {
    zipContents_.clear();
    std::error_code ec;
    if (!zipFilename_.empty() && fs::is_regular_file(zipFilename_, ec)) {
        try {
            DirectoryReader(zipFilename_, zipContents_).Read();
        } catch (...) {
            if (OnDirUpdate) OnDirUpdate(*this);
            throw;
        }
    }
    if (OnDirUpdate) OnDirUpdate(*this);
}

} // namespace app
