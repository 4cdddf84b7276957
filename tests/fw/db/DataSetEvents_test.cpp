#include "MemoryDataSet.h"

#include "fw/db/DatabaseError.h"
#include "fw/db/DataSource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace fw;
using fwtest::MemoryDataSet;
using fwtest::MemoryRows;
using ::testing::ElementsAre;

namespace {

engine::Row R(int code, const char* naziv) {
    return {engine::Value::Int(code), engine::Value::Text(naziv)};
}

class DataSetEvents : public ::testing::Test {
protected:
    void SetUp() override {
        rows.Columns = {{"Code", ftInteger, 0, false, 1}, {"Naziv", ftString, 20, false, 2}};
        rows.Rows = {{1, R(1, "jedan")}, {2, R(2, "dva")}, {3, R(3, "tri")}};
        rows.NextId = 4;
        for (auto [name, slot] : std::initializer_list<std::pair<const char*, TDataSetNotifyEvent*>>{
                 {"BeforeOpen", &ds.BeforeOpen},
                 {"AfterOpen", &ds.AfterOpen},
                 {"BeforeClose", &ds.BeforeClose},
                 {"AfterClose", &ds.AfterClose},
                 {"BeforeInsert", &ds.BeforeInsert},
                 {"AfterInsert", &ds.AfterInsert},
                 {"BeforeEdit", &ds.BeforeEdit},
                 {"AfterEdit", &ds.AfterEdit},
                 {"BeforePost", &ds.BeforePost},
                 {"AfterPost", &ds.AfterPost},
                 {"BeforeCancel", &ds.BeforeCancel},
                 {"AfterCancel", &ds.AfterCancel},
                 {"BeforeDelete", &ds.BeforeDelete},
                 {"AfterDelete", &ds.AfterDelete},
                 {"BeforeScroll", &ds.BeforeScroll},
                 {"AfterScroll", &ds.AfterScroll},
                 {"OnNewRecord", &ds.OnNewRecord}}) {
            std::string n = name;
            *slot = [this, n](TDataSet& d) {
                calls.push_back(n);
                if (n == abortIn) throw base::Abort();
                EXPECT_EQ(&d, &ds);
            };
        }
    }
    std::vector<std::string> Take() { return std::exchange(calls, {}); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (auto& r : rows.Rows)
            names.push_back(r.second[1].IsNull() ? "" : r.second[1].AsText());
        return names;
    }

    MemoryRows rows;
    MemoryDataSet ds{rows};
    std::vector<std::string> calls;
    std::string abortIn;
};

TEST_F(DataSetEvents, OpenAndCloseRunTheirEventsInOrder) {
    EXPECT_EQ(ds.State(), dsInactive);
    ds.Open();
    EXPECT_THAT(Take(), ElementsAre("BeforeOpen", "AfterOpen", "AfterScroll"));
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_TRUE(ds.Active());
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.FieldByName("Naziv").AsString(), "jedan");
    ds.BeforeClose = [&](TDataSet& d) {
        calls.push_back("BeforeClose");
        EXPECT_TRUE(d.Active()); // still open in BeforeClose
    };
    ds.Close();
    EXPECT_THAT(Take(), ElementsAre("BeforeClose", "AfterClose"));
    EXPECT_EQ(ds.State(), dsInactive);
    EXPECT_THROW(ds.Next(), EDatabaseError);
}

TEST_F(DataSetEvents, ScrollingMovesAndStopsAtBothEnds) {
    ds.Open();
    Take();
    ds.Next();
    EXPECT_THAT(Take(), ElementsAre("BeforeScroll", "AfterScroll"));
    EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 2);
    EXPECT_FALSE(ds.Bof());
    ds.Next();
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 3);
    Take();
    ds.Next(); // already at the end: nothing happens
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(ds.MoveBy(-5), -2);
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 1);
    ds.Last();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ds.RecordCount(), 3);
    int seen = 0;
    for (ds.First(); !ds.Eof(); ds.Next())
        ++seen;
    EXPECT_EQ(seen, 3);
}

TEST_F(DataSetEvents, InsertAndPostRunTheirEventsAndStoreTheRow) {
    ds.Open();
    ds.OnNewRecord = [&](TDataSet& d) {
        calls.push_back("OnNewRecord");
        d.FieldByName("Naziv").SetAsString("novi");
    };
    Take();
    ds.Insert();
    EXPECT_THAT(Take(),
                ElementsAre("BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"));
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_FALSE(ds.Modified()); // defaults of a new record are no change
    ds.FieldByName("Code").SetAsInteger(10);
    EXPECT_TRUE(ds.Modified());
    ds.Post();
    EXPECT_THAT(Take(), ElementsAre("BeforePost", "AfterPost"));
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 10);
    EXPECT_THAT(Names(), ElementsAre("jedan", "dva", "tri", "novi"));
}

