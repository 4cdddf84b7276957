#include "app/tables/TableCheck.h"

#include "app/tables/TableFiles.h"
#include "app/tables/TableSchema.h"
#include "base/Files.h"
#include "tests/app/tables/FakeTableEngine.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace app;
using engine::FieldType;
using engine::Value;
namespace fs = std::filesystem;

namespace {

class RecordingLabel : public ProgressText {
public:
    void ShowText(const std::string& text) override {
        shown.push_back(text);
        if (onShow) onShow();
    }
    std::vector<std::string> shown;
    std::function<void()> onShow;
};

class TableCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTableEngine(&fake);
        for (Folder f : {Folder::Global, Folder::Lokal, Folder::Link}) {
            OptionsOf(f) = FolderOptions();
            HooksOf(f).ProgressLabel = nullptr;
        }
    }
    void TearDown() override {
        SetTableEngine(nullptr);
        SetUp();
        SetTableEngine(nullptr);
    }

    std::string Path() const { return folder.Path().string(); }
    void Check(const std::string& name, bool thorough, Folder f = Folder::Global) {
        CheckTables(f, Path(), name, thorough);
    }
    testsupport::FakeTableData& Data(const std::string& name) { return fake.Data(folder.Path(), name); }
    bool Has(const std::string& name) const { return base::FindFile(folder.Path(), name).has_value(); }
    const TableDefinition& Def(const std::string& name, Folder f = Folder::Global) {
        return *FindTableDefinition(TablesOf(f), name);
    }
    // The table as it is stored matches its definition, index files included.
    void ExpectAsDefined(const std::string& name, Folder f = Folder::Global) {
        SCOPED_TRACE(name);
        const auto info = fake.ReadTableInfo(folder.Path(), name);
        EXPECT_TRUE(SameFields(info.Fields, Def(name, f)));
        EXPECT_TRUE(SameIndexes(info.Indexes, Def(name, f)));
        EXPECT_EQ(ScanIndexFiles(folder.Path(), name, false).Found, Def(name, f).IndexFileCount);
    }
    // Puts an older layout of a table in place, unindexed, with rows.
    void OldTable(const std::string& name, std::vector<engine::FieldDesc> fields,
                  std::vector<engine::Row> rows, std::int64_t counter = 0) {
        fake.CreateTable(folder.Path(), name, fields);
        auto& data = Data(name);
        data.Rows = std::move(rows);
        data.Counter = counter;
        data.Primary = engine::IndexDesc{"", fields[0].Name, true, true, false, false};
        data.Keyed = true;
        folder.Write(TableBaseName(name) + ".PX", "");
    }
    std::vector<std::string> WorkingFiles() const {
        std::vector<std::string> found;
        for (const char* name : {NewTableName, OldTableName, SwapJournalName})
            if (Has(name)) found.push_back(name);
        return found;
    }

    testsupport::TempFolder folder;
    testsupport::FakeTableEngine fake;
};

engine::FieldDesc F(const std::string& name, FieldType type, int size = 0) {
    return {name, type, size, false};
}

} // namespace

TEST_F(TableCheckTest, CreatesEveryTableOfAnEmptyFolderAsDefined) {
    for (Folder f : {Folder::Global, Folder::Lokal, Folder::Link}) {
        testsupport::TempFolder own;
        CheckTables(f, own.Path().string(), "", false);
        for (const auto& t : TablesOf(f)) {
            SCOPED_TRACE(t.FileName);
            ASSERT_TRUE(fake.TableExists(own.Path(), t.FileName));
            const auto info = fake.ReadTableInfo(own.Path(), t.FileName);
            EXPECT_TRUE(SameFields(info.Fields, t));
            EXPECT_TRUE(SameIndexes(info.Indexes, t));
            EXPECT_EQ(ScanIndexFiles(own.Path(), t.FileName, false).Found, t.IndexFileCount);
        }
    }
    EXPECT_EQ(fake.Creates, 49 + 21 + 1);
}

TEST_F(TableCheckTest, ASecondThoroughCheckOfStampedTablesChangesNothing) {
    Check("", false);
    testsupport::StampAll(folder.Path());
    const auto before = testsupport::FolderState(folder.Path());
    const int creates = fake.Creates, builds = fake.IndexBuilds;
    Check("", true);
    EXPECT_EQ(testsupport::FolderState(folder.Path()), before);
    EXPECT_EQ(fake.Creates, creates);
    EXPECT_EQ(fake.IndexBuilds, builds);
}

