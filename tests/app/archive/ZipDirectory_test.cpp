#include "app/archive/ZipMaster.h"

#include "base/Exceptions.h"
#include "tests/app/archive/ZipTestFiles.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <zlib.h>

namespace {

using namespace app;
using testing::ElementsAre;
using testsupport::LocalEntry;

class ZipDirectoryTest : public testing::Test {
protected:
    void SetUp() override {
        SetZipShowMessage([this](const std::string& text) { messages.push_back(text); });
        zip.OnDirUpdate = [this](TZipMaster&) { ++dirUpdates; };
    }
    void TearDown() override { SetZipShowMessage(nullptr); }
    // Names the file, which lists its entries.
    void Open(const std::string& name, const std::string& bytes) {
        folder.Write(name, bytes);
        zip.SetZipFilename((folder / name).string());
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : zip.ZipContents())
            names.push_back(e.FileName);
        return names;
    }
    std::string ErrorOpening(const std::string& name, const std::string& bytes) {
        try {
            Open(name, bytes);
        } catch (const base::Exception& e) {
            return e.Message();
        }
        return "no error";
    }
    static std::string Padding(std::size_t n) { return std::string(n, 'x'); }
    static std::string EndRecord() { return "PK\x05\x06" + std::string(18, '\0'); }

    testsupport::TempFolder folder;
    TZipMaster zip;
    std::vector<std::string> messages;
    int dirUpdates = 0;
};

TEST_F(ZipDirectoryTest, ListsTheLocalHeadersOfAnArchive) {
    testsupport::WriteZip(folder / "a.zip",
                          {{"QK.INI", "[Link]"}, {"global/ROBA.DB", std::string(5000, 'r')}});
    zip.SetZipFilename((folder / "a.zip").string());
    ASSERT_THAT(Names(), ElementsAre("QK.INI", "global/ROBA.DB"));
    const ZipDirEntry& roba = zip.ZipContents()[1];
    EXPECT_EQ(roba.UncompressedSize, 5000u);
    EXPECT_LT(roba.CompressedSize, 5000u);
    EXPECT_EQ(roba.CompressionMethod, 8);
    const std::string data(5000, 'r');
    EXPECT_EQ(roba.CRC32, crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
    EXPECT_EQ(roba.FileNameLength, 14);
    EXPECT_EQ(dirUpdates, 1);
    EXPECT_THAT(messages, ElementsAre());
}

TEST_F(ZipDirectoryTest, NoFileMeansNoEntries) {
    Open("a.zip", LocalEntry("OLD.DB", "old") + EndRecord());
    ASSERT_EQ(zip.ZipContents().size(), 1u);
    zip.SetZipFilename((folder / "missing.zip").string());
    EXPECT_TRUE(zip.ZipContents().empty());
    EXPECT_EQ(dirUpdates, 2);
    EXPECT_THAT(messages, ElementsAre());
}

TEST_F(ZipDirectoryTest, FindsTheFirstHeaderWithinTheFirst60000Bytes) {
    const std::string archive = LocalEntry("A.DB", "a") + LocalEntry("B.DB", "bb") + EndRecord();
    Open("near.zip", Padding(59990) + archive);
    EXPECT_THAT(Names(), ElementsAre("A.DB", "B.DB"));

    Open("far.zip", Padding(60001) + archive);
    EXPECT_TRUE(zip.ZipContents().empty());
    EXPECT_THAT(messages, ElementsAre("No valid zip entries found"));

    // A "P" just before the signature must not hide it.
    Open("stub.zip", "PPK\x03" + Padding(10) + "P" + archive);
    EXPECT_THAT(Names(), ElementsAre("A.DB", "B.DB"));
}

TEST_F(ZipDirectoryTest, SelfExtractorIsReadFromByte14000) {
    const std::string stub = Padding(102) + LocalEntry("STUB.BIN", "") + Padding(14000 - 102 - 38);
    ASSERT_EQ(stub.size(), 14000u);
    const std::string bytes = stub + LocalEntry("A.DB", "a") + EndRecord();
    Open("plom.exe", bytes);
    EXPECT_THAT(Names(), ElementsAre("A.DB"));
    Open("PLOM.EXE", bytes);
    EXPECT_THAT(Names(), ElementsAre("A.DB"));
    Open("plom.zip", bytes);
    EXPECT_EQ(Names().front(), "STUB.BIN") << "other names are read from the start";
}

TEST_F(ZipDirectoryTest, DamagedArchivesRaiseTheirReadErrors) {
    const std::string first = LocalEntry("A.DB", "aaaa");
    const std::string second = LocalEntry("B.DB", std::string(100, 'b'));
    // The second entry's data runs past the end.
    EXPECT_EQ(ErrorOpening("cut.zip", first + second.substr(0, 60) + Padding(22)),
              "Error 3 reading Zip file");
    EXPECT_EQ(dirUpdates, 1) << "told even when the read fails";
    // The second entry's name is cut off.
    EXPECT_EQ(ErrorOpening("name.zip", first + second.substr(0, 32)), "Error 2 reading Zip file");
    // The walk runs out of file between entries.
    EXPECT_EQ(ErrorOpening("tail.zip", first + Padding(22)), "Error reading Zip File");
    // Sizes that only follow the data cannot be walked.
    std::string streamed = LocalEntry("A.DB", "", 0x0008);
    EXPECT_EQ(ErrorOpening("descriptor.zip", streamed + std::string(12, '\0') + EndRecord()),
              "Error 3 reading Zip file");
    EXPECT_TRUE(zip.ZipContents().empty());
}

TEST_F(ZipDirectoryTest, AHeaderThatDoesNotFitRestartsTheSearchUntilTheFirstEntry) {
    const std::string broken = LocalEntry("BAD.DB", std::string(1000, 'z')).substr(0, 40);
    Open("a.zip", broken + LocalEntry("A.DB", "a") + EndRecord());
    EXPECT_THAT(Names(), ElementsAre("A.DB"));
}

TEST_F(ZipDirectoryTest, DataDescriptorsAfterKnownSizesAreSkipped) {
    const std::string crcAndSizes = LocalEntry("A.DB", "aaaa").substr(14, 12);
    Open("a.zip", LocalEntry("A.DB", "aaaa", 0x0008) + "PK\x07\x08" + crcAndSizes +
                      LocalEntry("B.DB", "bb", 0x0008) + LocalEntry("B.DB", "bb").substr(14, 12) +
                      EndRecord());
    EXPECT_THAT(Names(), ElementsAre("A.DB", "B.DB"));
}

TEST_F(ZipDirectoryTest, NamesAreUtf8) {
    Open("utf.zip", LocalEntry("Šifre.DB", "s", 0x0800) + LocalEntry("\x9Aifre.DB", "s") +
                        LocalEntry("Čvor.DB", "c") + EndRecord());
    EXPECT_THAT(Names(), ElementsAre("Šifre.DB", "Üifre.DB", "Čvor.DB"));
}

} // namespace