TEST_F(DataSetEvents, EditCancelAndDeleteRunTheirEvents) {
    ds.Open();
    ds.Next();
    Take();
    ds.Edit();
    EXPECT_THAT(Take(), ElementsAre("BeforeEdit", "AfterEdit"));
    EXPECT_EQ(ds.Memory()->Locks, 1);
    ds.FieldByName("Naziv").SetAsString("DVA");
    EXPECT_EQ(ds.FieldByName("Naziv").OldValue(), engine::Value::Text("dva"));
    ds.Cancel();
    EXPECT_THAT(Take(), ElementsAre("BeforeCancel", "AfterCancel"));
    EXPECT_EQ(ds.Memory()->Locks, 0);
    EXPECT_EQ(ds.FieldByName("Naziv").AsString(), "dva");
    ds.Delete();
    EXPECT_THAT(Take(), ElementsAre("BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"));
    EXPECT_THAT(Names(), ElementsAre("jedan", "tri"));
    EXPECT_EQ(ds.FieldByName("Naziv").AsString(), "tri");
    ds.Delete(); // the last row: the dataset stays at its end
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.FieldByName("Naziv").AsString(), "jedan");
    ds.Delete();
    EXPECT_TRUE(ds.Bof() && ds.Eof() && ds.IsEmpty());
    EXPECT_THROW(ds.Delete(), EDatabaseError);
}

TEST_F(DataSetEvents, AbortInABeforeEventLeavesTheDataUnchanged) {
    ds.Open();
    abortIn = "BeforeInsert";
    EXPECT_THROW(ds.Append(), base::Abort);
    EXPECT_EQ(ds.State(), dsBrowse);

    abortIn = "BeforeEdit";
    EXPECT_THROW(ds.Edit(), base::Abort);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.Memory()->Locks, 0);

    abortIn = "BeforePost";
    ds.Edit();
    ds.FieldByName("Naziv").SetAsString("promjena");
    EXPECT_THROW(ds.Post(), base::Abort);
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_THAT(Names(), ElementsAre("jedan", "dva", "tri"));
    ds.Cancel();

    abortIn = "BeforeDelete";
    EXPECT_THROW(ds.Delete(), base::Abort);
    EXPECT_THAT(Names(), ElementsAre("jedan", "dva", "tri"));

    abortIn = "BeforeScroll";
    EXPECT_THROW(ds.Next(), base::Abort);
    EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 1);

    abortIn = "BeforeClose";
    EXPECT_THROW(ds.Close(), base::Abort);
    EXPECT_TRUE(ds.Active());
    abortIn = "BeforeOpen";
    abortIn.clear();
}

TEST_F(DataSetEvents, AFailedPostKeepsTheRecordForAnotherTry) {
    ds.Open();
    ds.Append();
    ds.FieldByName("Code").SetAsInteger(9);
    ds.Memory()->FailWrites = true;
    try {
        ds.Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.ErrorKind(), EDatabaseError::Kind::KeyViolation);
    }
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 9);
    ds.Memory()->FailWrites = false;
    ds.Post();
    EXPECT_EQ(rows.Rows.size(), 4u);
}

TEST_F(DataSetEvents, CheckBrowseModePostsChangesAndCancelsUntouchedRecords) {
    ds.Open();
    ds.Append();
    ds.CheckBrowseMode();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(rows.Rows.size(), 3u);
    EXPECT_EQ(ds.FieldByName("Naziv").AsString(), "tri"); // an append moved to the end
    ds.First();
    ds.Edit();
    ds.FieldByName("Naziv").SetAsString("JEDAN");
    ds.Next(); // leaving the record posts it
    EXPECT_THAT(Names(), ElementsAre("JEDAN", "dva", "tri"));
    ds.Edit();
    ds.FieldByName("Naziv").SetAsString("DVA");
    ds.Refresh(); // a refresh posts a pending edit and stays on the record
    EXPECT_EQ(ds.FieldByName("Naziv").AsString(), "DVA");
    EXPECT_THAT(Names(), ElementsAre("JEDAN", "DVA", "tri"));
}

TEST_F(DataSetEvents, EditOnAnEmptyDataSetInserts) {
    rows.Rows.clear();
    ds.Open();
    EXPECT_TRUE(ds.IsEmpty());
    ds.Edit();
    EXPECT_EQ(ds.State(), dsInsert);
}

