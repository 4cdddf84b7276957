#include "app/data/DataSetServices.h"

#include "app/tables/TableFiles.h"
#include "base/Files.h"
#include "fw/db/DatabaseError.h"
#include "fw/db/DataSource.h"
#include "fw/db/FieldClasses.h"
#include "tests/app/data/ServicesFixture.h"

#include <gmock/gmock.h>

#include <fstream>

using namespace app;
using apptest::ServicesTest;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

class PostServicesTest : public ServicesTest {
protected:
    PostServicesTest() {
        MakeKeyedTable("Global", "SIFRE.DB");
        t.SetDatabaseName("Global");
        t.SetTableName("SIFRE.DB");
        t.Open();
        AddRow(t, 1, 1, "Jabuka");
        AddRow(t, 1, 2, "Kruška");
        AddRow(t, 1, 3, "Šljiva");
        t.BeforePost = [this](fw::TDataSet&) { ++posts; };
    }
    // A second open of the same table, as another form or station would have it.
    std::unique_ptr<fw::TTable> Other() {
        auto other = std::make_unique<fw::TTable>();
        other->SetDatabaseName("Global");
        other->SetTableName("SIFRE.DB");
        other->Open();
        return other;
    }
    void EditSifra(int from, int to) {
        ASSERT_TRUE(t.FindKey({engine::Value::Int(1), engine::Value::Int(from)}));
        t.Edit();
        t.FieldByName("Sifra").SetAsInteger(to);
    }

    TMyTableX t;
    int posts = 0;
    const std::string duplicateQuestionEnd = std::string("\r\n") + RetryQuestion;
};

TEST_F(PostServicesTest, AFailingPostIsTriedTwentyOneTimesBeforeTheQuestion) {
    EditSifra(3, 2);                 // the key of "Kruška": every post violates the key
    EXPECT_FALSE(PostAndAppend(&t)); // "Ne"
    EXPECT_EQ(posts, 21);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].ends_with(duplicateQuestionEnd)) << asked[0];
    EXPECT_GT(asked[0].size(), duplicateQuestionEnd.size()); // the engine's message comes first
    EXPECT_EQ(t.State(), fw::dsEdit);
    EXPECT_EQ(t.FieldByName("Sifra").AsInteger(), 2); // the typed value is still there

    answers = {true, false}; // "Da" gives another 21 tries
    posts = 0;
    EXPECT_FALSE(PostAndSetKey(nullptr));
    fw::TDataSource source(&t);
    EXPECT_FALSE(PostAndSetKey(&source));
    EXPECT_EQ(posts, 42);
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(t.State(), fw::dsEdit);
    EXPECT_THAT(Names(*Other()), ElementsAre("Jabuka", "Kruška", "Šljiva"));
}

TEST_F(PostServicesTest, AnsweringDaAfterTheCauseIsGoneLetsThePostThrough) {
    EditSifra(3, 2);
    onAsk = [this] { // the user deletes the other record meanwhile
        auto other = Other();
        ASSERT_TRUE(other->FindKey({engine::Value::Int(1), engine::Value::Int(2)}));
        other->Delete();
    };
    answers = {true};
    fw::TDataSource source(&t);
    EXPECT_TRUE(PostAndSetKey(&source));
    EXPECT_EQ(posts, 22);
    EXPECT_EQ(t.State(), fw::dsSetKey);
    t.Cancel();
    EXPECT_THAT(Names(*Other()), ElementsAre("Jabuka", "Šljiva"));
}

