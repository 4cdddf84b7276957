#include "tests/app/data/DataLayerFixture.h"

#include "fw/db/DatabaseError.h"
#include "fw/db/DataSource.h"
#include "tests/support/ChildProcess.h"

#include <gmock/gmock.h>

#include <cstdlib>

using namespace app;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ChangedDataSetTest : public apptest::DataLayerTest {
protected:
    void SetUp() override {
        DataLayerTest::SetUp();
        MakeTable("Global", "ROBA.DB");
        MakeTable("Global", "BOJE.DB");
        MakeTable("Lokal", "WINGL.DB");
        fw::TTable t;
        t.SetDatabaseName("Global");
        t.SetTableName("ROBA.DB");
        t.Open();
        AddRows(t, {{1, "Šljiva"}, {2, "Kruška"}, {1, "Jabuka"}, {3, "Dunja"}});
    }
};

TEST_F(ChangedDataSetTest, OpenAndCloseAreCountedOnTheSlot) {
    TMyTableX t;
    Setup(t, "Global", "ROBA.DB");
    t.Open();
    EXPECT_TRUE(t.Active());
    EXPECT_TRUE(t.IsOpen && t.IsEnabled && t.HandleKept);
    EXPECT_EQ(DistinctOpen(), 1);
    EXPECT_EQ(Table_Open(t), 1);
    t.Close();
    EXPECT_FALSE(t.IsOpen || t.HandleKept);
    EXPECT_EQ(t.Handle(), nullptr);
    EXPECT_EQ(DistinctOpen(), 0);
    EXPECT_EQ(OpenListCount(), 0);
}

TEST_F(ChangedDataSetTest, OpeningUnderTheHeldRegistryLockIsReportedAsADeadlock) {
    TMyTableX t;
    Setup(t, "Global", "ROBA.DB");
    std::string error;
    {
        LockScope formTables(DBMine.RegistryLock, LockNo::LoadFormTables);
        try {
            t.Open();
        } catch (const base::Exception& e) {
            error = e.Message();
        }
        EXPECT_FALSE(t.Active());
        EXPECT_EQ(t.Handle(), nullptr);
        OpenQuietly(t); // the sanctioned way while the lock is held
        EXPECT_TRUE(t.Active());
        CloseQuietly(t);
    }
    EXPECT_EQ(error, "Deathlock !?");
    EXPECT_THAT(shown, ElementsAre("DeathLock_1 at 10,\r\nwaiting for 32."));
    EXPECT_EQ(DBMine.RegistryLock.A.a.load(), 0);
    EXPECT_EQ(DistinctOpen(), 0);
}

TEST_F(ChangedDataSetTest, SoftCloseLeavesTheTableOpenButIdle) {
    TMyTableX t;
    Setup(t, "Global", "ROBA.DB");
    int opens = 0, closes = 0;
    t.BeforeOpen = [&](fw::TDataSet&) { ++opens; };
    t.AfterClose = [&](fw::TDataSet&) { ++closes; };
    t.Open();
    t.Next();
    engine::Cursor* cursor = t.Handle();
    t.SoftClose = true;
    t.Close();
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(t.State(), fw::dsBrowse);
    EXPECT_TRUE(t.ControlsDisabled());
    EXPECT_EQ(DistinctOpen(), 1);
    EXPECT_EQ(EnabledCount(t.Slot), 0);
    EXPECT_EQ(IdleHeadSlot(), t.Slot);
    t.Open();
    EXPECT_TRUE(t.Active());
    EXPECT_FALSE(t.ControlsDisabled());
    EXPECT_EQ(t.Handle(), cursor);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(EnabledCount(t.Slot), 1);
    EXPECT_EQ(IdleCount(), 0);
    // A quiet close is real, soft close or not.
    CloseQuietly(t);
    EXPECT_TRUE(t.SoftClose);
    EXPECT_EQ(t.Handle(), nullptr);
    EXPECT_EQ(DistinctOpen(), 0);
}

