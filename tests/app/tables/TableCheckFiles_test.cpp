// The table checks on real table files through the table engine.

#include "app/tables/EngineTables.h"
#include "app/tables/TableCheck.h"
#include "app/tables/TableFiles.h"
#include "app/tables/TableSchema.h"
#include "base/Files.h"
#include "engine/TableImage.h"
#include "tests/app/tables/FakeTableEngine.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace app;
using engine::FieldType;
using engine::Value;
namespace fs = std::filesystem;

namespace {

class TableFilesCheck : public ::testing::Test {
protected:
    void SetUp() override { SetTableEngine(&FileTableEngine()); }
    void TearDown() override { SetTableEngine(nullptr); }

    fs::path Path() const { return folder.Path(); }
    void Check(const std::string& name, bool thorough, Folder f = Folder::Global) {
        CheckTables(f, Path().string(), name, thorough);
    }
    void ExpectAsDefined(const TableDefinition& t, const fs::path& path) {
        SCOPED_TRACE(t.FileName);
        ASSERT_TRUE(engine::TableExists(path, t.FileName));
        const auto info = engine::ReadTableInfo(path, t.FileName);
        EXPECT_TRUE(SameFields(info.Fields, t));
        EXPECT_TRUE(SameIndexes(info.Indexes, t));
        EXPECT_EQ(ScanIndexFiles(path, t.FileName, false).Found, t.IndexFileCount);
    }
    const TableDefinition& Def(const std::string& name, Folder f = Folder::Global) {
        return *FindTableDefinition(TablesOf(f), name);
    }
    std::vector<engine::Row> Rows(const std::string& name) {
        auto table = engine::Table::Open(Path(), name, engine::OpenMode::Shared);
        auto cursor = table->OpenCursor();
        std::vector<engine::Row> rows;
        for (cursor->First(); cursor->OnRow(); cursor->Next())
            rows.push_back(cursor->Read());
        return rows;
    }
    // A table of an older layout, keyed on its first field, with rows.
    void OldTable(const fs::path& path, const std::string& name, const std::vector<engine::FieldDesc>& fields,
                  const std::vector<engine::Row>& rows) {
        engine::CreateTable(path, name, fields);
        auto table = engine::Table::Open(path, name, engine::OpenMode::Exclusive);
        table->AddIndex({"", fields[0].Name, true, true, false, false});
        auto cursor = table->OpenCursor();
        for (const auto& row : rows)
            cursor->Insert(row);
    }
    bool HasWorkingFiles(const fs::path& path) {
        for (const char* name : {NewTableName, OldTableName, SwapJournalName})
            if (base::FindFile(path, name)) return true;
        return false;
    }

    testsupport::TempFolder folder;
};

engine::FieldDesc F(const std::string& name, FieldType type, int size = 0) {
    return {name, type, size, false};
}

} // namespace

TEST_F(TableFilesCheck, AnEmptyFolderGetsEveryTableAsDefined) {
    for (Folder f : {Folder::Global, Folder::Lokal, Folder::Link}) {
        testsupport::TempFolder own;
        CheckTables(f, own.Path().string(), "", false);
        for (const auto& t : TablesOf(f))
            ExpectAsDefined(t, own.Path());
    }
}

TEST_F(TableFilesCheck, ASecondThoroughCheckChangesNoFile) {
    for (Folder f : {Folder::Global, Folder::Lokal}) {
        testsupport::TempFolder own;
        CheckTables(f, own.Path().string(), "", false);
        testsupport::StampAll(own.Path());
        const auto before = testsupport::FolderState(own.Path());
        CheckTables(f, own.Path().string(), "", true);
        EXPECT_EQ(testsupport::FolderState(own.Path()), before);
    }
}