TEST_F(PostServicesTest, PostInsertAndEditPostsTheNewRecordAndEditsIt) {
    t.InsertPost = true;
    t.Append();
    t.FieldByName("Partner").SetAsInteger(2);
    t.FieldByName("Sifra").SetAsInteger(1);
    t.FieldByName("Naziv").SetAsString("Dunja");
    EXPECT_TRUE(PostInsertAndEdit(&t));
    EXPECT_EQ(t.State(), fw::dsEdit);
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Dunja");
    EXPECT_FALSE(PostInsertAndEdit(&t)); // already in edit
    t.Cancel();

    // A key violation: after "Ne" the insert stays as it was.
    t.Append();
    t.FieldByName("Partner").SetAsInteger(1);
    t.FieldByName("Sifra").SetAsInteger(1);
    posts = 0;
    EXPECT_FALSE(PostInsertAndEdit(&t));
    EXPECT_EQ(posts, 21);
    EXPECT_EQ(t.State(), fw::dsInsert);
    t.Cancel();

    // Without the insert permission a new record is dropped, and the current one edited.
    t.InsertPost = false;
    t.Append();
    t.FieldByName("Partner").SetAsInteger(3);
    EXPECT_TRUE(PostInsertAndEdit(&t));
    EXPECT_EQ(t.RecordCount(), 4);
}

TEST_F(PostServicesTest, AFailedInsertIsUndoneWithoutTouchingExistingRows) {
    t.InsertPost = true;
    ASSERT_TRUE(t.FindKey({engine::Value::Int(1), engine::Value::Int(2)}));
    t.Append();
    t.FieldByName("Partner").SetAsInteger(1);
    t.FieldByName("Sifra").SetAsInteger(2); // "Kruška"'s key
    t.FieldByName("Naziv").SetAsString("Duplikat");
    EXPECT_FALSE(PostAndAppend(&t));
    EXPECT_EQ(posts, 1); // an insert is not retried: it is undone
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(t.State(), fw::dsBrowse);
    EXPECT_THAT(Names(*Other()), ElementsAre("Jabuka", "Kruška", "Šljiva"));

    // PostOrCancel and PostRecordAutoSave undo the same way.
    t.Append();
    t.FieldByName("Partner").SetAsInteger(1);
    t.FieldByName("Sifra").SetAsInteger(3);
    EXPECT_FALSE(PostOrCancel(&t));
    t.Append();
    t.FieldByName("Partner").SetAsInteger(1);
    t.FieldByName("Sifra").SetAsInteger(1);
    EXPECT_THROW(PostRecordAutoSave(&t), fw::EDatabaseError);
    EXPECT_EQ(t.State(), fw::dsBrowse);
    EXPECT_THAT(Names(*Other()), ElementsAre("Jabuka", "Kruška", "Šljiva"));
}

TEST_F(PostServicesTest, AnInsertWrittenBeforeItsPostFailedIsDeletedAgain) {
    t.InsertPost = true;
    t.AfterPost = [](fw::TDataSet&) { throw base::Exception("Greška nakon upisa"); };
    t.Append();
    t.FieldByName("Partner").SetAsInteger(1);
    t.FieldByName("Sifra").SetAsInteger(4);
    t.FieldByName("Naziv").SetAsString("Dunja");
    EXPECT_THROW(PostRecordAutoSave(&t), base::Exception);
    EXPECT_EQ(t.InsertPost, true);
    EXPECT_THAT(Names(*Other()), ElementsAre("Jabuka", "Kruška", "Šljiva"));

    // An edit that fails after writing is not undone by deleting anything.
    ASSERT_TRUE(t.FindKey({engine::Value::Int(1), engine::Value::Int(1)}));
    t.Edit();
    t.FieldByName("Naziv").SetAsString("Jabuka 2");
    EXPECT_THROW(PostRecordAutoSave(&t), base::Exception);
    EXPECT_THAT(Names(*Other()), ElementsAre("Jabuka 2", "Kruška", "Šljiva"));
}