TEST_F(DataSetEvents, BookmarksReturnToTheirRecord) {
    ds.Open();
    ds.Next();
    TBookmark b = ds.GetBookmark();
    ds.Last();
    EXPECT_TRUE(ds.BookmarkValid(b));
    EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 3); // checking moved nothing
    ds.GotoBookmark(b);
    EXPECT_EQ(ds.FieldByName("Code").AsInteger(), 2);
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(b));
    EXPECT_THROW(ds.GotoBookmark(b), EDatabaseError);
}

TEST_F(DataSetEvents, FilterSkipsRowsAndCountsOnlyTheOthers) {
    ds.OnFilterRecord = [](TDataSet& d, bool& accept) {
        accept = d.FieldByName("Naziv").AsString() != "dva";
    };
    ds.SetFiltered(true);
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 2);
    ds.Next();
    EXPECT_EQ(ds.FieldByName("Naziv").AsString(), "tri");
    ds.SetFiltered(false);
    EXPECT_EQ(ds.RecordCount(), 3);
}

TEST_F(DataSetEvents, DestroyingAnOpenDataSetRunsNoCloseEvents) {
    {
        MemoryDataSet other(rows);
        other.BeforeClose = [&](TDataSet&) { calls.push_back("BeforeClose"); };
        other.AfterClose = [&](TDataSet&) { calls.push_back("AfterClose"); };
        other.Open();
    }
    EXPECT_TRUE(calls.empty());
}

// ------------------------------------------------------------------------------------ data sources and links

class RecordingLink : public TDataLink {
public:
    std::vector<std::string> calls;
    std::string pending;

protected:
    void ActiveChanged() override { calls.push_back(Active() ? "active" : "inactive"); }
    void EditingChanged() override { calls.push_back(Editing() ? "editing" : "not editing"); }
    void RecordChanged(TField* f) override {
        calls.push_back("record " + (f ? f->FieldName() : std::string("-")));
    }
    void UpdateData() override {
        calls.push_back("update");
        if (!pending.empty()) DataSet()->FieldByName("Naziv").SetAsString(std::exchange(pending, ""));
    }
    void CheckBrowseMode() override { calls.push_back("check"); }
};

TEST_F(DataSetEvents, DataLinksFollowTheDataSet) {
    TDataSource source(&ds);
    RecordingLink link;
    link.SetDataSource(&source);
    std::vector<TDataSetState> states;
    source.OnStateChange = [&](TDataSource& s) { states.push_back(s.State()); };
    ds.Open();
    EXPECT_THAT(link.calls, ElementsAre("active"));
    link.calls.clear();
    ds.Next();
    EXPECT_THAT(link.calls, ElementsAre("check", "record -"));
    link.calls.clear();
    EXPECT_TRUE(link.Edit());
    EXPECT_THAT(link.calls, ElementsAre("check", "editing", "record -"));
    link.calls.clear();
    link.pending = "iz kontrole";
    ds.Post(); // the control's pending text goes in before the post; its own change is not echoed to it
    EXPECT_THAT(link.calls, ElementsAre("update", "check", "not editing", "record -"));
    EXPECT_EQ(ds.FieldByName("Naziv").AsString(), "iz kontrole");
    ds.Close();
    EXPECT_THAT(states, ElementsAre(dsBrowse, dsEdit, dsBrowse, dsInactive));
    EXPECT_FALSE(link.Active());
}

TEST_F(DataSetEvents, DisabledControlsHearOneChangeWhenEnabledAgain) {
    TDataSource source(&ds);
    int changes = 0;
    source.OnDataChange = [&](TDataSource&, TField*) { ++changes; };
    ds.Open();
    changes = 0;
    ds.DisableControls();
    ds.DisableControls();
    EXPECT_TRUE(ds.ControlsDisabled());
    ds.Next();
    ds.Next();
    ds.EnableControls();
    EXPECT_TRUE(ds.ControlsDisabled());
    EXPECT_EQ(changes, 0);
    ds.EnableControls();
    EXPECT_FALSE(ds.ControlsDisabled());
    EXPECT_EQ(changes, 1);
    ds.EnableControls(); // one too many does no harm
    EXPECT_FALSE(ds.ControlsDisabled());
}

TEST_F(DataSetEvents, SourceAndLinkSurviveEitherBeingDestroyedFirst) {
    auto source = std::make_unique<TDataSource>(&ds);
    auto link = std::make_unique<RecordingLink>();
    link->SetDataSource(source.get());
    ds.Open();
    source.reset();
    EXPECT_EQ(link->DataSource(), nullptr);
    EXPECT_FALSE(link->Active());
    {
        MemoryDataSet other(rows);
        TDataSource s2(&other);
        other.Open();
        link->SetDataSource(&s2);
        EXPECT_TRUE(link->Active());
        link->SetDataSource(nullptr);
    }
}

} // namespace
