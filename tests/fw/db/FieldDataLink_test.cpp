#include "fw/db/FieldDataLink.h"
#include "fw/db/Table.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

class DataLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        Prepare(t);
        t.FieldDefs().Add("Code", ftAutoInc);
        t.FieldDefs().Add("Partner", ftInteger);
        t.FieldDefs().Add("Naziv", ftString, 20);
        t.CreateTable();
        t.AddIndex("", "Code", ixPrimary | ixUnique);
        t.AddIndex("PartnerNaziv", "Partner;Naziv", 0);
        t.Open();
        for (auto [partner, naziv] : {std::pair{1, "a"}, {2, "b"}, {2, "c"}, {2, "d"}, {3, "e"}}) {
            t.Append();
            t.FieldByName("Partner").SetAsInteger(partner);
            t.FieldByName("Naziv").SetAsString(naziv);
            t.Post();
        }
        t.First();
    }
    void Prepare(TTable& table) {
        table.SetDatabaseName(folder.Path().string());
        table.SetTableName("ROBA.DB");
    }
    // The Naziv of the row at that position, read for a view.
    std::string At(long long recNo) {
        std::string text = "-";
        t.ReadRecordAt(recNo, [&] { text = t.FieldByName("Naziv").AsString(); });
        return text;
    }
    testsupport::TempFolder folder;
    TTable t;
};

TEST_F(DataLinkTest, ReadsRowsOfTheViewWithoutMovingTheRecord) {
    t.Next();
    EXPECT_EQ(At(5), "e");
    EXPECT_EQ(At(1), "a");
    EXPECT_EQ(At(6), "-");
    EXPECT_EQ(At(0), "-");
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "b") << "the current record stays";
    // Within a range and a filter the positions are those of the view.
    t.SetIndexFieldNames("Partner;Naziv");
    t.SetRange({engine::Value::Int(2)}, {engine::Value::Int(2)});
    t.OnFilterRecord = [](TDataSet& ds, bool& accept) { accept = ds.FieldByName("Naziv").AsString() != "c"; };
    t.SetFiltered(true);
    EXPECT_EQ(At(1), "b");
    EXPECT_EQ(At(2), "d");
    EXPECT_EQ(At(3), "-");
    // While the record is edited the view's rows are the stored ones.
    t.Edit();
    t.FieldByName("Naziv").SetAsString("x");
    EXPECT_EQ(At(1), "b");
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "x");
}

TEST_F(DataLinkTest, KeepsTheControlsTextUntilTheRecordIsUpdated) {
    TDataSource source(&t);
    TFieldDataLink link;
    std::string shown, typed;
    link.OnDataChange = [&] { shown = link.Field() ? link.Field()->AsString() : "?"; };
    link.OnUpdateData = [&] { link.Field()->SetAsString(typed); };
    link.SetFieldName("Naziv");
    link.SetDataSource(&source);
    EXPECT_EQ(shown, "a");
    ASSERT_TRUE(link.Edit());
    typed = "z";
    link.SetModified();
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "a") << "nothing is written while the control holds it";
    EXPECT_FALSE(t.Modified());
    t.Post();
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "z") << "the post asked the control";
    EXPECT_FALSE(link.Modified());
    // A scroll drops what the control held and shows the next record.
    link.Edit();
    typed = "lost";
    link.SetModified();
    t.Cancel();
    EXPECT_FALSE(link.Modified());
    t.Next();
    EXPECT_EQ(shown, "b");
    // A read-only link (or table) never puts the record into edit.
    link.ReadOnly = true;
    EXPECT_FALSE(link.Edit());
    link.ReadOnly = false;
    t.ReadOnly = true;
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(t.State(), dsBrowse);
    t.Close();
    EXPECT_EQ(link.Field(), nullptr);
}

// A control and a detail table moved straight from one open source to another follow the new dataset: the
// field, the value shown, the editing state and the detail's range all come from it.
TEST_F(DataLinkTest, ALinkSwitchedBetweenTwoOpenSourcesFollowsTheNewDataset) {
    TTable other;
    Prepare(other);
    other.SetIndexFieldNames("Partner;Naziv");
    other.Open();
    other.Last();
    TDataSource first(&t), second(&other);
    TFieldDataLink link;
    std::string shown;
    int editingChanges = 0;
    link.OnDataChange = [&] { shown = link.Field() ? link.Field()->AsString() : "?"; };
    link.OnEditingChange = [&] { ++editingChanges; };
    link.SetFieldName("Naziv");
    link.SetDataSource(&first);
    ASSERT_TRUE(link.Edit());
    EXPECT_EQ(shown, "a");

    link.SetDataSource(&second);
    EXPECT_EQ(link.Field(), &other.FieldByName("Naziv"));
    EXPECT_EQ(shown, "e");
    EXPECT_FALSE(link.Editing()) << "the new dataset is browsing";
    EXPECT_EQ(editingChanges, 2);
    other.Prior();
    EXPECT_EQ(shown, "d") << "it follows the new dataset's scrolls";
    t.FieldByName("Naziv").SetAsString("x");
    EXPECT_EQ(shown, "d") << "and no longer the old one's changes";
    t.Cancel();

    // A detail moved between two open masters takes the new master's range.
    TTable detail, master2;
    Prepare(detail);
    Prepare(master2);
    detail.SetIndexFieldNames("Partner;Naziv");
    detail.SetMasterFields("Partner");
    detail.SetMasterSource(&first);
    detail.Open();
    EXPECT_EQ(detail.RecordCount(), 1);
    master2.Open();
    master2.Next();
    TDataSource third(&master2);
    detail.SetMasterSource(&third);
    EXPECT_EQ(detail.RecordCount(), 3);
    EXPECT_EQ(detail.FieldByName("Naziv").AsString(), "b");
}

} // namespace