TEST_F(ChangedDataSetTest, AnExclusiveLinkTableDropsItsPendingEditWhenReEnabled) {
    fw::TDatabase link;
    Connect(link, "LINK", folder / "global");
    TMyTableX t;
    Setup(t, "LINK", "BOJE.DB");
    t.SetExclusive(true);
    t.Open();
    EXPECT_EQ(SlotKind(t.Slot), 3);
    t.Append();
    t.FieldByName("Naziv").SetAsString("Bijela");
    t.SoftClose = true;
    t.Close();
    t.Open();
    EXPECT_EQ(t.State(), fw::dsBrowse);
    EXPECT_EQ(t.RecordCount(), 0);
    CloseQuietly(t);
}

TEST_F(ChangedDataSetTest, AParkedTableKeepsItsCursorFieldsAndIndex) {
    TMyTableX t;
    Setup(t, "Global", "ROBA.DB");
    t.SetIndexName("PartnerNaziv");
    t.Open();
    EXPECT_EQ(t.SavedIndexName, "PartnerNaziv");
    EXPECT_TRUE(t.IndexOnOpen);
    fw::TField* naziv = &t.FieldByName("Naziv");
    CloseKeepingHandle(t);
    EXPECT_TRUE(t.Parked());
    EXPECT_FALSE(t.KeepHandle);
    EXPECT_NE(t.Handle(), nullptr);
    EXPECT_EQ(OpenListCount(), 1);
    EXPECT_EQ(OpenTables().front(), &t);
    EXPECT_EQ(DistinctOpen(), 0);
    t.SetIndexName(""); // not chosen again on reopen
    t.Open();
    EXPECT_EQ(OpenListCount(), 0);
    EXPECT_EQ(&t.FieldByName("Naziv"), naziv);
    EXPECT_THAT(Walk(t), ElementsAre("Jabuka", "Šljiva", "Kruška", "Dunja"));
    CloseKeepingHandle(t);
    CloseAllListed();
    EXPECT_EQ(OpenListCount(), 0);
    EXPECT_EQ(t.Handle(), nullptr);
    EXPECT_FALSE(t.HandleKept);
    EXPECT_EQ(t.Tag & TagFinalClose, 0);
}

TEST_F(ChangedDataSetTest, AParkedTableSeesRowsAddedMeanwhile) {
    TMyTableX t;
    Setup(t, "Global", "ROBA.DB");
    t.Open();
    CloseKeepingHandle(t);
    fw::TTable other;
    other.SetDatabaseName("Global");
    other.SetTableName("ROBA.DB");
    other.Open();
    AddRows(other, {{4, "Trešnja"}});
    t.Open();
    EXPECT_EQ(t.RecordCount(), 5);
}

TEST_F(ChangedDataSetTest, ClosingOrParkingDropsAPendingEditAndItsRecordLock) {
    TMyTableX t;
    Setup(t, "Global", "ROBA.DB");
    fw::TTable other;
    other.SetDatabaseName("Global");
    other.SetTableName("ROBA.DB");
    other.Open();
    for (bool park : {false, true}) {
        t.Open();
        t.Edit();
        t.FieldByName("Naziv").SetAsString("Nepotvrđeno");
        EXPECT_THROW(other.Edit(), fw::EDatabaseError);
        if (park)
            CloseKeepingHandle(t);
        else
            t.Close();
        other.Edit();
        EXPECT_EQ(other.FieldByName("Naziv").AsString(), "Šljiva");
        other.Cancel();
    }
    CloseAllListed();
}

TEST_F(ChangedDataSetTest, ClosingTheDatabaseParksItsTables) {
    TMyTableX a, b;
    Setup(a, "Global", "ROBA.DB");
    Setup(b, "Global", "BOJE.DB");
    int afterClose = 0;
    b.AfterClose = [&](fw::TDataSet&) { ++afterClose; };
    a.Open();
    b.Open();
    b.SoftClose = true;
    b.Close(); // soft-closed: still open underneath
    global.Close();
    EXPECT_TRUE(a.Parked());
    EXPECT_TRUE(b.Parked());
    EXPECT_EQ(OpenListCount(), 2);
    EXPECT_EQ(DistinctOpen(), 0);
    EXPECT_FALSE(a.RegistryHeld || a.KeepHandle);
    EXPECT_TRUE(b.SoftClose);
    EXPECT_EQ(afterClose, 1);
    a.Open();
    EXPECT_EQ(a.RecordCount(), 4);
    CloseAllListed();
    EXPECT_EQ(b.Handle(), nullptr);
}