TEST_F(TableCheckTest, CreationDeletesStrayIndexFilesFirst) {
    folder.Write("POSTA.X0A", "stray");
    folder.Write("posta.px", "stray");
    folder.Write("POSTA.VAL", "stray");
    Check("POSTA.DB", false);
    EXPECT_FALSE(Has("POSTA.X0A"));
    EXPECT_FALSE(Has("POSTA.VAL"));
    ExpectAsDefined("POSTA.DB");
}

TEST_F(TableCheckTest, ATableWithoutIndexesNeedsNoIndexFiles) {
    Check("KNJIZI.DB", false);
    EXPECT_EQ(ScanIndexFiles(folder.Path(), "KNJIZI.DB", false).Found, 0);
    const int builds = fake.IndexBuilds;
    testsupport::StampAll(folder.Path());
    Check("KNJIZI.DB", true);
    EXPECT_EQ(fake.IndexBuilds, builds);
}

TEST_F(TableCheckTest, NamesOutsideTheListAreLeftAlone) {
    Check("LINK.DB", true);
    Check("posta.db", true); // compared exactly
    EXPECT_TRUE(testsupport::FolderState(folder.Path()).empty());
    EXPECT_EQ(fake.Creates, 0);
}

TEST_F(TableCheckTest, MissingOrExtraIndexFilesReindexKeepingTheRows) {
    Check("POSTA.DB", false);
    Data("POSTA.DB").Rows = {{Value::Int(1), Value::Text("10000"), Value::Int(10000), Value::Int(1)}};
    fs::remove(folder / "POSTA.YG1");
    const int defined = int(Def("POSTA.DB").Indexes.size());
    int builds = fake.IndexBuilds;
    Check("POSTA.DB", false);
    EXPECT_EQ(fake.IndexBuilds, builds + defined); // the key's own index file is written again too
    ExpectAsDefined("POSTA.DB");
    EXPECT_EQ(Data("POSTA.DB").Rows.size(), 1u);

    folder.Write("POSTA.X1F", "");
    builds = fake.IndexBuilds;
    Check("POSTA.DB", false);
    EXPECT_EQ(fake.IndexBuilds, builds + defined);
    EXPECT_FALSE(Has("POSTA.X1F"));
    // A foreign file of the same name changes nothing.
    folder.Write("POSTA.PDF", "");
    builds = fake.IndexBuilds;
    Check("POSTA.DB", false);
    EXPECT_EQ(fake.IndexBuilds, builds);
}

TEST_F(TableCheckTest, AStaleIndexFileReindexesOnlyInAThoroughCheck) {
    Check("ZEMLJA.DB", false);
    folder.Write("ZEMLJA.MB", "");
    testsupport::StampAll(folder.Path());
    base::SetFileTime(folder / "ZEMLJA.MB", 5); // a memo file of another date does not count
    int builds = fake.IndexBuilds;
    Check("ZEMLJA.DB", true);
    EXPECT_EQ(fake.IndexBuilds, builds);
    base::SetFileTime(folder / "ZEMLJA.XG0", 1'600'000'000'000'000'001);
    Check("ZEMLJA.DB", false);
    EXPECT_EQ(fake.IndexBuilds, builds);
    Check("ZEMLJA.DB", true);
    EXPECT_GT(fake.IndexBuilds, builds);
    ExpectAsDefined("ZEMLJA.DB");
}

TEST_F(TableCheckTest, AStoredIndexListThatDiffersReindexes) {
    Check("POSTA.DB", false);
    testsupport::StampAll(folder.Path());
    Data("POSTA.DB").Secondary[0].Name = "_sifra"; // names compare exactly
    int builds = fake.IndexBuilds;
    Check("POSTA.DB", true);
    EXPECT_GT(fake.IndexBuilds, builds);
    ExpectAsDefined("POSTA.DB");

    testsupport::StampAll(folder.Path());
    Data("POSTA.DB").Secondary[1].CaseInsensitive = false;
    builds = fake.IndexBuilds;
    Check("POSTA.DB", true);
    EXPECT_GT(fake.IndexBuilds, builds);
    ExpectAsDefined("POSTA.DB");
}