TEST_F(TableFilesCheck, MissingExtraAndStaleIndexFilesAreRebuilt) {
    Check("POSTA.DB", false);
    {
        auto table = engine::Table::Open(Path(), "POSTA.DB", engine::OpenMode::Shared);
        table->OpenCursor()->Insert({Value(), Value::Text("Zagreb"), Value::Int(10000), Value::Int(1)});
    }
    const auto indexFiles = base::FilesMatching(Path(), "POSTA.?G?");
    ASSERT_EQ(indexFiles.size(), 6u);
    fs::remove(indexFiles[0]);
    fs::remove(Path() / "POSTA.PX");
    Check("POSTA.DB", false);
    ExpectAsDefined(Def("POSTA.DB"), Path());

    folder.Write("POSTA.X1F", "stray");
    Check("POSTA.DB", false);
    EXPECT_FALSE(fs::exists(Path() / "POSTA.X1F"));
    ExpectAsDefined(Def("POSTA.DB"), Path());

    testsupport::StampAll(Path());
    base::SetFileTime(indexFiles[1], 1'500'000'000'000'000'000);
    Check("POSTA.DB", true);
    ExpectAsDefined(Def("POSTA.DB"), Path());
    EXPECT_NE(base::FileTime(indexFiles[1]), 1'500'000'000'000'000'000);
    ASSERT_EQ(Rows("POSTA.DB").size(), 1u);
    EXPECT_EQ(Rows("POSTA.DB")[0][1], Value::Text("Zagreb"));
}

TEST_F(TableFilesCheck, AReindexKeepsTheRowsTheCounterAndTheKeysIndexFile) {
    Check("ZEMLJA.DB", false);
    {
        auto table = engine::Table::Open(Path(), "ZEMLJA.DB", engine::OpenMode::Shared);
        auto cursor = table->OpenCursor();
        for (const char* sifra : {"HR", "SI", "AT", "DE"})
            cursor->Insert({Value(), Value::Text(sifra), Value()});
        cursor->Delete(); // the counter stays at 4
    }
    const auto rows = Rows("ZEMLJA.DB");
    ASSERT_EQ(rows.size(), 3u);
    const std::string px = folder.Read("ZEMLJA.PX");
    auto inode = [&] {
        struct stat st {};
        return ::stat((Path() / "ZEMLJA.DB").c_str(), &st) == 0 ? st.st_ino : 0;
    };
    auto reindex = [&] {
        fs::remove(Path() / "ZEMLJA.PX");
        fs::remove(base::FilesMatching(Path(), "ZEMLJA.?G?").at(0));
        const auto table = inode();
        Check("ZEMLJA.DB", false);
        EXPECT_EQ(inode(), table); // re-indexed in place, not restructured into a new file
        ExpectAsDefined(Def("ZEMLJA.DB"), Path());
        EXPECT_EQ(engine::Table::Open(Path(), "ZEMLJA.DB", engine::OpenMode::Shared)->LastAutoIncValue(), 4);
    };
    reindex();
    EXPECT_EQ(Rows("ZEMLJA.DB"), rows);
    EXPECT_EQ(folder.Read("ZEMLJA.PX"), px);

    // An emptied table too: no row is added to it on the way.
    {
        auto table = engine::Table::Open(Path(), "ZEMLJA.DB", engine::OpenMode::Exclusive);
        table->Empty();
    }
    const std::string emptyPx = folder.Read("ZEMLJA.PX");
    reindex();
    EXPECT_TRUE(Rows("ZEMLJA.DB").empty());
    EXPECT_EQ(folder.Read("ZEMLJA.PX"), emptyPx);
}

// A re-index makes the secondary orders that a table read by block keeps in its index files (each .Y file
// holds one after its definition, which is as long as the .X file).
TEST_F(TableFilesCheck, AReindexStoresTheOrdersOfALargeTable) {
    Check("ZEMLJA.DB", false);
    {
        auto table = engine::Table::Open(Path(), "ZEMLJA.DB", engine::OpenMode::Shared);
        auto cursor = table->OpenCursor();
        for (int i = 0; i < 300; ++i)
            cursor->Insert({Value(), Value::Text("Z" + std::to_string(i * 7 % 300)), Value()});
    }
    engine::SetReadByBlockFrom(0);
    fs::remove(base::FilesMatching(Path(), "ZEMLJA.XG?").at(0));
    Check("ZEMLJA.DB", false);
    ExpectAsDefined(Def("ZEMLJA.DB"), Path());
    const auto ys = base::FilesMatching(Path(), "ZEMLJA.Y*");
    ASSERT_FALSE(ys.empty());
    for (const fs::path& y : ys) {
        fs::path x = y;
        x.replace_extension(".X" + y.extension().string().substr(2));
        EXPECT_GT(fs::file_size(y), fs::file_size(x)) << y;
    }
}