TEST_F(ChangedDataSetTest, DestroyingATableLeavesNothingInTheRegistry) {
    {
        TMyTableX open, parked, soft;
        Setup(open, "Global", "ROBA.DB");
        Setup(parked, "Global", "BOJE.DB");
        Setup(soft, "Lokal", "WINGL.DB");
        open.Open();
        parked.Open();
        CloseKeepingHandle(parked);
        soft.Open();
        soft.SoftClose = true;
        soft.Close();
        EXPECT_EQ(DistinctOpen(), 2);
        EXPECT_EQ(IdleCount(), 1);
    }
    EXPECT_EQ(DistinctOpen(), 0);
    EXPECT_EQ(IdleCount(), 0);
    EXPECT_EQ(OpenListCount(), 0);
    fw::TTable exclusive; // nobody holds the files any more
    exclusive.SetDatabaseName("Global");
    exclusive.SetTableName("BOJE.DB");
    exclusive.SetExclusive(true);
    EXPECT_NO_THROW(exclusive.Open());
}

TEST_F(ChangedDataSetTest, TheLimitIsAskedBeforeOpeningBeyondTheMaximum) {
    DBMine.MaxOpenTables = 1;
    TMyTableX a, b, c;
    Setup(a, "Global", "ROBA.DB");
    Setup(b, "Global", "BOJE.DB");
    Setup(c, "Lokal", "WINGL.DB");
    std::vector<std::string> asked;
    DBMine.OpenTableLimitProc = [&](fw::TDataSet& ds) {
        asked.push_back(static_cast<fw::TTable&>(ds).TableName());
        if (IdleCount() == 0) return false;
        for (TMyTableX* t : {&a, &b, &c})
            if (t->IsOpen && t->Slot == IdleHeadSlot()) {
                CloseKeepingHandle(*t);
                return true;
            }
        return false;
    };
    a.Open();
    a.SoftClose = true;
    a.Close();
    b.Open();
    EXPECT_THAT(asked, IsEmpty());
    EXPECT_EQ(DistinctOpen(), 2);
    c.Open();
    EXPECT_THAT(asked, ElementsAre("WINGL.DB"));
    EXPECT_TRUE(a.Parked());
    EXPECT_EQ(DistinctOpen(), 2);
    // A table with NoLimit never asks.
    CloseQuietly(c);
    a.NoLimit = true;
    a.Open();
    EXPECT_EQ(asked.size(), 1u);
    CloseAllListed();
}

TEST_F(ChangedDataSetTest, AFailedOpenIsRetriedWhileTheLimitClosesATable) {
    fw::TTable blocker; // an exclusive open elsewhere makes the shared open fail
    blocker.SetDatabaseName("Global");
    blocker.SetTableName("ROBA.DB");
    blocker.SetExclusive(true);
    blocker.Open();
    TMyTableX t;
    Setup(t, "Global", "ROBA.DB");
    int limitCalls = 0;
    DBMine.OpenTableLimitProc = [&](fw::TDataSet&) {
        ++limitCalls;
        if (!blocker.Active()) return false;
        blocker.Close();
        return true;
    };
    t.Open();
    EXPECT_EQ(limitCalls, 1);
    EXPECT_TRUE(t.Active());
    EXPECT_FALSE(DBMine.LastErrorMessage.empty());
}

TEST_F(ChangedDataSetTest, AFailedOpenGetsOneRepairTryThenTheFirstError) {
    TMyTableX t;
    Setup(t, "Global", "NOVA.DB");
    std::vector<bool> retries;
    t.BeforeOpen = [&](fw::TDataSet&) {
        retries.push_back(t.RetryOpen);
        if (!t.RetryOpen) return;
        t.RetryOpen = false; // repaired: the open is tried again
        MakeTable("Global", "NOVA.DB");
    };
    t.Open();
    EXPECT_THAT(retries, ElementsAre(false, true));
    EXPECT_TRUE(t.Active());
    t.Close();

    TMyTableX u;
    Setup(u, "Global", "NEMA.DB");
    int calls = 0;
    u.BeforeOpen = [&](fw::TDataSet&) { ++calls; };
    std::string first;
    try {
        u.Open();
    } catch (const base::Exception& e) {
        first = e.Message();
    }
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(u.RetryOpen);
    EXPECT_EQ(first, DBMine.LastErrorMessage);
    EXPECT_THAT(first, ::testing::HasSubstr("NEMA"));
    EXPECT_FALSE(u.IsOpen);
    EXPECT_EQ(DistinctOpen(), 0);
    // A repair that fails ends the open with its own error and leaves no retry pending.
    u.BeforeOpen = [&](fw::TDataSet&) {
        if (u.RetryOpen) throw base::Exception("Popravak nije uspio");
    };
    EXPECT_THROW(u.Open(), base::Exception);
    EXPECT_FALSE(u.RetryOpen);
}

