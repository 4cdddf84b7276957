#include "tests/app/archive/ZipTestFiles.h"

#include "base/Files.h"

#include <zip.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <zlib.h>

namespace testsupport {

std::map<std::string, std::string> ZipEntries(const std::filesystem::path& zip, const std::string& password) {
    int code = 0;
    std::unique_ptr<zip_t, decltype(&zip_discard)> za(
        zip_open(zip.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code), &zip_discard);
    if (!za) throw std::runtime_error("cannot open " + zip.string());
    if (!password.empty()) zip_set_default_password(za.get(), password.c_str());
    std::map<std::string, std::string> entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(za.get(), 0); ++i) {
        zip_stat_t st;
        zip_stat_index(za.get(), zip_uint64_t(i), 0, &st);
        std::unique_ptr<zip_file_t, decltype(&zip_fclose)> f(zip_fopen_index(za.get(), zip_uint64_t(i), 0),
                                                             &zip_fclose);
        if (!f) throw std::runtime_error(std::string("cannot open entry ") + st.name);
        std::string data(st.size, '\0');
        if (zip_fread(f.get(), data.data(), data.size()) != zip_int64_t(data.size()))
            throw std::runtime_error(std::string("cannot read entry ") + st.name);
        char extra;
        if (zip_fread(f.get(), &extra, 1) != 0) throw std::runtime_error(std::string("bad entry ") + st.name);
        entries[st.name] = data;
    }
    return entries;
}

void WriteZip(const std::filesystem::path& zip, const std::map<std::string, std::string>& entries) {
    int code = 0;
    zip_t* za = zip_open(zip.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!za) throw std::runtime_error("cannot create " + zip.string());
    for (const auto& [name, data] : entries) {
        zip_source_t* s = zip_source_buffer(za, data.data(), data.size(), 0);
        if (zip_file_add(za, name.c_str(), s, ZIP_FL_ENC_UTF_8) < 0) throw std::runtime_error("cannot add");
    }
    if (zip_close(za) != 0) throw std::runtime_error("cannot write " + zip.string());
}

namespace {
void PutWord(std::string& s, unsigned v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
void PutLong(std::string& s, unsigned long v) {
    PutWord(s, unsigned(v & 0xFFFF));
    PutWord(s, unsigned(v >> 16));
}
} // namespace

std::string LocalEntry(const std::string& name, const std::string& data, unsigned flags) {
    std::string s = "PK\x03\x04";
    PutWord(s, 10);
    PutWord(s, flags);
    PutWord(s, 0);      // stored
    PutWord(s, 0);      // time
    PutWord(s, 0x5C68); // date: 8.3.2026
    PutLong(s, crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
    PutLong(s, data.size());
    PutLong(s, data.size());
    PutWord(s, unsigned(name.size()));
    PutWord(s, 0);
    return s + name + data;
}

void WriteFileAt(const std::filesystem::path& file, const std::string& bytes, long long seconds) {
    std::filesystem::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    base::SetFileTime(file, seconds * 1'000'000'000LL);
}

} // namespace testsupport