TEST_F(PostServicesTest, EditsFailWithoutAMessageWhileAnotherOpenHoldsTheRecord) {
    auto other = Other();
    ASSERT_TRUE(other->FindKey({engine::Value::Int(1), engine::Value::Int(2)}));
    other->Edit();
    ASSERT_TRUE(t.FindKey({engine::Value::Int(1), engine::Value::Int(2)}));
    EXPECT_FALSE(StartEdit(&t));
    EXPECT_FALSE(CanEdit(&t));
    EXPECT_TRUE(RecordBusy(&t));
    EXPECT_EQ(t.State(), fw::dsBrowse);
    EXPECT_FALSE(t.ControlsDisabled());
    EXPECT_FALSE(DBMine.PostInProgress);
    EXPECT_TRUE(shown.empty());
    other->Cancel();

    EXPECT_TRUE(CanEdit(&t));
    EXPECT_EQ(t.State(), fw::dsBrowse); // a trial edit only
    EXPECT_FALSE(RecordBusy(&t));
    EXPECT_TRUE(StartEdit(&t));
    EXPECT_EQ(t.State(), fw::dsEdit);
    EXPECT_TRUE(StartEdit(&t));
    EXPECT_FALSE(RecordBusy(&t)); // an unchanged edit
    t.FieldByName("Naziv").SetAsString("Kruška 2");
    EXPECT_FALSE(RecordBusy(&t)); // its changes could be posted
    EXPECT_EQ(t.State(), fw::dsBrowse);
    EXPECT_FALSE(StartEdit(nullptr));
    EXPECT_TRUE(RecordBusy(nullptr));
}

TEST_F(PostServicesTest, PostInProgressIsSetWhileTheServicesEdit) {
    bool duringEdit = false, duringPost = false;
    t.BeforeEdit = [&](fw::TDataSet&) { duringEdit = DBMine.PostInProgress && t.ControlsDisabled(); };
    t.BeforePost = [&](fw::TDataSet&) { duringPost = DBMine.PostInProgress; };
    ASSERT_TRUE(StartEdit(&t));
    t.FieldByName("Naziv").SetAsString("Jabuka 2");
    PostEditKeepInsert(&t);
    EXPECT_TRUE(duringEdit);
    EXPECT_TRUE(duringPost);
    EXPECT_FALSE(DBMine.PostInProgress);
}

TEST_F(PostServicesTest, TheSmallPostAndCancelRoutines) {
    t.Append();
    PostEditKeepInsert(&t); // an insert is left alone
    EXPECT_EQ(t.State(), fw::dsInsert);
    PostEditAutoSave(&t); // ... and cancelled here
    EXPECT_EQ(t.State(), fw::dsBrowse);
    t.SetKey();
    CancelEdit(&t);
    EXPECT_EQ(t.State(), fw::dsBrowse);

    ASSERT_TRUE(t.FindKey({engine::Value::Int(1), engine::Value::Int(1)}));
    t.Edit();
    t.FieldByName("Sifra").SetAsInteger(2); // fails: swallowed
    PostEditKeepInsert(&t);
    EXPECT_EQ(t.State(), fw::dsEdit);
    EXPECT_THROW(PostEditFlush(&t), fw::EDatabaseError);
    CancelEditSafe(&t);
    EXPECT_EQ(t.State(), fw::dsBrowse);
    PostEditFlush(nullptr);

    EXPECT_TRUE(PostOrCancel(&t));
    EXPECT_TRUE(HasRecords(&t));
    EXPECT_FALSE(IsEditing(&t));
    EXPECT_TRUE(PostAndAppend(&t));
    EXPECT_TRUE(IsEditing(&t));
    t.Cancel();
    t.Close();
    EXPECT_FALSE(HasRecords(&t));
    EXPECT_FALSE(PostOrCancel(&t));
    EXPECT_FALSE(PostAndAppend(&t));
    EXPECT_FALSE(StartEdit(&t));
    EXPECT_TRUE(RecordBusy(&t));
}