TEST_F(ChangedDataSetTest, ProgramErrorsForAMissingDatabaseOrIndex) {
    TMyTableX t;
    t.SetTableName("ROBA.DB");
    try {
        t.Open();
        FAIL();
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "No DataBase Handle !");
    }
    t.SetDatabaseName("Global");
    t.SetIndexName("NemaTakvog");
    try {
        t.Open();
        FAIL();
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "GetIndexParams: IndexDefs=nil !?");
    }
    EXPECT_EQ(t.Handle(), nullptr);
    fw::TTable exclusive;
    exclusive.SetDatabaseName("Global");
    exclusive.SetTableName("ROBA.DB");
    exclusive.SetExclusive(true);
    EXPECT_NO_THROW(exclusive.Open());
}

TEST_F(ChangedDataSetTest, TheRetryOfTableOperationsStopsWhenNothingCanBeClosed) {
    TMyTableX t;
    Setup(t, "Global", "KRIVA.DB");
    t.FieldDefs().Add("Code", fw::ftAutoInc);
    t.FieldDefs().Add("Slika", fw::ftBlob); // the tables cannot be created with it
    int limitCalls = 0;
    DBMine.OpenTableLimitProc = [&](fw::TDataSet&) { return ++limitCalls < 3; };
    // (A limit routine that claims to close tables for ever is cut off.)
    EXPECT_THROW(t.CreateTable(), base::Exception);
    EXPECT_EQ(limitCalls, 3);
    EXPECT_THAT(DBMine.LastErrorMessage, ::testing::HasSubstr("Slika"));
}

class MasterDetailTest : public ChangedDataSetTest {
protected:
    void SetUp() override {
        ChangedDataSetTest::SetUp();
        fw::TTable p;
        p.SetDatabaseName("Global");
        p.SetTableName("PARTNER.DB");
        p.FieldDefs().Add("Partner", fw::ftInteger);
        p.FieldDefs().Add("Šifra", fw::ftInteger);
        p.IndexDefs().Add("", "Partner", fw::ixPrimary | fw::ixUnique);
        p.CreateTable();
        p.Open();
        for (int i : {1, 2}) {
            p.Append();
            p.FieldByName("Partner").SetAsInteger(i);
            p.FieldByName("Šifra").SetAsInteger(3);
            p.Post();
        }
        p.Close();
        Setup(master, "Global", "PARTNER.DB");
        Setup(detail, "Global", "ROBA.DB");
        source.SetDataSet(&master);
        detail.SetIndexName("PartnerNaziv");
        detail.SetMasterSource(&source);
    }
    TMyTableX master, detail;
    fw::TDataSource source;
};

TEST_F(MasterDetailTest, TheRangeFollowsTheMaster) {
    master.Open();
    detail.SetMasterFields("Partner");
    detail.Open();
    EXPECT_EQ(detail.Tag & TagLinkIncomplete, 0);
    EXPECT_THAT(Walk(detail), ElementsAre("Jabuka", "Šljiva"));
    master.Next();
    EXPECT_THAT(Walk(detail), ElementsAre("Kruška"));
    detail.SoftClose = true;
    detail.Close();
    master.First();
    detail.Open(); // re-enabled: the range is set again for the current master
    EXPECT_THAT(Walk(detail), ElementsAre("Jabuka", "Šljiva"));
}

TEST_F(MasterDetailTest, ALinkThroughAnInvalidNameStopsAndLeavesTheRangeUnapplied) {
    master.Open();
    detail.SetMasterFields("Šifra");
    detail.Open();
    EXPECT_NE(detail.Tag & TagLinkIncomplete, 0);
    EXPECT_EQ(detail.RecordCount(), 4);
    master.Next();
    EXPECT_EQ(detail.RecordCount(), 4);
    detail.SetMasterFields("Partner");
    EXPECT_EQ(detail.Tag & TagLinkIncomplete, 0);
    EXPECT_THAT(Walk(detail), ElementsAre("Kruška"));
}

