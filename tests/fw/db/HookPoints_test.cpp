// The points where the program's own dataset layer changes the framework, used the way that layer uses them.

#include "fw/db/DatabaseError.h"
#include "fw/db/DataSource.h"
#include "fw/db/Session.h"
#include "fw/db/Table.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace fw;
using ::testing::ElementsAre;
using testsupport::TempFolder;

namespace {

void CreateTable(const TempFolder& folder, const char* name, std::initializer_list<const char*> names) {
    TTable t;
    t.SetDatabaseName(folder.Path().string());
    t.SetTableName(name);
    t.FieldDefs().Add("Code", ftAutoInc);
    t.FieldDefs().Add("Partner", ftInteger);
    t.FieldDefs().Add("Naziv", ftString, 20);
    t.CreateTable();
    t.AddIndex("", "Code", ixPrimary | ixUnique);
    t.AddIndex("_Partner", "Partner", 0);
    t.Open();
    int i = 0;
    for (const char* n : names) {
        t.Append();
        t.FieldByName("Partner").SetAsInteger(1 + i++ / 2);
        t.FieldByName("Naziv").SetAsString(n);
        t.Post();
    }
}

// A table that reports its state changes, can be closed softly and counts its rows after each write.
class RegistryTable : public TTable {
public:
    std::vector<std::string> log;
    bool SoftClose = false;
    bool IsOpen = false;
    bool IsEnabled = false;
    long long LastRecordCount = -1;

    bool Active() const override { return TTable::Active() && IsEnabled; }

    void SetActive(bool value) override {
        if (value && IsOpen) { // re-enable a softly closed table
            IsEnabled = true;
            log.push_back("enabled");
            return;
        }
        if (!value && IsOpen && SoftClose) {
            IsEnabled = false;
            log.push_back("disabled");
            return;
        }
        TTable::SetActive(value);
    }

protected:
    void SetState(TDataSetState value) override {
        if (!IsOpen && value != dsInactive) {
            IsOpen = IsEnabled = true;
            log.push_back("opened");
        } else if (IsOpen && value == dsInactive) {
            IsOpen = IsEnabled = false;
            log.push_back("closed");
        }
        log.push_back("state " + std::to_string(value));
        TTable::SetState(value);
    }
    void DoAfterWrite() override { LastRecordCount = RecordCount(); }
};

class HookPoints : public ::testing::Test {
protected:
    void SetUp() override {
        CreateTable(folder, "ROBA.DB", {"a", "b", "c", "d", "e"});
        table.SetDatabaseName(folder.Path().string());
        table.SetTableName("ROBA");
    }
    TempFolder folder;
    RegistryTable table;
};

TEST_F(HookPoints, EveryStateChangePassesSetState) {
    table.Open();
    table.Edit();
    table.FieldByName("Naziv").SetAsString("x");
    table.Post();
    table.Append();
    table.Cancel();
    table.SetKey();
    table.Cancel();
    table.Close();
    EXPECT_THAT(table.log, ElementsAre("opened", "state 1", "state 2", "state 1", "state 3", "state 1",
                                       "state 4", "state 1", "closed", "state 0"));
}

TEST_F(HookPoints, ASoftCloseKeepsTheTableOpenUnderneath) {
    table.Open();
    table.Next();
    table.SoftClose = true;
    table.Close();
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.State(), dsBrowse);
    table.BeforeOpen = [](TDataSet&) { FAIL() << "no second open"; };
    table.Open();
    EXPECT_TRUE(table.Active());
    EXPECT_EQ(table.FieldByName("Naziv").AsString(), "b");
    table.SoftClose = false;
    table.BeforeOpen = nullptr;
    table.Close();
    EXPECT_EQ(table.State(), dsInactive);
}

TEST_F(HookPoints, TheRecordCountIsTakenRightAfterEachWrite) {
    std::vector<long long> seenInAfterEvents;
    table.AfterPost = [&](TDataSet&) { seenInAfterEvents.push_back(table.LastRecordCount); };
    table.AfterDelete = [&](TDataSet&) { seenInAfterEvents.push_back(table.LastRecordCount); };
    table.Open();
    table.Append();
    table.FieldByName("Naziv").SetAsString("f");
    table.Post();
    table.Delete();
    table.Delete();
    EXPECT_THAT(seenInAfterEvents, ElementsAre(6, 5, 4));
}

TEST_F(HookPoints, LinkHooksCanHoldTheDetailsStillWhileAMasterIsPosted) {
    CreateTable(folder, "PARTNER.DB", {"p1", "p2"});
    TTable master, detail;
    for (TTable* t : {&master, &detail})
        t->SetDatabaseName(folder.Path().string());
    master.SetTableName("PARTNER");
    detail.SetTableName("ROBA");
    TDataSource source(&master);
    detail.SetIndexName("_Partner");
    detail.SetMasterFields("Code");
    detail.SetMasterSource(&source);
    master.Open();
    detail.Open();
    detail.Edit();
    detail.FieldByName("Naziv").SetAsString("izmjena");

    bool postInProgress = true;
    std::vector<TDataSet*> notified;
    DataLinkHooks().AroundNotify = [&](TDataSet& ds, const std::function<void()>& notify) {
        notified.push_back(&ds);
        notify();
    };
    DataLinkHooks().MasterMayFollow = [&](TMasterDataLink& link) {
        return !postInProgress || &link.DetailDataSet() != &detail;
    };
    master.Edit();
    master.FieldByName("Naziv").SetAsString("P1");
    master.Post();
    master.Next();
    EXPECT_EQ(detail.State(), dsEdit); // neither posted nor moved
    EXPECT_FALSE(notified.empty());
    EXPECT_EQ(notified.front(), &master);

    postInProgress = false;
    master.Prior();
    EXPECT_EQ(detail.State(), dsBrowse); // the detail left its record when the master moved
    DataLinkHooks() = {};
    detail.First();
    EXPECT_EQ(detail.FieldByName("Naziv").AsString(), "izmjena");
}

// Parks on a database close: the table is closed but keeps its cursor.
class ParkingTable : public TTable {
public:
    bool keep = false;
    int afterCloses = 0;
    ParkingTable() {
        AfterClose = [this](TDataSet&) { ++afterCloses; };
    }
    void Disconnect() override {
        keep = true;
        Close();
        keep = false;
    }

protected:
    void CloseCursor() override {
        if (keep) return DetachFromDatabase();
        TTable::CloseCursor();
    }
};

TEST_F(HookPoints, DisconnectDecidesWhatADatabaseCloseDoes) {
    TDatabase db;
    db.SetDatabaseName("Proba");
    db.SetParam("PATH", folder.Path().string());
    ParkingTable t;
    t.SetDatabaseName("proba");
    t.SetTableName("ROBA");
    t.Open();
    EXPECT_EQ(db.DataSetCount(), 1);
    db.Close();
    EXPECT_FALSE(t.Active());
    EXPECT_NE(t.Handle(), nullptr);
    EXPECT_EQ(db.DataSetCount(), 0);
    EXPECT_EQ(t.afterCloses, 1);
}

} // namespace