TEST_F(PostServicesTest, NothingIsStartedWhileCalculatedFieldsAreComputed) {
    TMyTableX calc;
    calc.SetDatabaseName("Global");
    calc.SetTableName("SIFRE.DB");
    calc.AddField(std::make_unique<fw::TIntegerField>(), "Partner");
    calc.AddField(std::make_unique<fw::TIntegerField>(), "Sifra");
    calc.AddField(std::make_unique<fw::TIntegerField>(), "Oznaka", fw::fkCalculated);
    std::vector<bool> results;
    calc.OnCalcFields = [&](fw::TDataSet& ds) {
        if (ds.State() != fw::dsCalcFields) return;
        results = {PostAndAppend(&ds), StartEdit(&ds), CanEdit(&ds), PostInsertAndEdit(&ds)};
        ds.FieldByName("Oznaka").SetAsInteger(ds.FieldByName("Sifra").AsInteger() * 10);
    };
    calc.Open();
    EXPECT_THAT(results, ElementsAre(false, false, false, false));
    EXPECT_EQ(calc.State(), fw::dsBrowse);
    EXPECT_EQ(calc.FieldByName("Oznaka").AsInteger(), 10);
    EXPECT_EQ(calc.RecordCount(), 3);
}

TEST_F(PostServicesTest, FlushWritesOnlyChangedTablesOutsideTheLinkDatabase) {
    t.Changed = true;
    FlushTable(&t);
    EXPECT_FALSE(t.Changed);
    t.Close();
    TMyTableX link;
    link.SetDatabaseName("LINK");
    link.Changed = true;
    FlushTable(&link);
    EXPECT_TRUE(link.Changed);
    FlushTable(nullptr);
    EXPECT_TRUE(InsertPostAllowed(&*Other()));
    EXPECT_FALSE(InsertPostAllowed(&t));
}

// ------------------------------------------------------------------------------------------- key copies

TEST(WordSplitting, WordsEndAtBlanksAndSemicolons) {
    std::string list = "Partner ;; Sifra;Naziv  ";
    std::vector<std::string> words;
    for (std::string w = NextWord(list); !w.empty(); w = NextWord(list))
        words.push_back(w);
    EXPECT_THAT(words, ElementsAre("Partner", "Sifra", "Naziv"));
    std::string empty;
    EXPECT_EQ(NextWord(empty), "");
}

class MasterKeyTest : public ServicesTest {
protected:
    MasterKeyTest() {
        MakeKeyedTable("Global", "BOJE.DB");
        MakeKeyedTable("Global", "PARTNERI.DB");
        master.SetDatabaseName("Global");
        master.SetTableName("PARTNERI.DB");
        master.Open();
        AddRow(master, 7, 40, "Partner 7");
        detail.SetDatabaseName("Global");
        detail.SetTableName("BOJE.DB");
        detail.SetIndexFieldNames("Partner;Proizvodi;Sifra");
        detail.Open();
        AddRow(detail, 7, 1, "Bijela", 40);
        AddRow(detail, 7, 40, "Crna", 1);
        masterSource.SetDataSet(&master);
        detail.SetMasterSource(&masterSource);
    }
    fw::TTable master, detail;
    fw::TDataSource masterSource;
};

TEST_F(MasterKeyTest, SetKeyFromMasterPairsTheFieldsByPosition) {
    detail.SetKey();
    EXPECT_TRUE(SetKeyFromMaster(&detail, "Partner;Sifra"));
    EXPECT_EQ(detail.FieldByName("Partner").AsInteger(), 7);
    EXPECT_EQ(detail.FieldByName("Proizvodi").AsInteger(), 40); // from the master's Sifra
    EXPECT_TRUE(detail.FieldByName("Sifra").IsNull());
    ASSERT_TRUE(detail.GotoKey());
    EXPECT_EQ(detail.FieldByName("Naziv").AsString(), "Bijela");
    EXPECT_FALSE(SetKeyFromMaster(&detail, ""));
}

TEST_F(MasterKeyTest, MasterFieldsFillANewDetailRecord) {
    detail.SetMasterFields("Partner");
    detail.Append();
    EXPECT_TRUE(CopyMasterFields(&detail));
    EXPECT_EQ(detail.FieldByName("Partner").AsInteger(), 7);
    EXPECT_TRUE(MasterValuesPresent(&detail));
    EXPECT_TRUE(CopyMasterFieldList(&detail, "Nepostoji;Sifra", "Partner Sifra"));
    EXPECT_EQ(detail.FieldByName("Sifra").AsInteger(), 40); // the bad pair was skipped
    EXPECT_FALSE(CopyMasterFieldList(&detail, "", "Partner"));
    detail.Cancel();

    master.Edit();
    master.FieldByName("Partner").Clear();
    EXPECT_FALSE(MasterValuesPresent(&detail));
    master.Cancel();
    fw::TTable alone;
    EXPECT_FALSE(CopyMasterFields(&alone));
    EXPECT_FALSE(MasterValuesPresent(&alone));
}