TEST_F(TableFilesCheck, AStoredIndexListThatDiffersIsRebuilt) {
    engine::CreateTable(Path(), "ZEMLJA.DB", EngineFields(Def("ZEMLJA.DB")));
    {
        auto table = engine::Table::Open(Path(), "ZEMLJA.DB", engine::OpenMode::Exclusive);
        table->AddIndex({"", "Code", true, true, false, false});
        table->AddIndex({"_sifra", "Sifra", false, false, true, false});
    }
    testsupport::StampAll(Path());
    Check("ZEMLJA.DB", false); // the file count is right: a quick check is content
    EXPECT_EQ(engine::ReadTableInfo(Path(), "ZEMLJA.DB").Indexes.at(1).Name, "_sifra");
    Check("ZEMLJA.DB", true);
    EXPECT_EQ(engine::ReadTableInfo(Path(), "ZEMLJA.DB").Indexes.at(1).Name, "_Sifra");
    ExpectAsDefined(Def("ZEMLJA.DB"), Path());
}

TEST_F(TableFilesCheck, RestructureKeepsRowsMemosAndAutoIncrementNumbers) {
    // GRUPE.DB as it once was: Partner a Short, Sifra shorter, an Opis that is gone, no Naziv yet.
    const std::string memo(5000, 'm');
    OldTable(Path(), "GRUPE.DB",
             {F("Code", FieldType::AutoInc), F("Partner", FieldType::Short), F("Sifra", FieldType::Alpha, 10),
              F("Opis", FieldType::Alpha, 10), F("Deklaracija", FieldType::Memo, 1)},
             {{Value::Int(1), Value::Int(7), Value::Text("PVC"), Value::Text("x"), Value::Text("Izjava č")},
              {Value::Int(4), Value::Int(-3), Value::Text("ALU"), Value(), Value::Text(memo)},
              {Value::Int(9), Value(), Value::Text("Šipka"), Value::Text("y"), Value()},
              {Value::Int(12), Value(), Value::Text("obrisan"), Value(), Value()}});
    {
        auto table = engine::Table::Open(Path(), "GRUPE.DB", engine::OpenMode::Exclusive);
        auto cursor = table->OpenCursor();
        cursor->Last();
        cursor->Delete(); // number 12 was handed out once
    }
    Check("GRUPE.DB", false);
    ExpectAsDefined(Def("GRUPE.DB"), Path());
    EXPECT_FALSE(HasWorkingFiles(Path()));
    const auto rows = Rows("GRUPE.DB");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (engine::Row{Value::Int(1), Value::Int(7), Value::Text("PVC"), Value(),
                                    Value::Text("Izjava č")}));
    EXPECT_EQ(rows[1],
              (engine::Row{Value::Int(4), Value::Int(-3), Value::Text("ALU"), Value(), Value::Text(memo)}));
    EXPECT_EQ(rows[2], (engine::Row{Value::Int(9), Value(), Value::Text("Šipka"), Value(), Value()}));
    auto table = engine::Table::Open(Path(), "GRUPE.DB", engine::OpenMode::Shared);
    auto cursor = table->OpenCursor();
    cursor->Insert({Value(), Value::Int(1), Value::Text("NOVO"), Value(), Value()});
    EXPECT_EQ(cursor->Read()[0], Value::Int(13));
}

TEST_F(TableFilesCheck, RestructureConvertsRetypedFieldsAndKeepsFloatsExact) {
    OldTable(Path(), "WROBA_D.DB",
             {F("Code", FieldType::Long), F("Artikl", FieldType::Long), F("Kolicina", FieldType::Alpha, 20)},
             {{Value::Int(1), Value::Int(1), Value::Text("2,35")},
              {Value::Int(2), Value::Int(1), Value::Text("1.234,5")}});
    engine::CreateTable(Path(), "USLUGA.DB",
                        {F("Partner", FieldType::Long), F("Vrsta", FieldType::Short),
                         F("Sifra", FieldType::Alpha, 40), F("Cijena", FieldType::Number)});
    {
        auto table = engine::Table::Open(Path(), "USLUGA.DB", engine::OpenMode::Exclusive);
        table->AddIndex({"", "Partner;Vrsta;Sifra", true, true, false, false});
        table->OpenCursor()->Insert(
            {Value::Int(1), Value::Int(2), Value::Text("A"), Value::Float(0.1 + 0.2)});
    }
    Check("WROBA_D.DB", true); // its one index file is there: only a thorough check compares the fields
    Check("USLUGA.DB", false);
    const auto kolicine = Rows("WROBA_D.DB");
    ASSERT_EQ(kolicine.size(), 2u);
    EXPECT_EQ(kolicine[0][2], Value::Float(2.35));
    EXPECT_EQ(kolicine[1][2], Value::Float(1234.5));
    const auto usluge = Rows("USLUGA.DB");
    ASSERT_EQ(usluge.size(), 1u);
    EXPECT_EQ(usluge[0][6], Value::Float(0.1 + 0.2));
    ExpectAsDefined(Def("USLUGA.DB"), Path());
}