TEST_F(MasterDetailTest, DetailsStayInEditWhileThePostHelpersPostTheMaster) {
    master.Open();
    detail.SetMasterFields("Partner");
    detail.Open();
    detail.Edit();
    detail.FieldByName("Naziv").SetAsString("Šljiva 2");
    DBMine.PostInProgress = true; // as the post helpers set it around their edit and post
    master.Edit();
    master.FieldByName("Šifra").SetAsInteger(7);
    master.Post();
    DBMine.PostInProgress = false;
    EXPECT_EQ(DBMine.PostingDataSet, nullptr);
    EXPECT_EQ(detail.State(), fw::dsEdit);
    detail.Cancel();
    // Without the helpers the master's post makes the detail leave its record.
    detail.Edit();
    detail.FieldByName("Naziv").SetAsString("Šljiva 3");
    master.Edit();
    master.FieldByName("Šifra").SetAsInteger(8);
    master.Post();
    EXPECT_EQ(detail.State(), fw::dsBrowse);
}

class NewLastRecordTest : public ChangedDataSetTest {
protected:
    void SetUp() override {
        ChangedDataSetTest::SetUp();
        DBMine.MultiUser = true;
        Setup(t, "Global", "ROBA.DB");
        t.OnNewLastRecord = [&](fw::TDataSet& ds) { reports.push_back(ds.FieldByName("Naziv").AsString()); };
    }
    TMyTableX t;
    std::vector<std::string> reports;
};

TEST_F(NewLastRecordTest, AnotherDatasetsInsertIsReportedOnceAtRefresh) {
    t.Open();
    t.First();
    EXPECT_THAT(reports, ElementsAre("Dunja")); // the first check on a non-empty table reports
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Šljiva");
    t.Next();
    fw::TTable other;
    other.SetDatabaseName("Global");
    other.SetTableName("ROBA.DB");
    other.Open();
    AddRows(other, {{5, "Trešnja"}});
    t.Refresh();
    EXPECT_THAT(reports, ElementsAre("Dunja", "Trešnja"));
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Kruška"); // back where it was
    t.Refresh();
    t.First();
    t.Last();
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_EQ(t.ReportedRecordCount, 5);
}

// A second program process on the same folder (the one given): appends a row to "ROBA.DB".
PLOM_CHILD_ROLE(RobaAppender) {
    fw::TTable t;
    t.SetDatabaseName(args.at(0));
    t.SetTableName("ROBA.DB");
    t.Open();
    t.Append();
    t.FieldByName("Naziv").SetAsString("Marelica");
    t.Post();
    return 0;
}

TEST_F(NewLastRecordTest, AnotherProcesssInsertIsReportedAtRefresh) {
    t.Open();
    t.Refresh();
    t.Next();
    EXPECT_THAT(reports, ElementsAre("Dunja"));
    auto other = testsupport::ChildProcess::Role("RobaAppender", {(folder.Path() / "global").string()});
    const auto status = other->Wait();
    ASSERT_TRUE(status && status->Success()) << other->Errors();
    t.Refresh();
    EXPECT_THAT(reports, ElementsAre("Dunja", "Marelica"));
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Kruška");
    EXPECT_EQ(t.RecordCount(), 5);
}

TEST_F(NewLastRecordTest, OwnInsertsAreReportedToo) {
    t.Open();
    t.Last();
    EXPECT_THAT(reports, ElementsAre("Dunja"));
    AddRows(t, {{6, "Višnja"}});
    EXPECT_EQ(t.LastRecordCount, 5);
    t.First();
    EXPECT_THAT(reports, ElementsAre("Dunja", "Višnja"));
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Šljiva"); // First ends on the first record
    t.Delete();
    EXPECT_EQ(t.LastRecordCount, 4);
}

TEST_F(NewLastRecordTest, NothingIsReportedOutsideMultiUserMode) {
    DBMine.MultiUser = false;
    t.Open();
    t.First();
    t.Refresh();
    EXPECT_THAT(reports, IsEmpty());
}

} // namespace