TEST_F(TableCheckTest, RestructureCopiesRowsByNameKeepingNumbersMemosAndCounter) {
    // An older layout: Partner was a Short, Sifra shorter, Naziv missing, an extra field Opis.
    OldTable("GRUPE.DB",
             {F("Code", FieldType::AutoInc), F("Partner", FieldType::Short), F("Sifra", FieldType::Alpha, 10),
              F("Opis", FieldType::Alpha, 10), F("Deklaracija", FieldType::Memo, 1)},
             {{Value::Int(1), Value::Int(7), Value::Text("PVC"), Value::Text("x"),
               Value::Text("Izjava o sukladnosti")},
              {Value::Int(4), Value::Int(-3), Value::Text("ALU"), Value(), Value()},
              {Value::Int(9), Value(), Value::Text("Čelik"), Value::Text("y"), Value::Text("ž")}},
             12);
    Check("GRUPE.DB", false);
    ExpectAsDefined("GRUPE.DB");
    EXPECT_TRUE(WorkingFiles().empty());
    const auto& rows = Data("GRUPE.DB").Rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (engine::Row{Value::Int(1), Value::Int(7), Value::Text("PVC"), Value(),
                                    Value::Text("Izjava o sukladnosti")}));
    EXPECT_EQ(rows[1], (engine::Row{Value::Int(4), Value::Int(-3), Value::Text("ALU"), Value(), Value()}));
    EXPECT_EQ(rows[2],
              (engine::Row{Value::Int(9), Value(), Value::Text("Čelik"), Value(), Value::Text("ž")}));
    // Numbers handed out before are not handed out again.
    EXPECT_EQ(Data("GRUPE.DB").Counter, 12);
}

TEST_F(TableCheckTest, RestructureConvertsRetypedFieldsAndFillsDefaults) {
    // POSTA.DB: Broj was text, Zemlja missing (default "1"); WROBA_D.DB: Kolicina was a whole number.
    OldTable(
        "POSTA.DB",
        {F("Code", FieldType::AutoInc), F("Sifra", FieldType::Alpha, 40), F("Broj", FieldType::Alpha, 10)},
        {{Value::Int(1), Value::Text("Zagreb"), Value::Text("10000")},
         {Value::Int(2), Value::Text("Split"), Value::Text("21.000")},
         {Value::Int(3), Value::Text("Nigdje"), Value::Text("abc")}},
        3);
    Check("POSTA.DB", false);
    const auto& posta = Data("POSTA.DB").Rows;
    ASSERT_EQ(posta.size(), 3u);
    EXPECT_EQ(posta[0][2], Value::Int(10000));
    EXPECT_EQ(posta[1][2], Value::Int(21000));
    EXPECT_EQ(posta[2][2], Value()); // not a number, and no default
    for (const auto& row : posta)
        EXPECT_EQ(row[3], Value::Int(1));

    OldTable("WROBA_D.DB",
             {F("Code", FieldType::Long), F("Artikl", FieldType::Long), F("Kolicina", FieldType::Long)},
             {{Value::Int(1), Value::Int(2), Value::Int(3)}});
    Check("WROBA_D.DB", false); // its index file is there: only a thorough check compares the fields
    EXPECT_EQ(Data("WROBA_D.DB").Rows.at(0)[2], Value::Int(3));
    Check("WROBA_D.DB", true);
    EXPECT_EQ(Data("WROBA_D.DB").Rows.at(0)[2], Value::Float(3.0));
}

TEST_F(TableCheckTest, FloatsKeepTheirValueThroughARestructure) {
    OldTable("WROBA_D.DB",
             {F("Code", FieldType::Long), F("Artikl", FieldType::Long), F("Kolicina", FieldType::Number),
              F("Stari", FieldType::Short)},
             {{Value::Int(1), Value::Int(2), Value::Float(2.35)},
              {Value::Int(2), Value::Int(2), Value::Float(1e-7)}});
    Check("WROBA_D.DB", true);
    EXPECT_EQ(Data("WROBA_D.DB").Fields.size(), 3u);
    EXPECT_EQ(Data("WROBA_D.DB").Rows.at(0)[2], Value::Float(2.35));
    EXPECT_EQ(Data("WROBA_D.DB").Rows.at(1)[2], Value::Float(1e-7));
}

TEST_F(TableCheckTest, NoRestructureOnlyReindexes) {
    OldTable("ZEMLJA.DB", {F("Code", FieldType::AutoInc), F("Sifra", FieldType::Alpha, 5)},
             {{Value::Int(1), Value::Text("HR")}}, 1);
    OptionsOf(Folder::Global).NoRestructure = true;
    Check("ZEMLJA.DB", false);
    EXPECT_EQ(Data("ZEMLJA.DB").Fields.size(), 2u);
    EXPECT_EQ(ScanIndexFiles(folder.Path(), "ZEMLJA.DB", false).Found, 3);
    OptionsOf(Folder::Global).NoRestructure = false;
    Check("ZEMLJA.DB", false); // the index files are in order now: a quick check looks no further
    EXPECT_EQ(Data("ZEMLJA.DB").Fields.size(), 2u);
    Check("ZEMLJA.DB", true);
    EXPECT_EQ(Data("ZEMLJA.DB").Fields.size(), 3u);
}