TEST_F(MasterKeyTest, PendingEditsOfTheMasterArePostedFirst) {
    master.Edit();
    master.FieldByName("Naziv").SetAsString("Partner sedam");
    EXPECT_FALSE(RecordBusy(&detail));
    EXPECT_EQ(master.State(), fw::dsBrowse);
    EXPECT_EQ(detail.State(), fw::dsBrowse); // only a trial edit

    master.Edit();
    master.FieldByName("Naziv").SetAsString("Partner 7");
    detail.First();
    detail.Edit();
    detail.FieldByName("Naziv").SetAsString("Bijela 2");
    PostPendingEdits(&detail);
    EXPECT_EQ(master.State(), fw::dsBrowse);
    EXPECT_EQ(detail.State(), fw::dsBrowse);
    fw::TTable check;
    check.SetDatabaseName("Global");
    check.SetTableName("BOJE.DB");
    check.Open();
    EXPECT_THAT(Names(check), ElementsAre("Bijela", "Bijela 2")); // "Crna" comes first by Proizvodi
    EXPECT_EQ(Names(master).front(), "Partner 7");
}

TEST_F(MasterKeyTest, DetailsStayInEditWhileTheServicesPostTheMaster) {
    detail.SetMasterFields("Partner");
    detail.First();
    detail.Edit();
    detail.FieldByName("Naziv").SetAsString("Crna 2");
    ASSERT_TRUE(StartEdit(&master));
    master.FieldByName("Naziv").SetAsString("Partner sedam");
    PostEditKeepInsert(&master);
    EXPECT_EQ(master.State(), fw::dsBrowse);
    EXPECT_EQ(detail.State(), fw::dsEdit);
    EXPECT_EQ(detail.FieldByName("Naziv").AsString(), "Crna 2");
    EXPECT_FALSE(DBMine.PostInProgress);
    EXPECT_EQ(DBMine.PostingDataSet, nullptr);
}

// ------------------------------------------------------------------------------------------- files

class TableFilesTest : public ServicesTest {
protected:
    void Touch(const std::string& name, std::int64_t time) {
        std::ofstream(root / "global" / name) << name;
        base::SetFileTime(root / "global" / name, time);
    }
    std::int64_t Time(const std::string& name) { return base::FileTime(root / "global" / name); }
};

TEST_F(TableFilesTest, StampingGivesEveryFileOfTheTableTheDateOfItsDB) {
    const std::int64_t dbTime = 1'700'000'000'123'456'789;
    Touch("Roba.db", dbTime);
    Touch("ROBA.PX", 1'600'000'000'000'000'001);
    Touch("roba.X02", 1'600'000'000'000'000'002);
    Touch("ROBA.MB", dbTime);
    Touch("ROBA2.PX", 1'600'000'000'000'000'003);
    StampTableFiles(WBegin.GlobalFolder, "ROBA.DB");
    EXPECT_EQ(Time("ROBA.PX"), dbTime);
    EXPECT_EQ(Time("roba.X02"), dbTime);
    EXPECT_EQ(Time("ROBA.MB"), dbTime);
    EXPECT_EQ(Time("ROBA2.PX"), 1'600'000'000'000'000'003);

    Touch("BOJE.PX", 1'600'000'000'000'000'004); // no .DB: nothing happens
    StampTableFiles(WBegin.GlobalFolder, "BOJE.DB");
    EXPECT_EQ(Time("BOJE.PX"), 1'600'000'000'000'000'004);
    EXPECT_THROW(StampTableFiles(WBegin.GlobalFolder, "../ROBA.DB"), base::Exception);

    fw::TTable table;
    table.SetDatabaseName("GLOBAL2");
    table.SetTableName("boje"); // without extension, any case
    Touch("BOJE.DB", 1'650'000'000'000'000'000);
    SetTableFilesDate(&table);
    EXPECT_EQ(Time("BOJE.PX"), 1'650'000'000'000'000'000);
    table.SetDatabaseName(WBegin.GlobalFolder); // a folder path is no database of the program
    Touch("BOJE.PX", 5);
    SetTableFilesDate(&table);
    EXPECT_EQ(Time("BOJE.PX"), 5);
}