// Checks "ZEMLJA.DB" in the folder given, after telling the test (one byte on stdout) that it starts.
PLOM_CHILD_ROLE(CheckingZemlja) {
    SetTableEngine(&FileTableEngine());
    if (::write(STDOUT_FILENO, "s", 1) != 1) return 3;
    CheckTables(Folder::Global, args.at(0), "ZEMLJA.DB", false);
    return 0;
}

// A restructure killed at any moment leaves every row for the next check, which finishes the job.
TEST_F(TableFilesCheck, AProcessKilledDuringARestructureLosesNoRow) {
    constexpr int RowCount = 1500;
    auto prepare = [&](const fs::path& path) {
        std::vector<engine::Row> rows;
        for (int i = 1; i <= RowCount; ++i)
            rows.push_back({Value::Int(i * 2), Value::Text("Z" + std::to_string(i))});
        OldTable(path, "ZEMLJA.DB", {F("Code", FieldType::AutoInc), F("Sifra", FieldType::Alpha, 20)}, rows);
    };
    // Starts the check in another process and waits until it is about to begin.
    auto runChild = [](const fs::path& path) {
        auto child = testsupport::ChildProcess::Role("CheckingZemlja", {path.string()});
        EXPECT_TRUE(child->Read(1)) << child->Errors();
        return child;
    };
    // How long an undisturbed restructure takes.
    testsupport::TempFolder timing;
    prepare(timing.Path());
    const auto first = runChild(timing.Path());
    const auto start = std::chrono::steady_clock::now();
    const auto undisturbed = first->Wait();
    ASSERT_TRUE(undisturbed && undisturbed->Success()) << first->Errors();
    const auto full = std::chrono::steady_clock::now() - start;

    int interrupted = 0; // runs killed between the copy's start and the end of the swap
    for (int step = 0; step < 8; ++step) {
        SCOPED_TRACE(step);
        testsupport::TempFolder own;
        prepare(own.Path());
        const auto child = runChild(own.Path());
        std::this_thread::sleep_for(full * step / 8);
        child->Kill();
        interrupted += HasWorkingFiles(own.Path()) ? 1 : 0;
        CheckTables(Folder::Global, own.Path().string(), "ZEMLJA.DB", false);
        ExpectAsDefined(Def("ZEMLJA.DB"), own.Path());
        EXPECT_FALSE(HasWorkingFiles(own.Path()));
        auto table = engine::Table::Open(own.Path(), "ZEMLJA.DB", engine::OpenMode::Shared);
        auto cursor = table->OpenCursor();
        int i = 0;
        for (cursor->First(); cursor->OnRow(); cursor->Next()) {
            ++i;
            ASSERT_EQ(cursor->Read()[0], Value::Int(i * 2));
            ASSERT_EQ(cursor->Read()[1], Value::Text("Z" + std::to_string(i)));
        }
        EXPECT_EQ(i, RowCount);
    }
    RecordProperty("interrupted", interrupted);
}

TEST_F(TableFilesCheck, ATableHeldOpenElsewhereIsNotTouched) {
    Check("POSTA.DB", false);
    auto held = engine::Table::Open(Path(), "POSTA.DB", engine::OpenMode::Shared);
    fs::remove(Path() / "POSTA.PX");
    const auto before = testsupport::FolderState(Path());
    EXPECT_THROW(Check("POSTA.DB", false), engine::TableBusy);
    EXPECT_THROW(Check("POSTA.DB", true), engine::TableBusy);
    EXPECT_EQ(testsupport::FolderState(Path()), before);
    held.reset();
    Check("POSTA.DB", false);
    ExpectAsDefined(Def("POSTA.DB"), Path());
}

TEST_F(TableFilesCheck, AnEmptyFolderPathIsRefused) {
    EXPECT_THROW(CheckTables(Folder::Link, "", "OPEN.DB", false), base::Exception);
    EXPECT_FALSE(fs::exists(fs::current_path() / "OPEN.DB"));
}
