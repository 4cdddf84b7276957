#include "app/archive/ZipVerify.h"

#include "base/Exceptions.h"

#include <zip.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <vector>

namespace app {

namespace {

[[noreturn]] void Damaged(const std::string& file, const std::string& why) {
    throw base::Exception("Arhiva " + file + " nije ispravna: " + why);
}

void ReadEntryThrough(zip_t* za, zip_uint64_t index, const std::string& file) {
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> entry(zip_fopen_index(za, index, 0), &zip_fclose);
    if (!entry) Damaged(file, zip_error_strerror(zip_get_error(za)));
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const zip_int64_t n = zip_fread(entry.get(), buffer.data(), buffer.size());
        if (n < 0) Damaged(file, zip_error_strerror(zip_file_get_error(entry.get())));
        if (n == 0) break;
    }
}

} // namespace

std::int64_t VerifyZipFile(const std::string& file, const std::string& password) {
    int code = 0;
    std::unique_ptr<zip_t, decltype(&zip_discard)> za(
        zip_open(file.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code), &zip_discard);
    if (!za) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        Damaged(file, why);
    }
    if (!password.empty()) zip_set_default_password(za.get(), password.c_str());
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i)
        ReadEntryThrough(za.get(), zip_uint64_t(i), file);
    return count;
}

bool SameFileContents(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    if (!fa || !fb) return false;
    std::vector<char> ba(64 * 1024), bb(64 * 1024);
    for (;;) {
        fa.read(ba.data(), std::streamsize(ba.size()));
        fb.read(bb.data(), std::streamsize(bb.size()));
        if (fa.gcount() != fb.gcount()) return false;
        if (!std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin())) return false;
        if (fa.gcount() == 0 || !fa || !fb) return fa.eof() && fb.eof() && fa.gcount() == fb.gcount();
    }
}

} // namespace app