TEST_F(TableCheckTest, AFailedCopyKeepsTheOldTableAndOnePartialCopy) {
    const std::vector<engine::FieldDesc> old = {F("Sifra", FieldType::Alpha, 20),
                                                F("Naziv", FieldType::Alpha, 40)};
    std::vector<engine::Row> rows;
    for (int i = 0; i < 5; ++i)
        rows.push_back({Value::Text("S" + std::to_string(i)), Value::Text("N")});
    OldTable("WINGL.DB", old, rows);
    fake.FailInsertAfter["_NEW_.DB"] = 2;
    const int indexFiles = ScanIndexFiles(folder.Path(), "WINGL.DB", false).Found;
    Check("WINGL.DB", false, Folder::Lokal);
    ASSERT_TRUE(fake.TableExists(folder.Path(), "Restructured_WINGL.DB"));
    EXPECT_EQ(Data("Restructured_WINGL.DB").Rows.size(), 2u);
    EXPECT_EQ(Data("WINGL.DB").Rows, rows); // the old table stays with the index files it had
    EXPECT_EQ(ScanIndexFiles(folder.Path(), "WINGL.DB", false).Found, indexFiles);
    EXPECT_FALSE(Has(NewTableName));

    fake.FailInsertAfter["_NEW_.DB"] = 1;
    Check("WINGL.DB", false, Folder::Lokal);
    EXPECT_EQ(Data("Restructured_WINGL.DB").Rows.size(), 2u); // the older partial copy stays
    EXPECT_FALSE(Has(NewTableName));
    EXPECT_EQ(Data("WINGL.DB").Rows, rows);

    fake.FailInsertAfter.clear();
    Check("WINGL.DB", false, Folder::Lokal);
    ExpectAsDefined("WINGL.DB", Folder::Lokal);
    EXPECT_EQ(Data("WINGL.DB").Rows.size(), 5u);
}

TEST_F(TableCheckTest, RowsAWalkCannotReachFailTheCopyInsteadOfBeingDropped) {
    Check("ZEMLJA.DB", false);
    Data("ZEMLJA.DB").Rows = {{Value::Int(1), Value::Text("HR"), Value()},
                              {Value::Int(2), Value::Text("SI"), Value()}};
    fake.HiddenRows["ZEMLJA.DB"] = 1;
    testsupport::StampAll(folder.Path());
    Check("ZEMLJA.DB", true);
    EXPECT_EQ(Data("ZEMLJA.DB").Rows.size(), 2u);
    EXPECT_TRUE(fake.TableExists(folder.Path(), "Restructured_ZEMLJA.DB"));
}

TEST_F(TableCheckTest, AFailedReindexRestructures) {
    Check("POSTA.DB", false);
    Data("POSTA.DB").Rows = {{Value::Int(1), Value::Text("Zagreb"), Value::Int(10000), Value::Int(1)}};
    fs::remove(folder / "POSTA.PX");
    fake.FailAddIndex.insert("POSTA.DB");
    OptionsOf(Folder::Global).NoRestructure = true;
    const int indexFiles = ScanIndexFiles(folder.Path(), "POSTA.DB", false).Found;
    Check("POSTA.DB", false);
    EXPECT_EQ(ScanIndexFiles(folder.Path(), "POSTA.DB", false).Found, indexFiles); // as they were
    OptionsOf(Folder::Global).NoRestructure = false;
    Check("POSTA.DB", false); // the rebuilt copy is indexed under its working name, then takes the name
    ExpectAsDefined("POSTA.DB");
    EXPECT_EQ(Data("POSTA.DB").Rows.size(), 1u);
}

TEST_F(TableCheckTest, AKillDuringTheCopyLeavesTheOldRowsForTheNextCheck) {
    OldTable("ZEMLJA.DB", {F("Code", FieldType::AutoInc), F("Sifra", FieldType::Alpha, 5)},
             {{Value::Int(1), Value::Text("HR")}, {Value::Int(2), Value::Text("DE")}}, 2);
    fake.KillAfterInserts["_NEW_.DB"] = 1;
    EXPECT_THROW(Check("ZEMLJA.DB", false), testsupport::Killed);
    fake.KillAfterInserts.clear();
    EXPECT_EQ(Data("ZEMLJA.DB").Rows.size(), 2u);
    Check("ZEMLJA.DB", false);
    ExpectAsDefined("ZEMLJA.DB");
    EXPECT_EQ(Data("ZEMLJA.DB").Rows.size(), 2u);
    EXPECT_TRUE(WorkingFiles().empty());
}

