// A page printer printing to a text file replaces the file only with a whole document: a write or sync that
// fails at any point keeps the file that was there, and the failure is told.
#include "PrintTesting.h"

#include "base/Exceptions.h"
#include "base/FileSystem.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/TempFolder.h"

#include <cerrno>
#include <fstream>

namespace {

class PageFileOutput : public printtest::PrinterFixture {
protected:
    // A document of three pages; the first failure it meets, if any, as its text.
    std::string PrintDocument() {
        std::string error;
        try {
            Prn().BeginDoc();
            for (int page = 0; page < 3; ++page) {
                if (page > 0) Prn().NewPage();
                for (int line = 0; line < 20; ++line)
                    Prn().WriteLine("stavka " + std::to_string(page) + "." + std::to_string(line) + " čaša");
            }
            Prn().EndDoc();
        } catch (const base::Exception& e) {
            error = e.what();
            // The document is ended as a caller's guard would end it.
            if (Prn().Printing()) Prn().EndDoc();
        }
        return error;
    }

    testsupport::TempFolder folder;
};

TEST_F(PageFileOutput, AFailedWriteKeepsTheFileThatWasThere) {
    const std::string file = (folder / "ispis.txt").string();
    Prn().SetPrintToFile(true);
    Prn().SetFileName(file);
    ASSERT_EQ(PrintDocument(), "");
    const std::string whole = folder.Read("ispis.txt");
    ASSERT_NE(whole.find("stavka 2.19 \xE8"
                         "a\x9A"
                         "a"),
              std::string::npos);

    const std::string old = "the list printed yesterday";
    for (const bool syncs : {false, true}) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE((syncs ? "sync " : "write ") + std::to_string(n));
            folder.Write("ispis.txt", old);
            testsupport::FaultFileSystem faults;
            if (syncs)
                faults.FailSync(n, EIO);
            else
                faults.FailWrite(n, ENOSPC);
            std::string error;
            {
                base::ScopedFileSystem scope(faults);
                error = PrintDocument();
            }
            EXPECT_FALSE(Prn().Printing());
            if (!faults.Failed()) {
                EXPECT_EQ(error, "");
                EXPECT_EQ(folder.Read("ispis.txt"), whole);
                ASSERT_GT(n, 1);
                break;
            }
            EXPECT_TRUE(error == "Datoteka " + file + " se ne može zapisati" ||
                        error == "Datoteka " + file + " se ne može otvoriti za pisanje")
                << error;
            EXPECT_EQ(folder.Read("ispis.txt"), faults.FailedOnFolder() ? whole : old);
            std::size_t files = 0;
            for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.Path()))
                ++files;
            EXPECT_EQ(files, 1u) << "a temporary was left beside the file";
            ASSERT_LT(n, 200);
        }
    }
}

} // namespace
