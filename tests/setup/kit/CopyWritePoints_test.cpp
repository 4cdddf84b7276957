// The setup's copies of a file over an older one, failed at each of their writes and syncs: the older file
// stays as it was, or the new one is there whole, and no temporary is left beside it.
#include "base/FileSystem.h"
#include "setup/kit/DrvnCompress.h"
#include "tests/setup/kit/KitTestEnv.h"
#include "tests/support/FaultFileSystem.h"

#include <cerrno>
#include <fstream>
#include <functional>

using namespace setup;
namespace fs = std::filesystem;

namespace {

std::string Content(std::size_t n, char seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(seed + static_cast<char>(i * 13 % 61));
    return s;
}

void Put(const std::string& file, const std::string& bytes) {
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

class CopyWritePoints : public setuptest::KitTest {
protected:
    // Runs `copy` with write N (then sync N) failing, for every N the copy has; after each, `target`
    // holds the old bytes when the copy reported the failure (the new ones only when what failed came
    // after they were in place), and the new ones whole when it went on.
    void EveryPoint(const std::function<void()>& copy, const std::string& target, const std::string& fresh) {
        const std::string old = "the file as it was before";
        int reported = 0;
        for (const bool syncs : {false, true}) {
            for (int n = 1;; ++n) {
                SCOPED_TRACE((syncs ? "sync " : "write ") + std::to_string(n));
                Put(target, old);
                testsupport::FaultFileSystem faults;
                if (syncs)
                    faults.FailSync(n, EIO);
                else
                    faults.FailWrite(n, ENOSPC);
                bool threw = false;
                {
                    base::ScopedFileSystem scope(faults);
                    try {
                        copy();
                    } catch (const std::exception&) {
                        threw = true;
                    }
                }
                const std::string now = testsupport::ReadFile(target);
                if (!faults.Failed()) {
                    EXPECT_FALSE(threw);
                    EXPECT_TRUE(now == fresh) << "the copy did not go through whole";
                    if (!syncs) {
                        ASSERT_GT(n, 1) << "the copy wrote nothing through the file layer";
                    }
                    break;
                }
                // A failure the copy got over (a full disk it tried again) still leaves the whole file.
                if (!threw)
                    EXPECT_TRUE(now == fresh) << "a failed copy was reported as done";
                else if (++reported, faults.FailedOnFolder())
                    EXPECT_TRUE(now == old || now == fresh);
                else
                    EXPECT_TRUE(now == old) << "the old file was not kept";
                std::size_t files = 0;
                for ([[maybe_unused]] const auto& e : fs::directory_iterator(fs::path(target).parent_path()))
                    ++files;
                EXPECT_EQ(files, 1u) << "a temporary was left beside the file";
                ASSERT_LT(n, 100);
            }
        }
        EXPECT_GT(reported, 0) << "no failure was ever reported";
    }
};

} // namespace

TEST_F(CopyWritePoints, AnExtractedFileReplacesTheOldOneWholeOrNotAtAll) {
    const std::string fresh = Content(150000, 'a');
    Put(Path("src/PLOM.INI"), fresh);
    TDrvnCompress zip;
    zip.SetCompressedFile(Path("files.1"));
    zip.SetFilesToProcess({Path("src/PLOM.INI")});
    zip.Compress(lzcOverwrite);
    EveryPoint(
        [&] {
            TDrvnCompress unzip;
            unzip.SetCompressedFile(Path("files.1"));
            unzip.ExtractDirectory = Path("out");
            unzip.Overwrite = owAlways;
            unzip.SetFilesToProcess({Path("src/PLOM.INI")});
            unzip.Extract();
        },
        Path("out/PLOM.INI"), fresh);
}

TEST_F(CopyWritePoints, ACopiedFileReplacesTheOldOneWholeOrNotAtAll) {
    const std::string fresh = Content(70000, 'k');
    Put(Path("src/plom"), fresh);
    EveryPoint(
        [&] {
            TDrvnCompress zip;
            zip.Overwrite = owAlways;
            zip.CopySingleFile(Path("src/plom"), Path("dst/plom"));
        },
        Path("dst/plom"), fresh);
}