TEST_F(TableFilesTest, IndexFilesAreDeletedInTheDatabasesFolder) {
    for (const char* name :
         {"ROBA.DB", "ROBA.MB", "ROBA.PX", "ROBA.X02", "ROBA.Y02", "ROBA.VAL", "ROBA.XLSX"})
        Touch(name, 1);
    DeleteTableIndexFiles("roba.db", "GLOBAL2");
    EXPECT_TRUE(fs::exists(root / "global/ROBA.DB"));
    EXPECT_TRUE(fs::exists(root / "global/ROBA.MB"));
    EXPECT_TRUE(fs::exists(root / "global/ROBA.XLSX"));
    EXPECT_FALSE(fs::exists(root / "global/ROBA.PX"));
    EXPECT_FALSE(fs::exists(root / "global/ROBA.X02"));
    EXPECT_FALSE(fs::exists(root / "global/ROBA.VAL"));
    Touch("ROBA.PX", 1);
    DeleteTableFilesOf("ROBA.DB", "Global");
    EXPECT_FALSE(fs::exists(root / "global/ROBA.DB"));
    EXPECT_FALSE(fs::exists(root / "global/ROBA.PX"));
    EXPECT_TRUE(fs::exists(root / "global/ROBA.MB"));

    EXPECT_THROW(DeleteTableIndexFiles("*", "Global"), base::Exception);
    EXPECT_THROW(DeleteTableIndexFiles("ROBA.DB", "Nepoznata"), base::Exception);
    // The link folder is not set: nothing of the working directory is deleted.
    EXPECT_THROW(DeleteTableFilesOf("ROBA.DB", "LINK"), base::Exception);
    EXPECT_EQ(TableFileKey("Roba"), "ROBA.DB");
    EXPECT_EQ(TableFileKey("roba.db"), "ROBA.DB");
}

// ------------------------------------------------------------------------------------------- checks

class CheckOnOpeningTest : public ServicesTest {
protected:
    CheckOnOpeningTest() {
        t.SetDatabaseName("Lokal");
        t.SetTableName("wsystem.db");
    }
    bool Exists(const std::string& name) { return base::FindFile(root / "lokal", name).has_value(); }
    TMyTableX t;
};

TEST_F(CheckOnOpeningTest, TheQuickCheckCreatesAMissingTableAndTheFullOneRepairsIndexes) {
    CheckTableQuick(&t);
    ASSERT_TRUE(Exists("WSYSTEM.DB"));
    ASSERT_TRUE(Exists("WSYSTEM.PX"));
    DeleteTableIndexFiles("WSYSTEM.DB", "Lokal");
    t.Open(); // another dataset of the program has it open now: no check
    TMyTableX second;
    second.SetDatabaseName("LOKAL2");
    second.SetTableName("WSYSTEM.DB");
    CheckTableFull(&second);
    EXPECT_FALSE(Exists("WSYSTEM.PX"));
    t.Close();
    CheckTableFull(&second);
    EXPECT_TRUE(Exists("WSYSTEM.PX"));
}