TEST_F(TableCheckTest, ASwapCutShortIsFinishedAtOnceOrByTheNextCheck) {
    // 1: nothing moved yet, 2: the old table moved aside, 3: the new one in place, the old not yet deleted.
    for (int failAt : {1, 2, 3}) {
        SCOPED_TRACE(failAt);
        testsupport::TempFolder own;
        const auto path = own.Path();
        fake.CreateTable(path, "ZEMLJA.DB", {F("Code", FieldType::AutoInc), F("Sifra", FieldType::Alpha, 5)});
        fake.Data(path, "ZEMLJA.DB").Rows = {{Value::Int(1), Value::Text("HR")},
                                             {Value::Int(2), Value::Text("DE")}};
        if (failAt < 3)
            fake.FailRenameAt = failAt;
        else
            fake.FailDeleteOf.insert(OldTableName);
        try {
            CheckTables(Folder::Global, path.string(), "ZEMLJA.DB", false);
        } catch (const std::exception&) {
        }
        fake.FailRenameAt = 0;
        fake.FailDeleteOf.clear();
        // A step that fails once is finished from the journal at once; one that keeps failing leaves the
        // journal, and any check of the folder finishes the swap first.
        EXPECT_EQ(base::FindFile(path, SwapJournalName).has_value(), failAt == 3);
        CheckTables(Folder::Global, path.string(), "KNJIZI.DB", false);
        ASSERT_TRUE(fake.TableExists(path, "ZEMLJA.DB"));
        EXPECT_EQ(fake.Data(path, "ZEMLJA.DB").Rows.size(), 2u);
        EXPECT_EQ(fake.Data(path, "ZEMLJA.DB").Fields.size(), 3u);
        for (const char* name : {NewTableName, OldTableName, SwapJournalName})
            EXPECT_FALSE(base::FindFile(path, name)) << name;
    }
}

TEST_F(TableCheckTest, AnOldTableLeftFromElsewhereIsNeverDeleted) {
    OldTable("ZEMLJA.DB", {F("Code", FieldType::AutoInc), F("Sifra", FieldType::Alpha, 5)},
             {{Value::Int(1), Value::Text("HR")}}, 1);
    fake.CreateTable(folder.Path(), OldTableName, {F("Tko", FieldType::Alpha, 5)});
    Data(OldTableName).Rows = {{Value::Text("zadnja kopija")}};
    EXPECT_THROW(Check("ZEMLJA.DB", false), base::Exception);
    EXPECT_EQ(Data(OldTableName).Rows.size(), 1u);
    EXPECT_EQ(Data("ZEMLJA.DB").Rows.size(), 1u);
    EXPECT_FALSE(Has(SwapJournalName));
}

TEST_F(TableCheckTest, ShowsItsStepsAndRefusesANestedCheckOfTheSameFolder) {
    RecordingLabel label;
    int nestedCreates = -1;
    label.onShow = [&] {
        const int before = fake.Creates;
        CheckTables(Folder::Global, Path(), "ZEMLJA.DB", false);
        nestedCreates = fake.Creates - before;
    };
    HooksOf(Folder::Global).ProgressLabel = &label;
    OptionsOf(Folder::Global).ShowProgress = true;
    Check("POSTA.DB", false);
    EXPECT_EQ(label.shown, (std::vector<std::string>{"- kreiranje -", ""}));
    EXPECT_EQ(nestedCreates, 0);
    EXPECT_FALSE(fake.TableExists(folder.Path(), "ZEMLJA.DB"));

    label.onShow = nullptr;
    label.shown.clear();
    fs::remove(folder / "POSTA.PX");
    Check("POSTA.DB", false);
    EXPECT_EQ(label.shown, (std::vector<std::string>{"- reindeksiranje -", ""}));

    label.shown.clear();
    Data("POSTA.DB").Fields[1].Size = 20;
    Check("POSTA.DB", true);
    EXPECT_EQ(label.shown, (std::vector<std::string>{"- restrukturiranje -", ""}));

    label.shown.clear();
    OptionsOf(Folder::Global).ShowProgress = false;
    fs::remove(folder / "POSTA.PX");
    Check("POSTA.DB", false);
    EXPECT_TRUE(label.shown.empty());
}

TEST_F(TableCheckTest, InstalledHooksRunTheCheck) {
    InstallTableSets();
    HooksOf(Folder::Lokal).CheckTables(Path(), "RNOPTST.DB", false);
    ExpectAsDefined("RNOPTST.DB", Folder::Lokal);
    EXPECT_EQ(fake.ReadTableInfo(folder.Path(), "RNOPTST.DB").Indexes.at(1).Name, "_RadniNalog;Artikl");
}
