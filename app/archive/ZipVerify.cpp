#include "app/archive/ZipVerify.h"

#include "base/Exceptions.h"
#include "base/FileIo.h"

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

std::string TextOf(zip_error_t* error) {
    return ZipErrorText(zip_error_code_zip(error), zip_error_code_system(error));
}

void ReadEntryThrough(zip_t* za, zip_uint64_t index, const std::string& file) {
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> entry(zip_fopen_index(za, index, 0), &zip_fclose);
    if (!entry) Damaged(file, TextOf(zip_get_error(za)));
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const zip_int64_t n = zip_fread(entry.get(), buffer.data(), buffer.size());
        if (n < 0) Damaged(file, TextOf(zip_file_get_error(entry.get())));
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
        const std::string why = TextOf(&error);
        zip_error_fini(&error);
        Damaged(file, why);
    }
    if (!password.empty()) zip_set_default_password(za.get(), password.c_str());
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i)
        ReadEntryThrough(za.get(), zip_uint64_t(i), file);
    return count;
}

std::string ZipOpenProblem(const std::string& file) {
    int code = 0;
    zip_t* za = zip_open(file.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (za) {
        zip_discard(za);
        return {};
    }
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string why = TextOf(&error);
    zip_error_fini(&error);
    return why;
}

std::string ZipErrorText(int zipError, int systemError) {
    const std::string system = systemError != 0 ? ": " + base::ErrnoText(systemError) : std::string();
    switch (zipError) {
    case ZIP_ER_OK:
        return "nema greške";
    case ZIP_ER_NOZIP:
        return "nije zip arhiva";
    case ZIP_ER_INCONS:
        return "sadržaj arhive nije dosljedan";
    case ZIP_ER_CRC:
        return "kontrolni zbroj (CRC) ne odgovara";
    case ZIP_ER_EOF:
        return "arhiva završava prerano";
    case ZIP_ER_NOENT:
        return "datoteka ne postoji";
    case ZIP_ER_OPEN:
        return "ne može se otvoriti" + system;
    case ZIP_ER_READ:
        return "greška čitanja" + system;
    case ZIP_ER_WRITE:
        return "greška pisanja" + system;
    case ZIP_ER_SEEK:
        return "greška pozicioniranja" + system;
    case ZIP_ER_CLOSE:
        return "greška zatvaranja" + system;
    case ZIP_ER_RENAME:
        return "ne može se preimenovati" + system;
    case ZIP_ER_TMPOPEN:
        return "privremena datoteka se ne može napraviti" + system;
    case ZIP_ER_REMOVE:
        return "ne može se obrisati" + system;
    case ZIP_ER_MEMORY:
        return "nema dovoljno memorije";
    case ZIP_ER_ZLIB:
        return "sažeti podaci su oštećeni";
    case ZIP_ER_COMPNOTSUPP:
        return "način sažimanja nije podržan";
    case ZIP_ER_ENCRNOTSUPP:
        return "način šifriranja nije podržan";
    case ZIP_ER_NOPASSWD:
        return "potrebna je lozinka";
    case ZIP_ER_WRONGPASSWD:
        return "kriva lozinka";
    case ZIP_ER_RDONLY:
        return "arhiva je samo za čitanje";
    case ZIP_ER_CANCELLED:
        return "prekinuto";
    default:
        return "greška zip biblioteke " + std::to_string(zipError) + system;
    }
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