TEST_F(CheckOnOpeningTest, TheCheckRunsUnderTheFolderLockWithTheTablesOptions) {
    std::vector<std::string> calls;
    int lockHolder = -1;
    bool noRestructure = false, showProgress = false;
    HooksOf(Folder::Lokal).CheckTables = [&](const std::string& path, const std::string& name,
                                             bool thorough) {
        calls.push_back(path + "|" + name + (thorough ? "|full" : "|quick"));
        lockHolder = DBMine.CheckLokalLock.A.a ? DBMine.CheckLokalLock.A.b : 0;
        noRestructure = OptionsOf(Folder::Lokal).NoRestructure;
        showProgress = OptionsOf(Folder::Lokal).ShowProgress;
    };
    t.CheckOption = true;
    t.NoLimit = true;
    CheckTableFull(&t);
    EXPECT_EQ(lockHolder, LockNo::FullCheckLokal);
    EXPECT_TRUE(noRestructure);
    EXPECT_TRUE(showProgress);
    t.RegistryHeld = true; // the caller holds the lock already
    CheckTableQuick(&t);
    EXPECT_EQ(lockHolder, 0);
    CheckTablesOf("", "lokal2", true);
    EXPECT_EQ(lockHolder, LockNo::CheckByNameLokal);
    EXPECT_FALSE(noRestructure);
    EXPECT_FALSE(showProgress);
    CheckTablesOf("x", "Nepoznata", true);
    EXPECT_THAT(calls, ElementsAre(WBegin.LokalFolder + "|WSYSTEM.DB|full",
                                   WBegin.LokalFolder + "|WSYSTEM.DB|quick", WBegin.LokalFolder + "||full"));
    EXPECT_EQ(DBMine.CheckLokalLock.A.a, 0);
    // "LINK2" is checked in the link folder, which must be set.
    EXPECT_THROW(CheckTablesOf("OPEN.DB", "LINK2", true), base::Exception);
}

TEST_F(CheckOnOpeningTest, AFailedCheckIsRetriedWhileTheLimitClosesATable) {
    int failures = 2, closes = 0;
    HooksOf(Folder::Lokal).CheckTables = [&](const std::string&, const std::string&, bool) {
        if (failures-- > 0) throw base::Exception("Previše otvorenih tablica");
    };
    DBMine.OpenTableLimitProc = [&](fw::TDataSet&) { return ++closes <= 5; };
    CheckTableQuick(&t);
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(DBMine.CheckLokalLock.A.a, 0);

    failures = 100;
    closes = 0;
    try {
        CheckTableQuick(&t);
        FAIL() << "the check's error must come through";
    } catch (const base::Exception& e) {
        EXPECT_STREQ(e.what(), "Previše otvorenih tablica");
    }
    EXPECT_EQ(closes, 6); // five tables closed, then nothing more to close
    EXPECT_EQ(DBMine.LastErrorMessage, "Previše otvorenih tablica");
    EXPECT_EQ(DBMine.CheckLokalLock.A.a, 0);
}

TEST_F(CheckOnOpeningTest, TheDefinitionsRoutinesRunOnTheDataSet) {
    TMyTableX radni, zemlja;
    radni.SetDatabaseName("lokal");
    radni.SetTableName("radninal");
    zemlja.SetDatabaseName("Global");
    zemlja.SetTableName("ZEMLJA.DB");
    CheckTableQuick(&radni);
    CheckTableQuick(&zemlja);
    radni.Open();
    zemlja.Open();
    EXPECT_FALSE(TableDefaultsOf(&radni));
    const DataSetRoutine setup = TableFieldSetupOf(&radni);
    ASSERT_TRUE(setup);
    setup(radni);
    EXPECT_EQ(radni.FieldByName("Iznos").Tag, FieldSetupTag);
    const DataSetRoutine defaults = TableDefaultsOf(&zemlja);
    ASSERT_TRUE(defaults);
    zemlja.Append();
    defaults(zemlja);
    EXPECT_EQ(zemlja.FieldByName("Govor").AsInteger(), 1);
    zemlja.Cancel();
    EXPECT_FALSE(TableFieldSetupOf(&zemlja));
    fw::TTable elsewhere;
    elsewhere.SetDatabaseName(WBegin.GlobalFolder);
    elsewhere.SetTableName("ZEMLJA.DB");
    EXPECT_FALSE(TableDefaultsOf(&elsewhere));
}

} // namespace
